// Rendering through AudioUnitRender: input pulls from a render callback or an
// upstream unit, output binding, notifications, bypass, time information,
// latency notifications and MIDI output.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <string>
#include <vector>

#include "Watchdog.h"
#include "au/AUHost.h"

namespace corvane_test {
namespace {
constexpr int kFrames = 64;

TEST(AURender, RenderCallbackFeedsTheProcessor)
{
  AUInstance unit;
  SignalSource source;
  PrepareStereo(unit, source);
  RenderBuffers out(2, kFrames);
  ASSERT_EQ(RenderSlice(unit, out), noErr);
  EXPECT_EQ(source.calls, 1);
  EXPECT_EQ(source.lastBus, 0u);
  for (int c = 0; c < 2; ++c)
    for (int i = 0; i < kFrames; ++i)
      ASSERT_FLOAT_EQ(out.at(c, i), 2.f * SignalSource::Sample(c, i)) << c << "/" << i;
  EXPECT_EQ(unit.plug().lastFrames, kFrames);
  EXPECT_EQ(unit.plug().lastConnectedInputs, 2);
  EXPECT_EQ(unit.plug().GetLastInputSampleTime(), 0.0);
}

TEST(AURender, MonoLayoutLeavesTheSecondInputSilent)
{
  AUInstance unit;
  SignalSource source;
  unit.SetFormat(kAudioUnitScope_Input, 0, 1);
  unit.SetFormat(kAudioUnitScope_Output, 0, 1);
  source.AttachTo(unit);
  ASSERT_EQ(AudioUnitInitialize(unit), noErr);
  RenderBuffers out(1, kFrames);
  ASSERT_EQ(RenderSlice(unit, out), noErr);
  EXPECT_EQ(unit.plug().lastConnectedInputs, 1);
  EXPECT_FLOAT_EQ(out.at(0, 9), 2.f * SignalSource::Sample(0, 9));
}

TEST(AURender, UpstreamUnitIsPulledThroughAudioUnitRender)
{
  AUInstance upstream, downstream;
  SignalSource source;
  PrepareStereo(upstream, source);
  downstream.SetFormat(kAudioUnitScope_Output, 0, 2);
  AudioUnitConnection connection{upstream.unit(), 0, 0};
  ASSERT_EQ(downstream.Set(kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0, connection), noErr);
  // The adapter offers no fast-dispatch render function, so the pull goes through AudioUnitRender.
  EXPECT_EQ(downstream.plug().GetInputConnection(0)->inputType, IPlugAU::eDirectNoFastProc);
  EXPECT_EQ(downstream.plug().GetBus(kAudioUnitScope_Input, 0)->hostChannelCount, 2);
  ASSERT_EQ(AudioUnitInitialize(downstream), noErr);

  RenderBuffers out(2, kFrames);
  ASSERT_EQ(RenderSlice(downstream, out, 512.0), noErr);
  for (int i = 0; i < kFrames; ++i)
    ASSERT_FLOAT_EQ(out.at(1, i), 4.f * SignalSource::Sample(1, i));
  EXPECT_EQ(upstream.plug().blocks, 1);
  EXPECT_EQ(downstream.plug().blocks, 1);

  // Disconnecting with a null source leaves the bus unwired.
  AudioUnitConnection none{nullptr, 0, 0};
  ASSERT_EQ(downstream.Set(kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0, none), noErr);
  EXPECT_EQ(downstream.plug().GetInputConnection(0)->inputType, IPlugAU::eNotConnected);
}

TEST(AURender, MakeConnectionChecksScopeBusAndSourceFormat)
{
  AUInstance unit, source;
  AudioUnitConnection connection{source.unit(), 0, 1};
  EXPECT_EQ(unit.Set(kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0, connection),
            kAudioUnitErr_InvalidProperty); // no input bus 1
  connection.destInputNumber = 0;
  EXPECT_EQ(unit.Set(kAudioUnitProperty_MakeConnection, kAudioUnitScope_Output, 0, connection),
            kAudioUnitErr_InvalidProperty);
  connection.sourceOutputNumber = 4; // the source has no such output: its format query fails
  EXPECT_EQ(unit.Set(kAudioUnitProperty_MakeConnection, kAudioUnitScope_Global, 0, connection),
            kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(unit.plug().GetInputConnection(0)->inputType, IPlugAU::eNotConnected);
  EXPECT_FALSE(unit.plug().GetBus(kAudioUnitScope_Input, 0)->connected);
}

TEST(AURender, RenderCallbackNeedsInputScopeAndAnExistingBus)
{
  AUInstance unit;
  SignalSource source;
  AURenderCallbackStruct callback{SignalSource::Render, &source};
  EXPECT_EQ(unit.Set(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Global, 0, callback),
            kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(unit.Set(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 1, callback),
            kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(unit.Set(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, callback), noErr);
  EXPECT_EQ(unit.plug().GetInputConnection(0)->inputType, IPlugAU::eRenderCallback);
  AURenderCallbackStruct none{nullptr, nullptr};
  EXPECT_EQ(unit.Set(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, none), noErr);
  EXPECT_EQ(unit.plug().GetInputConnection(0)->inputType, IPlugAU::eNotConnected);
}

// --- Notifications ---------------------------------------------------------

struct NotifyLog
{
  std::vector<std::string> events;
  AUTestPlug* plug = nullptr;

  static OSStatus Notify(void* refCon, AudioUnitRenderActionFlags* flags, const AudioTimeStamp*, UInt32, UInt32,
                         AudioBufferList*)
  {
    auto* self = static_cast<NotifyLog*>(refCon);
    const int blocks = self->plug->blocks;
    self->events.push_back((*flags & kAudioUnitRenderAction_PreRender ? "pre" : "post") + std::to_string(blocks));
    *flags = 0xFF; // each notifier gets its own flags
    return -1;     // results are ignored
  }
};

TEST(AURenderNotify, PreAndPostNotificationsBracketProcessing)
{
  AUInstance unit;
  SignalSource source;
  PrepareStereo(unit, source);
  NotifyLog log;
  log.plug = &unit.plug();
  AudioUnitAddRenderNotify(unit, NotifyLog::Notify, &log);
  AudioUnitAddRenderNotify(unit, NotifyLog::Notify, &log); // no duplicate check
  RenderBuffers out(2, kFrames);
  ASSERT_EQ(RenderSlice(unit, out), noErr);
  EXPECT_EQ(log.events, (std::vector<std::string>{"pre0", "pre0", "post1", "post1"}));

  int other = 0;
  AudioUnitRemoveRenderNotify(unit, NotifyLog::Notify, &other); // the context is not compared
  log.events.clear();
  ASSERT_EQ(RenderSlice(unit, out, 64.0), noErr);
  EXPECT_EQ(log.events, (std::vector<std::string>{"pre1", "post2"}));
}

TEST(AURenderNotify, RefusedCallsNotifyNobody)
{
  AUInstance unit;
  SignalSource source;
  PrepareStereo(unit, source);
  NotifyLog log;
  log.plug = &unit.plug();
  AudioUnitAddRenderNotify(unit, NotifyLog::Notify, &log);

  RenderBuffers tooMany(2, 513);
  EXPECT_EQ(RenderSlice(unit, tooMany), kAudioUnitErr_InvalidPropertyValue);
  AudioTimeStamp noSampleTime{};
  noSampleTime.mFlags = kAudioTimeStampHostTimeValid;
  RenderBuffers out(2, kFrames);
  AudioUnitRenderActionFlags flags = 0;
  EXPECT_EQ(AudioUnitRender(unit, &flags, &noSampleTime, 0, kFrames, out.list()), kAudioUnitErr_InvalidPropertyValue);
  const AudioTimeStamp ts = SampleTime(0);
  EXPECT_EQ(AudioUnitRender(unit, &flags, &ts, 1, kFrames, out.list()), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_TRUE(log.events.empty());
  EXPECT_EQ(source.calls, 0);

  RenderBuffers atMax(2, 512);
  EXPECT_EQ(RenderSlice(unit, atMax), noErr);
}

TEST(AURenderNotify, FailingPullEndsTheCallWithItsStatus)
{
  AUInstance unit;
  SignalSource source;
  PrepareStereo(unit, source);
  NotifyLog log;
  log.plug = &unit.plug();
  AudioUnitAddRenderNotify(unit, NotifyLog::Notify, &log);
  source.result = kAudioUnitErr_NoConnection;
  RenderBuffers out(2, kFrames);
  EXPECT_EQ(RenderSlice(unit, out, 128.0), kAudioUnitErr_NoConnection);
  EXPECT_EQ(log.events, std::vector<std::string>{"pre0"});
  EXPECT_EQ(unit.plug().blocks, 0);
  EXPECT_EQ(unit.plug().GetLastInputSampleTime(), -1.0);

  source.result = noErr;
  EXPECT_EQ(RenderSlice(unit, out, 128.0), noErr);
  EXPECT_EQ(unit.plug().GetLastInputSampleTime(), 128.0);
}

// --- Buffers ---------------------------------------------------------------

TEST(AURenderBuffers, NullOutputBuffersGetScratchMemory)
{
  AUInstance unit;
  SignalSource source;
  PrepareStereo(unit, source);
  RenderBuffers out(2, kFrames, false);
  ASSERT_EQ(RenderSlice(unit, out), noErr);
  ASSERT_NE(out.buffer(0).mData, nullptr);
  ASSERT_NE(out.buffer(1).mData, out.buffer(0).mData);
  for (int i = 0; i < kFrames; ++i)
  {
    ASSERT_FLOAT_EQ(out.at(0, i), 2.f * SignalSource::Sample(0, i));
    ASSERT_FLOAT_EQ(out.at(1, i), 2.f * SignalSource::Sample(1, i));
  }
}

TEST(AURenderBuffers, MoreBuffersThanTheHostAskedForReconnectTheLargerCount)
{
  AUInstance unit;
  SignalSource source;
  unit.SetFormat(kAudioUnitScope_Input, 0, 2);
  unit.SetFormat(kAudioUnitScope_Output, 0, 1);
  source.AttachTo(unit);
  RenderBuffers out(2, kFrames);
  ASSERT_EQ(RenderSlice(unit, out), noErr);
  EXPECT_EQ(unit.plug().NChannelsConnected(kOutput), 2);
  EXPECT_FLOAT_EQ(out.at(1, 3), 2.f * SignalSource::Sample(1, 3));
}

TEST(AURenderBuffers, FewerBuffersThanBeforeNeverWriteToEarlierBuffers)
{
  AUInstance unit;
  SignalSource source;
  PrepareStereo(unit, source);
  RenderBuffers first(2, kFrames);
  ASSERT_EQ(RenderSlice(unit, first), noErr);
  for (int i = 0; i < kFrames; ++i)
    static_cast<float*>(first.buffer(1).mData)[i] = -7.f;

  // The bus still counts two channels; the host hands over one buffer.
  RenderBuffers second(1, kFrames);
  ASSERT_EQ(RenderSlice(unit, second, 64.0), noErr);
  EXPECT_FLOAT_EQ(second.at(0, 4), 2.f * SignalSource::Sample(0, 4));
  for (int i = 0; i < kFrames; ++i)
    ASSERT_EQ(first.at(1, i), -7.f) << i;
}

TEST(AURenderBuffers, RenderingTheMainBusAloneWritesAllItsChannels)
{
  // A four-channel main bus before a stereo one: the next bus starts at channel 4.
  NextTestPlugOptions().channelIO = "2-4.2";
  AUInstance unit;
  NextTestPlugOptions().channelIO = "1-1 2-2";
  SignalSource source;
  ASSERT_EQ(source.AttachTo(unit), noErr);
  ASSERT_EQ(AudioUnitInitialize(unit), noErr);
  RenderBuffers out(4, kFrames);
  ASSERT_EQ(RenderSlice(unit, out), noErr);
  for (int c = 0; c < 4; ++c)
    EXPECT_FLOAT_EQ(out.at(c, 5), 2.f * SignalSource::Sample(c % 2, 5)) << "channel " << c;
}

TEST(AURenderBuffers, BuffersTheProcessorCannotServeAreRefused)
{
  AUInstance unit;
  SignalSource source;
  PrepareStereo(unit, source);
  RenderBuffers small(2, kFrames);
  small.buffer(1).mDataByteSize = kFrames * 4 - 4;
  EXPECT_EQ(RenderSlice(unit, small), kAudio_ParamError);
  RenderBuffers three(3, kFrames, false); // no scratch for a third output channel
  EXPECT_EQ(RenderSlice(unit, three), kAudio_ParamError);
  EXPECT_EQ(source.calls, 0);
}

TEST(AURenderBuffers, SameSampleTimePullsOnceAndProcessesAgain)
{
  AUInstance unit;
  SignalSource source;
  PrepareStereo(unit, source);
  RenderBuffers first(2, kFrames), second(2, kFrames);
  ASSERT_EQ(RenderSlice(unit, first, 256.0), noErr);
  ASSERT_EQ(RenderSlice(unit, second, 256.0), noErr);
  EXPECT_EQ(source.calls, 1);
  EXPECT_EQ(unit.plug().blocks, 2);
  EXPECT_FLOAT_EQ(second.at(0, 5), first.at(0, 5));
  ASSERT_EQ(RenderSlice(unit, second, 320.0), noErr);
  EXPECT_EQ(source.calls, 2);
}

TEST(AURenderBuffers, BypassCopiesInputWithoutProcessing)
{
  AUInstance unit;
  SignalSource source;
  PrepareStereo(unit, source);
  unit.Set<UInt32>(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, 1);
  unit.plug().SendMidiMsgFromUI(IMidiMsg(0, 0x90, 60, 100));
  RenderBuffers out(2, kFrames);
  ASSERT_EQ(RenderSlice(unit, out), noErr);
  EXPECT_EQ(unit.plug().blocks, 0);
  EXPECT_TRUE(unit.plug().midiIn.empty());
  for (int i = 0; i < kFrames; ++i)
    ASSERT_FLOAT_EQ(out.at(1, i), SignalSource::Sample(1, i));

  unit.Set<UInt32>(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, 0);
  ASSERT_EQ(RenderSlice(unit, out, 64.0), noErr);
  EXPECT_EQ(unit.plug().blocks, 1);
  ASSERT_EQ(unit.plug().midiIn.size(), 1u); // the editor's queue is drained before processing
  EXPECT_EQ(unit.plug().midiIn[0].mData1, 60);
}

// --- Time information ------------------------------------------------------

struct Transport
{
  static OSStatus BeatAndTempo(void*, Float64* beat, Float64* tempo)
  {
    *beat = 16.5;
    *tempo = 98.0;
    return noErr;
  }
  static OSStatus TransportState(void*, Boolean* playing, Boolean* changed, Float64* samplePos, Boolean* cycling,
                                 Float64* cycleStart, Float64* cycleEnd)
  {
    *playing = true;
    *changed = false;
    *samplePos = 0.0; // exactly 0 is reported as unknown
    *cycling = true;
    *cycleStart = 8.0;
    *cycleEnd = -3.0;
    return noErr;
  }
  static inline Float32 numeratorToSend = 6.9f;
  static inline UInt32 denominatorToSend = 8;
  static OSStatus MusicalTime(void*, UInt32* offset, Float32* numerator, UInt32* denominator, Float64* downBeat)
  {
    *offset = 12;
    *numerator = numeratorToSend;
    *denominator = denominatorToSend;
    *downBeat = 16.0;
    return noErr;
  }
};

TEST(AURenderTime, WithoutHostCallbacksTheDefaultsApply)
{
  AUInstance unit;
  SignalSource source;
  PrepareStereo(unit, source);
  RenderBuffers out(2, kFrames);
  ASSERT_EQ(RenderSlice(unit, out), noErr);
  const ITimeInfo& t = unit.plug().lastTimeInfo;
  EXPECT_EQ(t.mTempo, 120.0);
  EXPECT_EQ(t.mNumerator, 4);
  EXPECT_EQ(t.mDenominator, 4);
  EXPECT_EQ(t.mSamplePos, -1.0);
  EXPECT_EQ(t.mPPQPos, -1.0);
  EXPECT_EQ(t.mLastBar, -1.0);
  EXPECT_FALSE(t.mTransportIsRunning);
  EXPECT_FALSE(t.mTransportLoopEnabled);
}

TEST(AURenderTime, HostCallbacksFillTheTimeInformation)
{
  AUInstance unit;
  SignalSource source;
  PrepareStereo(unit, source);
  HostCallbackInfo callbacks{};
  callbacks.beatAndTempoProc = Transport::BeatAndTempo;
  callbacks.transportStateProc = Transport::TransportState;
  callbacks.musicalTimeLocationProc = Transport::MusicalTime;
  ASSERT_EQ(unit.Set(kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0, callbacks), noErr);
  RenderBuffers out(2, kFrames);
  ASSERT_EQ(RenderSlice(unit, out), noErr);
  const ITimeInfo& t = unit.plug().lastTimeInfo;
  EXPECT_EQ(t.mTempo, 98.0);
  EXPECT_EQ(t.mPPQPos, 16.5);
  EXPECT_EQ(t.mSamplePos, -1.0);
  EXPECT_EQ(t.mCycleStart, 8.0);
  EXPECT_EQ(t.mCycleEnd, -1.0);
  EXPECT_TRUE(t.mTransportIsRunning);
  EXPECT_TRUE(t.mTransportLoopEnabled);
  EXPECT_EQ(t.mNumerator, 6);
  EXPECT_EQ(t.mDenominator, 8);
  EXPECT_EQ(t.mLastBar, 16.0);

  // A time signature that does not fit an int keeps the default.
  for (const Float32 numerator : {NAN, 1e10f, -1e10f})
  {
    Transport::numeratorToSend = numerator;
    Transport::denominatorToSend = 0x80000000u;
    ASSERT_EQ(RenderSlice(unit, out, 64.0), noErr);
    EXPECT_EQ(unit.plug().lastTimeInfo.mNumerator, 4) << numerator;
    EXPECT_EQ(unit.plug().lastTimeInfo.mDenominator, 4);
  }
  Transport::numeratorToSend = 6.9f;
  Transport::denominatorToSend = 8;
}

// --- Latency notifications -------------------------------------------------

struct LatencyLog
{
  AudioUnit unit = nullptr;
  std::vector<std::pair<AudioUnitPropertyID, Float64>> calls;

  static void Listener(void* context, AudioUnit unit, AudioUnitPropertyID prop, AudioUnitScope, AudioUnitElement)
  {
    auto* self = static_cast<LatencyLog*>(context);
    EXPECT_EQ(unit, self->unit);
    Float64 latency = -1.0;
    UInt32 size = sizeof(latency);
    AudioUnitGetProperty(unit, kAudioUnitProperty_Latency, kAudioUnitScope_Global, 0, &latency, &size);
    self->calls.push_back({prop, latency});
  }
};

TEST(AURenderLatency, LatencyChangeNotifiesOnlyLatencyListenersBeforeStoring)
{
  AUInstance unit;
  SignalSource source;
  PrepareStereo(unit, source);
  LatencyLog log;
  log.unit = unit.unit();
  AudioUnitAddPropertyListener(unit, kAudioUnitProperty_Latency, LatencyLog::Listener, &log);
  AudioUnitAddPropertyListener(unit, kAudioUnitProperty_ParameterList, LatencyLog::Listener, &log);
  unit.plug().latencyToReport = 480;
  RenderBuffers out(2, kFrames);
  ASSERT_EQ(RenderSlice(unit, out), noErr);
  ASSERT_EQ(log.calls.size(), 1u);
  EXPECT_EQ(log.calls[0].first, kAudioUnitProperty_Latency);
  EXPECT_EQ(log.calls[0].second, 0.0); // still the old value during the call
  EXPECT_EQ(unit.plug().GetLatency(), 480);

  log.calls.clear();
  unit.plug().InformHostOfParameterDetailsChange();
  ASSERT_EQ(log.calls.size(), 1u);
  EXPECT_EQ(log.calls[0].first, kAudioUnitProperty_ParameterList);
}

/** Listeners that change the listener list from inside their own call. */
struct ReentrantListeners
{
  AudioUnit unit = nullptr;
  std::vector<const char*> calls;

  static ReentrantListeners* Self(void* context) { return static_cast<ReentrantListeners*>(context); }
  static void First(void* context, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement)
  {
    ReentrantListeners* self = Self(context);
    self->calls.push_back("first");
    // Enough additions that the list has to grow while it is being walked.
    for (AudioUnitPropertyID prop = 5000; prop < 5064; ++prop)
      AudioUnitAddPropertyListener(self->unit, prop, Added, self);
    AudioUnitAddPropertyListener(self->unit, kAudioUnitProperty_ParameterList, Added, self);
    AudioUnitRemovePropertyListenerWithUserData(self->unit, kAudioUnitProperty_ParameterList, Last, self);
  }
  static void Added(void* context, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement)
  {
    Self(context)->calls.push_back("added");
  }
  static void Last(void* context, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement)
  {
    Self(context)->calls.push_back("last");
  }
};

TEST(AUListeners, ChangesMadeFromInsideACallbackTakeEffectFromTheNextNotification)
{
  AUInstance unit;
  ReentrantListeners log;
  log.unit = unit.unit();
  AudioUnitAddPropertyListener(unit, kAudioUnitProperty_ParameterList, ReentrantListeners::First, &log);
  AudioUnitAddPropertyListener(unit, kAudioUnitProperty_ParameterList, ReentrantListeners::Last, &log);

  // The added listener waits for the next notification; the removed one is not called again.
  unit.plug().InformHostOfParameterDetailsChange();
  EXPECT_EQ(log.calls, (std::vector<const char*>{"first"}));
  log.calls.clear();
  unit.plug().InformHostOfParameterDetailsChange();
  EXPECT_EQ(log.calls, (std::vector<const char*>{"first", "added"}));
}

/** A listener that sets its property again from inside its own call, down to a depth, and there
 *  removes itself and the listener registered after it. */
struct NestedListeners
{
  static constexpr AudioUnitPropertyID kProperty = 26; // render quality: refused, but listeners hear of it
  AudioUnit unit = nullptr;
  int depth = 0;
  int maxDepth = 0;
  int calls = 0;
  int laterCalls = 0;

  void SetAgain() const
  {
    const UInt32 quality = 1;
    AudioUnitSetProperty(unit, kProperty, kAudioUnitScope_Global, 0, &quality, sizeof(quality));
  }
  static void Nest(void* context, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement)
  {
    auto* self = static_cast<NestedListeners*>(context);
    ++self->calls;
    if (++self->depth < self->maxDepth)
      self->SetAgain();
    else
    {
      AudioUnitRemovePropertyListenerWithUserData(self->unit, kProperty, Later, self);
      AudioUnitRemovePropertyListenerWithUserData(self->unit, kProperty, Nest, self);
    }
    --self->depth;
  }
  static void Later(void* context, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement)
  {
    ++static_cast<NestedListeners*>(context)->laterCalls;
  }
};

TEST(AUListeners, NotificationsNestToAnyDepthAndRemovalsInsideThemReturn)
{
  for (const int depth : {1, 16, 17, 100})
  {
    FinishesWithin(std::chrono::seconds(20), "nested notifications", [depth] {
      AUInstance unit;
      NestedListeners log;
      log.unit = unit.unit();
      log.maxDepth = depth;
      AudioUnitAddPropertyListener(unit, NestedListeners::kProperty, NestedListeners::Nest, &log);
      AudioUnitAddPropertyListener(unit, NestedListeners::kProperty, NestedListeners::Later, &log);
      log.SetAgain();
      EXPECT_EQ(log.calls, depth);
      // Removed at the deepest call, before any of the walks around it reached that listener.
      EXPECT_EQ(log.laterCalls, 0) << depth;
      log.SetAgain();
      EXPECT_EQ(log.calls, depth) << "removed, yet called again";
    });
  }
}

// --- MIDI output -----------------------------------------------------------

struct MidiSink
{
  std::vector<std::vector<Byte>> packets;
  std::vector<MIDITimeStamp> times;
  int calls = 0;

  static OSStatus Receive(void* userData, const AudioTimeStamp*, UInt32 outNum, const MIDIPacketList* list)
  {
    auto* self = static_cast<MidiSink*>(userData);
    EXPECT_EQ(outNum, 0u);
    ++self->calls;
    const MIDIPacket* packet = &list->packet[0];
    for (UInt32 i = 0; i < list->numPackets; ++i)
    {
      self->packets.emplace_back(packet->data, packet->data + packet->length);
      const MIDITimeStamp time = packet->timeStamp; // a packed member: copy, don't bind
      self->times.push_back(time);
      packet = MIDIPacketNext(packet);
    }
    return noErr;
  }
};

TEST(AUMidiOut, MessagesTravelAsPacketLists)
{
  AUInstance unit;
  AUTestPlug& plug = unit.plug();
  EXPECT_FALSE(plug.SendMidiMsg(IMidiMsg(0, 0x90, 60, 1))); // no callback yet

  MidiSink sink;
  AUMIDIOutputCallbackStruct callback{MidiSink::Receive, &sink};
  ASSERT_EQ(unit.Set(kAudioUnitProperty_MIDIOutputCallback, kAudioUnitScope_Global, 0, callback), noErr);
  EXPECT_TRUE(plug.SendMidiMsg(IMidiMsg(7, 0x90, 60, 100)));
  ASSERT_EQ(sink.packets.size(), 1u);
  EXPECT_EQ(sink.packets[0], (std::vector<Byte>{0x90, 60, 100}));
  EXPECT_EQ(sink.times[0], 7u);

  WDL_TypedBuf<IMidiMsg> msgs;
  msgs.Add(IMidiMsg(1, 0x80, 60, 0));
  msgs.Add(IMidiMsg(5, 0xB0, 7, 90));
  sink = MidiSink();
  EXPECT_TRUE(plug.SendMidiMsgs(msgs));
  EXPECT_EQ(sink.calls, 1);
  ASSERT_EQ(sink.packets.size(), 2u);
  EXPECT_EQ(sink.packets[1], (std::vector<Byte>{0xB0, 7, 90}));
  EXPECT_EQ(sink.times[1], 5u);
}

TEST(AUMidiOut, LongSysExIsSplitAcrossPacketsInOrder)
{
  AUInstance unit;
  MidiSink sink;
  AUMIDIOutputCallbackStruct callback{MidiSink::Receive, &sink};
  unit.Set(kAudioUnitProperty_MIDIOutputCallback, kAudioUnitScope_Global, 0, callback);
  std::vector<Byte> bytes(600);
  for (size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = static_cast<Byte>(i % 128);
  bytes.front() = 0xF0;
  bytes.back() = 0xF7;
  EXPECT_TRUE(unit.plug().SendSysEx(ISysEx(3, bytes.data(), static_cast<int>(bytes.size()))));
  std::vector<Byte> received;
  for (const auto& packet : sink.packets)
    received.insert(received.end(), packet.begin(), packet.end());
  EXPECT_GT(sink.packets.size(), 1u);
  EXPECT_EQ(received, bytes);
}

TEST(AUMidiOut, EditorSysExIsSentAfterTheBlock)
{
  AUInstance unit;
  SignalSource source;
  PrepareStereo(unit, source);
  MidiSink sink;
  AUMIDIOutputCallbackStruct callback{MidiSink::Receive, &sink};
  unit.Set(kAudioUnitProperty_MIDIOutputCallback, kAudioUnitScope_Global, 0, callback);
  const uint8_t sysex[] = {0xF0, 0x43, 0x10, 0xF7};
  unit.plug().SendSysexMsgFromUI(ISysEx(2, sysex, 4));
  RenderBuffers out(2, kFrames);
  ASSERT_EQ(RenderSlice(unit, out), noErr);
  ASSERT_EQ(sink.packets.size(), 1u);
  EXPECT_EQ(sink.packets[0], (std::vector<Byte>{0xF0, 0x43, 0x10, 0xF7}));
  EXPECT_EQ(sink.times[0], 2u);
}
} // namespace
} // namespace corvane_test
