// Saved state as the class-info dictionary, factory presets, and the
// notifications the adapter sends the host about parameters, presets and
// latency.

#include <cstdint>
#include <cstring>

#include "au/CFAUPreset.h"
#include "au/CFUtilities.h"
#include "au/IPlugAU.h"

namespace iplug {
namespace {
constexpr const char* kVersionKey = "version";
constexpr const char* kTypeKey = "type";
constexpr const char* kSubtypeKey = "subtype";
constexpr const char* kManufacturerKey = "manufacturer";
constexpr const char* kNameKey = "name";
constexpr const char* kDataKey = "data";

/** The value for `key`, or null. */
CFTypeRef GetDictValue(CFDictionaryRef dict, const char* key)
{
  CFStringRef cfKey = MakeCFString(key);
  CFTypeRef value = CFDictionaryGetValue(dict, cfKey);
  CFRelease(cfKey);
  return value;
}

void SetDictValue(CFMutableDictionaryRef dict, const char* key, CFTypeRef value)
{
  CFStringRef cfKey = MakeCFString(key);
  CFDictionarySetValue(dict, cfKey, value);
  CFRelease(cfKey);
}
} // namespace

// --- Dictionary helpers ----------------------------------------------------

void IPlugAU::PutNumberInDict(CFMutableDictionaryRef dict, const char* key, SInt32 value)
{
  CFNumberRef number = CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt32Type, &value);
  SetDictValue(dict, key, number);
  CFRelease(number);
}

void IPlugAU::PutStrInDict(CFMutableDictionaryRef dict, const char* key, const char* value)
{
  CFStringRef str = MakeCFString(value);
  SetDictValue(dict, key, str);
  CFRelease(str);
}

void IPlugAU::PutDataInDict(CFMutableDictionaryRef dict, const char* key, const IByteChunk& chunk)
{
  CFDataRef data = CFDataCreate(kCFAllocatorDefault, chunk.Data(), chunk.Size());
  SetDictValue(dict, key, data);
  CFRelease(data);
}

bool IPlugAU::GetNumberFromDict(CFDictionaryRef dict, const char* key, SInt32& out)
{
  CFTypeRef value = GetDictValue(dict, key);
  if (!value || CFGetTypeID(value) != CFNumberGetTypeID())
    return false;
  out = 0;
  CFNumberGetValue(static_cast<CFNumberRef>(value), kCFNumberSInt32Type, &out);
  return true;
}

bool IPlugAU::GetStrFromDict(CFDictionaryRef dict, const char* key, WDL_String& out)
{
  CFTypeRef value = GetDictValue(dict, key);
  if (!value || CFGetTypeID(value) != CFStringGetTypeID())
  {
    out.Set("");
    return false;
  }
  if (!CFStringToUTF8(static_cast<CFStringRef>(value), out))
    out.Set("");
  return true;
}

bool IPlugAU::GetDataFromDict(CFDictionaryRef dict, const char* key, IByteChunk& chunk)
{
  CFTypeRef value = GetDictValue(dict, key);
  if (!value || CFGetTypeID(value) != CFDataGetTypeID())
    return false;
  auto data = static_cast<CFDataRef>(value);
  // A chunk holds at most INT32_MAX bytes; a longer blob is refused, not truncated.
  const CFIndex length = CFDataGetLength(data);
  if (length < 0 || length > INT32_MAX || chunk.Resize(static_cast<int>(length)) != length)
    return false;
  if (length > 0)
    std::memcpy(chunk.Data(), CFDataGetBytePtr(data), static_cast<size_t>(length));
  return true;
}

// --- State -----------------------------------------------------------------

OSStatus IPlugAU::GetState(CFPropertyListRef* outState)
{
  const SInt32 type = static_cast<SInt32>(GetAUPluginType());
  const SInt32 subtype = GetUniqueID();
  const SInt32 manufacturer = GetMfrID();

  CFMutableDictionaryRef dict =
    CFDictionaryCreateMutable(kCFAllocatorDefault, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  PutNumberInDict(dict, kVersionKey, static_cast<SInt32>(GetPluginVersion(false)));
  PutNumberInDict(dict, kTypeKey, type);
  PutNumberInDict(dict, kSubtypeKey, subtype);
  PutNumberInDict(dict, kManufacturerKey, manufacturer);
  PutStrInDict(dict, kNameKey, GetPresetName(GetCurrentPresetIdx()));

  IByteChunk chunk;
  if (SerializeState(chunk))
    PutDataInDict(dict, kDataKey, chunk);

  *outState = dict;
  return noErr;
}

OSStatus IPlugAU::SetState(CFPropertyListRef state)
{
  if (!state || CFGetTypeID(state) != CFDictionaryGetTypeID())
    return kAudioUnitErr_InvalidPropertyValue;
  auto dict = static_cast<CFDictionaryRef>(state);

  SInt32 version = 0, type = 0, subtype = 0, manufacturer = 0;
  if (!GetNumberFromDict(dict, kVersionKey, version) || !GetNumberFromDict(dict, kTypeKey, type) ||
      !GetNumberFromDict(dict, kSubtypeKey, subtype) || !GetNumberFromDict(dict, kManufacturerKey, manufacturer))
    return kAudioUnitErr_InvalidPropertyValue;

  WDL_String presetName;
  if (!GetStrFromDict(dict, kNameKey, presetName))
    return kAudioUnitErr_InvalidPropertyValue;

  if (type != static_cast<SInt32>(GetAUPluginType()) || subtype != GetUniqueID() || manufacturer != GetMfrID())
    return kAudioUnitErr_InvalidPropertyValue;

  RestorePreset(presetName.Get());

  IByteChunk chunk;
  if (!GetDataFromDict(dict, kDataKey, chunk))
    return kAudioUnitErr_InvalidPropertyValue;
  // A blob that ends early would leave the parameters it did reach changed
  // while the host is told the state was refused: keep what was there and
  // put it back on failure. (A negative position is a short read, not success.)
  IByteChunk previous;
  const bool havePrevious = SerializeState(previous);
  if (UnserializeState(chunk, 0) <= 0)
  {
    if (havePrevious)
      UnserializeState(previous, 0);
    return kAudioUnitErr_InvalidPropertyValue;
  }

  OnRestoreState();
  return noErr;
}

OSStatus IPlugAU::GetFactoryPresets(CFArrayRef* outArray)
{
  const int n = NPresets();
  CFMutableArrayRef presets = CFArrayCreateMutable(kCFAllocatorDefault, n, &kCFAUPresetArrayCallBacks);
  if (!presets)
    return coreFoundationUnknownErr;

  for (int i = 0; i < n; ++i)
  {
    CFStringRef name = MakeCFString(GetPresetName(i));
    CFAUPresetRef preset = CFAUPresetCreate(kCFAllocatorDefault, i, name);
    if (preset)
    {
      CFArrayAppendValue(presets, preset);
      CFAUPresetRelease(preset);
    }
    CFRelease(name);
  }
  *outArray = presets;
  return noErr;
}

// --- Notifications to the host ---------------------------------------------

void IPlugAU::SendAUEvent(AudioUnitEventType type, AudioComponentInstance ci, int idx)
{
  AudioUnitEvent event;
  std::memset(&event, 0, sizeof(event));
  event.mEventType = type;
  event.mArgument.mParameter.mAudioUnit = ci;
  event.mArgument.mParameter.mParameterID = static_cast<AudioUnitParameterID>(idx);
  event.mArgument.mParameter.mScope = kAudioUnitScope_Global;
  event.mArgument.mParameter.mElement = 0;
  AUEventListenerNotify(nullptr, nullptr, &event);
}

void IPlugAU::BeginInformHostOfParamChange(int idx)
{
  SendAUEvent(kAudioUnitEvent_BeginParameterChangeGesture, componentInstance, idx);
}

void IPlugAU::InformHostOfParamChange(int idx, double /*normalizedValue*/)
{
  SendAUEvent(kAudioUnitEvent_ParameterValueChange, componentInstance, idx);
}

void IPlugAU::EndInformHostOfParamChange(int idx)
{
  SendAUEvent(kAudioUnitEvent_EndParameterChangeGesture, componentInstance, idx);
}

void IPlugAU::InformHostOfPresetChange()
{
  CallPropertyListeners(kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0);
}

void IPlugAU::InformHostOfParameterDetailsChange()
{
  CallPropertyListeners(kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0);
  CallPropertyListeners(kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, 0);
}

void IPlugAU::SetLatency(int samples)
{
  // Listeners are told first; one that reads the latency now still sees the old value.
  CallPropertyListeners(kAudioUnitProperty_Latency, kAudioUnitScope_Global, 0);
  IPlugProcessor::SetLatency(samples);
}

void IPlugAU::GetTrackName(WDL_String& str) { str.Set(contextName.Get()); }

} // namespace iplug
