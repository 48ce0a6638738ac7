#pragma once
// An AudioSink that keeps everything written to it, one vector per channel.

#include "tools/corvane/AudioSink.h"

#include <vector>

class MemorySink : public corvane::host::AudioSink
{
public:
  explicit MemorySink(int channels) : data(channels) {}
  void Write(const float* const* ch, size_t frames) override
  {
    for (size_t c = 0; c < data.size(); ++c)
      data[c].insert(data[c].end(), ch[c], ch[c] + frames);
  }
  std::vector<std::vector<float>> data;
};
