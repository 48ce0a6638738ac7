#pragma once
// Audio Component factory: the instance record a host receives from the
// bundle's `_Factory` export, with the plug-in object constructed inside it,
// and the selector table that maps the host's calls onto the adapter.

#include <cstddef>
#include <cstdlib>
#include <new>

#include "au/HostCallGuard.h"
#include "au/IPlugAU.h"

namespace iplug {
/** One heap block per instance: the plug-in interface, construct/destruct
 *  hooks, and storage for the plug-in object itself. */
template <class Plug>
struct IPlugAUInstanceRecord
{
  AudioComponentPlugInInterface mPlugInInterface;
  void* (*mConstruct)(void* memory, AudioComponentInstance ci);
  void (*mDestruct)(void* memory);
  void* mPad[2];
  alignas(std::max_align_t) unsigned char mInstanceStorage[sizeof(Plug)];
};

template <class Plug, bool DoesMIDIIn>
class IPlugAUFactory
{
  static_assert(alignof(Plug) <= alignof(std::max_align_t), "instance storage comes from malloc");
  using Record = IPlugAUInstanceRecord<Plug>;

public:
  /** Allocates and fills a record; the object is built later by Open. */
  static AudioComponentPlugInInterface* Factory(const AudioComponentDescription* /*desc*/) noexcept
  {
    auto* record = static_cast<Record*>(std::malloc(sizeof(Record)));
    if (!record)
      return nullptr;
    record->mPlugInInterface.Open = Open;
    record->mPlugInInterface.Close = Close;
    record->mPlugInInterface.Lookup = Lookup;
    record->mPlugInInterface.reserved = nullptr;
    record->mConstruct = Construct;
    record->mDestruct = Destruct;
    record->mPad[0] = record->mPad[1] = nullptr;
    return &record->mPlugInInterface;
  }

  static void* Construct(void* memory, AudioComponentInstance /*ci*/) { return MakePlug(memory); }

  static void Destruct(void* memory) noexcept { std::launder(reinterpret_cast<Plug*>(memory))->~Plug(); }

  /** After a failed Open the host frees only its own side: the record is freed here. */
  static OSStatus Open(void* self, AudioComponentInstance ci) noexcept
  {
    auto* record = static_cast<Record*>(self);
    bool constructed = false;
    const OSStatus status = GuardedHostCall(
      [&] {
        record->mConstruct(record->mInstanceStorage, ci);
        constructed = true;
        IPlugAU* plug = Get(self);
        plug->SetComponentInstance(ci);
        plug->PruneUninitializedPresets();
        return noErr;
      },
      kAudioUnitErr_FailedInitialization);
    if (status != noErr)
    {
      if (constructed)
        record->mDestruct(record->mInstanceStorage);
      std::free(record);
    }
    return status;
  }

  static OSStatus Close(void* self) noexcept
  {
    auto* record = static_cast<Record*>(self);
    record->mDestruct(record->mInstanceStorage);
    std::free(record);
    return noErr;
  }

  static AudioComponentMethod Lookup(SInt16 selector) noexcept
  {
    switch (selector)
    {
      case kAudioUnitInitializeSelect: return Method(AUMethodInitialize);
      case kAudioUnitUninitializeSelect: return Method(AUMethodUninitialize);
      case kAudioUnitGetPropertyInfoSelect: return Method(AUMethodGetPropertyInfo);
      case kAudioUnitGetPropertySelect: return Method(AUMethodGetProperty);
      case kAudioUnitSetPropertySelect: return Method(AUMethodSetProperty);
      case kAudioUnitGetParameterSelect: return Method(AUMethodGetParameter);
      case kAudioUnitSetParameterSelect: return Method(AUMethodSetParameter);
      case kAudioUnitResetSelect: return Method(AUMethodReset);
      case kAudioUnitAddPropertyListenerSelect: return Method(AUMethodAddPropertyListener);
      case kAudioUnitRemovePropertyListenerSelect: return Method(AUMethodRemovePropertyListener);
      case kAudioUnitRenderSelect: return Method(AUMethodRender);
      case kAudioUnitAddRenderNotifySelect: return Method(AUMethodAddRenderNotify);
      case kAudioUnitRemoveRenderNotifySelect: return Method(AUMethodRemoveRenderNotify);
      case kAudioUnitScheduleParametersSelect: return Method(AUMethodScheduleParameters);
      case kAudioUnitRemovePropertyListenerWithUserDataSelect:
        return Method(AUMethodRemovePropertyListenerWithUserData);
      case kMusicDeviceMIDIEventSelect: return DoesMIDIIn ? Method(AUMethodMIDIEvent) : nullptr;
      case kMusicDeviceSysExSelect: return DoesMIDIIn ? Method(AUMethodSysEx) : nullptr;
      default: return nullptr;
    }
  }

  /** The plug-in object inside an instance record. */
  static IPlugAU* Get(void* self) noexcept
  {
    return std::launder(reinterpret_cast<Plug*>(static_cast<Record*>(self)->mInstanceStorage));
  }

private:
  template <typename F>
  static AudioComponentMethod Method(F f)
  {
    return reinterpret_cast<AudioComponentMethod>(f);
  }

  static OSStatus AUMethodInitialize(void* self) noexcept
  {
    return GuardedHostCall([&] { return IPlugAU::DoInitialize(Get(self)); });
  }
  static OSStatus AUMethodUninitialize(void* self) noexcept
  {
    return GuardedHostCall([&] { return IPlugAU::DoUninitialize(Get(self)); });
  }
  static OSStatus AUMethodGetPropertyInfo(void* self, AudioUnitPropertyID prop, AudioUnitScope scope,
                                          AudioUnitElement elem, UInt32* outDataSize, Boolean* outWritable) noexcept
  {
    return GuardedHostCall(
      [&] { return IPlugAU::DoGetPropertyInfo(Get(self), prop, scope, elem, outDataSize, outWritable); });
  }
  static OSStatus AUMethodGetProperty(void* self, AudioUnitPropertyID prop, AudioUnitScope scope, AudioUnitElement elem,
                                      void* outData, UInt32* ioDataSize) noexcept
  {
    return GuardedHostCall([&] { return IPlugAU::DoGetProperty(Get(self), prop, scope, elem, outData, ioDataSize); });
  }
  static OSStatus AUMethodSetProperty(void* self, AudioUnitPropertyID prop, AudioUnitScope scope, AudioUnitElement elem,
                                      const void* inData, UInt32 inDataSize) noexcept
  {
    return GuardedHostCall([&] { return IPlugAU::DoSetProperty(Get(self), prop, scope, elem, inData, inDataSize); });
  }
  static OSStatus AUMethodGetParameter(void* self, AudioUnitParameterID param, AudioUnitScope scope,
                                       AudioUnitElement elem, AudioUnitParameterValue* value) noexcept
  {
    return GuardedHostCall([&] { return IPlugAU::DoGetParameter(Get(self), param, scope, elem, value); });
  }
  static OSStatus AUMethodSetParameter(void* self, AudioUnitParameterID param, AudioUnitScope scope,
                                       AudioUnitElement elem, AudioUnitParameterValue value,
                                       UInt32 bufferOffset) noexcept
  {
    return GuardedHostCall([&] { return IPlugAU::DoSetParameter(Get(self), param, scope, elem, value, bufferOffset); });
  }
  static OSStatus AUMethodScheduleParameters(void* self, const AudioUnitParameterEvent* events,
                                             UInt32 numEvents) noexcept
  {
    return GuardedHostCall([&] { return IPlugAU::DoScheduleParameters(Get(self), events, numEvents); });
  }
  static OSStatus AUMethodReset(void* self, AudioUnitScope, AudioUnitElement) noexcept
  {
    return GuardedHostCall([&] { return IPlugAU::DoReset(Get(self)); });
  }
  static OSStatus AUMethodAddPropertyListener(void* self, AudioUnitPropertyID prop, AudioUnitPropertyListenerProc proc,
                                              void* userData) noexcept
  {
    return GuardedHostCall([&] { return IPlugAU::DoAddPropertyListener(Get(self), prop, proc, userData); });
  }
  static OSStatus AUMethodRemovePropertyListener(void* self, AudioUnitPropertyID prop,
                                                 AudioUnitPropertyListenerProc proc) noexcept
  {
    return GuardedHostCall([&] { return IPlugAU::DoRemovePropertyListener(Get(self), prop, proc); });
  }
  static OSStatus AUMethodRemovePropertyListenerWithUserData(void* self, AudioUnitPropertyID prop,
                                                             AudioUnitPropertyListenerProc proc,
                                                             void* userData) noexcept
  {
    return GuardedHostCall(
      [&] { return IPlugAU::DoRemovePropertyListenerWithUserData(Get(self), prop, proc, userData); });
  }
  static OSStatus AUMethodAddRenderNotify(void* self, AURenderCallback proc, void* userData) noexcept
  {
    return GuardedHostCall([&] { return IPlugAU::DoAddRenderNotify(Get(self), proc, userData); });
  }
  static OSStatus AUMethodRemoveRenderNotify(void* self, AURenderCallback proc, void* userData) noexcept
  {
    return GuardedHostCall([&] { return IPlugAU::DoRemoveRenderNotify(Get(self), proc, userData); });
  }
  static OSStatus AUMethodRender(void* self, AudioUnitRenderActionFlags* ioActionFlags, const AudioTimeStamp* timeStamp,
                                 UInt32 outputBusNumber, UInt32 numFrames, AudioBufferList* ioData) noexcept
  {
    return GuardedHostCall(
      [&] { return IPlugAU::DoRender(Get(self), ioActionFlags, timeStamp, outputBusNumber, numFrames, ioData); });
  }
  static OSStatus AUMethodMIDIEvent(void* self, UInt32 status, UInt32 data1, UInt32 data2,
                                    UInt32 offsetSampleFrame) noexcept
  {
    return GuardedHostCall([&] { return IPlugAU::DoMIDIEvent(Get(self), status, data1, data2, offsetSampleFrame); });
  }
  static OSStatus AUMethodSysEx(void* self, const UInt8* data, UInt32 length) noexcept
  {
    return GuardedHostCall([&] { return IPlugAU::DoSysEx(Get(self), data, length); });
  }
};

} // namespace iplug
