// The product's editor as the layout builds it, on a recording graphics
// context that "finds" images of the shipped sizes: what is attached where,
// and how the switches, knobs and the value bubble answer the pointer.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "au/AUHost.h"
#include "core/MakeFourCC.h"
#include "graphics/GraphicsTestSupport.h"
#include "graphics/IControls.h"
#include "preamp/Corvane.h"

extern "C" AudioComponentPlugInInterface* Corvane_Factory(const AudioComponentDescription* desc);

namespace corvane_test {
namespace {
using namespace iplug::igraphics;
using iplug::Corvane;
using iplug::igraphics::test::Point;
using iplug::igraphics::test::RecordingGraphics;

struct Row
{
  bool knob;
  float x, y;
  const char* file;
  int paramIdx;
  bool bubble;
};
const Row kRows[] = {
  {false, 478, 53, "PWR.png", 5, false}, {false, 478, 219, "PWR.png", 4, false}, {false, 42, 53, "MIC.png", 6, false},
  {false, 275, 53, "PHS.png", 7, false}, {true, 120, 31, "GAIN.png", 0, true},   {true, 343, 31, "OUT.png", 1, true},
  {true, 120, 198, "FLT.png", 2, true},  {true, 343, 198, "FLT.png", 3, true},   {false, 187, 311, "OVER.png", 8, true},
};

class CorvaneEditorLayout : public ::testing::Test
{
protected:
  static void SetUpTestSuite()
  {
    static const AudioComponent component = [] {
      const AudioComponentDescription desc{static_cast<OSType>(MakeFourCC("aufx")),
                                           static_cast<OSType>(MakeFourCC("Qzr1")),
                                           static_cast<OSType>(MakeFourCC("Vtrn")), 0, 0};
      return AudioComponentRegister(&desc, CFSTR("Veltrano: Corvane (layout)"), 0x00020000, Corvane_Factory);
    }();
    ASSERT_NE(component, nullptr);
  }

  CorvaneEditorLayout()
  : unit(AudioComponentDescription{static_cast<OSType>(MakeFourCC("aufx")), static_cast<OSType>(MakeFourCC("Qzr1")),
                                   static_cast<OSType>(MakeFourCC("Vtrn")), 0, 0})
  {
    plug = dynamic_cast<Corvane*>(unit.adapter());
    // The real layout function stays; only the platform graphics is replaced.
    plug->SetMakeGraphicsFunc([this]() -> IGraphics* {
      auto* g = new RecordingGraphics(*plug, 575, 333, 1.f);
      g->images = {{"BG.png", {575, 333}},      {"PWR.png", {90, 180}},        {"MIC.png", {70, 180}},
                   {"PHS.png", {60, 180}},      {"GAIN.png", {130, 13 * 130}}, {"OUT.png", {130, 61 * 130}},
                   {"FLT.png", {130, 5 * 110}}, {"OVER.png", {200, 40}}};
      for (const std::string& name : missing)
        g->images.erase(name);
      return g;
    });
  }

  RecordingGraphics* Open()
  {
    plug->OpenWindow(&parent);
    return static_cast<RecordingGraphics*>(plug->GetUI());
  }

  static void Click(RecordingGraphics& ui, const IControl& c)
  {
    ui.OnMouseDown(Point(c.GetRECT().MW(), c.GetRECT().MH(), IMouseMod(true)));
    ui.OnMouseUp(Point(c.GetRECT().MW(), c.GetRECT().MH(), IMouseMod(true)));
  }

  static int DrawnFrameOffset(RecordingGraphics& ui, IControl& c)
  {
    ui.ClearLog();
    c.Draw(ui);
    return ui.Ops("bitmap").empty() ? -1 : ui.Ops("bitmap").back().srcY;
  }

  /** The parameter's value as the host reads it. */
  double Param(int idx) const
  {
    AudioUnitParameterValue v = -1.f;
    AudioUnitGetParameter(unit, static_cast<AudioUnitParameterID>(idx), kAudioUnitScope_Global, 0, &v);
    return v;
  }

  AUInstance unit;
  Corvane* plug = nullptr;
  std::vector<std::string> missing;
  int parent = 0;
};

TEST_F(CorvaneEditorLayout, NineControlsInTableOrderOverTheBackground)
{
  for (int opening = 0; opening < 2; ++opening) // closing and reopening lays it out again
  {
    RecordingGraphics* ui = Open();
    ASSERT_NE(ui, nullptr);
    EXPECT_EQ(ui->Width(), 575);
    EXPECT_EQ(ui->Height(), 333);
    ASSERT_EQ(ui->NControls(), 10);
    EXPECT_EQ(ui->GetBackgroundControl()->GetRECT(), IRECT(0, 0, 575, 333));
    for (int i = 0; i < 9; ++i)
    {
      const Row& row = kRows[i];
      IControl* c = ui->GetControl(i + 1);
      EXPECT_EQ(dynamic_cast<IBKnobControl*>(c) != nullptr, row.knob) << i;
      EXPECT_EQ(dynamic_cast<IBSwitchControl*>(c) != nullptr, !row.knob) << i;
      EXPECT_EQ(c->GetRECT().L, row.x) << i;
      EXPECT_EQ(c->GetRECT().T, row.y) << i;
      EXPECT_EQ(c->GetParamIdx(), row.paramIdx) << i;
      EXPECT_EQ(static_cast<bool>(c->GetActionFunction()), row.bubble) << i;
      EXPECT_STREQ(dynamic_cast<IBitmapBase*>(c)->GetBitmap().GetResourceName().Get(), row.file) << i;
    }
    EXPECT_EQ(ui->GetCornerResizer()->GetRECT(), IRECT(555, 313, 575, 333));
    EXPECT_EQ(ui->GetResizerMode(), EUIResizerMode::Scale);
    EXPECT_EQ(ui->NBubbleControls(), 1);
    EXPECT_TRUE(ui->MouseOverEnabled());
    EXPECT_FALSE(ui->MultiTouchEnabled());
    EXPECT_EQ(ui->fontsLoaded, std::vector<std::string>{"Roboto-Regular=Roboto-Regular.ttf"});
    plug->CloseWindow();
    EXPECT_EQ(plug->GetUI(), nullptr);
  }
}

TEST_F(CorvaneEditorLayout, DraggingGainStepsThroughItsTextsInTheBubble)
{
  AudioUnitSetParameter(unit, 0, kAudioUnitScope_Global, 0, 0.f, 0); // -20 dB
  RecordingGraphics* ui = Open();
  ASSERT_NE(ui, nullptr);
  IControl* gain = ui->GetControl(5);
  IBubbleControl* bubble = ui->GetBubbleControl(0);
  const float x = gain->GetRECT().MW(), y = gain->GetRECT().MH();

  std::vector<std::string> shown;
  ui->OnMouseDown(Point(x, y, IMouseMod(true)));
  ui->OnMouseDrag(Point(x, y, IMouseMod(true), 0.f, 1.f)); // a nudge down keeps the minimum
  shown.push_back(bubble->GetStr());
  // Gearing 4: the whole range takes four knob heights, one step a twelfth of that.
  const float step = 4.f * gain->GetTargetRECT().H() / 12.f;
  for (int i = 0; i < 12; ++i)
  {
    ui->OnMouseDrag(Point(x, y, IMouseMod(true), 0.f, -step - 0.01f));
    shown.push_back(bubble->GetStr());
  }
  ui->OnMouseUp(Point(x, y, IMouseMod(true)));

  const std::vector<std::string> texts = {"-20dB", "-15dB", "-10dB", "-5dB", "0dB",  "5dB", "10dB",
                                          "15dB",  "20dB",  "25dB",  "30dB", "35dB", "40dB"};
  EXPECT_EQ(shown, texts);
  EXPECT_EQ(Param(0), 12.0);
  EXPECT_EQ(DrawnFrameOffset(*ui, *gain), 12 * 130);
  EXPECT_FALSE(bubble->IsHidden());
}

TEST_F(CorvaneEditorLayout, AMissingResourceHidesOnlyItsControlAndIsNamedOnce)
{
  missing = {"FLT.png"};
  testing::internal::CaptureStderr();
  RecordingGraphics* ui = Open();
  const std::string err = testing::internal::GetCapturedStderr();
  ASSERT_NE(ui, nullptr);
  ASSERT_EQ(ui->NControls(), 10);
  EXPECT_NE(err.find("FLT.png"), std::string::npos);
  EXPECT_EQ(err.find("FLT.png"), err.rfind("FLT.png")); // two knobs, one line
  EXPECT_EQ(err.find("GAIN.png"), std::string::npos);
  for (int i : {7, 8})
    EXPECT_EQ(ui->GetControl(i)->GetRECT().W(), 0.f);

  ui->RunFrame(); // the rest draws and works
  EXPECT_EQ(ui->Count("bitmap"), 8);
  Click(*ui, *ui->GetControl(4));
  EXPECT_EQ(Param(7), 1.0);
}
} // namespace
} // namespace corvane_test
