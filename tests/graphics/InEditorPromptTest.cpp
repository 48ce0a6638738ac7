// The in-editor popup menu and text field, driven through the graphics host
// the way the platform view drives them: presses, hover and keys.

#include <gtest/gtest.h>

#include "GraphicsTestSupport.h"
#include "graphics/IPopupMenuControl.h"
#include "graphics/ITextEntryControl.h"
#include "graphics/IVirtualKeys.h"

using namespace iplug;
using namespace iplug::igraphics;
using namespace iplug::igraphics::test;

namespace {

class ClipboardGraphics : public RecordingGraphics
{
public:
  using RecordingGraphics::RecordingGraphics;
  std::string clipboard;
  bool GetTextFromClipboard(WDL_String& str) override
  {
    str.Set(clipboard.c_str());
    return true;
  }
  bool SetTextInClipboard(const char* str) override
  {
    clipboard = str;
    return true;
  }
};

struct PromptFixture : ::testing::Test
{
  TestDelegate dlg{4};
  ClipboardGraphics ui{dlg, 300, 200};
  IPopupMenuControl* menu = new IPopupMenuControl();
  ITextEntryControl* field = new ITextEntryControl();
  BoxControl* box = nullptr;

  void SetUp() override
  {
    ui.AttachControl(new BoxControl(IRECT(0, 0, 300, 200)));
    box = static_cast<BoxControl*>(ui.AttachControl(new BoxControl(IRECT(20, 20, 80, 40), COLOR_RED, 1)));
    box->DisablePrompt(false);
    ui.AttachPopupMenuControl(menu);
    ui.AttachTextEntryControl(field);
    ui.EnableMouseOver(true);
  }

  void Press(float x, float y)
  {
    ui.OnMouseDown(Point(x, y, IMouseMod(true)));
    ui.OnMouseUp(Point(x, y, IMouseMod(true)));
  }
  void Key(int vk, const char* text = "", bool shift = false, bool ctrl = false)
  {
    ui.OnKeyDown(0, 0, IKeyPress(text, vk, shift, ctrl));
  }
  void Type(const char* text)
  {
    for (const char* p = text; *p; ++p)
    {
      const char s[2] = {*p, 0};
      Key(0, s);
    }
  }
  IRECT Item(int panel, int item) const { return menu->GetItemBounds(panel, item); }
};

// A context menu with a separator, a disabled item and a submenu.
struct ContextMenuBox : BoxControl
{
  using BoxControl::BoxControl;
  IPopupMenu* sub = nullptr;
  int deliveredIdx = -2;
  void CreateContextMenu(IPopupMenu& m) override
  {
    m.AddItem("first");
    m.AddSeparator();
    m.AddItem("off")->SetEnabled(false);
    sub = new IPopupMenu("", 0, false, {"x", "y"});
    m.AddItem("more", sub);
    m.AddItem("last");
  }
  void OnContextSelection(int item) override { deliveredIdx = item; }
};

} // namespace

TEST_F(PromptFixture, ParameterMenuIsShownInTheEditorAndChosenWithTheMouse)
{
  dlg.GetParam(1)->InitEnum("mode", 1, {"A", "B", "C"});
  box->SetValue(0.5);
  box->PromptUserInput(0);
  EXPECT_TRUE(ui.menusShown.empty()); // not handed to the platform
  ASSERT_TRUE(menu->GetExpanded());
  const IRECT panel = menu->GetPanelBounds(0);
  EXPECT_EQ(panel.L, 20.f);
  EXPECT_EQ(panel.T, 44.f); // just below the control

  ui.RunFrame();
  auto texts = ui.Ops("text");
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[1].text, "B");
  EXPECT_GE(ui.Count("stroke"), 3); // border and the two strokes of B's check mark

  ui.OnMouseOver(Item(0, 2).MW(), Item(0, 2).MH(), {});
  EXPECT_EQ(menu->GetHighlightedItem(0), 2);
  Press(Item(0, 2).MW(), Item(0, 2).MH());
  EXPECT_FALSE(menu->GetExpanded());
  EXPECT_DOUBLE_EQ(box->GetValue(), 1.0);
  EXPECT_EQ(dlg.log, (std::vector<std::string>{"value 1 1", "end 1"}));

  // The frame after closing repaints where the menu was, and draws no menu.
  ui.ClearLog();
  ASSERT_TRUE(ui.RunFrame());
  EXPECT_EQ(ui.Count("text"), 0);
  bool covered = false;
  for (const DrawCall& c : ui.Ops("region"))
    covered = covered || c.bounds.Contains(panel);
  EXPECT_TRUE(covered);
}

TEST_F(PromptFixture, ContextMenuKeyboardAndMouseNavigation)
{
  auto* ctx =
    static_cast<ContextMenuBox*>(ui.AttachControl(new ContextMenuBox(IRECT(100, 100, 140, 120), COLOR_RED, 0)));
  struct Case
  {
    const char* name;
    std::vector<int> keys;
    int expectedIdx; // index within the menu the choice lies in, -1 when dismissed
  } cases[] = {
    {"down picks the first item", {kVK_DOWN, kVK_RETURN}, 0},
    {"separator and disabled item are skipped", {kVK_DOWN, kVK_DOWN, kVK_DOWN, kVK_RETURN}, 4},
    {"enter on a submenu item opens it", {kVK_DOWN, kVK_DOWN, kVK_RETURN, kVK_RETURN}, 0},
    {"up wraps to the last item", {kVK_DOWN, kVK_UP, kVK_RETURN}, 4},
    {"right enters the submenu", {kVK_DOWN, kVK_DOWN, kVK_RIGHT, kVK_DOWN, kVK_RETURN}, 1},
    {"left leaves it again", {kVK_DOWN, kVK_DOWN, kVK_RIGHT, kVK_LEFT, kVK_DOWN, kVK_RETURN}, 4},
    {"escape dismisses", {kVK_DOWN, kVK_ESCAPE}, -1},
  };
  for (const Case& c : cases)
  {
    ui.OnMouseDown(Point(110, 110, IMouseMod(false, true)));
    ASSERT_TRUE(menu->GetExpanded()) << c.name;
    ctx->deliveredIdx = -2;
    for (int vk : c.keys)
      Key(vk);
    EXPECT_FALSE(menu->GetExpanded()) << c.name;
    EXPECT_EQ(ctx->deliveredIdx, c.expectedIdx) << c.name;
  }

  // With the mouse: hovering "more" opens the submenu to the right; choosing in it sets the
  // submenu's chosen index and the root's stays unset.
  IPopupMenu* chosen = nullptr;
  ui.OnMouseDown(Point(110, 110, IMouseMod(false, true)));
  ui.GetPromptMenu().GetItem(3)->GetSubmenu()->SetFunction([&](IPopupMenu* m) { chosen = m; });
  ui.OnMouseOver(Item(0, 3).MW(), Item(0, 3).MH(), {});
  ASSERT_EQ(menu->NPanels(), 2);
  EXPECT_GE(menu->GetPanelBounds(1).L, menu->GetPanelBounds(0).R - 2.f);
  Press(Item(1, 1).MW(), Item(1, 1).MH());
  ASSERT_NE(chosen, nullptr);
  EXPECT_EQ(chosen->GetChosenItemIdx(), 1);
  EXPECT_EQ(ui.GetPromptMenu().GetChosenItemIdx(), -1);

  // A press on the disabled item does nothing; a press outside dismisses.
  ui.OnMouseDown(Point(110, 110, IMouseMod(false, true)));
  Press(Item(0, 2).MW(), Item(0, 2).MH());
  EXPECT_TRUE(menu->GetExpanded());
  ctx->deliveredIdx = -2;
  Press(5, 5);
  EXPECT_FALSE(menu->GetExpanded());
  EXPECT_EQ(ctx->deliveredIdx, -1);
}

TEST_F(PromptFixture, MenuStaysInsideTheEditor)
{
  struct
  {
    IRECT anchor;
  } cases[] = {{IRECT(290, 190, 300, 200)}, {IRECT(0, 195, 10, 200)}, {IRECT(295, 0, 300, 5)}};
  for (const auto& c : cases)
  {
    IPopupMenu m("", 0, false, {"one long item text", "two", "three"});
    menu->CreatePopupMenu(m, c.anchor);
    const IRECT r = menu->GetPanelBounds(0);
    EXPECT_TRUE(ui.GetBounds().Contains(r) || ui.GetBounds() == r.Union(ui.GetBounds()))
      << c.anchor.L << "," << c.anchor.T;
    EXPECT_GE(r.L, 0.f);
    EXPECT_LE(r.R, 300.f);
    EXPECT_LE(r.B, 200.f);
    menu->Dismiss();
  }
}

TEST_F(PromptFixture, TextFieldFiltersByParameterType)
{
  struct Case
  {
    const char* name;
    std::function<void(IParam&)> init;
    int paramIdx;
    int length;
    const char* typed;
    const char* expected;
  } cases[] = {
    {"real", [](IParam& p) { p.InitDouble("r", 0.0, -10.0, 10.0, 0.1); }, 1, 8, "-1.5dB", "-1.5"},
    {"integer", [](IParam& p) { p.InitInt("i", 0, -10, 10); }, 2, 8, "+1.5x", "+15"},
    {"enumerated", [](IParam& p) { p.InitEnum("e", 0, 3); }, 3, 8, "2.", "2"},
    {"length limit", [](IParam&) {}, 1, 3, "12345", "123"},
  };
  for (const Case& c : cases)
  {
    c.init(*dlg.GetParam(c.paramIdx));
    field->CreateTextEntry(c.paramIdx, DEFAULT_TEXT, IRECT(20, 20, 80, 40), c.length, "0.0 dB");
    Type(c.typed); // the selected initial text is replaced
    EXPECT_EQ(field->GetEditText(), c.expected) << c.name;
    field->CancelEdit();
  }
  // Without a parameter anything printable goes, UTF-8 included, and no limit applies.
  field->CreateTextEntry(-1, DEFAULT_TEXT, IRECT(20, 20, 80, 40), 2, "");
  Type("a b");
  Key(0, "\xC3\xA9");
  Key(0, "\x01");
  EXPECT_EQ(field->GetEditText(), "a b\xC3\xA9");
  field->CancelEdit();
}

TEST_F(PromptFixture, TextFieldEditsCommitsAndCancels)
{
  dlg.GetParam(1)->InitGain("level", 0.0, -10.0, 10.0, 0.5);
  box->PromptUserInput(0);
  ASSERT_TRUE(field->EditInProgress());
  EXPECT_TRUE(ui.textEntries.empty()); // not the platform's field
  EXPECT_EQ(field->GetEditText(), "0.0");
  EXPECT_EQ(ui.GetMouseControl(250, 150, false), field); // every event goes to the field

  struct
  {
    std::vector<IKeyPress> keys;
    const char* text;
    int selStart, selEnd;
  } steps[] = {
    {{IKeyPress("1", 0), IKeyPress("2", 0)}, "12", 2, 2},
    {{IKeyPress("", kVK_LEFT), IKeyPress("", kVK_BACK)}, "2", 0, 0},
    {{IKeyPress("", kVK_END, true)}, "2", 0, 1},
    {{IKeyPress("5", 0)}, "5", 1, 1},
    {{IKeyPress("", kVK_HOME), IKeyPress("", kVK_DELETE), IKeyPress("-", 0), IKeyPress("4", 0)}, "-4", 2, 2},
    {{IKeyPress("", 'Z', false, true)}, "-", 1, 1},
    {{IKeyPress("", 'A', false, true), IKeyPress("", 'X', false, true)}, "", 0, 0},
    {{IKeyPress("", 'V', false, true), IKeyPress("", 'V', false, true)}, "--", 2, 2},
  };
  for (const auto& s : steps)
  {
    for (const IKeyPress& k : s.keys)
      ui.OnKeyDown(0, 0, k);
    int a, b;
    field->GetSelection(a, b);
    EXPECT_EQ(field->GetEditText(), s.text);
    EXPECT_EQ(a, s.selStart) << s.text;
    EXPECT_EQ(b, s.selEnd) << s.text;
  }
  EXPECT_EQ(ui.clipboard, "-");

  // Escape: no value, nothing left in text entry.
  Key(kVK_ESCAPE);
  EXPECT_FALSE(field->EditInProgress());
  EXPECT_EQ(ui.GetControlInTextEntry(), nullptr);
  EXPECT_DOUBLE_EQ(box->GetValue(), 0.0);

  // Enter commits; so does a press elsewhere (the focus leaves the field).
  struct
  {
    std::function<void()> end;
    const char* typed;
    double value;
  } commits[] = {
    {[&] { Key(kVK_RETURN); }, "5", 0.75},
    {[&] { Press(250, 150); }, "-5", 0.25},
  };
  for (const auto& c : commits)
  {
    box->PromptUserInput(0);
    Type(c.typed);
    c.end();
    EXPECT_FALSE(field->EditInProgress()) << c.typed;
    EXPECT_DOUBLE_EQ(box->GetValue(), c.value) << c.typed;
  }
}

TEST_F(PromptFixture, TextFieldDrawsTextSelectionAndCaret)
{
  field->CreateTextEntry(-1, DEFAULT_TEXT.WithAlign(ETextHAlign::Near), IRECT(20, 20, 120, 40), 10, "abc");
  ui.SetAllControlsClean();
  field->SetDirty(false);
  ui.RunFrame();
  auto fills = ui.Ops("fill");
  ASSERT_GE(fills.size(), 2u);
  const IRECT sel = fills.back().bounds; // all three characters selected, 7 points each
  EXPECT_FLOAT_EQ(sel.L, 23.f);
  EXPECT_FLOAT_EQ(sel.R, 44.f);
  EXPECT_EQ(ui.Ops("text").back().text, "abc");

  // A click at the second character's right half puts the caret after it.
  ui.ClearLog();
  Press(23.f + 7.f + 5.f, 30.f);
  ui.RunFrame();
  int a, b;
  field->GetSelection(a, b);
  EXPECT_EQ(a, 2);
  auto strokes = ui.Ops("stroke");
  ASSERT_FALSE(strokes.empty());
  EXPECT_FLOAT_EQ(strokes.back().bounds.L, 37.f); // caret line
}
