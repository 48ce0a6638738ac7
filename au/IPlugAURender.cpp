// Rendering: input pulls, output binding, processing, render notifications,
// host time information, input wiring, and MIDI/SysEx output to the host.
// Everything on the render path works in memory sized beforehand; it never
// allocates, locks or makes a system call of its own.

#include <algorithm>
#include <cstring>

#include "au/HostNumber.h"
#include "au/IPlugAU.h"

namespace iplug {
namespace {
/** A buffer list with room for one input bus: a count and kMaxInputBusChannels buffers. */
struct InputBufferList
{
  alignas(AudioBufferList) unsigned char bytes[offsetof(AudioBufferList, mBuffers) +
                                               sizeof(AudioBuffer) * kMaxInputBusChannels];

  AudioBufferList* List() { return reinterpret_cast<AudioBufferList*>(bytes); }
  AudioBuffer* Buffers() { return reinterpret_cast<AudioBuffer*>(bytes + offsetof(AudioBufferList, mBuffers)); }
};

AudioBuffer* BuffersOf(AudioBufferList* list)
{
  return reinterpret_cast<AudioBuffer*>(reinterpret_cast<unsigned char*>(list) + offsetof(AudioBufferList, mBuffers));
}

/** Room for the packets of one callback call. */
constexpr size_t kPacketListBytes = 2048;
/** Bytes of one MIDIPacket's data. */
constexpr size_t kPacketDataBytes = sizeof(MIDIPacket::data);
} // namespace

OSStatus IPlugAU::RenderProc(void* plug, AudioUnitRenderActionFlags* /*ioActionFlags*/, const AudioTimeStamp* timeStamp,
                             UInt32 outputBusNumber, UInt32 numFrames, AudioBufferList* ioData)
{
  return static_cast<IPlugAU*>(plug)->Render(timeStamp, outputBusNumber, numFrames, ioData);
}

void IPlugAU::CallRenderNotifiers(AudioUnitRenderActionFlags flags, const AudioTimeStamp* timeStamp, UInt32 bus,
                                  UInt32 numFrames, AudioBufferList* ioData)
{
  renderNotifiers.ForEach([&](const AURenderCallbackStruct& notifier) {
    AudioUnitRenderActionFlags callFlags = flags;
    if (notifier.inputProc)
      notifier.inputProc(notifier.inputProcRefCon, &callFlags, timeStamp, bus, numFrames, ioData);
  });
}

int IPlugAU::LastConnectedOutputBus() const
{
  const int nBuses = outputBuses.GetSize();
  for (int i = 0; i < nBuses; ++i)
    if (!outputBuses.Get(i)->connected)
      return i - 1;
  return nBuses - 1;
}

OSStatus IPlugAU::Render(const AudioTimeStamp* timeStamp, UInt32 outputBusNumber, UInt32 numFrames,
                         AudioBufferList* ioData)
{
  if (!timeStamp)
    return kAudio_ParamError;
  lastRenderTimeStamp = *timeStamp;

  if (!(timeStamp->mFlags & kAudioTimeStampSampleTimeValid) || numFrames > static_cast<UInt32>(GetBlockSize()))
    return kAudioUnitErr_InvalidPropertyValue;

  const bool midiEffect = IsMidiEffect();
  BusChannels* outBus = nullptr;
  if (!midiEffect)
  {
    outBus = outputBuses.Get(outputBusNumber > static_cast<UInt32>(INT32_MAX) ? -1 : static_cast<int>(outputBusNumber));
    if (!outBus)
      return kAudioUnitErr_InvalidPropertyValue;
    if (!ioData)
      return kAudio_ParamError;
    // Host buffers must hold the block; buffers without memory are served
    // from scratch, which exists only for the plug-in's own channels.
    const int nOutChannels = MaxNChannels(ERoute::kOutput);
    const AudioBuffer* buffers = BuffersOf(ioData);
    for (UInt32 b = 0; b < ioData->mNumberBuffers; ++b)
    {
      if (buffers[b].mData ? buffers[b].mDataByteSize < numFrames * sizeof(Float32)
                           : outBus->plugChannelStart + static_cast<int64_t>(b) >= nOutChannels)
        return kAudio_ParamError;
    }
  }

  CallRenderNotifiers(kAudioUnitRenderAction_PreRender, timeStamp, outputBusNumber, numFrames, ioData);

  if (!midiEffect)
  {
    if (timeStamp->mSampleTime != lastInputSampleTime)
    {
      const OSStatus status = PullInputs(timeStamp, numFrames);
      if (status != noErr)
        return status;
    }

    AudioBuffer* buffers = BuffersOf(ioData);
    const int nBuffers = static_cast<int>(std::min<UInt32>(ioData->mNumberBuffers, INT32_MAX));
    if (!outBus->connected || outBus->hostChannelCount != nBuffers)
    {
      const int n = std::max(outBus->hostChannelCount, nBuffers);
      SetChannelConnections(ERoute::kOutput, outBus->plugChannelStart, n, true);
      SetChannelConnections(ERoute::kOutput, outBus->plugChannelStart + n, std::max(outBus->plugChannelCount - n, 0),
                            false);
      outBus->connected = true;
    }

    for (int b = 0; b < nBuffers; ++b)
    {
      if (!buffers[b].mData)
        buffers[b].mData = outputScratch.Get() + static_cast<size_t>(outBus->plugChannelStart + b) * numFrames;
      float* data = static_cast<float*>(buffers[b].mData);
      AttachBuffers(ERoute::kOutput, outBus->plugChannelStart + b, 1, &data, static_cast<int>(numFrames));
    }
    // A channel that stays connected without a buffer in this call renders
    // into scratch, never into a buffer the host handed over earlier.
    for (int b = nBuffers; b < outBus->plugChannelCount; ++b)
    {
      if (!IsChannelConnected(ERoute::kOutput, outBus->plugChannelStart + b))
        continue;
      float* scratch = outputScratch.Get() + static_cast<size_t>(outBus->plugChannelStart + b) * numFrames;
      AttachBuffers(ERoute::kOutput, outBus->plugChannelStart + b, 1, &scratch, static_cast<int>(numFrames));
    }
  }

  if (midiEffect || static_cast<int>(outputBusNumber) == LastConnectedOutputBus())
  {
    // The buses after this one are not rendered: disconnect from where the next one starts.
    const BusChannels* next = outputBusNumber < static_cast<UInt32>(outputBuses.GetSize())
                                ? outputBuses.Get(static_cast<int>(outputBusNumber) + 1)
                                : nullptr;
    if (next)
    {
      const int from = next->plugChannelStart;
      SetChannelConnections(ERoute::kOutput, from, MaxNChannels(ERoute::kOutput) - from, false);
    }

    if (GetBypassed())
      PassThroughBuffers(0.f, static_cast<int>(numFrames));
    else
    {
      IMidiMsg msg;
      while (mMidiMsgsFromEditor.TryPop(msg))
        ProcessMidiMsg(msg);
      PreProcess();
      ProcessBuffers(0.f, static_cast<int>(numFrames));
    }
  }

  CallRenderNotifiers(kAudioUnitRenderAction_PostRender, timeStamp, outputBusNumber, numFrames, ioData);
  OutputSysexFromEditor();
  return noErr;
}

OSStatus IPlugAU::PullInputs(const AudioTimeStamp* timeStamp, UInt32 numFrames)
{
  InputBufferList storage;
  AudioBufferList* list = storage.List();
  AudioBuffer* buffers = storage.Buffers();
  const UInt32 bytes = numFrames * sizeof(Float32);

  for (int i = 0; i < inputBuses.GetSize(); ++i)
  {
    BusChannels* bus = inputBuses.Get(i);
    if (!bus->connected)
      continue;
    InputBusConnection* conn = inputConnections.Get(i);

    int nChannels = std::clamp(bus->hostChannelCount, 0, kMaxInputBusChannels);
    if (conn->inputType == eRenderCallback)
    {
      // The callback writes into input scratch, which holds the plug-in's channels only.
      const int scratchChannels = numFrames ? inputScratch.GetSize() / static_cast<int>(numFrames) : nChannels;
      nChannels = std::clamp(std::min(nChannels, scratchChannels - bus->plugChannelStart), 0, nChannels);
    }

    list->mNumberBuffers = static_cast<UInt32>(nChannels);
    for (int k = 0; k < nChannels; ++k)
    {
      buffers[k].mNumberChannels = 1;
      buffers[k].mDataByteSize = bytes;
      buffers[k].mData = nullptr;
    }

    AudioUnitRenderActionFlags flags = 0;
    OSStatus status = noErr;
    switch (conn->inputType)
    {
      case eDirectFastProc:
        status = conn->upstreamRenderProc(conn->upstreamObject, &flags, timeStamp,
                                          static_cast<UInt32>(conn->upstreamBusIndex), numFrames, list);
        break;
      case eDirectNoFastProc:
        status = AudioUnitRender(conn->upstreamUnit, &flags, timeStamp, static_cast<UInt32>(conn->upstreamBusIndex),
                                 numFrames, list);
        break;
      case eRenderCallback:
        for (int k = 0; k < nChannels; ++k)
          buffers[k].mData = inputScratch.Get() + static_cast<size_t>(bus->plugChannelStart + k) * numFrames;
        status = conn->upstreamRenderCallback.inputProc(conn->upstreamRenderCallback.inputProcRefCon, &flags, timeStamp,
                                                        static_cast<UInt32>(i), numFrames, list);
        break;
      default: continue;
    }
    if (status != noErr)
      return status;

    for (int k = 0; k < nChannels; ++k)
    {
      // An upstream that reports success must also hand over a whole block.
      if (!buffers[k].mData || buffers[k].mDataByteSize < bytes)
        return kAudio_ParamError;
      float* data = static_cast<float*>(buffers[k].mData);
      AttachBuffers(ERoute::kInput, bus->plugChannelStart + k, 1, &data, static_cast<int>(numFrames));
    }
  }
  lastInputSampleTime = timeStamp->mSampleTime;
  return noErr;
}

void IPlugAU::PreProcess()
{
  ITimeInfo info;
  void* user = hostCallbacks.hostUserData;

  if (hostCallbacks.beatAndTempoProc)
  {
    Float64 beat = 0.0, tempo = 0.0;
    hostCallbacks.beatAndTempoProc(user, &beat, &tempo);
    info.mTempo = tempo > 0.0 ? tempo : 120.0;
    info.mPPQPos = beat >= 0.0 ? beat : -1.0;
  }

  if (hostCallbacks.transportStateProc)
  {
    Boolean playing = false, changed = false, cycling = false;
    Float64 samplePos = 0.0, cycleStart = 0.0, cycleEnd = 0.0;
    hostCallbacks.transportStateProc(user, &playing, &changed, &samplePos, &cycling, &cycleStart, &cycleEnd);
    info.mSamplePos = samplePos > 0.0 ? samplePos : -1.0;
    info.mCycleStart = cycleStart > 0.0 ? cycleStart : -1.0;
    info.mCycleEnd = cycleEnd > 0.0 ? cycleEnd : -1.0;
    info.mTransportIsRunning = playing;
    info.mTransportLoopEnabled = cycling;
  }

  if (hostCallbacks.musicalTimeLocationProc)
  {
    UInt32 offsetToNextBeat = 0, denominator = 0;
    Float32 numerator = 0.f;
    Float64 downBeat = 0.0;
    hostCallbacks.musicalTimeLocationProc(user, &offsetToNextBeat, &numerator, &denominator, &downBeat);
    // A time signature that does not fit keeps the default.
    info.mNumerator = WholePartOr<int32_t>(numerator, info.mNumerator);
    info.mDenominator = WholePartOr<int32_t>(denominator, info.mDenominator);
    info.mLastBar = downBeat > 0.0 ? downBeat : -1.0;
  }

  SetTimeInfo(info);
}

// --- Input wiring ----------------------------------------------------------

void IPlugAU::AssessInputConnections()
{
  SetChannelConnections(ERoute::kInput, 0, MaxNChannels(ERoute::kInput), false);

  for (int i = 0; i < inputBuses.GetSize(); ++i)
  {
    BusChannels* bus = inputBuses.Get(i);
    InputBusConnection* conn = inputConnections.Get(i);

    if (conn->upstreamRenderProc && conn->upstreamObject)
      conn->inputType = eDirectFastProc;
    else if (conn->upstreamUnit)
      conn->inputType = eDirectNoFastProc;
    else if (conn->upstreamRenderCallback.inputProc)
      conn->inputType = eRenderCallback;
    else
    {
      conn->inputType = eNotConnected;
      bus->connected = false;
      continue;
    }

    bus->connected = true;
    if (bus->hostChannelCount < 0)
      bus->hostChannelCount = bus->plugChannelCount;
    SetChannelConnections(ERoute::kInput, bus->plugChannelStart, bus->hostChannelCount, true);
    SetChannelConnections(ERoute::kInput, bus->plugChannelStart + bus->hostChannelCount,
                          std::max(bus->plugChannelCount - bus->hostChannelCount, 0), false);
  }
}

OSStatus IPlugAU::MakeConnection(AudioUnitScope scope, const AudioUnitConnection& connection)
{
  if (scope != kAudioUnitScope_Global && scope != kAudioUnitScope_Input)
    return kAudioUnitErr_InvalidProperty;
  if (connection.destInputNumber >= static_cast<UInt32>(inputBuses.GetSize()))
    return kAudioUnitErr_InvalidProperty;

  const int busIdx = static_cast<int>(connection.destInputNumber);
  InputBusConnection* conn = inputConnections.Get(busIdx);
  *conn = InputBusConnection();

  if (!connection.sourceAudioUnit)
  {
    AssessInputConnections();
    return noErr;
  }

  AudioStreamBasicDescription format;
  UInt32 size = sizeof(format);
  if (AudioUnitGetProperty(connection.sourceAudioUnit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output,
                           connection.sourceOutputNumber, &format, &size) != noErr ||
      size < sizeof(format) || SetStreamFormat(kAudioUnitScope_Input, connection.destInputNumber, format) != noErr)
  {
    AssessInputConnections();
    return kAudioUnitErr_InvalidProperty;
  }

  conn->upstreamUnit = connection.sourceAudioUnit;
  conn->upstreamBusIndex = static_cast<int>(connection.sourceOutputNumber);

  AudioUnitRenderProc renderProc = nullptr;
  size = sizeof(renderProc);
  if (AudioUnitGetProperty(connection.sourceAudioUnit, kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global,
                           kAudioUnitRenderSelect, &renderProc, &size) == noErr &&
      size == sizeof(renderProc) && renderProc)
  {
    conn->upstreamRenderProc = renderProc;
    conn->upstreamObject = GetComponentInstanceStorage(connection.sourceAudioUnit);
  }

  AssessInputConnections();
  return noErr;
}

OSStatus IPlugAU::SetRenderCallback(AudioUnitScope scope, AudioUnitElement elem, const AURenderCallbackStruct& callback)
{
  if (scope != kAudioUnitScope_Input || elem >= static_cast<UInt32>(inputBuses.GetSize()))
    return kAudioUnitErr_InvalidProperty;
  InputBusConnection* conn = inputConnections.Get(static_cast<int>(elem));
  *conn = InputBusConnection();
  if (callback.inputProc)
    conn->upstreamRenderCallback = callback;
  AssessInputConnections();
  return noErr;
}

// --- MIDI and SysEx to the host --------------------------------------------

void IPlugAU::OutputSysexFromEditor()
{
  while (mSysExDataFromEditor.TryPop(mSysExFromEditor))
  {
    ISysEx msg(mSysExFromEditor.mOffset, mSysExFromEditor.mData, mSysExFromEditor.mSize);
    SendSysEx(msg);
  }
}

bool IPlugAU::SendPacketList(const MIDIPacketList* list)
{
  return midiOutputCallback.midiOutputCallback(midiOutputCallback.userData, &lastRenderTimeStamp, 0, list) == noErr;
}

bool IPlugAU::SendMidiMsg(const IMidiMsg& msg)
{
  if (!midiOutputCallback.midiOutputCallback)
    return false;
  MIDIPacketList list;
  list.numPackets = 1;
  MIDIPacket& packet = list.packet[0];
  packet.timeStamp = static_cast<MIDITimeStamp>(msg.mOffset);
  packet.length = 3;
  packet.data[0] = msg.mStatus;
  packet.data[1] = msg.mData1;
  packet.data[2] = msg.mData2;
  return SendPacketList(&list);
}

namespace {
/** Collects bytes into packet lists, handing each full list to `flush`. */
template <typename Flush>
class PacketListWriter
{
public:
  explicit PacketListWriter(Flush flush) : mFlush(flush) { Reset(); }

  void Add(MIDITimeStamp time, const Byte* data, ByteCount length)
  {
    MIDIPacket* next = MIDIPacketListAdd(List(), sizeof(mBytes), mCurrent, time, length, data);
    if (!next)
    {
      Finish();
      next = MIDIPacketListAdd(List(), sizeof(mBytes), mCurrent, time, length, data);
    }
    if (next)
      mCurrent = next;
    else
      mOk = false;
  }

  /** Sends what is pending; returns whether every send succeeded. */
  bool Finish()
  {
    if (List()->numPackets)
      mOk = mFlush(List()) && mOk;
    Reset();
    return mOk;
  }

private:
  MIDIPacketList* List() { return reinterpret_cast<MIDIPacketList*>(mBytes); }
  void Reset() { mCurrent = MIDIPacketListInit(List()); }

  alignas(MIDIPacketList) Byte mBytes[kPacketListBytes];
  MIDIPacket* mCurrent = nullptr;
  Flush mFlush;
  bool mOk = true;
};
} // namespace

bool IPlugAU::SendMidiMsgs(WDL_TypedBuf<IMidiMsg>& msgs)
{
  if (!midiOutputCallback.midiOutputCallback)
    return false;
  PacketListWriter writer([this](const MIDIPacketList* list) { return SendPacketList(list); });
  const IMidiMsg* msg = msgs.Get();
  for (int i = 0; i < msgs.GetSize(); ++i)
  {
    const Byte bytes[3] = {msg[i].mStatus, msg[i].mData1, msg[i].mData2};
    writer.Add(static_cast<MIDITimeStamp>(msg[i].mOffset), bytes, 3);
  }
  return writer.Finish();
}

bool IPlugAU::SendSysEx(const ISysEx& msg)
{
  if (!midiOutputCallback.midiOutputCallback)
    return false;
  PacketListWriter writer([this](const MIDIPacketList* list) { return SendPacketList(list); });
  const int size = msg.mData ? std::max(msg.mSize, 0) : 0;
  // Longer messages continue in further packets, in order.
  for (int pos = 0; pos < size; pos += static_cast<int>(kPacketDataBytes))
  {
    const auto n = static_cast<ByteCount>(std::min<int>(size - pos, static_cast<int>(kPacketDataBytes)));
    writer.Add(static_cast<MIDITimeStamp>(msg.mOffset), msg.mData + pos, n);
  }
  return writer.Finish();
}

} // namespace iplug
