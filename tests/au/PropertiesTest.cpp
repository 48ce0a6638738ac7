// Property traffic: scope and element rules, sizes, writability and status
// codes on the info and data paths, buffer-size safety, and what writes do.

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <limits>
#include <string>

#include "au/AUHost.h"
#include "au/CFUtilities.h"
#include "au/IPlugAUViewFactory.h"

namespace corvane_test {
namespace {
constexpr AudioUnitScope G = kAudioUnitScope_Global;
constexpr AudioUnitScope I = kAudioUnitScope_Input;
constexpr AudioUnitScope O = kAudioUnitScope_Output;
constexpr AudioUnitScope Group = kAudioUnitScope_Group;

std::string ToString(CFStringRef str)
{
  WDL_String text;
  CFStringToUTF8(str, text);
  return text.Get();
}

struct InfoRow
{
  AudioUnitPropertyID prop;
  AudioUnitScope scope;
  AudioUnitElement elem;
  OSStatus status;
  UInt32 size; // checked when status is noErr
  bool writable;
};

// The test plug-in: 5 parameters, layouts "1-1 2-2", an editor, no tail, no presets.
const InfoRow kInfoRows[] = {
  {kAudioUnitProperty_ClassInfo, G, 0, noErr, 8, false},
  {kAudioUnitProperty_MakeConnection, G, 0, noErr, 16, true},
  {kAudioUnitProperty_MakeConnection, I, 0, noErr, 16, true},
  {kAudioUnitProperty_MakeConnection, O, 0, kAudioUnitErr_InvalidProperty, 0, false},
  {kAudioUnitProperty_SampleRate, O, 7, noErr, 8, true},
  {kAudioUnitProperty_ParameterList, G, 0, noErr, 20, false},
  {kAudioUnitProperty_ParameterList, I, 0, noErr, 0, false},
  {kAudioUnitProperty_ParameterInfo, G, 4, noErr, 104, false},
  {kAudioUnitProperty_ParameterInfo, G, 5, kAudioUnitErr_InvalidElement, 0, false},
  {kAudioUnitProperty_ParameterInfo, I, 0, kAudioUnitErr_InvalidProperty, 0, false},
  {kAudioUnitProperty_FastDispatch, G, kAudioUnitRenderSelect, kAudioUnitErr_InvalidElement, 0, false},
  {kAudioUnitProperty_StreamFormat, G, 0, noErr, 40, true},
  {kAudioUnitProperty_StreamFormat, I, 0, noErr, 40, true},
  {kAudioUnitProperty_StreamFormat, I, 1, kAudioUnitErr_InvalidProperty, 0, false},
  {kAudioUnitProperty_StreamFormat, O, 1, kAudioUnitErr_InvalidProperty, 0, false},
  {kAudioUnitProperty_StreamFormat, Group, 0, kAudioUnitErr_InvalidProperty, 0, false},
  {kAudioUnitProperty_ElementCount, Group, 0, noErr, 4, false},
  {kAudioUnitProperty_Latency, G, 0, noErr, 8, false},
  {kAudioUnitProperty_Latency, I, 0, kAudioUnitErr_InvalidProperty, 0, false},
  {kAudioUnitProperty_SupportedNumChannels, G, 0, noErr, 8, false},
  {kAudioUnitProperty_SupportedNumChannels, O, 0, kAudioUnitErr_InvalidProperty, 0, false},
  {kAudioUnitProperty_MaximumFramesPerSlice, G, 0, noErr, 4, true},
  {kAudioUnitProperty_MaximumFramesPerSlice, I, 0, kAudioUnitErr_InvalidProperty, 0, false},
  {kAudioUnitProperty_ParameterValueStrings, G, kParamMode, noErr, 8, false},
  {kAudioUnitProperty_ParameterValueStrings, G, kParamGain, kAudioUnitErr_InvalidProperty, 0, false},
  {kAudioUnitProperty_ParameterValueStrings, G, 99, kAudioUnitErr_InvalidElement, 0, false},
  {kAudioUnitProperty_ParameterValueStrings, I, kParamMode, kAudioUnitErr_InvalidProperty, 0, false},
  {kAudioUnitProperty_AudioChannelLayout, I, 0, kAudioUnitErr_InvalidPropertyValue, 0, false},
  {kAudioUnitProperty_TailTime, G, 0, noErr, 8, false},
  {kAudioUnitProperty_TailTime, O, 0, kAudioUnitErr_InvalidProperty, 0, false},
  {kAudioUnitProperty_BypassEffect, G, 0, noErr, 4, true},
  {kAudioUnitProperty_BypassEffect, I, 0, kAudioUnitErr_InvalidProperty, 0, false},
  {kAudioUnitProperty_LastRenderError, G, 0, noErr, 4, false},
  {kAudioUnitProperty_SetRenderCallback, I, 0, noErr, 16, true},
  {kAudioUnitProperty_SetRenderCallback, G, 0, noErr, 16, true},
  {kAudioUnitProperty_SetRenderCallback, I, 1, kAudioUnitErr_InvalidProperty, 0, false},
  {kAudioUnitProperty_SetRenderCallback, O, 0, kAudioUnitErr_InvalidProperty, 0, false},
  {kAudioUnitProperty_FactoryPresets, I, 0, noErr, 8, false},
  {kAudioUnitProperty_RenderQuality, G, 0, kAudioUnitErr_InvalidProperty, 0, false},
  {kAudioUnitProperty_HostCallbacks, G, 0, noErr, 40, true},
  {kAudioUnitProperty_HostCallbacks, I, 0, kAudioUnitErr_InvalidProperty, 0, false},
  {kAudioUnitProperty_CurrentPreset, O, 0, noErr, 16, true},
  {kAudioUnitProperty_PresentPreset, G, 0, noErr, 16, true},
  {kAudioUnitProperty_ElementName, I, 0, kAudioUnitErr_InvalidProperty, 0, false},
  {kAudioUnitProperty_CocoaUI, G, 0, noErr, 16, false},
  {kAudioUnitProperty_SupportedChannelLayoutTags, I, 0, noErr, 8, true},
  {kAudioUnitProperty_SupportedChannelLayoutTags, O, 1, noErr, 0, false},
  {kAudioUnitProperty_SupportedChannelLayoutTags, G, 0, noErr, 0, false},
  {kAudioUnitProperty_ParameterStringFromValue, G, 0, noErr, 24, false},
  {kAudioUnitProperty_ParameterStringFromValue, I, 0, noErr, 24, false},
  {kAudioUnitProperty_ParameterIDName, G, 0, noErr, 16, false},
  {kAudioUnitProperty_ParameterClumpName, G, 0, noErr, 16, false},
  {kAudioUnitProperty_ParameterValueFromString, G, 0, noErr, 24, false},
  {kAudioUnitProperty_MIDIOutputCallbackInfo, G, 0, noErr, 8, false},
  {kAudioUnitProperty_MIDIOutputCallback, G, 0, noErr, 16, true},
  {kAudioUnitProperty_SupportsMPE, G, 0, noErr, 4, false},
  {kPluginInstanceProperty, I, 0, noErr, 8, false},
  {kMusicDeviceProperty_InstrumentCount, G, 0, kAudioUnitErr_InvalidProperty, 0, false},
  {9999, G, 0, kAudioUnitErr_InvalidProperty, 0, false},
};

TEST(AUPropertyInfo, ScopeSizeAndWritabilityRules)
{
  AUInstance unit;
  for (const InfoRow& row : kInfoRows)
  {
    SCOPED_TRACE(testing::Message() << "property " << row.prop << " scope " << row.scope << " element " << row.elem);
    UInt32 size = 12345;
    Boolean writable = true;
    EXPECT_EQ(AudioUnitGetPropertyInfo(unit, row.prop, row.scope, row.elem, &size, &writable), row.status);
    if (row.status == noErr)
    {
      EXPECT_EQ(size, row.size);
      EXPECT_EQ(static_cast<bool>(writable), row.writable);
    }
  }
}

TEST(AUPropertyInfo, NullSizeAndWritablePointersAreAllowed)
{
  AUInstance unit;
  EXPECT_EQ(AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_SampleRate, G, 0, nullptr, nullptr), noErr);
}

struct DataRow
{
  AudioUnitPropertyID prop;
  AudioUnitScope scope;
  AudioUnitElement elem;
  OSStatus status;
};

const DataRow kDataRows[] = {
  {kAudioUnitProperty_ElementName, G, 0, kAudioUnitErr_InvalidScope},
  {kAudioUnitProperty_ElementName, I, 1, kAudioUnitErr_InvalidElement},
  {kAudioUnitProperty_ElementName, O, 0, noErr},
  {kAudioUnitProperty_SupportedChannelLayoutTags, G, 0, kAudioUnitErr_InvalidProperty},
  {kAudioUnitProperty_MIDIOutputCallback, G, 0, kAudioUnitErr_InvalidProperty},
  {kAudioUnitProperty_ParameterClumpName, I, 0, noErr}, // not global: nothing asked, nothing written
  {kAudioUnitProperty_MakeConnection, I, 0, noErr},
  {kAudioUnitProperty_HostCallbacks, G, 0, noErr},
};

TEST(AUPropertyData, ScopeAndElementRules)
{
  AUInstance unit;
  for (const DataRow& row : kDataRows)
  {
    SCOPED_TRACE(testing::Message() << "property " << row.prop << " scope " << row.scope << " element " << row.elem);
    std::array<unsigned char, 64> data{};
    UInt32 size = data.size();
    const OSStatus status = AudioUnitGetProperty(unit, row.prop, row.scope, row.elem, data.data(), &size);
    EXPECT_EQ(status, row.status);
    if (status == noErr && row.prop == kAudioUnitProperty_ElementName)
    {
      CFStringRef name = nullptr;
      std::memcpy(&name, data.data(), sizeof(name));
      CFRelease(name);
    }
  }
}

TEST(AUPropertyData, ClassInfoIsWritableOnlyOnTheDataPath)
{
  AUInstance unit;
  UInt32 size = 0;
  Boolean writable = true;
  ASSERT_EQ(AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_ClassInfo, G, 0, &size, &writable), noErr);
  EXPECT_FALSE(writable);
  IPlugAU* plug = unit.adapter();
  CFPropertyListRef state = nullptr;
  size = sizeof(state);
  writable = false;
  ASSERT_EQ(plug->GetProperty(kAudioUnitProperty_ClassInfo, G, 0, &size, &writable, &state), noErr);
  EXPECT_TRUE(writable);
  ASSERT_NE(state, nullptr);
  CFRelease(state);
}

// A host that passes a smaller buffer than the property's structure gets an
// error, and nothing beyond its buffer is touched.
TEST(AUPropertyData, ShortBuffersAreRefusedWithoutWritingPastThem)
{
  AUInstance unit;
  AudioUnitInitialize(unit);
  const struct
  {
    AudioUnitPropertyID prop;
    AudioUnitScope scope;
    AudioUnitElement elem;
    UInt32 needed;
  } rows[] = {
    {kAudioUnitProperty_SampleRate, G, 0, 8},
    {kAudioUnitProperty_ParameterList, G, 0, 20},
    {kAudioUnitProperty_ParameterInfo, G, 0, 104},
    {kAudioUnitProperty_StreamFormat, I, 0, 40},
    {kAudioUnitProperty_ElementCount, I, 0, 4},
    {kAudioUnitProperty_Latency, G, 0, 8},
    {kAudioUnitProperty_SupportedNumChannels, G, 0, 8},
    {kAudioUnitProperty_MaximumFramesPerSlice, G, 0, 4},
    {kAudioUnitProperty_ParameterValueStrings, G, kParamMode, 8},
    {kAudioUnitProperty_TailTime, G, 0, 8},
    {kAudioUnitProperty_BypassEffect, G, 0, 4},
    {kAudioUnitProperty_FactoryPresets, G, 0, 8},
    {kAudioUnitProperty_PresentPreset, G, 0, 16},
    {kAudioUnitProperty_CurrentPreset, G, 0, 16},
    {kAudioUnitProperty_CocoaUI, G, 0, 16},
    {kAudioUnitProperty_ParameterClumpName, G, 0, 16},
    {kAudioUnitProperty_ElementName, I, 0, 8},
    {kAudioUnitProperty_SupportedChannelLayoutTags, O, 0, 8},
    {kAudioUnitProperty_ParameterStringFromValue, G, 0, 24},
    {kAudioUnitProperty_ParameterIDName, G, 0, 16},
    {kAudioUnitProperty_ParameterValueFromString, G, 0, 24},
    {kAudioUnitProperty_MIDIOutputCallbackInfo, G, 0, 8},
    {kAudioUnitProperty_SupportsMPE, G, 0, 4},
    {kPluginInstanceProperty, G, 0, 8},
    {kAudioUnitProperty_ClassInfo, G, 0, 8},
  };
  for (const auto& row : rows)
  {
    SCOPED_TRACE(testing::Message() << "property " << row.prop);
    std::array<unsigned char, 256> data;
    data.fill(0xAB);
    UInt32 size = row.needed - 1;
    EXPECT_EQ(AudioUnitGetProperty(unit, row.prop, row.scope, row.elem, data.data(), &size), kAudio_ParamError);
    for (size_t i = row.needed - 1; i < data.size(); ++i)
      ASSERT_EQ(data[i], 0xAB) << "byte " << i;
  }
  // Without a size the buffer's capacity is unknown.
  Float64 rate = 0.0;
  EXPECT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_SampleRate, G, 0, &rate, nullptr), kAudio_ParamError);
}

TEST(AUPropertyData, ShortWritesAreRefused)
{
  AUInstance unit;
  const unsigned char bytes[64] = {};
  for (AudioUnitPropertyID prop :
       {kAudioUnitProperty_SampleRate, kAudioUnitProperty_StreamFormat, kAudioUnitProperty_MaximumFramesPerSlice,
        kAudioUnitProperty_BypassEffect, kAudioUnitProperty_SetRenderCallback, kAudioUnitProperty_MakeConnection,
        kAudioUnitProperty_PresentPreset, kAudioUnitProperty_MIDIOutputCallback, kAudioUnitProperty_ClassInfo})
    EXPECT_EQ(AudioUnitSetProperty(unit, prop, I, 0, bytes, 3), kAudio_ParamError) << prop;
  EXPECT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_SampleRate, G, 0, nullptr, 8), kAudio_ParamError);
  EXPECT_EQ(unit.plug().GetSampleRate(), 48000.0);
}

TEST(AUPropertyData, ParameterListAndInfo)
{
  AUInstance unit;
  std::array<AudioUnitParameterID, kNumTestParams> ids{};
  UInt32 size = sizeof(ids);
  ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterList, G, 0, ids.data(), &size), noErr);
  for (UInt32 i = 0; i < ids.size(); ++i)
    EXPECT_EQ(ids[i], i);

  auto info = [&](int idx) {
    AudioUnitParameterInfo pi{};
    EXPECT_EQ(unit.Get(kAudioUnitProperty_ParameterInfo, G, static_cast<AudioUnitElement>(idx), pi), noErr);
    return pi;
  };

  AudioUnitParameterInfo gain = info(kParamGain);
  EXPECT_STREQ(gain.name, "Gain");
  EXPECT_EQ(ToString(gain.cfNameString), "Gain");
  EXPECT_EQ(gain.unit, kAudioUnitParameterUnit_Decibels);
  EXPECT_FLOAT_EQ(gain.minValue, -12.f);
  EXPECT_FLOAT_EQ(gain.maxValue, 12.f);
  EXPECT_EQ(gain.flags, 0xC8800010u | kAudioUnitParameterFlag_HasClump);
  CFRelease(gain.cfNameString);

  AudioUnitParameterInfo mode = info(kParamMode);
  EXPECT_EQ(mode.unit, kAudioUnitParameterUnit_Indexed);
  EXPECT_TRUE(mode.flags & kAudioUnitParameterFlag_ValuesHaveStrings);
  CFRelease(mode.cfNameString);

  AudioUnitParameterInfo sw = info(kParamSwitch);
  EXPECT_EQ(sw.unit, kAudioUnitParameterUnit_Boolean);
  EXPECT_EQ(sw.flags & ~kAudioUnitParameterFlag_ValuesHaveStrings, 0xE8800010u); // meta, no clump
  CFRelease(sw.cfNameString);

  AudioUnitParameterInfo stepped = info(kParamStepped);
  EXPECT_EQ(stepped.flags, 0xC9800010u);                    // cannot automate: non-real-time
  EXPECT_EQ(stepped.unit, kAudioUnitParameterUnit_Generic); // custom unit without a label
  EXPECT_EQ(stepped.unitName, nullptr);
  CFRelease(stepped.cfNameString);

  AudioUnitParameterInfo freq = info(kParamFrequency);
  EXPECT_EQ(freq.unit, kAudioUnitParameterUnit_Hertz);
  EXPECT_TRUE(freq.flags & kAudioUnitParameterFlag_DisplayLogarithmic);
  CFRelease(freq.cfNameString);
}

TEST(AUPropertyData, ClumpsAreNumberedInTheOrderHostsMeetTheirGroups)
{
  auto clumpOf = [](AUInstance& unit, int idx) {
    AudioUnitParameterInfo pi{};
    unit.Get(kAudioUnitProperty_ParameterInfo, G, static_cast<AudioUnitElement>(idx), pi);
    CFRelease(pi.cfNameString);
    return pi.clumpID;
  };
  auto clumpName = [](AUInstance& unit, UInt32 id, OSStatus* status = nullptr) {
    AudioUnitParameterNameInfo request{};
    request.inID = id;
    OSStatus s = unit.Get(kAudioUnitProperty_ParameterClumpName, G, 0, request);
    if (status)
      *status = s;
    std::string name = request.outName ? ToString(request.outName) : "";
    if (request.outName)
      CFRelease(request.outName);
    return name;
  };

  AUInstance first;
  EXPECT_EQ(clumpOf(first, kParamGain), 1u); // group "A"
  EXPECT_EQ(clumpOf(first, kParamMode), 2u); // group "B"
  EXPECT_EQ(clumpOf(first, kParamFrequency), 1u);
  EXPECT_EQ(clumpName(first, 2), "B");

  AUInstance second;
  EXPECT_EQ(clumpOf(second, kParamMode), 1u);
  EXPECT_EQ(clumpOf(second, kParamGain), 2u);
  OSStatus status = noErr;
  clumpName(second, 0, &status);
  EXPECT_EQ(status, kAudioUnitErr_PropertyNotInUse);
  clumpName(second, 3, &status);
  EXPECT_EQ(status, kAudioUnitErr_PropertyNotInUse);
}

TEST(AUPropertyData, ValueTextsNamesAndConversions)
{
  AUInstance unit;
  CFArrayRef texts = nullptr;
  ASSERT_EQ(unit.Get(kAudioUnitProperty_ParameterValueStrings, G, kParamMode, texts), noErr);
  ASSERT_EQ(CFArrayGetCount(texts), 3);
  EXPECT_EQ(ToString(static_cast<CFStringRef>(CFArrayGetValueAtIndex(texts, 2))), "Hot");
  CFRelease(texts);

  Float32 value = 1.f;
  AudioUnitParameterStringFromValue fromValue{kParamMode, &value, nullptr};
  ASSERT_EQ(unit.Get(kAudioUnitProperty_ParameterStringFromValue, G, 0, fromValue), noErr);
  EXPECT_EQ(ToString(fromValue.outString), "Warm");
  CFRelease(fromValue.outString);

  // A null value pointer reads the parameter's current value.
  unit.plug().GetParam(kParamMode)->Set(2.0);
  AudioUnitParameterStringFromValue current{kParamMode, nullptr, nullptr};
  ASSERT_EQ(unit.Get(kAudioUnitProperty_ParameterStringFromValue, G, 0, current), noErr);
  EXPECT_EQ(ToString(current.outString), "Hot");
  CFRelease(current.outString);

  AudioUnitParameterStringFromValue unknown{kNumTestParams, &value, nullptr};
  EXPECT_EQ(unit.Get(kAudioUnitProperty_ParameterStringFromValue, G, 0, unknown), kAudioUnitErr_InvalidParameter);

  CFStringRef text = MakeCFString("Warm");
  AudioUnitParameterValueFromString fromString{kParamMode, text, -1.f};
  ASSERT_EQ(unit.Get(kAudioUnitProperty_ParameterValueFromString, G, 0, fromString), noErr);
  EXPECT_FLOAT_EQ(fromString.outValue, 1.f);
  CFRelease(text);

  AudioUnitParameterIDName idName{kParamFrequency, 4, nullptr};
  ASSERT_EQ(unit.Get(kAudioUnitProperty_ParameterIDName, G, 0, idName), noErr);
  EXPECT_EQ(ToString(idName.outName), "Freq");
  CFRelease(idName.outName);
  AudioUnitParameterIDName fullName{kParamFrequency, kAudioUnitParameterName_Full, nullptr};
  ASSERT_EQ(unit.Get(kAudioUnitProperty_ParameterIDName, G, 0, fullName), noErr);
  EXPECT_EQ(ToString(fullName.outName), "Frequency");
  CFRelease(fullName.outName);
}

TEST(AUPropertyData, ChannelsElementsAndLayouts)
{
  AUInstance unit;
  std::array<AUChannelInfo, 2> channels{};
  UInt32 size = sizeof(channels);
  ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_SupportedNumChannels, G, 0, channels.data(), &size), noErr);
  EXPECT_EQ(channels[0].inChannels, 1);
  EXPECT_EQ(channels[0].outChannels, 1);
  EXPECT_EQ(channels[1].inChannels, 2);
  EXPECT_EQ(channels[1].outChannels, 2);

  UInt32 count = 0;
  unit.Get(kAudioUnitProperty_ElementCount, G, 0, count);
  EXPECT_EQ(count, 1u);
  unit.Get(kAudioUnitProperty_ElementCount, I, 0, count);
  EXPECT_EQ(count, 1u);
  unit.Get(kAudioUnitProperty_ElementCount, Group, 0, count);
  EXPECT_EQ(count, 0u);

  std::array<UInt32, 2> tags{};
  size = sizeof(tags);
  ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_SupportedChannelLayoutTags, I, 0, tags.data(), &size), noErr);
  EXPECT_EQ(tags[0], static_cast<UInt32>(kAudioChannelLayoutTag_Mono));
  EXPECT_EQ(tags[1], static_cast<UInt32>(kAudioChannelLayoutTag_Stereo));

  CFStringRef name = nullptr;
  ASSERT_EQ(unit.Get(kAudioUnitProperty_ElementName, O, 0, name), noErr);
  EXPECT_EQ(ToString(name), "Output");
  CFRelease(name);
}

TEST(AUPropertyData, StreamFormatOfAnUnconfiguredBusOffersThePlugInChannels)
{
  AUInstance unit;
  AudioStreamBasicDescription format{};
  ASSERT_EQ(unit.Get(kAudioUnitProperty_StreamFormat, I, 0, format), noErr);
  EXPECT_EQ(format.mChannelsPerFrame, 2u);
  EXPECT_EQ(format.mFormatID, static_cast<UInt32>(kAudioFormatLinearPCM));
  EXPECT_EQ(format.mFormatFlags, 0x29u);
  EXPECT_EQ(format.mBitsPerChannel, 32u);
  EXPECT_EQ(format.mSampleRate, 48000.0);
}

TEST(AUPropertyData, RejectedStreamFormatsFallBackToThePlugInChannelCount)
{
  AUInstance unit;
  ASSERT_EQ(unit.SetFormat(I, 0, 1, 44100.0), noErr);
  EXPECT_EQ(unit.plug().GetBus(I, 0)->hostChannelCount, 1);
  EXPECT_EQ(unit.plug().GetSampleRate(), 44100.0);

  auto rejected = [&](AudioStreamBasicDescription format) {
    EXPECT_EQ(unit.Set(kAudioUnitProperty_StreamFormat, I, 0, format), kAudioUnitErr_InvalidProperty);
    EXPECT_EQ(unit.plug().GetBus(I, 0)->hostChannelCount, 2);
    unit.SetFormat(I, 0, 1);
  };
  rejected(AUInstance::FloatFormat(0));
  AudioStreamBasicDescription notPcm = AUInstance::FloatFormat(1);
  notPcm.mFormatID = static_cast<UInt32>(MakeFourCC("aac "));
  rejected(notPcm);
  AudioStreamBasicDescription interleavedOnly = AUInstance::FloatFormat(1);
  interleavedOnly.mFormatFlags = 0x20;
  rejected(interleavedOnly);
  rejected(AUInstance::FloatFormat(3)); // no layout has three channels
  EXPECT_EQ(unit.SetFormat(Group, 0, 1), kAudioUnitErr_InvalidProperty);
}

TEST(AUPropertyData, LatencyAndTailAreReportedInSeconds)
{
  NextTestPlugOptions().tailSize = 4800;
  AUInstance unit;
  NextTestPlugOptions().tailSize = 0;
  unit.plug().SetLatency(96);
  Float64 seconds = 0.0;
  ASSERT_EQ(unit.Get(kAudioUnitProperty_Latency, G, 0, seconds), noErr);
  EXPECT_DOUBLE_EQ(seconds, 0.002);
  ASSERT_EQ(unit.Get(kAudioUnitProperty_TailTime, G, 0, seconds), noErr);
  EXPECT_DOUBLE_EQ(seconds, 0.1);
  UInt32 size = 0;
  Boolean writable = false;
  AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_TailTime, G, 0, &size, &writable);
  EXPECT_TRUE(writable);
}

// --- Writes ----------------------------------------------------------------

struct WriteLog
{
  static std::vector<AudioUnitPropertyID>& calls()
  {
    static std::vector<AudioUnitPropertyID> log;
    return log;
  }
  static void Listener(void*, AudioUnit, AudioUnitPropertyID prop, AudioUnitScope, AudioUnitElement elem)
  {
    calls().push_back(prop);
    EXPECT_EQ(elem, 0u);
  }
};

TEST(AUPropertyWrite, ListenersHearOfEveryWriteEvenFailingOnes)
{
  AUInstance unit;
  WriteLog::calls().clear();
  AudioUnitAddPropertyListener(unit, kAudioUnitProperty_RenderQuality, WriteLog::Listener, nullptr);
  AudioUnitAddPropertyListener(unit, kAudioUnitProperty_StreamFormat, WriteLog::Listener, nullptr);
  UInt32 quality = 127;
  EXPECT_EQ(unit.Set(kAudioUnitProperty_RenderQuality, G, 0, quality), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(unit.SetFormat(I, 5, 2), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(WriteLog::calls(),
            (std::vector<AudioUnitPropertyID>{kAudioUnitProperty_RenderQuality, kAudioUnitProperty_StreamFormat}));
}

TEST(AUPropertyWrite, SampleRateFramesAndBypassResetTheProcessor)
{
  AUInstance unit;
  AUTestPlug& plug = unit.plug();
  ASSERT_EQ(unit.Set<Float64>(kAudioUnitProperty_SampleRate, O, 3, 96000.0), noErr);
  EXPECT_EQ(plug.GetSampleRate(), 96000.0);
  EXPECT_EQ(plug.resets, 1);

  for (Float64 bad :
       {0.0, -44100.0, std::numeric_limits<Float64>::quiet_NaN(), std::numeric_limits<Float64>::infinity()})
    EXPECT_EQ(unit.Set<Float64>(kAudioUnitProperty_SampleRate, G, 0, bad), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(plug.GetSampleRate(), 96000.0);
  EXPECT_EQ(plug.resets, 1);

  ASSERT_EQ(unit.Set<UInt32>(kAudioUnitProperty_MaximumFramesPerSlice, I, 0, 1024), noErr);
  EXPECT_EQ(plug.GetBlockSize(), 1024);
  EXPECT_EQ(plug.resets, 2);
  EXPECT_EQ(unit.Set<UInt32>(kAudioUnitProperty_MaximumFramesPerSlice, G, 0, 0xFFFFFFFFu),
            kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(plug.GetBlockSize(), 1024);

  ASSERT_EQ(unit.Set<UInt32>(kAudioUnitProperty_BypassEffect, G, 0, 7), noErr);
  EXPECT_TRUE(plug.GetBypassed());
  EXPECT_EQ(plug.activations, std::vector<bool>{false});
  EXPECT_EQ(plug.resets, 3);
  UInt32 bypass = 0;
  unit.Get(kAudioUnitProperty_BypassEffect, G, 0, bypass);
  EXPECT_EQ(bypass, 1u);

  ASSERT_EQ(unit.Set<UInt32>(kAudioUnitProperty_OfflineRender, G, 0, 1), noErr);
  EXPECT_TRUE(plug.GetRenderingOffline());
}

TEST(AUPropertyWrite, ContextNameKeepsTextOutsideAscii)
{
  AUInstance unit;
  CFStringRef name = MakeCFString("Gesang \xC3\xBC\xE2\x82\xAC"); // "Gesang ü€"
  ASSERT_EQ(unit.Set(kAudioUnitProperty_ContextName, G, 0, name), noErr);
  CFRelease(name);
  WDL_String track;
  unit.plug().GetTrackName(track);
  EXPECT_STREQ(track.Get(), "Gesang \xC3\xBC\xE2\x82\xAC");

  CFStringRef none = nullptr;
  EXPECT_EQ(unit.Set(kAudioUnitProperty_ContextName, G, 0, none), kAudioUnitErr_InvalidPropertyValue);
  unit.plug().GetTrackName(track);
  EXPECT_STREQ(track.Get(), "Gesang \xC3\xBC\xE2\x82\xAC");
}

TEST(AUPropertyWrite, HostIdentifierCountsOnlyWhileTheHostIsUnknown)
{
  AUInstance unit;
  AUHostIdentifier id{};
  id.hostName = MakeCFString("Logic Pro X");
  id.hostVersion.majorRev = 3;
  id.hostVersion.minorAndBugRev = 0x21;
  ASSERT_EQ(unit.Set(kAudioUnitProperty_AUHostIdentifier, G, 0, id), noErr);
  EXPECT_EQ(unit.plug().GetHost(), kHostLogic);
  EXPECT_EQ(unit.plug().GetHostVersion(false), 0x030201);

  CFRelease(id.hostName);
  id.hostName = MakeCFString("REAPER");
  unit.Set(kAudioUnitProperty_AUHostIdentifier, G, 0, id);
  EXPECT_EQ(unit.plug().GetHost(), kHostLogic);
  CFRelease(id.hostName);
}

TEST(AUPropertyWrite, ShortHostCallbackStructuresAreAccepted)
{
  AUInstance unit;
  HostCallbackInfo callbacks{};
  callbacks.hostUserData = &unit;
  // An older host's structure without the second transport function.
  EXPECT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_HostCallbacks, G, 0, &callbacks, 32), noErr);
  EXPECT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_HostCallbacks, I, 0, &callbacks, 40),
            kAudioUnitErr_InvalidProperty);
}

TEST(AUPropertyData, CocoaViewNeedsTheBundleAndTheEditor)
{
  AUInstance unit;
  AudioUnitCocoaViewInfo info{};
  // The test plug-in's bundle is not installed anywhere.
  EXPECT_EQ(unit.Get(kAudioUnitProperty_CocoaUI, G, 0, info), kAudioUnitErr_InvalidProperty);
  EXPECT_STREQ(unit.plug().GetViewFactoryClassName(), "AUTest_View");
}

TEST(AUViewFactory, OpensTheEditorOfTheUnitItIsGiven)
{
  AUInstance unit;
  IPlugAUViewFactory factory("AU Test View");
  EXPECT_EQ(factory.init(), &factory);
  EXPECT_STREQ(factory.description(), "AU Test View");
  EXPECT_EQ(factory.interfaceVersion(), 0u);
  void* view = factory.uiViewForAudioUnit(unit, 100, 100);
  EXPECT_EQ(factory.GetPlug(), unit.adapter());
  ASSERT_EQ(unit.plug().openWindowParents.size(), 1u);
  EXPECT_EQ(unit.plug().openWindowParents[0], nullptr);
  EXPECT_EQ(view, &unit.plug().openWindowParents);
  factory.init();
  EXPECT_EQ(factory.GetPlug(), nullptr);
}

TEST(AUPropertyData, PluginInstanceAndMidiOutputInfo)
{
  AUInstance unit;
  EXPECT_NE(unit.adapter(), nullptr);
  CFArrayRef names = nullptr;
  ASSERT_EQ(unit.Get(kAudioUnitProperty_MIDIOutputCallbackInfo, G, 0, names), noErr);
  ASSERT_EQ(CFArrayGetCount(names), 1);
  EXPECT_EQ(ToString(static_cast<CFStringRef>(CFArrayGetValueAtIndex(names, 0))), "midiOut");
  CFRelease(names);
  UInt32 mpe = 7;
  ASSERT_EQ(unit.Get(kAudioUnitProperty_SupportsMPE, G, 0, mpe), noErr);
  EXPECT_EQ(mpe, 0u);
}
} // namespace
} // namespace corvane_test
