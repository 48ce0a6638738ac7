#pragma once
// Four-character codes (component types, subtypes, makers) from their text.

#include <cstdint>

namespace iplug {
constexpr int32_t MakeFourCC(const char (&code)[5])
{
  return static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint8_t>(code[0])) << 24) |
                              (static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 16) |
                              (static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 8) |
                              static_cast<uint32_t>(static_cast<uint8_t>(code[3])));
}
static_assert(MakeFourCC("aufx") == 0x61756678);
} // namespace iplug
