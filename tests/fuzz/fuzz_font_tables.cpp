// Font file bytes through the table directory reader and the glyph table
// check, for every face index a collection header could name; every face
// that passes then goes through the text rasteriser as the drawing backend
// runs it: glyph lookup, metrics, kerning and rasterising.

#include <cstdint>
#include <vector>

#include "FontRasteriser.h"
#include "graphics/IFontData.h"

using namespace iplug::igraphics;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  // The bytes are copied so that reads past the end land outside the allocation.
  const std::vector<uint8_t> bytes(data, data + size);
  for (int face = -1; face < 3; ++face)
  {
    IFontInfo info;
    const bool directory = IFontData::ReadTableDirectory(bytes.data(), bytes.size(), face, info);
    if (directory && (info.mHeadLocation >= size || info.mNameLocation >= size || info.mHheaLocation >= size))
      __builtin_trap();
    const IFontData font(bytes, face);
    if (font.IsValid() && !directory)
      __builtin_trap();
    if (font.IsValid())
      corvane_fuzz::DriveRasteriser(font.Get(), static_cast<size_t>(font.GetSize()), face);
  }
  return 0;
}
