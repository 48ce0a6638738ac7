#include "tools/corvane/LoopPlayer.h"

#include "tools/corvane/ToolError.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cerrno>

namespace corvane::host {

namespace {
// ALSA's own messages on stderr would repeat what the ToolError says.
void QuietAlsaErrors(const char*, int, const char*, int, const char*, ...) {}
} // namespace

AlsaOutput::AlsaOutput(const std::string& device, int sampleRate, int channels, int periodFrames) : mChannels(channels)
{
  snd_lib_error_set_handler(QuietAlsaErrors);
  auto fail = [&](const char* what, int err) {
    if (mPcm)
      snd_pcm_close(mPcm);
    mPcm = nullptr;
    throw ToolError("cannot play through ALSA device '" + device + "': " + what + ": " + snd_strerror(err));
  };
  if (const int err = snd_pcm_open(&mPcm, device.c_str(), SND_PCM_STREAM_PLAYBACK, 0); err < 0)
  {
    mPcm = nullptr;
    fail("open", err);
  }
  // About four slices of buffer: short enough that edits are heard at once, long enough
  // not to run dry on a busy machine.
  const unsigned latencyUs =
    static_cast<unsigned>(std::clamp(4.0 * periodFrames / sampleRate * 1e6, 20000.0, 200000.0));
  if (const int err =
        snd_pcm_set_params(mPcm, SND_PCM_FORMAT_FLOAT_LE, SND_PCM_ACCESS_RW_INTERLEAVED,
                           static_cast<unsigned>(channels), static_cast<unsigned>(sampleRate), 1, latencyUs);
      err < 0)
    fail("set format", err);
}

AlsaOutput::~AlsaOutput()
{
  if (mPcm)
  {
    snd_pcm_drop(mPcm);
    snd_pcm_close(mPcm);
  }
}

bool AlsaOutput::Write(const float* interleaved, size_t frames)
{
  while (frames > 0)
  {
    snd_pcm_sframes_t n = snd_pcm_writei(mPcm, interleaved, frames);
    if (n < 0)
    {
      // An underrun or a suspend is recovered; anything else ends playback.
      if (snd_pcm_recover(mPcm, static_cast<int>(n), 1) < 0)
        return false;
      continue;
    }
    interleaved += static_cast<size_t>(n) * static_cast<size_t>(mChannels);
    frames -= static_cast<size_t>(n);
  }
  return true;
}

LoopPlayer::LoopPlayer(std::vector<std::vector<float>> input, SliceProcessor& processor, PcmOutput& output,
                       int blockSize)
: mInput(std::move(input))
, mProcessor(processor)
, mOutput(output)
, mBlockSize(std::max(1, blockSize))
{
  const size_t channels = mInput.size();
  if (channels == 0 || mInput[0].empty())
    throw ToolError("nothing to play: the input has no audio");
  mSliceIn.assign(channels, std::vector<float>(static_cast<size_t>(mBlockSize)));
  mSliceOut.assign(channels, std::vector<float>(static_cast<size_t>(mBlockSize)));
  for (size_t c = 0; c < channels; ++c)
  {
    mInPtrs.push_back(mSliceIn[c].data());
    mOutPtrs.push_back(mSliceOut[c].data());
  }
  mInterleaved.resize(channels * static_cast<size_t>(mBlockSize));
}

LoopPlayer::~LoopPlayer() { Stop(); }

void LoopPlayer::Start()
{
  if (mRunning.exchange(true))
    return;
  mThread = std::thread([this] {
    while (mRunning.load(std::memory_order_relaxed))
      if (!RenderSlice())
        break;
  });
}

void LoopPlayer::Stop()
{
  mRunning.store(false);
  if (mThread.joinable())
    mThread.join();
}

bool LoopPlayer::RenderSlice()
{
  const size_t channels = mInput.size();
  const size_t length = mInput[0].size();
  const size_t frames = static_cast<size_t>(mBlockSize);
  // The loop wraps inside a slice, so a short file still gives full slices.
  for (size_t i = 0; i < frames; ++i)
  {
    for (size_t c = 0; c < channels; ++c)
      mSliceIn[c][i] = mInput[c][mPosition];
    mPosition = mPosition + 1 == length ? 0 : mPosition + 1;
  }
  try
  {
    mProcessor.Process(mInPtrs.data(), mOutPtrs.data(), frames);
  }
  catch (const ToolError& e)
  {
    mError = e.what();
    mFailed.store(true, std::memory_order_release);
    return false;
  }
  for (size_t i = 0; i < frames; ++i)
    for (size_t c = 0; c < channels; ++c)
      mInterleaved[i * channels + c] = mSliceOut[c][i];
  if (!mOutput.Write(mInterleaved.data(), frames))
  {
    mError = "the audio device stopped taking samples";
    mFailed.store(true, std::memory_order_release);
    return false;
  }
  mFramesPlayed.fetch_add(static_cast<int64_t>(frames), std::memory_order_relaxed);
  return true;
}

} // namespace corvane::host
