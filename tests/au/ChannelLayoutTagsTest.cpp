#include <gtest/gtest.h>

#include "au/AUChannelLayoutTags.h"

#include <vector>

// Hosts match these numbers, not names: each count's tags as published.
TEST(ChannelLayoutTags, EachChannelCountGivesThePublishedTagValues)
{
  const std::vector<std::pair<int, std::vector<UInt32>>> table = {
    {0, {0}},
    {1, {0x640001}},
    {2, {0x650002}},
    {3, {0x710003}},
    {4, {0x6C0004, 0x6B0004, 0xBE0004}},
    {5, {0x760005}},
    {6, {0x790006, 0x8B0006}},
    {7, {0x7D0007, 0x8C0007, 0x7E0008}},
    {8, {0x800008, 0x7E0008}},
    {9, {0xBE0009}},
    {10, {0xC4000A}},
    {11, {0x93000B}},
    {12, {0xC0000C}},
    {16, {0xBE0010}},
  };
  for (const auto& [channels, tags] : table)
    EXPECT_EQ(iplug::LayoutTagsForChannelCount(channels), tags) << channels << " channels";
}
