// Property traffic of the Audio Unit adapter, as two tables: what each
// property answers on the info path (no data pointer) and the data path, and
// what a write changes.
//
// The scope and element rules, the sizes and the caller's buffer checks live
// in the two dispatchers, GetProperty and ApplyProperty; a handler only reads
// or fills a buffer already known to be large enough. A host passing a buffer
// smaller than the property's structure gets kAudio_ParamError, and nothing
// is read or written past its buffer.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "au/AUChannelLayoutTags.h"
#include "au/CFUtilities.h"
#include "au/IPlugAU.h"

namespace iplug {
namespace {
/** Upper bound for the maximum frames per slice; keeps scratch sizes sane. */
constexpr UInt32 kMaxFramesPerSliceLimit = 1u << 20;

constexpr bool kSizeOnInfoPathOnly = true; // the data path leaves the caller's size as it was
constexpr bool kGlobalOnly = true;         // a write in another scope is refused

/** Which addresses a property answers at; any other gets kAudioUnitErr_InvalidProperty
    unless stated. */
enum class Scope : uint8_t
{
  Any,
  Global,
  GlobalOrInput,
  GlobalData,   // every scope answers the size; only the global scope reads or fills data
  BusData,      // every scope on the info path; the data path needs the input or output scope
  StreamBus,    // an existing bus of the scope (the global scope means the output bus)
  Parameter,    // global, element a parameter index (else kAudioUnitErr_InvalidElement)
  InputBus,     // global or input, element an input bus
  Editor,       // any scope, plug-ins with an editor only
  Instrument,   // global, instruments only
  NeverElement, // always kAudioUnitErr_InvalidElement
  NeverValue,   // always kAudioUnitErr_InvalidPropertyValue
};

enum class Writable : uint8_t
{
  No,
  Yes,
  WithData, // writable is answered on the data path only
};

struct PropertyQuery
{
  AudioUnitScope scope;
  AudioUnitElement elem;
  bool withData;

  bool Global() const { return scope == kAudioUnitScope_Global; }
  bool BusScope() const { return scope == kAudioUnitScope_Input || scope == kAudioUnitScope_Output; }
  ERoute Route() const { return scope == kAudioUnitScope_Input ? ERoute::kInput : ERoute::kOutput; }
};

/** The size and writability a get answers. */
struct PropertyShape
{
  UInt32 size;
  bool writable;
};

struct PropertyWrite
{
  AudioUnitScope scope;
  AudioUnitElement elem;
  UInt32 size;
  const void* data;
};

template <typename T>
OSStatus Put(void* data, const T& value)
{
  std::memcpy(data, &value, sizeof(T));
  return noErr;
}
} // namespace

/** The per-property handlers and their tables; nested in the adapter so they
    reach its buses, callbacks and processor. */
struct IPlugAU::PropertyTable
{
  using Describe = OSStatus (*)(IPlugAU&, const PropertyQuery&, PropertyShape&);
  using Fill = OSStatus (*)(IPlugAU&, const PropertyQuery&, void* data);
  using Apply = OSStatus (*)(IPlugAU&, const PropertyWrite&);

  struct Getter
  {
    AudioUnitPropertyID id;
    Scope scope;
    UInt32 size;
    Writable writable = Writable::No;
    // Size, writability and refusals that depend on the unit; runs on both paths.
    Describe describe = nullptr;
    // Fills the caller's buffer of at least the answered size; null: no data.
    Fill fill = nullptr;
    bool sizeOnInfoPathOnly = false;
  };

  struct Setter
  {
    AudioUnitPropertyID id;
    UInt32 size; // the shortest write accepted
    Apply apply;
    bool globalOnly = false;
  };

  static const Getter kGetters[];
  static const Setter kSetters[];

  static const Getter* FindGetter(AudioUnitPropertyID id);
  static const Setter* FindSetter(AudioUnitPropertyID id);
  static OSStatus CheckScope(const IPlugAU& plug, Scope scope, const PropertyQuery& query);

  /** A setter reading one `T` from the write; the size check comes with the type. */
  template <typename T, OSStatus (*ApplyValue)(IPlugAU&, const PropertyWrite&, const T&)>
  static OSStatus ReadThenApply(IPlugAU& plug, const PropertyWrite& write)
  {
    T value;
    std::memcpy(&value, write.data, sizeof(T));
    return ApplyValue(plug, write, value);
  }

  template <typename T, OSStatus (*ApplyValue)(IPlugAU&, const PropertyWrite&, const T&)>
  static constexpr Setter Takes(AudioUnitPropertyID id)
  {
    return {id, sizeof(T), ReadThenApply<T, ApplyValue>};
  }

  // --- Get ---------------------------------------------------------------

  static OSStatus FillClassInfo(IPlugAU& plug, const PropertyQuery&, void* data)
  {
    auto* slot = static_cast<CFPropertyListRef*>(data);
    *slot = nullptr;
    return plug.GetState(slot);
  }

  static OSStatus FillSampleRate(IPlugAU& plug, const PropertyQuery&, void* data)
  {
    return Put<Float64>(data, plug.GetSampleRate());
  }

  static UInt32 NListedParams(const IPlugAU& plug, const PropertyQuery& query)
  {
    return query.Global() ? static_cast<UInt32>(plug.NParams()) : 0;
  }

  static OSStatus DescribeParameterList(IPlugAU& plug, const PropertyQuery& query, PropertyShape& shape)
  {
    shape.size = NListedParams(plug, query) * sizeof(AudioUnitParameterID);
    return noErr;
  }

  static OSStatus FillParameterList(IPlugAU& plug, const PropertyQuery& query, void* data)
  {
    auto* ids = static_cast<AudioUnitParameterID*>(data);
    const UInt32 n = NListedParams(plug, query);
    for (UInt32 i = 0; i < n; ++i)
      ids[i] = i;
    return noErr;
  }

  static OSStatus FillParameterInfo(IPlugAU& plug, const PropertyQuery& query, void* data)
  {
    return plug.GetParameterInfo(query.elem, static_cast<AudioUnitParameterInfo*>(data));
  }

  static OSStatus FillStreamFormat(IPlugAU& plug, const PropertyQuery& query, void* data)
  {
    const BusChannels* bus =
      plug.GetBus(query.Global() ? AudioUnitScope{kAudioUnitScope_Output} : query.scope, query.elem);
    AudioStreamBasicDescription format;
    plug.FillStreamFormat(*bus, format);
    return Put(data, format);
  }

  static OSStatus FillElementCount(IPlugAU& plug, const PropertyQuery& query, void* data)
  {
    UInt32 count = 0;
    if (query.Global())
      count = 1;
    else if (query.scope == kAudioUnitScope_Input)
      count = static_cast<UInt32>(plug.NInputBuses());
    else if (query.scope == kAudioUnitScope_Output)
      count = static_cast<UInt32>(plug.NOutputBuses());
    return Put(data, count);
  }

  static OSStatus FillLatency(IPlugAU& plug, const PropertyQuery&, void* data)
  {
    return Put<Float64>(data, plug.GetLatency() / plug.GetSampleRate());
  }

  static OSStatus DescribeSupportedNumChannels(IPlugAU& plug, const PropertyQuery&, PropertyShape& shape)
  {
    shape.size = static_cast<UInt32>(plug.NIOConfigs()) * sizeof(AUChannelInfo);
    return noErr;
  }

  static OSStatus FillSupportedNumChannels(IPlugAU& plug, const PropertyQuery&, void* data)
  {
    auto* infos = static_cast<AUChannelInfo*>(data);
    for (int i = 0; i < plug.NIOConfigs(); ++i)
    {
      const IOConfig* config = plug.GetIOConfig(i);
      const auto count = [config](ERoute route) -> SInt16 {
        return config->ContainsWildcard(route) ? -1 : static_cast<SInt16>(config->GetTotalNChannels(route));
      };
      infos[i].inChannels = count(ERoute::kInput);
      infos[i].outChannels = count(ERoute::kOutput);
    }
    return noErr;
  }

  static OSStatus FillMaximumFramesPerSlice(IPlugAU& plug, const PropertyQuery&, void* data)
  {
    return Put<UInt32>(data, static_cast<UInt32>(plug.GetBlockSize()));
  }

  static OSStatus DescribeParameterValueStrings(IPlugAU& plug, const PropertyQuery& query, PropertyShape& shape)
  {
    if (plug.GetParam(static_cast<int>(query.elem))->NDisplayTexts())
      return noErr;
    shape.size = 0;
    return kAudioUnitErr_InvalidProperty;
  }

  static OSStatus FillParameterValueStrings(IPlugAU& plug, const PropertyQuery& query, void* data)
  {
    const IParam* param = plug.GetParam(static_cast<int>(query.elem));
    const int nTexts = param->NDisplayTexts();
    CFMutableArrayRef texts = CFArrayCreateMutable(kCFAllocatorDefault, nTexts, &kCFTypeArrayCallBacks);
    for (int i = 0; i < nTexts; ++i)
    {
      CFStringRef text = MakeCFString(param->GetDisplayText(static_cast<double>(i)));
      CFArrayAppendValue(texts, text);
      CFRelease(text);
    }
    return Put<CFArrayRef>(data, texts);
  }

  static OSStatus DescribeTailTime(IPlugAU& plug, const PropertyQuery&, PropertyShape& shape)
  {
    shape.writable = plug.GetTailSize() > 0;
    return noErr;
  }

  static OSStatus FillTailTime(IPlugAU& plug, const PropertyQuery&, void* data)
  {
    return Put<Float64>(data, plug.GetTailSize() / plug.GetSampleRate());
  }

  static OSStatus FillBypassEffect(IPlugAU& plug, const PropertyQuery&, void* data)
  {
    return Put<UInt32>(data, plug.GetBypassed() ? 1 : 0);
  }

  static OSStatus FillLastRenderError(IPlugAU&, const PropertyQuery&, void* data) { return Put<OSStatus>(data, noErr); }

  static OSStatus FillFactoryPresets(IPlugAU& plug, const PropertyQuery&, void* data)
  {
    CFArrayRef presets = nullptr;
    const OSStatus status = plug.GetFactoryPresets(&presets);
    if (status == noErr)
      Put(data, presets);
    return status;
  }

  static OSStatus FillCurrentPreset(IPlugAU& plug, const PropertyQuery&, void* data)
  {
    auto* preset = static_cast<AUPreset*>(data);
    preset->presetNumber = plug.GetCurrentPresetIdx();
    preset->presetName = MakeCFString(plug.GetPresetName(preset->presetNumber));
    return noErr;
  }

  // Names exist only for buses, and only on the data path.
  static OSStatus DescribeElementName(IPlugAU& plug, const PropertyQuery& query, PropertyShape&)
  {
    if (!query.withData)
      return kAudioUnitErr_InvalidProperty;
    if (!query.BusScope())
      return kAudioUnitErr_InvalidScope;
    if (query.elem >= static_cast<UInt32>(plug.MaxNBuses(query.Route())))
      return kAudioUnitErr_InvalidElement;
    return noErr;
  }

  static OSStatus FillElementName(IPlugAU& plug, const PropertyQuery& query, void* data)
  {
    WDL_String name;
    plug.GetBusName(query.Route(), static_cast<int>(query.elem), plug.MaxNBuses(query.Route()), name);
    return Put(data, MakeCFString(name.Get()));
  }

  static OSStatus FillCocoaUI(IPlugAU& plug, const PropertyQuery&, void* data)
  {
    CFStringRef bundleId = MakeCFString(plug.GetBundleID());
    CFBundleRef bundle = CFBundleGetBundleWithIdentifier(bundleId);
    CFRelease(bundleId);
    // Without the plug-in's own bundle there is nowhere to load a view from.
    if (!bundle)
      return kAudioUnitErr_InvalidProperty;
    auto* info = static_cast<AudioUnitCocoaViewInfo*>(data);
    info->mCocoaAUViewBundleLocation = CFBundleCopyBundleURL(bundle);
    info->mCocoaAUViewClass[0] = MakeCFString(plug.viewFactoryClassName.Get());
    return noErr;
  }

  static std::vector<UInt32> LayoutTags(const IPlugAU& plug, const PropertyQuery& query)
  {
    if (!query.BusScope())
      return {};
    return ChannelLayoutTagsFor(plug, query.Route(), static_cast<int>(std::min<UInt32>(query.elem, INT32_MAX)));
  }

  static OSStatus DescribeChannelLayoutTags(IPlugAU& plug, const PropertyQuery& query, PropertyShape& shape)
  {
    const size_t nTags = LayoutTags(plug, query).size();
    shape.size = static_cast<UInt32>(nTags * sizeof(UInt32));
    shape.writable = nTags > 0;
    return noErr;
  }

  static OSStatus FillChannelLayoutTags(IPlugAU& plug, const PropertyQuery& query, void* data)
  {
    const std::vector<UInt32> tags = LayoutTags(plug, query);
    std::copy(tags.begin(), tags.end(), static_cast<UInt32*>(data));
    return noErr;
  }

  /** The parameter a request names by ID, or null for an unknown ID. */
  static const IParam* RequestedParam(IPlugAU& plug, AudioUnitParameterID id)
  {
    return id < static_cast<UInt32>(plug.NParams()) ? plug.GetParam(static_cast<int>(id)) : nullptr;
  }

  static OSStatus FillParameterStringFromValue(IPlugAU& plug, const PropertyQuery&, void* data)
  {
    auto* request = static_cast<AudioUnitParameterStringFromValue*>(data);
    const IParam* param = RequestedParam(plug, request->inParamID);
    if (!param)
      return kAudioUnitErr_InvalidParameter;
    // A null value pointer asks for the parameter's current value.
    const double value = request->inValue ? static_cast<double>(*request->inValue) : param->Value();
    WDL_String display;
    param->GetDisplay(value, false, display, true);
    request->outString = MakeCFString(display.Get());
    return noErr;
  }

  static OSStatus FillParameterIDName(IPlugAU& plug, const PropertyQuery&, void* data)
  {
    auto* request = static_cast<AudioUnitParameterIDName*>(data);
    const IParam* param = RequestedParam(plug, request->inID);
    if (!param)
      return kAudioUnitErr_InvalidParameter;
    std::string name = param->GetName();
    if (request->inDesiredLength != kAudioUnitParameterName_Full)
      name = UTF8Prefix(name, std::clamp<int>(request->inDesiredLength, 0, MAX_PARAM_NAME_LEN - 1));
    request->outName = MakeCFString(name.c_str());
    return noErr;
  }

  static OSStatus FillParameterClumpName(IPlugAU& plug, const PropertyQuery&, void* data)
  {
    auto* request = static_cast<AudioUnitParameterNameInfo*>(data);
    if (request->inID < 1 || request->inID > static_cast<UInt32>(plug.NParamGroups()))
      return kAudioUnitErr_PropertyNotInUse;
    request->outName = MakeCFString(plug.GetParamGroupName(static_cast<int>(request->inID) - 1));
    return noErr;
  }

  static OSStatus FillParameterValueFromString(IPlugAU& plug, const PropertyQuery&, void* data)
  {
    auto* request = static_cast<AudioUnitParameterValueFromString*>(data);
    const IParam* param = RequestedParam(plug, request->inParamID);
    if (!param)
      return kAudioUnitErr_InvalidParameter;
    if (!request->inString || CFGetTypeID(request->inString) != CFStringGetTypeID())
      return kAudioUnitErr_InvalidPropertyValue;
    WDL_String text;
    CFStringToUTF8(request->inString, text);
    request->outValue = static_cast<Float32>(param->StringToValue(text.Get()));
    return noErr;
  }

  static OSStatus FillMIDIOutputCallbackInfo(IPlugAU&, const PropertyQuery&, void* data)
  {
    CFStringRef name = MakeCFString("midiOut");
    const void* values[] = {name};
    CFArrayRef names = CFArrayCreate(kCFAllocatorDefault, values, 1, &kCFTypeArrayCallBacks);
    CFRelease(name);
    return Put(data, names);
  }

  // The host sets the callback; there is nothing to read back.
  static OSStatus DescribeMIDIOutputCallback(IPlugAU&, const PropertyQuery& query, PropertyShape&)
  {
    return query.withData ? OSStatus(kAudioUnitErr_InvalidProperty) : OSStatus(noErr);
  }

  static OSStatus FillSupportsMPE(IPlugAU& plug, const PropertyQuery&, void* data)
  {
    return Put<UInt32>(data, plug.DoesMPE() ? 1 : 0);
  }

  static OSStatus FillPluginInstance(IPlugAU& plug, const PropertyQuery&, void* data)
  {
    IPlugAU* self = &plug;
    return Put(data, self);
  }

  static OSStatus FillInstrumentCount(IPlugAU&, const PropertyQuery&, void* data) { return Put<UInt32>(data, 1); }

  // --- Set ---------------------------------------------------------------

  static OSStatus ApplyClassInfo(IPlugAU& plug, const PropertyWrite&, const CFPropertyListRef& state)
  {
    return plug.SetState(state);
  }

  static OSStatus ApplyMakeConnection(IPlugAU& plug, const PropertyWrite& write, const AudioUnitConnection& connection)
  {
    return plug.MakeConnection(write.scope, connection);
  }

  static OSStatus ApplySampleRate(IPlugAU& plug, const PropertyWrite&, const Float64& sampleRate)
  {
    // Time properties divide by the rate: zero, negative or non-finite rates are refused.
    if (!(sampleRate > 0.0) || !std::isfinite(sampleRate))
      return kAudioUnitErr_InvalidPropertyValue;
    plug.SetSampleRate(sampleRate);
    plug.OnReset();
    return noErr;
  }

  static OSStatus ApplyStreamFormat(IPlugAU& plug, const PropertyWrite& write,
                                    const AudioStreamBasicDescription& format)
  {
    return plug.SetStreamFormat(write.scope, write.elem, format);
  }

  static OSStatus ApplyMaximumFramesPerSlice(IPlugAU& plug, const PropertyWrite&, const UInt32& frames)
  {
    if (frames > kMaxFramesPerSliceLimit)
      return kAudioUnitErr_InvalidPropertyValue;
    plug.SetBlockSize(static_cast<int>(frames));
    plug.ResizeScratchBuffers();
    plug.OnReset();
    return noErr;
  }

  static OSStatus ApplyBypassEffect(IPlugAU& plug, const PropertyWrite&, const UInt32& bypass)
  {
    plug.SetBypassed(bypass != 0);
    plug.OnActivate(!plug.GetBypassed());
    plug.OnReset();
    return noErr;
  }

  static OSStatus ApplyRenderCallback(IPlugAU& plug, const PropertyWrite& write, const AURenderCallbackStruct& callback)
  {
    return plug.SetRenderCallback(write.scope, write.elem, callback);
  }

  static OSStatus ApplyContextName(IPlugAU& plug, const PropertyWrite&, const CFStringRef& name)
  {
    if (!name || CFGetTypeID(name) != CFStringGetTypeID())
      return kAudioUnitErr_InvalidPropertyValue;
    // Sized for the encoded form, so names outside ASCII convert too.
    CFStringToUTF8(name, plug.contextName);
    return noErr;
  }

  // Older hosts pass the structure without its last member: take what was
  // given and leave the rest null.
  static OSStatus ApplyHostCallbacks(IPlugAU& plug, const PropertyWrite& write)
  {
    HostCallbackInfo callbacks = {};
    std::memcpy(&callbacks, write.data, std::min<size_t>(write.size, sizeof(callbacks)));
    plug.hostCallbacks = callbacks;
    return noErr;
  }

  static OSStatus ApplyCurrentPreset(IPlugAU& plug, const PropertyWrite&, const AUPreset& preset)
  {
    // A negative number names a user preset, whose state the host restores
    // itself; a factory preset that cannot be restored is an error.
    if (preset.presetNumber >= 0 && !plug.RestorePreset(static_cast<int>(preset.presetNumber)))
      return kAudioUnitErr_InvalidPropertyValue;
    return noErr;
  }

  static OSStatus ApplyOfflineRender(IPlugAU& plug, const PropertyWrite&, const UInt32& offline)
  {
    plug.SetRenderingOffline(offline != 0);
    return noErr;
  }

  // Counts only until the host is known.
  static OSStatus ApplyHostIdentifier(IPlugAU& plug, const PropertyWrite&, const AUHostIdentifier& identifier)
  {
    if (plug.GetHost() != kHostUninit)
      return noErr;
    const int major = identifier.hostVersion.majorRev;
    const int minorAndBug = identifier.hostVersion.minorAndBugRev;
    const int version = (major << 16) | ((minorAndBug << 4) & 0xF00) | (minorAndBug & 0xF);
    if (identifier.hostName && CFGetTypeID(identifier.hostName) == CFStringGetTypeID())
    {
      WDL_String name;
      CFStringToUTF8(identifier.hostName, name);
      plug.SetHost(name.Get(), version);
    }
    else
      plug.SetHost(nullptr, version);
    return noErr;
  }

  static OSStatus ApplyMIDIOutputCallback(IPlugAU& plug, const PropertyWrite&,
                                          const AUMIDIOutputCallbackStruct& callback)
  {
    plug.midiOutputCallback = callback;
    return noErr;
  }
};

// clang-format off
const IPlugAU::PropertyTable::Getter IPlugAU::PropertyTable::kGetters[] = {
  {kAudioUnitProperty_ClassInfo, Scope::Any, sizeof(CFPropertyListRef), Writable::WithData, nullptr, FillClassInfo},
  {kAudioUnitProperty_MakeConnection, Scope::GlobalOrInput, sizeof(AudioUnitConnection), Writable::Yes},
  {kAudioUnitProperty_SampleRate, Scope::Any, sizeof(Float64), Writable::Yes, nullptr, FillSampleRate},
  {kAudioUnitProperty_ParameterList, Scope::Any, 0, Writable::No, DescribeParameterList, FillParameterList},
  {kAudioUnitProperty_ParameterInfo, Scope::Parameter, sizeof(AudioUnitParameterInfo), Writable::No, nullptr,
   FillParameterInfo},
  {kAudioUnitProperty_FastDispatch, Scope::NeverElement, 0},
  {kAudioUnitProperty_StreamFormat, Scope::StreamBus, sizeof(AudioStreamBasicDescription), Writable::Yes, nullptr,
   FillStreamFormat},
  {kAudioUnitProperty_ElementCount, Scope::Any, sizeof(UInt32), Writable::No, nullptr, FillElementCount},
  {kAudioUnitProperty_Latency, Scope::Global, sizeof(Float64), Writable::No, nullptr, FillLatency},
  {kAudioUnitProperty_SupportedNumChannels, Scope::Global, 0, Writable::No, DescribeSupportedNumChannels,
   FillSupportedNumChannels},
  {kAudioUnitProperty_MaximumFramesPerSlice, Scope::Global, sizeof(UInt32), Writable::Yes, nullptr,
   FillMaximumFramesPerSlice},
  {kAudioUnitProperty_ParameterValueStrings, Scope::Parameter, sizeof(CFArrayRef), Writable::No,
   DescribeParameterValueStrings, FillParameterValueStrings},
  {kAudioUnitProperty_AudioChannelLayout, Scope::NeverValue, 0},
  {kAudioUnitProperty_TailTime, Scope::Global, sizeof(Float64), Writable::No, DescribeTailTime, FillTailTime},
  {kAudioUnitProperty_BypassEffect, Scope::Global, sizeof(UInt32), Writable::Yes, nullptr, FillBypassEffect},
  {kAudioUnitProperty_LastRenderError, Scope::Global, sizeof(OSStatus), Writable::No, nullptr, FillLastRenderError},
  {kAudioUnitProperty_SetRenderCallback, Scope::InputBus, sizeof(AURenderCallbackStruct), Writable::Yes},
  {kAudioUnitProperty_FactoryPresets, Scope::Any, sizeof(CFArrayRef), Writable::No, nullptr, FillFactoryPresets},
  {kAudioUnitProperty_HostCallbacks, Scope::Global, sizeof(HostCallbackInfo), Writable::Yes},
  {kAudioUnitProperty_CurrentPreset, Scope::Any, sizeof(AUPreset), Writable::Yes, nullptr, FillCurrentPreset},
  {kAudioUnitProperty_PresentPreset, Scope::Any, sizeof(AUPreset), Writable::Yes, nullptr, FillCurrentPreset},
  {kAudioUnitProperty_ElementName, Scope::Any, sizeof(CFStringRef), Writable::No, DescribeElementName,
   FillElementName},
  {kAudioUnitProperty_CocoaUI, Scope::Editor, sizeof(AudioUnitCocoaViewInfo), Writable::No, nullptr, FillCocoaUI},
  {kAudioUnitProperty_SupportedChannelLayoutTags, Scope::BusData, 0, Writable::No, DescribeChannelLayoutTags,
   FillChannelLayoutTags},
  {kAudioUnitProperty_ParameterStringFromValue, Scope::GlobalData, sizeof(AudioUnitParameterStringFromValue),
   Writable::No, nullptr, FillParameterStringFromValue},
  {kAudioUnitProperty_ParameterIDName, Scope::GlobalData, sizeof(AudioUnitParameterIDName), Writable::No, nullptr,
   FillParameterIDName},
  {kAudioUnitProperty_ParameterClumpName, Scope::GlobalData, sizeof(AudioUnitParameterNameInfo), Writable::No,
   nullptr, FillParameterClumpName},
  {kAudioUnitProperty_ParameterValueFromString, Scope::GlobalData, sizeof(AudioUnitParameterValueFromString),
   Writable::No, nullptr, FillParameterValueFromString},
  {kAudioUnitProperty_MIDIOutputCallbackInfo, Scope::Any, sizeof(CFArrayRef), Writable::No, nullptr,
   FillMIDIOutputCallbackInfo, kSizeOnInfoPathOnly},
  {kAudioUnitProperty_MIDIOutputCallback, Scope::Any, sizeof(AUMIDIOutputCallbackStruct), Writable::Yes,
   DescribeMIDIOutputCallback},
  {kAudioUnitProperty_SupportsMPE, Scope::Any, sizeof(UInt32), Writable::No, nullptr, FillSupportsMPE, kSizeOnInfoPathOnly},
  {kPluginInstanceProperty, Scope::Any, sizeof(IPlugAU*), Writable::No, nullptr, FillPluginInstance},
  {kMusicDeviceProperty_InstrumentCount, Scope::Instrument, sizeof(UInt32), Writable::No, nullptr,
   FillInstrumentCount},
};

const IPlugAU::PropertyTable::Setter IPlugAU::PropertyTable::kSetters[] = {
  Takes<CFPropertyListRef, ApplyClassInfo>(kAudioUnitProperty_ClassInfo),
  Takes<AudioUnitConnection, ApplyMakeConnection>(kAudioUnitProperty_MakeConnection),
  Takes<Float64, ApplySampleRate>(kAudioUnitProperty_SampleRate),
  Takes<AudioStreamBasicDescription, ApplyStreamFormat>(kAudioUnitProperty_StreamFormat),
  Takes<UInt32, ApplyMaximumFramesPerSlice>(kAudioUnitProperty_MaximumFramesPerSlice),
  Takes<UInt32, ApplyBypassEffect>(kAudioUnitProperty_BypassEffect),
  Takes<AURenderCallbackStruct, ApplyRenderCallback>(kAudioUnitProperty_SetRenderCallback),
  Takes<CFStringRef, ApplyContextName>(kAudioUnitProperty_ContextName),
  {kAudioUnitProperty_HostCallbacks, 0, ApplyHostCallbacks, kGlobalOnly},
  Takes<AUPreset, ApplyCurrentPreset>(kAudioUnitProperty_CurrentPreset),
  Takes<AUPreset, ApplyCurrentPreset>(kAudioUnitProperty_PresentPreset),
  Takes<UInt32, ApplyOfflineRender>(kAudioUnitProperty_OfflineRender),
  Takes<AUHostIdentifier, ApplyHostIdentifier>(kAudioUnitProperty_AUHostIdentifier),
  Takes<AUMIDIOutputCallbackStruct, ApplyMIDIOutputCallback>(kAudioUnitProperty_MIDIOutputCallback),
};
// clang-format on

const IPlugAU::PropertyTable::Getter* IPlugAU::PropertyTable::FindGetter(AudioUnitPropertyID id)
{
  const auto found =
    std::find_if(std::begin(kGetters), std::end(kGetters), [id](const Getter& g) { return g.id == id; });
  return found != std::end(kGetters) ? found : nullptr;
}

const IPlugAU::PropertyTable::Setter* IPlugAU::PropertyTable::FindSetter(AudioUnitPropertyID id)
{
  const auto found =
    std::find_if(std::begin(kSetters), std::end(kSetters), [id](const Setter& s) { return s.id == id; });
  return found != std::end(kSetters) ? found : nullptr;
}

OSStatus IPlugAU::PropertyTable::CheckScope(const IPlugAU& plug, Scope scope, const PropertyQuery& query)
{
  const bool global = query.Global();
  const bool input = query.scope == kAudioUnitScope_Input;
  bool ok = true;
  switch (scope)
  {
    case Scope::Any:
    case Scope::GlobalData: break;
    case Scope::Global: ok = global; break;
    case Scope::GlobalOrInput: ok = global || input; break;
    case Scope::BusData: ok = !query.withData || query.BusScope(); break;
    case Scope::StreamBus:
      ok = plug.GetBus(global ? AudioUnitScope{kAudioUnitScope_Output} : query.scope, query.elem) != nullptr;
      break;
    case Scope::Parameter:
      if (!global)
        return kAudioUnitErr_InvalidProperty;
      return query.elem < static_cast<UInt32>(plug.NParams()) ? noErr : OSStatus(kAudioUnitErr_InvalidElement);
    case Scope::InputBus: ok = (global || input) && query.elem < static_cast<UInt32>(plug.NInputBuses()); break;
    case Scope::Editor: ok = plug.HasUI(); break;
    case Scope::Instrument: ok = global && plug.IsInstrument(); break;
    case Scope::NeverElement: return kAudioUnitErr_InvalidElement;
    case Scope::NeverValue: return kAudioUnitErr_InvalidPropertyValue;
  }
  return ok ? noErr : OSStatus(kAudioUnitErr_InvalidProperty);
}

OSStatus IPlugAU::GetProperty(AudioUnitPropertyID prop, AudioUnitScope scope, AudioUnitElement elem, UInt32* size,
                              Boolean* writable, void* data)
{
  const PropertyTable::Getter* getter = PropertyTable::FindGetter(prop);
  if (!getter)
    return kAudioUnitErr_InvalidProperty;
  const PropertyQuery query{scope, elem, data != nullptr};
  if (const OSStatus status = PropertyTable::CheckScope(*this, getter->scope, query))
    return status;

  // The caller's capacity, read before the size is answered in the same variable.
  const UInt32 capacity = data ? *size : 0;
  PropertyShape shape{getter->size,
                      getter->writable == Writable::Yes || (getter->writable == Writable::WithData && data)};
  const OSStatus status = getter->describe ? getter->describe(*this, query, shape) : noErr;
  if (!data || !getter->sizeOnInfoPathOnly)
    *size = shape.size;
  // The callers preset false: a property that does not answer is not writable.
  if (shape.writable)
    *writable = true;

  // Only the global scope reads or fills the requests of the GlobalData properties.
  const bool fills = data && getter->fill && (getter->scope != Scope::GlobalData || query.Global());
  if (status != noErr || !fills)
    return status;
  if (capacity < shape.size)
    return kAudio_ParamError;
  return getter->fill(*this, query, data);
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
  const PropertyTable::Setter* setter = PropertyTable::FindSetter(prop);
  if (!setter || (setter->globalOnly && scope != kAudioUnitScope_Global))
    return kAudioUnitErr_InvalidProperty;
  if (!data || size < setter->size)
    return kAudio_ParamError;
  return setter->apply(*this, PropertyWrite{scope, elem, size, data});
}

} // namespace iplug
