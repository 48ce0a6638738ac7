#pragma once
// Audio held in memory, one vector per channel, read front to back.

#include "tools/corvane/AudioSource.h"

#include <vector>

namespace corvane::host {

class MemorySource : public AudioSource
{
public:
  /** All channels must have the same length. */
  MemorySource(int sampleRate, std::vector<std::vector<float>> channels);

  int SampleRate() const override { return mSampleRate; }
  int Channels() const override { return static_cast<int>(mChannels.size()); }
  int64_t Frames() const override { return static_cast<int64_t>(mFrames); }
  size_t Read(float* const* channels, size_t frames) override;

  const std::vector<float>& Channel(int index) const { return mChannels[index]; }

private:
  int mSampleRate;
  std::vector<std::vector<float>> mChannels;
  size_t mFrames = 0;
  size_t mPosition = 0;
};

} // namespace corvane::host
