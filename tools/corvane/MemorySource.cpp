#include "tools/corvane/MemorySource.h"

#include <algorithm>
#include <stdexcept>

namespace corvane::host {

MemorySource::MemorySource(int sampleRate, std::vector<std::vector<float>> channels)
: mSampleRate(sampleRate)
, mChannels(std::move(channels))
{
  if (!mChannels.empty())
    mFrames = mChannels.front().size();
  for (const auto& channel : mChannels)
    if (channel.size() != mFrames)
      throw std::invalid_argument("MemorySource: channels differ in length");
}

size_t MemorySource::Read(float* const* channels, size_t frames)
{
  const size_t count = std::min(frames, mFrames - mPosition);
  for (size_t c = 0; c < mChannels.size(); ++c)
    std::copy_n(mChannels[c].begin() + static_cast<std::ptrdiff_t>(mPosition), count, channels[c]);
  mPosition += count;
  return count;
}

} // namespace corvane::host
