// Parameter and event listeners: how a unit tells the host that a
// parameter changed (gestures, values) and how a host hears of it.
#pragma once

#include <AudioUnit/AudioUnit.h>
#include <CoreFoundation/CFRunLoop.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef UInt32 AudioUnitEventType;
enum
{
  kAudioUnitEvent_ParameterValueChange = 0,
  kAudioUnitEvent_BeginParameterChangeGesture = 1,
  kAudioUnitEvent_EndParameterChangeGesture = 2,
  kAudioUnitEvent_PropertyChange = 3
};

typedef struct AudioUnitEvent
{
  AudioUnitEventType mEventType;
  union
  {
    AudioUnitParameter mParameter; // parameter events
    AudioUnitProperty mProperty;   // kAudioUnitEvent_PropertyChange
  } mArgument;
} AudioUnitEvent;

typedef struct AUListenerBase* AUParameterListenerRef;
typedef AUParameterListenerRef AUEventListenerRef;

typedef void (*AUParameterListenerProc)(void* inRefCon, void* inObject, const AudioUnitParameter* inParameter,
                                        AudioUnitParameterValue inValue);
typedef void (*AUEventListenerProc)(void* inCallbackRefCon, void* inObject, const AudioUnitEvent* inEvent,
                                    UInt64 inEventHostTime, AudioUnitParameterValue inParameterValue);

// A parameter ID matching every parameter of a unit in a registration.
enum
{
  kAUParameterListener_AnyParameter = 0xFFFFFFFF
};

// Listeners created with a run loop receive their events when that run loop
// runs (in inRunLoopMode, or the common modes when NULL); listeners
// created without one are called at once on the notifying thread. For
// parameter value events the listener gets the value read back from the
// unit with AudioUnitGetParameter.
AUDIO_API_EXPORT OSStatus AUEventListenerCreate(AUEventListenerProc inProc, void* inUserData, CFRunLoopRef inRunLoop,
                                                CFStringRef inRunLoopMode, Float32 inNotificationInterval,
                                                Float32 inValueChangeGranularity, AUEventListenerRef* outListener);
// inObject is handed back to the listener with each event it receives.
AUDIO_API_EXPORT OSStatus AUEventListenerAddEventType(AUEventListenerRef inListener, void* inObject,
                                                      const AudioUnitEvent* inEvent);
AUDIO_API_EXPORT OSStatus AUEventListenerRemoveEventType(AUEventListenerRef inListener, void* inObject,
                                                         const AudioUnitEvent* inEvent);
// Delivers the event to every registration that matches it, except those of
// inSendingListener and those registered with object inSendingObject.
AUDIO_API_EXPORT OSStatus AUEventListenerNotify(AUEventListenerRef inSendingListener, void* inSendingObject,
                                                const AudioUnitEvent* inEvent);

AUDIO_API_EXPORT OSStatus AUListenerCreate(AUParameterListenerProc inProc, void* inUserData, CFRunLoopRef inRunLoop,
                                           CFStringRef inRunLoopMode, Float32 inNotificationInterval,
                                           AUParameterListenerRef* outListener);
AUDIO_API_EXPORT OSStatus AUListenerDispose(AUParameterListenerRef inListener);
AUDIO_API_EXPORT OSStatus AUListenerAddParameter(AUParameterListenerRef inListener, void* inObject,
                                                 const AudioUnitParameter* inParameter);
AUDIO_API_EXPORT OSStatus AUListenerRemoveParameter(AUParameterListenerRef inListener, void* inObject,
                                                    const AudioUnitParameter* inParameter);
// Sets the parameter on the unit, then notifies the listeners.
AUDIO_API_EXPORT OSStatus AUParameterSet(AUParameterListenerRef inSendingListener, void* inSendingObject,
                                         const AudioUnitParameter* inParameter, AudioUnitParameterValue inValue,
                                         UInt32 inBufferOffsetInFrames);
AUDIO_API_EXPORT OSStatus AUParameterListenerNotify(AUParameterListenerRef inSendingListener, void* inSendingObject,
                                                    const AudioUnitParameter* inParameter);

#ifdef __cplusplus
}

static_assert(sizeof(AudioUnitEvent) == 32, "AudioUnitEvent is 32 bytes");
#endif
