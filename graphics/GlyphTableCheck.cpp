#include "graphics/GlyphTableCheck.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace iplug::igraphics {
namespace {

// Composite glyphs are drawn by recursion, each level holding its components' outlines at once.
constexpr int kMaxComponentDepth = 8;
constexpr uint64_t kMaxGlyphVertices = 1u << 18;
constexpr int kMaxAdvanceLines = 16;

/** Bytes [0, length) of the file, read big-endian; every read is checked with Has first. */
struct View
{
  const uint8_t* data = nullptr;
  uint64_t length = 0;

  bool Has(uint64_t offset, uint64_t count) const { return offset <= length && count <= length - offset; }
  View From(uint64_t offset) const { return {data + offset, length - offset}; }
  View Part(uint64_t offset, uint64_t count) const { return {data + offset, count}; }
  uint8_t U8(uint64_t o) const { return data[o]; }
  int8_t S8(uint64_t o) const { return static_cast<int8_t>(data[o]); }
  uint16_t U16(uint64_t o) const { return static_cast<uint16_t>((data[o] << 8) | data[o + 1]); }
  int16_t S16(uint64_t o) const { return static_cast<int16_t>(U16(o)); }
  uint32_t U32(uint64_t o) const
  {
    return (uint32_t(data[o]) << 24) | (uint32_t(data[o + 1]) << 16) | (uint32_t(data[o + 2]) << 8) | data[o + 3];
  }
};

uint32_t Tag(const char (&t)[5])
{
  return (uint32_t(uint8_t(t[0])) << 24) | (uint32_t(uint8_t(t[1])) << 16) | (uint32_t(uint8_t(t[2])) << 8) |
         uint32_t(uint8_t(t[3]));
}

/** The tables the rasteriser looks up: the first directory record of each tag, as it takes them. */
struct Tables
{
  View cmap, head, hhea, hmtx, loca, glyf, maxp, kern, gpos;
  bool hasCmap = false, hasHead = false, hasHhea = false, hasHmtx = false, hasLoca = false, hasGlyf = false,
       hasMaxp = false, hasKern = false, hasGpos = false;
};

// --- character map -----------------------------------------------------------------------------

/** The subtable the rasteriser picks: the last Unicode one (Microsoft BMP or full, or any of the
    Unicode platform). Its glyph ids must all name glyphs of the font. */
const char* CheckCharacterMap(const View& cmap, uint32_t numGlyphs)
{
  if (!cmap.Has(0, 4))
    return "cmap: header past the end";
  const uint16_t count = cmap.U16(2);
  if (!cmap.Has(4, 8ull * count))
    return "cmap: encoding records past the end";
  bool found = false;
  uint64_t at = 0;
  for (uint16_t i = 0; i < count; ++i)
  {
    const uint64_t record = 4 + 8ull * i;
    const uint16_t platform = cmap.U16(record), encoding = cmap.U16(record + 2);
    if (platform == 0 || (platform == 3 && (encoding == 1 || encoding == 10)))
    {
      found = true;
      at = cmap.U32(record + 4);
    }
  }
  if (!found)
    return "cmap: no Unicode subtable";
  if (!cmap.Has(at, 2))
    return "cmap: subtable offset past the end";
  const View s = cmap.From(at);
  const uint16_t format = s.U16(0);
  uint64_t maxGlyph = 0;
  switch (format)
  {
    case 0:
    {
      if (!s.Has(0, 4))
        return "cmap format 0: header past the end";
      const uint16_t bytes = s.U16(2);
      if (bytes > 6 && !s.Has(6, bytes - 6u))
        return "cmap format 0: glyph ids past the end";
      for (uint32_t c = 0; c + 6 < bytes; ++c)
        maxGlyph = std::max<uint64_t>(maxGlyph, s.U8(6 + c));
      break;
    }
    case 6:
    {
      if (!s.Has(0, 10))
        return "cmap format 6: header past the end";
      const uint16_t entries = s.U16(8);
      if (!s.Has(10, 2ull * entries))
        return "cmap format 6: glyph ids past the end";
      for (uint32_t i = 0; i < entries; ++i)
        maxGlyph = std::max<uint64_t>(maxGlyph, s.U16(10 + 2 * i));
      break;
    }
    case 4:
    {
      if (!s.Has(0, 14))
        return "cmap format 4: header past the end";
      const uint32_t segments = s.U16(6) >> 1;
      if (segments == 0 || !s.Has(14, 8ull * segments + 2))
        return "cmap format 4: segments past the end";
      // The lookup is a binary search steered by these three fields: they must be what the
      // segment count makes them, or it reads beside the segments.
      uint32_t power = 1, exponent = 0;
      while (power * 2 <= segments)
      {
        power *= 2;
        ++exponent;
      }
      if ((s.U16(8) >> 1) != power || s.U16(10) != exponent || (s.U16(12) >> 1) != segments - power)
        return "cmap format 4: search fields do not match the segment count";
      const uint64_t ends = 14, starts = 16 + 2ull * segments, deltas = starts + 2ull * segments,
                     rangeOffsets = deltas + 2ull * segments;
      for (uint32_t k = 0; k + 1 < segments; ++k)
        if (s.U16(ends + 2 * k) > s.U16(ends + 2 * (k + 1)))
          return "cmap format 4: segments out of order";
      if (s.U16(ends + 2 * (segments - 1)) != 0xFFFF)
        return "cmap format 4: the last segment does not end at U+FFFF";
      for (uint32_t k = 0; k < segments; ++k)
      {
        const uint32_t start = s.U16(starts + 2 * k), end = s.U16(ends + 2 * k);
        if (start > end)
          continue; // no character reaches it
        const uint16_t rangeOffset = s.U16(rangeOffsets + 2 * k);
        if (rangeOffset == 0)
        {
          // Character plus delta, modulo 65536.
          const uint32_t low = static_cast<uint16_t>(start + static_cast<uint32_t>(s.S16(deltas + 2 * k)));
          maxGlyph = std::max<uint64_t>(maxGlyph, std::min<uint32_t>(low + (end - start), 0xFFFF));
          continue;
        }
        const uint64_t ids = rangeOffsets + 2ull * k + rangeOffset;
        if (!s.Has(ids, 2ull * (end - start + 1)))
          return "cmap format 4: glyph id array past the end";
        for (uint32_t c = 0; c <= end - start; ++c)
          maxGlyph = std::max<uint64_t>(maxGlyph, s.U16(ids + 2ull * c));
      }
      break;
    }
    case 12:
    case 13:
    {
      if (!s.Has(0, 16))
        return "cmap format 12/13: header past the end";
      const uint32_t groups = s.U32(12);
      if (!s.Has(16, 12ull * groups))
        return "cmap format 12/13: groups past the end";
      for (uint32_t i = 0; i < groups; ++i)
      {
        const uint64_t group = 16 + 12ull * i;
        const uint32_t first = s.U32(group), last = s.U32(group + 4), glyph = s.U32(group + 8);
        if (first > last)
          continue;
        maxGlyph = std::max<uint64_t>(maxGlyph, format == 12 ? uint64_t(glyph) + (last - first) : glyph);
      }
      break;
    }
    default: return "cmap: the Unicode subtable has a format the rasteriser does not read";
  }
  if (maxGlyph >= numGlyphs)
    return "cmap: maps characters to glyphs the font does not have";
  return nullptr;
}

// --- outlines ------------------------------------------------------------------------------------

/** A component of a composite glyph, with its transform as the rasteriser computes it. */
struct Component
{
  uint16_t glyph = 0;
  float matrix[6] = {1, 0, 0, 1, 0, 0};
  float scaleX = 1.f, scaleY = 1.f;
};

/** What drawing one glyph amounts to: the vertices it yields and the box holding their coordinates
    (control points included). */
struct Outline
{
  enum class State
  {
    Unresolved,
    Resolving,
    Done
  };
  State state = State::Done;
  std::vector<Component> components; // a composite until resolved
  uint64_t vertices = 0;
  int height = 0; // composite levels below this glyph
  float minX = 0, minY = 0, maxX = 0, maxY = 0;
};

/** Reads a simple outline (`contours` > 0) as the rasteriser does, within the glyph's bytes. */
const char* ReadSimpleGlyph(const View& g, int contours, Outline& outline)
{
  const uint64_t endPoints = 10;
  if (!g.Has(endPoints, 2ull * contours + 2))
    return "glyf: contour ends past the glyph";
  int previous = -1;
  for (int k = 0; k < contours; ++k)
  {
    const int end = g.U16(endPoints + 2 * k);
    if (end <= previous)
      return "glyf: contour ends out of order";
    previous = end;
  }
  const int points = previous + 1;
  const uint64_t instructions = g.U16(endPoints + 2ull * contours);
  uint64_t at = endPoints + 2ull * contours + 2 + instructions;
  if (!g.Has(at, 0))
    return "glyf: instructions past the glyph";

  std::vector<uint8_t> flags(static_cast<size_t>(points));
  uint8_t flag = 0, repeat = 0;
  for (int i = 0; i < points; ++i)
  {
    if (repeat == 0)
    {
      if (!g.Has(at, 1))
        return "glyf: flags past the glyph";
      flag = g.U8(at++);
      if (flag & 8)
      {
        if (!g.Has(at, 1))
          return "glyf: flags past the glyph";
        repeat = g.U8(at++);
      }
    }
    else
      --repeat;
    flags[static_cast<size_t>(i)] = flag;
  }
  // The rasteriser starts a contour on an off-curve point by looking at the point after it.
  const bool lastContourIsOnePoint =
    contours == 1 ? points == 1 : g.U16(endPoints + 2ull * (contours - 2)) + 2 == points;
  if (lastContourIsOnePoint && !(flags.back() & 1))
    return "glyf: the last contour is a lone off-curve point";

  // Coordinates as the rasteriser keeps them (16-bit), and the box of all vertex coordinates:
  // control points lie among the points, and straight segments carry (0, 0) as theirs.
  int16_t box[4] = {0, 0, 0, 0};
  for (int axis = 0; axis < 2; ++axis)
  {
    const uint8_t shortBit = axis == 0 ? 2 : 4, sameBit = axis == 0 ? 16 : 32;
    int32_t value = 0;
    for (uint8_t f : flags)
    {
      if (f & shortBit)
      {
        if (!g.Has(at, 1))
          return "glyf: coordinates past the glyph";
        const int16_t d = g.U8(at++);
        value += (f & sameBit) ? d : -d;
      }
      else if (!(f & sameBit))
      {
        if (!g.Has(at, 2))
          return "glyf: coordinates past the glyph";
        value += g.S16(at);
        at += 2;
      }
      const int16_t stored = static_cast<int16_t>(value);
      box[axis] = std::min(box[axis], stored);
      box[axis + 2] = std::max(box[axis + 2], stored);
    }
  }
  outline.vertices = static_cast<uint64_t>(points) + 2ull * contours;
  outline.minX = box[0];
  outline.minY = box[1];
  outline.maxX = box[2];
  outline.maxY = box[3];
  return nullptr;
}

/** Reads the components of a composite outline, within the glyph's bytes. */
const char* ReadComposite(const View& g, Outline& outline)
{
  uint64_t at = 10;
  for (bool more = true; more;)
  {
    if (!g.Has(at, 4))
      return "glyf: component past the glyph";
    const uint16_t flags = g.U16(at);
    Component c;
    c.glyph = g.U16(at + 2);
    at += 4;
    float* m = c.matrix;
    if (!(flags & 2))
      return "glyf: a component placed by matching points"; // the rasteriser asserts on these
    if (flags & 1)
    {
      if (!g.Has(at, 4))
        return "glyf: component past the glyph";
      m[4] = g.S16(at);
      m[5] = g.S16(at + 2);
      at += 4;
    }
    else
    {
      if (!g.Has(at, 2))
        return "glyf: component past the glyph";
      m[4] = g.S8(at);
      m[5] = g.S8(at + 1);
      at += 2;
    }
    const int scales = (flags & 8) ? 1 : (flags & 0x40) ? 2 : (flags & 0x80) ? 4 : 0;
    if (!g.Has(at, 2ull * scales))
      return "glyf: component past the glyph";
    if (scales == 1)
      m[0] = m[3] = g.S16(at) / 16384.0f;
    else if (scales == 2)
    {
      m[0] = g.S16(at) / 16384.0f;
      m[3] = g.S16(at + 2) / 16384.0f;
    }
    else if (scales == 4)
      for (int i = 0; i < 4; ++i)
        m[i] = g.S16(at + 2 * i) / 16384.0f;
    at += 2ull * scales;
    c.scaleX = static_cast<float>(std::sqrt(m[0] * m[0] + m[1] * m[1]));
    c.scaleY = static_cast<float>(std::sqrt(m[2] * m[2] + m[3] * m[3]));
    outline.components.push_back(c);
    more = flags & 0x20;
  }
  outline.state = Outline::State::Unresolved;
  return nullptr;
}

/** Vertices and coordinate box of a composite, from its components' (which must not lead back to
    it, nor nest too deep). Its coordinates are converted to 16 bits: they must fit. `depth` is the
    length of the path walked to it, which bounds this recursion. */
const char* Resolve(std::vector<Outline>& outlines, uint32_t glyph, int depth)
{
  Outline& o = outlines[glyph];
  if (o.state == Outline::State::Done)
    return nullptr;
  if (o.state == Outline::State::Resolving)
    return "glyf: composite glyphs refer to each other in a loop";
  if (depth > kMaxComponentDepth)
    return "glyf: composite glyphs nest too deep";
  o.state = Outline::State::Resolving;
  bool any = false;
  for (const Component& c : o.components)
  {
    if (c.glyph >= outlines.size())
      continue; // drawn as nothing
    if (const char* fault = Resolve(outlines, c.glyph, depth + 1))
      return fault;
    const Outline& part = outlines[c.glyph];
    // A part resolved earlier, from another glyph, may bring a deep nesting of its own.
    o.height = std::max(o.height, part.height + 1);
    if (o.height > kMaxComponentDepth)
      return "glyf: composite glyphs nest too deep";
    if (part.vertices == 0)
      continue;
    // An affine map takes a box's extremes at its corners, rounding included.
    const float* m = c.matrix;
    for (float x : {part.minX, part.maxX})
      for (float y : {part.minY, part.maxY})
      {
        const float tx = c.scaleX * (m[0] * x + m[2] * y + m[4]);
        const float ty = c.scaleY * (m[1] * x + m[3] * y + m[5]);
        // A unit of margin for the rasteriser's own rounding of the same sums.
        if (!(tx > -32768.f && tx < 32767.f && ty > -32768.f && ty < 32767.f))
          return "glyf: a component's coordinates leave the 16-bit range";
        const float cx = std::trunc(tx), cy = std::trunc(ty);
        o.minX = any ? std::min(o.minX, cx) : cx;
        o.maxX = any ? std::max(o.maxX, cx) : cx;
        o.minY = any ? std::min(o.minY, cy) : cy;
        o.maxY = any ? std::max(o.maxY, cy) : cy;
        any = true;
      }
    o.vertices += part.vertices;
    if (o.vertices > kMaxGlyphVertices)
      return "glyf: a composite glyph has too many vertices";
  }
  o.components.clear();
  o.state = Outline::State::Done;
  return nullptr;
}

const char* CheckOutlines(const Tables& t, uint32_t numGlyphs)
{
  const uint16_t locaFormat = t.head.U16(50);
  if (locaFormat > 1)
    return "head: unknown glyph location format";
  const uint64_t entry = locaFormat ? 4 : 2;
  if (!t.loca.Has(0, entry * (numGlyphs + 1ull)))
    return "loca: shorter than the glyph count needs";
  const auto location = [&](uint32_t g) -> uint64_t {
    return locaFormat ? t.loca.U32(4ull * g) : 2ull * t.loca.U16(2ull * g);
  };
  std::vector<Outline> outlines(numGlyphs);
  for (uint32_t g = 0; g < numGlyphs; ++g)
  {
    const uint64_t start = location(g), end = location(g + 1);
    if (end < start)
      return "loca: glyph locations out of order";
    if (!t.glyf.Has(start, end - start))
      return "loca: a glyph lies past the glyf table";
    if (start == end)
      continue; // empty
    const View glyph = t.glyf.Part(start, end - start);
    if (!glyph.Has(0, 10))
      return "glyf: glyph header past the glyph";
    if (glyph.S16(2) > glyph.S16(6) || glyph.S16(4) > glyph.S16(8))
      return "glyf: a glyph's box is inverted"; // it sizes the glyph's bitmap
    const int contours = glyph.S16(0);
    const char* fault = contours > 0   ? ReadSimpleGlyph(glyph, contours, outlines[g])
                        : contours < 0 ? ReadComposite(glyph, outlines[g])
                                       : nullptr;
    if (fault)
      return fault;
  }
  for (uint32_t g = 0; g < numGlyphs; ++g)
    if (const char* fault = Resolve(outlines, g, 0))
      return fault;
  return nullptr;
}

// --- kerning -------------------------------------------------------------------------------------

/** Checks a coverage table; `maxIndex` gets the highest coverage index it can give (-1: none). */
const char* CheckCoverage(const View& table, uint64_t at, int64_t& maxIndex)
{
  maxIndex = -1;
  if (!table.Has(at, 4))
    return "GPOS: coverage past the table";
  const View c = table.From(at);
  const uint16_t count = c.U16(2);
  switch (c.U16(0))
  {
    case 1:
      if (!c.Has(4, 2ull * count))
        return "GPOS: coverage glyphs past the table";
      maxIndex = static_cast<int64_t>(count) - 1;
      return nullptr;
    case 2:
      if (!c.Has(4, 6ull * count))
        return "GPOS: coverage ranges past the table";
      for (uint32_t i = 0; i < count; ++i)
      {
        const uint64_t r = 4 + 6ull * i;
        const uint16_t first = c.U16(r), last = c.U16(r + 2);
        if (first <= last)
          maxIndex = std::max<int64_t>(maxIndex, int64_t(c.U16(r + 4)) + (last - first));
      }
      return nullptr;
    default: return "GPOS: unknown coverage format";
  }
}

/** Checks a class definition; `maxClass` gets the highest class it gives (-1: none). */
const char* CheckClassDef(const View& table, uint64_t at, int64_t& maxClass)
{
  maxClass = -1;
  if (!table.Has(at, 4))
    return "GPOS: class definition past the table";
  const View d = table.From(at);
  switch (d.U16(0))
  {
    case 1:
    {
      if (!d.Has(4, 2))
        return "GPOS: class definition past the table";
      const uint16_t count = d.U16(4);
      if (!d.Has(6, 2ull * count))
        return "GPOS: classes past the table";
      for (uint32_t i = 0; i < count; ++i)
        maxClass = std::max<int64_t>(maxClass, d.U16(6 + 2 * i));
      return nullptr;
    }
    case 2:
    {
      const uint16_t count = d.U16(2);
      if (!d.Has(4, 6ull * count))
        return "GPOS: class ranges past the table";
      for (uint32_t i = 0; i < count; ++i)
        maxClass = std::max<int64_t>(maxClass, d.U16(4 + 6ull * i + 4));
      return nullptr;
    }
    default: return "GPOS: unknown class definition format";
  }
}

/** A pair adjustment subtable, as the rasteriser reads it for any pair of glyphs. */
const char* CheckPairAdjustment(const View& st)
{
  if (!st.Has(0, 4))
    return "GPOS: pair subtable past the table";
  int64_t maxCoverage = -1;
  if (const char* fault = CheckCoverage(st, st.U16(2), maxCoverage))
    return fault;
  const uint16_t format = st.U16(0);
  if (format != 1 && format != 2)
    return "GPOS: unknown pair adjustment format";
  if (!st.Has(0, format == 1 ? 10 : 16))
    return "GPOS: pair subtable past the table";
  // Only an x advance on the first glyph is read; other value formats end the lookup.
  const bool advances = st.U16(4) == 4 && st.U16(6) == 0;
  if (format == 1)
  {
    const uint16_t sets = st.U16(8);
    if (!st.Has(10, 2ull * sets))
      return "GPOS: pair sets past the table";
    if (maxCoverage >= sets)
      return "GPOS: coverage names pair sets that do not exist";
    for (uint32_t i = 0; i < sets; ++i)
    {
      const uint64_t set = st.U16(10 + 2 * i);
      if (!st.Has(set, 2) || (advances && !st.Has(set + 2, 4ull * st.U16(set))))
        return "GPOS: pair values past the table";
    }
    return nullptr;
  }
  int64_t maxClass1 = -1, maxClass2 = -1;
  if (const char* fault = CheckClassDef(st, st.U16(8), maxClass1))
    return fault;
  if (const char* fault = CheckClassDef(st, st.U16(10), maxClass2))
    return fault;
  const uint16_t classes1 = st.U16(12), classes2 = st.U16(14);
  if (maxClass1 >= classes1 || maxClass2 >= classes2)
    return "GPOS: a class beyond the class count"; // the rasteriser asserts on these
  if (advances && !st.Has(16, 2ull * classes1 * classes2))
    return "GPOS: class values past the table";
  return nullptr;
}

const char* CheckGpos(const View& gpos)
{
  if (!gpos.Has(0, 4))
    return "GPOS: header past the table";
  if (gpos.U16(0) != 1 || gpos.U16(2) != 0)
    return nullptr; // another version: not read
  if (!gpos.Has(0, 10))
    return "GPOS: header past the table";
  const uint64_t list = gpos.U16(8);
  if (!gpos.Has(list, 2) || !gpos.Has(list + 2, 2ull * gpos.U16(list)))
    return "GPOS: lookup list past the table";
  const uint16_t lookups = gpos.U16(list);
  for (uint32_t i = 0; i < lookups; ++i)
  {
    const uint64_t lookup = list + gpos.U16(list + 2 + 2 * i);
    if (!gpos.Has(lookup, 6))
      return "GPOS: lookup past the table";
    if (gpos.U16(lookup) != 2)
      continue; // only pair adjustment is read
    const uint16_t subtables = gpos.U16(lookup + 4);
    if (!gpos.Has(lookup + 6, 2ull * subtables))
      return "GPOS: subtable offsets past the table";
    for (uint32_t k = 0; k < subtables; ++k)
    {
      const uint64_t at = lookup + gpos.U16(lookup + 6 + 2 * k);
      if (!gpos.Has(at, 0))
        return "GPOS: pair subtable past the table";
      if (const char* fault = CheckPairAdjustment(gpos.From(at)))
        return fault;
    }
  }
  return nullptr;
}

const char* CheckKern(const View& kern)
{
  if (!kern.Has(0, 4))
    return "kern: header past the table";
  if (kern.U16(2) < 1)
    return nullptr; // no subtable: not read
  if (!kern.Has(0, 10))
    return "kern: subtable header past the table";
  if (kern.U16(8) != 1)
    return nullptr; // not horizontal format 0: not read
  if (!kern.Has(0, 12) || !kern.Has(0, 18 + 6ull * kern.U16(10)))
    return "kern: pairs past the table";
  return nullptr;
}

} // namespace

const char* FindGlyphTableFault(const uint8_t* data, size_t size, uint64_t directory)
{
  const View file{data, size};
  if (!data || !file.Has(directory, 12))
    return "table directory past the end";
  const uint16_t count = file.U16(directory + 4);
  if (!file.Has(directory + 12, 16ull * count))
    return "table directory past the end";

  Tables t;
  const struct
  {
    uint32_t tag;
    View* view;
    bool* found;
  } wanted[] = {
    {Tag("cmap"), &t.cmap, &t.hasCmap}, {Tag("head"), &t.head, &t.hasHead}, {Tag("hhea"), &t.hhea, &t.hasHhea},
    {Tag("hmtx"), &t.hmtx, &t.hasHmtx}, {Tag("loca"), &t.loca, &t.hasLoca}, {Tag("glyf"), &t.glyf, &t.hasGlyf},
    {Tag("maxp"), &t.maxp, &t.hasMaxp}, {Tag("kern"), &t.kern, &t.hasKern}, {Tag("GPOS"), &t.gpos, &t.hasGpos}};
  for (uint32_t i = 0; i < count; ++i)
  {
    const uint64_t record = directory + 12 + 16ull * i;
    const uint32_t tag = file.U32(record), offset = file.U32(record + 8), length = file.U32(record + 12);
    if (!file.Has(offset, length))
      return "a table lies past the end";
    for (const auto& w : wanted)
      if (w.tag == tag && !*w.found && offset != 0) // offset 0 counts as absent to the rasteriser
      {
        *w.view = file.Part(offset, length);
        *w.found = true;
      }
  }
  if (!t.hasGlyf)
    return "no glyf table: CFF outlines are not read";
  if (!t.hasCmap || !t.hasHead || !t.hasHhea || !t.hasHmtx || !t.hasLoca || !t.hasMaxp)
    return "a table the rasteriser needs is missing (cmap, head, hhea, hmtx, loca, maxp)";
  if (!t.head.Has(0, 54))
    return "head: too short";
  if (!t.hhea.Has(0, 36))
    return "hhea: too short";
  if (t.hhea.S16(4) <= t.hhea.S16(6))
    return "hhea: the ascender is not above the descender"; // the line height divides by the difference
  if (!t.maxp.Has(0, 6))
    return "maxp: too short";
  const uint32_t numGlyphs = t.maxp.U16(4);
  if (numGlyphs == 0)
    return "maxp: no glyphs";
  const uint32_t longMetrics = t.hhea.U16(34);
  if (longMetrics == 0)
    return "hhea: no horizontal metrics";
  if (!t.hmtx.Has(0, 4ull * longMetrics + 2ull * (numGlyphs > longMetrics ? numGlyphs - longMetrics : 0)))
    return "hmtx: shorter than the glyph count needs";
  // The backend keeps a glyph's advance in tenths of a pixel in 16 bits: with advances of at most
  // kMaxAdvanceLines line heights, text up to 200 pixels high fits.
  const int lineHeight = t.hhea.S16(4) - t.hhea.S16(6);
  for (uint32_t g = 0; g < longMetrics; ++g)
    if (std::abs(int(t.hmtx.S16(4ull * g))) > kMaxAdvanceLines * lineHeight)
      return "hmtx: an advance wider than the backend can hold";
  if (const char* fault = CheckOutlines(t, numGlyphs))
    return fault;
  if (const char* fault = CheckCharacterMap(t.cmap, numGlyphs))
    return fault;
  // The rasteriser kerns with GPOS when the font has it, else with kern.
  if (t.hasGpos)
    return CheckGpos(t.gpos);
  if (t.hasKern)
    return CheckKern(t.kern);
  return nullptr;
}

} // namespace iplug::igraphics
