#include "tools/corvane/LiveEngine.h"

#include "tools/corvane/ToolError.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <thread>

namespace corvane::host {
namespace {

void Silence(float* const* outputs, int channels, size_t frames)
{
  for (int c = 0; c < channels; ++c)
    std::memset(outputs[c], 0, frames * sizeof(float));
}

} // namespace

LiveEngine::LiveEngine(SliceProcessor& processor, int channels) : mProcessor(processor), mChannels(channels)
{
  if (channels < 1 || channels > kMaxChannels)
    throw ToolError("cannot run " + std::to_string(channels) + " channels live");
}

void LiveEngine::Process(const float* const* inputs, float* const* outputs, size_t frames) noexcept
{
  mBusy.store(true);
  if (!mReady.load() || mStreamRate.load(std::memory_order_relaxed) != mUnitRate)
  {
    mBusy.store(false);
    Silence(outputs, mChannels, frames);
    return;
  }
  std::array<const float*, kMaxChannels> in{};
  std::array<float*, kMaxChannels> out{};
  bool failed = false;
  // A period longer than the processor's slices (the server just grew it) goes through in
  // several slices, still within this period.
  for (size_t done = 0; done < frames && !failed;)
  {
    const size_t n = std::min(frames - done, mMaxFrames);
    for (int c = 0; c < mChannels; ++c)
    {
      in[static_cast<size_t>(c)] = inputs[c] + done;
      out[static_cast<size_t>(c)] = outputs[c] + done;
    }
    failed = !mProcessor.TryProcess(in.data(), out.data(), n);
    done += n;
  }
  mBusy.store(false);
  if (failed)
  {
    Silence(outputs, mChannels, frames);
    mFailures.fetch_add(1, std::memory_order_relaxed);
  }
  else
    mPeriods.fetch_add(1, std::memory_order_relaxed);
}

void LiveEngine::SetStreamRate(double sampleRate) noexcept { mStreamRate.store(sampleRate, std::memory_order_relaxed); }

void LiveEngine::Suspend() noexcept
{
  mReady.store(false);
  // At most one period; a server that stopped calling leaves busy clear.
  while (mBusy.load())
    std::this_thread::yield();
}

void LiveEngine::Resume(double sampleRate, int maxFrames) noexcept
{
  mUnitRate = sampleRate;
  mMaxFrames = static_cast<size_t>(std::max(maxFrames, 1));
  mReady.store(true);
}

} // namespace corvane::host
