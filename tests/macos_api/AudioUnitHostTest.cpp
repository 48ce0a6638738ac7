// The host path: find a component bundle on the search path, create an
// instance through its factory, talk to it through Lookup, dispose of it.
#include <AudioToolbox/AudioToolbox.h>
#include <AudioUnit/AudioUnit.h>
#include <CoreServices/CoreServices.h>
#include <MacAPIExtensions.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr OSType kTest = 0x54657374; // 'Test'
constexpr OSType kFake = 0x46616B65; // 'Fake'
constexpr OSType kMiss = 0x4D697373; // 'Miss'
constexpr AudioUnitPropertyID kResourcesPathProperty = 0x10000;
constexpr AudioUnitPropertyID kHostIdentifierProperty = 0x10001;
constexpr AudioUnitPropertyID kSelfProperty = 0x10002;

const char kInfoPlist[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
	<key>CFBundleIdentifier</key>
	<string>com.example.fakeunit</string>
	<key>CFBundleExecutable</key>
	<string>FakeUnit</string>
	<key>AudioComponents</key>
	<array>
		<dict>
			<key>type</key><string>aufx</string>
			<key>subtype</key><string>Fake</string>
			<key>manufacturer</key><string>Test</string>
			<key>name</key><string>Test: Fake Unit</string>
			<key>version</key><integer>65793</integer>
			<key>factoryFunction</key><string>FakeUnitFactory</string>
		</dict>
		<dict>
			<key>type</key><string>aufx</string>
			<key>subtype</key><string>Miss</string>
			<key>manufacturer</key><string>Test</string>
			<key>name</key><string>Test: Missing Factory</string>
			<key>version</key><integer>1</integer>
			<key>factoryFunction</key><string>NoSuchFactory</string>
		</dict>
		<dict>
			<key>type</key><string>toolong</string>
			<key>subtype</key><string>Bad1</string>
			<key>manufacturer</key><string>Test</string>
			<key>factoryFunction</key><string>FakeUnitFactory</string>
		</dict>
	</array>
</dict>
</plist>
)";

std::string Text(CFStringRef s)
{
  const char* p = CFStringGetCStringPtr(s, kCFStringEncodingUTF8);
  return p ? p : "";
}

// A search folder holding Fake.component, built once for all tests.
class AudioUnitHost : public ::testing::Test
{
protected:
  static void SetUpTestSuite()
  {
    root = fs::temp_directory_path() / ("macapi-host-" + std::to_string(::getpid()));
    bundle = root / "Fake.component";
    fs::create_directories(bundle / "Contents" / "Linux");
    fs::create_directories(bundle / "Contents" / "Resources");
    std::ofstream(bundle / "Contents" / "Info.plist") << kInfoPlist;
    std::ofstream(bundle / "Contents" / "Resources" / "BG.png") << "png";
    fs::copy_file(FAKE_COMPONENT_LIBRARY, bundle / "Contents" / "Linux" / "FakeUnit.so",
                  fs::copy_options::overwrite_existing);
    MacAPISetComponentSearchPath((root.string() + ":/nonexistent-folder").c_str());
    MacAPIRescanComponents();
    MacAPISetMainBundleInfo("org.example.testhost", "10.4");
  }
  static void TearDownTestSuite() { fs::remove_all(root); }

  static AudioComponent Find(OSType subtype)
  {
    AudioComponentDescription desc = {kAudioUnitType_Effect, subtype, kTest, 0, 0};
    return AudioComponentFindNext(nullptr, &desc);
  }

  static int Live()
  {
    CFBundleRef b = CFBundleGetBundleWithIdentifier(CFSTR("com.example.fakeunit"));
    auto live = reinterpret_cast<int (*)()>(CFBundleGetFunctionPointerForName(b, CFSTR("FakeUnitLiveInstances")));
    return live ? live() : -1;
  }

  static inline fs::path root, bundle;
};

struct ListenerLog
{
  std::vector<AudioUnitPropertyID> calls;
  AudioUnit unit = nullptr;
};

void OnProperty(void* ctx, AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope, AudioUnitElement)
{
  auto* log = static_cast<ListenerLog*>(ctx);
  log->calls.push_back(id);
  log->unit = unit;
}

OSStatus OnRender(void* ctx, AudioUnitRenderActionFlags* flags, const AudioTimeStamp*, UInt32, UInt32, AudioBufferList*)
{
  static_cast<std::vector<AudioUnitRenderActionFlags>*>(ctx)->push_back(*flags);
  return noErr;
}

} // namespace

TEST_F(AudioUnitHost, FindsBundleComponentsByDescription)
{
  AudioComponent fake = Find(kFake);
  ASSERT_NE(fake, nullptr);
  AudioComponentDescription desc;
  ASSERT_EQ(AudioComponentGetDescription(fake, &desc), noErr);
  EXPECT_EQ(desc.componentType, static_cast<OSType>(kAudioUnitType_Effect));
  CFStringRef name = nullptr;
  ASSERT_EQ(AudioComponentCopyName(fake, &name), noErr);
  EXPECT_EQ(Text(name), "Test: Fake Unit");
  CFRelease(name);
  UInt32 version = 0;
  AudioComponentGetVersion(fake, &version);
  EXPECT_EQ(version, 0x010101u);

  // Zero fields match anything; the malformed entry was skipped.
  AudioComponentDescription any = {0, 0, kTest, 0, 0};
  EXPECT_EQ(AudioComponentCount(&any), 2u);
  AudioComponent first = AudioComponentFindNext(nullptr, &any);
  AudioComponent second = AudioComponentFindNext(first, &any);
  EXPECT_EQ(first, fake);
  EXPECT_EQ(second, Find(kMiss));
  EXPECT_EQ(AudioComponentFindNext(second, &any), nullptr);
  AudioComponentDescription other = {kAudioUnitType_Effect, kFake, 0x6F746872, 0, 0};
  EXPECT_EQ(AudioComponentFindNext(nullptr, &other), nullptr);

  // Scanned bundles are not added twice.
  EXPECT_EQ(MacAPIRegisterComponentBundle(bundle.c_str()), 0);
  EXPECT_EQ(AudioComponentCount(&any), 2u);
}

TEST_F(AudioUnitHost, InstanceAnswersPropertiesParametersAndRender)
{
  AudioUnit unit = nullptr;
  ASSERT_EQ(AudioComponentInstanceNew(Find(kFake), &unit), noErr);
  ASSERT_NE(unit, nullptr);
  EXPECT_EQ(Live(), 1);
  EXPECT_EQ(AudioComponentInstanceGetComponent(unit), Find(kFake));
  EXPECT_EQ(AudioUnitInitialize(unit), noErr);

  UInt32 size = 0;
  Boolean writable = false;
  EXPECT_EQ(AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, &size, &writable),
            noErr);
  EXPECT_EQ(size, 8u);
  EXPECT_TRUE(writable);

  ListenerLog log;
  ASSERT_EQ(AudioUnitAddPropertyListener(unit, kAudioUnitProperty_SampleRate, OnProperty, &log), noErr);
  Float64 rate = 48000.0;
  EXPECT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, &rate, sizeof(rate)),
            noErr);
  EXPECT_EQ(log.calls, std::vector<AudioUnitPropertyID>{kAudioUnitProperty_SampleRate});
  EXPECT_EQ(log.unit, unit); // listeners get the host's handle, not the plug-in's pointer
  AudioUnitRemovePropertyListenerWithUserData(unit, kAudioUnitProperty_SampleRate, OnProperty, &log);
  AudioUnitSetProperty(unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, &rate, sizeof(rate));
  EXPECT_EQ(log.calls.size(), 1u);

  AudioStreamBasicDescription format = {};
  size = sizeof(format);
  ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &format, &size),
            noErr);
  EXPECT_EQ(format.mSampleRate, 48000.0);
  EXPECT_EQ(format.mFormatID, static_cast<AudioFormatID>(kAudioFormatLinearPCM));
  EXPECT_EQ(format.mFormatFlags, 0x29u);
  EXPECT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &format, &size),
            kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &format, nullptr),
            kAudio_ParamError);

  EXPECT_EQ(AudioUnitSetParameter(unit, 0, kAudioUnitScope_Global, 0, 0.25f, 0), noErr);
  AudioUnitParameterValue value = 0;
  EXPECT_EQ(AudioUnitGetParameter(unit, 0, kAudioUnitScope_Global, 0, &value), noErr);
  EXPECT_EQ(value, 0.25f);
  EXPECT_EQ(AudioUnitGetParameter(unit, 0, kAudioUnitScope_Input, 0, &value), kAudioUnitErr_InvalidProperty);

  std::vector<AudioUnitRenderActionFlags> notified;
  AudioUnitAddRenderNotify(unit, OnRender, &notified);
  std::vector<Float32> left(64, -1.f), right(64, -1.f);
  struct
  {
    UInt32 count;
    AudioBuffer buffers[2];
  } list = {2, {{1, 256, left.data()}, {1, 256, right.data()}}};
  AudioTimeStamp ts = {};
  ts.mFlags = kAudioTimeStampSampleTimeValid;
  AudioUnitRenderActionFlags flags = 0;
  ASSERT_EQ(AudioUnitRender(unit, &flags, &ts, 0, 64, reinterpret_cast<AudioBufferList*>(&list)), noErr);
  EXPECT_EQ(left[63], 0.25f);
  EXPECT_EQ(right[0], 0.25f);
  EXPECT_EQ(notified, (std::vector<AudioUnitRenderActionFlags>{kAudioUnitRenderAction_PreRender,
                                                               kAudioUnitRenderAction_PostRender}));
  ts.mFlags = 0;
  EXPECT_EQ(AudioUnitRender(unit, nullptr, &ts, 0, 64, reinterpret_cast<AudioBufferList*>(&list)),
            kAudioUnitErr_InvalidPropertyValue);
  AudioUnitRemoveRenderNotify(unit, OnRender, &notified);

  // Selectors the unit does not implement.
  EXPECT_EQ(MusicDeviceMIDIEvent(unit, 0x90, 60, 100, 0), badComponentSelector);
  EXPECT_EQ(AudioUnitScheduleParameters(unit, nullptr, 0), badComponentSelector);
  EXPECT_FALSE(AudioComponentInstanceCanDo(unit, kMusicDeviceSysExSelect));
  EXPECT_TRUE(AudioComponentInstanceCanDo(unit, kAudioUnitRenderSelect));

  EXPECT_EQ(AudioUnitUninitialize(unit), noErr);
  EXPECT_EQ(AudioComponentInstanceDispose(unit), noErr);
  EXPECT_EQ(Live(), 0);
  EXPECT_EQ(AudioUnitInitialize(nullptr), badComponentInstance);
  EXPECT_EQ(AudioComponentInstanceDispose(nullptr), badComponentInstance);
}

TEST_F(AudioUnitHost, ComponentSeesItsBundleAndTheHost)
{
  AudioUnit unit = nullptr;
  ASSERT_EQ(AudioComponentInstanceNew(Find(kFake), &unit), noErr);
  CFStringRef path = nullptr;
  UInt32 size = sizeof(path);
  ASSERT_EQ(AudioUnitGetProperty(unit, kResourcesPathProperty, kAudioUnitScope_Global, 0, &path, &size), noErr);
  EXPECT_EQ(fs::path(Text(path)), fs::canonical(bundle) / "Contents" / "Resources");
  CFRelease(path);

  CFStringRef host = nullptr;
  ASSERT_EQ(AudioUnitGetProperty(unit, kHostIdentifierProperty, kAudioUnitScope_Global, 0, &host, &size), noErr);
  EXPECT_EQ(Text(host), "org.example.testhost");
  CFRelease(host);
  auto version =
    static_cast<CFStringRef>(CFBundleGetValueForInfoDictionaryKey(CFBundleGetMainBundle(), kCFBundleVersionKey));
  EXPECT_EQ(Text(version), "10.4");

  CFBundleRef b = CFBundleGetBundleWithIdentifier(CFSTR("com.example.fakeunit"));
  ASSERT_NE(b, nullptr);
  CFURLRef png = CFBundleCopyResourceURL(b, CFSTR("BG"), CFSTR("png"), nullptr);
  EXPECT_NE(png, nullptr);
  CFRelease(png);
  EXPECT_EQ(CFBundleCopyResourceURL(b, CFSTR("BG"), CFSTR("jpg"), nullptr), nullptr);

  // The instance storage is the plug-in's interface pointer unless set.
  void* self = nullptr;
  size = sizeof(self);
  AudioUnitGetProperty(unit, kSelfProperty, kAudioUnitScope_Global, 0, &self, &size);
  EXPECT_EQ(reinterpret_cast<void*>(GetComponentInstanceStorage(unit)), self);
  int object = 0;
  SetComponentInstanceStorage(unit, reinterpret_cast<Handle>(&object));
  EXPECT_EQ(reinterpret_cast<void*>(GetComponentInstanceStorage(unit)), &object);
  AudioComponentInstanceDispose(unit);
}

TEST_F(AudioUnitHost, MissingFactoryFailsCleanly)
{
  AudioUnit unit = reinterpret_cast<AudioUnit>(1);
  EXPECT_EQ(AudioComponentInstanceNew(Find(kMiss), &unit), invalidComponentID);
  EXPECT_EQ(unit, nullptr);
  EXPECT_EQ(AudioComponentInstanceNew(nullptr, &unit), paramErr);
}

namespace {
struct EventLog
{
  std::vector<std::pair<AudioUnitEventType, AudioUnitParameterValue>> events;
  void* object = nullptr;
};

void OnEvent(void* ctx, void* object, const AudioUnitEvent* event, UInt64, AudioUnitParameterValue value)
{
  auto* log = static_cast<EventLog*>(ctx);
  log->events.emplace_back(event->mEventType, value);
  log->object = object;
}
} // namespace

TEST_F(AudioUnitHost, EventListenersHearParameterAndPropertyChanges)
{
  AudioUnit unit = nullptr;
  ASSERT_EQ(AudioComponentInstanceNew(Find(kFake), &unit), noErr);
  EventLog queued, direct;
  AUEventListenerRef onLoop = nullptr, immediate = nullptr;
  ASSERT_EQ(AUEventListenerCreate(OnEvent, &queued, CFRunLoopGetCurrent(), kCFRunLoopDefaultMode, 0.05f, 0.f, &onLoop),
            noErr);
  ASSERT_EQ(AUEventListenerCreate(OnEvent, &direct, nullptr, nullptr, 0.f, 0.f, &immediate), noErr);

  AudioUnitEvent change = {};
  change.mEventType = kAudioUnitEvent_ParameterValueChange;
  change.mArgument.mParameter = {unit, 0, kAudioUnitScope_Global, 0};
  int tag = 7;
  AUEventListenerAddEventType(onLoop, &tag, &change);
  AUEventListenerAddEventType(immediate, nullptr, &change);
  AudioUnitEvent property = {};
  property.mEventType = kAudioUnitEvent_PropertyChange;
  property.mArgument.mProperty = {unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0};
  ASSERT_EQ(AUEventListenerAddEventType(immediate, nullptr, &property), noErr);

  // The unit announces its own parameter change.
  AudioUnitSetParameter(unit, 0, kAudioUnitScope_Global, 0, 0.75f, 0);
  EXPECT_EQ(direct.events.size(), 1u);
  EXPECT_TRUE(queued.events.empty()); // waits for its run loop
  EXPECT_EQ(CFRunLoopRunInMode(kCFRunLoopDefaultMode, 1.0, true), kCFRunLoopRunHandledSource);
  ASSERT_EQ(queued.events.size(), 1u);
  EXPECT_EQ(queued.events[0], std::make_pair(AudioUnitEventType(kAudioUnitEvent_ParameterValueChange), 0.75f));
  EXPECT_EQ(queued.object, &tag);

  // A gesture nobody registered for reaches nobody; the sending listener
  // and the registrations of the sending object are skipped.
  AudioUnitEvent begin = change;
  begin.mEventType = kAudioUnitEvent_BeginParameterChangeGesture;
  AUEventListenerNotify(nullptr, nullptr, &begin);
  AUEventListenerNotify(immediate, nullptr, &change);
  EXPECT_EQ(direct.events.size(), 1u);
  AUEventListenerNotify(nullptr, &tag, &change);
  EXPECT_EQ(direct.events.size(), 2u);
  CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0, false);
  EXPECT_EQ(queued.events.size(), 2u); // only the one sent by `immediate`

  Float64 rate = 96000.0;
  AudioUnitSetProperty(unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, &rate, sizeof(rate));
  ASSERT_EQ(direct.events.size(), 3u);
  EXPECT_EQ(direct.events.back().first, static_cast<AudioUnitEventType>(kAudioUnitEvent_PropertyChange));

  // Deliveries queued for a disposed listener are dropped.
  AudioUnitSetParameter(unit, 0, kAudioUnitScope_Global, 0, 0.5f, 0);
  EXPECT_EQ(AUListenerDispose(onLoop), noErr);
  CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0, false);
  EXPECT_EQ(queued.events.size(), 2u);
  EXPECT_EQ(AUListenerDispose(immediate), noErr);
  AudioUnitSetProperty(unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, &rate, sizeof(rate));
  EXPECT_EQ(direct.events.size(), 4u);
  AudioComponentInstanceDispose(unit);
}

namespace {
AudioComponentMethod NoMethods(SInt16) { return nullptr; }
OSStatus OpenOK(void*, AudioComponentInstance) { return noErr; }
OSStatus CloseOK(void*) { return noErr; }
AudioComponentPlugInInterface gInProcess = {OpenOK, CloseOK, NoMethods, nullptr};
AudioComponentPlugInInterface* InProcessFactory(const AudioComponentDescription*) { return &gInProcess; }

ComponentResult SetParam(void* storage, AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement, Float32 value,
                         UInt32 offset)
{
  return storage == &gInProcess && id == 3 && scope == 0 && value == 0.5f && offset == 16 ? noErr : paramErr;
}
} // namespace

TEST(AudioComponents, InProcessRegistrationAndComponentManagerCalls)
{
  AudioComponentDescription desc = {kAudioUnitType_Generator, 0x496E5072, 0x54657374, 0, 0};
  AudioComponent c = AudioComponentRegister(&desc, CFSTR("In Process"), 2, InProcessFactory);
  ASSERT_EQ(AudioComponentFindNext(nullptr, &desc), c);
  AudioUnit unit = nullptr;
  ASSERT_EQ(AudioComponentInstanceNew(c, &unit), noErr);
  EXPECT_EQ(AudioUnitReset(unit, kAudioUnitScope_Global, 0), badComponentSelector);

  // A parameter block in the order of the C declaration, floats included.
  auto block = MakeComponentParameters(kAudioUnitSetParameterSelect, AudioUnitParameterID(3), AudioUnitScope(0),
                                       AudioUnitElement(0), 0.5f, UInt32(16));
  EXPECT_EQ(block.get()->what, kAudioUnitSetParameterSelect);
  EXPECT_EQ(block.get()->paramSize, 5 * sizeof(long));
  EXPECT_EQ(
    CallComponentFunctionWithStorage(static_cast<void*>(GetComponentInstanceStorage(unit)), block.get(), SetParam),
    noErr);
  AudioComponentInstanceDispose(unit);
}
