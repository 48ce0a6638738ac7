// A frame of a 575 x 333 editor at screen scale 2 with one knob-sized dirty
// region (partial redraw plus composite), against a frame that redraws
// everything. Times include waiting for the GL to finish.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "drawing/OffscreenEditor.h"

using namespace iplug::igraphics;
using namespace iplug::igraphics::test;

namespace {

class PreampLikeEditor
{
public:
  PreampLikeEditor() : editor(575, 333, 2.f)
  {
    if (!editor.opened)
      return;
    // Like the preamp's editor: a background picture and eight 60-frame knob strips, at scale 2,
    // written once to temporary files.
    const auto folder = std::filesystem::temp_directory_path();
    background = (folder / ("corvane-bench-bg-" + std::to_string(::getpid()) + ".png")).string();
    strip = (folder / ("corvane-bench-knob-" + std::to_string(::getpid()) + ".png")).string();
    WriteTestPNG(background, 1150, 666, [](int x, int y) {
      return RGBA{40 + y / 8, 44 + x / 12, 52 + (x ^ y) % 40, 255};
    });
    WriteTestPNG(strip, 120, 120 * 60, [](int x, int y) {
      const int dx = x - 60, dy = (y % 120) - 60;
      const bool inside = dx * dx + dy * dy < 55 * 55;
      return inside ? RGBA{(y / 120) * 4, 90, 160 - x / 2, 255} : RGBA{0, 0, 0, 0};
    });
    const IBitmap bg = editor.g().LoadBitmap(background.c_str(), 1, false, 2);
    const IBitmap knob = editor.g().LoadBitmap(strip.c_str(), 60, false, 2);

    editor.Add(editor.g().GetBounds(), [bg](IGraphics& g, const IRECT& r) { g.DrawBitmap(bg, r); });
    for (int i = 0; i < 8; ++i)
    {
      const IRECT r(20.f + 68.f * i, 140.f, 80.f + 68.f * i, 200.f);
      knobs.push_back(editor.Add(r, [knob, i](IGraphics& g, const IRECT& b) { g.DrawBitmap(knob, b, 1 + i * 7); }));
    }
    editor.g().DrawFrame();
    editor.g().Finish();
  }
  ~PreampLikeEditor()
  {
    std::remove(strip.c_str());
    std::remove(background.c_str());
  }

  OffscreenEditor editor;
  std::vector<IControl*> knobs;
  std::string strip;
  std::string background;
};

void BM_PartialFrameOneKnob(benchmark::State& state)
{
  PreampLikeEditor e;
  if (!e.editor.opened)
  {
    state.SkipWithError(e.editor.g().GetError().c_str());
    return;
  }
  for (auto _ : state)
  {
    e.knobs[3]->SetDirty(false);
    e.editor.g().DrawFrame();
    e.editor.g().Finish();
  }
}
BENCHMARK(BM_PartialFrameOneKnob)->Unit(benchmark::kMicrosecond);

void BM_FullFrame(benchmark::State& state)
{
  PreampLikeEditor e;
  if (!e.editor.opened)
  {
    state.SkipWithError(e.editor.g().GetError().c_str());
    return;
  }
  for (auto _ : state)
  {
    e.editor.g().SetAllControlsDirty();
    e.editor.g().DrawFrame();
    e.editor.g().Finish();
  }
}
BENCHMARK(BM_FullFrame)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
