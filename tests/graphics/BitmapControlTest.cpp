// Filmstrip controls: the frame each value shows, where it is drawn, switch
// stepping, rescaling to the bitmap for the screen, and the rest of the family.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "GraphicsTestSupport.h"
#include "graphics/IControls.h"

namespace iplug::igraphics::test {
namespace {

struct BitmapFixture : ::testing::Test
{
  TestDelegate dlg{4};
  RecordingGraphics ui{dlg};

  BitmapFixture()
  {
    ui.images["KNOB.png"] = {40, 13 * 30}; // 13 frames of 40 x 30
    ui.images["SW2.png"] = {20, 2 * 10};
    ui.images["SW5.png"] = {20, 5 * 10};
    ui.images["BG.png"] = {300, 200};
    ui.images["CHARS.png"] = {6, 95 * 12}; // space to tilde, 6 x 12 cells
  }

  DrawCall DrawnBy(IControl& control)
  {
    ui.ClearLog();
    control.Draw(ui);
    const auto drawn = ui.Ops("bitmap");
    return drawn.empty() ? DrawCall{} : drawn.back();
  }

  void Click(const IControl& control)
  {
    const IRECT& r = control.GetRECT();
    ui.OnMouseDown(Point(r.MW(), r.MH(), IMouseMod(true)));
    ui.OnMouseUp(Point(r.MW(), r.MH(), IMouseMod(true)));
  }
};

TEST_F(BitmapFixture, KnobShowsTheNearestFrameWithHalvesRoundingUp)
{
  auto* knob = new IBKnobControl(10, 20, ui.LoadBitmap("KNOB.png", 13), kNoParameter);
  ui.AttachControl(knob);
  EXPECT_EQ(knob->GetRECT(), IRECT(10, 20, 50, 50));
  const struct
  {
    double value;
    int frame;
  } cases[] = {{0.0, 1}, {1.0, 13}, {0.5, 7}, {0.04, 1}, {0.05, 2}, {-3.0, 1}, {7.0, 13}, {std::nan(""), 1}};
  for (const auto& c : cases)
  {
    knob->SetValue(c.value);
    const DrawCall drawn = DrawnBy(*knob);
    EXPECT_EQ(drawn.srcY, (c.frame - 1) * 30) << c.value;
    EXPECT_EQ(drawn.bounds, IRECT(10, 20, 50, 50)) << c.value;
  }
}

TEST_F(BitmapFixture, SwitchSteppingToggleWrapAndDrawnFrame)
{
  auto* two = new IBSwitchControl(0, 0, ui.LoadBitmap("SW2.png", 2), 0);
  auto* five = new IBSwitchControl(100, 0, ui.LoadBitmap("SW5.png", 5));
  ui.AttachControl(two);
  ui.AttachControl(five);

  const double twoSeq[] = {1.0, 0.0, 1.0};
  for (double expected : twoSeq)
  {
    Click(*two);
    EXPECT_EQ(two->GetValue(), expected);
    EXPECT_EQ(dlg.GetParam(0)->GetNormalized(), expected); // the click reaches the parameter
    EXPECT_EQ(DrawnBy(*two).srcY, expected == 1.0 ? 10 : 0);
  }
  const double fiveSeq[] = {0.25, 0.5, 0.75, 1.0, 0.0};
  for (double expected : fiveSeq)
  {
    Click(*five);
    EXPECT_DOUBLE_EQ(five->GetValue(), expected);
  }
}

TEST_F(BitmapFixture, FrameIsCentredInALargerRectangleAndOneFrameDrawsWhole)
{
  const IBitmap sw = ui.LoadBitmap("SW2.png", 2);
  auto* fromBounds = new IBSwitchControl(IRECT(0, 0, 100, 50), sw);
  auto* knob = new IBKnobControl(IRECT(0, 100, 100, 200), ui.LoadBitmap("KNOB.png", 13), kNoParameter);
  auto* still = new IBitmapControl(5, 5, ui.LoadBitmap("BG.png"), kNoParameter, EBlend::Add);
  ui.AttachControl(fromBounds);
  ui.AttachControl(knob);
  ui.AttachControl(still);

  EXPECT_EQ(fromBounds->GetRECT(), IRECT(40, 20, 60, 30));   // the switch shrinks to one frame
  EXPECT_EQ(DrawnBy(*knob).bounds, IRECT(30, 135, 70, 165)); // the knob keeps its rectangle, draws centred
  still->SetValue(1.0);
  const DrawCall whole = DrawnBy(*still);
  EXPECT_EQ(whole.bounds, IRECT(5, 5, 305, 205));
  EXPECT_EQ(whole.srcY, 0);
  EXPECT_EQ(still->GetBlend(), IBlend(EBlend::Add, 1.f));
}

TEST_F(BitmapFixture, RescaleDrawsTheVariantForTheScreenRoundedUp)
{
  auto* knob = new IBKnobControl(0, 0, ui.LoadBitmap("KNOB.png", 13), kNoParameter);
  ui.AttachControl(knob);
  EXPECT_EQ(DrawnBy(*knob).bitmapScale, 1.f);

  const struct
  {
    float screen;
    float bitmap;
  } cases[] = {{1.5f, 2.f}, {2.f, 2.f}, {2.5f, 3.f}, {1.f, 1.f}};
  for (const auto& c : cases)
  {
    ui.SetScreenScale(c.screen);
    const DrawCall drawn = DrawnBy(*knob);
    EXPECT_EQ(drawn.bitmapScale, c.bitmap) << c.screen;
    EXPECT_EQ(drawn.bounds, IRECT(0, 0, 40, 30)) << c.screen; // same size in points
    EXPECT_EQ(knob->GetBitmap().N(), 13);
  }

  ui.images.erase("KNOB.png"); // a variant that cannot be loaded keeps the bitmap in use
  ui.SetScreenScale(2.f);
  EXPECT_TRUE(knob->GetBitmap().IsValid());
}

TEST_F(BitmapFixture, ZoomPicksTheVariantItDrawsAtAndReloadsOnlyAcrossVariants)
{
  dlg.SetSizeConstraints(100, 1000, 100, 1000);
  auto* knob = new IBKnobControl(0, 0, ui.LoadBitmap("KNOB.png", 13), kNoParameter);
  ui.AttachControl(knob);
  ui.AttachCornerResizer(EUIResizerMode::Scale, false, COLOR_TRANSLUCENT, COLOR_BLACK, COLOR_BLACK, 20.f);
  ui.bitmapLoads.clear();
  // Each step: a zoom set directly or dragged with the corner (press at the editor's corner).
  const struct
  {
    float screen, zoom;
    bool drag;
    float bitmap;      // the variant drawn
    size_t loadsSoFar; // reloads since the start
  } steps[] = {
    {1.f, 1.03f, true, 2.f, 1}, {1.f, 1.4f, true, 2.f, 1},  {1.f, 2.f, true, 2.f, 1}, // into @2x once
    {1.f, 1.f, true, 1.f, 2},   {1.f, 0.6f, true, 1.f, 2},                            // back to @1x once
    {1.f, 2.f, false, 2.f, 3},                                                        // 200 % at 1x ...
    {2.f, 1.f, false, 2.f, 5},                                                        // ... = 100 % at 2x (via @4x)
    {2.f, 1.5f, false, 3.f, 6}, {1.5f, 1.f, false, 2.f, 7}, {1.5f, 0.6f, false, 1.f, 8},
  };
  for (const auto& s : steps)
  {
    ui.SetScreenScale(s.screen);
    if (s.drag)
    {
      // Pointer positions arrive in editor points at the zoom of the moment: where the corner of a
      // `z` zoom lies on screen, seen at the current zoom.
      const auto corner = [&](float z) {
        return Point(299 * z / ui.GetDrawScale(), 199 * z / ui.GetDrawScale(), IMouseMod(true), 1.f, 1.f);
      };
      const float from = ui.GetDrawScale();
      ui.OnMouseDown(corner(from));
      ui.StartDragResize();
      const int n = 10; // small steps, as a pointer moves
      for (int i = 1; i <= n; ++i)
        ui.OnMouseDrag(corner(from + (s.zoom - from) * static_cast<float>(i) / n));
      ui.OnMouseUp(corner(s.zoom));
    }
    else
      ui.Resize(300, 200, s.zoom);
    EXPECT_NEAR(ui.GetDrawScale(), s.zoom, 1e-4) << s.screen << " x " << s.zoom;
    const DrawCall drawn = DrawnBy(*knob);
    EXPECT_EQ(drawn.bitmapScale, s.bitmap) << s.screen << " x " << s.zoom;
    EXPECT_EQ(drawn.bounds, IRECT(0, 0, 40, 30)) << s.screen << " x " << s.zoom;
    EXPECT_EQ(ui.bitmapLoads.size(), s.loadsSoFar) << s.screen << " x " << s.zoom;
  }
}

TEST_F(BitmapFixture, BackgroundFromAFileAndAMissingOne)
{
  auto* box = new BoxControl(IRECT(0, 0, 10, 10));
  ui.AttachControl(box);
  IControl* bg = ui.AttachBackground("BG.png");
  EXPECT_EQ(ui.GetBackgroundControl(), bg);
  EXPECT_EQ(ui.GetControl(1), box);
  EXPECT_EQ(bg->GetRECT(), IRECT(0, 0, 300, 200));

  RecordingGraphics bare(dlg);
  IControl* missing = bare.AttachBackground("NONE.png");
  EXPECT_TRUE(missing->GetRECT().Empty());
  bare.RunFrame();
  EXPECT_EQ(bare.Count("bitmap"), 0);
}

TEST_F(BitmapFixture, RestOfTheFamily)
{
  // Rotater: the whole picture about the centre, -130 degrees at 0, +130 at 1.
  auto* rotater = new IBKnobRotaterControl(0, 0, ui.LoadBitmap("BG.png"), kNoParameter);
  ui.AttachControl(rotater);
  rotater->SetValue(1.0);
  const DrawCall turned = DrawnBy(*rotater);
  EXPECT_EQ(turned.bounds, IRECT(-150, -100, 150, 100));
  IMatrix expected;
  expected.Translate(150, 100);
  expected.Rotate(130.f);
  EXPECT_NEAR(turned.transform.mXX, expected.mXX, 1e-6);
  EXPECT_NEAR(turned.transform.mXY, expected.mXY, 1e-6);
  EXPECT_NEAR(turned.transform.mTX, 150.0, 1e-6);

  // Slider: the handle travels the track, top at 1 for a vertical slider.
  auto* slider = new IBSliderControl(0, 0, 100, ui.LoadBitmap("SW2.png", 2), IBitmap(), kNoParameter);
  ui.AttachControl(slider);
  EXPECT_EQ(slider->GetRECT(), IRECT(0, 0, 20, 100));
  const struct
  {
    double v;
    float top;
  } slides[] = {{0.0, 90}, {1.0, 0}, {0.5, 45}};
  for (const auto& s : slides)
  {
    slider->SetValue(s.v);
    EXPECT_EQ(DrawnBy(*slider).bounds, IRECT(0, s.top, 20, s.top + 10)) << s.v;
  }

  // Text: character c is frame c - 31; unknown characters leave their cell empty.
  IText left;
  left.mAlign = ETextHAlign::Near;
  auto* text = new IBTextControl(IRECT(0, 0, 60, 12), ui.LoadBitmap("CHARS.png", 95), left, "A\x01~", 6, 12, 1);
  ui.AttachControl(text);
  ui.ClearLog();
  text->Draw(ui);
  const auto cells = ui.Ops("bitmap");
  ASSERT_EQ(cells.size(), 2u);
  EXPECT_EQ(cells[0].srcY, ('A' - 32) * 12);
  EXPECT_EQ(cells[0].bounds, IRECT(0, 0, 6, 12));
  EXPECT_EQ(cells[1].srcY, ('~' - 32) * 12);
  EXPECT_EQ(cells[1].bounds.L, 14.f); // two cells of 6 plus 1 spacing each

  // Meter: levels arrive as messages; short or foreign messages change nothing.
  auto* meter = new IBMeterControl(0, 0, ui.LoadBitmap("KNOB.png", 13), 2, true, -60.0, 0.0);
  ui.AttachControl(meter);
  const auto send = [&](int msgTag, int nChans, std::vector<float> levels, int size = -1) {
    std::vector<unsigned char> bytes(IMeterMessage::kHeaderSize + levels.size() * sizeof(float));
    const int32_t header[3] = {7, nChans, 0};
    std::memcpy(bytes.data(), header, sizeof(header));
    std::memcpy(bytes.data() + IMeterMessage::kHeaderSize, levels.data(), levels.size() * sizeof(float));
    meter->OnMsgFromDelegate(msgTag, size < 0 ? static_cast<int>(bytes.size()) : size, bytes.data());
  };
  send(0, 2, {1.f, -0.001f});
  EXPECT_DOUBLE_EQ(meter->GetValue(0), 1.0);
  EXPECT_NEAR(meter->GetValue(1), 0.0, 1e-6); // -60 dB
  send(0, 2, {0.f, 0.f}, 16);                 // too short
  send(1, 2, {0.f, 0.f});                     // another message
  EXPECT_DOUBLE_EQ(meter->GetValue(0), 1.0);
  send(0, 9, {0.f, 0.5f}); // claims more channels than it carries: reads what is there
  EXPECT_DOUBLE_EQ(meter->GetValue(0), 0.0);
  EXPECT_NEAR(meter->GetValue(1), 1.0 - 20.0 * std::log10(2.0) / 60.0, 1e-6);
}

} // namespace
} // namespace iplug::igraphics::test
