// Frame time of the editor window: one knob of the Corvane editor made dirty,
// then one frame drawn and presented (llvmpipe under Xvfb on a machine
// without a GPU), at draw scale 1 and 2. Needs an X display, for example:
//   xvfb-run -a -s "-screen 0 1600x1200x24" build/bin/window_bench

#include <benchmark/benchmark.h>

#include <MacAPIExtensions.h>

#include "au/InstanceInfo.h"
#include "graphics/IControl.h"
#include "platform/x11/IGraphicsX11.h"
#include "preamp/Corvane.h"

namespace iplug {
// The adapter's entry point builds the plug-in through this; the bench builds it directly.
IPlugAU* MakePlug(void* memory)
{
  InstanceInfo info;
  return memory ? new (memory) Corvane(info) : new Corvane(info);
}
} // namespace iplug

namespace {

void KnobFrame(benchmark::State& state)
{
  MacAPIRegisterComponentBundle(CORVANE_BUNDLE_DIR); // where the editor's images are found
  iplug::InstanceInfo info;
  iplug::Corvane plug(info);
  auto* opened = plug.OpenWindow(nullptr);
  auto* ui = static_cast<iplug::igraphics::IGraphicsX11*>(plug.GetUI());
  if (!opened)
  {
    state.SkipWithError(ui ? ui->GetError().c_str() : "no graphics");
    return;
  }
  ui->SetTimerEnabled(false);
  ui->Resize(575, 333, static_cast<float>(state.range(0)));
  ui->Idle();
  // The Gain knob: the first control linked to parameter 0.
  iplug::igraphics::IControl* knob = nullptr;
  ui->ForControlWithParam(0, [&](iplug::igraphics::IControl* c) { knob = knob ? knob : c; });
  if (!knob)
  {
    state.SkipWithError("no Gain knob");
    return;
  }
  double value = 0.0;
  for (auto _ : state)
  {
    value = value >= 1.0 ? 0.0 : value + 1.0 / 12.0;
    knob->SetValue(value);
    knob->SetDirty(false);
    ui->Idle(); // events (none), the dirty region redrawn, the frame presented
  }
  plug.CloseWindow();
}

} // namespace

BENCHMARK(KnobFrame)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_MAIN();
