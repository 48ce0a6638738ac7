#pragma once
// Small TrueType fonts built byte by byte, so that a test can break one field
// at a time. The font has four glyphs: an empty .notdef, a square (A), a
// rounded diamond drawn with off-curve points (B), and a composite of the two
// (C, the square moved and the diamond at half size); kerning for the pair A B
// in GPOS (by glyph and by class) or in kern.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace corvane_test {

/** Big-endian bytes, appended or patched in place. */
struct FontBytes : std::vector<uint8_t>
{
  FontBytes& U8(unsigned v)
  {
    push_back(static_cast<uint8_t>(v));
    return *this;
  }
  FontBytes& U16(unsigned v) { return U8(v >> 8).U8(v); }
  FontBytes& S16(int v) { return U16(static_cast<uint16_t>(v)); }
  FontBytes& U32(uint32_t v) { return U16(v >> 16).U16(v & 0xFFFF); }
  FontBytes& Append(const std::vector<uint8_t>& b)
  {
    insert(end(), b.begin(), b.end());
    return *this;
  }
  void Set16(size_t at, unsigned v)
  {
    (*this)[at] = static_cast<uint8_t>(v >> 8);
    (*this)[at + 1] = static_cast<uint8_t>(v);
  }
  void Set32(size_t at, uint32_t v)
  {
    Set16(at, v >> 16);
    Set16(at + 2, v & 0xFFFF);
  }
  unsigned Get16(size_t at) const { return unsigned((*this)[at] << 8) | (*this)[at + 1]; }
  /** Drops the last `n` bytes. */
  void Cut(size_t n) { erase(end() - static_cast<std::ptrdiff_t>(std::min(n, size())), end()); }
};

struct FontBuilder
{
  enum class Kerning
  {
    Gpos,
    Kern,
    None
  };
  /** How the characters map: the subtable the rasteriser picks is in this format. */
  int cmapFormat = 12;
  Kerning kerning = Kerning::Gpos;
  bool longLocations = false;

  /** The glyphs' bytes, index = glyph id; changed by tests before Build. */
  std::vector<FontBytes> glyphs = {{}, Square(), Diamond(), Composite()};
  /** Tables in directory order, filled by Tables() and changed by tests before Build. */
  std::vector<std::pair<std::string, FontBytes>> tables;

  static constexpr int kUnitsPerEm = 1000;

  static FontBytes GlyphHeader(int contours, int xMin, int yMin, int xMax, int yMax)
  {
    FontBytes g;
    g.S16(contours).S16(xMin).S16(yMin).S16(xMax).S16(yMax);
    return g;
  }
  /** Points with 16-bit coordinate deltas; `onCurve` per point. */
  static FontBytes SimpleGlyph(const std::vector<int>& ends, const std::vector<std::pair<int, int>>& points,
                               const std::vector<bool>& onCurve)
  {
    int xMin = 32767, yMin = 32767, xMax = -32768, yMax = -32768;
    for (const auto& [x, y] : points)
    {
      xMin = std::min(xMin, x);
      xMax = std::max(xMax, x);
      yMin = std::min(yMin, y);
      yMax = std::max(yMax, y);
    }
    FontBytes g = GlyphHeader(static_cast<int>(ends.size()), xMin, yMin, xMax, yMax);
    for (int e : ends)
      g.U16(static_cast<unsigned>(e));
    g.U16(0); // no instructions
    for (size_t i = 0; i < points.size(); ++i)
      g.U8(onCurve[i] ? 1 : 0);
    int last = 0;
    for (const auto& p : points)
      g.S16(p.first - std::exchange(last, p.first));
    last = 0;
    for (const auto& p : points)
      g.S16(p.second - std::exchange(last, p.second));
    return g;
  }
  static FontBytes Square()
  {
    // Written with a repeated flag: one flag byte for the four points.
    FontBytes g = GlyphHeader(1, 100, 0, 500, 600);
    g.U16(3).U16(0).U8(1 | 8).U8(3);
    for (int dx : {100, 400, 0, -400})
      g.S16(dx);
    for (int dy : {0, 0, 600, 0})
      g.S16(dy);
    return g;
  }
  static FontBytes Diamond()
  {
    return SimpleGlyph({7}, {{300, 0}, {600, 0}, {600, 300}, {600, 600}, {300, 600}, {0, 600}, {0, 300}, {0, 0}},
                       {true, false, true, false, true, false, true, false});
  }
  static FontBytes Composite()
  {
    FontBytes g = GlyphHeader(-1, 0, 0, 600, 600);
    g.U16(0x0001 | 0x0002 | 0x0020).U16(1).S16(50).S16(0);   // the square, moved by words
    g.U16(0x0002 | 0x0008).U16(2).U8(10).U8(10).S16(0x2000); // the diamond, moved by bytes, half size
    return g;
  }

  uint32_t NumGlyphs() const { return static_cast<uint32_t>(glyphs.size()); }

  /** Fills `tables` from the settings and glyphs. */
  FontBuilder& MakeTables()
  {
    tables.clear();
    FontBytes glyf, loca;
    for (FontBytes g : glyphs)
    {
      if (g.size() % 2)
        g.U8(0);
      longLocations ? loca.U32(static_cast<uint32_t>(glyf.size())) : loca.U16(static_cast<unsigned>(glyf.size() / 2));
      glyf.Append(g);
    }
    longLocations ? loca.U32(static_cast<uint32_t>(glyf.size())) : loca.U16(static_cast<unsigned>(glyf.size() / 2));

    FontBytes head;
    head.U32(0x00010000).U32(0x00010000).U32(0).U32(0x5F0F3CF5).U16(0).U16(kUnitsPerEm);
    head.U32(0).U32(0).U32(0).U32(0);     // created, modified
    head.S16(0).S16(0).S16(650).S16(600); // font box
    head.U16(0).U16(8).S16(2).S16(longLocations).S16(0);
    FontBytes hhea;
    hhea.U32(0x00010000).S16(800).S16(-200).S16(0).U16(700);
    for (int i = 0; i < 11; ++i)
      hhea.S16(0);
    hhea.U16(NumGlyphs());
    FontBytes hmtx;
    for (uint32_t i = 0; i < NumGlyphs(); ++i)
      hmtx.U16(700).S16(0);
    FontBytes maxp;
    maxp.U32(0x00005000).U16(NumGlyphs());
    FontBytes name;
    name.U16(0).U16(0).U16(6);

    tables = {{"cmap", CharacterMap()}, {"glyf", glyf}, {"head", head}, {"hhea", hhea},
              {"hmtx", hmtx},           {"loca", loca}, {"maxp", maxp}, {"name", name}};
    if (kerning == Kerning::Gpos)
      tables.push_back({"GPOS", Gpos()});
    else if (kerning == Kerning::Kern)
      tables.push_back({"kern", Kern()});
    return *this;
  }

  FontBytes& Table(const std::string& tag)
  {
    for (auto& [t, bytes] : tables)
      if (t == tag)
        return bytes;
    tables.push_back({tag, {}});
    return tables.back().second;
  }

  /** The font file: table directory, then each table at a 4-byte boundary. */
  std::vector<uint8_t> Build()
  {
    if (tables.empty())
      MakeTables();
    FontBytes out;
    const auto n = static_cast<unsigned>(tables.size());
    out.U32(0x00010000).U16(n).U16(0).U16(0).U16(0);
    size_t offset = 12 + 16 * tables.size();
    std::vector<size_t> offsets;
    for (const auto& [tag, bytes] : tables)
    {
      offsets.push_back(offset);
      out.U8(tag[0]).U8(tag[1]).U8(tag[2]).U8(tag[3]).U32(0).U32(static_cast<uint32_t>(offset));
      out.U32(static_cast<uint32_t>(bytes.size()));
      offset += (bytes.size() + 3) & ~size_t(3);
    }
    for (const auto& [tag, bytes] : tables)
    {
      out.Append(bytes);
      while (out.size() % 4)
        out.U8(0);
    }
    return out;
  }

  /** Offset of the subtable the rasteriser picks, within the cmap table. */
  static constexpr size_t kChosenSubtable = 4 + 8 * 3;

  FontBytes CharacterMap() const
  {
    // Records: Unicode BMP and Microsoft BMP (format 4), then Microsoft full (the chosen one, last).
    FontBytes subtable;
    switch (cmapFormat)
    {
      case 0:
        subtable.U16(0).U16(262).U16(0);
        for (int c = 0; c < 256; ++c)
          subtable.U8(c >= 'A' && c <= 'C' ? c - 'A' + 1 : 0);
        break;
      case 4: subtable = Format4(); break;
      case 6: subtable.U16(6).U16(16).U16(0).U16('A').U16(3).U16(1).U16(2).U16(3); break;
      case 12:
      case 13:
        subtable.U16(static_cast<unsigned>(cmapFormat)).U16(0).U32(28).U32(0).U32(1);
        subtable.U32('A').U32('C').U32(1);
        break;
      default: // a format the rasteriser does not read, with a plausible header
        subtable.U16(static_cast<unsigned>(cmapFormat)).U16(0).U32(16).U32(0).U32(0);
        break;
    }
    const FontBytes bmp = Format4();
    FontBytes cmap;
    const uint32_t first = 4 + 8 * 3;
    const uint32_t second = first + static_cast<uint32_t>(subtable.size());
    cmap.U16(0).U16(3);
    cmap.U16(0).U16(3).U32(second);
    cmap.U16(3).U16(1).U32(second);
    cmap.U16(3).U16(10).U32(first);
    cmap.Append(subtable).Append(bmp);
    return cmap;
  }

  /** A..C to glyphs 1..3 by delta, and the closing segment at U+FFFF. */
  static FontBytes Format4()
  {
    FontBytes s;
    s.U16(4).U16(32).U16(0).U16(4).U16(4).U16(1).U16(0); // two segments: search 4, selector 1, shift 0
    s.U16('C').U16(0xFFFF).U16(0);                       // ends, pad
    s.U16('A').U16(0xFFFF);                              // starts
    s.S16(1 - 'A').S16(1);                               // deltas
    s.U16(0).U16(0);                                     // range offsets
    return s;
  }

  static FontBytes Gpos()
  {
    FontBytes g;
    g.U16(1).U16(0).U16(0).U16(0).U16(10); // version 1.0, no scripts or features, lookup list at 10
    // Lookup list (10): one lookup at +4.
    g.U16(1).U16(4);
    // Lookup (14): pair adjustment, two subtables.
    g.U16(2).U16(0).U16(2).U16(10).U16(34);
    // Subtable format 1 (24): coverage at +12, one pair set at +18.
    g.U16(1).U16(12).U16(4).U16(0).U16(1).U16(18);
    g.U16(1).U16(1).U16(1);   // coverage: glyph 1
    g.U16(1).U16(2).S16(-50); // pair set: glyph 2, x advance -50
    // Subtable format 2 (48): coverage at +24, class definitions at +30 and +40.
    g.U16(2).U16(24).U16(4).U16(0).U16(30).U16(40).U16(2).U16(2);
    g.S16(0).S16(0).S16(0).S16(-30);      // class 1 x class 1: -30
    g.U16(1).U16(1).U16(3);               // coverage: glyph 3
    g.U16(2).U16(1).U16(3).U16(3).U16(1); // classes of the first glyph: 3 -> 1
    g.U16(1).U16(2).U16(1).U16(1);        // classes of the second: 2 -> 1
    return g;
  }

  static FontBytes Kern()
  {
    FontBytes k;
    k.U16(0).U16(1);                                     // version, one subtable
    k.U16(0).U16(20).U16(1).U16(1).U16(6).U16(0).U16(0); // header: horizontal format 0, one pair
    k.U16(1).U16(2).S16(-40);
    return k;
  }
};

} // namespace corvane_test
