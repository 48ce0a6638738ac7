// Construction, lifecycle, parameters, listeners and MIDI input of the Audio
// Unit adapter, plus the Component Manager dispatcher.

#include "au/IPlugAU.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "au/AUComponentParams.h"
#include "au/CFUtilities.h"
#include "au/HostCallGuard.h"
#include "au/HostNumber.h"

namespace iplug {
IPlugAU::IPlugAU(const InstanceInfo& info, const Config& config)
: IPlugAPIBase(config, kAPIAU)
, IPlugProcessor(config, kAPIAU)
{
  viewFactoryClassName.Set(info.viewFactoryClassName);

  int nInBuses = MaxNBuses(ERoute::kInput);
  if (nInBuses == 1 && MaxNChannelsForBus(ERoute::kInput, 0) == 0)
    nInBuses = 0;
  const int nOutBuses = MaxNBuses(ERoute::kOutput);

  for (int i = 0; i < nInBuses; ++i)
    inputConnections.Add(new InputBusConnection);

  int start = 0;
  for (int i = 0; i < nInBuses; ++i)
  {
    auto* bus = inputBuses.Add(new BusChannels);
    bus->hostChannelCount = -1;
    bus->plugChannelStart = start;
    bus->plugChannelCount = std::abs(MaxNChannelsForBus(ERoute::kInput, i));
    start += bus->plugChannelCount;
  }

  start = 0;
  for (int i = 0; i < nOutBuses; ++i)
  {
    auto* bus = outputBuses.Add(new BusChannels);
    bus->hostChannelCount = -1;
    bus->plugChannelStart = start;
    bus->plugChannelCount = std::abs(MaxNChannelsForBus(ERoute::kOutput, i));
    start += bus->plugChannelCount;
  }

  AssessInputConnections();
  SetBlockSize(512);
  ResizeScratchBuffers();
  CreateTimer();
}

IPlugAU::~IPlugAU() = default;

void IPlugAU::ResizeScratchBuffers()
{
  const int blockSize = GetBlockSize();
  const int nIn = MaxNChannels(ERoute::kInput) * blockSize;
  const int nOut = MaxNChannels(ERoute::kOutput) * blockSize;
  std::fill_n(inputScratch.Resize(nIn), nIn, 0.f);
  std::fill_n(outputScratch.Resize(nOut), nOut, 0.f);
}

const char* IPlugAU::AUInputTypeStr(int type)
{
  switch (type)
  {
    case eDirectFastProc: return "DirectFastProc";
    case eDirectNoFastProc: return "DirectNoFastProc";
    case eRenderCallback: return "RenderCallback";
    default: return "NotConnected";
  }
}

const IPlugAU::BusChannels* IPlugAU::GetBus(AudioUnitScope scope, AudioUnitElement elem) const
{
  if (elem > static_cast<AudioUnitElement>(INT32_MAX))
    return nullptr;
  if (scope == kAudioUnitScope_Input)
    return inputBuses.Get(static_cast<int>(elem));
  if (scope == kAudioUnitScope_Output)
    return outputBuses.Get(static_cast<int>(elem));
  return nullptr;
}

IPlugAU::BusChannels* IPlugAU::GetBusMutable(AudioUnitScope scope, AudioUnitElement elem)
{
  return const_cast<BusChannels*>(GetBus(scope, elem));
}

void IPlugAU::ClearConnections()
{
  for (int i = 0; i < inputBuses.GetSize(); ++i)
  {
    inputBuses.Get(i)->connected = false;
    inputBuses.Get(i)->hostChannelCount = -1;
    *inputConnections.Get(i) = InputBusConnection();
  }
  for (BusChannels* bus : outputBuses)
  {
    bus->connected = false;
    bus->hostChannelCount = -1;
  }
}

// --- Initialize / uninitialize / reset -------------------------------------

void IPlugAU::IdentifyHostFromMainBundle()
{
  CFBundleRef mainBundle = CFBundleGetMainBundle();
  if (!mainBundle)
  {
    SetHost("", 0);
    return;
  }

  WDL_String name;
  if (CFStringRef identifier = CFBundleGetIdentifier(mainBundle))
    CFStringToUTF8(identifier, name);

  int version = 0;
  CFTypeRef versionValue = CFBundleGetValueForInfoDictionaryKey(mainBundle, kCFBundleVersionKey);
  if (versionValue && CFGetTypeID(versionValue) == CFStringGetTypeID())
  {
    WDL_String text;
    if (CFStringToUTF8(static_cast<CFStringRef>(versionValue), text))
      version = ParseHostVersionString(text.Get());
  }
  SetHost(name.Get(), version);
}

int IPlugAU::NHostChannelsConnected(WDL_PtrList_OwningDelete<BusChannels>& buses, int excludeIdx) const
{
  bool any = false;
  int total = 0;
  for (int i = 0; i < buses.GetSize(); ++i)
  {
    const int count = buses.Get(i)->hostChannelCount;
    if (i != excludeIdx && count >= 0)
    {
      any = true;
      total += count;
    }
  }
  return any ? total : -1;
}

int IPlugAU::ParseHostVersionString(const char* text)
{
  // Up to three decimal numbers, each separated from the next by one character.
  long parts[3] = {0, 0, 0};
  const char* p = text ? text : "";
  for (int i = 0; i < 3 && *p; ++i)
  {
    char* end = nullptr;
    parts[i] = std::strtol(p, &end, 10);
    if (!*end)
      break;
    p = end + 1;
  }
  return static_cast<int>((parts[0] << 16) | ((parts[1] << 8) & 0xFFFF) | (parts[2] & 0xFF));
}

OSStatus IPlugAU::DoInitialize(IPlugAU* plug)
{
  if (plug->GetHost() == kHostUninit)
    plug->IdentifyHostFromMainBundle();

  const int nIn = plug->NHostChannelsConnected(plug->inputBuses);
  const int nOut = plug->NHostChannelsConnected(plug->outputBuses);
  if (!(nIn == 0 && nOut == 0) && !plug->LegalIO(nIn, nOut))
    return badComponentSelector;

  plug->active = true;
  plug->OnParamReset(kReset);
  plug->OnActivate(true);
  return noErr;
}

OSStatus IPlugAU::DoUninitialize(IPlugAU* plug)
{
  plug->active = false;
  plug->OnActivate(false);
  return noErr;
}

OSStatus IPlugAU::DoReset(IPlugAU* plug)
{
  plug->OnReset();
  return noErr;
}

// --- Properties: thin entry points over GetProperty / SetProperty ----------

OSStatus IPlugAU::DoGetPropertyInfo(IPlugAU* plug, AudioUnitPropertyID prop, AudioUnitScope scope,
                                    AudioUnitElement elem, UInt32* outDataSize, Boolean* outWritable)
{
  UInt32 localSize = 0;
  Boolean localWritable = false;
  UInt32* size = outDataSize ? outDataSize : &localSize;
  Boolean* writable = outWritable ? outWritable : &localWritable;
  *writable = false;
  return plug->GetProperty(prop, scope, elem, size, writable, nullptr);
}

OSStatus IPlugAU::DoGetProperty(IPlugAU* plug, AudioUnitPropertyID prop, AudioUnitScope scope, AudioUnitElement elem,
                                void* outData, UInt32* ioDataSize)
{
  Boolean writable = false;
  UInt32 localSize = 0;
  // Without a size the buffer's capacity is unknown: nothing may be written.
  if (outData && !ioDataSize)
    return kAudio_ParamError;
  return plug->GetProperty(prop, scope, elem, ioDataSize ? ioDataSize : &localSize, &writable, outData);
}

OSStatus IPlugAU::DoSetProperty(IPlugAU* plug, AudioUnitPropertyID prop, AudioUnitScope scope, AudioUnitElement elem,
                                const void* inData, UInt32 inDataSize)
{
  return plug->SetProperty(prop, scope, elem, inDataSize, inData);
}

// --- Property listeners and render notifiers -------------------------------

OSStatus IPlugAU::DoAddPropertyListener(IPlugAU* plug, AudioUnitPropertyID prop, AudioUnitPropertyListenerProc proc,
                                        void* userData)
{
  plug->propertyListeners.AddUnless(PropertyListener{prop, proc, userData}, [&](const PropertyListener& l) {
    return l.propertyId == prop && l.listenerProc == proc;
  });
  return noErr;
}

OSStatus IPlugAU::DoRemovePropertyListener(IPlugAU* plug, AudioUnitPropertyID prop, AudioUnitPropertyListenerProc proc)
{
  plug->propertyListeners.RemoveFirst(
    [&](const PropertyListener& l) { return l.propertyId == prop && l.listenerProc == proc; });
  return noErr;
}

OSStatus IPlugAU::DoRemovePropertyListenerWithUserData(IPlugAU* plug, AudioUnitPropertyID prop,
                                                       AudioUnitPropertyListenerProc proc, void* userData)
{
  plug->propertyListeners.RemoveFirst([&](const PropertyListener& l) {
    return l.propertyId == prop && l.listenerProc == proc && l.procArgs == userData;
  });
  return noErr;
}

void IPlugAU::CallPropertyListeners(AudioUnitPropertyID prop, AudioUnitScope scope, AudioUnitElement elem)
{
  propertyListeners.ForEach([&](const PropertyListener& listener) {
    if (listener.propertyId == prop && listener.listenerProc)
      listener.listenerProc(listener.procArgs, componentInstance, prop, scope, elem);
  });
}

OSStatus IPlugAU::DoAddRenderNotify(IPlugAU* plug, AURenderCallback proc, void* userData)
{
  plug->renderNotifiers.Add(AURenderCallbackStruct{proc, userData});
  return noErr;
}

OSStatus IPlugAU::DoRemoveRenderNotify(IPlugAU* plug, AURenderCallback proc, void* /*userData*/)
{
  plug->renderNotifiers.RemoveFirst([&](const AURenderCallbackStruct& n) { return n.inputProc == proc; });
  return noErr;
}

// --- Parameters ------------------------------------------------------------

OSStatus IPlugAU::DoGetParameter(IPlugAU* plug, AudioUnitParameterID param, AudioUnitScope scope,
                                 AudioUnitElement /*elem*/, AudioUnitParameterValue* value)
{
  if (scope != kAudioUnitScope_Global)
    return kAudioUnitErr_InvalidProperty;
  const IParam* p = plug->GetParam(static_cast<int>(param));
  if (!p || param > static_cast<AudioUnitParameterID>(INT32_MAX))
    return kAudioUnitErr_InvalidParameter;
  if (!value)
    return kAudio_ParamError;
  *value = static_cast<AudioUnitParameterValue>(p->Value());
  return noErr;
}

OSStatus IPlugAU::SetParamValue(AudioUnitParameterID param, AudioUnitScope scope, AudioUnitParameterValue value)
{
  if (scope != kAudioUnitScope_Global)
    return kAudioUnitErr_InvalidProperty;
  if (param > static_cast<AudioUnitParameterID>(INT32_MAX))
    return kAudioUnitErr_InvalidParameter;
  const int idx = static_cast<int>(param);
  IParam* p = GetParam(idx);
  if (!p)
    return kAudioUnitErr_InvalidParameter;

  const double received = static_cast<double>(value);
  // NaN or infinity would pass the clamp and reach the processing.
  if (!std::isfinite(received))
    return kAudioUnitErr_InvalidParameterValue;
  p->Set(received); // rounds to the step and clamps to the range
  // The editor is given the value as the host sent it.
  SendParameterValueFromAPI(idx, received, false);
  OnParamChange(idx, kHost, -1);
  return noErr;
}

OSStatus IPlugAU::DoSetParameter(IPlugAU* plug, AudioUnitParameterID param, AudioUnitScope scope,
                                 AudioUnitElement /*elem*/, AudioUnitParameterValue value, UInt32 /*bufferOffset*/)
{
  return plug->SetParamValue(param, scope, value);
}

OSStatus IPlugAU::DoScheduleParameters(IPlugAU* plug, const AudioUnitParameterEvent* events, UInt32 numEvents)
{
  if (!events && numEvents)
    return kAudio_ParamError;
  for (UInt32 i = 0; i < numEvents; ++i)
  {
    const AudioUnitParameterEvent& event = events[i];
    if (event.eventType != kParameterEvent_Immediate)
      continue;
    const OSStatus status = plug->SetParamValue(event.parameter, event.scope, event.eventValues.immediate.value);
    if (status != noErr)
      return status;
  }
  return noErr;
}

OSStatus IPlugAU::GetParamProc(void* plug, AudioUnitParameterID param, AudioUnitScope scope, AudioUnitElement elem,
                               AudioUnitParameterValue* value)
{
  return DoGetParameter(static_cast<IPlugAU*>(plug), param, scope, elem, value);
}

OSStatus IPlugAU::SetParamProc(void* plug, AudioUnitParameterID param, AudioUnitScope scope, AudioUnitElement elem,
                               AudioUnitParameterValue value, UInt32 bufferOffset)
{
  return DoSetParameter(static_cast<IPlugAU*>(plug), param, scope, elem, value, bufferOffset);
}

// --- MIDI input ------------------------------------------------------------

OSStatus IPlugAU::DoMIDIEvent(IPlugAU* plug, UInt32 status, UInt32 data1, UInt32 data2, UInt32 offsetSampleFrame)
{
  if (!plug->DoesMIDIIn())
    return badComponentSelector;
  IMidiMsg msg(static_cast<int>(offsetSampleFrame), static_cast<uint8_t>(status), static_cast<uint8_t>(data1),
               static_cast<uint8_t>(data2));
  plug->ProcessMidiMsg(msg);
  plug->mMidiMsgsFromProcessor.TryPush(msg);
  return noErr;
}

OSStatus IPlugAU::DoSysEx(IPlugAU* plug, const UInt8* data, UInt32 length)
{
  if (!plug->DoesMIDIIn())
    return badComponentSelector;
  ISysEx sysex(0, data, static_cast<int>(std::min<UInt32>(length, INT32_MAX)));
  plug->ProcessSysEx(sysex);
  return noErr;
}

// --- Render entry ----------------------------------------------------------

OSStatus IPlugAU::DoRender(IPlugAU* plug, AudioUnitRenderActionFlags* ioActionFlags, const AudioTimeStamp* timeStamp,
                           UInt32 outputBusNumber, UInt32 numFrames, AudioBufferList* ioData)
{
  return RenderProc(plug, ioActionFlags, timeStamp, outputBusNumber, numFrames, ioData);
}

// --- Component Manager dispatcher ------------------------------------------

OSStatus IPlugAU::IPlugAUEntry(ComponentParameters* params, void* instanceStorage) noexcept
{
  const bool opening = params && params->what == kComponentOpenSelect;
  return GuardedHostCall([&] { return DispatchSelector(params, instanceStorage); },
                         opening ? OSStatus{kAudioUnitErr_FailedInitialization} : OSStatus{kAudio_ParamError});
}

OSStatus IPlugAU::DispatchSelector(ComponentParameters* params, void* instanceStorage)
{
  if (!params)
    return badComponentSelector;
  const AUComponentParams args(params);
  const SInt16 select = params->what;

  if (select == kComponentOpenSelect)
  {
    std::unique_ptr<IPlugAU> plug(MakePlug(nullptr));
    plug->PruneUninitializedPresets();
    auto ci = args.Get<AudioComponentInstance>(0);
    plug->componentInstance = ci;
    SetComponentInstanceStorage(reinterpret_cast<ComponentInstance>(ci), reinterpret_cast<Handle>(plug.release()));
    return noErr;
  }

  auto* plug = static_cast<IPlugAU*>(instanceStorage);
  if (!plug)
    return badComponentSelector;

  switch (select)
  {
    case kComponentCloseSelect:
      plug->ClearConnections();
      delete plug;
      return noErr;
    case kComponentCanDoSelect:
      switch (args.Get<SInt16>(0))
      {
        case kAudioUnitInitializeSelect:
        case kAudioUnitUninitializeSelect:
        case kAudioUnitGetPropertyInfoSelect:
        case kAudioUnitGetPropertySelect:
        case kAudioUnitSetPropertySelect:
        case kAudioUnitGetParameterSelect:
        case kAudioUnitSetParameterSelect:
        case kAudioUnitResetSelect:
        case kAudioUnitAddPropertyListenerSelect:
        case kAudioUnitRemovePropertyListenerSelect:
        case kAudioUnitRenderSelect:
        case kAudioUnitAddRenderNotifySelect:
        case kAudioUnitRemoveRenderNotifySelect:
        case kAudioUnitScheduleParametersSelect: return 1;
        default: return 0;
      }
    case kComponentVersionSelect: return plug->GetPluginVersion(false);
    case kAudioUnitInitializeSelect: return DoInitialize(plug);
    case kAudioUnitUninitializeSelect: return DoUninitialize(plug);
    case kAudioUnitGetPropertyInfoSelect:
      return DoGetPropertyInfo(plug, args.Get<AudioUnitPropertyID>(0), args.Get<AudioUnitScope>(1),
                               args.Get<AudioUnitElement>(2), args.Get<UInt32*>(3), args.Get<Boolean*>(4));
    case kAudioUnitGetPropertySelect:
      return DoGetProperty(plug, args.Get<AudioUnitPropertyID>(0), args.Get<AudioUnitScope>(1),
                           args.Get<AudioUnitElement>(2), args.Get<void*>(3), args.Get<UInt32*>(4));
    case kAudioUnitSetPropertySelect:
      return DoSetProperty(plug, args.Get<AudioUnitPropertyID>(0), args.Get<AudioUnitScope>(1),
                           args.Get<AudioUnitElement>(2), args.Get<const void*>(3), args.Get<UInt32>(4));
    case kAudioUnitGetParameterSelect:
      return DoGetParameter(plug, args.Get<AudioUnitParameterID>(0), args.Get<AudioUnitScope>(1),
                            args.Get<AudioUnitElement>(2), args.Get<AudioUnitParameterValue*>(3));
    case kAudioUnitSetParameterSelect:
      return DoSetParameter(plug, args.Get<AudioUnitParameterID>(0), args.Get<AudioUnitScope>(1),
                            args.Get<AudioUnitElement>(2), args.Get<AudioUnitParameterValue>(3), args.Get<UInt32>(4));
    case kAudioUnitScheduleParametersSelect:
      return DoScheduleParameters(plug, args.Get<const AudioUnitParameterEvent*>(0), args.Get<UInt32>(1));
    case kAudioUnitResetSelect: return DoReset(plug);
    case kAudioUnitAddPropertyListenerSelect:
      return DoAddPropertyListener(plug, args.Get<AudioUnitPropertyID>(0), args.Get<AudioUnitPropertyListenerProc>(1),
                                   args.Get<void*>(2));
    case kAudioUnitRemovePropertyListenerSelect:
      return DoRemovePropertyListener(plug, args.Get<AudioUnitPropertyID>(0),
                                      args.Get<AudioUnitPropertyListenerProc>(1));
    case kAudioUnitRemovePropertyListenerWithUserDataSelect:
      return DoRemovePropertyListenerWithUserData(plug, args.Get<AudioUnitPropertyID>(0),
                                                  args.Get<AudioUnitPropertyListenerProc>(1), args.Get<void*>(2));
    case kAudioUnitRenderSelect:
      return DoRender(plug, args.Get<AudioUnitRenderActionFlags*>(0), args.Get<const AudioTimeStamp*>(1),
                      args.Get<UInt32>(2), args.Get<UInt32>(3), args.Get<AudioBufferList*>(4));
    case kAudioUnitAddRenderNotifySelect:
      return DoAddRenderNotify(plug, args.Get<AURenderCallback>(0), args.Get<void*>(1));
    case kAudioUnitRemoveRenderNotifySelect:
      return DoRemoveRenderNotify(plug, args.Get<AURenderCallback>(0), args.Get<void*>(1));
    case kMusicDeviceMIDIEventSelect:
      return DoMIDIEvent(plug, args.Get<UInt32>(0), args.Get<UInt32>(1), args.Get<UInt32>(2), args.Get<UInt32>(3));
    case kMusicDeviceSysExSelect: return DoSysEx(plug, args.Get<const UInt8*>(0), args.Get<UInt32>(1));
    case kMusicDevicePrepareInstrumentSelect:
    case kMusicDeviceReleaseInstrumentSelect:
    case kMusicDeviceStopNoteSelect: return noErr;
    case kMusicDeviceStartNoteSelect:
    {
      // instrument, group, note-instance-ID out, offset, note parameters
      auto* noteId = args.Get<NoteInstanceID*>(2);
      const auto* noteParams = args.Get<const MusicDeviceNoteParams*>(4);
      if (noteId && noteParams)
        *noteId = WholePartOr<NoteInstanceID>(noteParams->mPitch, 0);
      return noErr;
    }
    default: return badComponentSelector;
  }
}

} // namespace iplug
