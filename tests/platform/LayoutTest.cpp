// Binary compatibility: field offsets that saved data and hosts rely on, and
// four-character constants checked against their text so that a typo in a
// hexadecimal value cannot slip through.
#include <AudioToolbox/AudioToolbox.h>
#include <CoreMIDI/CoreMIDI.h>
#include <CoreServices/CoreServices.h>

#include <gtest/gtest.h>

#include <cstddef>

namespace
{
constexpr UInt32 FourCC(const char (&s)[5])
{
  return (UInt32(UInt8(s[0])) << 24) | (UInt32(UInt8(s[1])) << 16) | (UInt32(UInt8(s[2])) << 8) | UInt32(UInt8(s[3]));
}
} // namespace

TEST(Layout, StructureOffsets)
{
  EXPECT_EQ(offsetof(AudioUnitParameterInfo, unitName), 56u);
  EXPECT_EQ(offsetof(AudioUnitParameterInfo, clumpID), 64u);
  EXPECT_EQ(offsetof(AudioUnitParameterInfo, cfNameString), 72u);
  EXPECT_EQ(offsetof(AudioUnitParameterInfo, unit), 80u);
  EXPECT_EQ(offsetof(AudioUnitParameterInfo, flags), 96u);
  EXPECT_EQ(offsetof(AudioStreamBasicDescription, mFormatID), 8u);
  EXPECT_EQ(offsetof(AudioStreamBasicDescription, mReserved), 36u);
  EXPECT_EQ(offsetof(AudioTimeStamp, mSMPTETime), 32u);
  EXPECT_EQ(offsetof(AudioTimeStamp, mFlags), 56u);
  EXPECT_EQ(offsetof(AudioBufferList, mBuffers), 8u);
  EXPECT_EQ(offsetof(HostCallbackInfo, transportStateProc2), 32u);
  EXPECT_EQ(offsetof(AudioUnitParameterEvent, eventValues), 16u);
  EXPECT_EQ(offsetof(AudioUnitEvent, mArgument), 8u);
  EXPECT_EQ(offsetof(ComponentParameters, params), 8u);
  EXPECT_EQ(offsetof(MIDIPacketList, packet), 4u);
  EXPECT_EQ(offsetof(MIDIPacket, data), 10u);
  EXPECT_EQ(offsetof(AudioComponentPlugInInterface, Lookup), 2 * sizeof(void*));
  // The packed version reads majorRev in the top byte.
  NumVersion v = {};
  v.majorRev = 3;
  v.minorAndBugRev = 0x21;
  UInt32 packed;
  std::memcpy(&packed, &v, sizeof(packed));
  EXPECT_EQ(packed, 0x03210000u);
}

TEST(Layout, FourCharacterConstants)
{
  EXPECT_EQ(kAudioUnitType_Effect, FourCC("aufx"));
  EXPECT_EQ(kAudioUnitType_MusicEffect, FourCC("aumf"));
  EXPECT_EQ(kAudioUnitType_MusicDevice, FourCC("aumu"));
  EXPECT_EQ(kAudioUnitType_MIDIProcessor, FourCC("aumi"));
  EXPECT_EQ(kAudioUnitType_Output, FourCC("auou"));
  EXPECT_EQ(kAudioUnitType_Generator, FourCC("augn"));
  EXPECT_EQ(kAudioUnitType_Mixer, FourCC("aumx"));
  EXPECT_EQ(kAudioUnitType_Panner, FourCC("aupn"));
  EXPECT_EQ(kAudioUnitType_OfflineEffect, FourCC("auol"));
  EXPECT_EQ(kAudioUnitType_FormatConverter, FourCC("aufc"));
  EXPECT_EQ(kAudioUnitManufacturer_Apple, FourCC("appl"));
  EXPECT_EQ(kAudioFormatLinearPCM, FourCC("lpcm"));
  EXPECT_EQ(kAudioFormatMPEG4AAC, FourCC("aac "));
  EXPECT_EQ(kAudioFormatAppleLossless, FourCC("alac"));
  EXPECT_EQ(kAudioFormatMIDIStream, FourCC("midi"));
  EXPECT_EQ(static_cast<UInt32>(kAudio_BadFilePathError), FourCC("!pth"));
}

TEST(Layout, ValuesHostsCompareAgainst)
{
  EXPECT_EQ(badComponentSelector, static_cast<ComponentResult>(0x80008002));
  EXPECT_EQ(badComponentSelector, -2147450878);
  EXPECT_EQ(kAudioUnitParameterFlag_IsWritable | kAudioUnitParameterFlag_IsReadable | kAudioUnitParameterFlag_HasCFNameString |
              kAudioUnitParameterFlag_IsHighResolution | kAudioUnitParameterFlag_CFNameRelease,
            0xC8800010u);
  EXPECT_EQ(kAudioFormatFlagsNativeFloatPacked | kAudioFormatFlagIsNonInterleaved, 0x29u);
  EXPECT_EQ(kAudioChannelLayoutTag_Stereo, 0x650002u);
  EXPECT_EQ(kAudioChannelLayoutTag_AudioUnit_5_0, 0x760005u);
  EXPECT_EQ(kAudioChannelLayoutTag_Atmos_7_1_2, 0xC4000Au);
  EXPECT_EQ(AudioChannelLayoutTag_GetNumberOfChannels(kAudioChannelLayoutTag_HOA_ACN_SN3D + 9), 9u);
}
