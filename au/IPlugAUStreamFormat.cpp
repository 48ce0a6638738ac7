// Stream formats: the format each bus offers, and the checks a host's format
// passes before a bus takes its channel count.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "au/IPlugAU.h"

namespace iplug {
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
