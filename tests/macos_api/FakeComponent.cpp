// A minimal Audio Unit component, built as its own shared library and
// packaged into a temporary .component bundle by the host tests.
#include <AudioToolbox/AudioToolbox.h>
#include <AudioUnit/AudioUnit.h>

#include <atomic>
#include <cstring>
#include <new>
#include <vector>

namespace {

std::atomic<int> gLive{0};

// Custom properties for the tests.
constexpr AudioUnitPropertyID kResourcesPathProperty = 0x10000;  // CFStringRef, caller releases
constexpr AudioUnitPropertyID kHostIdentifierProperty = 0x10001; // CFStringRef, caller releases
constexpr AudioUnitPropertyID kSelfProperty = 0x10002;           // void*

struct Listener
{
  AudioUnitPropertyID id;
  AudioUnitPropertyListenerProc proc;
  void* data;
};

struct FakeUnit
{
  AudioComponentPlugInInterface iface; // first: the pointer handed to the host
  AudioComponentInstance instance = nullptr;
  Float64 sampleRate = 44100.0;
  AudioUnitParameterValue gain = 0.5f;
  std::vector<Listener> listeners;
  std::vector<AURenderCallbackStruct> notifiers;

  static FakeUnit* Of(void* self) { return static_cast<FakeUnit*>(self); }

  void Notify(AudioUnitPropertyID id)
  {
    for (const Listener& l : std::vector<Listener>(listeners))
      if (l.id == id)
        l.proc(l.data, instance, id, kAudioUnitScope_Global, 0);
  }
};

OSStatus Initialize(void*) { return noErr; }
OSStatus Uninitialize(void*) { return noErr; }

OSStatus GetProperty(void* self, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement, void* data,
                     UInt32* size)
{
  FakeUnit* u = FakeUnit::Of(self);
  switch (id)
  {
    case kAudioUnitProperty_SampleRate:
      if (data)
        *static_cast<Float64*>(data) = u->sampleRate;
      *size = sizeof(Float64);
      return noErr;
    case kAudioUnitProperty_StreamFormat:
    {
      if (scope != kAudioUnitScope_Output)
        return kAudioUnitErr_InvalidProperty;
      *size = sizeof(AudioStreamBasicDescription);
      if (data)
        *static_cast<AudioStreamBasicDescription*>(data) = {u->sampleRate,
                                                            kAudioFormatLinearPCM,
                                                            kAudioFormatFlagsNativeFloatPacked |
                                                              kAudioFormatFlagIsNonInterleaved,
                                                            4,
                                                            1,
                                                            4,
                                                            2,
                                                            32,
                                                            0};
      return noErr;
    }
    case kResourcesPathProperty:
    case kHostIdentifierProperty:
    {
      *size = sizeof(CFStringRef);
      if (!data)
        return noErr;
      if (id == kHostIdentifierProperty)
      {
        *static_cast<CFStringRef*>(data) = CFStringCreateCopy(nullptr, CFBundleGetIdentifier(CFBundleGetMainBundle()));
        return noErr;
      }
      CFBundleRef bundle = CFBundleGetBundleWithIdentifier(CFSTR("com.example.fakeunit"));
      CFURLRef url = CFBundleCopyResourcesDirectoryURL(bundle);
      *static_cast<CFStringRef*>(data) = url ? CFURLCopyFileSystemPath(url, kCFURLPOSIXPathStyle) : nullptr;
      if (url)
        CFRelease(url);
      return url ? OSStatus(noErr) : OSStatus(kAudioUnitErr_InvalidProperty);
    }
    case kSelfProperty:
      *size = sizeof(void*);
      if (data)
        *static_cast<void**>(data) = u;
      return noErr;
    default: return kAudioUnitErr_InvalidProperty;
  }
}

OSStatus GetPropertyInfo(void* self, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                         UInt32* size, Boolean* writable)
{
  UInt32 localSize = 0;
  OSStatus status = GetProperty(self, id, scope, element, nullptr, size ? size : &localSize);
  if (writable)
    *writable = id == static_cast<AudioUnitPropertyID>(kAudioUnitProperty_SampleRate);
  return status;
}

OSStatus SetProperty(void* self, AudioUnitPropertyID id, AudioUnitScope, AudioUnitElement, const void* data,
                     UInt32 size)
{
  FakeUnit* u = FakeUnit::Of(self);
  if (id != kAudioUnitProperty_SampleRate || size != sizeof(Float64) || !data)
    return kAudioUnitErr_InvalidProperty;
  u->sampleRate = *static_cast<const Float64*>(data);
  u->Notify(id);
  return noErr;
}

OSStatus GetParameter(void* self, AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement,
                      AudioUnitParameterValue* value)
{
  if (id != 0 || scope != kAudioUnitScope_Global)
    return kAudioUnitErr_InvalidProperty;
  *value = FakeUnit::Of(self)->gain;
  return noErr;
}

OSStatus SetParameter(void* self, AudioUnitParameterID id, AudioUnitScope scope, AudioUnitElement,
                      AudioUnitParameterValue value, UInt32)
{
  if (id != 0 || scope != kAudioUnitScope_Global)
    return kAudioUnitErr_InvalidProperty;
  FakeUnit* u = FakeUnit::Of(self);
  u->gain = value;
  // Tell the host, as an editor edit would.
  AudioUnitEvent event = {};
  event.mEventType = kAudioUnitEvent_ParameterValueChange;
  event.mArgument.mParameter = {u->instance, id, scope, 0};
  AUEventListenerNotify(nullptr, nullptr, &event);
  return noErr;
}

OSStatus Reset(void*, AudioUnitScope, AudioUnitElement) { return noErr; }

OSStatus AddListener(void* self, AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc, void* data)
{
  FakeUnit::Of(self)->listeners.push_back({id, proc, data});
  return noErr;
}

OSStatus RemoveListenerWithUserData(void* self, AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc, void* data)
{
  auto& ls = FakeUnit::Of(self)->listeners;
  for (auto it = ls.begin(); it != ls.end(); ++it)
    if (it->id == id && it->proc == proc && it->data == data)
    {
      ls.erase(it);
      break;
    }
  return noErr;
}

OSStatus AddRenderNotify(void* self, AURenderCallback proc, void* data)
{
  FakeUnit::Of(self)->notifiers.push_back({proc, data});
  return noErr;
}

OSStatus RemoveRenderNotify(void* self, AURenderCallback proc, void*)
{
  auto& ns = FakeUnit::Of(self)->notifiers;
  for (auto it = ns.begin(); it != ns.end(); ++it)
    if (it->inputProc == proc)
    {
      ns.erase(it);
      break;
    }
  return noErr;
}

// Writes the gain into every output sample, between the render notifications.
OSStatus Render(void* self, AudioUnitRenderActionFlags*, const AudioTimeStamp* ts, UInt32 bus, UInt32 frames,
                AudioBufferList* io)
{
  FakeUnit* u = FakeUnit::Of(self);
  if (!(ts->mFlags & kAudioTimeStampSampleTimeValid) || frames > 4096)
    return kAudioUnitErr_InvalidPropertyValue;
  for (auto& n : u->notifiers)
  {
    AudioUnitRenderActionFlags flags = kAudioUnitRenderAction_PreRender;
    n.inputProc(n.inputProcRefCon, &flags, ts, bus, frames, io);
  }
  for (UInt32 b = 0; b < io->mNumberBuffers; ++b)
  {
    auto* samples = static_cast<Float32*>(io->mBuffers[b].mData);
    if (!samples)
      return kAudio_ParamError;
    for (UInt32 i = 0; i < frames; ++i)
      samples[i] = u->gain;
  }
  for (auto& n : u->notifiers)
  {
    AudioUnitRenderActionFlags flags = kAudioUnitRenderAction_PostRender;
    n.inputProc(n.inputProcRefCon, &flags, ts, bus, frames, io);
  }
  return noErr;
}

AudioComponentMethod Lookup(SInt16 selector)
{
  switch (selector)
  {
    case kAudioUnitInitializeSelect: return reinterpret_cast<AudioComponentMethod>(Initialize);
    case kAudioUnitUninitializeSelect: return reinterpret_cast<AudioComponentMethod>(Uninitialize);
    case kAudioUnitGetPropertyInfoSelect: return reinterpret_cast<AudioComponentMethod>(GetPropertyInfo);
    case kAudioUnitGetPropertySelect: return reinterpret_cast<AudioComponentMethod>(GetProperty);
    case kAudioUnitSetPropertySelect: return reinterpret_cast<AudioComponentMethod>(SetProperty);
    case kAudioUnitGetParameterSelect: return reinterpret_cast<AudioComponentMethod>(GetParameter);
    case kAudioUnitSetParameterSelect: return reinterpret_cast<AudioComponentMethod>(SetParameter);
    case kAudioUnitResetSelect: return reinterpret_cast<AudioComponentMethod>(Reset);
    case kAudioUnitAddPropertyListenerSelect: return reinterpret_cast<AudioComponentMethod>(AddListener);
    case kAudioUnitRemovePropertyListenerWithUserDataSelect:
      return reinterpret_cast<AudioComponentMethod>(RemoveListenerWithUserData);
    case kAudioUnitRenderSelect: return reinterpret_cast<AudioComponentMethod>(Render);
    case kAudioUnitAddRenderNotifySelect: return reinterpret_cast<AudioComponentMethod>(AddRenderNotify);
    case kAudioUnitRemoveRenderNotifySelect: return reinterpret_cast<AudioComponentMethod>(RemoveRenderNotify);
    default: return nullptr;
  }
}

OSStatus Open(void* self, AudioComponentInstance instance)
{
  FakeUnit::Of(self)->instance = instance;
  ++gLive;
  return noErr;
}

OSStatus Close(void* self)
{
  delete FakeUnit::Of(self);
  --gLive;
  return noErr;
}

} // namespace

extern "C" __attribute__((visibility("default"))) AudioComponentPlugInInterface*
FakeUnitFactory(const AudioComponentDescription*)
{
  auto* unit = new (std::nothrow) FakeUnit;
  if (!unit)
    return nullptr;
  unit->iface = {Open, Close, Lookup, nullptr};
  return &unit->iface;
}

extern "C" __attribute__((visibility("default"))) int FakeUnitLiveInstances() { return gLive.load(); }
