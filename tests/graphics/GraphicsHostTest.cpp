#include <gtest/gtest.h>

#include <cmath>

#include "GraphicsTestSupport.h"
#include "graphics/IFPSDisplayControl.h"

using namespace iplug;
using namespace iplug::igraphics;
using namespace iplug::igraphics::test;

namespace {

/** Logs its lifecycle calls into a shared list. */
class LifecycleControl : public BoxControl
{
public:
  LifecycleControl(const IRECT& r, std::vector<std::string>& log, std::string name)
  : BoxControl(r)
  , mLog(log)
  , mName(std::move(name))
  {}
  ~LifecycleControl() override { mLog.push_back(mName + ".delete"); }
  void OnInit() override { mLog.push_back(mName + ".init"); }
  void OnResize() override { mLog.push_back(mName + ".resize"); }
  void OnRescale() override { mLog.push_back(mName + ".rescale"); }
  void OnAttached() override { mLog.push_back(mName + ".attached"); }

private:
  std::vector<std::string>& mLog;
  std::string mName;
};

struct HostFixture : ::testing::Test
{
  std::vector<std::string> log; // outlives the controls that write to it
  TestDelegate dlg{2};
  RecordingGraphics ui{dlg, 300, 200};
};

} // namespace

TEST_F(HostFixture, AttachingOrderTagsAndBackground)
{
  auto* a = ui.AttachControl(new LifecycleControl(IRECT(0, 0, 1, 1), log, "a"), 7, "grp");
  EXPECT_EQ(log, (std::vector<std::string>{"a.init", "a.resize", "a.rescale", "a.attached"}));
  EXPECT_EQ(a->GetUI(), &ui);
  EXPECT_EQ(a->GetDelegate(), &dlg);
  EXPECT_STREQ(a->GetGroup(), "grp");
  EXPECT_EQ(ui.GetControlWithTag(7), a);

  auto* dup = new BoxControl(IRECT());
  EXPECT_EQ(ui.AttachControl(dup, 7), nullptr); // tag in use: not attached, caller keeps it
  EXPECT_EQ(ui.NControls(), 1);
  delete dup;

  log.clear();
  auto* bg = ui.AttachBackground(new LifecycleControl(IRECT(0, 0, 300, 200), log, "bg"));
  EXPECT_EQ(ui.GetControl(0), bg);
  EXPECT_EQ(ui.GetControl(1), a);
  EXPECT_EQ(log, (std::vector<std::string>{"bg.init", "bg.resize", "bg.rescale"}));
}

TEST_F(HostFixture, VisitingOrderAndGroups)
{
  ui.AttachControl(new BoxControl(IRECT(), COLOR_RED, 1), kNoTag, "g");
  ui.AttachControl(new BoxControl(IRECT(), COLOR_RED, 0));
  ui.AttachControl(new BoxControl(IRECT(), COLOR_RED, 1), kNoTag, "g");
  auto* resizer = new BoxControl(IRECT(280, 180, 300, 200));
  ui.AttachCornerResizer(resizer, EUIResizerMode::Size, false);
  ui.ShowFPSDisplay(true);

  std::vector<IControl*> order;
  ui.ForAllControlsFunc([&](IControl* c) { order.push_back(c); });
  ASSERT_EQ(order.size(), 5u);
  EXPECT_EQ(order[3], static_cast<IControl*>(ui.GetFPSDisplay()));
  EXPECT_EQ(order[4], resizer);

  int withParam = 0, inGroup = 0;
  ui.ForControlWithParam(1, [&](IControl*) { ++withParam; });
  ui.ForControlInGroup("g", [&](IControl*) { ++inGroup; });
  EXPECT_EQ(withParam, 2);
  EXPECT_EQ(inGroup, 2);
  ui.HideControl(1, true);
  EXPECT_TRUE(ui.GetControl(0)->IsHidden());
  EXPECT_FALSE(ui.GetControl(1)->IsHidden());

  ui.AttachCornerResizer(new BoxControl(IRECT()), EUIResizerMode::Scale, true); // the first stays
  EXPECT_EQ(ui.GetCornerResizer(), resizer);
  EXPECT_EQ(ui.GetResizerMode(), EUIResizerMode::Size);
}

TEST_F(HostFixture, Removal)
{
  ui.EnableMouseOver(true);
  ui.AttachControl(new LifecycleControl(IRECT(0, 0, 10, 10), log, "a"), 1);
  ui.AttachControl(new LifecycleControl(IRECT(20, 0, 30, 10), log, "b"), 2);
  ui.AttachControl(new LifecycleControl(IRECT(40, 0, 50, 10), log, "c"), 3);
  ui.OnMouseOver(45, 5, {});
  EXPECT_EQ(ui.GetMouseOverIdx(), 2);
  ui.RemoveControlWithTag(2);
  EXPECT_EQ(ui.GetMouseOverIdx(), 1); // c moved down one place
  EXPECT_EQ(ui.GetControlWithTag(2), nullptr);
  ui.OnMouseDown(Point(45, 5, IMouseMod(true)));
  ui.RemoveControl(ui.GetControlWithTag(3)); // under the mouse and captured
  EXPECT_EQ(ui.GetMouseOverIdx(), -1);
  EXPECT_EQ(ui.GetMouseOverControl(), nullptr);
  EXPECT_FALSE(ui.ControlIsCaptured());
  ui.AttachControl(new LifecycleControl(IRECT(), log, "d"));
  ui.AttachControl(new LifecycleControl(IRECT(), log, "e"));
  log.clear();
  ui.RemoveAllControls();
  EXPECT_EQ(log, (std::vector<std::string>{"e.delete", "d.delete", "a.delete"})); // last to first
  EXPECT_EQ(ui.NControls(), 0);
}

TEST_F(HostFixture, RemovingTheControlInTextEntryLeavesNoDanglingReference)
{
  dlg.GetParam(0)->InitGain("g", 0.0, -10.0, 10.0, 0.5);
  auto* c = ui.AttachControl(new BoxControl(IRECT(0, 0, 10, 10), COLOR_RED, 0));
  c->DisablePrompt(false);
  c->PromptUserInput(0);
  EXPECT_EQ(ui.GetControlInTextEntry(), c);
  ui.RemoveAllControls();
  EXPECT_EQ(ui.GetControlInTextEntry(), nullptr);
  ui.SetControlValueAfterTextEdit("3"); // the platform field closes late: must not touch the deleted control
}

TEST_F(HostFixture, ResizeClampsAndIgnoresNoChange)
{
  dlg.SetSizeConstraints(100, 1000, 50, 600);
  auto* c = ui.AttachControl(new LifecycleControl(IRECT(), log, "c"));
  log.clear();
  ui.Resize(300, 200, 1.f);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(dlg.resizeRequests, 0);

  struct
  {
    int w, h;
    float scale;
    int ew, eh;
    float escale;
  } cases[] = {
    {862, 500, 1.5f, 862, 500, 1.5f},
    {5000, 10, 10.f, 1000, 50, 2.f}, // limits of the delegate and twice the initial scale
    {20, 20, 0.1f, 100, 50, 0.5f},
  };
  for (const auto& t : cases)
  {
    ui.Resize(t.w, t.h, t.scale);
    EXPECT_EQ(ui.Width(), t.ew);
    EXPECT_EQ(ui.Height(), t.eh);
    EXPECT_EQ(ui.GetDrawScale(), t.escale);
  }
  EXPECT_EQ(dlg.resizeRequests, 3);
  EXPECT_EQ(ui.platformResizes, 3);
  EXPECT_EQ(std::count(log.begin(), log.end(), "c.resize"), 3);
  EXPECT_TRUE(c->IsDirty());
  ui.Resize(100, 50, std::nanf(""));
  EXPECT_EQ(ui.GetDrawScale(), 0.5f);
}

TEST_F(HostFixture, ScreenScaleAndWindowSize)
{
  ui.Resize(300, 200, 1.5f);
  ui.SetScreenScale(2.f);
  EXPECT_EQ(ui.GetBackingPixelScale(), 3.f);
  EXPECT_EQ(ui.WindowWidth(), 450);
  EXPECT_EQ(ui.WindowHeight(), 300);
  EXPECT_EQ(ui.drawResizes, 2);
  for (float broken : {0.f, -1.f, std::nanf(""), INFINITY})
  {
    ui.SetScreenScale(broken);
    EXPECT_EQ(ui.GetBackingPixelScale(), 3.f) << broken;
  }
}

TEST_F(HostFixture, DragResizeInBothModes)
{
  dlg.SetSizeConstraints(100, 1000, 100, 1000);
  auto* resizer = new BoxControl(IRECT(280, 180, 300, 200));
  ui.AttachCornerResizer(resizer, EUIResizerMode::Scale);
  ui.OnMouseDown(Point(290, 190, IMouseMod(true)));
  ui.StartDragResize(); // what the resizer does on its press
  ui.OnMouseDrag(Point(435, 380, IMouseMod(true), 145.f, 190.f));
  EXPECT_EQ(ui.Width(), 300);
  EXPECT_FLOAT_EQ(ui.GetDrawScale(), 1.5f); // min(435 / 290, 380 / 190)
  ui.OnMouseUp(Point(435, 380, IMouseMod(true)));
  EXPECT_FALSE(ui.GetResizingInProgress());

  RecordingGraphics sized(dlg, 300, 200);
  sized.AttachCornerResizer(new BoxControl(IRECT(280, 180, 300, 200)), EUIResizerMode::Size);
  sized.StartDragResize();
  sized.OnMouseDrag(Point(400.7f, 250.2f, IMouseMod(true), 1.f, 1.f));
  EXPECT_EQ(sized.Width(), 400);
  EXPECT_EQ(sized.Height(), 250);
  EXPECT_EQ(sized.GetDrawScale(), 1.f);

  RecordingGraphics neverPressed(dlg, 300, 200);
  neverPressed.StartDragResize();
  neverPressed.OnMouseDrag(Point(0, 0, IMouseMod(true), 1.f, 1.f)); // no press position: the scale stays
  EXPECT_EQ(neverPressed.GetDrawScale(), 1.f);
}

TEST_F(HostFixture, ScaleDragsSnapToOneHundredPercentNearIt)
{
  dlg.SetSizeConstraints(100, 1000, 100, 1000);
  ui.AttachCornerResizer(new BoxControl(IRECT(280, 180, 300, 200)), EUIResizerMode::Scale);
  const struct
  {
    float startScale, x; // the press at (200, 100); the drag ends at (x, 200) (y is not the smaller ratio)
    float scale;
  } drags[] = {
    {1.f, 200.1f, 1.f},
    {1.f, 203.9f, 1.f},
    {1.f, 196.1f, 1.f},                // within 2 %: exactly 100 %
    {1.5f, 200.f * 1.01f / 1.5f, 1.f}, // back from 150 % to 101 %
    {1.f, 205.f, 1.025f},
    {1.f, 194.f, 0.97f},
    {1.5f, 220.f, 1.65f}, // further away: where it stops
  };
  for (const auto& d : drags)
  {
    ui.Resize(300, 200, d.startScale);
    ui.OnMouseDown(Point(200, 100, IMouseMod(true)));
    ui.StartDragResize();
    ui.OnMouseDrag(Point(d.x, 200, IMouseMod(true), 1.f, 1.f));
    ui.OnMouseUp(Point(d.x, 200, IMouseMod(true)));
    // Exactly 1 when snapped: the editor state saves this scale as it is.
    EXPECT_FLOAT_EQ(ui.GetDrawScale(), d.scale) << d.startScale << " to x " << d.x;
  }
}

TEST_F(HostFixture, ScaleToFitAHostsSize)
{
  // The window (device pixels) of the largest zoom that fits, its aspect kept; the current zoom or
  // 100 % where the host only confirms a size; the limits (half and twice) hold.
  const struct
  {
    float screen, zoom;
    int w, h;
    float scale; // 0: any zoom giving that window
    int windowW, windowH;
  } cases[] = {
    {1.f, 1.f, 500, 420, 0.f, 500, 333},         // width decides
    {1.f, 1.f, 450, 1000, 0.f, 450, 300},        // width decides, 150 %
    {1.f, 1.f, 700, 320, 0.f, 481, 320},         // height decides
    {1.f, 1.f, 600, 400, 2.f, 600, 400},         // exactly twice
    {1.f, 1.f, 5000, 5000, 2.f, 600, 400},       // beyond the limit: 200 %, the rest is the host's
    {1.f, 1.f, 100, 100, 0.5f, 150, 100},        // below the limit: 50 %
    {1.f, 1.0998f, 329, 219, 1.0998f, 329, 219}, // the size of the zoom in use: kept as it is
    {1.f, 1.37f, 300, 200, 1.f, 300, 200},       // the editor's own size: exactly 100 %
    {2.f, 1.f, 1000, 700, 0.f, 1000, 666},       // at 2x the window is even
    {1.25f, 1.f, 700, 700, 0.f, 700, 466},
  };
  for (const auto& c : cases)
  {
    RecordingGraphics g(dlg, 300, 200);
    g.SetScreenScale(c.screen);
    g.Resize(300, 200, c.zoom);
    g.FitToHostSize(c.w, c.h);
    const float s = g.GetDrawScale();
    if (c.scale > 0.f)
    {
      EXPECT_FLOAT_EQ(s, c.scale) << c.w << "x" << c.h;
    }
    const auto pixels = [&](int points) { return static_cast<int>(static_cast<int>(points * s) * c.screen); };
    EXPECT_EQ(pixels(300), c.windowW) << c.w << "x" << c.h << " at " << c.screen;
    EXPECT_EQ(pixels(200), c.windowH) << c.w << "x" << c.h << " at " << c.screen;
  }
  EXPECT_EQ(ui.ScaleToFit(0, 700), ui.GetDrawScale());
}

TEST_F(HostFixture, ProcessWideCachesCountTheirUsers)
{
  const auto users = [] { return StaticStorage<APIBitmap>::Accessor(IGraphics::BitmapCache()).UserCount(); };
  const int before = users();
  {
    RecordingGraphics second(dlg);
    EXPECT_EQ(users(), before + 1);
    StaticStorage<APIBitmap>::Accessor(IGraphics::BitmapCache()).Add(new APIBitmap(), "BG.png", 2.0);
  }
  EXPECT_EQ(users(), before);
  StaticStorage<APIBitmap>::Accessor cache(IGraphics::BitmapCache());
  EXPECT_NE(cache.Find("BG.png", 2.0), nullptr); // `ui` still uses the cache
  EXPECT_EQ(cache.Find("BG.png", 1.0), nullptr);
}

TEST(IGraphicsCaches, LastUserEmptiesTheCache)
{
  TestDelegate dlg;
  {
    RecordingGraphics only(dlg);
    StaticStorage<APIBitmap>::Accessor(IGraphics::BitmapCache()).Add(new APIBitmap(), "x.png");
  }
  EXPECT_EQ(StaticStorage<APIBitmap>::Accessor(IGraphics::BitmapCache()).Size(), 0);
}

TEST_F(HostFixture, BrokenInputNeverCorruptsState)
{
  // A knob with zero gearing would move by infinity: its value stays a number.
  auto* flat = ui.AttachControl(new TestKnob(IRECT(0, 0, 50, 50), 0, EDirection::Vertical, 0.0));
  ui.OnMouseDown(Point(10, 10, IMouseMod(true)));
  ui.OnMouseDrag(Point(10, 0, IMouseMod(true), 0.f, -10.f));
  ui.OnMouseUp(Point(10, 0, IMouseMod(true)));
  EXPECT_FALSE(std::isnan(flat->GetValue()));
  EXPECT_FALSE(std::isnan(dlg.GetParam(0)->GetValue()));

  // The frames-per-second display switched off while held: no capture is left pointing at it.
  ui.ShowFPSDisplay(true);
  ui.OnMouseDown(Point(100, 20, IMouseMod(true)));
  EXPECT_TRUE(ui.ControlIsCaptured());
  ui.ShowFPSDisplay(false);
  EXPECT_FALSE(ui.ControlIsCaptured());
  ui.OnMouseDrag(Point(100, 20, IMouseMod(true), 1.f, 1.f));
  ui.OnMouseUp(Point(100, 20, IMouseMod(true)));
}

TEST_F(HostFixture, OpeningTwiceLaysOutOnce)
{
  int layouts = 0;
  dlg.SetLayoutUIFunc([&](IGraphics* g) {
    ++layouts;
    EXPECT_NE(g->AttachControl(new BoxControl(IRECT(0, 0, 5, 5)), 1), nullptr);
    g->AttachControl(new BoxControl(IRECT(5, 0, 10, 5)));
  });
  ui.OpenWindow(&dlg);
  ui.OpenWindow(&dlg);
  EXPECT_EQ(layouts, 2);
  EXPECT_EQ(ui.NControls(), 2);
  EXPECT_TRUE(ui.WindowIsOpen());
  ui.CloseWindow();
  EXPECT_FALSE(ui.WindowIsOpen());
  EXPECT_EQ(ui.NControls(), 0);
}

TEST_F(HostFixture, ResizeWhileAKnobIsHeldEndsTheGesture)
{
  auto* knob = ui.AttachControl(new TestKnob(IRECT(0, 0, 50, 50), 0));
  ui.OnMouseDown(Point(10, 10, IMouseMod(true)));
  ASSERT_TRUE(ui.ControlIsCaptured(knob));
  ui.Resize(400, 300, 1.f); // for example from a state load
  EXPECT_FALSE(ui.ControlIsCaptured());
  EXPECT_EQ(dlg.log, (std::vector<std::string>{"begin 0", "end 0"}));
  // The real release that follows reports nothing more.
  ui.OnMouseUp(Point(10, 10, IMouseMod(true)));
  EXPECT_EQ(dlg.log.size(), 2u);
}
