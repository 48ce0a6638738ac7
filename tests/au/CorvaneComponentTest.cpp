// The product as a host meets it: the Corvane.component bundle found on disk,
// its description, its exports, and an instance rendering, reporting latency
// and saving and restoring its state.

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cmath>
#include <cstring>
#include <string>

#include <MacAPIExtensions.h>

#include "au/AUHost.h"
#include "au/AUViewFactoryClass.h"
#include "au/CFUtilities.h"
#include "au/CorvaneDescription.h"

namespace corvane_test {
namespace {
const char* const kBundle = CORVANE_BUNDLE_DIR;

std::string ToString(CFStringRef str)
{
  WDL_String text;
  CFStringToUTF8(str, text);
  return text.Get();
}

class CorvaneBundle : public ::testing::Test
{
protected:
  static void SetUpTestSuite()
  {
    MacAPISetComponentSearchPath(""); // only the bundle of this build
    ASSERT_EQ(MacAPIRegisterComponentBundle(kBundle), 1);
  }
};

TEST_F(CorvaneBundle, InfoPlistDescribesTheComponent)
{
  const std::string plist = std::string(kBundle) + "/Contents/Info.plist";
  CFPropertyListRef info = MacAPIPropertyListCreateFromFile(plist.c_str(), 0);
  ASSERT_NE(info, nullptr);
  auto dict = static_cast<CFDictionaryRef>(info);
  auto components = static_cast<CFArrayRef>(CFDictionaryGetValue(dict, CFSTR("AudioComponents")));
  ASSERT_NE(components, nullptr);
  ASSERT_EQ(CFArrayGetCount(components), 1);
  auto entry = static_cast<CFDictionaryRef>(CFArrayGetValueAtIndex(components, 0));
  EXPECT_EQ(ToString(static_cast<CFStringRef>(CFDictionaryGetValue(entry, CFSTR("type")))), corvane::kAUType);
  EXPECT_EQ(ToString(static_cast<CFStringRef>(CFDictionaryGetValue(entry, CFSTR("subtype")))), corvane::kAUSubtype);
  EXPECT_EQ(ToString(static_cast<CFStringRef>(CFDictionaryGetValue(entry, CFSTR("manufacturer")))),
            corvane::kAUManufacturer);
  EXPECT_EQ(ToString(static_cast<CFStringRef>(CFDictionaryGetValue(entry, CFSTR("factoryFunction")))),
            "Corvane_Factory");
  EXPECT_EQ(ToString(static_cast<CFStringRef>(CFDictionaryGetValue(dict, kCFBundleIdentifierKey))), corvane::kBundleId);
  CFRelease(info);
}

TEST_F(CorvaneBundle, LibraryExportsOnlyTheTwoEntryPoints)
{
  const std::string library = std::string(kBundle) + "/Contents/Linux/Corvane.so";
  void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(handle, nullptr) << dlerror();
  EXPECT_NE(dlsym(handle, "Corvane_Entry"), nullptr);
  EXPECT_NE(dlsym(handle, "Corvane_Factory"), nullptr);
  EXPECT_EQ(dlsym(handle, "_ZN5iplug8MakePlugEPv"), nullptr); // iplug::MakePlug(void*)

  // The legacy entry answers the version selector without an instance.
  using Entry = OSStatus (*)(ComponentParameters*, void*);
  auto entry = reinterpret_cast<Entry>(dlsym(handle, "Corvane_Entry"));
  auto block = MakeComponentParameters(kComponentVersionSelect);
  AUInstance unit(CorvaneDescription());
  ASSERT_NE(unit.unit(), nullptr);
  EXPECT_EQ(entry(block.get(), unit.adapter()), corvane::kVersionCode);
  dlclose(handle);
}

TEST_F(CorvaneBundle, RegistryFindsNameAndVersion)
{
  const AudioComponentDescription desc = CorvaneDescription();
  AudioComponent component = AudioComponentFindNext(nullptr, &desc);
  ASSERT_NE(component, nullptr);
  CFStringRef name = nullptr;
  ASSERT_EQ(AudioComponentCopyName(component, &name), noErr);
  EXPECT_EQ(ToString(name), corvane::kAUName);
  CFRelease(name);
  UInt32 version = 0;
  ASSERT_EQ(AudioComponentGetVersion(component, &version), noErr);
  EXPECT_EQ(version, static_cast<UInt32>(corvane::kVersionCode));
}

TEST_F(CorvaneBundle, NineParametersInEngineOrder)
{
  AUInstance unit(CorvaneDescription());
  ASSERT_NE(unit.unit(), nullptr);
  UInt32 size = 0;
  ASSERT_EQ(AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, &size, nullptr),
            noErr);
  EXPECT_EQ(size, 9u * 4);
  const char* names[] = {"Gain",          "Output",  "Highpass Filter", "Lowpass Filter", "Filter Bypass",
                         "Preamp Bypass", "Mic Pre", "Phase",           "Oversampling"};
  for (UInt32 i = 0; i < 9; ++i)
  {
    AudioUnitParameterInfo info{};
    ASSERT_EQ(unit.Get(kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, i, info), noErr);
    EXPECT_STREQ(info.name, names[i]);
    CFRelease(info.cfNameString);
    if (info.unitName)
      CFRelease(info.unitName);
  }
  CFArrayRef presets = nullptr;
  ASSERT_EQ(unit.Get(kAudioUnitProperty_FactoryPresets, kAudioUnitScope_Global, 0, presets), noErr);
  EXPECT_EQ(CFArrayGetCount(presets), 0); // the one empty slot was pruned
  CFRelease(presets);
}

struct LatencyCount
{
  int calls = 0;
  static void Listener(void* context, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement)
  {
    ++static_cast<LatencyCount*>(context)->calls;
  }
};

TEST_F(CorvaneBundle, RendersAndReportsLatencyChanges)
{
  AUInstance unit(CorvaneDescription());
  ASSERT_NE(unit.unit(), nullptr);
  SignalSource source;
  ASSERT_EQ(unit.SetFormat(kAudioUnitScope_Input, 0, 2, 44100.0), noErr);
  ASSERT_EQ(unit.SetFormat(kAudioUnitScope_Output, 0, 2, 44100.0), noErr);
  ASSERT_EQ(source.AttachTo(unit), noErr);
  ASSERT_EQ(AudioUnitInitialize(unit), noErr);
  LatencyCount latency;
  AudioUnitAddPropertyListener(unit, kAudioUnitProperty_Latency, LatencyCount::Listener, &latency);

  RenderBuffers out(2, 256);
  ASSERT_EQ(RenderSlice(unit, out), noErr);
  double energy = 0.0;
  for (int c = 0; c < 2; ++c)
    for (int i = 0; i < 256; ++i)
    {
      ASSERT_TRUE(std::isfinite(out.at(c, i)));
      energy += out.at(c, i) * out.at(c, i);
    }
  EXPECT_GT(energy, 0.0);
  EXPECT_EQ(latency.calls, 0);

  ASSERT_EQ(AudioUnitSetParameter(unit, 8, kAudioUnitScope_Global, 0, 1.f, 0), noErr); // oversampling on
  ASSERT_EQ(RenderSlice(unit, out, 256.0), noErr);
  EXPECT_EQ(latency.calls, 1);
  Float64 seconds = 0.0;
  ASSERT_EQ(unit.Get(kAudioUnitProperty_Latency, kAudioUnitScope_Global, 0, seconds), noErr);
  EXPECT_DOUBLE_EQ(seconds, 64.0 / 44100.0);
}

TEST_F(CorvaneBundle, StateIsTheEditorRecordAndNineDoubles)
{
  AUInstance source(CorvaneDescription()), target(CorvaneDescription());
  ASSERT_NE(source.unit(), nullptr);
  AudioUnitSetParameter(source, 0, kAudioUnitScope_Global, 0, 9.f, 0);
  AudioUnitSetParameter(source, 1, kAudioUnitScope_Global, 0, -7.5f, 0);
  AudioUnitSetParameter(source, 3, kAudioUnitScope_Global, 0, 2.f, 0);

  CFPropertyListRef state = nullptr;
  ASSERT_EQ(source.Get(kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, state), noErr);
  auto data = static_cast<CFDataRef>(CFDictionaryGetValue(static_cast<CFDictionaryRef>(state), CFSTR("data")));
  ASSERT_NE(data, nullptr);
  ASSERT_EQ(CFDataGetLength(data), 84);
  const UInt8* bytes = CFDataGetBytePtr(data);
  int32_t width = -1, height = -1;
  float scale = -1.f;
  std::memcpy(&width, bytes, 4);
  std::memcpy(&height, bytes + 4, 4);
  std::memcpy(&scale, bytes + 8, 4);
  EXPECT_EQ(width, 0); // the editor was never opened
  EXPECT_EQ(height, 0);
  EXPECT_EQ(scale, 0.f);
  double gain = 0.0;
  std::memcpy(&gain, bytes + 12, 8);
  EXPECT_EQ(gain, 9.0);

  ASSERT_EQ(target.Set(kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, state), noErr);
  for (AudioUnitParameterID p = 0; p < 9; ++p)
  {
    AudioUnitParameterValue a = 0.f, b = 1.f;
    AudioUnitGetParameter(source, p, kAudioUnitScope_Global, 0, &a);
    AudioUnitGetParameter(target, p, kAudioUnitScope_Global, 0, &b);
    EXPECT_EQ(a, b) << p;
  }
  CFRelease(state);
}

TEST_F(CorvaneBundle, CocoaViewPointsAtTheBundleAndTheViewFactory)
{
  AUInstance unit(CorvaneDescription());
  AudioUnitCocoaViewInfo info{};
  ASSERT_EQ(unit.Get(kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, info), noErr);
  EXPECT_EQ(ToString(info.mCocoaAUViewClass[0]), "Corvane_View");
  ASSERT_NE(info.mCocoaAUViewBundleLocation, nullptr);
  // The class it names exists in that bundle.
  CFBundleRef bundle = CFBundleCreate(nullptr, info.mCocoaAUViewBundleLocation);
  ASSERT_NE(bundle, nullptr);
  auto viewClass =
    reinterpret_cast<AUViewFactoryClassFunc>(CFBundleGetFunctionPointerForName(bundle, info.mCocoaAUViewClass[0]));
  ASSERT_NE(viewClass, nullptr);
  EXPECT_STREQ(viewClass()->description, "Corvane View");
  CFRelease(bundle);
  CFRelease(info.mCocoaAUViewClass[0]);
  CFRelease(info.mCocoaAUViewBundleLocation);
}
} // namespace
} // namespace corvane_test
