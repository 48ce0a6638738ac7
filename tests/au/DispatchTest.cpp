// Component entry points: the factory's selector table, the Component
// Manager dispatcher, initialisation, parameters, listeners and notifiers.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <utility>

#include "au/AUHost.h"
#include "au/IPlugAUFactory.h"

namespace corvane_test {
namespace {
template <bool MIDI>
AudioComponentMethod LookupThroughInterface(SInt16 selector)
{
  AudioComponentPlugInInterface* iface = IPlugAUFactory<AUTestPlug, MIDI>::Factory(nullptr);
  AudioComponentMethod method = iface->Lookup(selector);
  std::free(iface); // never opened: nothing was constructed in it
  return method;
}

TEST(AUFactory, LookupAnswersOnlyTheSupportedSelectors)
{
  for (SInt16 selector : {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 14, 15, 16, 17, 18})
    EXPECT_NE(LookupThroughInterface<false>(selector), nullptr) << selector;
  for (SInt16 selector : {0, 8, 12, 13, 19, 0x101, 0x102, 0x105, -1, 999})
    EXPECT_EQ(LookupThroughInterface<false>(selector), nullptr) << selector;
}

TEST(AUFactory, MidiInstantiationAlsoAnswersMidiSelectors)
{
  EXPECT_NE(LookupThroughInterface<true>(kMusicDeviceMIDIEventSelect), nullptr);
  EXPECT_NE(LookupThroughInterface<true>(kMusicDeviceSysExSelect), nullptr);
}

TEST(AUFactory, OpenPrunesEmptyPresetSlotsAndStoresTheInstance)
{
  NextTestPlugOptions().presetCount = 2;
  AUInstance unit;
  NextTestPlugOptions().presetCount = 0;
  ASSERT_NE(unit.unit(), nullptr);
  EXPECT_EQ(unit.plug().NPresets(), 2);
  EXPECT_EQ(unit.plug().GetComponentInstance(), unit.unit());
  EXPECT_FALSE(unit.plug().IsActive());
  EXPECT_EQ(unit.plug().GetBlockSize(), 512);
}

TEST(AUFactory, ExceptionsBecomeStatusesAtTheHostsCBoundary)
{
  // Construction out of memory, through the factory and through the Component Manager entry.
  NextTestPlugOptions().outOfMemory = true;
  AudioUnit unit = nullptr;
  EXPECT_EQ(AudioComponentInstanceNew(TestPlugComponent(), &unit), kAudio_MemFullError);
  NextTestPlugOptions().outOfMemory = false;
  AUInstance host;
  NextTestPlugOptions().outOfMemory = true;
  void* storage = GetComponentInstanceStorage(host.unit());
  auto open = MakeComponentParameters(kComponentOpenSelect, host.unit());
  EXPECT_EQ(IPlugAU::IPlugAUEntry(open.get(), nullptr), kAudio_MemFullError);
  EXPECT_EQ(GetComponentInstanceStorage(host.unit()), storage);
  NextTestPlugOptions().outOfMemory = false;

  // Processing that throws fails the render call, through both paths.
  SignalSource source;
  PrepareStereo(host, source);
  host.plug().throwInProcess = true;
  RenderBuffers out(2, 64);
  EXPECT_EQ(RenderSlice(host, out), kAudio_ParamError);
  AudioUnitRenderActionFlags flags = 0;
  const AudioTimeStamp ts = SampleTime(64.0);
  auto render = MakeComponentParameters(kAudioUnitRenderSelect, &flags, &ts, UInt32{0}, UInt32{64}, out.list());
  EXPECT_EQ(IPlugAU::IPlugAUEntry(render.get(), host.adapter()), kAudio_ParamError);
}

// --- Component Manager entry ---------------------------------------------

class ComponentManagerEntry : public ::testing::Test
{
protected:
  void SetUp() override
  {
    ASSERT_NE(host.unit(), nullptr);
    hostStorage = GetComponentInstanceStorage(host.unit());
    auto open = MakeComponentParameters(kComponentOpenSelect, host.unit());
    ASSERT_EQ(IPlugAU::IPlugAUEntry(open.get(), nullptr), noErr);
    plug = reinterpret_cast<IPlugAU*>(GetComponentInstanceStorage(host.unit()));
  }

  void TearDown() override
  {
    if (plug)
      Call(kComponentCloseSelect);
    SetComponentInstanceStorage(host.unit(), hostStorage);
  }

  template <typename... Args>
  ComponentResult Call(SInt16 what, Args... args)
  {
    auto block = MakeComponentParameters(what, args...);
    return IPlugAU::IPlugAUEntry(block.get(), plug);
  }

  AUInstance host; // lends its component instance to the legacy entry
  Handle hostStorage = nullptr;
  IPlugAU* plug = nullptr;
};

TEST_F(ComponentManagerEntry, OpenCreatesTheObjectAsInstanceStorage)
{
  ASSERT_NE(plug, nullptr);
  EXPECT_NE(static_cast<void*>(plug), static_cast<void*>(host.adapter()));
  EXPECT_EQ(plug->GetComponentInstance(), host.unit());
}

TEST_F(ComponentManagerEntry, CanDoListsSelectorsWithoutRemoveListenerWithUserData)
{
  for (SInt16 selector : {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 14, 15, 16, 17})
    EXPECT_EQ(Call(kComponentCanDoSelect, selector), 1) << selector;
  for (SInt16 selector : {0, 8, 12, 13, 18, 0x101, -1})
    EXPECT_EQ(Call(kComponentCanDoSelect, selector), 0) << selector;
}

TEST_F(ComponentManagerEntry, VersionAndUnknownSelectors)
{
  EXPECT_EQ(Call(kComponentVersionSelect), 0x00010203);
  for (SInt16 selector : {0, 8, 12, 13, 0x110})
    EXPECT_EQ(Call(selector), badComponentSelector) << selector;
  for (SInt16 selector :
       {kMusicDevicePrepareInstrumentSelect, kMusicDeviceReleaseInstrumentSelect, kMusicDeviceStopNoteSelect})
    EXPECT_EQ(Call(selector), noErr);
}

TEST_F(ComponentManagerEntry, ParametersTravelThroughTheSlots)
{
  EXPECT_EQ(Call(kAudioUnitSetParameterSelect, AudioUnitParameterID{kParamGain}, AudioUnitScope{kAudioUnitScope_Global},
                 AudioUnitElement{0}, AudioUnitParameterValue{3.5f}, UInt32{0}),
            noErr);
  AudioUnitParameterValue value = 0.f;
  EXPECT_EQ(Call(kAudioUnitGetParameterSelect, AudioUnitParameterID{kParamGain}, AudioUnitScope{kAudioUnitScope_Global},
                 AudioUnitElement{0}, &value),
            noErr);
  EXPECT_FLOAT_EQ(value, 3.5f);
}

TEST_F(ComponentManagerEntry, StartNoteAnswersTheTruncatedPitch)
{
  // A pitch with no whole part in range (negative, NaN, huge) answers 0.
  const std::pair<float, NoteInstanceID> cases[] = {{61.9f, 61u}, {-5.f, 0u}, {NAN, 0u}, {1e20f, 0u}};
  for (const auto& [pitch, expected] : cases)
  {
    MusicDeviceNoteParams params{};
    params.argCount = 2;
    params.mPitch = pitch;
    NoteInstanceID note = 7;
    EXPECT_EQ(Call(kMusicDeviceStartNoteSelect, MusicDeviceInstrumentID{0}, MusicDeviceGroupID{0}, &note, UInt32{0},
                   static_cast<const MusicDeviceNoteParams*>(&params)),
              noErr);
    EXPECT_EQ(note, expected) << pitch;
  }
}

TEST_F(ComponentManagerEntry, MidiIsRefusedWithoutMidiInput)
{
  EXPECT_EQ(Call(kMusicDeviceMIDIEventSelect, UInt32{0x90}, UInt32{60}, UInt32{100}, UInt32{0}), badComponentSelector);
  const UInt8 sysex[] = {0xF0, 0x7E, 0xF7};
  EXPECT_EQ(Call(kMusicDeviceSysExSelect, sysex, UInt32{3}), badComponentSelector);
}

TEST_F(ComponentManagerEntry, CloseClearsConnectionsAndDeletes)
{
  SignalSource source;
  AURenderCallbackStruct callback{SignalSource::Render, &source};
  EXPECT_EQ(Call(kAudioUnitSetPropertySelect, AudioUnitPropertyID{kAudioUnitProperty_SetRenderCallback},
                 AudioUnitScope{kAudioUnitScope_Input}, AudioUnitElement{0}, static_cast<const void*>(&callback),
                 UInt32{sizeof(callback)}),
            noErr);
  EXPECT_EQ(plug->GetInputConnection(0)->inputType, IPlugAU::eRenderCallback);
  plug->ClearConnections();
  EXPECT_EQ(plug->GetInputConnection(0)->inputType, IPlugAU::eNotConnected);
  EXPECT_EQ(plug->GetBus(kAudioUnitScope_Input, 0)->hostChannelCount, -1);
}

// --- MIDI through the factory ----------------------------------------------

TEST(AUMidi, MidiEventReachesProcessorAndEditorQueue)
{
  NextTestPlugOptions().midiIn = true;
  AUInstance unit(true);
  NextTestPlugOptions().midiIn = false;
  ASSERT_NE(unit.unit(), nullptr);
  EXPECT_EQ(MusicDeviceMIDIEvent(unit, 0x1B0, 0x107, 0x17F, 12), noErr);
  ASSERT_EQ(unit.plug().midiIn.size(), 1u);
  const IMidiMsg& msg = unit.plug().midiIn[0];
  EXPECT_EQ(msg.mStatus, 0xB0); // each value taken as a byte
  EXPECT_EQ(msg.mData1, 0x07);
  EXPECT_EQ(msg.mData2, 0x7F);
  EXPECT_EQ(msg.mOffset, 12);
  const UInt8 sysex[] = {0xF0, 1, 2, 3, 0xF7};
  EXPECT_EQ(MusicDeviceSysEx(unit, sysex, sizeof(sysex)), noErr);
  EXPECT_EQ(unit.plug().sysexInSizes, std::vector<int>{5});
}

// --- Initialize ------------------------------------------------------------

TEST(AUInitialize, DeliversEveryParameterWithResetSourceAndActivates)
{
  AUInstance unit;
  EXPECT_EQ(AudioUnitInitialize(unit), noErr); // no formats: both counts -1
  AUTestPlug& plug = unit.plug();
  EXPECT_TRUE(plug.IsActive());
  ASSERT_EQ(plug.paramChanges.size(), static_cast<size_t>(kNumTestParams));
  for (int i = 0; i < kNumTestParams; ++i)
  {
    EXPECT_EQ(plug.paramChanges[static_cast<size_t>(i)].idx, i);
    EXPECT_EQ(plug.paramChanges[static_cast<size_t>(i)].source, kReset);
  }
  EXPECT_EQ(plug.activations, std::vector<bool>{true});
  EXPECT_NE(plug.GetHost(), kHostUninit); // identified from the main bundle

  EXPECT_EQ(AudioUnitUninitialize(unit), noErr);
  EXPECT_FALSE(plug.IsActive());
  EXPECT_EQ(plug.activations, (std::vector<bool>{true, false}));
  EXPECT_EQ(AudioUnitInitialize(unit), noErr); // again after uninitialize
  EXPECT_TRUE(plug.IsActive());
}

TEST(AUInitialize, RefusesChannelCountsNoLayoutAccepts)
{
  AUInstance unit;
  ASSERT_EQ(unit.SetFormat(kAudioUnitScope_Input, 0, 1), noErr);
  ASSERT_EQ(unit.SetFormat(kAudioUnitScope_Output, 0, 2), noErr); // accepted: inputs not counted while inactive
  EXPECT_EQ(AudioUnitInitialize(unit), badComponentSelector);
  EXPECT_FALSE(unit.plug().IsActive());
  EXPECT_TRUE(unit.plug().activations.empty());
  ASSERT_EQ(unit.SetFormat(kAudioUnitScope_Input, 0, 2), noErr);
  EXPECT_EQ(AudioUnitInitialize(unit), noErr);
}

TEST(AUInitialize, ResetKeepsTheInitializedState)
{
  AUInstance unit;
  AudioUnitInitialize(unit);
  const int before = unit.plug().resets;
  EXPECT_EQ(AudioUnitReset(unit, kAudioUnitScope_Output, 3), noErr);
  EXPECT_EQ(unit.plug().resets, before + 1);
  EXPECT_TRUE(unit.plug().IsActive());
}

TEST(AUHostVersion, ParsesUpToThreeNumbers)
{
  EXPECT_EQ(IPlugAU::ParseHostVersionString("10.4"), 0x000A0400);
  EXPECT_EQ(IPlugAU::ParseHostVersionString("2"), 0x00020000);
  EXPECT_EQ(IPlugAU::ParseHostVersionString("1.2.3.4"), 0x00010203);
  EXPECT_EQ(IPlugAU::ParseHostVersionString("3-1b7"), 0x00030107);
  EXPECT_EQ(IPlugAU::ParseHostVersionString(""), 0);
  EXPECT_EQ(IPlugAU::ParseHostVersionString(nullptr), 0);
}

// --- Parameters ------------------------------------------------------------

TEST(AUParameters, GetRequiresGlobalScopeAndLeavesValueAlone)
{
  AUInstance unit;
  AudioUnitParameterValue value = 42.f;
  EXPECT_EQ(AudioUnitGetParameter(unit, kParamGain, kAudioUnitScope_Input, 0, &value), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(value, 42.f);
  EXPECT_EQ(AudioUnitGetParameter(unit, kNumTestParams, kAudioUnitScope_Global, 0, &value),
            kAudioUnitErr_InvalidParameter);
  EXPECT_EQ(AudioUnitGetParameter(unit, kParamFrequency, kAudioUnitScope_Global, 0, &value), noErr);
  EXPECT_FLOAT_EQ(value, 1000.f);
}

TEST(AUParameters, SetRoundsSteppedValuesButTheEditorGetsTheValueAsSent)
{
  AUInstance unit;
  AUTestPlug& plug = unit.plug();
  plug.paramChanges.clear();
  EXPECT_EQ(AudioUnitSetParameter(unit, kParamStepped, kAudioUnitScope_Global, 0, 0.26f, 0), noErr);
  EXPECT_DOUBLE_EQ(plug.GetParam(kParamStepped)->Value(), 0.5);
  ASSERT_EQ(plug.paramChanges.size(), 1u);
  EXPECT_EQ(plug.paramChanges[0].source, kHost);

  plug.DrainQueuesForTest();
  ASSERT_EQ(plug.editorValues.size(), 1u);
  EXPECT_EQ(plug.editorValues[0].idx, kParamStepped);
  EXPECT_NEAR(plug.editorValues[0].value, 0.26, 1e-6);

  EXPECT_EQ(AudioUnitSetParameter(unit, kParamGain, kAudioUnitScope_Global, 0, 100.f, 0), noErr);
  EXPECT_DOUBLE_EQ(plug.GetParam(kParamGain)->Value(), 12.0); // clamped
  EXPECT_EQ(AudioUnitSetParameter(unit, kParamGain, kAudioUnitScope_Output, 0, 1.f, 0), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(AudioUnitSetParameter(unit, 1000, kAudioUnitScope_Global, 0, 1.f, 0), kAudioUnitErr_InvalidParameter);
  for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()})
    EXPECT_EQ(AudioUnitSetParameter(unit, kParamGain, kAudioUnitScope_Global, 0, bad, 0),
              kAudioUnitErr_InvalidParameterValue);
  EXPECT_DOUBLE_EQ(plug.GetParam(kParamGain)->Value(), 12.0);
}

TEST(AUParameters, ScheduleStopsAtTheFirstNonGlobalImmediateEvent)
{
  AUInstance unit;
  auto immediate = [](AudioUnitParameterID id, AudioUnitScope scope, float value) {
    AudioUnitParameterEvent e{};
    e.scope = scope;
    e.parameter = id;
    e.eventType = kParameterEvent_Immediate;
    e.eventValues.immediate.value = value;
    return e;
  };
  AudioUnitParameterEvent ramp{};
  ramp.scope = kAudioUnitScope_Global;
  ramp.parameter = kParamFrequency;
  ramp.eventType = kParameterEvent_Ramped;
  ramp.eventValues.ramp.startValue = 50.f;
  ramp.eventValues.ramp.endValue = 60.f;
  const AudioUnitParameterEvent events[] = {
    immediate(kParamGain, kAudioUnitScope_Global, 2.f),
    ramp,
    immediate(kParamGain, kAudioUnitScope_Input, 3.f),
    immediate(kParamMode, kAudioUnitScope_Global, 2.f),
  };
  EXPECT_EQ(AudioUnitScheduleParameters(unit, events, 4), kAudioUnitErr_InvalidProperty);
  EXPECT_DOUBLE_EQ(unit.plug().GetParam(kParamGain)->Value(), 2.0);
  EXPECT_DOUBLE_EQ(unit.plug().GetParam(kParamFrequency)->Value(), 1000.0);
  EXPECT_DOUBLE_EQ(unit.plug().GetParam(kParamMode)->Value(), 0.0);
}

// --- Listeners and notifiers -----------------------------------------------

struct ListenerLog
{
  std::vector<std::pair<void*, AudioUnitPropertyID>> calls;
  static void Listener(void* context, AudioUnit, AudioUnitPropertyID prop, AudioUnitScope, AudioUnitElement)
  {
    log().calls.push_back({context, prop});
  }
  static void Other(void* context, AudioUnit, AudioUnitPropertyID prop, AudioUnitScope, AudioUnitElement)
  {
    log().calls.push_back({context, prop + 1000});
  }
  static ListenerLog& log()
  {
    static ListenerLog instance;
    return instance;
  }
};

TEST(AUListeners, SameFunctionForAPropertyIsKeptOnceWithItsFirstContext)
{
  AUInstance unit;
  ListenerLog::log().calls.clear();
  int a = 0, b = 0;
  AudioUnitAddPropertyListener(unit, kAudioUnitProperty_BypassEffect, ListenerLog::Listener, &a);
  AudioUnitAddPropertyListener(unit, kAudioUnitProperty_BypassEffect, ListenerLog::Listener, &b);
  AudioUnitAddPropertyListener(unit, kAudioUnitProperty_BypassEffect, ListenerLog::Other, &b);
  unit.Set<UInt32>(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, 0);
  ASSERT_EQ(ListenerLog::log().calls.size(), 2u);
  EXPECT_EQ(ListenerLog::log().calls[0].first, &a);
  EXPECT_EQ(ListenerLog::log().calls[1].second, kAudioUnitProperty_BypassEffect + 1000);

  // With user data: only an exact match is removed.
  ListenerLog::log().calls.clear();
  AudioUnitRemovePropertyListenerWithUserData(unit, kAudioUnitProperty_BypassEffect, ListenerLog::Listener, &b);
  AudioUnitRemovePropertyListenerWithUserData(unit, kAudioUnitProperty_BypassEffect, ListenerLog::Other, &b);
  unit.Set<UInt32>(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, 0);
  ASSERT_EQ(ListenerLog::log().calls.size(), 1u);
  EXPECT_EQ(ListenerLog::log().calls[0].first, &a);

  ListenerLog::log().calls.clear();
  EXPECT_EQ(AudioUnitRemovePropertyListener(unit, kAudioUnitProperty_BypassEffect, ListenerLog::Listener), noErr);
  EXPECT_EQ(AudioUnitRemovePropertyListener(unit, kAudioUnitProperty_BypassEffect, ListenerLog::Listener), noErr);
  unit.Set<UInt32>(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, 0);
  EXPECT_TRUE(ListenerLog::log().calls.empty());
}
} // namespace
} // namespace corvane_test
