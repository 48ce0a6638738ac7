#pragma once
// The audio side of 'corvane live', apart from the audio server: each period
// goes through the processor in place, with no buffering of its own, so the
// output carries the processor's latency and nothing more. The audio thread
// allocates nothing, takes no lock and makes no system call. The main thread
// suspends it to re-initialise the processor: until it resumes, and whenever
// the stream's rate is not the rate the processor was set up for, the
// outputs are silent.

#include "tools/corvane/OfflineRenderer.h"

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace corvane::host {

class LiveEngine
{
public:
  static constexpr int kMaxChannels = 8;

  /** `channels` (1 to kMaxChannels) in and out. Starts suspended. */
  LiveEngine(SliceProcessor& processor, int channels);
  LiveEngine(const LiveEngine&) = delete;
  LiveEngine& operator=(const LiveEngine&) = delete;

  int Channels() const { return mChannels; }

  // Audio thread.
  /** One period: `inputs` through the processor into `outputs`, in slices of at most the
      processor's slice size; silence while suspended, at a rate the processor was not set
      up for, or after the processor failed in this period. */
  void Process(const float* const* inputs, float* const* outputs, size_t frames) noexcept;

  // Any thread (the audio server's notifications).
  /** The stream now runs at `sampleRate`. */
  void SetStreamRate(double sampleRate) noexcept;

  // Main thread.
  /** Returns once the audio thread has left the processor; it stays out until Resume. */
  void Suspend() noexcept;
  /** The processor runs again, set up for `sampleRate` and slices of up to `maxFrames`. */
  void Resume(double sampleRate, int maxFrames) noexcept;

  /** Periods the processor failed in (their output was silenced). */
  int64_t Failures() const { return mFailures.load(std::memory_order_relaxed); }
  /** Periods processed by the processor. */
  int64_t Periods() const { return mPeriods.load(std::memory_order_relaxed); }

private:
  SliceProcessor& mProcessor;
  const int mChannels;
  // Written by the main thread only while suspended.
  double mUnitRate = 0.0;
  size_t mMaxFrames = 0;
  // The handshake: the audio thread marks itself busy before it looks at mReady; the main
  // thread clears mReady before it waits for busy to drop (both sequentially consistent).
  std::atomic<bool> mReady{false};
  std::atomic<bool> mBusy{false};
  std::atomic<double> mStreamRate{0.0};
  std::atomic<int64_t> mFailures{0};
  std::atomic<int64_t> mPeriods{0};
};

} // namespace corvane::host
