#pragma once
// Plays audio held in memory through a processor, round and round, to an
// ALSA output device: the live side of 'corvane editor --play'. One audio
// thread reads the next slice of the loop, processes it and writes it to the
// device; it allocates nothing and takes no lock, so what the editor changes
// meanwhile is heard at the next slice.

#include "tools/corvane/OfflineRenderer.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

typedef struct _snd_pcm snd_pcm_t;

namespace corvane::host {

/** Where processed slices go: interleaved float frames. */
class PcmOutput
{
public:
  virtual ~PcmOutput() = default;
  /** Writes `frames` interleaved frames, blocking until the device takes them. False on a
      failure that playback cannot get past. */
  virtual bool Write(const float* interleaved, size_t frames) = 0;
};

/** An ALSA playback device opened for float samples. */
class AlsaOutput : public PcmOutput
{
public:
  /** Opens `device` ("default", "null", "hw:0", ...). Throws ToolError naming the device and
      ALSA's reason when it cannot be opened or set to the rate and channels. */
  AlsaOutput(const std::string& device, int sampleRate, int channels, int periodFrames);
  ~AlsaOutput() override;
  AlsaOutput(const AlsaOutput&) = delete;
  AlsaOutput& operator=(const AlsaOutput&) = delete;

  bool Write(const float* interleaved, size_t frames) override;

private:
  snd_pcm_t* mPcm = nullptr;
  int mChannels;
};

class LoopPlayer
{
public:
  /** `input`: one vector per channel, all of one length (at least one frame). */
  LoopPlayer(std::vector<std::vector<float>> input, SliceProcessor& processor, PcmOutput& output, int blockSize);
  ~LoopPlayer();
  LoopPlayer(const LoopPlayer&) = delete;
  LoopPlayer& operator=(const LoopPlayer&) = delete;

  void Start();
  /** Stops after the slice in progress; safe to call more than once. */
  void Stop();

  /** One slice: the next block of the loop through the processor to the output. False when
      the processor or the output failed; playback then ends. */
  bool RenderSlice();

  int64_t FramesPlayed() const { return mFramesPlayed.load(std::memory_order_relaxed); }
  /** Whether playback ended on a failure (then Error says which). Read after Stop. */
  bool Failed() const { return mFailed.load(std::memory_order_acquire); }
  const std::string& Error() const { return mError; }

private:
  std::vector<std::vector<float>> mInput;
  SliceProcessor& mProcessor;
  PcmOutput& mOutput;
  int mBlockSize;
  size_t mPosition = 0;
  std::vector<std::vector<float>> mSliceIn;
  std::vector<std::vector<float>> mSliceOut;
  std::vector<const float*> mInPtrs;
  std::vector<float*> mOutPtrs;
  std::vector<float> mInterleaved;
  std::atomic<bool> mRunning{false};
  std::atomic<bool> mFailed{false};
  std::atomic<int64_t> mFramesPlayed{0};
  std::string mError;
  std::thread mThread;
};

} // namespace corvane::host
