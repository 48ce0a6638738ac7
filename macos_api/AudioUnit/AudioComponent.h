// Audio components: finding them by description, creating and disposing of
// instances, and the interface a component's factory returns.
#pragma once

#include <CoreFoundation/CoreFoundation.h>
#include <CoreServices/Components.h>

#ifdef __cplusplus
extern "C" {
#endif

#define AUDIO_API_EXPORT extern __attribute__((visibility("default")))

enum
{
  kAudioComponentFlag_Unsearchable = 1,
  kAudioComponentFlag_SandboxSafe = 2,
  kAudioComponentFlag_IsV3AudioUnit = 4,
  kAudioComponentFlag_RequiresAsyncInstantiation = 8,
  kAudioComponentFlag_CanLoadInProcess = 0x10
};

typedef UInt32 AudioComponentFlags;

enum
{
  kAudioComponentInstantiation_LoadOutOfProcess = 1,
  kAudioComponentInstantiation_LoadInProcess = 2
};

// A zero type, subtype or manufacturer in a search description matches any
// value; componentFlagsMask selects the flag bits that must equal
// componentFlags.
typedef struct AudioComponentDescription
{
  OSType componentType;
  OSType componentSubType;
  OSType componentManufacturer;
  UInt32 componentFlags;
  UInt32 componentFlagsMask;
} AudioComponentDescription;

typedef struct OpaqueAudioComponent* AudioComponent;
typedef struct ComponentInstanceRecord* AudioComponentInstance;

typedef OSStatus (*AudioComponentMethod)(void* self, ...);

// What a component's factory function returns. Open is called once with the
// new instance, Lookup maps a selector to the function that implements it
// (NULL when not supported), Close ends the instance.
typedef struct AudioComponentPlugInInterface
{
  OSStatus (*Open)(void* self, AudioComponentInstance mInstance);
  OSStatus (*Close)(void* self);
  AudioComponentMethod (*Lookup)(SInt16 selector);
  void* reserved;
} AudioComponentPlugInInterface;

typedef AudioComponentPlugInInterface* (*AudioComponentFactoryFunction)(const AudioComponentDescription* inDesc);

enum
{
  kAudioComponentErr_InstanceTimedOut = -66754,
  kAudioComponentErr_InstanceInvalidated = -66749,
  kAudioComponentErr_DuplicateDescription = -66752,
  kAudioComponentErr_UnsupportedType = -66751,
  kAudioComponentErr_TooManyInstances = -66750,
  kAudioComponentErr_NotPermitted = -66748,
  kAudioComponentErr_InitializationTimedOut = -66747,
  kAudioComponentErr_InvalidFormat = -66746
};

// Iterates the known components in registration order: the first match
// after inComponent (NULL: from the start). Bundles on the search path are
// scanned on the first call (see MacAPIExtensions.h).
AUDIO_API_EXPORT AudioComponent AudioComponentFindNext(AudioComponent inComponent,
                                                       const AudioComponentDescription* inDesc);
AUDIO_API_EXPORT UInt32 AudioComponentCount(const AudioComponentDescription* inDesc);
AUDIO_API_EXPORT OSStatus AudioComponentCopyName(AudioComponent inComponent, CFStringRef* outName);
AUDIO_API_EXPORT OSStatus AudioComponentGetDescription(AudioComponent inComponent, AudioComponentDescription* outDesc);
AUDIO_API_EXPORT OSStatus AudioComponentGetVersion(AudioComponent inComponent, UInt32* outVersion);
// Loads the component's library if needed, calls its factory and the
// interface's Open. On failure *outInstance is NULL.
AUDIO_API_EXPORT OSStatus AudioComponentInstanceNew(AudioComponent inComponent, AudioComponentInstance* outInstance);
// Calls the interface's Close and frees the instance.
AUDIO_API_EXPORT OSStatus AudioComponentInstanceDispose(AudioComponentInstance inInstance);
AUDIO_API_EXPORT AudioComponent AudioComponentInstanceGetComponent(AudioComponentInstance inInstance);
AUDIO_API_EXPORT Boolean AudioComponentInstanceCanDo(AudioComponentInstance inInstance, SInt16 inSelectorID);
// Registers a factory living in the calling program. Components are listed
// in the order they became known.
AUDIO_API_EXPORT AudioComponent AudioComponentRegister(const AudioComponentDescription* inDesc, CFStringRef inName,
                                                       UInt32 inVersion, AudioComponentFactoryFunction inFactory);

#ifdef __cplusplus
}

static_assert(sizeof(AudioComponentDescription) == 20, "AudioComponentDescription is 20 bytes");
static_assert(sizeof(AudioComponentPlugInInterface) == 4 * sizeof(void*),
              "AudioComponentPlugInInterface is four pointers");
#endif
