// Sequences of host calls on one Audio Unit instance, decoded from the fuzz
// input: property writes and reads with buffers of exactly the size the
// "host" claims (so any access past them is caught), render calls with odd
// frame counts and buffer lists, and parameter traffic with any float value.
// Properties whose data carries pointers are written only with valid ones.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "au/AUTestPlug.h"

using namespace corvane_test;

namespace {
class Reader
{
public:
  Reader(const uint8_t* data, size_t size) : mData(data), mSize(size) {}
  bool More() const { return mPos < mSize; }
  uint8_t Byte() { return mPos < mSize ? mData[mPos++] : 0; }
  uint32_t U32()
  {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
      v = (v << 8) | Byte();
    return v;
  }
  void Fill(void* out, size_t n)
  {
    auto* bytes = static_cast<uint8_t*>(out);
    for (size_t i = 0; i < n; ++i)
      bytes[i] = Byte();
  }

private:
  const uint8_t* mData;
  size_t mSize;
  size_t mPos = 0;
};

// Writes whose data holds no pointers.
const AudioUnitPropertyID kPlainWrites[] = {
  kAudioUnitProperty_SampleRate,
  kAudioUnitProperty_StreamFormat,
  kAudioUnitProperty_MaximumFramesPerSlice,
  kAudioUnitProperty_BypassEffect,
  kAudioUnitProperty_OfflineRender,
  kAudioUnitProperty_PresentPreset,
  kAudioUnitProperty_CurrentPreset,
  kAudioUnitProperty_RenderQuality,
  kAudioUnitProperty_ElementCount,
  9999,
};

// Reads whose data holds no objects to release.
const AudioUnitPropertyID kPlainReads[] = {
  kAudioUnitProperty_SampleRate,
  kAudioUnitProperty_ParameterList,
  kAudioUnitProperty_StreamFormat,
  kAudioUnitProperty_ElementCount,
  kAudioUnitProperty_Latency,
  kAudioUnitProperty_SupportedNumChannels,
  kAudioUnitProperty_MaximumFramesPerSlice,
  kAudioUnitProperty_TailTime,
  kAudioUnitProperty_BypassEffect,
  kAudioUnitProperty_LastRenderError,
  kAudioUnitProperty_SupportedChannelLayoutTags,
  kAudioUnitProperty_SupportsMPE,
  kAudioUnitProperty_MakeConnection,
  kAudioUnitProperty_SetRenderCallback,
  kAudioUnitProperty_HostCallbacks,
  kAudioUnitProperty_FastDispatch,
  kAudioUnitProperty_AudioChannelLayout,
  kPluginInstanceProperty,
  kMusicDeviceProperty_InstrumentCount,
  kAudioUnitProperty_MIDIOutputCallback,
};

OSStatus Silence(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 frames, AudioBufferList* io)
{
  auto* buffers = reinterpret_cast<AudioBuffer*>(reinterpret_cast<uint8_t*>(io) + offsetof(AudioBufferList, mBuffers));
  for (UInt32 b = 0; b < io->mNumberBuffers; ++b)
    if (buffers[b].mData)
      std::memset(buffers[b].mData, 0, std::min<size_t>(buffers[b].mDataByteSize, frames * sizeof(float)));
  return noErr;
}

void Render(AudioUnit unit, Reader& in)
{
  const UInt32 frames = (in.Byte() << 8 | in.Byte()) % 1100;
  const int nBuffers = in.Byte() % 4;
  std::vector<uint8_t> listBytes(offsetof(AudioBufferList, mBuffers) + sizeof(AudioBuffer) * (nBuffers ? nBuffers : 1));
  auto* list = reinterpret_cast<AudioBufferList*>(listBytes.data());
  auto* buffers = reinterpret_cast<AudioBuffer*>(listBytes.data() + offsetof(AudioBufferList, mBuffers));
  list->mNumberBuffers = static_cast<UInt32>(nBuffers);
  std::vector<std::vector<float>> memory(static_cast<size_t>(nBuffers));
  for (int b = 0; b < nBuffers; ++b)
  {
    const uint8_t kind = in.Byte() % 3;
    buffers[b].mNumberChannels = 1;
    if (kind == 0)
    {
      buffers[b].mData = nullptr;
      buffers[b].mDataByteSize = frames * 4;
      continue;
    }
    const UInt32 count = kind == 1 ? frames : in.Byte() % (frames + 1);
    memory[static_cast<size_t>(b)].resize(count ? count : 1);
    buffers[b].mData = memory[static_cast<size_t>(b)].data();
    buffers[b].mDataByteSize = count * 4;
  }
  AudioTimeStamp ts{};
  ts.mSampleTime = in.Byte() * 64.0;
  ts.mFlags = in.Byte() % 4 ? kAudioTimeStampSampleTimeValid : 0;
  AudioUnitRenderActionFlags flags = 0;
  AudioUnitRender(unit, &flags, &ts, in.Byte() % 3, frames, list);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static const AudioComponent component = TestPlugComponent();
  AudioUnit unit = nullptr;
  if (AudioComponentInstanceNew(component, &unit) != noErr)
    return 0;

  Reader in(data, size);
  for (int op = 0; op < 48 && in.More(); ++op)
  {
    switch (in.Byte() % 6)
    {
      case 0:
      {
        const AudioUnitPropertyID prop = kPlainWrites[in.Byte() % std::size(kPlainWrites)];
        const AudioUnitScope scope = in.Byte() % 5;
        const AudioUnitElement elem = in.Byte() % 3;
        std::vector<uint8_t> bytes(in.Byte() % 48);
        in.Fill(bytes.data(), bytes.size());
        if (prop == kAudioUnitProperty_MaximumFramesPerSlice && bytes.size() >= 4)
        {
          // At most 4095 frames, more than any render here asks for: each resize of larger scratch
          // buffers costs the fuzzer milliseconds of page faults and finds nothing new.
          bytes[1] &= 0x0F;
          bytes[2] = bytes[3] = 0;
        }
        if ((prop == kAudioUnitProperty_PresentPreset || prop == kAudioUnitProperty_CurrentPreset) &&
            bytes.size() >= 16)
          std::memset(bytes.data() + 8, 0, 8); // the name pointer is not read
        AudioUnitSetProperty(unit, prop, scope, elem, bytes.empty() ? nullptr : bytes.data(),
                             static_cast<UInt32>(bytes.size()));
        break;
      }
      case 1:
      {
        const AudioUnitPropertyID prop = kPlainReads[in.Byte() % std::size(kPlainReads)];
        const AudioUnitScope scope = in.Byte() % 5;
        const AudioUnitElement elem = in.Byte() % 3;
        UInt32 capacity = in.Byte() % 64;
        std::vector<uint8_t> bytes(capacity);
        AudioUnitGetProperty(unit, prop, scope, elem, capacity ? bytes.data() : nullptr, &capacity);
        UInt32 infoSize = 0;
        Boolean writable = false;
        AudioUnitGetPropertyInfo(unit, prop, scope, elem, &infoSize, &writable);
        break;
      }
      case 2: Render(unit, in); break;
      case 3:
      {
        AURenderCallbackStruct callback{in.Byte() % 2 ? Silence : nullptr, nullptr};
        AudioUnitSetProperty(unit, kAudioUnitProperty_SetRenderCallback, in.Byte() % 3, in.Byte() % 2, &callback,
                             sizeof(callback));
        break;
      }
      case 4:
      {
        const AudioUnitParameterID id = in.Byte() % 8;
        const AudioUnitScope scope = in.Byte() % 2;
        float value;
        const uint32_t bits = in.U32();
        std::memcpy(&value, &bits, sizeof(value));
        AudioUnitSetParameter(unit, id, scope, 0, value, 0);
        AudioUnitGetParameter(unit, id, scope, 0, &value);
        break;
      }
      default:
        if (in.Byte() % 2)
          AudioUnitInitialize(unit);
        else
          AudioUnitUninitialize(unit);
        break;
    }
  }
  AudioComponentInstanceDispose(unit);
  return 0;
}
