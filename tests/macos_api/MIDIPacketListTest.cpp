// MIDIPacketListAdd: merging, packet order and buffer limits.
#include <CoreMIDI/CoreMIDI.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

TEST(MIDIPacketList, SameTimeMergesAndSysExStandsAlone)
{
  alignas(8) Byte buffer[1024];
  auto* list = reinterpret_cast<MIDIPacketList*>(buffer);
  MIDIPacket* p = MIDIPacketListInit(list);
  const Byte noteOn[] = {0x90, 60, 100};
  const Byte noteOff[] = {0x80, 60, 0};
  const Byte sysex[] = {0xF0, 0x7E, 0x01, 0xF7};
  p = MIDIPacketListAdd(list, sizeof(buffer), p, 10, 3, noteOn);
  p = MIDIPacketListAdd(list, sizeof(buffer), p, 10, 3, noteOff); // same time: merged
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(list->numPackets, 1u);
  EXPECT_EQ(p->length, 6);
  p = MIDIPacketListAdd(list, sizeof(buffer), p, 10, 4, sysex); // SysEx: its own packet
  p = MIDIPacketListAdd(list, sizeof(buffer), p, 10, 3, noteOn);
  p = MIDIPacketListAdd(list, sizeof(buffer), p, 11, 3, noteOff);
  ASSERT_NE(p, nullptr);
  ASSERT_EQ(list->numPackets, 4u);

  const MIDIPacket* q = &list->packet[0];
  std::vector<std::pair<MIDITimeStamp, int>> seen;
  for (UInt32 i = 0; i < list->numPackets; ++i, q = MIDIPacketNext(q))
  {
    EXPECT_EQ(reinterpret_cast<uintptr_t>(q) % 4, 0u);
    const MIDITimeStamp time = q->timeStamp; // packed field: copied, not bound
    seen.emplace_back(time, q->length);
  }
  EXPECT_EQ(seen, (std::vector<std::pair<MIDITimeStamp, int>>{{10, 6}, {10, 4}, {10, 3}, {11, 3}}));
}

TEST(MIDIPacketList, FullBufferReturnsNullAndKeepsTheList)
{
  const size_t header = offsetof(MIDIPacketList, packet) + offsetof(MIDIPacket, data);
  alignas(8) Byte buffer[64];
  auto* list = reinterpret_cast<MIDIPacketList*>(buffer);
  const Byte msg[] = {0xB0, 7, 100};
  const ByteCount exact = header + 3;
  MIDIPacket* p = MIDIPacketListInit(list);
  EXPECT_EQ(MIDIPacketListAdd(list, exact - 1, p, 0, 3, msg), nullptr);
  EXPECT_EQ(list->numPackets, 0u);
  p = MIDIPacketListAdd(list, exact, p, 0, 3, msg);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(MIDIPacketListAdd(list, exact, p, 0, 3, msg), nullptr);      // no room to merge
  EXPECT_EQ(MIDIPacketListAdd(list, exact + 12, p, 1, 3, msg), nullptr); // no room for an aligned packet
  EXPECT_EQ(list->numPackets, 1u);
  EXPECT_EQ(p->length, 3);

  // Long SysEx fills the buffer up to its last byte.
  std::vector<Byte> sysex(sizeof(buffer) - header, 0x11);
  sysex[0] = 0xF0;
  p = MIDIPacketListInit(list);
  ASSERT_NE(MIDIPacketListAdd(list, sizeof(buffer), p, 0, sysex.size(), sysex.data()), nullptr);
  p = MIDIPacketListInit(list);
  sysex.push_back(0xF7);
  EXPECT_EQ(MIDIPacketListAdd(list, sizeof(buffer), p, 0, sysex.size(), sysex.data()), nullptr);
  EXPECT_EQ(MIDIPacketListAdd(list, sizeof(buffer), p, 0, 0, msg), nullptr);
  EXPECT_EQ(MIDIPacketListAdd(list, sizeof(buffer), nullptr, 0, 3, msg), nullptr);
}
