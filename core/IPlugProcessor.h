#pragma once
// Audio-processing half of a plug-in: the legal channel layouts, one record
// per channel, conversion between the host's float buffers and the double
// buffers that ProcessBlock works on, and the processing context (sample
// rate, block size, latency, bypass, transport).
//
// Processing allocates nothing: scratch buffers change only in SetBlockSize
// and the pointer arrays are sized once at construction.

#include <atomic>

#include "core/Config.h"
#include "core/IChannelData.h"
#include "core/IOConfig.h"
#include "core/IPlugConstants.h"
#include "core/IPlugStructs.h"
#include "core/WDL_PtrList.h"
#include "core/WDL_String.h"
#include "core/WDL_TypedBuf.h"

namespace iplug {
class IPlugProcessor
{
public:
  IPlugProcessor(const Config& config, EAPI plugAPI);
  virtual ~IPlugProcessor();
  IPlugProcessor(const IPlugProcessor&) = delete;
  IPlugProcessor& operator=(const IPlugProcessor&) = delete;

  // --- hooks ---
  /** Default: output i copies input i; remaining outputs are silent. */
  virtual void ProcessBlock(double** inputs, double** outputs, int nFrames);
  /** Default: MIDI through. */
  virtual void ProcessMidiMsg(const IMidiMsg& msg);
  virtual void ProcessSysEx(ISysEx&) {}
  virtual void OnReset() {}
  virtual void OnActivate(bool) {}
  virtual bool SendMidiMsg(const IMidiMsg& msg) = 0;
  /** Sends each message; true when all were sent (and for none). */
  virtual bool SendMidiMsgs(WDL_TypedBuf<IMidiMsg>& msgs);
  virtual bool SendSysEx(const ISysEx&) { return false; }
  virtual void GetBusName(ERoute direction, int busIdx, int nBuses, WDL_String& str) const;
  virtual void SetLatency(int samples) { mLatency.store(samples, std::memory_order_relaxed); }
  /** The latency the current settings give, which processing reports through SetLatency. For
   *  adapters that report latency while no block runs (before the first, or while bypassed).
   *  Default: the latency last set. Audio thread: must not allocate or lock. */
  virtual int GetSettingsLatency() const { return GetLatency(); }

  // --- context ---
  double GetSampleRate() const { return mSampleRate; }
  void SetSampleRate(double sampleRate) { mSampleRate = sampleRate; }
  int GetBlockSize() const { return mBlockSize; }
  /** Resizes and zeroes every scratch buffer when the size changes. */
  void SetBlockSize(int blockSize);
  int GetLatency() const { return mLatency.load(std::memory_order_relaxed); }
  int GetTailSize() const { return mTailSize; }
  void SetTailSize(int samples) { mTailSize = samples; }
  bool GetRenderingOffline() const { return mRenderingOffline; }
  void SetRenderingOffline(bool offline) { mRenderingOffline = offline; }
  bool GetBypassed() const { return mBypassed; }
  void SetBypassed(bool bypassed) { mBypassed = bypassed; }
  const ITimeInfo& GetTimeInfo() const { return mTimeInfo; }
  void SetTimeInfo(const ITimeInfo& info) { mTimeInfo = info; }
  double GetTempo() const { return mTimeInfo.mTempo; }
  /** Samples per beat at the current tempo; 0 without a tempo. */
  double GetSamplesPerBeat() const;
  int GetPluginKind() const { return mPlugType; }
  bool IsInstrument() const { return mPlugType == kInstrument; }
  bool IsMidiEffect() const { return mPlugType == kMIDIEffect; }
  bool DoesMIDIIn() const { return mDoesMIDIIn; }
  bool DoesMIDIOut() const { return mDoesMIDIOut; }
  bool DoesMPE() const { return mDoesMPE; }
  /** Four-character component type for the Audio Unit registry. */
  int GetAUPluginType() const;

  // --- channel layouts ---
  /** Parses "1-1 2-2" style layouts into configs; returns their number. */
  static int ParseChannelIOStr(const char* IOStr, WDL_PtrList_OwningDelete<IOConfig>& configs, int& totalNInChans,
                               int& totalNOutChans, int& totalNInBuses, int& totalNOutBuses);
  int NIOConfigs() const { return mIOConfigs.GetSize(); }
  const IOConfig* GetIOConfig(int idx) const { return mIOConfigs.Get(idx); }
  bool LegalIO(int nIn, int nOut) const;
  /** Most buses of a direction in any layout; configIdx gets the (last) layout with that many. */
  int MaxNBuses(ERoute direction, int* configIdx = nullptr) const;
  /** -1 when the first layout has a wildcard bus in that direction. */
  int MaxNChannelsForBus(ERoute direction, int busIdx) const;
  int GetIOConfigWithChanCounts(const WDL_TypedBuf<int>& inputBuses, const WDL_TypedBuf<int>& outputBuses) const;
  bool HasWildcardBus(ERoute direction) const;

  // --- channels ---
  int MaxNChannels(ERoute direction) const { return Channels(direction).GetSize(); }
  int NChannelsConnected(ERoute direction) const;
  bool IsChannelConnected(ERoute direction, int chIdx) const;
  void SetChannelConnections(ERoute direction, int idx, int n, bool connected);
  void SetChannelLabel(ERoute direction, int idx, const char* formatStr, bool zeroBased = false);
  const char* GetChannelLabel(ERoute direction, int idx) const;
  void ZeroScratchBuffers();

  // --- one block, as driven by the format adapter ---
  void AttachBuffers(ERoute direction, int idx, int n, float** ppData, int nFrames);
  void AttachBuffers(ERoute direction, int idx, int n, double** ppData, int nFrames);
  void ProcessBuffers(float, int nFrames);
  void ProcessBuffers(double, int nFrames);
  void ProcessBuffersAccumulating(int nFrames);
  void PassThroughBuffers(float, int nFrames);

protected:
  using ChannelList = WDL_PtrList_OwningDelete<IChannelData<>>;

  ChannelList& Channels(ERoute direction) { return direction == kOutput ? mOutChannels : mInChannels; }
  const ChannelList& Channels(ERoute direction) const { return direction == kOutput ? mOutChannels : mInChannels; }
  /** Frames that fit in the scratch buffers. */
  int FramesThatFit(int nFrames) const;
  void CopyInputsToOutputs(int nFrames);
  void ConvertOutputs(int nFrames, bool accumulate);

  int mPlugType = kEffect;
  bool mDoesMIDIIn = false;
  bool mDoesMIDIOut = false;
  bool mDoesMPE = false;
  std::atomic<int> mLatency{0}; // set by processing on the audio thread, read by hosts on theirs
  double mSampleRate = 48000.0;
  int mBlockSize = 0;
  int mTailSize = 0;
  bool mRenderingOffline = false;
  bool mBypassed = false;
  WDL_PtrList_OwningDelete<IOConfig> mIOConfigs;
  WDL_TypedBuf<double*> mInData;
  WDL_TypedBuf<double*> mOutData;
  ChannelList mInChannels;
  ChannelList mOutChannels;
  ITimeInfo mTimeInfo;
};
} // namespace iplug
