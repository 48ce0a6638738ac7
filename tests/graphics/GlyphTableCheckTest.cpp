// Fonts the text rasteriser could read past the end of, or trip an assertion
// on, are refused before they reach it: built fonts broken one field at a
// time, each with the reason expected. With CORVANE_FONT_CORPUS set to a
// folder, every font built here is also written there (the font fuzz
// target's seed corpus is made that way).

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

#include "graphics/FontBuilder.h"
#include "graphics/GlyphTableCheck.h"
#include "graphics/IFontData.h"

using namespace iplug::igraphics;

namespace corvane_test {
namespace {

void KeepForCorpus(const std::string& name, const std::vector<uint8_t>& bytes)
{
  const char* folder = std::getenv("CORVANE_FONT_CORPUS");
  if (!folder || !*folder)
    return;
  std::string file;
  for (char c : name)
    file += std::isalnum(static_cast<unsigned char>(c)) ? c : '-';
  std::ofstream(std::string(folder) + "/" + file + ".ttf", std::ios::binary)
    .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

const char* Fault(const std::vector<uint8_t>& bytes)
{
  IFontInfo info;
  if (!IFontData::ReadTableDirectory(bytes.data(), bytes.size(), 0, info))
    return "table directory";
  return FindGlyphTableFault(bytes.data(), bytes.size(), info.mDirectoryLocation);
}

struct Variant
{
  const char* name;
  std::function<void(FontBuilder&)> settings;
};

// Every way of building the font that the rasteriser reads in full.
const Variant kVariants[] = {
  {"character map format 12", [](FontBuilder&) {}},
  {"character map format 13", [](FontBuilder& b) { b.cmapFormat = 13; }},
  {"character map format 4", [](FontBuilder& b) { b.cmapFormat = 4; }},
  {"character map format 6", [](FontBuilder& b) { b.cmapFormat = 6; }},
  {"character map format 0", [](FontBuilder& b) { b.cmapFormat = 0; }},
  {"kern table", [](FontBuilder& b) { b.kerning = FontBuilder::Kerning::Kern; }},
  {"no kerning", [](FontBuilder& b) { b.kerning = FontBuilder::Kerning::None; }},
  {"long glyph locations", [](FontBuilder& b) { b.longLocations = true; }},
};

TEST(GlyphTableCheck, BuiltFontsInEveryFormatTheRasteriserReadsPass)
{
  for (const Variant& v : kVariants)
  {
    FontBuilder b;
    v.settings(b);
    const std::vector<uint8_t> bytes = b.Build();
    KeepForCorpus(std::string("valid ") + v.name, bytes);
    EXPECT_EQ(Fault(bytes), nullptr) << v.name << ": " << Fault(bytes);
    EXPECT_TRUE(IFontData(bytes).IsValid()) << v.name;
  }
}

/** A composite glyph of `parts` components, each glyph `of` in place. */
FontBytes CompositeOf(int of, int parts)
{
  FontBytes g = FontBuilder::GlyphHeader(-1, 0, 0, 600, 600);
  for (int i = 0; i < parts; ++i)
    g.U16(0x0002 | (i + 1 < parts ? 0x0020 : 0)).U16(static_cast<unsigned>(of)).U8(0).U8(0);
  return g;
}

TEST(GlyphTableCheck, EveryOffsetAndCountTheRasteriserFollowsIsChecked)
{
  // Offsets within the tables as FontBuilder lays them out.
  constexpr size_t sub = FontBuilder::kChosenSubtable; // the picked cmap subtable
  struct Case
  {
    const char* what;
    std::function<void(FontBuilder&)> before; // settings and glyphs
    std::function<void(FontBuilder&)> after;  // table bytes
    const char* fault;
  };
  const auto none = [](FontBuilder&) {};
  const auto format = [](int f) { return [f](FontBuilder& b) { b.cmapFormat = f; }; };
  const Case cases[] = {
    // Character maps.
    {"cmap subtable offset past the end", none, [](FontBuilder& b) { b.Table("cmap").Set32(4 + 16 + 4, 0x7FFFFF00); },
     "cmap: subtable offset past the end"},
    {"cmap records past the end", none, [](FontBuilder& b) { b.Table("cmap").Set16(2, 0x4000); },
     "encoding records past the end"},
    {"cmap without a Unicode subtable", none,
     [](FontBuilder& b) {
       for (size_t r : {4, 12, 20})
         b.Table("cmap").Set16(r, 1);
     },
     "no Unicode subtable"},
    {"cmap format 2", format(2), none, "does not read"},
    {"cmap format 14", format(14), none, "does not read"},
    {"cmap format 0 longer than the table", format(0), [](FontBuilder& b) { b.Table("cmap").Set16(sub + 2, 0xFFFF); },
     "format 0: glyph ids past the end"},
    {"cmap format 6 longer than the table", format(6), [](FontBuilder& b) { b.Table("cmap").Set16(sub + 8, 5000); },
     "format 6: glyph ids past the end"},
    {"cmap format 6 to a missing glyph", format(6), [](FontBuilder& b) { b.Table("cmap").Set16(sub + 12, 9); },
     "glyphs the font does not have"},
    {"cmap format 4 segments past the end", format(4), [](FontBuilder& b) { b.Table("cmap").Set16(sub + 6, 0x7FFE); },
     "segments past the end"},
    {"cmap format 4 search fields", format(4), [](FontBuilder& b) { b.Table("cmap").Set16(sub + 10, 0); },
     "search fields do not match"},
    {"cmap format 4 segments out of order", format(4), [](FontBuilder& b) { b.Table("cmap").Set16(sub + 16, 'B'); },
     "segments out of order"},
    {"cmap format 4 not closed at U+FFFF", format(4), [](FontBuilder& b) { b.Table("cmap").Set16(sub + 16, 0xFFFE); },
     "does not end at U+FFFF"},
    {"cmap format 4 glyph id array past the end", format(4),
     [](FontBuilder& b) { b.Table("cmap").Set16(sub + 28, 0x7000); }, "glyph id array past the end"},
    {"cmap format 4 delta to a missing glyph", format(4),
     [](FontBuilder& b) { b.Table("cmap").Set16(sub + 24, static_cast<uint16_t>(10 - 'A')); },
     "glyphs the font does not have"},
    {"cmap format 12 groups past the end", none, [](FontBuilder& b) { b.Table("cmap").Set32(sub + 12, 0x10000000); },
     "groups past the end"},
    {"cmap format 12 to a missing glyph", none, [](FontBuilder& b) { b.Table("cmap").Set32(sub + 24, 0x7FFFFFF0); },
     "glyphs the font does not have"},
    // The tables around the outlines.
    {"no glyf table (CFF outlines)", none, [](FontBuilder& b) { b.tables[1].first = "CFF "; }, "CFF"},
    {"no hmtx table", none, [](FontBuilder& b) { b.tables[4].first = "hmtX"; }, "needs is missing"},
    {"loca format 2", none, [](FontBuilder& b) { b.Table("head").Set16(50, 2); }, "unknown glyph location format"},
    {"ascender on the descender", none, [](FontBuilder& b) { b.Table("hhea").Set16(4, 0xFF38); },
     "ascender is not above"},
    {"no long horizontal metrics", none, [](FontBuilder& b) { b.Table("hhea").Set16(34, 0); }, "no horizontal metrics"},
    {"hmtx short of the glyphs", none, [](FontBuilder& b) { b.Table("hmtx").resize(12); }, "hmtx: shorter"},
    {"an advance of 20 line heights", none, [](FontBuilder& b) { b.Table("hmtx").Set16(4, 20000); },
     "advance wider than the backend can hold"},
    {"no glyphs", none, [](FontBuilder& b) { b.Table("maxp").Set16(4, 0); }, "maxp: no glyphs"},
    {"loca short of the glyphs", none, [](FontBuilder& b) { b.Table("loca").resize(8); }, "loca: shorter"},
    {"loca past the glyf table", none, [](FontBuilder& b) { b.Table("loca").Set16(8, 0x7FFF); }, "past the glyf table"},
    {"loca out of order", none,
     [](FontBuilder& b) {
       FontBytes& loca = b.Table("loca");
       loca.Set16(2, loca.Get16(4) + 1); // the square ends before it starts
     },
     "loca: glyph locations out of order"},
    // Simple outlines.
    {"inverted glyph box", [](FontBuilder& b) { b.glyphs[1].Set16(2, 900); }, none, "box is inverted"},
    {"contour ends out of order",
     [](FontBuilder& b) {
       b.glyphs[2] = FontBuilder::SimpleGlyph({3, 3}, {{0, 0}, {9, 0}, {9, 9}, {0, 9}}, {true, true, true, true});
     },
     none, "contour ends out of order"},
    {"instructions past the glyph", [](FontBuilder& b) { b.glyphs[1].Set16(12, 0x7000); }, none,
     "instructions past the glyph"},
    {"more points than the flags hold", [](FontBuilder& b) { b.glyphs[1].Set16(10, 300); }, none, "past the glyph"},
    {"coordinates cut off", [](FontBuilder& b) { b.glyphs[1].Cut(4); }, none, "coordinates past the glyph"},
    {"a lone off-curve point closing the outline",
     [](FontBuilder& b) {
       b.glyphs[2] =
         FontBuilder::SimpleGlyph({3, 4}, {{0, 0}, {9, 0}, {9, 9}, {0, 9}, {4, 4}}, {true, true, true, true, false});
     },
     none, "lone off-curve point"},
    // Composite outlines.
    {"a composite of itself", [](FontBuilder& b) { b.glyphs[3] = CompositeOf(3, 1); }, none, "in a loop"},
    {"composites of each other",
     [](FontBuilder& b) {
       b.glyphs[3] = CompositeOf(4, 1);
       b.glyphs.push_back(CompositeOf(3, 1));
     },
     none, "in a loop"},
    {"composites nested too deep",
     [](FontBuilder& b) {
       for (int g = 4; g < 14; ++g)
         b.glyphs.push_back(CompositeOf(g - 1, 1));
     },
     none, "nest too deep"},
    {"a composite placed by matching points", [](FontBuilder& b) { b.glyphs[3].Set16(18, 0x0000); }, none,
     "matching points"},
    {"a component cut off", [](FontBuilder& b) { b.glyphs[3].Cut(3); }, none, "component past the glyph"},
    {"a component moved out of 16-bit range",
     [](FontBuilder& b) {
       FontBytes g = FontBuilder::GlyphHeader(-1, 0, 0, 600, 600);
       g.U16(0x0001 | 0x0002 | 0x0008).U16(1).S16(30000).S16(0).S16(0x7FFF);
       b.glyphs[3] = g;
     },
     none, "16-bit range"},
    {"a composite of too many vertices",
     [](FontBuilder& b) {
       b.glyphs.push_back(CompositeOf(1, 200));
       b.glyphs.push_back(CompositeOf(4, 200));
       b.glyphs.push_back(CompositeOf(5, 200));
     },
     none, "too many vertices"},
    // Kerning.
    {"GPOS lookup list past the table", none, [](FontBuilder& b) { b.Table("GPOS").Set16(8, 0x7000); },
     "lookup list past the table"},
    {"GPOS coverage format 3", none, [](FontBuilder& b) { b.Table("GPOS").Set16(36, 3); }, "unknown coverage format"},
    {"GPOS coverage beyond the pair sets", none, [](FontBuilder& b) { b.Table("GPOS").Set16(32, 0); },
     "pair sets that do not exist"},
    {"GPOS pair values past the table", none, [](FontBuilder& b) { b.Table("GPOS").Set16(42, 0x7000); },
     "pair values past the table"},
    {"GPOS pair format 3", none, [](FontBuilder& b) { b.Table("GPOS").Set16(48, 3); },
     "unknown pair adjustment format"},
    {"GPOS class beyond the class count", none, [](FontBuilder& b) { b.Table("GPOS").Set16(86, 5); },
     "class beyond the class count"},
    {"GPOS class values past the table", none, [](FontBuilder& b) { b.Table("GPOS").Set16(60, 0x7000); },
     "class values past the table"},
    {"kern pairs past the table", [](FontBuilder& b) { b.kerning = FontBuilder::Kerning::Kern; },
     [](FontBuilder& b) { b.Table("kern").Set16(10, 0x7000); }, "kern: pairs past the table"},
  };
  for (const Case& c : cases)
  {
    FontBuilder b;
    c.before(b);
    b.MakeTables();
    c.after(b);
    const std::vector<uint8_t> bytes = b.Build();
    KeepForCorpus(c.what, bytes);
    const char* fault = Fault(bytes);
    ASSERT_NE(fault, nullptr) << c.what << ": passed";
    EXPECT_NE(std::string(fault).find(c.fault), std::string::npos) << c.what << ": " << fault;
    EXPECT_FALSE(IFontData(bytes).IsValid()) << c.what;
  }
}

TEST(GlyphTableCheck, OfTwoTablesOfATagTheFirstCounts)
{
  // The rasteriser takes the first: a sound second one must not vouch for a broken first.
  FontBuilder b;
  b.MakeTables();
  FontBytes broken = b.Table("cmap");
  broken.Set32(4 + 16 + 4, 0x7FFFFF00);
  b.tables.insert(b.tables.begin(), {"cmap", broken});
  EXPECT_NE(Fault(b.Build()), nullptr);
}
} // namespace
} // namespace corvane_test
