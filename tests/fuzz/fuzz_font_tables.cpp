// Font file bytes through the table directory reader, for every face index a
// collection header could name.

#include <cstdint>
#include <vector>

#include "graphics/IFontData.h"

using namespace iplug::igraphics;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  // The bytes are copied so that reads past the end land outside the allocation.
  const std::vector<uint8_t> bytes(data, data + size);
  for (int face = -1; face < 3; ++face)
  {
    IFontInfo info;
    const bool valid = IFontData::ReadTableDirectory(bytes.data(), bytes.size(), face, info);
    if (valid && (info.mHeadLocation >= size || info.mNameLocation >= size || info.mHheaLocation >= size))
      __builtin_trap();
    if (IFontData(bytes, face).IsValid() != valid)
      __builtin_trap();
  }
  return 0;
}
