#include "tools/corvane/HostedUnit.h"

#include "tools/corvane/CFText.h"
#include "tools/corvane/StateFile.h"
#include "tools/corvane/ToolError.h"

#include <MacAPIExtensions.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <set>

namespace corvane::host {
namespace {

// Releases a Core Foundation object handed over under the copy rule.
struct CFReleaser
{
  explicit CFReleaser(CFTypeRef object) : object(object) {}
  ~CFReleaser()
  {
    if (object)
      CFRelease(object);
  }
  CFReleaser(const CFReleaser&) = delete;
  CFReleaser& operator=(const CFReleaser&) = delete;
  CFTypeRef object;
};

template <typename T>
OSStatus GetGlobal(AudioComponentInstance unit, AudioUnitPropertyID id, T& value, AudioUnitElement element = 0)
{
  UInt32 size = sizeof(T);
  return AudioUnitGetProperty(unit, id, kAudioUnitScope_Global, element, &value, &size);
}

AudioStreamBasicDescription FloatFormat(double sampleRate, int channels)
{
  AudioStreamBasicDescription f{};
  f.mSampleRate = sampleRate;
  f.mFormatID = kAudioFormatLinearPCM;
  f.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved;
  f.mBytesPerPacket = 4;
  f.mFramesPerPacket = 1;
  f.mBytesPerFrame = 4;
  f.mChannelsPerFrame = static_cast<UInt32>(channels);
  f.mBitsPerChannel = 32;
  return f;
}

AudioBufferList* BufferList(std::vector<unsigned char>& storage)
{
  return reinterpret_cast<AudioBufferList*>(storage.data());
}

} // namespace

std::string StatusText(OSStatus status)
{
  const char* name = nullptr;
  switch (status)
  {
    case kAudioUnitErr_InvalidProperty: name = "invalid property"; break;
    case kAudioUnitErr_InvalidParameter: name = "invalid parameter"; break;
    case kAudioUnitErr_InvalidElement: name = "invalid element"; break;
    case kAudioUnitErr_NoConnection: name = "no connection"; break;
    case kAudioUnitErr_FailedInitialization: name = "failed initialization"; break;
    case kAudioUnitErr_TooManyFramesToProcess: name = "too many frames to process"; break;
    case kAudioUnitErr_FormatNotSupported: name = "format not supported"; break;
    case kAudioUnitErr_Uninitialized: name = "uninitialized"; break;
    case kAudioUnitErr_InvalidScope: name = "invalid scope"; break;
    case kAudioUnitErr_PropertyNotWritable: name = "property not writable"; break;
    case kAudioUnitErr_InvalidPropertyValue: name = "invalid property value"; break;
    case kAudioUnitErr_PropertyNotInUse: name = "property not in use"; break;
    case kAudioUnitErr_Initialized: name = "already initialized"; break;
    case kAudioUnitErr_CannotDoInCurrentContext: name = "cannot do in current context"; break;
    case invalidComponentID: name = "the component's library or factory could not be loaded"; break;
    case badComponentInstance: name = "bad component instance"; break;
    case badComponentSelector: name = "call not supported by the component"; break;
    default: break;
  }
  return (name ? std::string(name) + " " : std::string("status ")) + "(" + std::to_string(status) + ")";
}

std::unique_ptr<HostedUnit> HostedUnit::Open(const std::string& bundlePath)
{
  // A bundle registered before the first search is found ahead of those on
  // the platform's search path.
  // The platform adds a folder only once per process.
  static std::set<std::string> registered;
  if (!bundlePath.empty() && !registered.contains(bundlePath))
  {
    if (MacAPIRegisterComponentBundle(bundlePath.c_str()) < 1)
      throw ToolError("'" + bundlePath + "' holds no usable Audio Unit component (check its Contents/Info.plist)");
    registered.insert(bundlePath);
  }
  AudioComponentDescription wanted{};
  wanted.componentType = kCorvaneType;
  wanted.componentSubType = kCorvaneSubtype;
  wanted.componentManufacturer = kCorvaneManufacturer;
  AudioComponent component = AudioComponentFindNext(nullptr, &wanted);
  if (!component)
  {
    const std::string codes = ComponentCodesText(kCorvaneType, kCorvaneSubtype, kCorvaneManufacturer);
    throw ToolError(bundlePath.empty() ? "the Corvane component (" + codes +
                                           ") was not found: no Corvane.component beside the program "
                                           "or on the component search path; give one with --component PATH"
                                       : "'" + bundlePath + "' does not hold the Corvane component (" + codes + ")");
  }
  AudioComponentInstance instance = nullptr;
  const OSStatus status = AudioComponentInstanceNew(component, &instance);
  if (status != noErr || !instance)
    throw ToolError("cannot open the Corvane component: " + StatusText(status));
  return std::unique_ptr<HostedUnit>(new HostedUnit(component, instance));
}

HostedUnit::HostedUnit(AudioComponent component, AudioComponentInstance instance)
: mComponent(component)
, mUnit(instance)
{}

HostedUnit::~HostedUnit()
{
  if (mInitialized)
    AudioUnitUninitialize(mUnit);
  AudioComponentInstanceDispose(mUnit);
}

std::string HostedUnit::Name() const
{
  CFStringRef name = nullptr;
  if (AudioComponentCopyName(mComponent, &name) != noErr || !name)
    return "";
  CFReleaser release(name);
  return Utf8(name);
}

UInt32 HostedUnit::Version() const
{
  UInt32 version = 0;
  AudioComponentGetVersion(mComponent, &version);
  return version;
}

AudioComponentDescription HostedUnit::Description() const
{
  AudioComponentDescription description{};
  AudioComponentGetDescription(mComponent, &description);
  return description;
}

std::vector<ParamDesc> HostedUnit::Parameters() const
{
  UInt32 size = 0;
  Boolean writable = false;
  if (AudioUnitGetPropertyInfo(mUnit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, &size, &writable) !=
      noErr)
    return {};
  std::vector<AudioUnitParameterID> ids(size / sizeof(AudioUnitParameterID));
  size = static_cast<UInt32>(ids.size() * sizeof(AudioUnitParameterID));
  if (!ids.empty() && AudioUnitGetProperty(mUnit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0,
                                           ids.data(), &size) != noErr)
    throw ToolError("cannot read the unit's parameter list");
  ids.resize(size / sizeof(AudioUnitParameterID));

  std::vector<ParamDesc> params;
  for (AudioUnitParameterID id : ids)
  {
    AudioUnitParameterInfo info{};
    if (GetGlobal(mUnit, kAudioUnitProperty_ParameterInfo, info, id) != noErr)
      continue;
    ParamDesc p;
    p.id = id;
    p.flags = info.flags;
    p.minValue = info.minValue;
    p.maxValue = info.maxValue;
    p.defaultValue = info.defaultValue;
    p.unit = info.unit;
    if ((info.flags & kAudioUnitParameterFlag_HasCFNameString) && info.cfNameString)
    {
      p.name = Utf8(info.cfNameString);
      if (info.flags & kAudioUnitParameterFlag_CFNameRelease)
        CFRelease(info.cfNameString);
    }
    if (p.name.empty())
      p.name = std::string(info.name, strnlen(info.name, sizeof info.name));
    if (info.unit == kAudioUnitParameterUnit_CustomUnit && info.unitName)
    {
      p.unitName = Utf8(info.unitName);
      CFRelease(info.unitName); // handed over as a new string
    }
    if (info.flags & kAudioUnitParameterFlag_ValuesHaveStrings)
    {
      CFArrayRef strings = nullptr;
      UInt32 stringsSize = sizeof strings;
      if (AudioUnitGetProperty(mUnit, kAudioUnitProperty_ParameterValueStrings, kAudioUnitScope_Global, id, &strings,
                               &stringsSize) == noErr &&
          strings)
      {
        CFReleaser release(strings);
        for (CFIndex i = 0; i < CFArrayGetCount(strings); ++i)
          p.valueStrings.push_back(Utf8(static_cast<CFStringRef>(CFArrayGetValueAtIndex(strings, i))));
      }
    }
    params.push_back(std::move(p));
  }
  return params;
}

double HostedUnit::GetParameter(uint32_t id) const
{
  AudioUnitParameterValue value = 0;
  const OSStatus status = AudioUnitGetParameter(mUnit, id, kAudioUnitScope_Global, 0, &value);
  if (status != noErr)
    throw ToolError("cannot read parameter " + std::to_string(id) + ": " + StatusText(status));
  return value;
}

void HostedUnit::SetParameter(uint32_t id, double value)
{
  const OSStatus status =
    AudioUnitSetParameter(mUnit, id, kAudioUnitScope_Global, 0, static_cast<AudioUnitParameterValue>(value), 0);
  if (status != noErr)
    throw ToolError("the unit refused parameter " + std::to_string(id) + ": " + StatusText(status));
}

std::optional<double> HostedUnit::ValueFromString(uint32_t id, const std::string& text) const
{
  CFStringRef string = CFStringCreateWithCString(kCFAllocatorDefault, text.c_str(), kCFStringEncodingUTF8);
  if (!string)
    return std::nullopt;
  CFReleaser release(string);
  AudioUnitParameterValueFromString query{};
  query.inParamID = id;
  query.inString = string;
  if (GetGlobal(mUnit, kAudioUnitProperty_ParameterValueFromString, query) != noErr || !std::isfinite(query.outValue))
    return std::nullopt;
  return query.outValue;
}

std::optional<std::string> HostedUnit::StringFromValue(uint32_t id, double value) const
{
  const AudioUnitParameterValue v = static_cast<AudioUnitParameterValue>(value);
  AudioUnitParameterStringFromValue query{};
  query.inParamID = id;
  query.inValue = &v;
  if (GetGlobal(mUnit, kAudioUnitProperty_ParameterStringFromValue, query) != noErr || !query.outString)
    return std::nullopt;
  CFReleaser release(query.outString);
  return Utf8(query.outString);
}

std::vector<ChannelPair> HostedUnit::SupportedChannels() const
{
  UInt32 size = 0;
  Boolean writable = false;
  if (AudioUnitGetPropertyInfo(mUnit, kAudioUnitProperty_SupportedNumChannels, kAudioUnitScope_Global, 0, &size,
                               &writable) != noErr)
    return {};
  std::vector<AUChannelInfo> infos(size / sizeof(AUChannelInfo));
  size = static_cast<UInt32>(infos.size() * sizeof(AUChannelInfo));
  if (infos.empty() || AudioUnitGetProperty(mUnit, kAudioUnitProperty_SupportedNumChannels, kAudioUnitScope_Global, 0,
                                            infos.data(), &size) != noErr)
    return {};
  infos.resize(size / sizeof(AUChannelInfo));
  std::vector<ChannelPair> pairs;
  for (const AUChannelInfo& info : infos)
    pairs.push_back({info.inChannels, info.outChannels});
  return pairs;
}

std::string HostedUnit::ChannelCapabilityText() const
{
  std::string text;
  for (const ChannelPair& p : SupportedChannels())
  {
    const auto count = [](int n) { return n < 0 ? std::string("any") : std::to_string(n); };
    text += (text.empty() ? "" : ", ") + count(p.inputs) + " in/" + count(p.outputs) + " out";
  }
  return text.empty() ? "unknown" : text;
}

std::vector<FactoryPreset> HostedUnit::FactoryPresets() const
{
  CFArrayRef presets = nullptr;
  if (GetGlobal(mUnit, kAudioUnitProperty_FactoryPresets, presets) != noErr || !presets)
    return {};
  CFReleaser release(presets);
  std::vector<FactoryPreset> list;
  for (CFIndex i = 0; i < CFArrayGetCount(presets); ++i)
  {
    const auto* preset = static_cast<const AUPreset*>(CFArrayGetValueAtIndex(presets, i));
    if (preset)
      list.push_back({static_cast<int>(preset->presetNumber), Utf8(preset->presetName)});
  }
  return list;
}

double HostedUnit::LatencySeconds() const
{
  Float64 seconds = 0;
  const OSStatus status = GetGlobal(mUnit, kAudioUnitProperty_Latency, seconds);
  if (status != noErr)
    throw ToolError("cannot read the unit's latency: " + StatusText(status));
  return seconds;
}

double HostedUnit::TailSeconds() const
{
  Float64 seconds = 0;
  if (GetGlobal(mUnit, kAudioUnitProperty_TailTime, seconds) != noErr)
    return 0.0;
  return seconds;
}

CFPropertyListRef HostedUnit::CopyState() const
{
  CFPropertyListRef state = nullptr;
  const OSStatus status = GetGlobal(mUnit, kAudioUnitProperty_ClassInfo, state);
  if (status != noErr || !state)
    throw ToolError("cannot read the unit's state: " + StatusText(status));
  return state;
}

OSStatus HostedUnit::ApplyState(CFPropertyListRef state)
{
  return AudioUnitSetProperty(mUnit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, sizeof state);
}

void HostedUnit::RenderSilence(int frames)
{
  frames = std::clamp(frames, 1, std::max(mMaxFrames, 1));
  std::vector<std::vector<float>> in(static_cast<size_t>(mChannels),
                                     std::vector<float>(static_cast<size_t>(frames), 0.0f));
  std::vector<std::vector<float>> out = in;
  std::vector<const float*> inputs;
  std::vector<float*> outputs;
  for (int c = 0; c < mChannels; ++c)
  {
    inputs.push_back(in[static_cast<size_t>(c)].data());
    outputs.push_back(out[static_cast<size_t>(c)].data());
  }
  Process(inputs.data(), outputs.data(), static_cast<size_t>(frames));
}

int64_t HostedUnit::LatencyFrames()
{
  const double frames = LatencySeconds() * mSampleRate;
  // A bogus report must not make the host drop or render hours of audio.
  if (!std::isfinite(frames) || frames < 0.0 || frames > 60.0 * std::max(mSampleRate, 1.0))
    throw ToolError("the unit reports an invalid latency (" + std::to_string(frames) + " samples)");
  return static_cast<int64_t>(std::llround(frames));
}

void HostedUnit::Configure(double sampleRate, int channels, int maxFrames)
{
  mSampleRate = sampleRate;
  mChannels = channels;
  mMaxFrames = maxFrames;

  const auto set = [&](AudioUnitPropertyID id, AudioUnitScope scope, const void* data, UInt32 size) {
    return AudioUnitSetProperty(mUnit, id, scope, 0, data, size);
  };
  const AudioStreamBasicDescription format = FloatFormat(sampleRate, channels);
  for (AudioUnitScope scope : {kAudioUnitScope_Input, kAudioUnitScope_Output})
  {
    const OSStatus status = set(kAudioUnitProperty_StreamFormat, scope, &format, sizeof format);
    if (status != noErr)
      throw ToolError("the unit does not take " + std::to_string(channels) + " channel(s) of 32-bit float at " +
                      std::to_string(static_cast<long>(sampleRate)) + " Hz (" + StatusText(status) + "); it supports " +
                      ChannelCapabilityText());
  }
  const UInt32 frames = static_cast<UInt32>(maxFrames);
  OSStatus status = set(kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, &frames, sizeof frames);
  if (status != noErr)
    throw ToolError("the unit refused a slice size of " + std::to_string(maxFrames) + " frames: " + StatusText(status));

  AURenderCallbackStruct callback{};
  callback.inputProc = &HostedUnit::InputCallback;
  callback.inputProcRefCon = this;
  status = set(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, &callback, sizeof callback);
  if (status != noErr)
    throw ToolError("the unit refused the input callback: " + StatusText(status));

  mOutputList.assign(
    offsetof(AudioBufferList, mBuffers) + sizeof(AudioBuffer) * static_cast<size_t>(std::max(channels, 1)), 0);
}

void HostedUnit::Initialize()
{
  const OSStatus status = AudioUnitInitialize(mUnit);
  if (status != noErr)
    throw ToolError("the unit refused to initialise with " + std::to_string(mChannels) + " channel(s) (" +
                    StatusText(status) + "); it supports " + ChannelCapabilityText());
  mInitialized = true;
  mSampleTime = 0.0;
}

void HostedUnit::Uninitialize()
{
  if (mInitialized)
    AudioUnitUninitialize(mUnit);
  mInitialized = false;
}

void HostedUnit::Reset()
{
  const OSStatus status = AudioUnitReset(mUnit, kAudioUnitScope_Global, 0);
  if (status != noErr)
    throw ToolError("the unit refused to reset: " + StatusText(status));
}

OSStatus HostedUnit::InputCallback(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32 bus,
                                   UInt32 frames, AudioBufferList* data)
{
  auto* self = static_cast<HostedUnit*>(refCon);
  if (!self || !data || !self->mSliceInput || bus != 0 || frames != self->mSliceFrames ||
      data->mNumberBuffers > static_cast<UInt32>(self->mChannels))
    return kAudioUnitErr_InvalidPropertyValue;
  for (UInt32 b = 0; b < data->mNumberBuffers; ++b)
  {
    AudioBuffer& buffer = data->mBuffers[b];
    const float* source = self->mSliceInput[b];
    const UInt32 bytes = frames * sizeof(float);
    if (!buffer.mData)
      buffer.mData = const_cast<float*>(source); // the unit only reads its input
    else if (buffer.mDataByteSize < bytes)
      return kAudioUnitErr_InvalidPropertyValue;
    else
      std::memcpy(buffer.mData, source, bytes);
    buffer.mDataByteSize = bytes;
  }
  return noErr;
}

OSStatus HostedUnit::Render(const float* const* inputs, float* const* outputs, size_t frames) noexcept
{
  AudioBufferList* list = BufferList(mOutputList);
  list->mNumberBuffers = static_cast<UInt32>(mChannels);
  for (int c = 0; c < mChannels; ++c)
  {
    list->mBuffers[c].mNumberChannels = 1;
    list->mBuffers[c].mDataByteSize = static_cast<UInt32>(frames * sizeof(float));
    list->mBuffers[c].mData = outputs[c];
  }
  AudioTimeStamp time{};
  time.mSampleTime = mSampleTime;
  time.mFlags = kAudioTimeStampSampleTimeValid;
  AudioUnitRenderActionFlags flags = 0;

  mSliceInput = inputs;
  mSliceFrames = static_cast<UInt32>(frames);
  const OSStatus status = AudioUnitRender(mUnit, &flags, &time, 0, static_cast<UInt32>(frames), list);
  mSliceInput = nullptr;
  if (status != noErr)
    return status;
  // A unit may answer with its own buffers instead of filling ours.
  for (int c = 0; c < mChannels; ++c)
    if (list->mBuffers[c].mData && list->mBuffers[c].mData != outputs[c])
      std::memcpy(outputs[c], list->mBuffers[c].mData, frames * sizeof(float));
  mSampleTime += static_cast<double>(frames);
  return noErr;
}

void HostedUnit::Process(const float* const* inputs, float* const* outputs, size_t frames)
{
  const OSStatus status = Render(inputs, outputs, frames);
  if (status != noErr)
    throw ToolError("the unit failed to render at sample " + std::to_string(static_cast<long long>(mSampleTime)) +
                    ": " + StatusText(status));
}

bool HostedUnit::TryProcess(const float* const* inputs, float* const* outputs, size_t frames) noexcept
{
  return Render(inputs, outputs, frames) == noErr;
}

} // namespace corvane::host
