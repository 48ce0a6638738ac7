// Saved state as the class-info dictionary, factory presets and their array
// callbacks, the present preset, and parameter events sent to the host.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include <AudioToolbox/AudioUnitUtilities.h>

#include "au/AUHost.h"
#include "au/CFAUPreset.h"
#include "au/CFUtilities.h"

namespace corvane_test {
namespace {
constexpr AudioUnitScope G = kAudioUnitScope_Global;

std::string ToString(CFStringRef str)
{
  WDL_String text;
  CFStringToUTF8(str, text);
  return text.Get();
}

/** The unit's class-info dictionary, as a mutable copy the test owns. */
CFMutableDictionaryRef SavedState(AUInstance& unit)
{
  CFPropertyListRef state = nullptr;
  EXPECT_EQ(unit.Get(kAudioUnitProperty_ClassInfo, G, 0, state), noErr);
  CFMutableDictionaryRef copy =
    CFDictionaryCreateMutableCopy(kCFAllocatorDefault, 0, static_cast<CFDictionaryRef>(state));
  CFRelease(state);
  return copy;
}

OSStatus Restore(AUInstance& unit, CFDictionaryRef state)
{
  CFPropertyListRef plist = state;
  return unit.Set(kAudioUnitProperty_ClassInfo, G, 0, plist);
}

void SetKey(CFMutableDictionaryRef dict, const char* key, SInt32 value) { IPlugAU::PutNumberInDict(dict, key, value); }

void RemoveKey(CFMutableDictionaryRef dict, const char* key)
{
  CFStringRef cfKey = MakeCFString(key);
  CFDictionaryRemoveValue(dict, cfKey);
  CFRelease(cfKey);
}

class AUState : public ::testing::Test
{
protected:
  void SetUp() override { NextTestPlugOptions().presetCount = 2; }
  void TearDown() override { NextTestPlugOptions().presetCount = 0; }
};

TEST_F(AUState, DictionaryDescribesTheComponentAndHoldsTheState)
{
  AUInstance unit;
  unit.plug().RestorePreset(1);
  CFMutableDictionaryRef state = SavedState(unit);
  SInt32 value = 0;
  ASSERT_TRUE(IPlugAU::GetNumberFromDict(state, "version", value));
  EXPECT_EQ(value, 0x00010203);
  ASSERT_TRUE(IPlugAU::GetNumberFromDict(state, "type", value));
  EXPECT_EQ(value, static_cast<SInt32>(kAudioUnitType_Effect));
  ASSERT_TRUE(IPlugAU::GetNumberFromDict(state, "subtype", value));
  EXPECT_EQ(value, AUTestPlug::kUniqueId);
  ASSERT_TRUE(IPlugAU::GetNumberFromDict(state, "manufacturer", value));
  EXPECT_EQ(value, AUTestPlug::kMakerId);
  WDL_String name;
  ASSERT_TRUE(IPlugAU::GetStrFromDict(state, "name", name));
  EXPECT_STREQ(name.Get(), "Preset 2");
  IByteChunk chunk;
  ASSERT_TRUE(IPlugAU::GetDataFromDict(state, "data", chunk));
  EXPECT_EQ(chunk.Size(), kNumTestParams * 8);
  CFRelease(state);
}

TEST_F(AUState, RoundTripRestoresEveryParameter)
{
  AUInstance source, target;
  AudioUnitSetParameter(source, kParamGain, G, 0, -3.5f, 0);
  AudioUnitSetParameter(source, kParamMode, G, 0, 2.f, 0);
  AudioUnitSetParameter(source, kParamFrequency, G, 0, 440.f, 0);
  CFMutableDictionaryRef state = SavedState(source);
  ASSERT_EQ(Restore(target, state), noErr);
  for (int i = 0; i < kNumTestParams; ++i)
    EXPECT_DOUBLE_EQ(target.plug().GetParam(i)->Value(), source.plug().GetParam(i)->Value()) << i;
  CFRelease(state);
}

TEST_F(AUState, MissingKeysAndForeignComponentsAreRefusedUntouched)
{
  AUInstance unit;
  AudioUnitSetParameter(unit, kParamGain, G, 0, 6.f, 0);
  CFMutableDictionaryRef saved = SavedState(unit);
  AudioUnitSetParameter(unit, kParamGain, G, 0, -6.f, 0);
  unit.plug().RestorePreset(1);
  const int presetBefore = unit.plug().GetCurrentPresetIdx();
  const double gainBefore = unit.plug().GetParam(kParamGain)->Value();

  for (const char* key : {"version", "type", "subtype", "manufacturer", "name"})
  {
    CFMutableDictionaryRef broken = CFDictionaryCreateMutableCopy(kCFAllocatorDefault, 0, saved);
    RemoveKey(broken, key);
    EXPECT_EQ(Restore(unit, broken), kAudioUnitErr_InvalidPropertyValue) << key;
    CFRelease(broken);
  }
  for (const char* key : {"type", "subtype", "manufacturer"})
  {
    CFMutableDictionaryRef foreign = CFDictionaryCreateMutableCopy(kCFAllocatorDefault, 0, saved);
    SetKey(foreign, key, 0x12345678);
    EXPECT_EQ(Restore(unit, foreign), kAudioUnitErr_InvalidPropertyValue) << key;
    CFRelease(foreign);
  }
  // A value of the wrong type counts as missing.
  CFMutableDictionaryRef wrongType = CFDictionaryCreateMutableCopy(kCFAllocatorDefault, 0, saved);
  IPlugAU::PutStrInDict(wrongType, "version", "1.0");
  EXPECT_EQ(Restore(unit, wrongType), kAudioUnitErr_InvalidPropertyValue);
  CFRelease(wrongType);
  // Not a dictionary at all.
  CFStringRef notADict = MakeCFString("state");
  EXPECT_EQ(Restore(unit, reinterpret_cast<CFDictionaryRef>(notADict)), kAudioUnitErr_InvalidPropertyValue);
  CFRelease(notADict);

  EXPECT_EQ(unit.plug().GetCurrentPresetIdx(), presetBefore);
  EXPECT_EQ(unit.plug().GetParam(kParamGain)->Value(), gainBefore);
  CFRelease(saved);
}

TEST_F(AUState, UnreadableDataFailsAfterThePresetWasSelected)
{
  AUInstance unit;
  CFMutableDictionaryRef state = SavedState(unit);
  IPlugAU::PutStrInDict(state, "name", "Preset 2");
  IByteChunk tooShort;
  tooShort.Resize(3);
  IPlugAU::PutDataInDict(state, "data", tooShort);
  EXPECT_EQ(Restore(unit, state), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(unit.plug().GetCurrentPresetIdx(), 1);
  RemoveKey(state, "data");
  EXPECT_EQ(Restore(unit, state), kAudioUnitErr_InvalidPropertyValue);
  CFRelease(state);
}

TEST_F(AUState, TruncatedDataIsRefusedWithoutChangingAnyParameter)
{
  AUInstance source, unit;
  for (int i = 0; i < kNumTestParams; ++i)
    source.plug().GetParam(i)->SetNormalized(0.9);
  CFMutableDictionaryRef state = SavedState(source);
  IPlugAU::PutStrInDict(state, "name", ""); // no preset selection in between
  CFDataRef full = static_cast<CFDataRef>(CFDictionaryGetValue(state, CFSTR("data")));
  ASSERT_NE(full, nullptr);
  const CFIndex fullLength = CFDataGetLength(full);

  std::vector<double> before;
  for (int i = 0; i < kNumTestParams; ++i)
    before.push_back(unit.plug().GetParam(i)->Value());
  // Every cut: through the editor record, and mid-way through each value.
  for (CFIndex cut = 0; cut < fullLength; cut += 5)
  {
    IByteChunk shortData;
    shortData.Resize(static_cast<int>(cut));
    if (cut > 0)
      std::memcpy(shortData.Data(), CFDataGetBytePtr(full), static_cast<size_t>(cut));
    CFMutableDictionaryRef truncated = CFDictionaryCreateMutableCopy(kCFAllocatorDefault, 0, state);
    IPlugAU::PutDataInDict(truncated, "data", shortData);
    EXPECT_EQ(Restore(unit, truncated), kAudioUnitErr_InvalidPropertyValue) << cut;
    CFRelease(truncated);
    for (int i = 0; i < kNumTestParams; ++i)
      EXPECT_EQ(unit.plug().GetParam(i)->Value(), before[static_cast<size_t>(i)]) << "cut " << cut << " param " << i;
  }
  CFRelease(state);
}

TEST_F(AUState, BlobsAndPresetNumbersOutOfRangeAreRefused)
{
  AUInstance unit;
  const double gain = unit.plug().GetParam(kParamGain)->Value();
  CFMutableDictionaryRef state = SavedState(unit);
  IPlugAU::PutStrInDict(state, "name", "");
  // Longer than a chunk can hold; only the length is ever read.
  static const UInt8 bytes[16] = {};
  for (const CFIndex length : {CFIndex(1) << 31, (CFIndex(1) << 32) + 16})
  {
    CFDataRef huge = CFDataCreateWithBytesNoCopy(kCFAllocatorDefault, bytes, length, kCFAllocatorNull);
    CFDictionarySetValue(state, CFSTR("data"), huge);
    CFRelease(huge);
    EXPECT_EQ(Restore(unit, state), kAudioUnitErr_InvalidPropertyValue) << length;
  }
  CFRelease(state);
  // A factory preset that does not exist is not selected.
  for (const AudioUnitPropertyID prop : {kAudioUnitProperty_PresentPreset, kAudioUnitProperty_CurrentPreset})
  {
    const AUPreset missing{99, nullptr};
    EXPECT_EQ(unit.Set(prop, G, 0, missing), kAudioUnitErr_InvalidPropertyValue) << prop;
  }
  EXPECT_EQ(unit.plug().GetParam(kParamGain)->Value(), gain);
}

// --- Presets ---------------------------------------------------------------

TEST_F(AUState, FactoryPresetsAndThePresentPreset)
{
  AUInstance unit;
  CFArrayRef presets = nullptr;
  ASSERT_EQ(unit.Get(kAudioUnitProperty_FactoryPresets, G, 0, presets), noErr);
  ASSERT_EQ(CFArrayGetCount(presets), 2);
  const auto* second = static_cast<const AUPreset*>(CFArrayGetValueAtIndex(presets, 1));
  EXPECT_EQ(second->presetNumber, 1);
  EXPECT_EQ(ToString(second->presetName), "Preset 2");
  CFRelease(presets);

  AUPreset present{1, nullptr};
  ASSERT_EQ(unit.Set(kAudioUnitProperty_PresentPreset, G, 0, present), noErr);
  EXPECT_DOUBLE_EQ(unit.plug().GetParam(kParamGain)->Value(), 2.0);
  AUPreset current{};
  ASSERT_EQ(unit.Get(kAudioUnitProperty_CurrentPreset, G, 0, current), noErr);
  EXPECT_EQ(current.presetNumber, 1);
  EXPECT_EQ(ToString(current.presetName), "Preset 2");
  CFRelease(current.presetName);
}

struct PresetListener
{
  int calls = 0;
  static void Listener(void* context, AudioUnit, AudioUnitPropertyID prop, AudioUnitScope scope, AudioUnitElement)
  {
    EXPECT_EQ(prop, kAudioUnitProperty_PresentPreset);
    EXPECT_EQ(scope, kAudioUnitScope_Global);
    ++static_cast<PresetListener*>(context)->calls;
  }
};

TEST_F(AUState, PresetChangesMadeByThePlugInReachPresentPresetListeners)
{
  AUInstance unit;
  PresetListener listener;
  AudioUnitAddPropertyListener(unit, kAudioUnitProperty_PresentPreset, PresetListener::Listener, &listener);
  unit.plug().InformHostOfPresetChange();
  EXPECT_EQ(listener.calls, 1);
}

TEST(AUPresetArray, EmptyWithoutPresets)
{
  AUInstance unit;
  CFArrayRef presets = nullptr;
  ASSERT_EQ(unit.Get(kAudioUnitProperty_FactoryPresets, G, 0, presets), noErr);
  EXPECT_EQ(CFArrayGetCount(presets), 0);
  CFRelease(presets);
}

TEST(AUPresetArray, PresetObjectsDescribeAndCompareThemselves)
{
  CFStringRef name = MakeCFString("Warm Vocal");
  CFAUPresetRef a = CFAUPresetCreate(kCFAllocatorDefault, 3, name);
  CFAUPresetRef b = CFAUPresetCreate(kCFAllocatorDefault, 3, name);
  CFAUPresetRef c = CFAUPresetCreate(kCFAllocatorDefault, 4, name);
  CFRelease(name);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->retainCount, 1);

  CFMutableArrayRef array = CFArrayCreateMutable(kCFAllocatorDefault, 0, &kCFAUPresetArrayCallBacks);
  CFArrayAppendValue(array, a);
  EXPECT_EQ(a->retainCount, 2);
  EXPECT_TRUE(CFArrayContainsValue(array, CFRangeMake(0, 1), b));
  EXPECT_FALSE(CFArrayContainsValue(array, CFRangeMake(0, 1), c));

  CFStringRef description = CFAUPresetCopyDescription(a);
  EXPECT_EQ(ToString(description), "AUPreset:\npreset number = 3\npreset name = Warm Vocal");
  CFRelease(description);

  CFRelease(array);
  EXPECT_EQ(a->retainCount, 1);
  CFAUPresetRelease(a);
  CFAUPresetRelease(b);
  CFAUPresetRelease(c);

  CFArrayCallBacks callbacks{};
  CFAUPresetArrayCallBacks_Init(&callbacks);
  EXPECT_EQ(callbacks.version, 0);
  EXPECT_EQ(callbacks.equal, kCFAUPresetArrayCallBacks.equal);
}

// --- Parameter events ------------------------------------------------------

struct EventLog
{
  std::vector<std::pair<AudioUnitEventType, AudioUnitParameterID>> events;
  AudioUnit unit = nullptr;

  static void Listener(void* refCon, void*, const AudioUnitEvent* event, UInt64, AudioUnitParameterValue)
  {
    auto* self = static_cast<EventLog*>(refCon);
    EXPECT_EQ(event->mArgument.mParameter.mAudioUnit, self->unit);
    EXPECT_EQ(event->mArgument.mParameter.mScope, kAudioUnitScope_Global);
    EXPECT_EQ(event->mArgument.mParameter.mElement, 0u);
    self->events.push_back({event->mEventType, event->mArgument.mParameter.mParameterID});
  }
};

TEST(AUParameterEvents, EditorGesturesBecomeHostEvents)
{
  AUInstance unit;
  EventLog log;
  log.unit = unit.unit();
  AUEventListenerRef listener = nullptr;
  ASSERT_EQ(AUEventListenerCreate(EventLog::Listener, &log, nullptr, nullptr, 0.f, 0.f, &listener), noErr);
  for (AudioUnitEventType type : {kAudioUnitEvent_BeginParameterChangeGesture, kAudioUnitEvent_ParameterValueChange,
                                  kAudioUnitEvent_EndParameterChangeGesture})
  {
    AudioUnitEvent event{};
    event.mEventType = type;
    event.mArgument.mParameter = {unit.unit(), kAUParameterListener_AnyParameter, kAudioUnitScope_Global, 0};
    ASSERT_EQ(AUEventListenerAddEventType(listener, nullptr, &event), noErr);
  }

  AUTestPlug& plug = unit.plug();
  plug.BeginInformHostOfParamChangeFromUI(kParamFrequency);
  plug.SendParameterValueFromUI(kParamFrequency, 0.5);
  plug.SendParameterValueFromUI(kParamFrequency, 0.6);
  plug.EndInformHostOfParamChangeFromUI(kParamFrequency);

  const std::vector<std::pair<AudioUnitEventType, AudioUnitParameterID>> expected = {
    {kAudioUnitEvent_BeginParameterChangeGesture, kParamFrequency},
    {kAudioUnitEvent_ParameterValueChange, kParamFrequency},
    {kAudioUnitEvent_ParameterValueChange, kParamFrequency},
    {kAudioUnitEvent_EndParameterChangeGesture, kParamFrequency},
  };
  EXPECT_EQ(log.events, expected);
  EXPECT_NEAR(plug.GetParam(kParamFrequency)->GetNormalized(), 0.6, 1e-9);
  AUListenerDispose(listener);
}
} // namespace
} // namespace corvane_test
