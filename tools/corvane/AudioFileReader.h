#pragma once
// Reads WAV, AIFF, FLAC or Ogg Vorbis (anything libsndfile opens) as planar
// float, streaming, so long files never sit in memory whole. A file whose
// data ends before the length its header gives is read as far as it goes;
// AnnouncedFrames() keeps the header's length so the user can be told.

#include "tools/corvane/AudioSource.h"

#include <string>
#include <vector>

typedef struct sf_private_tag SNDFILE;

namespace corvane::host {

class AudioFileReader : public AudioSource
{
public:
  /** Throws ToolError naming the file and the reason when it cannot be opened. */
  explicit AudioFileReader(const std::string& path);
  ~AudioFileReader() override;

  AudioFileReader(const AudioFileReader&) = delete;
  AudioFileReader& operator=(const AudioFileReader&) = delete;

  int SampleRate() const override { return mSampleRate; }
  int Channels() const override { return mChannels; }
  int64_t Frames() const override { return mFrames; }
  int64_t AnnouncedFrames() const override { return mAnnouncedFrames; }
  size_t Read(float* const* channels, size_t frames) override;

  /** libsndfile's major format code of the file (SF_FORMAT_WAV, ...). */
  int MajorFormat() const { return mMajorFormat; }

private:
  std::string mPath;
  int mFd = -1;
  SNDFILE* mFile = nullptr;
  int mSampleRate = 0;
  int mChannels = 0;
  int64_t mFrames = 0;
  int64_t mAnnouncedFrames = 0;
  int64_t mPosition = 0;
  int mMajorFormat = 0;
  std::vector<float> mInterleaved;
};

} // namespace corvane::host
