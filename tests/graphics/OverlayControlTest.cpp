// The value bubble (placement, drawing, fades on an injected clock) and the
// corner resizer (placement at every scale, cursor, colours, restore).

#include <gtest/gtest.h>

#include <functional>

#include "GraphicsTestSupport.h"
#include "graphics/IControls.h"

namespace iplug::igraphics::test {
namespace {

struct OverlayFixture : ::testing::Test
{
  TestDelegate dlg{4};
  RecordingGraphics ui{dlg, 300, 200};
  double nowMs = 0.0;
  IBubbleControl* bubble = nullptr;

  OverlayFixture()
  {
    dlg.SetSizeConstraints(100, 1000, 100, 1000);
    ui.SetAnimationClock([this] { return nowMs; });
    ui.AttachBubbleControl(DEFAULT_TEXT);
    bubble = ui.GetBubbleControl(0);
  }

  /** Advances the clock and runs one frame cycle. */
  void At(double ms)
  {
    nowMs = ms;
    ui.RunFrame();
  }
};

TEST_F(OverlayFixture, BubblePlacementAndArrow)
{
  BoxControl caller(IRECT(100, 100, 140, 130));
  BoxControl nearRight(IRECT(250, 100, 290, 130));
  BoxControl nearTop(IRECT(100, 5, 140, 35));
  // Text "abcd" measures 28 x 14; minimum content 50 x 20; padding 5 and shadow 10 give 80 x 40.
  const struct
  {
    IControl* c;
    EDirection dir;
    float x, y;
    IRECT bounds;
    int arrow;
  } cases[] = {
    {&caller, EDirection::Vertical, 120, 100, IRECT(80, 60, 160, 100), IBubbleControl::kArrowDown},
    {&caller, EDirection::Horizontal, 140, 115, IRECT(140, 95, 220, 135), IBubbleControl::kArrowLeft},
    {&nearRight, EDirection::Horizontal, 290, 115, IRECT(170, 95, 250, 135), IBubbleControl::kArrowRight},
    {&nearTop, EDirection::Vertical, 120, 5, IRECT(80, 35, 160, 75), IBubbleControl::kArrowUp},
  };
  EXPECT_TRUE(bubble->GetMaxBounds().Empty());
  for (const auto& c : cases)
  {
    bubble->ShowBubble(c.c, c.x, c.y, "abcd", c.dir, IRECT(0, 0, 50, 20));
    EXPECT_EQ(bubble->GetMaxBounds(), IRECT(0, 0, 300, 200)); // the editor, from the first show on
    EXPECT_EQ(bubble->GetBubbleBounds(), c.bounds) << c.x << "," << c.y;
    EXPECT_EQ(bubble->GetArrowDir(), c.arrow) << c.x << "," << c.y;
  }
}

TEST_F(OverlayFixture, EmptyTextStillDrawsTheShapeFollowingTheFade)
{
  BoxControl caller(IRECT(100, 100, 140, 130));
  bubble->ShowBubble(&caller, 120, 100, "", EDirection::Vertical, IRECT(0, 0, 50, 20));
  At(100.0); // half way into the fade-in
  const auto inner = IRECT(90, 70, 150, 90);
  ASSERT_EQ(ui.Count("shadow"), 1);
  EXPECT_EQ(ui.Ops("shadow")[0].bounds, inner);
  ASSERT_EQ(ui.Count("fill"), 1);
  EXPECT_EQ(ui.Ops("fill")[0].color, COLOR_WHITE);
  EXPECT_EQ(ui.Ops("fill")[0].bounds, IRECT(90, 70, 150, 100)); // the arrow tip reaches the anchor
  EXPECT_EQ(ui.Ops("stroke")[0].color, COLOR_BLACK);
  EXPECT_NEAR(ui.Ops("stroke")[0].weight, 0.475f, 1e-4);
  EXPECT_EQ(ui.Count("text"), 0);

  ui.ClearLog();
  bubble->ShowBubble(&caller, 120, 100, "12dB", EDirection::Vertical, IRECT(0, 0, 50, 20));
  At(150.0);
  ASSERT_EQ(ui.Count("text"), 1);
  EXPECT_EQ(ui.Ops("text")[0].text, "12dB");
}

TEST_F(OverlayFixture, FadeInHoldWhileCapturedFadeOut)
{
  auto* knob = new TestKnob(IRECT(100, 100, 140, 130), 0);
  ui.AttachControl(knob);
  ui.OnMouseDown(Point(120, 115, IMouseMod(true))); // the user holds the knob
  bubble->ShowBubble(knob, 120, 100, "x", EDirection::Vertical, IRECT());
  EXPECT_FALSE(bubble->IsHidden());

  using S = IBubbleControl::EState;
  const struct
  {
    double ms;
    S state;
    float opacity;
  } heldSteps[] = {
    {0, S::FadingIn, 0.f},   {100, S::FadingIn, 0.475f}, {201, S::Shown, 0.95f},
    {1100, S::Shown, 0.95f}, {1202, S::Shown, 0.95f}, // hold over, knob still held: another check
    {1403, S::Shown, 0.95f},
  };
  for (const auto& s : heldSteps)
  {
    At(s.ms);
    EXPECT_EQ(bubble->GetState(), s.state) << s.ms;
    EXPECT_NEAR(bubble->GetOpacity(), s.opacity, 1e-4) << s.ms;
  }

  ui.OnMouseUp(Point(120, 115, IMouseMod(true)));
  At(1604); // the next check finds the knob released
  EXPECT_EQ(bubble->GetState(), S::FadingOut);

  // A second caller during the fade-out joins that fade: new text and place, same timing.
  BoxControl other(IRECT(10, 150, 50, 180));
  bubble->ShowBubble(&other, 30, 150, "second", EDirection::Vertical, IRECT());
  At(1704);
  EXPECT_EQ(bubble->GetState(), S::FadingOut);
  EXPECT_EQ(bubble->GetCaller(), &other);
  EXPECT_STREQ(bubble->GetStr(), "second");
  EXPECT_NEAR(bubble->GetOpacity(), 0.475f, 1e-4);
  At(1805);
  EXPECT_EQ(bubble->GetState(), S::Hidden);
  EXPECT_TRUE(bubble->IsHidden());
  EXPECT_EQ(bubble->GetOpacity(), 0.f);
  EXPECT_FALSE(ui.RunFrame()); // nothing left to animate
}

TEST_F(OverlayFixture, EachTouchTakesAFreeBubbleAndKeepsIt)
{
  ui.EnableMultiTouch(true);
  ui.AttachBubbleControl(DEFAULT_TEXT);
  IBubbleControl* second = ui.GetBubbleControl(1);
  TestKnob* knobs[3];
  for (int i = 0; i < 3; ++i)
    knobs[i] = static_cast<TestKnob*>(ui.AttachControl(new TestKnob(IRECT(10.f + 60 * i, 10, 50.f + 60 * i, 50), i)));
  const auto press = [&](int knob, ITouchID touch) {
    IMouseMod mod(true);
    mod.touchID = touch;
    ui.OnMouseDown(Point(30.f + 60 * knob, 30, mod));
  };
  const auto release = [&](int knob, ITouchID touch) {
    IMouseMod mod(true);
    mod.touchID = touch;
    ui.OnMouseUp(Point(30.f + 60 * knob, 30, mod));
  };
  const auto show = [&](int knob) {
    ui.ShowBubbleControl(knobs[knob], 30.f + 60 * knob, 10, "v", EDirection::Vertical);
  };

  const struct
  {
    const char* step;
    std::function<void()> act;
    IControl* firstCaller;
    IControl* secondCaller;
  } steps[] = {
    {"touch 11 on knob 0 takes the first bubble", [&] { press(0, 11), show(0); }, knobs[0], nullptr},
    {"touch 12 on knob 1 takes the free one", [&] { press(1, 12), show(1); }, knobs[0], knobs[1]},
    {"touch 11 moves knob 0 again: its own bubble", [&] { show(0); }, knobs[0], knobs[1]},
    {"touch 13 while both are held: none is taken", [&] { press(2, 13), show(2); }, knobs[0], knobs[1]},
    {"touch 12 lets go: its bubble is free for 13", [&] { release(1, 12), show(2); }, knobs[0], knobs[2]},
  };
  for (const auto& s : steps)
  {
    s.act();
    EXPECT_EQ(bubble->GetCaller(), s.firstCaller) << s.step;
    EXPECT_EQ(second->GetCaller(), s.secondCaller) << s.step;
  }
  EXPECT_EQ(bubble->GetTouchID(), 11u);
  EXPECT_EQ(second->GetTouchID(), 13u);
}

TEST_F(OverlayFixture, CornerResizer)
{
  ui.AttachCornerResizer(EUIResizerMode::Scale, false, COLOR_TRANSLUCENT, COLOR_BLACK, COLOR_RED, 20.f);
  auto* resizer = dynamic_cast<ICornerResizerControl*>(ui.GetCornerResizer());
  ASSERT_NE(resizer, nullptr);
  ui.AttachCornerResizer(EUIResizerMode::Size, true, COLOR_RED, COLOR_RED, COLOR_RED, 40.f); // refused
  EXPECT_EQ(ui.GetCornerResizer(), resizer);
  EXPECT_EQ(ui.GetResizerMode(), EUIResizerMode::Scale);

  // The handle keeps its size on screen: fewer editor units at a larger draw scale.
  const struct
  {
    float scale;
    IRECT rect;
  } placements[] = {
    {1.f, IRECT(280, 180, 300, 200)}, {2.f, IRECT(290, 190, 300, 200)}, {0.5f, IRECT(260, 160, 300, 200)}};
  for (const auto& p : placements)
  {
    ui.Resize(300, 200, p.scale);
    EXPECT_EQ(resizer->GetRECT(), p.rect) << p.scale;
    EXPECT_EQ(resizer->GetTargetRECT(), p.rect) << p.scale;
  }

  // Pointer over: resize cursor and the mouse-over colour; out: the cursor it replaced.
  ui.SetMouseCursor(ECursor::HAND);
  ui.EnableMouseOver(true);
  ui.OnMouseOver(299, 199, IMouseMod());
  EXPECT_EQ(ui.GetCursor(), ECursor::SIZENWSE);
  ui.ClearLog();
  resizer->Draw(ui);
  EXPECT_EQ(ui.Ops("fill").back().color, COLOR_BLACK);
  ui.OnMouseOut();
  EXPECT_EQ(ui.GetCursor(), ECursor::HAND);

  // A press starts a drag resize, drawn in the drag colour; a double click restores 100 %.
  ui.OnMouseDown(Point(299, 199, IMouseMod(true)));
  EXPECT_TRUE(ui.GetResizingInProgress());
  ui.ClearLog();
  resizer->Draw(ui);
  EXPECT_EQ(ui.Ops("fill").back().color, COLOR_RED);
  ui.OnMouseUp(Point(299, 199, IMouseMod(true)));
  ui.Resize(500, 400, 1.5f);
  resizer->OnMouseDblClick(0, 0, IMouseMod());
  EXPECT_EQ(ui.Width(), 300);
  EXPECT_EQ(ui.Height(), 200);
  EXPECT_EQ(ui.GetDrawScale(), 1.f);
}

} // namespace
} // namespace iplug::igraphics::test
