#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "GraphicsTestSupport.h"

using namespace iplug;
using namespace iplug::igraphics;
using namespace iplug::igraphics::test;

namespace {

class MidiControl : public BoxControl
{
public:
  explicit MidiControl(const IRECT& r) : BoxControl(r) { SetWantsMidi(true); }
  void OnMidi(const IMidiMsg& msg) override { notes.push_back(msg.mData1); }
  void OnMsgFromDelegate(int msgTag, int dataSize, const void*) override { msgs.push_back(msgTag * 100 + dataSize); }
  std::vector<int> notes;
  std::vector<int> msgs;
};

/** A plug-in-like delegate whose editor has a knob on parameter 0 and two boxes on parameter 1. */
class EditorDelegate : public TestDelegate
{
public:
  EditorDelegate() : TestDelegate(3)
  {
    SetSizeConstraints(100, 2000, 100, 2000);
    GetParam(0)->InitGain("Output", 0.0, -24.0, 24.0, 0.1);
    SetMakeGraphicsFunc([this] { return new RecordingGraphics(*this, 575, 333, 1.f); });
    SetLayoutUIFunc([this](IGraphics* ui) {
      ++layouts;
      ui->AttachControl(new TestKnob(IRECT(0, 0, 50, 50), 0), 10);
      ui->AttachControl(new BoxControl(IRECT(60, 0, 80, 20), COLOR_RED, 1));
      ui->AttachControl(new BoxControl(IRECT(90, 0, 110, 20), COLOR_RED, 1));
      ui->AttachControl(new MidiControl(IRECT(120, 0, 140, 20)), 11);
    });
  }
  void OnMidiMsgUI(const IMidiMsg&) override { ++midiUI; }
  void OnUIClose() override
  {
    ++closes;
    if (reenterClose)
      CloseWindow();
  }
  RecordingGraphics* UI() const { return static_cast<RecordingGraphics*>(GetUI()); }

  int layouts = 0;
  int midiUI = 0;
  int closes = 0;
  bool reenterClose = false;
};

struct Record
{
  int32_t w;
  int32_t h;
  float scale;
};

Record ReadRecord(const IByteChunk& chunk, int pos = 0)
{
  Record r{};
  chunk.ReadValue(r.w, pos);
  chunk.ReadValue(r.h, pos + 4);
  chunk.ReadValue(r.scale, pos + 8);
  return r;
}

} // namespace

TEST(IGEditorDelegate, OpenRunsLayoutAndSendsEveryValue)
{
  EditorDelegate dlg;
  dlg.GetParam(0)->SetValue(12.0);
  EXPECT_EQ(dlg.OpenWindow(&dlg), &dlg);
  ASSERT_NE(dlg.UI(), nullptr);
  EXPECT_EQ(dlg.layouts, 1);
  EXPECT_DOUBLE_EQ(dlg.UI()->GetControlWithTag(10)->GetValue(), 0.75);
  dlg.CloseWindow();
  EXPECT_EQ(dlg.GetUI(), nullptr);

  EditorDelegate noFactory;
  noFactory.SetMakeGraphicsFunc(nullptr);
  EXPECT_EQ(noFactory.OpenWindow(nullptr), nullptr);
  EXPECT_FALSE(noFactory.OnKeyDown(IKeyPress("a", 65)));
}

TEST(IGEditorDelegate, SizeSurvivesCloseReopenAndState)
{
  EditorDelegate dlg;
  IByteChunk never;
  EXPECT_TRUE(dlg.SerializeEditorState(never));
  const Record zero = ReadRecord(never);
  EXPECT_EQ(zero.w, 0);
  EXPECT_EQ(zero.scale, 0.f);

  dlg.OpenWindow(&dlg);
  dlg.UI()->Resize(862, 500, 1.5f);
  IByteChunk open;
  dlg.SerializeEditorSize(open);
  EXPECT_EQ(open.Size(), 12);
  EXPECT_EQ(ReadRecord(open).w, 862);
  dlg.CloseWindow();
  dlg.OpenWindow(&dlg);
  EXPECT_EQ(dlg.UI()->Width(), 862);
  EXPECT_EQ(dlg.UI()->Height(), 500);
  EXPECT_EQ(dlg.UI()->GetDrawScale(), 1.5f);
  dlg.CloseWindow();

  IByteChunk saved;
  saved.WriteValue(int32_t(99)); // the record need not start at 0
  dlg.SerializeEditorState(saved);
  const Record r = ReadRecord(saved, 4);
  EXPECT_EQ(r.w, 862);
  EXPECT_EQ(r.h, 500);
  EXPECT_EQ(r.scale, 1.5f);

  EditorDelegate fresh;
  EXPECT_EQ(fresh.UnserializeEditorState(saved, 4), 16);
  fresh.OpenWindow(&fresh);
  EXPECT_EQ(fresh.UI()->Width(), 862);
  EXPECT_EQ(fresh.UI()->GetDrawScale(), 1.5f);

  IByteChunk zeroWidth;
  zeroWidth.WriteValue(int32_t(0));
  zeroWidth.WriteValue(int32_t(300));
  zeroWidth.WriteValue(1.f);
  EXPECT_EQ(fresh.UnserializeEditorSize(zeroWidth, 0), 12);
  EXPECT_EQ(fresh.UI()->Width(), 862); // an open editor keeps its size
}

TEST(IGEditorDelegate, DestroyedWhileOpenClosesTheWindow)
{
  int windowCloses = 0;
  {
    EditorDelegate dlg;
    dlg.OpenWindow(&dlg);
    dlg.UI()->windowCloses = &windowCloses;
  }
  EXPECT_EQ(windowCloses, 1);
}

TEST(IGEditorDelegate, RecordReadWhileClosedStaysWithinTheEditorsLimits)
{
  struct Case
  {
    Record in;
    bool openedBefore;
    Record stored;
  };
  const float nan = std::nanf("");
  const Case cases[] = {
    {{-5, 2000000000, nan}, false, {100, 2000, 0.f}}, {{700, 400, INFINITY}, false, {700, 400, 0.f}},
    {{700, 400, -1.f}, false, {700, 400, 0.f}},       {{0, 0, 0.f}, false, {0, 0, 0.f}}, // no size stays no size
    {{700, 400, 9.f}, true, {700, 400, 2.f}}, // the editor's scale limits: 0.5 to 2
    {{700, 400, 0.1f}, true, {700, 400, 0.5f}},
  };
  for (const Case& c : cases)
  {
    EditorDelegate dlg;
    if (c.openedBefore)
    {
      dlg.OpenWindow(&dlg);
      dlg.CloseWindow();
    }
    IByteChunk record;
    record.WriteValue(c.in.w);
    record.WriteValue(c.in.h);
    record.WriteValue(c.in.scale);
    ASSERT_EQ(dlg.UnserializeEditorSize(record, 0), 12);
    IByteChunk saved;
    dlg.SerializeEditorSize(saved);
    const Record out = ReadRecord(saved);
    EXPECT_EQ(out.w, c.stored.w) << c.in.w;
    EXPECT_EQ(out.h, c.stored.h) << c.in.h;
    EXPECT_EQ(out.scale, c.stored.scale) << c.in.scale;
  }
}

TEST(IGEditorDelegate, ShortRecordFails)
{
  EditorDelegate dlg;
  IByteChunk shortChunk;
  shortChunk.WriteValue(int32_t(700));
  shortChunk.WriteValue(int32_t(400));
  EXPECT_EQ(dlg.UnserializeEditorSize(shortChunk, 0), -1);
  EXPECT_EQ(dlg.GetStoredWidth(), 700); // read before the failure
  EXPECT_EQ(dlg.GetStoredScale(), 0.f);
  EXPECT_EQ(dlg.UnserializeEditorSize(shortChunk, -5), -1);
}

TEST(IGEditorDelegate, ValuesTagsMessagesAndMidiReachTheControls)
{
  EditorDelegate dlg;
  dlg.SendParameterValueFromDelegate(1, 0.5, true); // closed: only the UI hook runs
  EXPECT_EQ(dlg.uiChanges, (std::vector<std::string>{"1/4"}));
  dlg.OpenWindow(&dlg);
  dlg.uiChanges.clear();

  dlg.SendParameterValueFromDelegate(1, 0.5, true);
  EXPECT_EQ(dlg.UI()->GetControl(1)->GetValue(), 0.5);
  EXPECT_EQ(dlg.UI()->GetControl(2)->GetValue(), 0.5);
  dlg.SendParameterValueFromDelegate(0, -12.0, false); // real value: normalised first
  EXPECT_DOUBLE_EQ(dlg.UI()->GetControl(0)->GetValue(), 0.25);
  dlg.SendParameterValueFromDelegate(2, 0.3, true);   // linked to nothing
  dlg.SendParameterValueFromDelegate(42, 3.0, false); // no such parameter
  EXPECT_EQ(dlg.uiChanges, (std::vector<std::string>{"1/4", "0/4", "2/4", "42/4"}));

  dlg.SendControlValueFromDelegate(10, 0.9);
  EXPECT_DOUBLE_EQ(dlg.UI()->GetControl(0)->GetValue(), 0.9);
  dlg.SendControlValueFromDelegate(77, 0.9); // unknown tag: nothing

  auto* midi = static_cast<MidiControl*>(dlg.UI()->GetControlWithTag(11));
  dlg.SendControlMsgFromDelegate(11, 3, 4, "abcd");
  EXPECT_EQ(midi->msgs, (std::vector<int>{304}));
  dlg.SendMidiMsgFromDelegate(IMidiMsg(0, 0x90, 60, 100));
  EXPECT_EQ(midi->notes, (std::vector<int>{60}));
  EXPECT_EQ(dlg.midiUI, 1);
  dlg.CloseWindow();
  dlg.SendMidiMsgFromDelegate(IMidiMsg(0, 0x90, 61, 100));
  EXPECT_EQ(dlg.midiUI, 2);
}

TEST(IGEditorDelegate, KeysGoToTheControlUnderTheMouse)
{
  EditorDelegate dlg;
  dlg.OpenWindow(&dlg);
  int handled = 0;
  dlg.UI()->SetKeyHandlerFunc([&](const IKeyPress&, bool) { return ++handled > 0; });
  dlg.UI()->OnMouseOver(200, 200, {}); // sets the last pointer position
  EXPECT_TRUE(dlg.OnKeyDown(IKeyPress(" ", 32)));
  EXPECT_TRUE(dlg.OnKeyUp(IKeyPress(" ", 32)));
  EXPECT_EQ(handled, 2);
}

TEST(IGEditorDelegate, ReentrantCloseClosesOnce)
{
  EditorDelegate dlg;
  dlg.OpenWindow(&dlg);
  dlg.reenterClose = true;
  dlg.CloseWindow();
  EXPECT_EQ(dlg.closes, 1);
  EXPECT_EQ(dlg.GetUI(), nullptr);
  EXPECT_EQ(dlg.GetStoredWidth(), 575);
}
