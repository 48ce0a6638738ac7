#include "FakeEffectUnit.h"

#include "tools/corvane/HostedUnit.h"

#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

namespace fake {
namespace {

Behaviour gBehaviour;
int gRenderCalls = 0;
int gFormatChannels = 0;

const char* const kGainTexts[] = {"0dB", "6dB", "12dB"};

struct Unit
{
  AudioComponentPlugInInterface interface {};
  int channels = 2;
  UInt32 maxFrames = 512;
  double sampleRate = 44100.0;
  float params[3] = {0.0f, 0.0f, 0.0f}; // Gain index, Output dB, Delay
  int reportedLatency = 0;
  bool initialized = false;
  AURenderCallbackStruct input{};
  std::vector<float> scratch;
  std::vector<std::deque<float>> lines;
};

Unit* Self(void* self) { return static_cast<Unit*>(self); }

CFStringRef NewString(const char* text)
{
  return CFStringCreateWithCString(kCFAllocatorDefault, text, kCFStringEncodingUTF8);
}

template <typename T>
OSStatus Put(void* out, UInt32* size, const T& value)
{
  if (*size < sizeof(T))
    return kAudioUnitErr_InvalidPropertyValue;
  std::memcpy(out, &value, sizeof(T));
  *size = sizeof(T);
  return noErr;
}

OSStatus Initialize(void* self)
{
  if (gBehaviour.initializeError != noErr)
    return gBehaviour.initializeError;
  Unit* u = Self(self);
  u->initialized = true;
  u->lines.assign(static_cast<size_t>(u->channels), std::deque<float>());
  return noErr;
}

OSStatus Uninitialize(void* self)
{
  Self(self)->initialized = false;
  return noErr;
}

void PutNumber(CFMutableDictionaryRef dict, const char* key, SInt32 value)
{
  CFStringRef k = NewString(key);
  CFNumberRef n = CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt32Type, &value);
  CFDictionarySetValue(dict, k, n);
  CFRelease(n);
  CFRelease(k);
}

CFTypeRef DictValue(CFDictionaryRef dict, const char* key)
{
  CFStringRef k = NewString(key);
  CFTypeRef value = CFDictionaryGetValue(dict, k);
  CFRelease(k);
  return value;
}

CFDictionaryRef MakeState(const Unit& u)
{
  CFMutableDictionaryRef dict =
    CFDictionaryCreateMutable(kCFAllocatorDefault, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  PutNumber(dict, "version", 0x00010203);
  PutNumber(dict, "type", static_cast<SInt32>(corvane::host::kCorvaneType));
  PutNumber(dict, "subtype", static_cast<SInt32>(corvane::host::kCorvaneSubtype));
  PutNumber(dict, "manufacturer", static_cast<SInt32>(corvane::host::kCorvaneManufacturer));
  CFStringRef key = NewString("name"), name = NewString("Fake state");
  CFDictionarySetValue(dict, key, name);
  CFRelease(key);
  CFRelease(name);
  UInt8 bytes[kStateBytes];
  const int32_t size[2] = {300, 200};
  const float scale = 1.5f;
  std::memcpy(bytes, size, 8);
  std::memcpy(bytes + 8, &scale, 4);
  for (int i = 0; i < 3; ++i)
  {
    const double v = u.params[i];
    std::memcpy(bytes + 12 + 8 * i, &v, 8);
  }
  CFDataRef data = CFDataCreate(kCFAllocatorDefault, bytes, kStateBytes);
  key = NewString("data");
  CFDictionarySetValue(dict, key, data);
  CFRelease(key);
  CFRelease(data);
  return dict;
}

OSStatus TakeState(Unit& u, CFPropertyListRef state)
{
  if (gBehaviour.stateError != noErr)
    return gBehaviour.stateError;
  if (!state || CFGetTypeID(state) != CFDictionaryGetTypeID())
    return kAudioUnitErr_InvalidPropertyValue;
  auto dict = static_cast<CFDictionaryRef>(state);
  auto data = static_cast<CFDataRef>(DictValue(dict, "data"));
  if (!data || CFGetTypeID(data) != CFDataGetTypeID() || CFDataGetLength(data) < kStateBytes)
    return kAudioUnitErr_InvalidPropertyValue;
  for (int i = 0; i < 3; ++i)
  {
    double v = 0.0;
    std::memcpy(&v, CFDataGetBytePtr(data) + 12 + 8 * i, 8);
    u.params[i] = static_cast<float>(v);
  }
  return noErr;
}

OSStatus GetPropertyInfo(void*, AudioUnitPropertyID id, AudioUnitScope, AudioUnitElement, UInt32* size,
                         Boolean* writable)
{
  *writable = false;
  switch (id)
  {
    case kAudioUnitProperty_ParameterList: *size = 3 * sizeof(AudioUnitParameterID); return noErr;
    case kAudioUnitProperty_SupportedNumChannels: *size = 2 * sizeof(AUChannelInfo); return noErr;
    default: return kAudioUnitErr_InvalidProperty;
  }
}

OSStatus GetProperty(void* self, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, void* out,
                     UInt32* size)
{
  Unit* u = Self(self);
  switch (id)
  {
    case kAudioUnitProperty_ParameterList:
    {
      const AudioUnitParameterID ids[3] = {0, 1, 2};
      return Put(out, size, ids);
    }
    case kAudioUnitProperty_ParameterInfo:
    {
      if (element > 2)
        return kAudioUnitErr_InvalidElement;
      AudioUnitParameterInfo info{};
      const char* names[] = {"Gain", "Output", "Delay"};
      std::strcpy(info.name, names[element]);
      info.cfNameString = NewString(names[element]);
      info.flags = kAudioUnitParameterFlag_HasCFNameString | kAudioUnitParameterFlag_CFNameRelease |
                   kAudioUnitParameterFlag_IsReadable | kAudioUnitParameterFlag_IsWritable;
      if (element == 0)
      {
        info.unit = kAudioUnitParameterUnit_Indexed;
        info.maxValue = 2;
        info.flags |= kAudioUnitParameterFlag_ValuesHaveStrings;
      }
      else if (element == 1)
      {
        info.unit = kAudioUnitParameterUnit_CustomUnit;
        info.unitName = NewString("dB");
        info.minValue = -24;
        info.maxValue = 24;
      }
      else
      {
        info.unit = kAudioUnitParameterUnit_Indexed;
        info.maxValue = 1;
      }
      return Put(out, size, info);
    }
    case kAudioUnitProperty_ParameterValueStrings:
    {
      if (element != 0)
        return kAudioUnitErr_InvalidProperty;
      CFStringRef texts[3] = {NewString(kGainTexts[0]), NewString(kGainTexts[1]), NewString(kGainTexts[2])};
      CFArrayRef array =
        CFArrayCreate(kCFAllocatorDefault, reinterpret_cast<const void**>(texts), 3, &kCFTypeArrayCallBacks);
      for (CFStringRef t : texts)
        CFRelease(t);
      return Put(out, size, array);
    }
    case kAudioUnitProperty_ParameterValueFromString:
    {
      AudioUnitParameterValueFromString query{};
      std::memcpy(&query, out, sizeof query);
      char text[64] = {};
      CFStringGetCString(query.inString, text, sizeof text, kCFStringEncodingUTF8);
      query.outValue = static_cast<float>(std::strtod(text, nullptr));
      for (int i = 0; i < 3 && query.inParamID == 0; ++i)
        if (std::strcmp(text, kGainTexts[i]) == 0)
          query.outValue = static_cast<float>(i);
      return Put(out, size, query);
    }
    case kAudioUnitProperty_ParameterStringFromValue:
    {
      AudioUnitParameterStringFromValue query{};
      std::memcpy(&query, out, sizeof query);
      const float v = query.inValue ? *query.inValue : u->params[query.inParamID];
      const int index = static_cast<int>(v);
      char text[32];
      if (query.inParamID == 0 && index >= 0 && index < 3)
        std::snprintf(text, sizeof text, "%s", kGainTexts[index]);
      else
        std::snprintf(text, sizeof text, "%.1f", v);
      query.outString = NewString(text);
      return Put(out, size, query);
    }
    case kAudioUnitProperty_SupportedNumChannels:
    {
      const AUChannelInfo configs[2] = {{1, 1}, {2, 2}};
      return Put(out, size, configs);
    }
    case kAudioUnitProperty_Latency:
      if (scope != kAudioUnitScope_Global)
        return kAudioUnitErr_InvalidProperty;
      return Put(out, size, Float64(u->reportedLatency / u->sampleRate));
    case kAudioUnitProperty_TailTime: return Put(out, size, Float64(0.0));
    case kAudioUnitProperty_ClassInfo:
    {
      if (*size < sizeof(CFPropertyListRef))
        return kAudioUnitErr_InvalidPropertyValue;
      return Put(out, size, static_cast<CFPropertyListRef>(MakeState(*u)));
    }
    default: return kAudioUnitErr_InvalidProperty;
  }
}

OSStatus SetProperty(void* self, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement, const void* data,
                     UInt32 size)
{
  Unit* u = Self(self);
  switch (id)
  {
    case kAudioUnitProperty_StreamFormat:
    {
      AudioStreamBasicDescription f{};
      if (size < sizeof f)
        return kAudioUnitErr_InvalidPropertyValue;
      std::memcpy(&f, data, sizeof f);
      gFormatChannels = static_cast<int>(f.mChannelsPerFrame);
      const bool floatNonInterleaved =
        (f.mFormatFlags & kAudioFormatFlagIsFloat) && (f.mFormatFlags & kAudioFormatFlagIsNonInterleaved);
      if (f.mFormatID != kAudioFormatLinearPCM || !floatNonInterleaved || f.mChannelsPerFrame < 1 ||
          f.mChannelsPerFrame > 2)
        return kAudioUnitErr_FormatNotSupported;
      if (scope == kAudioUnitScope_Input)
        u->channels = static_cast<int>(f.mChannelsPerFrame);
      u->sampleRate = f.mSampleRate;
      return noErr;
    }
    case kAudioUnitProperty_MaximumFramesPerSlice: std::memcpy(&u->maxFrames, data, sizeof(UInt32)); return noErr;
    case kAudioUnitProperty_SetRenderCallback: std::memcpy(&u->input, data, sizeof u->input); return noErr;
    case kAudioUnitProperty_ClassInfo:
    {
      if (size != sizeof(CFPropertyListRef))
        return kAudioUnitErr_InvalidPropertyValue;
      CFPropertyListRef state = nullptr;
      std::memcpy(&state, data, sizeof state);
      return TakeState(*u, state);
    }
    default: return kAudioUnitErr_InvalidProperty;
  }
}

OSStatus GetParameter(void* self, AudioUnitParameterID id, AudioUnitScope, AudioUnitElement,
                      AudioUnitParameterValue* value)
{
  if (id > 2)
    return kAudioUnitErr_InvalidParameter;
  *value = Self(self)->params[id];
  return noErr;
}

OSStatus SetParameter(void* self, AudioUnitParameterID id, AudioUnitScope, AudioUnitElement,
                      AudioUnitParameterValue value, UInt32)
{
  if (id > 2)
    return kAudioUnitErr_InvalidParameter;
  Self(self)->params[id] = value;
  return noErr;
}

OSStatus Render(void* self, AudioUnitRenderActionFlags*, const AudioTimeStamp* time, UInt32 bus, UInt32 frames,
                AudioBufferList* io)
{
  Unit* u = Self(self);
  if (!u->initialized)
    return kAudioUnitErr_Uninitialized;
  if (!(time->mFlags & kAudioTimeStampSampleTimeValid) || frames > u->maxFrames || bus != 0)
    return kAudioUnitErr_TooManyFramesToProcess;
  if (gBehaviour.renderError != noErr && gRenderCalls >= gBehaviour.renderErrorAfter)
    return gBehaviour.renderError;
  if (gRenderCalls == gBehaviour.raiseSigintAt)
    std::raise(SIGINT);
  ++gRenderCalls;

  // Pull the input into the unit's own scratch, as the product does.
  u->scratch.assign(static_cast<size_t>(frames) * static_cast<size_t>(u->channels), 0.0f);
  std::vector<unsigned char> storage(offsetof(AudioBufferList, mBuffers) +
                                     sizeof(AudioBuffer) * static_cast<size_t>(u->channels));
  auto* list = reinterpret_cast<AudioBufferList*>(storage.data());
  list->mNumberBuffers = static_cast<UInt32>(u->channels);
  for (int c = 0; c < u->channels; ++c)
    list->mBuffers[c] = {1, frames * 4u, u->scratch.data() + static_cast<size_t>(c) * frames};
  AudioUnitRenderActionFlags flags = 0;
  if (OSStatus s = u->input.inputProc(u->input.inputProcRefCon, &flags, time, 0, frames, list); s != noErr)
    return s;

  const float gain = std::pow(2.0f, u->params[0]) * std::pow(10.0f, u->params[1] / 20.0f);
  const size_t delay = u->params[2] >= 0.5f ? kDelayFrames : 0;
  for (int c = 0; c < u->channels && c < static_cast<int>(io->mNumberBuffers); ++c)
  {
    auto& line = u->lines[static_cast<size_t>(c)];
    while (line.size() < delay)
      line.push_back(0.0f);
    while (line.size() > delay)
      line.pop_front();
    const auto* in = static_cast<const float*>(list->mBuffers[c].mData);
    auto* out = static_cast<float*>(io->mBuffers[c].mData);
    for (UInt32 f = 0; f < frames; ++f)
    {
      line.push_back(in[f] * gain);
      out[f] = line.front();
      line.pop_front();
    }
  }
  u->reportedLatency = static_cast<int>(delay); // known to the host from the end of this block on
  return noErr;
}

OSStatus Reset(void* self, AudioUnitScope, AudioUnitElement)
{
  for (auto& line : Self(self)->lines)
    line.clear();
  return noErr;
}

AudioComponentMethod Lookup(SInt16 selector)
{
  switch (selector)
  {
    case kAudioUnitInitializeSelect: return reinterpret_cast<AudioComponentMethod>(&Initialize);
    case kAudioUnitUninitializeSelect: return reinterpret_cast<AudioComponentMethod>(&Uninitialize);
    case kAudioUnitGetPropertyInfoSelect: return reinterpret_cast<AudioComponentMethod>(&GetPropertyInfo);
    case kAudioUnitGetPropertySelect: return reinterpret_cast<AudioComponentMethod>(&GetProperty);
    case kAudioUnitSetPropertySelect: return reinterpret_cast<AudioComponentMethod>(&SetProperty);
    case kAudioUnitGetParameterSelect: return reinterpret_cast<AudioComponentMethod>(&GetParameter);
    case kAudioUnitSetParameterSelect: return reinterpret_cast<AudioComponentMethod>(&SetParameter);
    case kAudioUnitRenderSelect: return reinterpret_cast<AudioComponentMethod>(&Render);
    case kAudioUnitResetSelect: return reinterpret_cast<AudioComponentMethod>(&Reset);
    default: return nullptr;
  }
}

OSStatus Open(void*, AudioComponentInstance) { return noErr; }

OSStatus Close(void* self)
{
  delete Self(self);
  return noErr;
}

AudioComponentPlugInInterface* Factory(const AudioComponentDescription*)
{
  auto* u = new Unit;
  u->interface.Open = &Open;
  u->interface.Close = &Close;
  u->interface.Lookup = &Lookup;
  gRenderCalls = 0;
  gFormatChannels = 0;
  return &u->interface;
}

} // namespace

void Register(const Behaviour& behaviour)
{
  gBehaviour = behaviour;
  static const bool registered = [] {
    AudioComponentDescription d{};
    d.componentType = corvane::host::kCorvaneType;
    d.componentSubType = corvane::host::kCorvaneSubtype;
    d.componentManufacturer = corvane::host::kCorvaneManufacturer;
    CFStringRef name = CFStringCreateWithCString(kCFAllocatorDefault, "Test: Fake Corvane", kCFStringEncodingUTF8);
    const bool ok = AudioComponentRegister(&d, name, 0x00010203, &Factory) != nullptr;
    CFRelease(name);
    return ok;
  }();
  (void)registered;
}

int RenderCalls() { return gRenderCalls; }
int LastFormatChannels() { return gFormatChannels; }

} // namespace fake
