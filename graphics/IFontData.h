#pragma once
// A font file's bytes with the face chosen in it and the offsets of the tables
// the drawing backend relies on, read from the OpenType table directory (or a
// collection's directory of directories). Bytes that do not hold a complete
// directory with head, name and hhea tables, and every table inside the file,
// are not valid; nor is a face whose glyph tables the text rasteriser could
// not read safely (GlyphTableCheck.h).

#include <cstdint>
#include <memory>
#include <vector>

namespace iplug::igraphics {

struct IFontInfo
{
  uint32_t mDirectoryLocation = 0; // the face's table directory
  uint32_t mHeadLocation = 0;
  uint32_t mNameLocation = 0;
  uint32_t mHheaLocation = 0;
  uint32_t mFdscLocation = 0;
  uint16_t mUnitsPerEm = 0;
  int16_t mAscender = 0;
  int16_t mDescender = 0;
};

class IFontData
{
public:
  IFontData() = default;
  /** Takes the bytes and reads the directory of face `faceIdx`. */
  IFontData(std::vector<uint8_t> bytes, int faceIdx = 0);

  bool IsValid() const;
  const uint8_t* Get() const { return mBytes.data(); }
  int GetSize() const { return static_cast<int>(mBytes.size()); }
  int GetFaceIdx() const { return mFaceIdx; }
  const IFontInfo& GetInfo() const { return mInfo; }

  /** Reads the table directory of face `faceIdx` from `data`; false when it is incomplete or points
      past the end. Of tables named twice, the first counts, as for the rasteriser. */
  static bool ReadTableDirectory(const uint8_t* data, size_t size, int faceIdx, IFontInfo& info);

private:
  std::vector<uint8_t> mBytes;
  int mFaceIdx = -1;
  IFontInfo mInfo;
};

using IFontDataPtr = std::unique_ptr<IFontData>;

} // namespace iplug::igraphics
