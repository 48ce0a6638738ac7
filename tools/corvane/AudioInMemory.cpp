#include "tools/corvane/AudioInMemory.h"

#include "tools/corvane/ToolError.h"

#include <new>

namespace corvane::host {

std::vector<std::vector<float>> ReadAllFrames(AudioSource& source, const std::string& name)
{
  constexpr size_t kChunkFrames = 1 << 16;
  const size_t channelCount = static_cast<size_t>(source.Channels());
  std::vector<std::vector<float>> channels(channelCount);
  std::vector<std::vector<float>> chunk(channelCount, std::vector<float>(kChunkFrames));
  std::vector<float*> pointers;
  for (auto& c : chunk)
    pointers.push_back(c.data());
  try
  {
    for (;;)
    {
      const size_t n = source.Read(pointers.data(), kChunkFrames);
      for (size_t c = 0; c < channelCount; ++c)
        channels[c].insert(channels[c].end(), chunk[c].begin(), chunk[c].begin() + static_cast<std::ptrdiff_t>(n));
      if (n < kChunkFrames)
        break;
    }
  }
  catch (const std::bad_alloc&)
  {
    throw ToolError("input '" + name + "' is too long to hold in memory");
  }
  return channels;
}

} // namespace corvane::host
