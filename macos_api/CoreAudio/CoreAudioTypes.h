// Core Audio data types: stream formats, buffers, time stamps and channel
// layouts, with the platform's field order, sizes and constant values.
#pragma once

#include <MacTypes.h>

#ifdef __cplusplus
extern "C" {
#endif

enum
{
  kAudio_UnimplementedError = -4,
  kAudio_FileNotFoundError = -43,
  kAudio_FilePermissionError = -54,
  kAudio_TooManyFilesOpenError = -42,
  kAudio_BadFilePathError = 0x21707468, // '!pth'
  kAudio_ParamError = -50,
  kAudio_MemFullError = -108
};

typedef Float32 AudioSampleType;
typedef Float32 AudioUnitSampleType;

typedef UInt32 AudioFormatID;
typedef UInt32 AudioFormatFlags;

typedef struct AudioStreamBasicDescription
{
  Float64 mSampleRate;
  AudioFormatID mFormatID;
  AudioFormatFlags mFormatFlags;
  UInt32 mBytesPerPacket;
  UInt32 mFramesPerPacket;
  UInt32 mBytesPerFrame;
  UInt32 mChannelsPerFrame;
  UInt32 mBitsPerChannel;
  UInt32 mReserved;
} AudioStreamBasicDescription;

#define kAudioStreamAnyRate 0.0

enum
{
  kAudioFormatLinearPCM = 0x6C70636D,           // 'lpcm'
  kAudioFormatAC3 = 0x61632D33,                 // 'ac-3'
  kAudioFormatAppleIMA4 = 0x696D6134,           // 'ima4'
  kAudioFormatMPEG4AAC = 0x61616320,            // 'aac '
  kAudioFormatMPEGLayer3 = 0x2E6D7033,          // '.mp3'
  kAudioFormatAppleLossless = 0x616C6163,       // 'alac'
  kAudioFormatFLAC = 0x666C6163,                // 'flac'
  kAudioFormatMIDIStream = 0x6D696469,          // 'midi'
  kAudioFormatParameterValueStream = 0x61707673 // 'apvs'
};

enum
{
  kAudioFormatFlagIsFloat = (1U << 0),
  kAudioFormatFlagIsBigEndian = (1U << 1),
  kAudioFormatFlagIsSignedInteger = (1U << 2),
  kAudioFormatFlagIsPacked = (1U << 3),
  kAudioFormatFlagIsAlignedHigh = (1U << 4),
  kAudioFormatFlagIsNonInterleaved = (1U << 5),
  kAudioFormatFlagIsNonMixable = (1U << 6),
  kAudioFormatFlagsAreAllClear = 0x80000000,

  kLinearPCMFormatFlagIsFloat = kAudioFormatFlagIsFloat,
  kLinearPCMFormatFlagIsBigEndian = kAudioFormatFlagIsBigEndian,
  kLinearPCMFormatFlagIsSignedInteger = kAudioFormatFlagIsSignedInteger,
  kLinearPCMFormatFlagIsPacked = kAudioFormatFlagIsPacked,
  kLinearPCMFormatFlagIsAlignedHigh = kAudioFormatFlagIsAlignedHigh,
  kLinearPCMFormatFlagIsNonInterleaved = kAudioFormatFlagIsNonInterleaved,
  kLinearPCMFormatFlagIsNonMixable = kAudioFormatFlagIsNonMixable,
  kLinearPCMFormatFlagsSampleFractionShift = 7,
  kLinearPCMFormatFlagsSampleFractionMask = (0x3F << kLinearPCMFormatFlagsSampleFractionShift),
  kLinearPCMFormatFlagsAreAllClear = kAudioFormatFlagsAreAllClear,

  kAudioFormatFlagsNativeEndian = 0,
  kAudioFormatFlagsNativeFloatPacked =
    kAudioFormatFlagIsFloat | kAudioFormatFlagsNativeEndian | kAudioFormatFlagIsPacked,
  kAudioFormatFlagsCanonical = kAudioFormatFlagIsFloat | kAudioFormatFlagsNativeEndian | kAudioFormatFlagIsPacked,
  kAudioFormatFlagsAudioUnitCanonical = kAudioFormatFlagIsFloat | kAudioFormatFlagsNativeEndian |
                                        kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved
};

typedef struct AudioStreamPacketDescription
{
  SInt64 mStartOffset;
  UInt32 mVariableFramesInPacket;
  UInt32 mDataByteSize;
} AudioStreamPacketDescription;

typedef struct AudioBuffer
{
  UInt32 mNumberChannels;
  UInt32 mDataByteSize;
  void* mData;
} AudioBuffer;

// Variable length: mNumberBuffers entries follow.
typedef struct AudioBufferList
{
  UInt32 mNumberBuffers;
  AudioBuffer mBuffers[1];
} AudioBufferList;

typedef UInt32 SMPTETimeType;
enum
{
  kSMPTETimeType24 = 0,
  kSMPTETimeType25 = 1,
  kSMPTETimeType30Drop = 2,
  kSMPTETimeType30 = 3,
  kSMPTETimeType2997 = 4,
  kSMPTETimeType2997Drop = 5,
  kSMPTETimeType60 = 6,
  kSMPTETimeType5994 = 7,
  kSMPTETimeType60Drop = 8,
  kSMPTETimeType5994Drop = 9,
  kSMPTETimeType50 = 10,
  kSMPTETimeType2398 = 11
};

typedef UInt32 SMPTETimeFlags;
enum
{
  kSMPTETimeUnknown = 0,
  kSMPTETimeValid = (1U << 0),
  kSMPTETimeRunning = (1U << 1)
};

typedef struct SMPTETime
{
  SInt16 mSubframes;
  SInt16 mSubframeDivisor;
  UInt32 mCounter;
  SMPTETimeType mType;
  SMPTETimeFlags mFlags;
  SInt16 mHours;
  SInt16 mMinutes;
  SInt16 mSeconds;
  SInt16 mFrames;
} SMPTETime;

typedef UInt32 AudioTimeStampFlags;
enum
{
  kAudioTimeStampNothingValid = 0,
  kAudioTimeStampSampleTimeValid = (1U << 0),
  kAudioTimeStampHostTimeValid = (1U << 1),
  kAudioTimeStampRateScalarValid = (1U << 2),
  kAudioTimeStampWordClockTimeValid = (1U << 3),
  kAudioTimeStampSMPTETimeValid = (1U << 4),
  kAudioTimeStampSampleHostTimeValid = (kAudioTimeStampSampleTimeValid | kAudioTimeStampHostTimeValid)
};

typedef struct AudioTimeStamp
{
  Float64 mSampleTime;
  UInt64 mHostTime;
  Float64 mRateScalar;
  UInt64 mWordClockTime;
  SMPTETime mSMPTETime;
  AudioTimeStampFlags mFlags;
  UInt32 mReserved;
} AudioTimeStamp;

typedef struct AudioClassDescription
{
  OSType mType;
  OSType mSubType;
  OSType mManufacturer;
} AudioClassDescription;

// Channel layouts.
typedef UInt32 AudioChannelLabel;
typedef UInt32 AudioChannelLayoutTag;
typedef UInt32 AudioChannelBitmap;
typedef UInt32 AudioChannelFlags;

enum
{
  kAudioChannelLabel_Unknown = 0xFFFFFFFF,
  kAudioChannelLabel_Unused = 0,
  kAudioChannelLabel_UseCoordinates = 100,
  kAudioChannelLabel_Left = 1,
  kAudioChannelLabel_Right = 2,
  kAudioChannelLabel_Center = 3,
  kAudioChannelLabel_LFEScreen = 4,
  kAudioChannelLabel_LeftSurround = 5,
  kAudioChannelLabel_RightSurround = 6,
  kAudioChannelLabel_LeftCenter = 7,
  kAudioChannelLabel_RightCenter = 8,
  kAudioChannelLabel_CenterSurround = 9,
  kAudioChannelLabel_LeftSurroundDirect = 10,
  kAudioChannelLabel_RightSurroundDirect = 11,
  kAudioChannelLabel_Mono = 42,
  kAudioChannelLabel_Discrete = (16U << 16)
};

enum
{
  kAudioChannelBit_Left = (1U << 0),
  kAudioChannelBit_Right = (1U << 1),
  kAudioChannelBit_Center = (1U << 2),
  kAudioChannelBit_LFEScreen = (1U << 3),
  kAudioChannelBit_LeftSurround = (1U << 4),
  kAudioChannelBit_RightSurround = (1U << 5)
};

enum
{
  kAudioChannelFlags_AllOff = 0,
  kAudioChannelFlags_RectangularCoordinates = (1U << 0),
  kAudioChannelFlags_SphericalCoordinates = (1U << 1),
  kAudioChannelFlags_Meters = (1U << 2)
};

// A tag is (layout number << 16) | channel count.
enum
{
  kAudioChannelLayoutTag_UseChannelDescriptions = (0U << 16) | 0,
  kAudioChannelLayoutTag_UseChannelBitmap = (1U << 16) | 0,
  kAudioChannelLayoutTag_Mono = (100U << 16) | 1,
  kAudioChannelLayoutTag_Stereo = (101U << 16) | 2,
  kAudioChannelLayoutTag_StereoHeadphones = (102U << 16) | 2,
  kAudioChannelLayoutTag_MatrixStereo = (103U << 16) | 2,
  kAudioChannelLayoutTag_MidSide = (104U << 16) | 2,
  kAudioChannelLayoutTag_XY = (105U << 16) | 2,
  kAudioChannelLayoutTag_Binaural = (106U << 16) | 2,
  kAudioChannelLayoutTag_Ambisonic_B_Format = (107U << 16) | 4,
  kAudioChannelLayoutTag_Quadraphonic = (108U << 16) | 4,
  kAudioChannelLayoutTag_Pentagonal = (109U << 16) | 5,
  kAudioChannelLayoutTag_Hexagonal = (110U << 16) | 6,
  kAudioChannelLayoutTag_Octagonal = (111U << 16) | 8,
  kAudioChannelLayoutTag_Cube = (112U << 16) | 8,
  kAudioChannelLayoutTag_MPEG_1_0 = kAudioChannelLayoutTag_Mono,
  kAudioChannelLayoutTag_MPEG_2_0 = kAudioChannelLayoutTag_Stereo,
  kAudioChannelLayoutTag_MPEG_3_0_A = (113U << 16) | 3,
  kAudioChannelLayoutTag_MPEG_3_0_B = (114U << 16) | 3,
  kAudioChannelLayoutTag_MPEG_4_0_A = (115U << 16) | 4,
  kAudioChannelLayoutTag_MPEG_4_0_B = (116U << 16) | 4,
  kAudioChannelLayoutTag_MPEG_5_0_A = (117U << 16) | 5,
  kAudioChannelLayoutTag_MPEG_5_0_B = (118U << 16) | 5,
  kAudioChannelLayoutTag_MPEG_5_0_C = (119U << 16) | 5,
  kAudioChannelLayoutTag_MPEG_5_0_D = (120U << 16) | 5,
  kAudioChannelLayoutTag_MPEG_5_1_A = (121U << 16) | 6,
  kAudioChannelLayoutTag_MPEG_5_1_B = (122U << 16) | 6,
  kAudioChannelLayoutTag_MPEG_5_1_C = (123U << 16) | 6,
  kAudioChannelLayoutTag_MPEG_5_1_D = (124U << 16) | 6,
  kAudioChannelLayoutTag_MPEG_6_1_A = (125U << 16) | 7,
  kAudioChannelLayoutTag_MPEG_7_1_A = (126U << 16) | 8,
  kAudioChannelLayoutTag_MPEG_7_1_B = (127U << 16) | 8,
  kAudioChannelLayoutTag_MPEG_7_1_C = (128U << 16) | 8,
  kAudioChannelLayoutTag_Emagic_Default_7_1 = (129U << 16) | 8,
  kAudioChannelLayoutTag_SMPTE_DTV = (130U << 16) | 8,
  kAudioChannelLayoutTag_AudioUnit_4 = kAudioChannelLayoutTag_Quadraphonic,
  kAudioChannelLayoutTag_AudioUnit_5 = kAudioChannelLayoutTag_Pentagonal,
  kAudioChannelLayoutTag_AudioUnit_6 = kAudioChannelLayoutTag_Hexagonal,
  kAudioChannelLayoutTag_AudioUnit_8 = kAudioChannelLayoutTag_Octagonal,
  kAudioChannelLayoutTag_AudioUnit_5_0 = kAudioChannelLayoutTag_MPEG_5_0_B,
  kAudioChannelLayoutTag_AudioUnit_6_0 = (139U << 16) | 6,
  kAudioChannelLayoutTag_AudioUnit_7_0 = (140U << 16) | 7,
  kAudioChannelLayoutTag_AudioUnit_7_0_Front = (148U << 16) | 7,
  kAudioChannelLayoutTag_AudioUnit_5_1 = kAudioChannelLayoutTag_MPEG_5_1_A,
  kAudioChannelLayoutTag_AudioUnit_6_1 = kAudioChannelLayoutTag_MPEG_6_1_A,
  kAudioChannelLayoutTag_AudioUnit_7_1 = kAudioChannelLayoutTag_MPEG_7_1_C,
  kAudioChannelLayoutTag_AudioUnit_7_1_Front = kAudioChannelLayoutTag_MPEG_7_1_A,
  kAudioChannelLayoutTag_DiscreteInOrder = (147U << 16) | 0,
  kAudioChannelLayoutTag_HOA_ACN_SN3D = (190U << 16) | 0,
  kAudioChannelLayoutTag_HOA_ACN_N3D = (191U << 16) | 0,
  kAudioChannelLayoutTag_Atmos_7_1_4 = (192U << 16) | 12,
  kAudioChannelLayoutTag_Atmos_9_1_6 = (193U << 16) | 16,
  kAudioChannelLayoutTag_Atmos_5_1_2 = (194U << 16) | 8,
  kAudioChannelLayoutTag_Atmos_7_1_2 = (196U << 16) | 10,
  kAudioChannelLayoutTag_Unknown = 0xFFFF0000
};

typedef struct AudioChannelDescription
{
  AudioChannelLabel mChannelLabel;
  AudioChannelFlags mChannelFlags;
  Float32 mCoordinates[3];
} AudioChannelDescription;

// Variable length: mNumberChannelDescriptions entries follow.
typedef struct AudioChannelLayout
{
  AudioChannelLayoutTag mChannelLayoutTag;
  AudioChannelBitmap mChannelBitmap;
  UInt32 mNumberChannelDescriptions;
  AudioChannelDescription mChannelDescriptions[1];
} AudioChannelLayout;

static inline UInt32 AudioChannelLayoutTag_GetNumberOfChannels(AudioChannelLayoutTag inLayoutTag)
{
  return (UInt32)(inLayoutTag & 0x0000FFFF);
}

#ifdef __cplusplus
}

static_assert(sizeof(AudioStreamBasicDescription) == 40, "AudioStreamBasicDescription is 40 bytes");
static_assert(sizeof(AudioBuffer) == 16, "AudioBuffer is 16 bytes");
static_assert(sizeof(AudioBufferList) == 24, "AudioBufferList header with one buffer is 24 bytes");
static_assert(sizeof(SMPTETime) == 24, "SMPTETime is 24 bytes");
static_assert(sizeof(AudioTimeStamp) == 64, "AudioTimeStamp is 64 bytes");
static_assert(sizeof(AudioChannelDescription) == 20, "AudioChannelDescription is 20 bytes");
static_assert(sizeof(AudioChannelLayout) == 32, "AudioChannelLayout with one description is 32 bytes");
#endif
