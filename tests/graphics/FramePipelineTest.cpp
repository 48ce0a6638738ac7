#include <gtest/gtest.h>

#include "AllocationCounter.h"
#include "GraphicsTestSupport.h"
#include "graphics/IFPSDisplayControl.h"

using namespace iplug;
using namespace iplug::igraphics;
using namespace iplug::igraphics::test;

namespace {

struct FrameFixture : ::testing::Test
{
  TestDelegate dlg{2};
  RecordingGraphics ui{dlg, 300, 200};

  /** Colours filled in one frame, in drawing order, with the clip each was drawn under. */
  std::vector<std::pair<IColor, IRECT>> Fills() const
  {
    std::vector<std::pair<IColor, IRECT>> out;
    for (const DrawCall& c : ui.Ops("fill"))
      out.emplace_back(c.color, c.clip);
    return out;
  }
};

} // namespace

TEST_F(FrameFixture, SetDirtyToClippedDrawCallsOfOneFrame)
{
  auto* bg = ui.AttachControl(new BoxControl(IRECT(0, 0, 300, 200), COLOR_GRAY));
  auto* a = ui.AttachControl(new BoxControl(IRECT(10, 10, 50, 30), COLOR_RED, 0));
  ui.AttachControl(new BoxControl(IRECT(200, 100, 250, 150), COLOR_GREEN));
  EXPECT_TRUE(ui.RunFrame()); // first frame: everything is new
  ui.ClearLog();
  EXPECT_FALSE(ui.RunFrame()); // nothing dirty: no frame begun
  EXPECT_EQ(ui.Count("beginFrame"), 0);

  a->SetValue(0.5);
  a->SetDirty(true);
  EXPECT_TRUE(ui.RunFrame());
  // One region: a's rectangle padded by 0.75 and aligned to whole pixels.
  const IRECT region(9, 9, 51, 31);
  EXPECT_EQ(ui.calls.front().op, "beginFrame");
  EXPECT_EQ(ui.calls.back().op, "endFrame");
  ASSERT_EQ(Fills().size(), 2u);                             // the green box lies outside and is not drawn
  EXPECT_EQ(Fills()[0], std::make_pair(COLOR_GRAY, region)); // background first, clipped to the region
  EXPECT_EQ(Fills()[1], std::make_pair(COLOR_RED, region));
  for (const DrawCall& c : ui.Ops("region"))
    EXPECT_EQ(c.bounds, region);
  EXPECT_FALSE(bg->IsDirty());
  EXPECT_FALSE(a->IsDirty());
}

TEST_F(FrameFixture, AFrameOfTheSameDirtyControlsAllocatesNothing)
{
#ifdef CORVANE_SANITIZED
  GTEST_SKIP() << "the sanitizers' allocator is not counted";
#endif
  // Overlapping controls, so the optimiser splits and merges regions too.
  ui.AttachControl(new BoxControl(IRECT(0, 0, 300, 200), COLOR_GRAY));
  IControl* controls[] = {ui.AttachControl(new BoxControl(IRECT(10, 10, 50, 50), COLOR_RED)),
                          ui.AttachControl(new BoxControl(IRECT(30, 20, 90, 60), COLOR_BLUE)),
                          ui.AttachControl(new BoxControl(IRECT(200, 100, 250, 150), COLOR_GREEN))};
  ui.calls.reserve(1000); // the recording itself must not allocate either
  const auto frame = [&] {
    for (IControl* c : controls)
      c->SetDirty(false);
    ui.calls.clear();
    return ui.RunFrame();
  };
  ASSERT_TRUE(frame()); // the dirty list grows to this frame's size once
  const long before = corvane_test::AllocationCount();
  {
    corvane_test::CountingScope counting;
    for (int i = 0; i < 3; ++i)
      ASSERT_TRUE(frame());
  }
  EXPECT_EQ(corvane_test::AllocationCount() - before, 0);
  EXPECT_GT(ui.Count("fill"), 3);
}

TEST_F(FrameFixture, OverlappingRegionsAreDrawnOnceAndInOrder)
{
  ui.AttachControl(new BoxControl(IRECT(0, 0, 300, 200), COLOR_GRAY));
  auto* a = ui.AttachControl(new BoxControl(IRECT(10, 10, 50, 50), COLOR_RED));
  auto* b = ui.AttachControl(new BoxControl(IRECT(30, 10, 90, 50), COLOR_BLUE));
  ui.RunFrame();
  ui.ClearLog();
  a->SetDirty(false);
  b->SetDirty(false);
  ui.RunFrame();
  // Same height side by side after alignment: optimised into one region.
  ASSERT_EQ(ui.Count("region"), 3);
  const IRECT merged(9, 9, 91, 51);
  EXPECT_EQ(Fills(), (std::vector<std::pair<IColor, IRECT>>{
                       {COLOR_GRAY, merged}, {COLOR_RED, IRECT(9, 9, 51, 51)}, {COLOR_BLUE, IRECT(29, 9, 91, 51)}}));
}

TEST_F(FrameFixture, StrictDrawingUsesOneBoundingRegion)
{
  ui.AttachControl(new BoxControl(IRECT(0, 0, 300, 200), COLOR_GRAY));
  auto* a = ui.AttachControl(new BoxControl(IRECT(10, 10, 20, 20), COLOR_RED));
  auto* b = ui.AttachControl(new BoxControl(IRECT(100, 100, 110, 110), COLOR_BLUE));
  ui.RunFrame();
  ui.SetStrictDrawing(true);
  ui.SetAllControlsClean();
  ui.ClearLog();
  a->SetDirty(false);
  b->SetDirty(false);
  ui.RunFrame();
  EXPECT_EQ(Fills().front(), std::make_pair(COLOR_GRAY, IRECT(9, 9, 111, 111)));
  EXPECT_EQ(Fills().size(), 3u);
}

TEST_F(FrameFixture, HiddenControlsAndTheHiddenBackground)
{
  auto* bg = ui.AttachControl(new BoxControl(IRECT(0, 0, 300, 200), COLOR_GRAY));
  auto* hidden = ui.AttachControl(new BoxControl(IRECT(10, 10, 50, 50), COLOR_RED));
  bg->Hide(true);
  hidden->Hide(true);
  ui.RunFrame();
  const auto fills = Fills();
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(fills[0].first, COLOR_GRAY);
}

TEST_F(FrameFixture, HighDensityAlignmentAndScaledRegions)
{
  ui.SetScreenScale(2.f);
  ui.AttachControl(new BoxControl(IRECT(10.3f, 10.3f, 20.2f, 20.2f), COLOR_RED));
  ui.RunFrame();
  // Padded by 0.75 then aligned to half points (two pixels per point).
  EXPECT_EQ(ui.Ops("region").front().bounds, IRECT(9.5f, 9.5f, 21.f, 21.f));
}

TEST_F(FrameFixture, TransformStackAndClipInsideADraw)
{
  struct Transformer : BoxControl
  {
    using BoxControl::BoxControl;
    void Draw(IGraphics& g) override
    {
      g.PathTransformSave();
      g.PathTransformTranslate(10, 20);
      g.PathTransformScale(2);
      g.FillRect(COLOR_RED, IRECT(0, 0, 5, 5));
      g.PathTransformRestore();
      g.PathTransformRestore(); // empty stack: nothing happens
      g.PathClipRegion(IRECT(0, 0, 20, 20));
      g.FillRect(COLOR_BLUE, mRECT);
    }
  };
  ui.AttachControl(new Transformer(IRECT(0, 0, 100, 100)));
  ui.RunFrame();
  const auto fills = ui.Ops("fill");
  ASSERT_EQ(fills.size(), 2u);
  EXPECT_EQ(fills[0].transform, IMatrix(2, 0, 0, 2, 10, 20));
  EXPECT_EQ(fills[0].bounds, IRECT(0, 0, 5, 5)); // path in local coordinates
  EXPECT_EQ(fills[1].transform, IMatrix());
  EXPECT_EQ(fills[1].clip, IRECT(0, 0, 20, 20));
  ui.ClearLog();
  ui.SetAllControlsDirty();
  ui.RunFrame(); // every region starts from identity and the region clip
  EXPECT_EQ(ui.Ops("fill")[0].transform, IMatrix(2, 0, 0, 2, 10, 20));
  EXPECT_EQ(ui.Ops("clip")[0].bounds, IRECT(-1, -1, 101, 101));
}

TEST_F(FrameFixture, LayersRedirectAndRestoreTheClip)
{
  struct Cached : BoxControl
  {
    using BoxControl::BoxControl;
    ILayerPtr layer;
    bool reused = false;
    void Draw(IGraphics& g) override
    {
      if (!g.CheckLayer(layer))
      {
        g.StartLayer(this, mRECT);
        g.FillRect(color, mRECT);
        layer = g.EndLayer();
      }
      else
        reused = true;
      g.DrawLayer(layer);
    }
  };
  auto* c = static_cast<Cached*>(ui.AttachControl(new Cached(IRECT(10.5f, 10, 30, 20))));
  ui.RunFrame();
  ASSERT_TRUE(c->layer);
  EXPECT_EQ(c->layer->Bounds(), IRECT(10, 10, 30, 20));
  EXPECT_EQ(ui.Ops("createBitmap")[0].bounds, IRECT(0, 0, 20, 10));
  EXPECT_EQ(ui.Ops("fill")[0].clip, IRECT(10, 10, 30, 20)); // drawn under the layer's bounds
  EXPECT_EQ(ui.Ops("bitmap")[0].clip, IRECT(9, 9, 31, 21)); // composited under the region again
  EXPECT_EQ(ui.LayerDepth(), 0);

  ui.ClearLog();
  c->SetDirty(false);
  ui.RunFrame();
  EXPECT_TRUE(c->reused);
  EXPECT_EQ(ui.Count("createBitmap"), 0);

  c->SetPosition(40, 40); // the cached control moved: the layer is stale
  EXPECT_FALSE(ui.CheckLayer(c->layer));
  ui.SetScreenScale(2.f);
  EXPECT_FALSE(ui.CheckLayer(c->layer));
  EXPECT_EQ(ui.EndLayer(), nullptr); // popping an empty stack is harmless
}

TEST_F(FrameFixture, DrawBitmapFrameOffsets)
{
  APIBitmap stacked(1, 30, 300, 1.f, 1.f), sideBySide(2, 300, 30, 2.f, 1.f);
  const IBitmap v(&stacked, 10, false, "v.png"), h(&sideBySide, 5, true, "h.png");
  EXPECT_EQ(IRECT(5, 5, v), IRECT(5, 5, 35, 35));
  EXPECT_EQ(IRECT(0, 0, h), IRECT(0, 0, 30, 15));
  struct
  {
    const IBitmap* bmp;
    int frame;
    int srcX, srcY;
  } cases[] = {
    {&v, 1, 0, 0}, {&v, 3, 0, 60}, {&v, 99, 0, 270}, {&v, -4, 0, 0}, {&h, 2, 30, 0}, {&h, 5, 120, 0},
  };
  for (const auto& c : cases)
  {
    ui.ClearLog();
    ui.DrawBitmap(*c.bmp, IRECT(0, 0, 30, 30), c.frame);
    const auto bitmaps = ui.Ops("bitmap");
    ASSERT_EQ(bitmaps.size(), 1u);
    EXPECT_EQ(bitmaps[0].srcX, c.srcX) << c.frame;
    EXPECT_EQ(bitmaps[0].srcY, c.srcY) << c.frame;
  }
}

TEST_F(FrameFixture, TextIsSkippedWhenEmpty)
{
  ui.DrawText(DEFAULT_TEXT, "", IRECT(0, 0, 10, 10));
  ui.DrawText(DEFAULT_TEXT, nullptr, 5, 5);
  ui.DrawText(DEFAULT_TEXT, "hi", 5, 6);
  const auto texts = ui.Ops("text");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].bounds, IRECT(5, 6, 5, 6));
  IRECT r;
  EXPECT_EQ(ui.MeasureText(DEFAULT_TEXT, "", r), 0.f);
  EXPECT_EQ(ui.MeasureText(DEFAULT_TEXT, "abcd", r), 28.f);
}

TEST_F(FrameFixture, FPSDisplayIsFedByEveryFrame)
{
  ui.ShowFPSDisplay(true);
  auto* fps = ui.GetFPSDisplay();
  ASSERT_NE(fps, nullptr);
  EXPECT_EQ(fps->GetRECT(), IRECT(10, 10, 210, 60));
  ui.clockSeconds = 5.0; // time counts from the first frame
  for (int i = 0; i < 120; ++i)
  {
    EXPECT_TRUE(ui.RunFrame()); // the display is always dirty
    ui.clockSeconds += 0.0167;
  }
  EXPECT_NEAR(fps->GetSample(0), 0.0167f, 1e-4);
  EXPECT_NEAR(1.0 / fps->GetMean(), 59.88, 0.01);
  ui.ClearLog();
  ui.RunFrame();
  bool sawRate = false;
  for (const DrawCall& c : ui.Ops("text"))
    sawRate |= c.text == "59.88 FPS";
  EXPECT_TRUE(sawRate);
  ui.ShowFPSDisplay(false);
  EXPECT_EQ(ui.GetFPSDisplay(), nullptr);
}

TEST(IFPSDisplayControl, EmptyHistoryAndStyleCycling)
{
  TestDelegate dlg;
  RecordingGraphics ui(dlg);
  IFPSDisplayControl fps(IRECT(0, 0, 104, 54));
  fps.SetGraphics(&ui);
  fps.Draw(ui);
  // Full-scale graph: 1 / 0.00001 clipped to 80 fps reaches the top of the graph area.
  EXPECT_EQ(ui.Ops("fill")[1].bounds, IRECT(2, 2, 104, 54));
  bool sawInf = false;
  for (const DrawCall& c : ui.Ops("text"))
    sawInf |= c.text == "inf FPS";
  EXPECT_TRUE(sawInf);
  for (int i = 0; i < 3; ++i)
    fps.OnMouseDown(0, 0, {});
  EXPECT_EQ(fps.GetStyle(), IFPSDisplayControl::kFPS);
}
