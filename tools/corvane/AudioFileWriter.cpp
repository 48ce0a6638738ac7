#include "tools/corvane/AudioFileWriter.h"

#include "tools/corvane/ToolError.h"

#include <algorithm>
#include <cctype>
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

} // namespace

int OutputFormatForPath(const std::string& path)
{
  const std::string ext = LowerExtension(path);
  if (ext == ".wav" || ext == ".wave")
    return SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  if (ext == ".aif" || ext == ".aiff" || ext == ".aifc")
    return SF_FORMAT_AIFF | SF_FORMAT_FLOAT;
  if (ext == ".flac")
    return SF_FORMAT_FLAC | SF_FORMAT_PCM_24;
  throw UsageError("cannot write '" + path + "': output name must end in .wav, .aiff or .flac");
}

namespace {

// Refuses an unknown extension before any file is created.
std::string CheckedOutputPath(const std::string& path)
{
  OutputFormatForPath(path);
  return path;
}

} // namespace

AudioFileWriter::AudioFileWriter(const std::string& path, int sampleRate, int channels)
: mOutput(CheckedOutputPath(path))
, mChannels(channels)
{
  SF_INFO info {};
  info.samplerate = sampleRate;
  info.channels = channels;
  info.format = OutputFormatForPath(path);
  if (!sf_format_check(&info))
    throw ToolError("cannot write output '" + path + "': the format cannot hold "
                    + std::to_string(channels) + " channels at " + std::to_string(sampleRate) + " Hz");
  mFile = sf_open_fd(mOutput.Fd(), SFM_WRITE, &info, SF_FALSE);
  if (!mFile)
    throw ToolError("cannot write output '" + path + "': " + sf_strerror(nullptr));
  // Integer formats: overs clip to full scale instead of wrapping around.
  sf_command(mFile, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  // No PEAK chunk: it carries a time stamp, and the same render should give
  // the same bytes.
  sf_command(mFile, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
}

AudioFileWriter::~AudioFileWriter()
{
  CloseSoundFile();
}

void AudioFileWriter::CloseSoundFile()
{
  if (mFile)
    sf_close(mFile);
  mFile = nullptr;
}

void AudioFileWriter::Write(const float* const* channels, size_t frames)
{
  if (!mFile)
    throw ToolError("cannot write output '" + mOutput.FinalPath() + "': already finished");
  const size_t channelCount = static_cast<size_t>(mChannels);
  mInterleaved.resize(frames * channelCount);
  for (size_t f = 0; f < frames; ++f)
    for (size_t c = 0; c < channelCount; ++c)
      mInterleaved[f * channelCount + c] = channels[c][f];
  const sf_count_t put = sf_writef_float(mFile, mInterleaved.data(), static_cast<sf_count_t>(frames));
  if (put != static_cast<sf_count_t>(frames))
    throw ToolError("cannot write output '" + mOutput.FinalPath() + "': " + sf_strerror(mFile));
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
