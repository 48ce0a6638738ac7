// Parameter and event listeners. Registrations live in one process-wide
// list; deliveries go straight to the listener, or through its run loop.
#include "macos_api/src/CFRuntime.h"
#include "macos_api/src/RunLoopInternal.h"

#include <AudioToolbox/AudioUnitUtilities.h>
#include <MacAPIExtensions.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <time.h>
#include <vector>

using namespace macapi;

namespace {

struct Registration;

struct ListenerState
{
  AUEventListenerProc eventProc = nullptr;
  AUParameterListenerProc parameterProc = nullptr;
  void* userData = nullptr;
  CFRunLoopRef runLoop = nullptr;
  CFStringRef mode = nullptr;
  bool disposed = false; // guarded by gLock; queued deliveries check it
  std::vector<std::unique_ptr<Registration>> registrations;
};

struct Registration
{
  std::weak_ptr<ListenerState> listener;
  void* object;
  AudioUnitEvent event;
};

std::mutex gLock;

std::vector<std::shared_ptr<ListenerState>>& Listeners()
{
  static auto* listeners = new std::vector<std::shared_ptr<ListenerState>>;
  return *listeners;
}

bool IsParameterEvent(AudioUnitEventType type) { return type <= kAudioUnitEvent_EndParameterChangeGesture; }

bool Matches(const AudioUnitEvent& reg, const AudioUnitEvent& event)
{
  if (reg.mEventType != event.mEventType)
    return false;
  if (IsParameterEvent(event.mEventType))
  {
    const AudioUnitParameter& a = reg.mArgument.mParameter;
    const AudioUnitParameter& b = event.mArgument.mParameter;
    if (a.mAudioUnit != b.mAudioUnit)
      return false;
    return a.mParameterID == kAUParameterListener_AnyParameter ||
           (a.mParameterID == b.mParameterID && a.mScope == b.mScope && a.mElement == b.mElement);
  }
  const AudioUnitProperty& a = reg.mArgument.mProperty;
  const AudioUnitProperty& b = event.mArgument.mProperty;
  return a.mAudioUnit == b.mAudioUnit && a.mPropertyID == b.mPropertyID && a.mScope == b.mScope &&
         a.mElement == b.mElement;
}

UInt64 HostTime()
{
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<UInt64>(ts.tv_sec) * 1000000000ULL + static_cast<UInt64>(ts.tv_nsec);
}

void Call(const std::shared_ptr<ListenerState>& listener, void* object, const AudioUnitEvent& event, UInt64 hostTime)
{
  {
    std::lock_guard<std::mutex> lock(gLock);
    if (listener->disposed)
      return;
  }
  AudioUnitParameterValue value = 0;
  if (event.mEventType == kAudioUnitEvent_ParameterValueChange)
  {
    const AudioUnitParameter& p = event.mArgument.mParameter;
    AudioUnitGetParameter(p.mAudioUnit, p.mParameterID, p.mScope, p.mElement, &value);
  }
  if (listener->eventProc)
    listener->eventProc(listener->userData, object, &event, hostTime, value);
  else if (listener->parameterProc && event.mEventType == kAudioUnitEvent_ParameterValueChange)
    listener->parameterProc(listener->userData, object, &event.mArgument.mParameter, value);
}

void Deliver(const std::shared_ptr<ListenerState>& listener, void* object, const AudioUnitEvent& event)
{
  const UInt64 hostTime = HostTime();
  if (!listener->runLoop)
    Call(listener, object, event, hostTime);
  else
    RunLoopPerform(listener->runLoop, listener->mode,
                   [listener, object, event, hostTime] { Call(listener, object, event, hostTime); });
}

// Property-change registrations listen on the unit itself.
void PropertyChanged(void* inRefCon, AudioUnit inUnit, AudioUnitPropertyID inID, AudioUnitScope inScope,
                     AudioUnitElement inElement)
{
  auto* reg = static_cast<Registration*>(inRefCon);
  std::shared_ptr<ListenerState> listener;
  AudioUnitEvent event = {};
  event.mEventType = kAudioUnitEvent_PropertyChange;
  event.mArgument.mProperty = {inUnit, inID, inScope, inElement};
  void* object;
  {
    std::lock_guard<std::mutex> lock(gLock);
    listener = reg->listener.lock();
    if (!listener || listener->disposed || !Matches(reg->event, event))
      return;
    object = reg->object;
  }
  Deliver(listener, object, event);
}

std::shared_ptr<ListenerState> Find(AUEventListenerRef ref)
{
  for (auto& l : Listeners())
    if (reinterpret_cast<AUEventListenerRef>(l.get()) == ref)
      return l;
  return nullptr;
}

OSStatus Create(std::shared_ptr<ListenerState> state, CFRunLoopRef runLoop, CFStringRef mode, AUEventListenerRef* out)
{
  if (!out)
    return kAudio_ParamError;
  state->runLoop = runLoop;
  state->mode = mode ? CFStringCreateCopy(nullptr, mode) : nullptr;
  std::lock_guard<std::mutex> lock(gLock);
  Listeners().push_back(state);
  *out = reinterpret_cast<AUEventListenerRef>(state.get());
  return noErr;
}

OSStatus Notify(AUEventListenerRef sender, void* sendingObject, const AudioUnitEvent& event)
{
  std::vector<std::pair<std::shared_ptr<ListenerState>, void*>> targets;
  {
    std::lock_guard<std::mutex> lock(gLock);
    for (auto& l : Listeners())
    {
      if (reinterpret_cast<AUEventListenerRef>(l.get()) == sender)
        continue;
      for (auto& reg : l->registrations)
        if (Matches(reg->event, event) && (!sendingObject || reg->object != sendingObject))
          targets.emplace_back(l, reg->object);
    }
  }
  for (auto& [listener, object] : targets)
    Deliver(listener, object, event);
  return noErr;
}

// The value-change event the parameter-listener calls stand for.
AudioUnitEvent ValueChangeEvent(const AudioUnitParameter& parameter)
{
  AudioUnitEvent event = {};
  event.mEventType = kAudioUnitEvent_ParameterValueChange;
  event.mArgument.mParameter = parameter;
  return event;
}

} // namespace

OSStatus AUEventListenerCreate(AUEventListenerProc inProc, void* inUserData, CFRunLoopRef inRunLoop,
                               CFStringRef inRunLoopMode, Float32, Float32, AUEventListenerRef* outListener)
{
  if (!inProc)
    return kAudio_ParamError;
  auto state = std::make_shared<ListenerState>();
  state->eventProc = inProc;
  state->userData = inUserData;
  return Create(state, inRunLoop, inRunLoopMode, outListener);
}

OSStatus AUListenerCreate(AUParameterListenerProc inProc, void* inUserData, CFRunLoopRef inRunLoop,
                          CFStringRef inRunLoopMode, Float32, AUParameterListenerRef* outListener)
{
  if (!inProc)
    return kAudio_ParamError;
  auto state = std::make_shared<ListenerState>();
  state->parameterProc = inProc;
  state->userData = inUserData;
  return Create(state, inRunLoop, inRunLoopMode, outListener);
}

OSStatus AUEventListenerAddEventType(AUEventListenerRef inListener, void* inObject, const AudioUnitEvent* inEvent)
{
  if (!inEvent || inEvent->mEventType > kAudioUnitEvent_PropertyChange)
    return kAudio_ParamError;
  Registration* added;
  {
    std::lock_guard<std::mutex> lock(gLock);
    auto listener = Find(inListener);
    if (!listener)
      return kAudio_ParamError;
    listener->registrations.push_back(std::make_unique<Registration>(Registration{listener, inObject, *inEvent}));
    added = listener->registrations.back().get();
  }
  if (inEvent->mEventType == kAudioUnitEvent_PropertyChange)
  {
    const AudioUnitProperty& p = inEvent->mArgument.mProperty;
    if (OSStatus status = AudioUnitAddPropertyListener(p.mAudioUnit, p.mPropertyID, PropertyChanged, added);
        status != noErr)
    {
      AUEventListenerRemoveEventType(inListener, inObject, inEvent);
      return status;
    }
  }
  return noErr;
}

OSStatus AUEventListenerRemoveEventType(AUEventListenerRef inListener, void* inObject, const AudioUnitEvent* inEvent)
{
  if (!inEvent)
    return kAudio_ParamError;
  std::vector<std::unique_ptr<Registration>> removed;
  {
    std::lock_guard<std::mutex> lock(gLock);
    auto listener = Find(inListener);
    if (!listener)
      return kAudio_ParamError;
    auto& regs = listener->registrations;
    for (auto it = regs.begin(); it != regs.end();)
    {
      const bool same = (*it)->object == inObject && std::memcmp(&(*it)->event, inEvent, sizeof(AudioUnitEvent)) == 0;
      if (same)
      {
        removed.push_back(std::move(*it));
        it = regs.erase(it);
      }
      else
        ++it;
    }
  }
  for (auto& reg : removed)
    if (reg->event.mEventType == kAudioUnitEvent_PropertyChange)
    {
      const AudioUnitProperty& p = reg->event.mArgument.mProperty;
      AudioUnitRemovePropertyListenerWithUserData(p.mAudioUnit, p.mPropertyID, PropertyChanged, reg.get());
    }
  return noErr;
}

OSStatus AUListenerDispose(AUParameterListenerRef inListener)
{
  std::shared_ptr<ListenerState> listener;
  std::vector<std::unique_ptr<Registration>> removed;
  {
    std::lock_guard<std::mutex> lock(gLock);
    listener = Find(inListener);
    if (!listener)
      return kAudio_ParamError;
    listener->disposed = true;
    removed = std::move(listener->registrations);
    auto& all = Listeners();
    all.erase(std::remove(all.begin(), all.end(), listener), all.end());
  }
  for (auto& reg : removed)
    if (reg->event.mEventType == kAudioUnitEvent_PropertyChange)
    {
      const AudioUnitProperty& p = reg->event.mArgument.mProperty;
      AudioUnitRemovePropertyListenerWithUserData(p.mAudioUnit, p.mPropertyID, PropertyChanged, reg.get());
    }
  CFRelease(listener->mode);
  listener->mode = nullptr;
  return noErr;
}

OSStatus AUEventListenerNotify(AUEventListenerRef inSendingListener, void* inSendingObject,
                               const AudioUnitEvent* inEvent)
{
  if (!inEvent)
    return kAudio_ParamError;
  return Notify(inSendingListener, inSendingObject, *inEvent);
}

OSStatus AUListenerAddParameter(AUParameterListenerRef inListener, void* inObject,
                                const AudioUnitParameter* inParameter)
{
  if (!inParameter)
    return kAudio_ParamError;
  const AudioUnitEvent event = ValueChangeEvent(*inParameter);
  return AUEventListenerAddEventType(inListener, inObject, &event);
}

OSStatus AUListenerRemoveParameter(AUParameterListenerRef inListener, void* inObject,
                                   const AudioUnitParameter* inParameter)
{
  if (!inParameter)
    return kAudio_ParamError;
  const AudioUnitEvent event = ValueChangeEvent(*inParameter);
  return AUEventListenerRemoveEventType(inListener, inObject, &event);
}

OSStatus AUParameterListenerNotify(AUParameterListenerRef inSendingListener, void* inSendingObject,
                                   const AudioUnitParameter* inParameter)
{
  if (!inParameter)
    return kAudio_ParamError;
  return Notify(inSendingListener, inSendingObject, ValueChangeEvent(*inParameter));
}

OSStatus AUParameterSet(AUParameterListenerRef inSendingListener, void* inSendingObject,
                        const AudioUnitParameter* inParameter, AudioUnitParameterValue inValue,
                        UInt32 inBufferOffsetInFrames)
{
  if (!inParameter)
    return kAudio_ParamError;
  if (OSStatus status = AudioUnitSetParameter(inParameter->mAudioUnit, inParameter->mParameterID, inParameter->mScope,
                                              inParameter->mElement, inValue, inBufferOffsetInFrames);
      status != noErr)
    return status;
  return AUParameterListenerNotify(inSendingListener, inSendingObject, inParameter);
}

SInt32 MacAPIRunMainLoop(CFTimeInterval seconds) { return CFRunLoopRunInMode(kCFRunLoopDefaultMode, seconds, false); }
