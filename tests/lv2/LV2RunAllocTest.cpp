// The LV2 run callback allocates nothing. The built library is loaded into a
// binary whose allocation functions count (AllocationCounter.h), and every
// run call in every mode of the engine is counted.

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "AllocationCounter.h"
#include "lv2/LV2Host.h"

namespace corvane_test {
namespace {
class LV2RunAllocations : public ::testing::TestWithParam<int>
{};

TEST_P(LV2RunAllocations, RunAllocatesNothingInAnyMode)
{
#ifdef CORVANE_SANITIZED
  GTEST_SKIP() << "the sanitizer runtime owns the allocation functions";
#endif
  const int channels = GetParam();
  LV2Library library;
  ASSERT_STREQ(library.Error(), "");
  long instantiating = 0;
  std::unique_ptr<LV2Instance> plug;
  {
    const long before = AllocationCount();
    CountingScope counting;
    plug = std::make_unique<LV2Instance>(library, channels == 2 ? kStereoURI : kMonoURI, channels, 44100.0, 512);
    instantiating = AllocationCount() - before;
  }
  ASSERT_TRUE(plug->Valid());
  EXPECT_GT(instantiating, 0) << "the counting hooks do not see the library's allocations";

  plug->Connect(1024);
  for (int c = 0; c < channels; ++c)
    for (size_t i = 0; i < 1024; ++i)
      plug->In(c)[i] = 0.5f * std::sin(0.05f * static_cast<float>(i));
  plug->Activate();

  // Every mode the engine has, and bypass; each change is applied inside run.
  const std::vector<std::vector<std::pair<uint32_t, float>>> modes = {
    {},
    {{kFilterOn, 1.f}, {kHighpass, 3.f}, {kLowpass, 4.f}},
    {{kOversampling, 1.f}, {kGain, 12.f}},
    {{6, 1.f}, {7, 1.f}, {kOutput, -12.f}},
    {{kPreampOn, 0.f}, {kFilterOn, 0.f}},
    {{kEnabledPort, 0.f}},
    {{kEnabledPort, 1.f}, {kOversampling, 0.f}},
  };
  long allocations = 0;
  for (const auto& mode : modes)
  {
    for (const auto& [port, value] : mode)
      plug->Control(port) = value;
    for (uint32_t frames : {1024u, 1u, 333u, 64u, 0u})
    {
      const long before = AllocationCount();
      {
        CountingScope counting;
        plug->Run(frames);
      }
      allocations += AllocationCount() - before;
    }
  }
  EXPECT_EQ(allocations, 0);
  for (int i = 0; i < 64; ++i)
    ASSERT_TRUE(std::isfinite(plug->Out(0)[static_cast<size_t>(i)]));
}

INSTANTIATE_TEST_SUITE_P(MonoAndStereo, LV2RunAllocations, ::testing::Values(1, 2));
} // namespace
} // namespace corvane_test
