// Finding, decoding once and caching images, documents and fonts, and refusing bad files.

#include "OffscreenEditor.h"
#include "TestBundle.h"
#include "graphics/FontBuilder.h"

#include <stb/stb_image_write.h>

#include <fstream>
#include <sstream>

using namespace iplug;
using namespace iplug::igraphics;
using namespace iplug::igraphics::test;

namespace {

constexpr const char* kRoboto = "/usr/share/fonts/truetype/roboto/unhinted/RobotoTTF/Roboto-Regular.ttf";

std::string ReadAll(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteSolidPNG(const TestBundle& b, const std::string& name, int w, int h)
{
  ASSERT_TRUE(WriteTestPNG(b.Resource(name), w, h, [](int, int) { return RGBA{200, 100, 50, 255}; }));
}

// A PNG whose header claims `w` x `h` pixels and that holds no image data.
std::string PNGHeaderOnly(uint32_t w, uint32_t h)
{
  std::string s("\x89PNG\r\n\x1a\n", 8);
  auto u32 = [&s](uint32_t v) {
    for (int i = 3; i >= 0; --i)
      s.push_back(char((v >> (8 * i)) & 0xff));
  };
  u32(13);
  s += "IHDR";
  u32(w);
  u32(h);
  s += std::string("\x08\x06\x00\x00\x00", 5);
  u32(0); // checksum, not checked by the decoder
  u32(0);
  s += "IEND";
  u32(0);
  return s;
}

class BundleEditor : public OffscreenEditor
{
public:
  BundleEditor(const TestBundle& bundle, float screenScale = 1.f) : OffscreenEditor(100, 100, screenScale)
  {
    graphics->SetBundleID(bundle.id.c_str());
  }
};

} // namespace

TEST(DrawingResources, ScaleVariantsAreSearchedInTheOrderThatSuitsTheTarget)
{
  struct Case
  {
    std::vector<int> present;
    int target;
    int found;
  };
  const Case cases[] = {
    {{1, 2}, 2, 2}, {{1}, 2, 1},                 // 2, 3, 1
    {{1, 3}, 1, 1}, {{2, 3}, 1, 3},              // 1, 3, 2
    {{2}, 1, 2},    {{1, 2}, 3, 2}, {{1}, 3, 1}, // 3, 2, 1
    {{}, 2, 0},
  };
  for (const Case& c : cases)
  {
    TestBundle bundle;
    for (int scale : c.present)
      WriteSolidPNG(bundle, scale == 1 ? "BG.png" : "BG@" + std::to_string(scale) + "x.png", 10 * scale, 5 * scale);
    BundleEditor editor(bundle);
    REQUIRE_GL(editor);
    WDL_String path;
    int source = -1;
    const EResourceLocation location = editor.g().SearchImageResource("BG.png", "png", path, c.target, source);
    EXPECT_EQ(source, c.found) << "target " << c.target;
    EXPECT_EQ(location, c.found ? kAbsolutePath : kNotFound);

    const IBitmap bitmap = editor.g().LoadBitmap("BG.png", 1, false, c.target);
    ASSERT_EQ(bitmap.IsValid(), c.found != 0);
    if (bitmap.IsValid())
    {
      // Whatever file was found, the bitmap has the plain file's size in points.
      EXPECT_EQ(bitmap.W(), 10);
      EXPECT_EQ(bitmap.H(), 5);
      EXPECT_EQ(bitmap.GetScale(), float(c.found));
    }
  }
}

TEST(DrawingResources, AnImageIsDecodedOncePerEditorWhateverScaleIsAskedFor)
{
  TestBundle bundle;
  WriteSolidPNG(bundle, "BG.png", 20, 10);
  BundleEditor editor(bundle, 2.f);
  REQUIRE_GL(editor);
  // Only the plain file exists on a 2x screen: it is kept under scale 1 and found there again
  // instead of being decoded on every rescale.
  const IBitmap first = editor.g().LoadBitmap("BG.png");
  for (int i = 0; i < 3; ++i)
  {
    EXPECT_EQ(editor.g().LoadBitmap("BG.png").GetAPIBitmap(), first.GetAPIBitmap());
    EXPECT_EQ(editor.g().GetScaledBitmap(first).GetAPIBitmap(), first.GetAPIBitmap());
  }
  EXPECT_EQ(editor.g().LoadBitmap("BG.png", 1, false, 1).GetAPIBitmap(), first.GetAPIBitmap());
  EXPECT_EQ(editor.g().NCachedBitmaps(), 1);

  // Bytes from memory are owned by the same cache and decoded once per name.
  const std::string png = ReadAll(bundle.Resource("BG.png"));
  const IBitmap fromMemory = editor.g().LoadBitmap("mem", png.data(), int(png.size()));
  ASSERT_TRUE(fromMemory.IsValid());
  EXPECT_EQ(editor.g().LoadBitmap("mem", png.data(), int(png.size())).GetAPIBitmap(), fromMemory.GetAPIBitmap());
  EXPECT_EQ(editor.g().NCachedBitmaps(), 2);

  // A bitmap redrawn at another scale is kept by the backend too.
  const IBitmap scaled = editor.g().ScaleBitmap(first, "BG-3x", 3);
  ASSERT_TRUE(scaled.IsValid());
  EXPECT_EQ(scaled.W(), first.W());
  EXPECT_EQ(scaled.GetScale(), 3.f);
  EXPECT_EQ(scaled.GetAPIBitmap()->GetWidth(), 3 * first.W());
  EXPECT_EQ(editor.g().NCachedBitmaps(), 3);
  editor.Add(IRECT(0, 0, 20, 10), [scaled](IGraphics& g, const IRECT& r) { g.DrawBitmap(scaled, r); });
  ASSERT_TRUE(editor.Frame());
  EXPECT_TRUE(Near(editor.At(20, 10), {200, 100, 50, 255}));

  // A second editor has its own context and so its own copy.
  BundleEditor other(bundle, 2.f);
  REQUIRE_GL(other);
  EXPECT_NE(other.g().LoadBitmap("BG.png").GetAPIBitmap(), first.GetAPIBitmap());
}

TEST(DrawingResources, NamesWithoutAnImageExtensionAreRefused)
{
  TestBundle bundle;
  std::filesystem::create_directories(bundle.Resource("art.v2"));
  WriteSolidPNG(bundle, "BG", 4, 4);
  WriteSolidPNG(bundle, "art.v2/BG", 4, 4);
  WriteSolidPNG(bundle, "BG.gif", 4, 4);
  BundleEditor editor(bundle);
  REQUIRE_GL(editor);
  for (const char* name : {"BG", "art.v2/BG", "BG.gif", ""})
    EXPECT_FALSE(editor.g().LoadBitmap(name).IsValid()) << name;
  const std::string nested = bundle.Resource("art.v2/BG");
  EXPECT_FALSE(editor.g().LoadBitmap(nested.c_str()).IsValid()) << "the only dot is in a folder name";
  EXPECT_EQ(editor.g().NCachedBitmaps(), 0);
}

TEST(DrawingResources, BadImageFilesGiveInvalidBitmapsAndAreNotCached)
{
  TestBundle bundle;
  WriteSolidPNG(bundle, "good.png", 16, 16);
  const std::string good = ReadAll(bundle.Resource("good.png"));
  std::string corrupt = good;
  for (size_t i = 40; i < corrupt.size(); ++i)
    corrupt[i] = char(corrupt[i] ^ 0x5a);
  const std::pair<const char*, std::string> files[] = {
    {"empty.png", ""},
    {"truncated.png", good.substr(0, 45)},
    {"corrupt.png", corrupt},
    {"text.png", "this is not an image"},
    {"huge.png", PNGHeaderOnly(100000, 100000)}, // past any texture size
    {"forged.png", PNGHeaderOnly(4000, 4000)},   // fits a texture, but not in a 57-byte file
    {"fake.jpg", std::string("\xff\xd8\xff\xe0", 4) + std::string(100, '\0')},
  };
  BundleEditor editor(bundle);
  REQUIRE_GL(editor);
  for (const auto& [name, bytes] : files)
  {
    bundle.Write(name, bytes);
    EXPECT_FALSE(editor.g().LoadBitmap(name).IsValid()) << name;
    EXPECT_FALSE(editor.g().LoadBitmap(name, bytes.data(), int(bytes.size())).IsValid()) << name << " from memory";
  }
  EXPECT_FALSE(editor.g().LoadBitmap("missing.png").IsValid());
  EXPECT_EQ(editor.g().NCachedBitmaps(), 0);

  // The checks before decoding let real files through.
  const std::vector<uint8_t> grey(16 * 8 * 3, 128);
  ASSERT_TRUE(stbi_write_jpg(bundle.Resource("good.jpg").c_str(), 16, 8, 3, grey.data(), 90));
  EXPECT_TRUE(editor.g().LoadBitmap("good.png").IsValid());
  const IBitmap jpeg = editor.g().LoadBitmap("good.jpg");
  ASSERT_TRUE(jpeg.IsValid());
  EXPECT_EQ(jpeg.W(), 16);
}

TEST(DrawingResources, AnSVGIsParsedOnceForAllEditorsAndDrawnRasterised)
{
  TestBundle bundle;
  bundle.Write("dot.svg", "<svg xmlns='http://www.w3.org/2000/svg' width='20' height='10'>"
                          "<rect width='20' height='10' fill='#00ff00'/></svg>");
  bundle.Write("broken.svg", "<svg xmlns='http://www.w3.org/2000/svg' width='20'><rect");
  {
    BundleEditor a(bundle), b(bundle);
    REQUIRE_GL(a);
    REQUIRE_GL(b);
    const ISVG svg = a.g().LoadSVG("dot.svg");
    ASSERT_TRUE(svg.IsValid());
    EXPECT_EQ(svg.W(), 20.f);
    EXPECT_EQ(svg.H(), 10.f);
    EXPECT_EQ(b.g().LoadSVG("dot.svg").mImage, svg.mImage);
    EXPECT_FALSE(a.g().LoadSVG("broken.svg").IsValid());
    EXPECT_FALSE(a.g().LoadSVG("missing.svg").IsValid());
    EXPECT_EQ(StaticStorage<SVGHolder>::Accessor(IGraphics::SVGCache()).Size(), 1);

    a.Background(COLOR_WHITE);
    float grow = 0.f;
    auto* c = a.Add(IRECT(10, 10, 90, 60), [svg, &grow](IGraphics& g, const IRECT&) {
      g.DrawSVG(svg, IRECT(10, 10, 50 + grow, 30 + grow / 2));
    });
    // Drawn at a new size every frame, as while the editor is being resized: only a few
    // sizes stay rendered.
    for (int frame = 0; frame < 8; ++frame, grow += 4.f)
    {
      c->SetDirty(false);
      ASSERT_TRUE(a.Frame());
      EXPECT_TRUE(Near(a.At(30, 20), {0, 255, 0, 255})) << "frame " << frame;
      EXPECT_TRUE(Near(a.At(30, 35 + int(grow / 2)), {255, 255, 255, 255})) << "frame " << frame;
    }
    EXPECT_LE(a.g().NSVGRasters(), 4);
  }
  EXPECT_EQ(StaticStorage<SVGHolder>::Accessor(IGraphics::SVGCache()).Size(), 0);
}

TEST(DrawingResources, FontsLoadFromTtfResourcesSystemFamiliesOrBytesAndRefuseGarbage)
{
  TestBundle bundle;
  const std::string roboto = ReadAll(kRoboto);
  ASSERT_FALSE(roboto.empty());
  bundle.Write("Roboto-Regular.ttf", roboto);
  bundle.Write("Roboto-Regular.otf", roboto);
  bundle.Write("garbage.ttf", std::string(4000, 'x'));
  std::string pastEnd = roboto.substr(0, 2000); // the directory points at tables beyond the cut
  bundle.Write("cut.ttf", pastEnd);

  BundleEditor editor(bundle);
  REQUIRE_GL(editor);
  IGraphicsOffscreen& g = editor.g();
  EXPECT_TRUE(g.LoadFont("Roboto-Regular", "Roboto-Regular.ttf"));
  EXPECT_FALSE(g.LoadFont("NoExtension", "Roboto-Regular")) << "not a .ttf name";
  EXPECT_FALSE(g.LoadFont("OtherExtension", "Roboto-Regular.otf"));
  EXPECT_FALSE(g.LoadFont("Garbage", "garbage.ttf"));
  EXPECT_FALSE(g.LoadFont("Cut", "cut.ttf"));
  EXPECT_FALSE(g.LoadFont("CutBytes", pastEnd.data(), int(pastEnd.size())));
  EXPECT_TRUE(g.LoadFont("FromBytes", roboto.data(), int(roboto.size())));
  EXPECT_TRUE(g.LoadFont("System", "Roboto", ETextStyle::Normal));
  EXPECT_FALSE(g.LoadFont("NoSuchFamily", "Corvane No Such Family", ETextStyle::Normal));

  IRECT r(0, 0, 100, 20);
  for (const char* id : {"Roboto-Regular", "FromBytes", "System"})
  {
    IRECT measured = r;
    EXPECT_GT(g.MeasureText(IText(14.f, COLOR_BLACK, id), "Gain", measured), 10.f) << id;
  }
}

TEST(DrawingResources, BuiltFontsDrawSimpleCurvedAndCompositeGlyphs)
{
  using corvane_test::FontBuilder;
  // A square (A), a diamond of curves (B) and their composite (C): each leaves ink in its own place.
  const std::function<void(FontBuilder&)> variants[] = {[](FontBuilder&) {}, [](FontBuilder& b) { b.cmapFormat = 4; },
                                                        [](FontBuilder& b) { b.kerning = FontBuilder::Kerning::Kern; },
                                                        [](FontBuilder& b) { b.longLocations = true; }};
  int n = 0;
  for (const auto& variant : variants)
  {
    FontBuilder b;
    variant(b);
    const std::vector<uint8_t> bytes = b.Build();
    OffscreenEditor editor(150, 60);
    REQUIRE_GL(editor);
    const std::string id = "Built" + std::to_string(n++);
    ASSERT_TRUE(editor.g().LoadFont(id.c_str(), bytes.data(), int(bytes.size()))) << id;
    editor.Background(COLOR_WHITE);
    const IText text(40.f, COLOR_BLACK, id.c_str(), ETextHAlign::Near, ETextVAlign::Top);
    editor.Add(IRECT(0, 0, 150, 60), [&](IGraphics& g, const IRECT& r) { g.DrawText(text, "A B C", r); });
    ASSERT_TRUE(editor.Frame());
    int ink = 0;
    for (int y = 0; y < editor.height; ++y)
      for (int x = 0; x < editor.width; ++x)
        ink += editor.At(x, y).r < 128;
    EXPECT_GT(ink, 600) << id << ": the glyphs were not drawn";
  }
}

TEST(DrawingResources, FontTableDirectoryIsReadOnlyWithinTheFile)
{
  const std::string roboto = ReadAll(kRoboto);
  const std::vector<uint8_t> bytes(roboto.begin(), roboto.end());
  IFontInfo info;
  ASSERT_TRUE(IFontData::ReadTableDirectory(bytes.data(), bytes.size(), 0, info));
  EXPECT_EQ(info.mUnitsPerEm, 2048);
  EXPECT_GT(info.mAscender, 0);
  EXPECT_LT(info.mDescender, 0);

  auto mutated = [&](auto change) {
    std::vector<uint8_t> b = bytes;
    change(b);
    return b;
  };
  struct Case
  {
    const char* what;
    std::vector<uint8_t> bytes;
    int face;
  };
  const Case cases[] = {
    {"second face of a single font", bytes, 1},
    {"negative face", bytes, -1},
    {"directory cut short", std::vector<uint8_t>(bytes.begin(), bytes.begin() + 20), 0},
    {"unknown version", mutated([](auto& b) { b[0] = 7; }), 0},
    {"table count past the end", mutated([](auto& b) {
       b[4] = 0xff;
       b[5] = 0xff;
     }),
     0},
    {"first table past the end", mutated([](auto& b) { b[12 + 8] = 0x7f; }), 0},
    {"first table longer than the file", mutated([](auto& b) { b[12 + 12] = 0x7f; }), 0},
    {"collection with no fonts", {'t', 't', 'c', 'f', 0, 1, 0, 0, 0, 0, 0, 0}, 0},
    {"collection offset past the end", {'t', 't', 'c', 'f', 0, 1, 0, 0, 0, 0, 0, 1, 0x7f, 0, 0, 0}, 0},
    {"empty", {}, 0},
  };
  for (const Case& c : cases)
  {
    EXPECT_FALSE(IFontData::ReadTableDirectory(c.bytes.data(), c.bytes.size(), c.face, info)) << c.what;
    EXPECT_FALSE(IFontData(c.bytes, c.face).IsValid()) << c.what;
  }
}
