// Binary compatibility, checked when the tests compile: field offsets that
// saved data and hosts rely on, and four-character constants checked against
// their text so that a typo in a hexadecimal value cannot slip through.
#include <AudioToolbox/AudioToolbox.h>
#include <CoreMIDI/CoreMIDI.h>
#include <CoreServices/CoreServices.h>

#include <bit>
#include <cstddef>

#include "core/MakeFourCC.h"

namespace {
constexpr UInt32 FourCC(const char (&text)[5]) { return static_cast<UInt32>(iplug::MakeFourCC(text)); }

static_assert(offsetof(AudioUnitParameterInfo, unitName) == 56);
static_assert(offsetof(AudioUnitParameterInfo, clumpID) == 64);
static_assert(offsetof(AudioUnitParameterInfo, cfNameString) == 72);
static_assert(offsetof(AudioUnitParameterInfo, unit) == 80);
static_assert(offsetof(AudioUnitParameterInfo, flags) == 96);
static_assert(offsetof(AudioStreamBasicDescription, mFormatID) == 8);
static_assert(offsetof(AudioStreamBasicDescription, mReserved) == 36);
static_assert(offsetof(AudioTimeStamp, mSMPTETime) == 32);
static_assert(offsetof(AudioTimeStamp, mFlags) == 56);
static_assert(offsetof(AudioBufferList, mBuffers) == 8);
static_assert(offsetof(HostCallbackInfo, transportStateProc2) == 32);
static_assert(offsetof(AudioUnitParameterEvent, eventValues) == 16);
static_assert(offsetof(AudioUnitEvent, mArgument) == 8);
static_assert(offsetof(ComponentParameters, params) == 8);
static_assert(offsetof(MIDIPacketList, packet) == 4);
static_assert(offsetof(MIDIPacket, data) == 10);
static_assert(offsetof(AudioComponentPlugInInterface, Lookup) == 2 * sizeof(void*));

// The packed version reads majorRev in the top byte.
constexpr NumVersion kVersion321 = [] {
  NumVersion v{};
  v.majorRev = 3;
  v.minorAndBugRev = 0x21;
  return v;
}();
static_assert(std::bit_cast<UInt32>(kVersion321) == 0x03210000u);

static_assert(kAudioUnitType_Effect == FourCC("aufx"));
static_assert(kAudioUnitType_MusicEffect == FourCC("aumf"));
static_assert(kAudioUnitType_MusicDevice == FourCC("aumu"));
static_assert(kAudioUnitType_MIDIProcessor == FourCC("aumi"));
static_assert(kAudioUnitType_Output == FourCC("auou"));
static_assert(kAudioUnitType_Generator == FourCC("augn"));
static_assert(kAudioUnitType_Mixer == FourCC("aumx"));
static_assert(kAudioUnitType_Panner == FourCC("aupn"));
static_assert(kAudioUnitType_OfflineEffect == FourCC("auol"));
static_assert(kAudioUnitType_FormatConverter == FourCC("aufc"));
static_assert(kAudioUnitManufacturer_Apple == FourCC("appl"));
static_assert(kAudioFormatLinearPCM == FourCC("lpcm"));
static_assert(kAudioFormatMPEG4AAC == FourCC("aac "));
static_assert(kAudioFormatAppleLossless == FourCC("alac"));
static_assert(kAudioFormatMIDIStream == FourCC("midi"));
static_assert(static_cast<UInt32>(kAudio_BadFilePathError) == FourCC("!pth"));

// Values hosts compare against.
static_assert(badComponentSelector == static_cast<ComponentResult>(0x80008002));
static_assert(badComponentSelector == -2147450878);
static_assert((kAudioUnitParameterFlag_IsWritable | kAudioUnitParameterFlag_IsReadable |
               kAudioUnitParameterFlag_HasCFNameString | kAudioUnitParameterFlag_IsHighResolution |
               kAudioUnitParameterFlag_CFNameRelease) == 0xC8800010u);
static_assert((kAudioFormatFlagsNativeFloatPacked | kAudioFormatFlagIsNonInterleaved) == 0x29u);
static_assert(kAudioChannelLayoutTag_Stereo == 0x650002u);
static_assert(kAudioChannelLayoutTag_AudioUnit_5_0 == 0x760005u);
static_assert(kAudioChannelLayoutTag_Atmos_7_1_2 == 0xC4000Au);
// Higher-order ambisonic tags carry the channel count in their low 16 bits.
static_assert((kAudioChannelLayoutTag_HOA_ACN_SN3D & 0xFFFFu) == 0);
} // namespace
