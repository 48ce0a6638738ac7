// Parameter changes from another thread while the audio thread processes.
#include "EngineHarness.h"
#include "preamp/CorvaneEngine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using iplug::CorvaneEngine;

TEST(CorvaneEngineConcurrency, SettingsChangeWhileBlocksRun)
{
  auto engine = std::make_unique<CorvaneEngine>();
  engine->Reset(48000.0);
  std::atomic<bool> done{false};

  std::thread ui([&] {
    for (int k = 0; !done.load(); ++k)
    {
      engine->OnParamChange(k % CorvaneEngine::kNumParams, (k / 9) % 5);
      engine->OnParamChange(CorvaneEngine::kOutput, (k % 48) - 24.0);
      (void)engine->Latency();
    }
  });

  corvane_test::Stereo in = corvane_test::Sine(256, 330.0, 0.7), out(256);
  double* ins[2] = {in.l.data(), in.r.data()};
  double* outs[2] = {out.l.data(), out.r.data()};
  bool finite = true;
  for (int block = 0; block < 2000; ++block)
  {
    engine->ProcessBlock(ins, outs, 256);
    const int latency = engine->Latency();
    EXPECT_TRUE(latency == 0 || latency == 17 || latency == 64 || latency == 81) << latency;
    for (int i = 0; i < 256; ++i)
      finite = finite && std::isfinite(out.l[i]) && std::isfinite(out.r[i]);
  }
  done = true;
  ui.join();
  EXPECT_TRUE(finite);
}
