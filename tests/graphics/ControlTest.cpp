#include <gtest/gtest.h>

#include <thread>

#include "GraphicsTestSupport.h"
#include "graphics/IBubbleControl.h"
#include "graphics/IButtonControlBase.h"
#include "graphics/IControlFunctions.h"
#include "graphics/ISliderControlBase.h"
#include "graphics/ISwitchControlBase.h"

using namespace iplug;
using namespace iplug::igraphics;
using namespace iplug::igraphics::test;

namespace {

class TestSlider : public ISliderControlBase
{
public:
  using ISliderControlBase::ISliderControlBase;
  void Draw(IGraphics&) override {}
};

class TestSwitch : public ISwitchControlBase
{
public:
  using ISwitchControlBase::ISwitchControlBase;
  void Draw(IGraphics&) override {}
};

class TestButton : public IButtonControlBase
{
public:
  using IButtonControlBase::IButtonControlBase;
  void Draw(IGraphics&) override {}
};

/** Records what the host asked it to show. */
class RecordingBubble : public IBubbleControl
{
public:
  void Draw(IGraphics&) override {}
  void ShowBubble(IControl* caller, float x, float y, const char* str, EDirection dir, IRECT minimum,
                  ITouchID touch) override
  {
    shown.push_back({caller, x, y, str, dir, minimum});
    mTouchID = touch;
  }
  struct Shown
  {
    IControl* caller;
    float x, y;
    std::string text;
    EDirection dir;
    IRECT minimum;
  };
  std::vector<Shown> shown;
};

struct ControlFixture : ::testing::Test
{
  TestDelegate dlg{4};
  RecordingGraphics ui{dlg};

  /** Presses at (x, y), drags by (dx, dy) in `steps` equal moves, releases. */
  void Drag(float x, float y, float dx, float dy, int steps, IMouseMod mod = {})
  {
    mod.L = true;
    ui.OnMouseDown(Point(x, y, mod));
    for (int i = 0; i < steps; ++i)
      ui.OnMouseDrag(Point(x, y, mod, dx / steps, dy / steps));
    ui.OnMouseUp(Point(x, y, mod));
  }
};

} // namespace

TEST_F(ControlFixture, KnobGearingAndFineControl)
{
  struct
  {
    IMouseMod mod;
    float dragUp;
    EDirection dir;
    double expected;
  } cases[] = {
    {{}, 400.f, EDirection::Vertical, 1.0}, // gearing 4 x height 100
    {{}, 100.f, EDirection::Vertical, 0.25},
    {{false, false, true}, 100.f, EDirection::Vertical, 0.025},       // Shift: ten times finer
    {{false, false, false, true}, 4000.f, EDirection::Vertical, 1.0}, // Control too
    {{}, 200.f, EDirection::Horizontal, 0.5},                         // horizontal: rightwards by half the travel
    {{}, 1000.f, EDirection::Vertical, 1.0},                          // clamps at the top
  };
  for (const auto& c : cases)
  {
    ui.RemoveAllControls();
    auto* knob = static_cast<TestKnob*>(ui.AttachControl(new TestKnob(IRECT(0, 0, 100, 100), 0, c.dir, 4.0)));
    if (c.dir == EDirection::Horizontal)
      Drag(50, 50, c.dragUp, 0, 10, c.mod);
    else
      Drag(50, 50, 0, -c.dragUp, 10, c.mod);
    EXPECT_NEAR(knob->GetValue(), c.expected, 1e-9) << c.dragUp;
    EXPECT_NEAR(dlg.GetParam(0)->GetNormalizedValue(), c.expected, 1e-3);
  }
}

TEST_F(ControlFixture, SteppedKnobMovesInWholeStepsButAccumulatesFractions)
{
  dlg.GetParam(1)->InitInt("steps", 0, 0, 4); // five positions: 0, .25, .5, .75, 1
  auto* knob = static_cast<TestKnob*>(ui.AttachControl(new TestKnob(IRECT(0, 0, 100, 100), 1)));
  ui.OnMouseDown(Point(50, 50, IMouseMod(true)));
  std::vector<double> seen;
  for (int i = 0; i < 8; ++i)
  {
    ui.OnMouseDrag(Point(50, 50, IMouseMod(true), 0.f, -10.f)); // 1/40 of the range per move
    seen.push_back(knob->GetValue());
  }
  ui.OnMouseUp(Point(50, 50, IMouseMod(true)));
  // Drag value reaches 0.2 after eight moves; the value snaps to the nearest step.
  EXPECT_NEAR(knob->GetDragValue(), 0.2, 1e-9);
  for (double v : seen)
    EXPECT_DOUBLE_EQ(std::round(v * 4) / 4, v);
  EXPECT_DOUBLE_EQ(seen[3], 0.0);  // 0.1 rounds down
  EXPECT_DOUBLE_EQ(seen[4], 0.25); // 0.125 rounds up
  EXPECT_DOUBLE_EQ(dlg.GetParam(1)->GetValue(), 1.0);
}

TEST_F(ControlFixture, KnobWheel)
{
  dlg.GetParam(1)->InitInt("steps", 0, 0, 4);
  auto* smooth = ui.AttachControl(new TestKnob(IRECT(0, 0, 50, 50), 0));
  auto* stepped = ui.AttachControl(new TestKnob(IRECT(50, 0, 100, 50), 1));
  ui.OnMouseWheel(10, 10, {}, 2.f);
  EXPECT_NEAR(smooth->GetValue(), 0.02, 1e-12);
  ui.OnMouseWheel(10, 10, IMouseMod(false, false, true), 1.f);
  EXPECT_NEAR(smooth->GetValue(), 0.021, 1e-12);
  ui.OnMouseWheel(60, 10, {}, 0.3f);
  EXPECT_DOUBLE_EQ(stepped->GetValue(), 0.25);
  ui.OnMouseWheel(60, 10, {}, -5.f);
  EXPECT_DOUBLE_EQ(stepped->GetValue(), 0.0);
  ui.OnMouseWheel(60, 10, {}, -1.f); // clamps at the bottom
  EXPECT_DOUBLE_EQ(stepped->GetValue(), 0.0);
}

TEST_F(ControlFixture, SliderJumpsToPointerThenDragsRelatively)
{
  auto* slider = static_cast<TestSlider*>(ui.AttachControl(new TestSlider(IRECT(0, 0, 20, 100), 0)));
  EXPECT_EQ(slider->GetTrackBounds(), IRECT(0, 0, 20, 100));
  ui.OnMouseDown(Point(10, 75, IMouseMod(true)));
  EXPECT_NEAR(slider->GetValue(), 0.25, 1e-12);
  ui.OnMouseDrag(Point(10, 35, IMouseMod(true), 0.f, -40.f)); // relative: 40 / 100 / 4
  EXPECT_NEAR(slider->GetValue(), 0.35, 1e-12);
  ui.OnMouseUp(Point(10, 35, IMouseMod(true)));

  slider->SetHideCursorOnDrag(false); // without cursor hiding every drag is absolute
  ui.OnMouseDown(Point(10, 90, IMouseMod(true)));
  ui.OnMouseDrag(Point(10, 20, IMouseMod(true), 0.f, -70.f));
  EXPECT_NEAR(slider->GetValue(), 0.8, 1e-12);
}

TEST_F(ControlFixture, SwitchCyclesThroughItsStates)
{
  dlg.GetParam(1)->InitEnum("five", 0, 5);
  auto* two = ui.AttachControl(new TestSwitch(IRECT(0, 0, 10, 10), 0, nullptr, 2));
  auto* five = static_cast<TestSwitch*>(ui.AttachControl(new TestSwitch(IRECT(20, 0, 30, 10), 1)));
  EXPECT_EQ(five->GetNumStates(), 5); // from the parameter's range
  std::vector<double> twoSeen, fiveSeen;
  for (int i = 0; i < 3; ++i)
  {
    ui.OnMouseDown(Point(5, 5, IMouseMod(true)));
    ui.OnMouseUp(Point(5, 5, IMouseMod(true)));
    twoSeen.push_back(two->GetValue());
  }
  for (int i = 0; i < 5; ++i)
  {
    ui.OnMouseDblClick(25, 5, IMouseMod(true)); // a double click is just another press
    ui.OnMouseUp(Point(25, 5, IMouseMod(true)));
    fiveSeen.push_back(five->GetValue());
  }
  EXPECT_EQ(twoSeen, (std::vector<double>{1, 0, 1}));
  EXPECT_EQ(fiveSeen, (std::vector<double>{0.25, 0.5, 0.75, 1.0, 0.0}));
  five->SetStateDisabled(2, true);
  EXPECT_TRUE(five->GetStateDisabled(2));
  EXPECT_FALSE(five->GetStateDisabled(7));
}

TEST_F(ControlFixture, ButtonLightsForItsAnimation)
{
  auto* button = ui.AttachControl(new TestButton(IRECT(0, 0, 10, 10), DefaultClickActionFunc));
  ui.OnMouseDown(Point(5, 5, IMouseMod(true)));
  EXPECT_EQ(button->GetValue(), 1.0);
  EXPECT_TRUE(button->IsDirty());
  EXPECT_NEAR(button->GetAnimationDuration(), 100.0, 0);
  button->StartAnimation(0.0); // shorten the 100 ms for the test
  std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ui.RunFrame(); // animation over: back to 0
  EXPECT_EQ(button->GetValue(), 0.0);
  EXPECT_FALSE(button->GetAnimationFunction());
}

TEST_F(ControlFixture, SetDirtyChain)
{
  int actions = 0;
  auto* a = ui.AttachControl(new BoxControl(IRECT(0, 0, 10, 10), COLOR_RED, 2));
  auto* peer = ui.AttachControl(new BoxControl(IRECT(20, 0, 30, 10), COLOR_RED, 2));
  auto* unlinked = ui.AttachControl(new BoxControl(IRECT(40, 0, 50, 10)));
  a->SetActionFunction([&](IControl*) { ++actions; });
  unlinked->SetActionFunction([&](IControl*) { ++actions; });

  a->SetValue(1.7);
  a->SetDirty(true);
  EXPECT_EQ(a->GetValue(), 1.0); // clamped
  EXPECT_EQ(peer->GetValue(), 1.0);
  EXPECT_EQ(dlg.log, (std::vector<std::string>{"value 2 1"}));
  EXPECT_EQ(actions, 1);

  unlinked->SetDirty(true); // no parameter: the action still runs
  EXPECT_EQ(actions, 2);

  a->SetDirty(false);
  EXPECT_EQ(actions, 2);
  EXPECT_EQ(dlg.log.size(), 1u);
}

TEST_F(ControlFixture, ValuesFromTheDelegate)
{
  int actions = 0;
  auto* knob = ui.AttachControl(new TestKnob(IRECT(0, 0, 100, 100), 0));
  knob->SetActionFunction([&](IControl*) { ++actions; });
  ui.SetAllControlsClean();

  knob->SetValueFromDelegate(0.0); // same value: nothing
  EXPECT_FALSE(knob->IsDirty());

  ui.OnMouseDown(Point(50, 50, IMouseMod(true)));
  knob->SetValueFromDelegate(0.9); // held by the user: ignored
  EXPECT_EQ(knob->GetValue(), 0.0);
  ui.OnMouseUp(Point(50, 50, IMouseMod(true)));

  knob->SetValueFromDelegate(0.9);
  EXPECT_EQ(knob->GetValue(), 0.9);
  EXPECT_TRUE(knob->IsDirty());
  EXPECT_EQ(actions, 0); // echoes never run the action
}

TEST_F(ControlFixture, DoubleClickResetsToDefaultAndInformsTheDelegate)
{
  dlg.GetParam(3)->InitDouble("gain", 6.0, -24.0, 24.0, 0.5);
  auto* knob = ui.AttachControl(new TestKnob(IRECT(0, 0, 100, 100), 3));
  knob->SetValue(0.9);
  EXPECT_TRUE(ui.OnMouseDblClick(50, 50, IMouseMod(true)));
  EXPECT_NEAR(knob->GetValue(), 0.625, 1e-12);
  EXPECT_EQ(dlg.log.back(), "value 3 0.625");
  EXPECT_FALSE(ui.ControlIsCaptured());
}

TEST_F(ControlFixture, PromptsFollowThePromptFlagAndParameterKind)
{
  dlg.GetParam(1)->InitEnum("mode", 1, {"A", "B", "C"});
  auto* menuCtl = ui.AttachControl(new BoxControl(IRECT(0, 0, 40, 20), COLOR_RED, 1));
  auto* textCtl = ui.AttachControl(new BoxControl(IRECT(100, 100, 200, 140), COLOR_RED, 0));

  menuCtl->PromptUserInput(0); // prompts are disabled by default
  EXPECT_TRUE(ui.menusShown.empty());

  menuCtl->DisablePrompt(false);
  menuCtl->SetValue(dlg.GetParam(1)->GetNormalizedValue());
  ui.nextMenuChoice = 2;
  menuCtl->PromptUserInput(0);
  ASSERT_EQ(ui.menusShown, (std::vector<std::string>{"mode"}));
  EXPECT_EQ(ui.lastMenuBounds, menuCtl->GetRECT()); // display texts: the whole control
  EXPECT_TRUE(ui.GetPromptMenu().IsItemChecked(1));
  EXPECT_DOUBLE_EQ(menuCtl->GetValue(), 1.0); // item 2 of 0..2
  EXPECT_EQ(dlg.log, (std::vector<std::string>{"value 1 1", "end 1"}));

  textCtl->DisablePrompt(false);
  textCtl->SetPromptShowsParamLabel(true);
  dlg.GetParam(0)->InitGain("level", 0.0, -10.0, 10.0, 0.5);
  textCtl->PromptUserInput(0);
  ASSERT_EQ(ui.textEntries.size(), 1u);
  EXPECT_EQ(ui.textEntries[0].text, "0.0 dB");
  EXPECT_EQ(ui.textEntries[0].bounds, IRECT(130, 112, 170, 128)); // 40 x 16 around the centre
  ui.SetControlValueAfterTextEdit("5");
  EXPECT_DOUBLE_EQ(textCtl->GetValue(), 0.75);
  ui.SetControlValueAfterTextEdit("7"); // nothing is in text entry any more
  EXPECT_DOUBLE_EQ(textCtl->GetValue(), 0.75);
}

TEST_F(ControlFixture, SnapToMouse)
{
  auto* c = ui.AttachControl(new BoxControl(IRECT(0, 0, 100, 100), COLOR_RED, 0));
  struct
  {
    float x, y;
    EDirection dir;
    double lo, hi, expected;
  } cases[] = {
    {25, 0, EDirection::Horizontal, 0, 1, 0.25}, {-50, 0, EDirection::Horizontal, 0, 1, 0.0},
    {0, 25, EDirection::Vertical, 0, 1, 0.75},   {0, 33.33f, EDirection::Vertical, 0, 1, 0.667},
    {0, 0, EDirection::Vertical, 0.1, 0.9, 0.9},
  };
  for (const auto& t : cases)
  {
    c->SnapToMouse(t.x, t.y, t.dir, c->GetRECT(), -1, t.lo, t.hi);
    EXPECT_NEAR(c->GetValue(), t.expected, 1e-9);
  }
  c->SnapToMouse(5, 5, EDirection::Horizontal, IRECT(5, 5, 5, 5)); // zero-sized track: no NaN
  EXPECT_EQ(c->GetValue(), 0.0);
}

TEST_F(ControlFixture, GeometryAndFlags)
{
  auto* c = ui.AttachControl(new BoxControl(IRECT(10, 10, 30, 20)));
  c->SetTargetRECT(IRECT(5, 5, 35, 25));
  c->SetPosition(-4, 50); // clamped to x >= 0; target moves by the same offset
  EXPECT_EQ(c->GetRECT(), IRECT(0, 50, 20, 60));
  EXPECT_EQ(c->GetTargetRECT(), IRECT(-5, 45, 25, 65));
  c->SetSize(-3, 7);
  EXPECT_EQ(c->GetRECT(), IRECT(0, 50, 0, 57));
  EXPECT_EQ(c->GetTargetRECT(), c->GetRECT());
  c->SetDisabled(true);
  EXPECT_EQ(c->GetBlend().mWeight, 0.25f);
  c->SetDisabled(false);
  EXPECT_EQ(c->GetBlend().mWeight, 1.f);
}

TEST_F(ControlFixture, BubbleActionFunctionsAnchorTheBubble)
{
  auto* bubble = new RecordingBubble();
  ui.AttachBubbleControl(bubble);
  dlg.GetParam(0)->InitGain("Output", 0.0, -24.0, 24.0, 0.1);
  struct
  {
    IActionFunction func;
    float x, y;
    EDirection dir;
    float minH;
  } cases[] = {
    {ShowBubbleVerticalActionFuncSTD, 50, 20, EDirection::Vertical, 20},
    {ShowBubbleVerticalActionFunc, 50, 20, EDirection::Vertical, 30},
    {ShowBubbleHorizontalActionFunc, 80, 40, EDirection::Horizontal, 30},
    {ShowBubbleHorizontalActionFuncSTD, 80, 40, EDirection::Horizontal, 20},
  };
  for (const auto& c : cases)
  {
    ui.RemoveControls(0);
    auto* knob = ui.AttachControl(new TestKnob(IRECT(20, 20, 80, 60), 0));
    knob->SetActionFunction(c.func);
    bubble->shown.clear();
    ui.OnMouseDown(Point(50, 40, IMouseMod(true)));
    ui.OnMouseDrag(Point(50, 40, IMouseMod(true), 0.f, -20.f)); // 20 / 40 / 4 of the range
    ui.OnMouseUp(Point(50, 40, IMouseMod(true)));
    ASSERT_EQ(bubble->shown.size(), 1u);
    const auto& s = bubble->shown[0];
    EXPECT_EQ(s.caller, knob);
    EXPECT_EQ(s.x, c.x);
    EXPECT_EQ(s.y, c.y);
    EXPECT_EQ(s.dir, c.dir);
    EXPECT_EQ(s.minimum, IRECT(0, 0, 50, c.minH));
    EXPECT_EQ(s.text, "-18.0 dB"); // -24 + 48 / 8
  }
}

TEST_F(ControlFixture, PopupMenuSelectionIsIgnoredWithoutAChoiceOrPrompt)
{
  dlg.GetParam(1)->InitEnum("mode", 0, {"A", "B", "C"});
  auto* c = ui.AttachControl(new BoxControl(IRECT(0, 0, 10, 10), COLOR_RED, 1));
  IPopupMenu menu("", 0, false, {"A", "B", "C"});
  menu.SetChosenItemIdx(2);
  c->OnPopupMenuSelection(&menu, 0); // prompts disabled
  EXPECT_EQ(c->GetValue(), 0.0);
  c->DisablePrompt(false);
  c->OnPopupMenuSelection(nullptr, 0);
  c->OnPopupMenuSelection(&menu, -1);
  EXPECT_EQ(c->GetValue(), 0.0);
  c->OnPopupMenuSelection(&menu, 0);
  EXPECT_EQ(c->GetValue(), 1.0);
}
