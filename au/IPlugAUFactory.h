#pragma once
// Audio Component factory: the instance record a host receives from the
// bundle's `_Factory` export, with the plug-in object constructed inside it,
// and the selector table that maps the host's calls onto the adapter.

#include <cstddef>
#include <cstdlib>
#include <new>

#include "au/IPlugAU.h"

namespace iplug
{
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
  static AudioComponentPlugInInterface* Factory(const AudioComponentDescription* /*desc*/)
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

  static void Destruct(void* memory) { std::launder(reinterpret_cast<Plug*>(memory))->~Plug(); }

  static OSStatus Open(void* self, AudioComponentInstance ci)
  {
    auto* record = static_cast<Record*>(self);
    record->mConstruct(record->mInstanceStorage, ci);
    IPlugAU* plug = Get(self);
    plug->SetComponentInstance(ci);
    plug->PruneUninitializedPresets();
    return noErr;
  }

  static OSStatus Close(void* self)
  {
    auto* record = static_cast<Record*>(self);
    record->mDestruct(record->mInstanceStorage);
    std::free(record);
    return noErr;
  }

  static AudioComponentMethod Lookup(SInt16 selector)
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
  static IPlugAU* Get(void* self)
  {
    return std::launder(reinterpret_cast<Plug*>(static_cast<Record*>(self)->mInstanceStorage));
  }

private:
  template <typename F>
  static AudioComponentMethod Method(F f) { return reinterpret_cast<AudioComponentMethod>(f); }

  static OSStatus AUMethodInitialize(void* self) { return IPlugAU::DoInitialize(Get(self)); }
  static OSStatus AUMethodUninitialize(void* self) { return IPlugAU::DoUninitialize(Get(self)); }
  static OSStatus AUMethodGetPropertyInfo(void* self, AudioUnitPropertyID prop, AudioUnitScope scope,
                                          AudioUnitElement elem, UInt32* outDataSize, Boolean* outWritable)
  {
    return IPlugAU::DoGetPropertyInfo(Get(self), prop, scope, elem, outDataSize, outWritable);
  }
  static OSStatus AUMethodGetProperty(void* self, AudioUnitPropertyID prop, AudioUnitScope scope,
                                      AudioUnitElement elem, void* outData, UInt32* ioDataSize)
  {
    return IPlugAU::DoGetProperty(Get(self), prop, scope, elem, outData, ioDataSize);
  }
  static OSStatus AUMethodSetProperty(void* self, AudioUnitPropertyID prop, AudioUnitScope scope,
                                      AudioUnitElement elem, const void* inData, UInt32 inDataSize)
  {
    return IPlugAU::DoSetProperty(Get(self), prop, scope, elem, inData, inDataSize);
  }
  static OSStatus AUMethodGetParameter(void* self, AudioUnitParameterID param, AudioUnitScope scope,
                                       AudioUnitElement elem, AudioUnitParameterValue* value)
  {
    return IPlugAU::DoGetParameter(Get(self), param, scope, elem, value);
  }
  static OSStatus AUMethodSetParameter(void* self, AudioUnitParameterID param, AudioUnitScope scope,
                                       AudioUnitElement elem, AudioUnitParameterValue value, UInt32 bufferOffset)
  {
    return IPlugAU::DoSetParameter(Get(self), param, scope, elem, value, bufferOffset);
  }
  static OSStatus AUMethodScheduleParameters(void* self, const AudioUnitParameterEvent* events, UInt32 numEvents)
  {
    return IPlugAU::DoScheduleParameters(Get(self), events, numEvents);
  }
  static OSStatus AUMethodReset(void* self, AudioUnitScope, AudioUnitElement) { return IPlugAU::DoReset(Get(self)); }
  static OSStatus AUMethodAddPropertyListener(void* self, AudioUnitPropertyID prop,
                                              AudioUnitPropertyListenerProc proc, void* userData)
  {
    return IPlugAU::DoAddPropertyListener(Get(self), prop, proc, userData);
  }
  static OSStatus AUMethodRemovePropertyListener(void* self, AudioUnitPropertyID prop,
                                                 AudioUnitPropertyListenerProc proc)
  {
    return IPlugAU::DoRemovePropertyListener(Get(self), prop, proc);
  }
  static OSStatus AUMethodRemovePropertyListenerWithUserData(void* self, AudioUnitPropertyID prop,
                                                             AudioUnitPropertyListenerProc proc, void* userData)
  {
    return IPlugAU::DoRemovePropertyListenerWithUserData(Get(self), prop, proc, userData);
  }
  static OSStatus AUMethodAddRenderNotify(void* self, AURenderCallback proc, void* userData)
  {
    return IPlugAU::DoAddRenderNotify(Get(self), proc, userData);
  }
  static OSStatus AUMethodRemoveRenderNotify(void* self, AURenderCallback proc, void* userData)
  {
    return IPlugAU::DoRemoveRenderNotify(Get(self), proc, userData);
  }
  static OSStatus AUMethodRender(void* self, AudioUnitRenderActionFlags* ioActionFlags, const AudioTimeStamp* timeStamp,
                                 UInt32 outputBusNumber, UInt32 numFrames, AudioBufferList* ioData)
  {
    return IPlugAU::DoRender(Get(self), ioActionFlags, timeStamp, outputBusNumber, numFrames, ioData);
  }
  static OSStatus AUMethodMIDIEvent(void* self, UInt32 status, UInt32 data1, UInt32 data2, UInt32 offsetSampleFrame)
  {
    return IPlugAU::DoMIDIEvent(Get(self), status, data1, data2, offsetSampleFrame);
  }
  static OSStatus AUMethodSysEx(void* self, const UInt8* data, UInt32 length)
  {
    return IPlugAU::DoSysEx(Get(self), data, length);
  }
};

} // namespace iplug
