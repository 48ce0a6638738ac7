// The NanoVG backend drawn on llvmpipe and checked by its pixels.

#include "OffscreenEditor.h"

#include <filesystem>

#include "../tools/TempFolder.h"

using namespace iplug::igraphics;
using namespace iplug::igraphics::test;

TEST(NanoVGPixels, MainFramebufferIsTheEditorSizeTimesBothScalesEachTruncated)
{
  struct Case
  {
    int w, h;
    float drawScale, screenScale;
    int fbW, fbH;
  };
  const Case cases[] = {
    {575, 333, 1.5f, 2.f, 1724, 998}, // 862 x 499 points, doubled
    {575, 333, 1.f, 1.f, 575, 333},
    {101, 51, 0.5f, 2.f, 100, 50}, // 50.5 and 25.5 truncate before doubling
  };
  for (const Case& c : cases)
  {
    OffscreenEditor editor(c.w, c.h, c.screenScale, c.drawScale);
    REQUIRE_GL(editor);
    EXPECT_EQ(editor.g().FramebufferWidth(), c.fbW) << c.w << "x" << c.h << " at " << c.drawScale;
    EXPECT_EQ(editor.g().FramebufferHeight(), c.fbH);
    editor.Background(COLOR_WHITE);
    ASSERT_TRUE(editor.Frame());
    EXPECT_EQ(editor.width, c.fbW);
    EXPECT_EQ(editor.height, c.fbH);
  }
}

TEST(NanoVGPixels, FilmstripFrameIsChosenBySourceOffset)
{
  // Five frames of 40 rows in a 40 x 200 strip; red encodes the row.
  TempFolder folder;
  const std::string strip = folder.Path("strip.png");
  ASSERT_TRUE(WriteTestPNG(strip, 40, 200, [](int, int y) { return RGBA{y, 255 - y, 0, 255}; }));

  OffscreenEditor editor(100, 80);
  REQUIRE_GL(editor);
  editor.Background(COLOR_BLACK);
  const IBitmap bitmap = editor.g().LoadBitmap(strip.c_str(), 5, false, 1);
  ASSERT_TRUE(bitmap.IsValid());
  EXPECT_EQ(bitmap.FH(), 40);
  editor.Add(IRECT(10, 10, 50, 50),
             [&](IGraphics& g, const IRECT&) { g.DrawBitmap(bitmap, IRECT(10, 10, 50, 50), 3); });
  ASSERT_TRUE(editor.Frame());

  for (int row : {0, 1, 20, 39})
    EXPECT_TRUE(Near(editor.At(30, 10 + row), {80 + row, 175 - row, 0, 255}, 2)) << "row " << row;
  EXPECT_TRUE(Near(editor.At(30, 9), {0, 0, 0, 255}, 0)) << "above the rectangle";
  EXPECT_TRUE(Near(editor.At(30, 50), {0, 0, 0, 255}, 0)) << "below the rectangle";
}

namespace {

constexpr const char* kRoboto = "/usr/share/fonts/truetype/roboto/unhinted/RobotoTTF/Roboto-Regular.ttf";

// Dark pixels of a black-on-white frame inside [x0, x1) x [y0, y1), in device pixels.
int DarkPixels(const OffscreenEditor& e, int x0, int y0, int x1, int y1)
{
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x)
      n += e.At(x, y).r < 128;
  return n;
}

} // namespace

TEST(NanoVGPixels, TextIsMeasuredAndDrawnWhereItsAlignmentPutsIt)
{
  OffscreenEditor editor(200, 140);
  REQUIRE_GL(editor);
  ASSERT_TRUE(editor.g().LoadFont("Roboto-Regular", kRoboto));
  editor.Background(COLOR_WHITE);

  struct Case
  {
    ETextHAlign h;
    ETextVAlign v;
    float angle;
  };
  const Case cases[] = {{ETextHAlign::Near, ETextVAlign::Top, 0.f},
                        {ETextHAlign::Center, ETextVAlign::Middle, 0.f},
                        {ETextHAlign::Far, ETextVAlign::Bottom, 0.f},
                        {ETextHAlign::Center, ETextVAlign::Middle, -90.f}}; // turned about its anchor
  const IRECT box(20, 10, 180, 130);
  for (const Case& c : cases)
  {
    const IText text(20.f, COLOR_BLACK, "Roboto-Regular", c.h, c.v, c.angle);
    IRECT measured = box;
    editor.g().MeasureText(text, "Hamburg", measured);
    const float along = c.angle == 0.f ? measured.W() : measured.H();
    const float across = c.angle == 0.f ? measured.H() : measured.W();
    ASSERT_GT(along, 40.f) << c.angle;
    ASSERT_LT(along, 120.f) << c.angle;
    ASSERT_LT(across, 30.f) << c.angle;
    switch (c.h)
    {
      case ETextHAlign::Near: EXPECT_NEAR(measured.L, box.L, 2.f); break;
      case ETextHAlign::Center: EXPECT_NEAR(measured.MW(), box.MW(), 3.f); break;
      case ETextHAlign::Far: EXPECT_NEAR(measured.R, box.R, 2.f); break;
    }
    switch (c.v)
    {
      case ETextVAlign::Top: EXPECT_NEAR(measured.T, box.T, 2.f); break;
      case ETextVAlign::Middle: EXPECT_NEAR(measured.MH(), box.MH(), 3.f); break;
      case ETextVAlign::Bottom: EXPECT_NEAR(measured.B, box.B, 2.f); break;
    }

    auto* label = editor.Add(box, [text](IGraphics& g, const IRECT& r) { g.DrawText(text, "Hamburg", r); });
    ASSERT_TRUE(editor.Frame());
    const int inside = DarkPixels(editor, int(measured.L), int(measured.T), int(measured.R) + 1, int(measured.B) + 1);
    const int all = DarkPixels(editor, 0, 0, editor.width, editor.height);
    EXPECT_GT(inside, 50) << "glyphs drawn";
    EXPECT_EQ(inside, all) << "nothing outside the measured bounds";
    editor.g().RemoveControl(label);
  }

  // A face that was never loaded draws nothing and measures nothing.
  const IText unknown(20.f, COLOR_BLACK, "Nonexistent");
  IRECT measured = box;
  EXPECT_EQ(editor.g().MeasureText(unknown, "Hamburg", measured), 0.f);
}

TEST(NanoVGPixels, PreservedStrokeLeavesThePathForTheFill)
{
  for (const bool preserve : {true, false})
  {
    OffscreenEditor editor(60, 60);
    REQUIRE_GL(editor);
    editor.Background(COLOR_WHITE);
    editor.Add(IRECT(10, 10, 50, 50), [preserve](IGraphics& g, const IRECT& r) {
      g.PathClear();
      g.PathRect(r.GetPadded(-5.f));
      IStrokeOptions stroke;
      stroke.mPreserve = preserve;
      g.PathStroke(IPattern(COLOR_BLUE), 2.f, stroke);
      g.PathFill(IPattern(COLOR_RED));
    });
    ASSERT_TRUE(editor.Frame());
    EXPECT_TRUE(Near(editor.At(14, 30), {0, 0, 255, 255})) << "stroke outside the fill, preserve " << preserve;
    const RGBA inside = preserve ? RGBA{255, 0, 0, 255} : RGBA{255, 255, 255, 255};
    EXPECT_TRUE(Near(editor.At(30, 30), inside)) << "fill, preserve " << preserve;
  }
}

TEST(NanoVGPixels, BlendWeightScalesOpacityAndEveryDrawLeavesSourceOver)
{
  // A square drawn with the blend over a red background, then a blue dot drawn without one.
  struct Case
  {
    IBlend blend;
    RGBA square;
  };
  const Case cases[] = {
    {IBlend(EBlend::SrcOver, 0.5f), {128, 0, 127, 255}}, // blue at half opacity over red
    {IBlend(EBlend::DstOut, 1.f), {0, 0, 0, 0}},         // erases
    {IBlend(EBlend::SrcIn, 1.f), {0, 0, 255, 255}},      {IBlend(EBlend::XOR, 1.f), {0, 0, 0, 0}},
    {IBlend(EBlend::Add, 1.f), {255, 0, 255, 255}},
  };
  for (const Case& c : cases)
  {
    OffscreenEditor editor(40, 40);
    REQUIRE_GL(editor);
    editor.Background(COLOR_RED);
    editor.Add(IRECT(0, 0, 40, 40), [&c](IGraphics& g, const IRECT&) {
      g.FillRect(COLOR_BLUE, IRECT(5, 5, 25, 25), &c.blend);
      g.FillRect(COLOR_BLUE, IRECT(28, 28, 36, 36));
    });
    ASSERT_TRUE(editor.Frame());
    EXPECT_TRUE(Near(editor.At(15, 15), c.square, 2)) << "method " << int(c.blend.mMethod);
    EXPECT_TRUE(Near(editor.At(32, 32), {0, 0, 255, 255})) << "after method " << int(c.blend.mMethod);
  }
}

TEST(NanoVGPixels, PartialRedrawKeepsPixelsOutsideTheDirtyRegions)
{
  OffscreenEditor editor(80, 40);
  REQUIRE_GL(editor);
  editor.Background(COLOR_WHITE);
  IColor left = COLOR_RED, right = COLOR_BLUE;
  auto* a = editor.Add(IRECT(10, 10, 30, 30), [&](IGraphics& g, const IRECT& r) { g.FillRect(left, r); });
  editor.Add(IRECT(50, 10, 70, 30), [&](IGraphics& g, const IRECT& r) { g.FillRect(right, r); });
  ASSERT_TRUE(editor.Frame());

  // Both change, only the left one is marked dirty: the right one keeps its old pixels.
  left = COLOR_GREEN;
  right = COLOR_GREEN;
  a->SetDirty(false);
  ASSERT_TRUE(editor.Frame());
  EXPECT_TRUE(Near(editor.At(20, 20), {0, 255, 0, 255}));
  EXPECT_TRUE(Near(editor.At(60, 20), {0, 0, 255, 255}));
  EXPECT_TRUE(Near(editor.At(40, 5), {255, 255, 255, 255}));

  editor.g().SetAllControlsDirty();
  ASSERT_TRUE(editor.Frame());
  EXPECT_TRUE(Near(editor.At(60, 20), {0, 255, 0, 255}));
}

TEST(NanoVGPixels, LayerIsDrawnOnceAndReusedWhileValid)
{
  OffscreenEditor editor(60, 60, 2.f);
  REQUIRE_GL(editor);
  editor.Background(COLOR_WHITE);
  ILayerPtr layer;
  int contentDraws = 0;
  auto* c = editor.Add(IRECT(10, 10, 50, 50), [&](IGraphics& g, const IRECT& r) {
    if (!g.CheckLayer(layer))
    {
      g.StartLayer(nullptr, r);
      ++contentDraws;
      g.FillRect(COLOR_GREEN, r);
      g.FillCircle(COLOR_RED, r.MW(), r.MH(), 10.f);
      layer = g.EndLayer();
    }
    g.DrawLayer(layer);
  });
  for (int frame = 0; frame < 2; ++frame)
  {
    c->SetDirty(false);
    ASSERT_TRUE(editor.Frame());
    EXPECT_TRUE(Near(editor.At(2 * 12, 2 * 12), {0, 255, 0, 255})) << "frame " << frame;
    EXPECT_TRUE(Near(editor.At(2 * 30, 2 * 30), {255, 0, 0, 255})) << "frame " << frame;
    EXPECT_TRUE(Near(editor.At(2 * 5, 2 * 5), {255, 255, 255, 255})) << "frame " << frame;
  }
  EXPECT_EQ(contentDraws, 1);
}

TEST(NanoVGPixels, LayerDeletedDuringAFrameSurvivesUntilTheFrameEnds)
{
  OffscreenEditor editor(60, 60);
  REQUIRE_GL(editor);
  editor.Background(COLOR_WHITE);
  editor.Add(IRECT(10, 10, 50, 50), [](IGraphics& g, const IRECT& r) {
    g.StartLayer(nullptr, r);
    g.FillRect(COLOR_GREEN, r);
    ILayerPtr layer = g.EndLayer();
    g.DrawLayer(layer);
    layer.reset(); // the draw above is still waiting to be rendered
  });
  ASSERT_TRUE(editor.Frame());
  EXPECT_TRUE(Near(editor.At(30, 30), {0, 255, 0, 255}));
}
