#include "graphics/IFontData.h"

#include "graphics/GlyphTableCheck.h"

#include <utility>

namespace iplug::igraphics {
namespace {

uint32_t Tag(const char (&t)[5])
{
  return (uint32_t(uint8_t(t[0])) << 24) | (uint32_t(uint8_t(t[1])) << 16) | (uint32_t(uint8_t(t[2])) << 8) |
         uint32_t(uint8_t(t[3]));
}

// Big-endian reads; every caller checks the range first.
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
uint32_t U32(const uint8_t* p)
{
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

bool InRange(size_t size, uint64_t offset, uint64_t length) { return offset <= size && length <= size - offset; }

constexpr uint32_t kHeadMagic = 0x5F0F3CF5;
constexpr size_t kHeadSize = 54;
constexpr size_t kHheaSize = 36;
constexpr size_t kNameHeaderSize = 6;

} // namespace

IFontData::IFontData(std::vector<uint8_t> bytes, int faceIdx) : mBytes(std::move(bytes))
{
  if (faceIdx >= 0 && ReadTableDirectory(mBytes.data(), mBytes.size(), faceIdx, mInfo) &&
      !FindGlyphTableFault(mBytes.data(), mBytes.size(), mInfo.mDirectoryLocation))
    mFaceIdx = faceIdx;
}

bool IFontData::IsValid() const
{
  return !mBytes.empty() && mFaceIdx >= 0 && mInfo.mHeadLocation && mInfo.mNameLocation && mInfo.mHheaLocation;
}

bool IFontData::ReadTableDirectory(const uint8_t* data, size_t size, int faceIdx, IFontInfo& info)
{
  info = IFontInfo();
  if (!data || faceIdx < 0 || !InRange(size, 0, 12))
    return false;

  uint64_t directory = 0;
  if (U32(data) == Tag("ttcf"))
  {
    const uint32_t nFonts = U32(data + 8);
    if (static_cast<uint32_t>(faceIdx) >= nFonts || !InRange(size, 12 + 4ull * faceIdx, 4))
      return false;
    directory = U32(data + 12 + 4 * faceIdx);
  }
  else if (faceIdx != 0)
    return false;

  if (!InRange(size, directory, 12))
    return false;
  const uint32_t version = U32(data + directory);
  if (version != 0x00010000 && version != Tag("OTTO") && version != Tag("true"))
    return false;
  const uint16_t nTables = U16(data + directory + 4);
  const uint64_t records = directory + 12;
  if (!InRange(size, records, 16ull * nTables))
    return false;
  info.mDirectoryLocation = static_cast<uint32_t>(directory);

  bool seenHead = false, seenName = false, seenHhea = false, seenFdsc = false;
  for (uint16_t i = 0; i < nTables; ++i)
  {
    const uint8_t* record = data + records + 16ull * i;
    const uint32_t tag = U32(record);
    const uint32_t offset = U32(record + 8);
    const uint32_t length = U32(record + 12);
    // The font renderer reads every table the directory names, so one past the end
    // makes the whole file unusable, not just that table.
    if (!InRange(size, offset, length))
      return false;
    // The renderer takes the first table of a tag: a later one must not stand in for it.
    if (tag == Tag("head") && !std::exchange(seenHead, true))
    {
      if (length < kHeadSize || U32(data + offset + 12) != kHeadMagic)
        return false;
      info.mHeadLocation = offset;
      info.mUnitsPerEm = U16(data + offset + 18);
    }
    else if (tag == Tag("name") && !std::exchange(seenName, true))
    {
      if (length < kNameHeaderSize)
        return false;
      info.mNameLocation = offset;
    }
    else if (tag == Tag("hhea") && !std::exchange(seenHhea, true))
    {
      if (length < kHheaSize)
        return false;
      info.mHheaLocation = offset;
      info.mAscender = static_cast<int16_t>(U16(data + offset + 4));
      info.mDescender = static_cast<int16_t>(U16(data + offset + 6));
    }
    else if (tag == Tag("fdsc") && !std::exchange(seenFdsc, true))
      info.mFdscLocation = offset;
  }
  // Offset 0 is the directory itself, never a table: it doubles as "absent".
  return info.mHeadLocation && info.mNameLocation && info.mHheaLocation && info.mUnitsPerEm > 0;
}

} // namespace iplug::igraphics
