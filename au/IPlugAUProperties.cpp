// Property traffic of the Audio Unit adapter: what each property answers on
// the info path (no data pointer) and the data path, and what a write changes.
//
// Every data-path read and write checks the caller's buffer size first: a
// host passing a buffer smaller than the property's structure gets
// kAudio_ParamError and nothing is read or written past its buffer.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "au/IPlugAU.h"
#include "au/AUChannelLayoutTags.h"
#include "au/CFUtilities.h"

namespace iplug {
namespace {
/** Upper bound for the maximum frames per slice; keeps scratch sizes sane. */
constexpr UInt32 kMaxFramesPerSliceLimit = 1u << 20;

/** The caller's output buffer on the data path. Every property reaches it
    through As(), so none can write past the size the caller gave. */
struct PropertyOut
{
  void* data;
  UInt32 capacity;

  /** The buffer as n items of T, or null when it is smaller than that. */
  template <typename T>
  T* As(size_t n = 1) const
  {
    return data && capacity >= n * sizeof(T) ? static_cast<T*>(data) : nullptr;
  }

  template <typename T>
  OSStatus Put(const T& value) const
  {
    T* slot = As<T>();
    if (!slot)
      return kAudio_ParamError;
    std::memcpy(slot, &value, sizeof(T));
    return noErr;
  }
};

/** Reads a `T` from a write's data, if the caller's buffer holds one. */
template <typename T>
bool ReadIn(const void* data, UInt32 size, T& value)
{
  if (!data || size < sizeof(T))
    return false;
  std::memcpy(&value, data, sizeof(T));
  return true;
}

} // namespace

void IPlugAU::FillStreamFormat(const BusChannels& bus, AudioStreamBasicDescription& format) const
{
  std::memset(&format, 0, sizeof(format));
  format.mSampleRate = GetSampleRate();
  format.mFormatID = kAudioFormatLinearPCM;
  format.mFormatFlags =
    static_cast<AudioFormatFlags>(kAudioFormatFlagsNativeFloatPacked) | kAudioFormatFlagIsNonInterleaved;
  format.mBytesPerPacket = sizeof(Float32);
  format.mFramesPerPacket = 1;
  format.mBytesPerFrame = sizeof(Float32);
  format.mChannelsPerFrame =
    static_cast<UInt32>(bus.hostChannelCount >= 0 ? bus.hostChannelCount : bus.plugChannelCount);
  format.mBitsPerChannel = 32;
  format.mReserved = 0;
}

OSStatus IPlugAU::GetProperty(AudioUnitPropertyID prop, AudioUnitScope scope, AudioUnitElement elem, UInt32* size,
                              Boolean* writable, void* data)
{
  const PropertyOut out{data, data ? *size : 0};
  const int nParams = NParams();
  const bool global = scope == kAudioUnitScope_Global;

  switch (prop)
  {
    case kAudioUnitProperty_ClassInfo:
    {
      *size = sizeof(CFPropertyListRef);
      if (!data)
        return noErr;
      *writable = true;
      auto* slot = out.As<CFPropertyListRef>();
      if (!slot)
        return kAudio_ParamError;
      *slot = nullptr;
      return GetState(slot);
    }
    case kAudioUnitProperty_MakeConnection:
      if (!global && scope != kAudioUnitScope_Input)
        return kAudioUnitErr_InvalidProperty;
      *size = sizeof(AudioUnitConnection);
      *writable = true;
      return noErr;
    case kAudioUnitProperty_SampleRate:
      *size = sizeof(Float64);
      *writable = true;
      return data ? out.Put<Float64>(GetSampleRate()) : noErr;
    case kAudioUnitProperty_ParameterList:
    {
      const UInt32 n = global ? static_cast<UInt32>(nParams) : 0;
      *size = n * sizeof(AudioUnitParameterID);
      if (data && n)
      {
        auto* ids = out.As<AudioUnitParameterID>(n);
        if (!ids)
          return kAudio_ParamError;
        for (UInt32 i = 0; i < n; ++i)
          ids[i] = i;
      }
      return noErr;
    }
    case kAudioUnitProperty_ParameterInfo:
      if (!global)
        return kAudioUnitErr_InvalidProperty;
      if (elem >= static_cast<UInt32>(nParams))
        return kAudioUnitErr_InvalidElement;
      *size = sizeof(AudioUnitParameterInfo);
      if (!data)
        return noErr;
      if (auto* info = out.As<AudioUnitParameterInfo>())
        return GetParameterInfo(elem, info);
      return kAudio_ParamError;
    case kAudioUnitProperty_FastDispatch: return kAudioUnitErr_InvalidElement;
    case kAudioUnitProperty_StreamFormat:
    {
      const BusChannels* bus = GetBus(global ? AudioUnitScope{kAudioUnitScope_Output} : scope, elem);
      if (!bus)
        return kAudioUnitErr_InvalidProperty;
      *size = sizeof(AudioStreamBasicDescription);
      *writable = true;
      if (!data)
        return noErr;
      AudioStreamBasicDescription format;
      FillStreamFormat(*bus, format);
      return out.Put(format);
    }
    case kAudioUnitProperty_ElementCount:
    {
      *size = sizeof(UInt32);
      if (!data)
        return noErr;
      UInt32 count = 0;
      if (global)
        count = 1;
      else if (scope == kAudioUnitScope_Input)
        count = static_cast<UInt32>(inputBuses.GetSize());
      else if (scope == kAudioUnitScope_Output)
        count = static_cast<UInt32>(outputBuses.GetSize());
      return out.Put(count);
    }
    case kAudioUnitProperty_Latency:
      if (!global)
        return kAudioUnitErr_InvalidProperty;
      *size = sizeof(Float64);
      return data ? out.Put<Float64>(GetLatency() / GetSampleRate()) : noErr;
    case kAudioUnitProperty_SupportedNumChannels:
    {
      if (!global)
        return kAudioUnitErr_InvalidProperty;
      const int nConfigs = NIOConfigs();
      *size = static_cast<UInt32>(nConfigs) * sizeof(AUChannelInfo);
      if (!data)
        return noErr;
      auto* infos = out.As<AUChannelInfo>(static_cast<size_t>(nConfigs));
      if (!infos)
        return kAudio_ParamError;
      for (int i = 0; i < nConfigs; ++i)
      {
        const IOConfig* config = GetIOConfig(i);
        const auto count = [config](ERoute route) -> SInt16 {
          return config->ContainsWildcard(route) ? -1 : static_cast<SInt16>(config->GetTotalNChannels(route));
        };
        infos[i].inChannels = count(ERoute::kInput);
        infos[i].outChannels = count(ERoute::kOutput);
      }
      return noErr;
    }
    case kAudioUnitProperty_MaximumFramesPerSlice:
      if (!global)
        return kAudioUnitErr_InvalidProperty;
      *size = sizeof(UInt32);
      *writable = true;
      return data ? out.Put<UInt32>(static_cast<UInt32>(GetBlockSize())) : noErr;
    case kAudioUnitProperty_ParameterValueStrings:
    {
      if (!global)
        return kAudioUnitErr_InvalidProperty;
      if (elem >= static_cast<UInt32>(nParams))
        return kAudioUnitErr_InvalidElement;
      const IParam* param = GetParam(static_cast<int>(elem));
      const int nTexts = param->NDisplayTexts();
      if (!nTexts)
      {
        *size = 0;
        return kAudioUnitErr_InvalidProperty;
      }
      *size = sizeof(CFArrayRef);
      if (!data)
        return noErr;
      auto* slot = out.As<CFArrayRef>();
      if (!slot)
        return kAudio_ParamError;
      CFMutableArrayRef texts = CFArrayCreateMutable(kCFAllocatorDefault, nTexts, &kCFTypeArrayCallBacks);
      for (int i = 0; i < nTexts; ++i)
      {
        CFStringRef text = MakeCFString(param->GetDisplayText(static_cast<double>(i)));
        CFArrayAppendValue(texts, text);
        CFRelease(text);
      }
      *slot = texts;
      return noErr;
    }
    case kAudioUnitProperty_AudioChannelLayout: return kAudioUnitErr_InvalidPropertyValue;
    case kAudioUnitProperty_TailTime:
      if (!global)
        return kAudioUnitErr_InvalidProperty;
      *size = sizeof(Float64);
      *writable = GetTailSize() > 0;
      return data ? out.Put<Float64>(GetTailSize() / GetSampleRate()) : noErr;
    case kAudioUnitProperty_BypassEffect:
      if (!global)
        return kAudioUnitErr_InvalidProperty;
      *size = sizeof(UInt32);
      *writable = true;
      return data ? out.Put<UInt32>(GetBypassed() ? 1 : 0) : noErr;
    case kAudioUnitProperty_LastRenderError:
      if (!global)
        return kAudioUnitErr_InvalidProperty;
      *size = sizeof(OSStatus);
      return data ? out.Put<OSStatus>(noErr) : noErr;
    case kAudioUnitProperty_SetRenderCallback:
      if (!global && scope != kAudioUnitScope_Input)
        return kAudioUnitErr_InvalidProperty;
      if (elem >= static_cast<UInt32>(inputBuses.GetSize()))
        return kAudioUnitErr_InvalidProperty;
      *size = sizeof(AURenderCallbackStruct);
      *writable = true;
      return noErr;
    case kAudioUnitProperty_FactoryPresets:
    {
      *size = sizeof(CFArrayRef);
      if (!data)
        return noErr;
      auto* slot = out.As<CFArrayRef>();
      if (!slot)
        return kAudio_ParamError;
      CFArrayRef presets = nullptr;
      const OSStatus status = GetFactoryPresets(&presets);
      if (status == noErr)
        *slot = presets;
      return status;
    }
    case kAudioUnitProperty_HostCallbacks:
      if (!global)
        return kAudioUnitErr_InvalidProperty;
      *size = sizeof(HostCallbackInfo);
      *writable = true;
      return noErr;
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset:
    {
      *size = sizeof(AUPreset);
      *writable = true;
      if (!data)
        return noErr;
      auto* preset = out.As<AUPreset>();
      if (!preset)
        return kAudio_ParamError;
      preset->presetNumber = GetCurrentPresetIdx();
      preset->presetName = MakeCFString(GetPresetName(preset->presetNumber));
      return noErr;
    }
    case kAudioUnitProperty_ElementName:
    {
      *size = sizeof(CFStringRef);
      *writable = false;
      if (!data)
        return kAudioUnitErr_InvalidProperty;
      if (scope != kAudioUnitScope_Input && scope != kAudioUnitScope_Output)
        return kAudioUnitErr_InvalidScope;
      const ERoute route = scope == kAudioUnitScope_Input ? ERoute::kInput : ERoute::kOutput;
      const int nBuses = MaxNBuses(route);
      if (elem >= static_cast<UInt32>(nBuses))
        return kAudioUnitErr_InvalidElement;
      auto* slot = out.As<CFStringRef>();
      if (!slot)
        return kAudio_ParamError;
      WDL_String name;
      GetBusName(route, static_cast<int>(elem), nBuses, name);
      *slot = MakeCFString(name.Get());
      return noErr;
    }
    case kAudioUnitProperty_CocoaUI:
    {
      if (!HasUI())
        return kAudioUnitErr_InvalidProperty;
      *size = sizeof(AudioUnitCocoaViewInfo);
      if (!data)
        return noErr;
      auto* info = out.As<AudioUnitCocoaViewInfo>();
      if (!info)
        return kAudio_ParamError;
      CFStringRef bundleId = MakeCFString(GetBundleID());
      CFBundleRef bundle = CFBundleGetBundleWithIdentifier(bundleId);
      CFRelease(bundleId);
      // Without the plug-in's own bundle there is nowhere to load a view from.
      if (!bundle)
        return kAudioUnitErr_InvalidProperty;
      info->mCocoaAUViewBundleLocation = CFBundleCopyBundleURL(bundle);
      info->mCocoaAUViewClass[0] = MakeCFString(viewFactoryClassName.Get());
      return noErr;
    }
    case kAudioUnitProperty_SupportedChannelLayoutTags:
    {
      std::vector<UInt32> tags;
      const bool busScope = scope == kAudioUnitScope_Input || scope == kAudioUnitScope_Output;
      if (busScope)
        tags = ChannelLayoutTagsFor(*this, scope == kAudioUnitScope_Input ? ERoute::kInput : ERoute::kOutput,
                                    static_cast<int>(std::min<UInt32>(elem, INT32_MAX)));
      if (!data)
      {
        *size = static_cast<UInt32>(tags.size() * sizeof(UInt32));
        *writable = !tags.empty();
        return noErr;
      }
      if (!busScope)
        return kAudioUnitErr_InvalidProperty;
      *size = static_cast<UInt32>(tags.size() * sizeof(UInt32));
      *writable = !tags.empty();
      auto* slots = out.As<UInt32>(tags.size());
      if (!slots)
        return kAudio_ParamError;
      std::copy(tags.begin(), tags.end(), slots);
      return noErr;
    }
    case kAudioUnitProperty_ParameterStringFromValue:
    {
      *size = sizeof(AudioUnitParameterStringFromValue);
      if (!global || !data)
        return noErr;
      auto* request = out.As<AudioUnitParameterStringFromValue>();
      if (!request)
        return kAudio_ParamError;
      const IParam* param =
        request->inParamID < static_cast<UInt32>(nParams) ? GetParam(static_cast<int>(request->inParamID)) : nullptr;
      if (!param)
        return kAudioUnitErr_InvalidParameter;
      // A null value pointer asks for the parameter's current value.
      const double value = request->inValue ? static_cast<double>(*request->inValue) : param->Value();
      WDL_String display;
      param->GetDisplay(value, false, display, true);
      request->outString = MakeCFString(display.Get());
      return noErr;
    }
    case kAudioUnitProperty_ParameterIDName:
    {
      *size = sizeof(AudioUnitParameterIDName);
      if (!global || !data)
        return noErr;
      auto* request = out.As<AudioUnitParameterIDName>();
      if (!request)
        return kAudio_ParamError;
      const IParam* param =
        request->inID < static_cast<UInt32>(nParams) ? GetParam(static_cast<int>(request->inID)) : nullptr;
      if (!param)
        return kAudioUnitErr_InvalidParameter;
      std::string name = param->GetName();
      if (request->inDesiredLength != kAudioUnitParameterName_Full)
        name = UTF8Prefix(name, std::clamp<int>(request->inDesiredLength, 0, MAX_PARAM_NAME_LEN - 1));
      request->outName = MakeCFString(name.c_str());
      return noErr;
    }
    case kAudioUnitProperty_ParameterClumpName:
    {
      *size = sizeof(AudioUnitParameterNameInfo);
      if (!global || !data)
        return noErr;
      auto* request = out.As<AudioUnitParameterNameInfo>();
      if (!request)
        return kAudio_ParamError;
      if (request->inID < 1 || request->inID > static_cast<UInt32>(NParamGroups()))
        return kAudioUnitErr_PropertyNotInUse;
      request->outName = MakeCFString(GetParamGroupName(static_cast<int>(request->inID) - 1));
      return noErr;
    }
    case kAudioUnitProperty_ParameterValueFromString:
    {
      *size = sizeof(AudioUnitParameterValueFromString);
      if (!global || !data)
        return noErr;
      auto* request = out.As<AudioUnitParameterValueFromString>();
      if (!request)
        return kAudio_ParamError;
      const IParam* param =
        request->inParamID < static_cast<UInt32>(nParams) ? GetParam(static_cast<int>(request->inParamID)) : nullptr;
      if (!param)
        return kAudioUnitErr_InvalidParameter;
      if (!request->inString || CFGetTypeID(request->inString) != CFStringGetTypeID())
        return kAudioUnitErr_InvalidPropertyValue;
      WDL_String text;
      CFStringToUTF8(request->inString, text);
      request->outValue = static_cast<Float32>(param->StringToValue(text.Get()));
      return noErr;
    }
    case kAudioUnitProperty_MIDIOutputCallbackInfo:
    {
      if (!data)
      {
        *size = sizeof(CFArrayRef);
        *writable = false;
        return noErr;
      }
      auto* slot = out.As<CFArrayRef>();
      if (!slot)
        return kAudio_ParamError;
      CFStringRef name = MakeCFString("midiOut");
      const void* values[] = {name};
      *slot = CFArrayCreate(kCFAllocatorDefault, values, 1, &kCFTypeArrayCallBacks);
      CFRelease(name);
      return noErr;
    }
    case kAudioUnitProperty_MIDIOutputCallback:
      *size = sizeof(AUMIDIOutputCallbackStruct);
      *writable = true;
      return data ? OSStatus(kAudioUnitErr_InvalidProperty) : OSStatus(noErr);
    case kAudioUnitProperty_SupportsMPE:
      if (!data)
      {
        *size = sizeof(UInt32);
        *writable = false;
        return noErr;
      }
      return out.Put<UInt32>(DoesMPE() ? 1 : 0);
    case kPluginInstanceProperty:
    {
      *size = sizeof(IPlugAU*);
      *writable = false;
      IPlugAU* self = this;
      return data ? out.Put(self) : noErr;
    }
    case kMusicDeviceProperty_InstrumentCount:
      if (!global || !IsInstrument())
        return kAudioUnitErr_InvalidProperty;
      *size = sizeof(UInt32);
      return data ? out.Put<UInt32>(1) : noErr;
    default: return kAudioUnitErr_InvalidProperty;
  }
}

OSStatus IPlugAU::SetProperty(AudioUnitPropertyID prop, AudioUnitScope scope, AudioUnitElement elem, UInt32 size,
                              const void* data)
{
  // Listeners hear of every write before it is applied, failing ones included.
  CallPropertyListeners(prop, scope, 0);
  return ApplyProperty(prop, scope, elem, size, data);
}

OSStatus IPlugAU::ApplyProperty(AudioUnitPropertyID prop, AudioUnitScope scope, AudioUnitElement elem, UInt32 size,
                                const void* data)
{
  switch (prop)
  {
    case kAudioUnitProperty_ClassInfo:
    {
      CFPropertyListRef state = nullptr;
      if (!ReadIn(data, size, state))
        return kAudio_ParamError;
      return SetState(state);
    }
    case kAudioUnitProperty_MakeConnection:
    {
      AudioUnitConnection connection;
      if (!ReadIn(data, size, connection))
        return kAudio_ParamError;
      return MakeConnection(scope, connection);
    }
    case kAudioUnitProperty_SampleRate:
    {
      Float64 sampleRate = 0.0;
      if (!ReadIn(data, size, sampleRate))
        return kAudio_ParamError;
      // Time properties divide by the rate: zero, negative or non-finite rates are refused.
      if (!(sampleRate > 0.0) || !std::isfinite(sampleRate))
        return kAudioUnitErr_InvalidPropertyValue;
      SetSampleRate(sampleRate);
      OnReset();
      return noErr;
    }
    case kAudioUnitProperty_StreamFormat:
    {
      AudioStreamBasicDescription format;
      if (!ReadIn(data, size, format))
        return kAudio_ParamError;
      return SetStreamFormat(scope, elem, format);
    }
    case kAudioUnitProperty_MaximumFramesPerSlice:
    {
      UInt32 frames = 0;
      if (!ReadIn(data, size, frames))
        return kAudio_ParamError;
      if (frames > kMaxFramesPerSliceLimit)
        return kAudioUnitErr_InvalidPropertyValue;
      SetBlockSize(static_cast<int>(frames));
      ResizeScratchBuffers();
      OnReset();
      return noErr;
    }
    case kAudioUnitProperty_BypassEffect:
    {
      UInt32 bypass = 0;
      if (!ReadIn(data, size, bypass))
        return kAudio_ParamError;
      SetBypassed(bypass != 0);
      OnActivate(!GetBypassed());
      OnReset();
      return noErr;
    }
    case kAudioUnitProperty_SetRenderCallback:
    {
      AURenderCallbackStruct callback;
      if (!ReadIn(data, size, callback))
        return kAudio_ParamError;
      return SetRenderCallback(scope, elem, callback);
    }
    case kAudioUnitProperty_ContextName:
    {
      CFStringRef name = nullptr;
      if (!ReadIn(data, size, name))
        return kAudio_ParamError;
      if (!name || CFGetTypeID(name) != CFStringGetTypeID())
        return kAudioUnitErr_InvalidPropertyValue;
      // Sized for the encoded form, so names outside ASCII convert too.
      CFStringToUTF8(name, contextName);
      return noErr;
    }
    case kAudioUnitProperty_HostCallbacks:
    {
      if (scope != kAudioUnitScope_Global)
        return kAudioUnitErr_InvalidProperty;
      if (!data)
        return kAudio_ParamError;
      // Older hosts pass the structure without its last member; take what
      // was given and leave the rest null.
      HostCallbackInfo callbacks = {};
      std::memcpy(&callbacks, data, std::min<size_t>(size, sizeof(callbacks)));
      hostCallbacks = callbacks;
      return noErr;
    }
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset:
    {
      AUPreset preset;
      if (!ReadIn(data, size, preset))
        return kAudio_ParamError;
      // A negative number names a user preset, whose state the host restores
      // itself; a factory preset that cannot be restored is an error.
      if (preset.presetNumber >= 0 && !RestorePreset(static_cast<int>(preset.presetNumber)))
        return kAudioUnitErr_InvalidPropertyValue;
      return noErr;
    }
    case kAudioUnitProperty_OfflineRender:
    {
      UInt32 offline = 0;
      if (!ReadIn(data, size, offline))
        return kAudio_ParamError;
      SetRenderingOffline(offline != 0);
      return noErr;
    }
    case kAudioUnitProperty_AUHostIdentifier:
    {
      AUHostIdentifier identifier;
      if (!ReadIn(data, size, identifier))
        return kAudio_ParamError;
      if (GetHost() != kHostUninit)
        return noErr;
      const int major = identifier.hostVersion.majorRev;
      const int minorAndBug = identifier.hostVersion.minorAndBugRev;
      const int version = (major << 16) | ((minorAndBug << 4) & 0xF00) | (minorAndBug & 0xF);
      if (identifier.hostName && CFGetTypeID(identifier.hostName) == CFStringGetTypeID())
      {
        WDL_String name;
        CFStringToUTF8(identifier.hostName, name);
        SetHost(name.Get(), version);
      }
      else
        SetHost(nullptr, version);
      return noErr;
    }
    case kAudioUnitProperty_MIDIOutputCallback:
    {
      AUMIDIOutputCallbackStruct callback;
      if (!ReadIn(data, size, callback))
        return kAudio_ParamError;
      midiOutputCallback = callback;
      return noErr;
    }
    default: return kAudioUnitErr_InvalidProperty;
  }
}

// --- Parameter info --------------------------------------------------------

namespace {
AudioUnitParameterUnit AUUnitFor(IParam::EParamUnit unit)
{
  switch (unit)
  {
    case IParam::kUnitPercentage: return kAudioUnitParameterUnit_Percent;
    case IParam::kUnitSeconds: return kAudioUnitParameterUnit_Seconds;
    case IParam::kUnitMilliseconds: return kAudioUnitParameterUnit_Milliseconds;
    case IParam::kUnitSamples: return kAudioUnitParameterUnit_SampleFrames;
    case IParam::kUnitDB: return kAudioUnitParameterUnit_Decibels;
    case IParam::kUnitLinearGain: return kAudioUnitParameterUnit_LinearGain;
    case IParam::kUnitPan: return kAudioUnitParameterUnit_Pan;
    case IParam::kUnitPhase: return kAudioUnitParameterUnit_Phase;
    case IParam::kUnitDegrees: return kAudioUnitParameterUnit_Degrees;
    case IParam::kUnitMeters: return kAudioUnitParameterUnit_Meters;
    case IParam::kUnitRate: return kAudioUnitParameterUnit_Rate;
    case IParam::kUnitRatio: return kAudioUnitParameterUnit_Ratio;
    case IParam::kUnitFrequency: return kAudioUnitParameterUnit_Hertz;
    case IParam::kUnitOctaves: return kAudioUnitParameterUnit_Octaves;
    case IParam::kUnitCents: return kAudioUnitParameterUnit_Cents;
    case IParam::kUnitAbsCents: return kAudioUnitParameterUnit_AbsoluteCents;
    case IParam::kUnitSemitones: return kAudioUnitParameterUnit_RelativeSemiTones;
    case IParam::kUnitMIDINote: return kAudioUnitParameterUnit_MIDINoteNumber;
    case IParam::kUnitMIDICC: return kAudioUnitParameterUnit_MIDIController;
    case IParam::kUnitBPM: return kAudioUnitParameterUnit_BPM;
    case IParam::kUnitBeats: return kAudioUnitParameterUnit_Beats;
    case IParam::kUnitCustom: return kAudioUnitParameterUnit_CustomUnit;
    default: return kAudioUnitParameterUnit_Generic;
  }
}

AudioUnitParameterOptions DisplayFlagsFor(IParam::EDisplayType type)
{
  switch (type)
  {
    case IParam::kDisplayLog: return kAudioUnitParameterFlag_DisplayLogarithmic;
    case IParam::kDisplayExp: return kAudioUnitParameterFlag_DisplayExponential;
    case IParam::kDisplaySquared: return kAudioUnitParameterFlag_DisplaySquared;
    case IParam::kDisplaySquareRoot: return kAudioUnitParameterFlag_DisplaySquareRoot;
    case IParam::kDisplayCubed: return kAudioUnitParameterFlag_DisplayCubed;
    case IParam::kDisplayCubeRoot: return kAudioUnitParameterFlag_DisplayCubeRoot;
    default: return 0;
  }
}
} // namespace

OSStatus IPlugAU::GetParameterInfo(AudioUnitElement elem, AudioUnitParameterInfo* info)
{
  const IParam* param = GetParam(static_cast<int>(elem));
  std::memset(info, 0, sizeof(*info));

  info->flags = kAudioUnitParameterFlag_IsWritable | kAudioUnitParameterFlag_IsReadable |
                kAudioUnitParameterFlag_HasCFNameString | kAudioUnitParameterFlag_IsHighResolution |
                kAudioUnitParameterFlag_CFNameRelease;
  if (param->GetMeta())
  {
    info->flags |= kAudioUnitParameterFlag_IsElementMeta;
    if (!param->GetCanAutomate())
      info->flags |= kAudioUnitParameterFlag_NonRealTime;
  }
  else if (!param->GetCanAutomate())
    info->flags |= kAudioUnitParameterFlag_NonRealTime;

  if (param->NDisplayTexts())
    info->flags |= kAudioUnitParameterFlag_ValuesHaveStrings;

  info->cfNameString = MakeCFString(param->GetName());
  std::strncpy(info->name, param->GetName(), sizeof(info->name) - 1);

  switch (param->Type())
  {
    case IParam::kTypeInt:
    case IParam::kTypeEnum: info->unit = kAudioUnitParameterUnit_Indexed; break;
    case IParam::kTypeBool: info->unit = kAudioUnitParameterUnit_Boolean; break;
    default:
      info->unit = AUUnitFor(param->Unit());
      if (info->unit == kAudioUnitParameterUnit_CustomUnit)
      {
        const char* label = param->GetCustomUnit();
        if (label && *label)
          info->unitName = MakeCFString(label);
        else
          info->unit = kAudioUnitParameterUnit_Generic;
      }
      break;
  }

  info->flags |= DisplayFlagsFor(param->DisplayType());
  info->minValue = static_cast<AudioUnitParameterValue>(param->GetMin());
  info->maxValue = static_cast<AudioUnitParameterValue>(param->GetMax());
  info->defaultValue = static_cast<AudioUnitParameterValue>(param->GetDefault());

  const char* group = param->GetGroup();
  if (group && *group)
  {
    const int clump = AddParamGroup(group);
    info->flags |= kAudioUnitParameterFlag_HasClump;
    info->clumpID = static_cast<UInt32>(clump + 1);
  }
  return noErr;
}

// --- Stream formats and channel counts -------------------------------------

bool IPlugAU::CheckLegalIO(AudioUnitScope scope, int busIdx, int nChannels)
{
  if (scope == kAudioUnitScope_Input)
  {
    const int others = NHostChannelsConnected(inputBuses, busIdx);
    const int nIn = nChannels + std::max(others, 0);
    const int nOut = active ? NHostChannelsConnected(outputBuses) : -1;
    return LegalIO(nIn, nOut);
  }
  const int others = NHostChannelsConnected(outputBuses, busIdx);
  const int nIn = active ? NHostChannelsConnected(inputBuses) : -1;
  const int nOut = nChannels + std::max(others, 0);
  return LegalIO(nIn, nOut);
}

OSStatus IPlugAU::SetStreamFormat(AudioUnitScope scope, AudioUnitElement elem,
                                  const AudioStreamBasicDescription& format)
{
  if (scope == kAudioUnitScope_Global)
    scope = kAudioUnitScope_Output;
  BusChannels* bus = GetBusMutable(scope, elem);
  if (!bus)
    return kAudioUnitErr_InvalidProperty;

  const int nChannels = static_cast<int>(std::min<UInt32>(format.mChannelsPerFrame, INT32_MAX));
  bus->hostChannelCount = 0;
  const bool accepted = nChannels > 0 && CheckLegalIO(scope, static_cast<int>(elem), nChannels) &&
                        format.mFormatID == kAudioFormatLinearPCM &&
                        (format.mFormatFlags & (kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked));
  OSStatus status = noErr;
  if (accepted)
  {
    bus->hostChannelCount = nChannels;
    if (format.mSampleRate > 0.0 && std::isfinite(format.mSampleRate))
      SetSampleRate(format.mSampleRate);
  }
  else
  {
    bus->hostChannelCount = bus->plugChannelCount;
    status = kAudioUnitErr_InvalidProperty;
  }
  AssessInputConnections();
  return status;
}

} // namespace iplug
