#include "tools/corvane/OfflineRenderer.h"

#include <algorithm>
#include <vector>

namespace corvane::host {
namespace {

// Planar buffers with a pointer per channel, offsettable for partial writes.
struct Planar
{
  Planar(int channels, size_t frames) : data(static_cast<size_t>(channels), std::vector<float>(frames, 0.0f))
  {
    for (auto& channel : data)
      pointers.push_back(channel.data());
  }
  float* const* At(size_t offset)
  {
    shifted.clear();
    for (auto& channel : data)
      shifted.push_back(channel.data() + offset);
    return shifted.data();
  }
  std::vector<std::vector<float>> data;
  std::vector<float*> pointers;
  std::vector<float*> shifted;
};

} // namespace

RenderStats RenderOffline(AudioSource& source, SliceProcessor& processor, AudioSink& sink, const RenderJob& job)
{
  RenderStats stats;
  const int channels = source.Channels();
  const size_t block = static_cast<size_t>(std::max(job.blockSize, 1));
  const int64_t tail = std::max<int64_t>(job.tailFrames, 0);
  int64_t length = source.Frames() + tail;
  Planar in(channels, block), out(channels, block);

  int64_t drop = 0;
  int64_t sourceLeft = source.Frames();
  bool first = true;
  // The length to render is only known once the latency is, after slice one.
  while (stats.framesWritten < length)
  {
    const size_t frames =
      static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(block), length + drop - stats.framesRendered));
    size_t got = 0;
    if (sourceLeft > 0)
    {
      const size_t want = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(frames), sourceLeft));
      got = source.Read(in.pointers.data(), want);
      sourceLeft -= static_cast<int64_t>(got);
      stats.framesRead += static_cast<int64_t>(got);
      if (got < want)
      {
        // The source ended early: the output ends where it does, plus the tail.
        sourceLeft = 0;
        length = stats.framesRead + tail;
      }
      stats.input.Add(in.pointers.data(), channels, got);
    }
    for (auto& channel : in.data)
      std::fill(channel.begin() + static_cast<std::ptrdiff_t>(got), channel.end(), 0.0f);

    processor.Process(in.pointers.data(), out.pointers.data(), frames);

    if (first)
    {
      stats.latency = std::max<int64_t>(processor.LatencyFrames(), 0);
      drop = job.keepLatency ? 0 : stats.latency;
      first = false;
    }
    const int64_t skip = std::clamp<int64_t>(drop - stats.framesRendered, 0, static_cast<int64_t>(frames));
    const int64_t keep = std::min<int64_t>(static_cast<int64_t>(frames) - skip, length - stats.framesWritten);
    stats.framesRendered += static_cast<int64_t>(frames);
    if (keep > 0)
    {
      float* const* part = out.At(static_cast<size_t>(skip));
      sink.Write(part, static_cast<size_t>(keep));
      stats.output.Add(part, channels, static_cast<size_t>(keep));
      stats.framesWritten += keep;
    }
    if (job.progress)
      job.progress(stats.framesWritten, length);
  }
  if (first)
    stats.latency = std::max<int64_t>(processor.LatencyFrames(), 0); // empty source: nothing was processed
  else if (processor.LatencyFrames() != stats.latency)
    stats.latencyChanged = true;
  return stats;
}

} // namespace corvane::host
