#include "tools/corvane/AudioFileWriter.h"

#include "tools/corvane/ToolError.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <sndfile.h>

namespace corvane::host {
namespace {

std::string LowerExtension(const std::string& path)
{
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    return "";
  std::string ext = path.substr(dot);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext;
}

int Subtype(SampleFormat sample)
{
  switch (sample)
  {
    case SampleFormat::Int16: return SF_FORMAT_PCM_16;
    case SampleFormat::Int24: return SF_FORMAT_PCM_24;
    case SampleFormat::Int32: return SF_FORMAT_PCM_32;
    default: return SF_FORMAT_FLOAT;
  }
}

int BytesPerSample(int format)
{
  switch (format & SF_FORMAT_SUBMASK)
  {
    case SF_FORMAT_PCM_16: return 2;
    case SF_FORMAT_PCM_24: return 3;
    default: return 4;
  }
}

int IntegerBits(int format)
{
  switch (format & SF_FORMAT_SUBMASK)
  {
    case SF_FORMAT_PCM_16: return 16;
    case SF_FORMAT_PCM_24: return 24;
    case SF_FORMAT_PCM_32: return 32;
    default: return 0;
  }
}

// Uniform in [-0.5, 0.5).
float NextUniform(uint32_t& state)
{
  state ^= state << 13;
  state ^= state >> 17;
  state ^= state << 5;
  return static_cast<float>(state >> 8) / 16777216.0f - 0.5f;
}

} // namespace

int OutputFormatForPath(const std::string& path, SampleFormat sample)
{
  const std::string ext = LowerExtension(path);
  if (ext == ".wav" || ext == ".wave")
    return SF_FORMAT_WAV | Subtype(sample);
  if (ext == ".aif" || ext == ".aiff" || ext == ".aifc")
    return SF_FORMAT_AIFF | Subtype(sample);
  if (ext == ".flac")
  {
    if (sample == SampleFormat::Int32 || sample == SampleFormat::Float)
      throw UsageError("cannot write '" + path + "': FLAC holds 16 or 24 bits (--bits 16 or 24)");
    return SF_FORMAT_FLAC | (sample == SampleFormat::Int16 ? SF_FORMAT_PCM_16 : SF_FORMAT_PCM_24);
  }
  throw UsageError("cannot write '" + path + "': output name must end in .wav, .aiff or .flac");
}

bool IsWritableAudioName(const std::string& path)
{
  const std::string ext = LowerExtension(path);
  for (const char* known : {".wav", ".wave", ".aif", ".aiff", ".aifc", ".flac"})
    if (ext == known)
      return true;
  return false;
}

std::string SampleFormatText(int format)
{
  const int bits = IntegerBits(format);
  return bits ? std::to_string(bits) + "-bit" : "32-bit float";
}

namespace {

// Refuses an unknown extension before any file is created.
std::string CheckedOutputPath(const std::string& path, SampleFormat sample)
{
  OutputFormatForPath(path, sample);
  return path;
}

} // namespace

AudioFileWriter::AudioFileWriter(const std::string& path, int sampleRate, int channels, const WriterOptions& options)
: mOutput(CheckedOutputPath(path, options.sample), options.noClobber)
, mChannels(channels)
{
  mFormat = OutputFormatForPath(path, options.sample);
  mIntegerBits = IntegerBits(mFormat);
  mDither = options.dither && mIntegerBits > 0 && mIntegerBits < 24;

  const uint64_t dataBytes = options.expectedFrames < 0 ? 0
                                                        : static_cast<uint64_t>(options.expectedFrames) *
                                                            static_cast<uint64_t>(std::max(channels, 1)) *
                                                            static_cast<uint64_t>(BytesPerSample(mFormat));
  const bool large = dataBytes > options.plainWavMaxBytes;
  const int container = mFormat & SF_FORMAT_TYPEMASK;
  if (large && container == SF_FORMAT_AIFF)
    throw ToolError("cannot write output '" + path + "': " + std::to_string(dataBytes) +
                    " bytes of audio are more than an AIFF file can hold; use .wav (written as RF64) or .flac");
  // A plain header when the length is known to fit, RF64 when it is known
  // not to. Of unknown length, RF64 that libsndfile turns back into a plain
  // WAV on closing unless it grew past 4 GiB; that form carries a time-stamped
  // PEAK chunk, so it is kept for that case.
  const bool unknownLength = options.expectedFrames < 0;
  if (container == SF_FORMAT_WAV && (large || unknownLength))
    mFormat = SF_FORMAT_RF64 | (mFormat & SF_FORMAT_SUBMASK);

  SF_INFO info{};
  info.samplerate = sampleRate;
  info.channels = channels;
  info.format = mFormat;
  if (!sf_format_check(&info))
    throw ToolError("cannot write output '" + path + "': the format cannot hold " + std::to_string(channels) +
                    " channels at " + std::to_string(sampleRate) + " Hz");
  mFile = sf_open_fd(mOutput.Fd(), SFM_WRITE, &info, SF_FALSE);
  if (!mFile)
    throw ToolError("cannot write output '" + path + "': " + sf_strerror(nullptr));
  if (container == SF_FORMAT_WAV && unknownLength)
    sf_command(mFile, SFC_RF64_AUTO_DOWNGRADE, nullptr, SF_TRUE);
  // No PEAK chunk: it carries a time stamp, and the same render should give
  // the same bytes.
  sf_command(mFile, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
}

AudioFileWriter::~AudioFileWriter() { CloseSoundFile(); }

void AudioFileWriter::CloseSoundFile()
{
  if (mFile)
    sf_close(mFile);
  mFile = nullptr;
}

void AudioFileWriter::WriteIntegers(const float* const* channels, size_t frames)
{
  // libsndfile takes integers scaled to 32 bits whatever the stored width.
  const int shift = 32 - mIntegerBits;
  const double scale = std::ldexp(1.0, mIntegerBits - 1);
  const double top = scale - 1.0;
  const size_t channelCount = static_cast<size_t>(mChannels);
  mIntegers.resize(frames * channelCount);
  mStored.resize(frames * channelCount);
  for (size_t f = 0; f < frames; ++f)
    for (size_t c = 0; c < channelCount; ++c)
    {
      const float sample = channels[c][f];
      double level = std::isfinite(sample) ? static_cast<double>(sample) * scale : 0.0;
      if (mDither)
        level += static_cast<double>(NextUniform(mNoise)) + static_cast<double>(NextUniform(mNoise));
      level = std::nearbyint(level);
      if (level > top || level < -scale)
      {
        ++mClipped;
        level = std::clamp(level, -scale, top);
      }
      const auto stored = static_cast<int64_t>(level);
      mIntegers[f * channelCount + c] = static_cast<int>(static_cast<uint32_t>(stored) << shift);
      mStored[c * frames + f] = static_cast<float>(level / scale);
    }
  std::vector<const float*> planes(channelCount);
  for (size_t c = 0; c < channelCount; ++c)
    planes[c] = mStored.data() + c * frames;
  mLevels.Add(planes.data(), mChannels, frames);

  const sf_count_t put = sf_writef_int(mFile, mIntegers.data(), static_cast<sf_count_t>(frames));
  if (put != static_cast<sf_count_t>(frames))
    throw ToolError("cannot write output '" + mOutput.FinalPath() + "': " + sf_strerror(mFile));
}

void AudioFileWriter::Write(const float* const* channels, size_t frames)
{
  if (!mFile)
    throw ToolError("cannot write output '" + mOutput.FinalPath() + "': already finished");
  if (mIntegerBits > 0)
  {
    WriteIntegers(channels, frames);
    mWritten += static_cast<int64_t>(frames);
    return;
  }
  const size_t channelCount = static_cast<size_t>(mChannels);
  mInterleaved.resize(frames * channelCount);
  for (size_t f = 0; f < frames; ++f)
    for (size_t c = 0; c < channelCount; ++c)
      mInterleaved[f * channelCount + c] = channels[c][f];
  const sf_count_t put = sf_writef_float(mFile, mInterleaved.data(), static_cast<sf_count_t>(frames));
  if (put != static_cast<sf_count_t>(frames))
    throw ToolError("cannot write output '" + mOutput.FinalPath() + "': " + sf_strerror(mFile));
  mLevels.Add(channels, mChannels, frames);
  mWritten += put;
}

void AudioFileWriter::Commit()
{
  if (!mFile)
    throw ToolError("cannot write output '" + mOutput.FinalPath() + "': already finished");
  // sf_close writes the final header; a failure there means a broken file.
  sf_write_sync(mFile);
  const int status = sf_close(mFile);
  mFile = nullptr;
  if (status != 0)
    throw ToolError("cannot write output '" + mOutput.FinalPath() + "': " + sf_error_number(status));
  mOutput.Commit();
}

} // namespace corvane::host
