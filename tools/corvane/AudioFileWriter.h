#pragma once
// Writes planar float audio to WAV, AIFF or FLAC through libsndfile, into a
// temporary file that becomes the output only on Commit. The format follows
// the output name's extension: .wav and .aif/.aiff hold 32-bit float, .flac
// holds 24-bit integers.

#include "tools/corvane/AtomicOutputFile.h"
#include "tools/corvane/AudioSink.h"

#include <cstddef>
#include <string>
#include <vector>

typedef struct sf_private_tag SNDFILE;

namespace corvane::host {

/** libsndfile format code for an output name; throws UsageError for an
    extension it cannot write. */
int OutputFormatForPath(const std::string& path);

class AudioFileWriter : public AudioSink
{
public:
  /** Checks the format, creates the temporary file. Throws UsageError for
      an unknown extension, ToolError when the output cannot be created. */
  AudioFileWriter(const std::string& path, int sampleRate, int channels);
  ~AudioFileWriter() override;

  AudioFileWriter(const AudioFileWriter&) = delete;
  AudioFileWriter& operator=(const AudioFileWriter&) = delete;

  /** Appends `frames` frames, one buffer per channel. Throws ToolError. */
  void Write(const float* const* channels, size_t frames) override;
  /** Finishes the file and renames it into place. Throws ToolError. */
  void Commit();

  int64_t FramesWritten() const { return mWritten; }

private:
  void CloseSoundFile();

  AtomicOutputFile mOutput;
  SNDFILE* mFile = nullptr;
  int mChannels;
  int64_t mWritten = 0;
  std::vector<float> mInterleaved;
};

} // namespace corvane::host
