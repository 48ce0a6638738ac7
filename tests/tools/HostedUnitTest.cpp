#include "FakeEffectUnit.h"
#include "MemorySink.h"
#include "ToolErrorText.h"
#include "tools/corvane/HostedUnit.h"
#include "tools/corvane/MemorySource.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace corvane::host;
using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

std::vector<std::vector<float>> Noise(int channels, size_t frames)
{
  std::vector<std::vector<float>> d(channels, std::vector<float>(frames));
  uint32_t x = 12345;
  for (auto& ch : d)
    for (float& s : ch)
    {
      x = x * 1664525u + 1013904223u;
      s = static_cast<float>(x >> 8) / 16777216.0f - 0.5f;
    }
  return d;
}

} // namespace

TEST(HostedUnit, ReadsParametersWithNamesUnitsAndValueTexts)
{
  fake::Register();
  const auto unit = HostedUnit::Open("");
  EXPECT_EQ(unit->Name(), "Test: Fake Corvane");
  EXPECT_EQ(unit->Version(), 0x00010203u);
  const auto params = unit->Parameters();
  ASSERT_EQ(params.size(), 3u);
  EXPECT_EQ(params[0].name, "Gain");
  EXPECT_THAT(params[0].valueStrings, ElementsAre("0dB", "6dB", "12dB"));
  EXPECT_EQ(params[1].unitName, "dB");
  EXPECT_EQ(params[1].minValue, -24);
  EXPECT_EQ(unit->ValueFromString(0, "12dB"), 2.0);
  EXPECT_EQ(unit->StringFromValue(0, 1.0), "6dB");
  EXPECT_EQ(unit->ChannelCapabilityText(), "1 in/1 out, 2 in/2 out");
}

TEST(HostedUnit, RendersThroughTheCallbackAlignedWithTheInput)
{
  for (const int channels : {1, 2})
    for (const int block : {512, 20})
    {
      fake::Register();
      const auto unit = HostedUnit::Open("");
      unit->Configure(48000, channels, block);
      unit->SetParameter(0, 1); // x2
      unit->SetParameter(2, 1); // 33 frames of delay
      unit->Initialize();
      EXPECT_EQ(fake::LastFormatChannels(), channels);

      const auto input = Noise(channels, 1000);
      MemorySource source(48000, input);
      MemorySink sink(channels);
      const RenderStats stats = RenderOffline(source, *unit, sink, RenderJob{block, false, {}, 0});
      EXPECT_EQ(stats.latency, fake::kDelayFrames);
      ASSERT_EQ(sink.data[0].size(), 1000u);
      for (int c = 0; c < channels; ++c)
        for (size_t i = 0; i < 1000; ++i)
          ASSERT_EQ(sink.data[c][i], input[c][i] * 2.0f) << c << " " << i << " block " << block;
      EXPECT_EQ(fake::RenderCalls(), static_cast<int>((1000 + fake::kDelayFrames + block - 1) / block));
    }
}

TEST(HostedUnit, RefusalsAndRenderFailuresBecomeClearErrors)
{
  fake::Register();
  auto unit = HostedUnit::Open("");
  EXPECT_THAT(ErrorOf([&] { unit->Configure(48000, 3, 512); }),
              AllOf(HasSubstr("3 channel"), HasSubstr("1 in/1 out, 2 in/2 out")));

  fake::Register({noErr, 0, kAudioUnitErr_FailedInitialization});
  unit = HostedUnit::Open("");
  unit->Configure(48000, 2, 512);
  EXPECT_THAT(ErrorOf([&] { unit->Initialize(); }), AllOf(HasSubstr("refused to initialise"), HasSubstr("-10875")));

  fake::Register({kAudioUnitErr_CannotDoInCurrentContext, 2});
  unit = HostedUnit::Open("");
  unit->Configure(48000, 1, 64);
  unit->Initialize();
  MemorySource source(48000, Noise(1, 1000));
  MemorySink sink(1);
  EXPECT_THAT(ErrorOf([&] {
                RenderOffline(source, *unit, sink, RenderJob{64, false, {}, 0});
              }),
              AllOf(HasSubstr("failed to render at sample 128"), HasSubstr("-10863")));
  fake::Register();
}

TEST(HostedUnit, AnExplicitFolderWithoutAComponentIsReported)
{
  EXPECT_THAT(ErrorOf([] { HostedUnit::Open("/nonexistent/Corvane.component"); }),
              HasSubstr("no usable Audio Unit component"));
}
