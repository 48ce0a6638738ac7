// Bundles, parameter blocks, parameter listeners and per-thread run loops.
#include <AudioToolbox/AudioToolbox.h>
#include <CoreServices/CoreServices.h>
#include <MacAPIExtensions.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;

TEST(Bundles, SameFolderSameObjectAndExecutableLayout)
{
  const fs::path dir = fs::temp_directory_path() / ("macapi-bundle-" + std::to_string(::getpid())) / "Thing.component";
  fs::create_directories(dir / "Contents");
  std::ofstream(dir / "Contents" / "Info.plist")
    << "<plist><dict><key>CFBundleIdentifier</key><string>org.example.thing</string>"
       "<key>CFBundleVersion</key><string>1.2.3</string></dict></plist>";
  CFURLRef url = CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>(dir.c_str()),
                                                         static_cast<CFIndex>(dir.string().size()), true);
  CFBundleRef a = CFBundleCreate(nullptr, url);
  CFBundleRef b = CFBundleCreate(nullptr, url);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a, b);
  EXPECT_EQ(CFBundleGetBundleWithIdentifier(CFSTR("org.example.thing")), a);
  EXPECT_EQ(CFBundleGetVersionNumber(a), 0x01230000u);

  // Without CFBundleExecutable the library is named after the bundle.
  CFURLRef exe = CFBundleCopyExecutableURL(a);
  CFStringRef exePath = CFURLCopyFileSystemPath(exe, kCFURLPOSIXPathStyle);
  EXPECT_EQ(std::string(CFStringGetCStringPtr(exePath, kCFStringEncodingUTF8)),
            (fs::canonical(dir) / "Contents" / "Linux" / "Thing.so").string());
  EXPECT_FALSE(CFBundleLoadExecutable(a)); // nothing there: no crash, no load
  EXPECT_EQ(CFBundleGetFunctionPointerForName(a, CFSTR("Anything")), nullptr);
  CFRelease(exePath);
  CFRelease(exe);
  CFRelease(a);
  CFRelease(b);
  CFRelease(url);

  CFURLRef missing =
    CFURLCreateWithFileSystemPath(nullptr, CFSTR("/nonexistent/X.component"), kCFURLPOSIXPathStyle, true);
  EXPECT_EQ(CFBundleCreate(nullptr, missing), nullptr);
  CFRelease(missing);
  EXPECT_EQ(MacAPIRegisterComponentBundle(dir.c_str()), 0); // no AudioComponents
  EXPECT_EQ(MacAPIRegisterComponentBundle(nullptr), 0);
  fs::remove_all(dir.parent_path());
}

TEST(ComponentParametersTest, SlotsKeepEveryArgumentKind)
{
  int object = 0;
  auto block = MakeComponentParameters(kComponentOpenSelect, &object, SInt16(-5), 2.5, UInt32(0xFFFFFFFF));
  const ComponentParameters* p = block.get();
  EXPECT_EQ(p->what, kComponentOpenSelect);
  EXPECT_EQ(ComponentParameterValue<int*>(p, 0), &object);
  EXPECT_EQ(ComponentParameterValue<SInt16>(p, 1), -5);
  EXPECT_EQ(ComponentParameterValue<double>(p, 2), 2.5);
  EXPECT_EQ(ComponentParameterValue<UInt32>(p, 3), 0xFFFFFFFFu);
  // A float keeps its bits at the start of its slot, where a reader that
  // copies the first bytes of the slot finds it.
  auto f = MakeComponentParameters(0, 0.75f);
  Float32 copied;
  std::memcpy(&copied, &f.get()->params[0], sizeof(copied));
  EXPECT_EQ(copied, 0.75f);
}

namespace {
struct ParamLog
{
  int calls = 0;
  AudioUnitParameterValue last = 0;
};

void OnParameter(void* ctx, void*, const AudioUnitParameter*, AudioUnitParameterValue value)
{
  auto* log = static_cast<ParamLog*>(ctx);
  ++log->calls;
  log->last = value;
}

AudioUnitParameterValue gValue = 0;
OSStatus GetP(void*, AudioUnitParameterID, AudioUnitScope, AudioUnitElement, AudioUnitParameterValue* v)
{
  *v = gValue;
  return noErr;
}
OSStatus SetP(void*, AudioUnitParameterID, AudioUnitScope, AudioUnitElement, AudioUnitParameterValue v, UInt32)
{
  gValue = v;
  return noErr;
}
AudioComponentMethod ParamLookup(SInt16 selector)
{
  if (selector == kAudioUnitGetParameterSelect)
    return reinterpret_cast<AudioComponentMethod>(GetP);
  if (selector == kAudioUnitSetParameterSelect)
    return reinterpret_cast<AudioComponentMethod>(SetP);
  return nullptr;
}
OSStatus OpenP(void*, AudioComponentInstance) { return noErr; }
OSStatus CloseP(void*) { return noErr; }
AudioComponentPlugInInterface gParamUnit = {OpenP, CloseP, ParamLookup, nullptr};
AudioComponentPlugInInterface* ParamFactory(const AudioComponentDescription*) { return &gParamUnit; }
} // namespace

TEST(ParameterListeners, SetNotifiesEveryListenerButTheSender)
{
  AudioComponentDescription desc = {kAudioUnitType_Effect, 0x50617261, 0x54657374, 0, 0};
  AudioComponent c = AudioComponentRegister(&desc, CFSTR("Param"), 1, ParamFactory);
  AudioUnit unit = nullptr;
  ASSERT_EQ(AudioComponentInstanceNew(c, &unit), noErr);
  ParamLog mine, theirs;
  AUParameterListenerRef me = nullptr, them = nullptr;
  ASSERT_EQ(AUListenerCreate(OnParameter, &mine, nullptr, nullptr, 0.f, &me), noErr);
  ASSERT_EQ(AUListenerCreate(OnParameter, &theirs, nullptr, nullptr, 0.f, &them), noErr);
  AudioUnitParameter p = {unit, 4, kAudioUnitScope_Global, 0};
  AudioUnitParameter any = {unit, kAUParameterListener_AnyParameter, kAudioUnitScope_Global, 0};
  AUListenerAddParameter(me, nullptr, &p);
  AUListenerAddParameter(them, nullptr, &any);

  EXPECT_EQ(AUParameterSet(me, nullptr, &p, 0.3f, 0), noErr);
  EXPECT_EQ(gValue, 0.3f);
  EXPECT_EQ(mine.calls, 0);
  EXPECT_EQ(theirs.calls, 1);
  EXPECT_EQ(theirs.last, 0.3f); // read back from the unit

  AudioUnitParameter other = {unit, 5, kAudioUnitScope_Global, 0};
  AUParameterListenerNotify(nullptr, nullptr, &other);
  EXPECT_EQ(mine.calls, 0);
  EXPECT_EQ(theirs.calls, 2);
  AUListenerRemoveParameter(them, nullptr, &any);
  AUParameterListenerNotify(nullptr, nullptr, &p);
  EXPECT_EQ(mine.calls, 1);
  EXPECT_EQ(theirs.calls, 2);

  EXPECT_EQ(AUListenerDispose(me), noErr);
  EXPECT_EQ(AUListenerDispose(me), kAudio_ParamError);
  AUListenerDispose(them);
  AudioComponentInstanceDispose(unit);
}

TEST(RunLoop, EachThreadPumpsItsOwnLoop)
{
  std::thread::id firedOn;
  CFRunLoopRef workerLoop = nullptr;
  std::thread worker([&] {
    workerLoop = CFRunLoopGetCurrent();
    EXPECT_NE(workerLoop, CFRunLoopGetMain());
    CFRunLoopTimerContext context = {0, &firedOn, nullptr, nullptr, nullptr};
    CFRunLoopTimerRef t = CFRunLoopTimerCreate(
      nullptr, 0, 0, 0, 0,
      [](CFRunLoopTimerRef, void* info) { *static_cast<std::thread::id*>(info) = std::this_thread::get_id(); },
      &context);
    CFRunLoopAddTimer(CFRunLoopGetCurrent(), t, kCFRunLoopCommonModes);
    CFRelease(t);
    EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 1.0, false), kCFRunLoopRunFinished);
  });
  worker.join();
  EXPECT_NE(firedOn, std::thread::id());
  EXPECT_NE(firedOn, std::this_thread::get_id());
  // The main loop saw none of it, and timers still work after the worker's
  // loop went away with its thread.
  EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0, false), kCFRunLoopRunFinished);
  CFRunLoopTimerRef t = CFRunLoopTimerCreate(
    nullptr, 0, 1, 0, 0, [](CFRunLoopTimerRef, void*) {}, nullptr);
  CFRunLoopAddTimer(CFRunLoopGetMain(), t, kCFRunLoopCommonModes);
  CFRunLoopTimerInvalidate(t);
  CFRelease(t);
}
