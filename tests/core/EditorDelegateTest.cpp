#include <gtest/gtest.h>

#include <vector>

#include "core/IByteChunk.h"
#include "core/IEditorDelegate.h"

using namespace iplug;

namespace
{
struct Recorder : IEditorDelegate
{
  using IEditorDelegate::OnParamChange;
  explicit Recorder(int n) : IEditorDelegate(n) {}
  void BeginInformHostOfParamChangeFromUI(int) override {}
  void EndInformHostOfParamChangeFromUI(int) override {}
  void OnParamChange(int idx) override { log.push_back("change " + std::to_string(idx)); }
  void OnParamChangeUI(int idx, EParamSource s) override
  {
    log.push_back("ui " + std::to_string(idx) + " " + std::to_string(s));
  }
  bool OnMessage(int msgTag, int ctrlTag, int size, const void*) override
  {
    log.push_back("msg " + std::to_string(msgTag) + " " + std::to_string(ctrlTag) + " " + std::to_string(size));
    return true;
  }
  void OnMidiMsgUI(const IMidiMsg& m) override { log.push_back("midi " + std::to_string(m.mStatus)); }
  void OnSysexMsgUI(const ISysEx& m) override { log.push_back("sysex " + std::to_string(m.mSize)); }
  std::vector<std::string> log;
};
} // namespace

TEST(EditorDelegate, OwnsParametersAndForwardsByDefault)
{
  Recorder d(2);
  EXPECT_EQ(d.NParams(), 2);
  EXPECT_EQ(d.GetParam(2), nullptr);
  EXPECT_EQ(d.GetEditorWidth(), 0);
  EXPECT_EQ(d.GetMinWidth(), 10);
  EXPECT_EQ(d.GetMaxHeight(), 100000);

  d.OnParamChange(1, kHost, 5);
  d.SendControlMsgFromDelegate(7, 3, 4, nullptr);
  d.SendArbitraryMsgFromDelegate(9);
  d.SendMidiMsgFromDelegate(IMidiMsg(0, 0x90, 1, 2));
  const uint8_t bytes[3] = {};
  d.SendSysexMsgFromDelegate(ISysEx(0, bytes, 3));
  EXPECT_EQ(d.log, (std::vector<std::string>{"change 1", "msg 3 7 4", "msg 9 -1 0", "midi 144", "sysex 3"}));
}

TEST(EditorDelegate, OpeningAndRestoringPushEveryParameterToTheEditor)
{
  Recorder d(3);
  EXPECT_EQ(d.OpenWindow(nullptr), nullptr);
  EXPECT_EQ(d.log, (std::vector<std::string>{"ui 0 4", "ui 1 4", "ui 2 4"}));
  d.log.clear();
  d.OnRestoreState();
  EXPECT_EQ(d.log.size(), 3u);
}

TEST(EditorDelegate, ValueFromUiIsStoredNormalisedAndReported)
{
  Recorder d(1);
  d.GetParam(0)->InitInt("Steps", 0, 0, 12);
  d.SendParameterValueFromUI(0, 0.49);
  EXPECT_EQ(d.GetParam(0)->GetValue(), 6.0);
  EXPECT_EQ(d.log, (std::vector<std::string>{"ui 0 3"}));
  d.SendParameterValueFromUI(5, 0.5); // no such parameter: only reported
  EXPECT_FALSE(d.EditorResizeFromUI(100, 100, true));
}

TEST(EditorDelegate, EditorStateDefaultsReadAndWriteNothing)
{
  Recorder d(0);
  IByteChunk chunk;
  EXPECT_TRUE(d.SerializeEditorState(chunk));
  EXPECT_EQ(chunk.Size(), 0);
  EXPECT_EQ(d.UnserializeEditorState(chunk, 7), 7);
  d.SetSizeConstraints(800, 200, 50, 10);
  EXPECT_EQ(d.GetMinWidth(), 200);
  EXPECT_EQ(d.GetMaxWidth(), 800);
  EXPECT_EQ(d.GetMinHeight(), 10);
}
