#pragma once
// Writes planar float audio to WAV, AIFF or FLAC through libsndfile, into a
// temporary file that becomes the output only on Commit. The container
// follows the output name's extension; the samples are 32-bit float (WAV and
// AIFF by default) or 16, 24 or 32-bit integers (FLAC: 16 or 24, 24 by
// default). Integer samples are quantised here: overs are clipped to full
// scale and counted, and 16-bit output gets TPDF dither unless it is turned
// off. A WAV that would pass the 4 GiB a plain header can describe is
// written as RF64, so its length survives.

#include "tools/corvane/AtomicOutputFile.h"
#include "tools/corvane/AudioSink.h"
#include "tools/corvane/LevelMeter.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

typedef struct sf_private_tag SNDFILE;

namespace corvane::host {

enum class SampleFormat
{
  Default, // float for WAV and AIFF, 24-bit for FLAC
  Int16,
  Int24,
  Int32,
  Float,
};

/** Largest audio data a plain WAV or AIFF header can describe. */
inline constexpr uint64_t kPlainWavMaxBytes = 0xFFFFFFFFull - 4096;

struct WriterOptions
{
  SampleFormat sample = SampleFormat::Default;
  bool dither = true;          // TPDF dither below 24 bits
  bool noClobber = false;      // refuse to replace an existing file
  int64_t expectedFrames = -1; // the length to come, when known
  uint64_t plainWavMaxBytes = kPlainWavMaxBytes;
};

/** libsndfile format code for an output name and sample format; throws
    UsageError for an extension it cannot write or a sample format the
    container cannot hold. */
int OutputFormatForPath(const std::string& path, SampleFormat sample = SampleFormat::Default);

/** True when the name ends in an extension the writer knows (.wav, .flac ...). */
bool IsWritableAudioName(const std::string& path);

/** "16-bit", "24-bit", "32-bit" or "32-bit float". */
std::string SampleFormatText(int format);

class AudioFileWriter : public AudioSink
{
public:
  /** Checks the format, creates the temporary file. Throws UsageError for
      an unknown extension, ToolError when the output cannot be created. */
  AudioFileWriter(const std::string& path, int sampleRate, int channels, const WriterOptions& options = {});
  ~AudioFileWriter() override;

  AudioFileWriter(const AudioFileWriter&) = delete;
  AudioFileWriter& operator=(const AudioFileWriter&) = delete;

  /** Appends `frames` frames, one buffer per channel. Throws ToolError. */
  void Write(const float* const* channels, size_t frames) override;
  /** Finishes the file and renames it into place. Throws ToolError. */
  void Commit();

  int64_t FramesWritten() const { return mWritten; }
  /** Levels of the samples as stored: after clipping and quantising. */
  const LevelMeter& WrittenLevels() const { return mLevels; }
  /** Samples beyond full scale that an integer format clipped. */
  uint64_t ClippedSamples() const { return mClipped; }
  /** The libsndfile format code in use. */
  int Format() const { return mFormat; }

private:
  void CloseSoundFile();
  void WriteIntegers(const float* const* channels, size_t frames);

  AtomicOutputFile mOutput;
  SNDFILE* mFile = nullptr;
  int mChannels;
  int mFormat = 0;
  int mIntegerBits = 0; // 0 for float
  bool mDither = false;
  uint32_t mNoise = 0x9E3779B9u; // fixed seed: the same render gives the same bytes
  int64_t mWritten = 0;
  uint64_t mClipped = 0;
  LevelMeter mLevels;
  std::vector<float> mInterleaved;
  std::vector<int> mIntegers;
  std::vector<float> mStored;
};

} // namespace corvane::host
