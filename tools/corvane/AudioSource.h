#pragma once
// A stream of planar float audio that the renderer pulls slice by slice: an
// audio file or a signal made in memory.

#include <cstddef>
#include <cstdint>

namespace corvane::host {

class AudioSource
{
public:
  virtual ~AudioSource() = default;

  virtual int SampleRate() const = 0;
  virtual int Channels() const = 0;
  /** Total length in frames: what can be read. */
  virtual int64_t Frames() const = 0;
  /** The length the source's own header announces; more than Frames() when
      the data ends early (a truncated file). */
  virtual int64_t AnnouncedFrames() const { return Frames(); }
  /** Reads up to `frames` frames, one buffer per channel. Returns the frames
      read, fewer than asked only at the end. Throws ToolError on a read failure. */
  virtual size_t Read(float* const* channels, size_t frames) = 0;
};

} // namespace corvane::host
