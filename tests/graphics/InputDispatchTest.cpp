#include <gtest/gtest.h>

#include "GraphicsTestSupport.h"

using namespace iplug;
using namespace iplug::igraphics;
using namespace iplug::igraphics::test;

namespace {

struct InputFixture : ::testing::Test
{
  TestDelegate dlg{4};
  RecordingGraphics ui{dlg, 300, 200};
  BoxControl* bg = nullptr;
  BoxControl* lower = nullptr;
  BoxControl* upper = nullptr;

  void SetUp() override
  {
    bg = static_cast<BoxControl*>(ui.AttachControl(new BoxControl(IRECT(0, 0, 300, 200))));
    lower = static_cast<BoxControl*>(ui.AttachControl(new BoxControl(IRECT(10, 10, 60, 60), COLOR_RED, 0)));
    upper = static_cast<BoxControl*>(ui.AttachControl(new BoxControl(IRECT(40, 40, 90, 90), COLOR_BLUE, 1)));
    ui.EnableMouseOver(true);
  }

  static IMouseMod Left() { return IMouseMod(true); }
  static IMouseMod Right() { return IMouseMod(false, true); }
};

} // namespace

TEST_F(InputFixture, TopmostQualifyingControlIsHit)
{
  struct
  {
    float x, y;
    bool mouseOver;
    int expected;
  } cases[] = {
    {50, 50, false, 2},                   // overlap: the later one
    {20, 20, false, 1}, {5, 5, false, 0}, // background takes presses
    {5, 5, true, -1},                     // but never hover
    {90, 90, false, 0},                   // right/bottom edges are outside
    {-1, 5, false, -1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ui.GetMouseControlIdx(c.x, c.y, c.mouseOver), c.expected) << c.x << "," << c.y;

  upper->Hide(true);
  EXPECT_EQ(ui.GetMouseControlIdx(50, 50), 1);
  upper->Hide(false);
  upper->SetIgnoreMouse(true);
  EXPECT_EQ(ui.GetMouseControlIdx(50, 50), 1);
  upper->SetIgnoreMouse(false);

  upper->SetDisabled(true);
  EXPECT_EQ(ui.GetMouseControlIdx(50, 50), 1);
  upper->SetMouseEventsWhenDisabled(true);
  EXPECT_EQ(ui.GetMouseControlIdx(50, 50), 2);
  EXPECT_EQ(ui.GetMouseControlIdx(50, 50, true), 1); // hover needs its own permission
  upper->SetMouseOverWhenDisabled(true);
  EXPECT_EQ(ui.GetMouseControlIdx(50, 50, true), 2);

  ui.EnableMouseOver(false);
  EXPECT_EQ(ui.GetMouseControlIdx(20, 20, true), -1);
  EXPECT_FALSE(ui.OnMouseOver(20, 20, {}));
}

TEST_F(InputFixture, GestureOnAParameterIsBracketedAndFollowsTheCapture)
{
  ui.OnMouseDown(Point(50, 50, Left()));
  ui.OnMouseDrag(Point(200, 150, Left(), 150.f, 100.f)); // far outside: still the captured control
  ui.OnMouseDrag(Point(200, 150, Left(), 0.f, 0.f));     // no movement: not passed on
  ui.OnMouseUp(Point(200, 150, Left()));
  EXPECT_EQ(upper->events, (std::vector<std::string>{"down", "drag", "up"}));
  EXPECT_TRUE(lower->events.empty());
  EXPECT_EQ(dlg.log, (std::vector<std::string>{"begin 1", "end 1"}));
  EXPECT_FALSE(ui.ControlIsCaptured());

  ui.OnMouseDrag(Point(50, 50, Left(), 5.f, 5.f)); // nothing captured
  EXPECT_EQ(upper->events.size(), 3u);
}

TEST_F(InputFixture, KnobDragSendsBeginValuesEndInOrder)
{
  auto* knob = ui.AttachControl(new TestKnob(IRECT(100, 100, 200, 200), 2));
  ui.OnMouseDown(Point(150, 150, Left()));
  ui.OnMouseDrag(Point(150, 300, Left(), 0.f, -100.f)); // leaves the control and the editor
  ui.OnMouseDrag(Point(150, 300, Left(), 0.f, -100.f));
  ui.OnMouseUp(Point(150, 300, Left()));
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.5);
  EXPECT_EQ(dlg.log, (std::vector<std::string>{"begin 2", "value 2 0.25", "value 2 0.5", "end 2"}));
  EXPECT_EQ(ui.Count("hideCursor"), 1);
  EXPECT_EQ(ui.Count("showCursor"), 1);
  EXPECT_FALSE(ui.CursorIsHidden());
}

TEST_F(InputFixture, PressOutsideEverythingCapturesNothing)
{
  ui.RemoveControl(bg);
  ui.OnMouseDown(Point(250, 150, Left()));
  EXPECT_FALSE(ui.ControlIsCaptured());
  ui.OnMouseDrag(Point(50, 50, Left(), 10.f, 10.f));
  ui.OnMouseUp(Point(50, 50, Left()));
  EXPECT_TRUE(upper->events.empty() || upper->events == std::vector<std::string>{"over"});
  EXPECT_TRUE(dlg.log.empty());
}

TEST_F(InputFixture, ContextMenuOnlyWhenTheControlFillsIt)
{
  ui.OnMouseDown(Point(50, 50, Right()));
  EXPECT_TRUE(ui.menusShown.empty());
  EXPECT_TRUE(dlg.log.empty());
  EXPECT_TRUE(upper->events.empty()); // the press itself is consumed
  EXPECT_FALSE(ui.ControlIsCaptured());

  upper->contextItems = {"Copy", "Paste"};
  ui.nextMenuChoice = 1;
  ui.OnMouseDown(Point(50, 50, Right()));
  ASSERT_EQ(ui.menusShown.size(), 1u);
  EXPECT_EQ(ui.lastMenuBounds, IRECT(50, 50, 50, 50));
  EXPECT_EQ(upper->events, (std::vector<std::string>{"context 1"}));

  ui.nextMenuChoice = -1; // dismissed
  ui.OnMouseDown(Point(50, 50, Right()));
  EXPECT_EQ(upper->events.back(), "context -1");

  bg->contextItems = {"x"}; // no parameter: a right press is an ordinary press
  ui.OnMouseDown(Point(5, 5, Right()));
  EXPECT_EQ(bg->events, (std::vector<std::string>{"down"}));
}

TEST_F(InputFixture, HoverAndMouseOut)
{
  EXPECT_TRUE(ui.OnMouseOver(20, 20, {}));
  EXPECT_EQ(ui.GetMouseOverControl(), lower);
  EXPECT_EQ(ui.GetMouseOverIdx(), 1);
  EXPECT_TRUE(ui.OnMouseOver(50, 50, {}));
  EXPECT_EQ(lower->events, (std::vector<std::string>{"over", "out"}));
  EXPECT_EQ(upper->events, (std::vector<std::string>{"over"}));
  EXPECT_TRUE(upper->GetMouseIsOver());
  EXPECT_FALSE(ui.OnMouseOver(5, 5, {})); // background never hovers
  EXPECT_EQ(ui.GetMouseOverIdx(), -1);
  ui.OnMouseOver(50, 50, {});
  ui.OnMouseOut();
  EXPECT_EQ(ui.GetMouseOverControl(), nullptr);
  EXPECT_EQ(ui.GetMouseOverIdx(), -1);
  EXPECT_FALSE(upper->GetMouseIsOver());
  EXPECT_EQ(ui.GetCursor(), ECursor::ARROW);
}

TEST_F(InputFixture, ReleaseRefreshesHover)
{
  ui.OnMouseDown(Point(50, 50, Left()));
  ui.OnMouseUp(Point(20, 20, Left()));
  EXPECT_EQ(ui.GetMouseOverControl(), lower);
}

TEST_F(InputFixture, DoubleClicks)
{
  EXPECT_FALSE(ui.OnMouseDblClick(-5, -5, Left()));
  EXPECT_TRUE(ui.OnMouseDblClick(50, 50, Left()));
  EXPECT_EQ(upper->events, (std::vector<std::string>{"dbl"}));
  EXPECT_FALSE(ui.ControlIsCaptured());

  upper->SetMouseDblAsSingleClick(true);
  ui.OnMouseDblClick(50, 50, Left());
  EXPECT_EQ(upper->events.back(), "down");
  EXPECT_EQ(dlg.log.back(), "begin 1");
  EXPECT_TRUE(ui.ControlIsCaptured(upper));
}

TEST_F(InputFixture, WheelKeysAndDrops)
{
  ui.OnMouseWheel(20, 20, {}, 1.f);
  ui.OnMouseWheel(250, 250, {}, 1.f); // nowhere: ignored
  EXPECT_EQ(lower->events, (std::vector<std::string>{"wheel"}));

  std::vector<bool> handlerCalls;
  ui.SetKeyHandlerFunc([&](const IKeyPress&, bool isUp) {
    handlerCalls.push_back(isUp);
    return true;
  });
  const IKeyPress key("a", 65);
  EXPECT_TRUE(ui.OnKeyDown(5, 5, key)); // over the background: straight to the handler
  EXPECT_TRUE(bg->events.empty());
  lower->handlesKeys = true;
  EXPECT_TRUE(ui.OnKeyDown(20, 20, key));
  EXPECT_EQ(lower->events.back(), "key");
  EXPECT_TRUE(ui.OnKeyUp(20, 20, key)); // BoxControl ignores key-ups
  EXPECT_EQ(handlerCalls, (std::vector<bool>{false, true}));
  ui.SetKeyHandlerFunc(nullptr);
  EXPECT_FALSE(ui.OnKeyDown(5, 5, key));

  ui.OnDrop("/tmp/file.wav", 50, 50);
  EXPECT_EQ(upper->events.back(), "drop /tmp/file.wav");
}

TEST_F(InputFixture, MultiTouchCaptureIsPerTouch)
{
  ui.EnableMultiTouch(true);
  IMouseMod t1(true), t2(true);
  t1.touchID = 11;
  t2.touchID = 12;
  ui.OnMouseDown({IMouseInfo{20, 20, 0, 0, t1}, IMouseInfo{50, 50, 0, 0, t2}});
  EXPECT_TRUE(ui.ControlIsCaptured(lower));
  EXPECT_TRUE(ui.ControlIsCaptured(upper));
  IMouseMod t3 = t1;
  t3.touchID = 13;
  ui.OnMouseDown(Point(20, 20, t3)); // lower is held by touch 11 and takes one touch only
  std::vector<ITouchID> touches;
  ui.GetTouches(lower, touches);
  EXPECT_EQ(touches, (std::vector<ITouchID>{11}));
  ui.OnTouchCancelled(Point(20, 20, t1));
  EXPECT_FALSE(ui.ControlIsCaptured(lower));
  ui.OnMouseUp(Point(50, 50, t2));
  EXPECT_EQ(dlg.log, (std::vector<std::string>{"begin 0", "begin 1", "end 1"}));
}

TEST_F(InputFixture, TooltipAreasAreTheTopmostTargetsWithATip)
{
  ui.AttachControl(new BoxControl(IRECT(40, 40, 60, 60))); // on top, without a tooltip
  auto* hidden = ui.AttachControl(new BoxControl(IRECT(0, 80, 20, 100)));
  upper->SetTooltip("upper");
  lower->SetTooltip("lower");
  hidden->SetTooltip("hidden");
  hidden->Hide(true);
  ui.EnableTooltips(true);
  const struct
  {
    float x, y;
    const char* tip;
  } points[] = {
    {50, 50, "upper"}, // the control on top has no tooltip: the area beneath it still shows upper's
    {20, 20, "lower"},
    {10, 90, nullptr},
    {299, 199, nullptr},
  };
  for (const auto& p : points)
  {
    const char* tip = ui.TooltipAt(p.x, p.y);
    EXPECT_STREQ(tip ? tip : "(none)", p.tip ? p.tip : "(none)") << p.x << "," << p.y;
  }
  ui.EnableTooltips(false);
  EXPECT_EQ(ui.TooltipAt(50, 50), nullptr);
}

TEST_F(InputFixture, PTAutomationLookup)
{
  EXPECT_EQ(ui.GetParamIdxForPTAutomation(50, 50), 1);
  EXPECT_EQ(ui.GetLastClickedParamForPTAutomation(), 1);
  EXPECT_EQ(ui.GetLastClickedParamForPTAutomation(), -1);
}
