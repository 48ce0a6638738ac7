// The audio path must never touch the heap: every allocation the processing
// thread makes is counted, and a long run of blocks in every mode, mono and
// stereo, must add none.
#include "AllocationCounter.h"
#include "EngineHarness.h"
#include "preamp/CorvaneEngine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <memory>

using corvane_test::AllocationCount;
using corvane_test::CountingScope;
using iplug::CorvaneEngine;

TEST(CorvaneEngineAllocation, CounterSeesAllocations)
{
#ifdef CORVANE_SANITIZED
  GTEST_SKIP() << "allocation counting runs in the plain builds";
#else
  // volatile keeps the compiler from eliding the pairs.
  const long before = AllocationCount();
  {
    CountingScope counting;
    int* volatile p = new int(3);
    delete p;
    void* volatile q = std::malloc(16);
    std::free(q);
  }
  EXPECT_EQ(AllocationCount() - before, 2);
#endif
}

TEST(CorvaneEngineAllocation, ProcessBlockNeverAllocates)
{
#ifdef CORVANE_SANITIZED
  GTEST_SKIP() << "allocation counting runs in the plain builds";
#else
  auto engine = std::make_unique<CorvaneEngine>();
  corvane_test::Stereo in = corvane_test::Sine(512, 440.0, 0.8), out(512);
  in.l[17] = std::numeric_limits<double>::quiet_NaN();
  in.r[300] = 1e300; // also exercises the recovery path
  double* ins[2] = {in.l.data(), in.r.data()};
  double* outs[2] = {out.l.data(), out.r.data()};
  engine->Reset(48000.0);

  const long before = AllocationCount();
  for (int mode = 0; mode < 64; ++mode)
  {
    CountingScope counting;
    engine->OnParamChange(CorvaneEngine::kOversampling, mode & 1);
    engine->OnParamChange(CorvaneEngine::kPreampBypass, (mode >> 1) & 1);
    engine->OnParamChange(CorvaneEngine::kFilterBypass, (mode >> 2) & 1);
    engine->OnParamChange(CorvaneEngine::kLowpass, (mode >> 3) & 3);
    engine->OnParamChange(CorvaneEngine::kMicPre, (mode >> 5) & 1);
    engine->OnParamChange(CorvaneEngine::kOutput, mode * 0.5 - 16.0);
    if (mode % 9 == 0)
      engine->Reset();
    for (int block = 0; block < 20; ++block)
      engine->ProcessBlock(ins, outs, 512 - block * 7, block % 5 == 0 ? 1 : 2);
    engine->ProcessBlock(ins, outs, 0);
  }
  EXPECT_EQ(AllocationCount() - before, 0);
#endif
}
