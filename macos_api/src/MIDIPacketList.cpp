// MIDI packet lists.
#include <CoreMIDI/MIDIServices.h>

#include <cstddef>
#include <cstring>

MIDIPacket* MIDIPacketListInit(MIDIPacketList* pktlist)
{
  if (!pktlist)
    return nullptr;
  pktlist->numPackets = 0;
  return &pktlist->packet[0];
}

MIDIPacket* MIDIPacketListAdd(MIDIPacketList* pktlist, ByteCount listSize, MIDIPacket* curPacket, MIDITimeStamp time,
                              ByteCount nData, const Byte* data)
{
  if (!pktlist || !curPacket || !data || nData == 0 || nData > 0xFFFF)
    return nullptr;
  auto* base = reinterpret_cast<Byte*>(pktlist);
  auto* cur = reinterpret_cast<Byte*>(curPacket);
  const Byte* end = base + listSize;
  constexpr size_t kHeader = offsetof(MIDIPacket, data);
  if (cur < reinterpret_cast<Byte*>(&pktlist->packet[0]) || cur + kHeader > end)
    return nullptr;

  if (pktlist->numPackets > 0)
  {
    // Same time, and neither side SysEx: the bytes join the current packet.
    const size_t curLength = curPacket->length;
    if (curPacket->timeStamp == time && curLength > 0 && curPacket->data[0] != 0xF0 && data[0] != 0xF0 &&
        curLength + nData <= 0xFFFF)
    {
      if (cur + kHeader + curLength + nData > end)
        return nullptr;
      std::memcpy(&curPacket->data[curLength], data, nData);
      curPacket->length = static_cast<UInt16>(curLength + nData);
      return curPacket;
    }
    if (cur + kHeader + curLength > end)
      return nullptr;
  }

  MIDIPacket* packet = pktlist->numPackets == 0 ? curPacket : MIDIPacketNext(curPacket);
  auto* at = reinterpret_cast<Byte*>(packet);
  if (at + kHeader > end || static_cast<size_t>(end - at - kHeader) < nData)
    return nullptr;
  packet->timeStamp = time;
  packet->length = static_cast<UInt16>(nData);
  std::memcpy(packet->data, data, nData);
  ++pktlist->numPackets;
  return packet;
}
