// MIDI packet lists: time-stamped MIDI bytes packed one packet after another
// in a caller-provided buffer.
#pragma once

#include <MacTypes.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef UInt64 MIDITimeStamp;

enum
{
  kMIDIInvalidClient = -10830,
  kMIDIInvalidPort = -10831,
  kMIDIWrongEndpointType = -10832,
  kMIDINoConnection = -10833,
  kMIDIUnknownEndpoint = -10834,
  kMIDIUnknownProperty = -10835,
  kMIDIWrongPropertyType = -10836,
  kMIDINoCurrentSetup = -10837,
  kMIDIMessageSendErr = -10838,
  kMIDIServerStartErr = -10839,
  kMIDISetupFormatErr = -10840,
  kMIDIWrongThread = -10841,
  kMIDIObjectNotFound = -10842,
  kMIDIIDNotUnique = -10843,
  kMIDINotPermitted = -10844,
  kMIDIUnknownError = -10845
};

#pragma pack(push, 4)
// data is declared with 256 bytes but a packet holds `length` bytes, up to
// 65535, as far as the list's buffer reaches.
typedef struct MIDIPacket
{
  MIDITimeStamp timeStamp;
  UInt16 length;
  Byte data[256];
} MIDIPacket;

typedef struct MIDIPacketList
{
  UInt32 numPackets;
  MIDIPacket packet[1];
} MIDIPacketList;
#pragma pack(pop)

// The packet after pkt: packets start on 4-byte boundaries.
static inline MIDIPacket* MIDIPacketNext(const MIDIPacket* pkt)
{
  const uintptr_t end = (uintptr_t)&pkt->data[pkt->length];
  return (MIDIPacket*)((end + 3) & ~(uintptr_t)3);
}

// Empties the list; returns its first packet, the curPacket of the first add.
extern __attribute__((visibility("default"))) MIDIPacket* MIDIPacketListInit(MIDIPacketList* pktlist);

// Adds nData bytes at time. When curPacket is the list's last packet, has
// the same time stamp, and neither it nor the new bytes are SysEx (0xF0),
// the bytes are appended to it; otherwise they start a new packet after it.
// listSize is the size of the whole buffer holding the list. Returns the
// packet that now holds the bytes, or NULL when the buffer is too small (the
// list is then unchanged) or the arguments are invalid.
extern __attribute__((visibility("default"))) MIDIPacket* MIDIPacketListAdd(MIDIPacketList* pktlist, ByteCount listSize,
                                                                            MIDIPacket* curPacket, MIDITimeStamp time,
                                                                            ByteCount nData, const Byte* data);

#ifdef __cplusplus
}

static_assert(sizeof(MIDIPacket) == 268, "MIDIPacket is 268 bytes (4-byte packing)");
static_assert(sizeof(MIDIPacketList) == 272, "MIDIPacketList with one packet is 272 bytes");
#endif
