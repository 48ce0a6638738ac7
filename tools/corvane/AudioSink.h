#pragma once
// Where rendered planar float audio goes: an audio file, or memory in tests.

#include <cstddef>

namespace corvane::host {

class AudioSink
{
public:
  virtual ~AudioSink() = default;
  /** Appends `frames` frames, one buffer per channel. Throws ToolError. */
  virtual void Write(const float* const* channels, size_t frames) = 0;
};

} // namespace corvane::host
