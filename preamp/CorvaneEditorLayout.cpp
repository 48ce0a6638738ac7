#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "graphics/IControls.h"
#include "graphics/IGraphics.h"
#include "preamp/CorvaneEditor.h"
#include "preamp/CorvaneEngine.h"

namespace iplug {

using namespace igraphics;

namespace {

struct ControlRow
{
  bool knob;
  float x;
  float y;
  const char* file;
  int frames;
  int paramIdx;
  bool bubble;
};

// Top-left corners in points at scale 1; frame 1 is each parameter's minimum.
constexpr ControlRow kRows[] = {
  {false, 478, 53, "PWR.png", 2, CorvaneEngine::kPreampBypass, false},
  {false, 478, 219, "PWR.png", 2, CorvaneEngine::kFilterBypass, false},
  {false, 42, 53, "MIC.png", 2, CorvaneEngine::kMicPre, false},
  {false, 275, 53, "PHS.png", 2, CorvaneEngine::kPhase, false},
  {true, 120, 31, "GAIN.png", 13, CorvaneEngine::kGain, true},
  {true, 343, 31, "OUT.png", 61, CorvaneEngine::kOutput, true},
  {true, 120, 198, "FLT.png", 5, CorvaneEngine::kHighpass, true},
  {true, 343, 198, "FLT.png", 5, CorvaneEngine::kLowpass, true},
  {false, 187, 311, "OVER.png", 2, CorvaneEngine::kOversampling, true},
};

constexpr double kKnobGearing = 4.0;

/** Names each missing resource once per editor opening. */
class ResourceReport
{
public:
  void Check(bool ok, const char* file)
  {
    if (ok || std::find(mReported.begin(), mReported.end(), file) != mReported.end())
      return;
    mReported.emplace_back(file);
    std::fprintf(stderr, "Corvane: cannot load the editor resource \"%s\"; its control is not shown\n", file);
  }

private:
  std::vector<std::string> mReported;
};

} // namespace

void LayoutCorvaneEditor(IGraphics* g)
{
  if (!g)
    return;
  ResourceReport report;

  g->AttachCornerResizer(EUIResizerMode::Scale, false, COLOR_TRANSLUCENT, COLOR_BLACK, COLOR_BLACK, 20.f);
  auto* background = dynamic_cast<IBitmapControl*>(g->AttachBackground("BG.png"));
  report.Check(background && background->GetBitmap().IsValid(), "BG.png");
  g->EnableMouseOver(true);
  g->EnableMultiTouch(g->PlatformSupportsMultiTouch());
  g->AttachBubbleControl(DEFAULT_TEXT);
  report.Check(g->LoadFont("Roboto-Regular", "Roboto-Regular.ttf"), "Roboto-Regular.ttf");

  for (const ControlRow& row : kRows)
  {
    const IBitmap bitmap = g->LoadBitmap(row.file, row.frames);
    report.Check(bitmap.IsValid(), row.file);
    IControl* control = row.knob ? static_cast<IControl*>(new IBKnobControl(row.x, row.y, bitmap, row.paramIdx,
                                                                            EDirection::Vertical, kKnobGearing))
                                 : static_cast<IControl*>(new IBSwitchControl(row.x, row.y, bitmap, row.paramIdx));
    g->AttachControl(control, kNoTag, "");
    if (row.bubble)
      control->SetActionFunction(ShowBubbleVerticalActionFuncSTD);
  }
}

} // namespace iplug
