#include <gtest/gtest.h>

#include <vector>

#include "core/IEditorDelegate.h"

using namespace iplug;

namespace {
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
  std::vector<std::string> log;
};
} // namespace

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
  d.SendParameterValueFromUI(5, 0.5);     // no such parameter: only reported
  d.SetSizeConstraints(800, 200, 50, 10); // stored sorted
  EXPECT_EQ(d.GetMinWidth(), 200);
  EXPECT_EQ(d.GetMaxWidth(), 800);
}
