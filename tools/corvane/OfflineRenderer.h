#pragma once
// Drives a processor over a whole source, slice by slice, and writes the
// result with the processor's latency taken out: the first `latency` output
// frames are dropped and the source is followed by `latency` frames of
// silence, so the output lines up with the input and has its length. The
// latency is read after the first slice, since a unit may only report the
// latency of its settings once it has processed a block. A tail renders that
// much more silence in, so what rings on after the source is kept.

#include "tools/corvane/AudioSink.h"
#include "tools/corvane/AudioSource.h"
#include "tools/corvane/LevelMeter.h"

#include <cstdint>
#include <functional>

namespace corvane::host {

class SliceProcessor
{
public:
  virtual ~SliceProcessor() = default;
  /** Processes `frames` frames (at most the block size) from `inputs` into
      `outputs`, one buffer per channel. Throws ToolError. */
  virtual void Process(const float* const* inputs, float* const* outputs, size_t frames) = 0;
  /** Process for a real-time thread: false instead of an exception. A processor whose
      failures need no exception overrides it, so a failing slice allocates nothing. */
  virtual bool TryProcess(const float* const* inputs, float* const* outputs, size_t frames) noexcept
  {
    try
    {
      Process(inputs, outputs, frames);
      return true;
    }
    catch (...)
    {
      return false;
    }
  }
  /** Current latency in frames. Throws ToolError when it cannot be read. */
  virtual int64_t LatencyFrames() = 0;
};

struct RenderStats
{
  int64_t framesRendered = 0; // including the latency tail
  int64_t framesWritten = 0;
  int64_t framesRead = 0; // from the source; fewer than announced when it ended early
  int64_t latency = 0;
  bool latencyChanged = false; // the reported latency moved after the first slice
  LevelMeter input;
  LevelMeter output;
};

struct RenderJob
{
  int blockSize = 512;
  bool keepLatency = false;
  std::function<void(int64_t done, int64_t total)> progress; // optional
  int64_t tailFrames = 0;                                    // rendered and written after the source ends
};

RenderStats RenderOffline(AudioSource& source, SliceProcessor& processor, AudioSink& sink, const RenderJob& job);

} // namespace corvane::host
