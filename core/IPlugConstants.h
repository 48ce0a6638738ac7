#pragma once
// Enumerations and fixed limits shared by the plug-in core, the format
// adapters and the editor.

#include <cstdint>

namespace iplug {
/** Text limits, including the terminating NUL. */
inline constexpr int MAX_PARAM_NAME_LEN = 32;
inline constexpr int MAX_PARAM_LABEL_LEN = 32;
inline constexpr int MAX_PARAM_GROUP_LEN = 32;
inline constexpr int MAX_PARAM_DISPLAY_LEN = 32;
inline constexpr int MAX_CHAN_NAME_LEN = 32;
inline constexpr int MAX_PRESET_NAME_LEN = 256;
inline constexpr int MAX_HOST_NAME_LEN = 256;
inline constexpr int MAX_BUS_NAME_LEN = 32;

inline constexpr int kNoParameter = -1;
inline constexpr int kNoTag = -1;

/** Channel count of a bus that accepts any number of channels. */
inline constexpr int kWildcardChannels = -64;

/** Size of the SysEx payload carried through the fixed-size queues. */
inline constexpr int kSysExDataSize = 512;

/** Where a parameter change came from. */
enum EParamSource : int32_t
{
  kReset = 0,
  kHost = 1,
  kPresetRecall = 2,
  kUI = 3,
  kDelegate = 4,
};

/** Direction of a bus or channel. */
enum ERoute : int32_t
{
  kInput = 0,
  kOutput = 1,
};

/** Plug-in format the object is built for. */
enum EAPI : int32_t
{
  kAPIVST2 = 0,
  kAPIVST3 = 1,
  kAPIAU = 2,
  kAPIAUv3 = 3,
  kAPIAAX = 4,
  kAPIAPP = 5,
  kAPIWAM = 6,
  kAPIWEB = 7,
  kAPILV2 = 8,
};

/** What kind of plug-in this is, reported to the host. */
enum EIPlugPluginType : int32_t
{
  kEffect = 0,
  kInstrument = 1,
  kMIDIEffect = 2,
};

/** Host numbers assigned by host identification; the values are stable. */
enum EHost : int32_t
{
  kHostUninit = -1,
  kHostUnknown = 0,
  kHostReaper = 1,
  kHostProTools = 2,
  kHostCubase = 3,
  kHostNuendo = 4,
  kHostSonar = 5,
  kHostVegas = 6,
  kHostFL = 7,
  kHostSamplitude = 8,
  kHostAbletonLive = 9,
  kHostTracktion = 10,
  kHostNTracks = 11,
  kHostMelodyneStudio = 12,
  kHostVSTScanner = 13,
  kHostAULab = 14,
  kHostForte = 15,
  kHostChainer = 16,
  kHostAudition = 17,
  kHostOrion = 18,
  kHostBias = 19,
  kHostSAWStudio = 20,
  kHostLogic = 21,
  kHostGarageBand = 22,
  kHostDigitalPerformer = 23,
  kHostStandalone = 24,
  kHostAudioMulch = 25,
  kHostStudioOne = 26,
  kHostVST3TestHost = 27,
  kHostArdour = 28,
  kHostRenoise = 29,
  kHostOpenMPT = 30,
  kHostWaveLab = 31,
  kHostWaveLabElements = 32,
  kHostTwistedWave = 33,
  kHostBitwig = 34,
  kHostWWW = 35,
  kHostReason = 36,
  kHostGoldWave5x = 37,
  kHostWaveform = 38,
  kHostAudacity = 39,
  kHostAcoustica = 40,
  kHostPluginDoctor = 41,
  kHostiZotopeRX = 42,
  kHostSAVIHost = 43,
  kHostBlueCat = 44,
  kHostMixbus = 45,
};
} // namespace iplug
