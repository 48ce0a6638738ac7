#pragma once
// Host-side helpers for the adapter tests: an instance opened through the
// component registry, typed property access, buffers for render calls and a
// render callback that serves a known signal.

#include <cstring>
#include <vector>

#include <AudioToolbox/AudioToolbox.h>
#include <AudioUnit/AudioUnit.h>

#include "au/AUTestPlug.h"

namespace corvane_test {
/** One instance of a registered component, disposed of on destruction. */
class AUInstance
{
public:
  /** An instance of the test plug-in. */
  explicit AUInstance(bool midiIn = false) : AUInstance((RegisterTestPlugComponents(), TestPlugDescription(midiIn))) {}

  /** An instance of the first registered component matching `desc`. */
  explicit AUInstance(const AudioComponentDescription& desc)
  {
    AudioComponent component = AudioComponentFindNext(nullptr, &desc);
    if (component)
      AudioComponentInstanceNew(component, &mUnit);
  }

  ~AUInstance()
  {
    if (mUnit)
      AudioComponentInstanceDispose(mUnit);
  }

  AUInstance(const AUInstance&) = delete;
  AUInstance& operator=(const AUInstance&) = delete;

  AudioUnit unit() const { return mUnit; }
  operator AudioUnit() const { return mUnit; }

  /** The adapter object behind the unit, asked for the way the view factory asks. */
  IPlugAU* adapter() const
  {
    IPlugAU* plug = nullptr;
    UInt32 size = sizeof(plug);
    AudioUnitGetProperty(mUnit, kPluginInstanceProperty, kAudioUnitScope_Global, 0, &plug, &size);
    return plug;
  }

  AUTestPlug& plug() const { return *dynamic_cast<AUTestPlug*>(adapter()); }

  template <typename T>
  OSStatus Get(AudioUnitPropertyID prop, AudioUnitScope scope, AudioUnitElement elem, T& out) const
  {
    UInt32 size = sizeof(T);
    return AudioUnitGetProperty(mUnit, prop, scope, elem, &out, &size);
  }

  template <typename T>
  OSStatus Set(AudioUnitPropertyID prop, AudioUnitScope scope, AudioUnitElement elem, const T& value) const
  {
    return AudioUnitSetProperty(mUnit, prop, scope, elem, &value, sizeof(T));
  }

  OSStatus SetFormat(AudioUnitScope scope, AudioUnitElement elem, UInt32 channels, Float64 sampleRate = 48000.0) const
  {
    return Set(kAudioUnitProperty_StreamFormat, scope, elem, FloatFormat(channels, sampleRate));
  }

  static AudioStreamBasicDescription FloatFormat(UInt32 channels, Float64 sampleRate = 48000.0)
  {
    AudioStreamBasicDescription format{};
    format.mSampleRate = sampleRate;
    format.mFormatID = kAudioFormatLinearPCM;
    format.mFormatFlags = kAudioFormatFlagsNativeFloatPacked | kAudioFormatFlagIsNonInterleaved;
    format.mBytesPerPacket = 4;
    format.mFramesPerPacket = 1;
    format.mBytesPerFrame = 4;
    format.mChannelsPerFrame = channels;
    format.mBitsPerChannel = 32;
    return format;
  }

private:
  AudioUnit mUnit = nullptr;
};

/** A buffer list with its own memory, or with null data pointers. */
class RenderBuffers
{
public:
  RenderBuffers(int channels, int frames, bool withMemory = true)
  : mStorage(offsetof(AudioBufferList, mBuffers) + sizeof(AudioBuffer) * static_cast<size_t>(channels))
  , mData(static_cast<size_t>(channels), std::vector<float>(static_cast<size_t>(frames), -99.f))
  , mFrames(frames)
  {
    list()->mNumberBuffers = static_cast<UInt32>(channels);
    for (int c = 0; c < channels; ++c)
    {
      buffer(c).mNumberChannels = 1;
      buffer(c).mDataByteSize = static_cast<UInt32>(frames) * 4;
      buffer(c).mData = withMemory ? mData[static_cast<size_t>(c)].data() : nullptr;
    }
  }

  AudioBufferList* list() { return reinterpret_cast<AudioBufferList*>(mStorage.data()); }
  AudioBuffer& buffer(int c)
  {
    return reinterpret_cast<AudioBuffer*>(mStorage.data() + offsetof(AudioBufferList, mBuffers))[c];
  }
  /** Sample i of channel c, wherever the buffer's data pointer now points. */
  float at(int c, int i) { return static_cast<const float*>(buffer(c).mData)[i]; }
  int frames() const { return mFrames; }

private:
  std::vector<unsigned char> mStorage;
  std::vector<std::vector<float>> mData;
  int mFrames;
};

/** Serves channel c, frame i as (c + 1) * 0.01 * (i + 1) through a render callback. */
struct SignalSource
{
  int calls = 0;
  OSStatus result = noErr;
  UInt32 lastBus = 99;

  static float Sample(int c, int i) { return static_cast<float>((c + 1) * 0.01 * (i + 1)); }

  static OSStatus Render(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32 bus, UInt32 frames,
                         AudioBufferList* ioData)
  {
    auto* self = static_cast<SignalSource*>(refCon);
    ++self->calls;
    self->lastBus = bus;
    if (self->result != noErr)
      return self->result;
    auto* buffers =
      reinterpret_cast<AudioBuffer*>(reinterpret_cast<unsigned char*>(ioData) + offsetof(AudioBufferList, mBuffers));
    for (UInt32 c = 0; c < ioData->mNumberBuffers; ++c)
      for (UInt32 i = 0; i < frames; ++i)
        static_cast<float*>(buffers[c].mData)[i] = Sample(static_cast<int>(c), static_cast<int>(i));
    return noErr;
  }

  OSStatus AttachTo(AudioUnit unit, AudioUnitElement bus = 0)
  {
    AURenderCallbackStruct callback{Render, this};
    return AudioUnitSetProperty(unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, bus, &callback,
                                sizeof(callback));
  }
};

/** Counts render notifications. */
struct NotifyCounter
{
  int calls = 0;
  static OSStatus Notify(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32,
                         AudioBufferList*)
  {
    ++static_cast<NotifyCounter*>(refCon)->calls;
    return noErr;
  }
};

inline AudioTimeStamp SampleTime(Float64 sampleTime)
{
  AudioTimeStamp ts{};
  ts.mSampleTime = sampleTime;
  ts.mFlags = kAudioTimeStampSampleTimeValid;
  return ts;
}

/** Renders one slice of output bus 0. */
inline OSStatus RenderSlice(AudioUnit unit, RenderBuffers& out, Float64 sampleTime = 0.0)
{
  AudioUnitRenderActionFlags flags = 0;
  const AudioTimeStamp ts = SampleTime(sampleTime);
  return AudioUnitRender(unit, &flags, &ts, 0, static_cast<UInt32>(out.frames()), out.list());
}

/** Opens a stereo unit fed by `source` and initialises it. */
inline void PrepareStereo(AUInstance& unit, SignalSource& source)
{
  unit.SetFormat(kAudioUnitScope_Input, 0, 2);
  unit.SetFormat(kAudioUnitScope_Output, 0, 2);
  source.AttachTo(unit);
  AudioUnitInitialize(unit);
}
} // namespace corvane_test
