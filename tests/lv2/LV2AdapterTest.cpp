// The built Corvane.lv2 library driven through the LV2 instance calls, as a
// host drives it: port changes, activation, bypass, block splitting, state.

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "lv2/LV2Host.h"

namespace corvane_test {
namespace {
struct Layout
{
  const char* uri;
  int channels;
};
const Layout kLayouts[] = {{kStereoURI, 2}, {kMonoURI, 1}};

class LV2Adapter : public ::testing::TestWithParam<Layout>
{
protected:
  LV2Library library;
};

TEST_P(LV2Adapter, AControlChangeReachesTheBlockThatFollowsIt)
{
  ASSERT_STREQ(library.Error(), "");
  LV2Instance plug(library, GetParam().uri, GetParam().channels);
  ASSERT_TRUE(plug.Valid());
  plug.Connect(256);
  plug.Control(kFilterOn) = 1;
  plug.Activate();
  // The latency is that of the settings the block ran with, so it shows
  // whether the change came before the block.
  const struct
  {
    float lowpass, oversampling;
    float latency;
  } steps[] = {{0, 0, 0}, {2, 0, 17}, {2, 1, 81}, {0, 1, 64}, {0, 0, 0}};
  for (const auto& step : steps)
  {
    plug.Control(kLowpass) = step.lowpass;
    plug.Control(kOversampling) = step.oversampling;
    plug.Run(256);
    EXPECT_EQ(plug.Control(kLatencyPort), step.latency) << step.lowpass << " " << step.oversampling;
  }
}

TEST_P(LV2Adapter, TheLatencyPortHoldsTheSettingsLatencyFromActivationOnBypassedOrNot)
{
  const struct
  {
    float oversampling, lowpass, enabled;
    float latency;
  } cases[] = {{1, 0, 1, 64}, {1, 0, 0, 64}, {1, 2, 0, 81}, {0, 2, 1, 17}, {0, 0, 0, 0}};
  for (const auto& c : cases)
  {
    LV2Instance plug(library, GetParam().uri, GetParam().channels);
    ASSERT_TRUE(plug.Valid());
    plug.Connect(64);
    plug.Control(kFilterOn) = 1;
    plug.Control(kOversampling) = c.oversampling;
    plug.Control(kLowpass) = c.lowpass;
    plug.Control(kEnabledPort) = c.enabled;
    plug.Control(kLatencyPort) = -1;
    plug.Activate();
    EXPECT_EQ(plug.Control(kLatencyPort), c.latency) << "after activate, case " << c.latency << "/" << c.enabled;
    plug.Run(0);
    EXPECT_EQ(plug.Control(kLatencyPort), c.latency) << "after an empty run";
    plug.Run(64);
    EXPECT_EQ(plug.Control(kLatencyPort), c.latency) << "after a block";
    // Enabling changes nothing the host compensates for.
    plug.Control(kEnabledPort) = 1;
    plug.Run(64);
    EXPECT_EQ(plug.Control(kLatencyPort), c.latency) << "once enabled";
  }
  // A setting changed while bypassed is reported by the next run, empty or not.
  LV2Instance plug(library, GetParam().uri, GetParam().channels);
  ASSERT_TRUE(plug.Valid());
  plug.Connect(64);
  plug.Control(kEnabledPort) = 0;
  plug.Activate();
  plug.Run(64);
  EXPECT_EQ(plug.Control(kLatencyPort), 0.f);
  plug.Control(kOversampling) = 1;
  plug.Run(0);
  EXPECT_EQ(plug.Control(kLatencyPort), 64.f);
}

TEST_P(LV2Adapter, TheFirstBlockAfterActivationStartsOnThePortValues)
{
  const int channels = GetParam().channels;
  const auto configure = [](LV2Instance& plug) {
    plug.Control(kGain) = 10;
    plug.Control(kOutput) = -12;
    plug.Control(kHighpass) = 2;
    plug.Control(kLowpass) = 1;
    plug.Control(kFilterOn) = 1;
  };
  const auto signal = [&](LV2Instance& plug) {
    for (int c = 0; c < channels; ++c)
      for (size_t i = 0; i < 256; ++i)
        plug.In(c)[i] = 0.3f * std::sin(0.07f * static_cast<float>(i));
  };
  // Reference: the settings are on the ports before the first activation.
  LV2Instance fresh(library, GetParam().uri, channels);
  ASSERT_TRUE(fresh.Valid());
  fresh.Connect(256);
  configure(fresh);
  signal(fresh);
  fresh.Activate();
  fresh.Run(256);

  // Ran on the defaults (in silence), deactivated, set, activated again.
  LV2Instance rerun(library, GetParam().uri, channels);
  ASSERT_TRUE(rerun.Valid());
  rerun.Connect(256);
  rerun.Activate();
  rerun.Run(256);
  rerun.Deactivate();
  configure(rerun);
  signal(rerun);
  rerun.Activate();
  rerun.Run(256);
  for (int c = 0; c < channels; ++c)
    for (size_t i = 0; i < 256; i += 5)
      ASSERT_NEAR(rerun.Out(c)[i], fresh.Out(c)[i], 1e-6) << "frame " << i << ": glided from the old settings";
}

TEST_P(LV2Adapter, BypassFadesToTheInputAndLongBlocksAreSplit)
{
  const int channels = GetParam().channels;
  // The host says it sends at most 64 frames but sends more: all are processed.
  LV2Instance bypassed(library, GetParam().uri, channels, 44100.0, 64);
  LV2Instance processing(library, GetParam().uri, channels, 44100.0, 64);
  ASSERT_TRUE(bypassed.Valid() && processing.Valid());
  for (LV2Instance* plug : {&bypassed, &processing})
  {
    plug->Connect(1000);
    for (int c = 0; c < channels; ++c)
      for (size_t i = 0; i < 1000; ++i)
        plug->In(c)[i] = 0.25f * std::sin(0.01f * static_cast<float>(i) + static_cast<float>(c));
    plug->Control(kGain) = 12;
    plug->Control(kOversampling) = 1; // 64 frames of latency
    plug->Activate();
    plug->Run(1000);
  }
  for (int c = 0; c < channels; ++c)
  {
    EXPECT_EQ(bypassed.Out(c), processing.Out(c));
    EXPECT_GT(std::fabs(processing.Out(c)[999]), 1e-3f) << "the last frames of a long block were left out";
  }

  // Bypassed: a linear fade from the processed output to the input delayed by
  // the latency over 128 frames, across the 64-frame blocks, then that alone.
  bypassed.Control(kEnabledPort) = 0;
  bypassed.Run(1000);
  processing.Run(1000);
  for (int c = 0; c < channels; ++c)
  {
    const auto& out = bypassed.Out(c);
    const auto& wet = processing.Out(c);
    const auto& in = bypassed.In(c); // the same 1000 frames each run
    const auto dry = [&](size_t i) { return in[(i + 1000 - 64) % 1000]; };
    for (size_t i = 0; i < 128; ++i)
    {
      const double share = 1.0 - static_cast<double>(i + 1) / 128.0;
      ASSERT_NEAR(out[i], share * wet[i] + (1.0 - share) * dry(i), 1e-6) << i;
    }
    for (size_t i = 128; i < 1000; ++i)
      ASSERT_EQ(out[i], dry(i)) << i;
  }
  bypassed.Run(0); // an empty run is legal
}

TEST_P(LV2Adapter, StateIsTheChunkAndARefusedStateChangesNothing)
{
  LV2Instance source(library, GetParam().uri, GetParam().channels);
  ASSERT_TRUE(source.Valid());
  source.Connect(32);
  source.Control(kGain) = 9;
  source.Control(kOutput) = -3.5f;
  source.Control(kHighpass) = 3;
  source.Control(kOversampling) = 1;
  source.Activate();
  source.Run(32);
  LV2Instance::Stored saved;
  ASSERT_EQ(source.Save(saved), LV2_STATE_SUCCESS);
  ASSERT_EQ(saved.bytes.size(), 84u);
  EXPECT_EQ(saved.type, source.Map(LV2_ATOM__Chunk));
  double gain = 0, output = 0;
  std::memcpy(&gain, saved.bytes.data() + 12, 8);
  std::memcpy(&output, saved.bytes.data() + 12 + 8, 8);
  EXPECT_EQ(gain, 9.0);
  EXPECT_EQ(output, -3.5);

  LV2Instance target(library, GetParam().uri, GetParam().channels);
  ASSERT_TRUE(target.Valid());
  LV2Instance::Stored before;
  ASSERT_EQ(target.Save(before), LV2_STATE_SUCCESS);

  LV2Instance::Stored shortChunk = saved, wrongType = saved, missing;
  shortChunk.bytes.resize(40);
  shortChunk.type = target.Map(LV2_ATOM__Chunk);
  wrongType.type = target.Map(LV2_ATOM__String);
  for (const auto* bad : {&shortChunk, &wrongType, &missing})
  {
    EXPECT_NE(target.Restore(*bad), LV2_STATE_SUCCESS);
    LV2Instance::Stored after;
    ASSERT_EQ(target.Save(after), LV2_STATE_SUCCESS);
    EXPECT_EQ(after.bytes, before.bytes);
  }

  LV2Instance::Stored good = saved;
  good.type = target.Map(LV2_ATOM__Chunk);
  ASSERT_EQ(target.Restore(good), LV2_STATE_SUCCESS);
  LV2Instance::Stored again;
  ASSERT_EQ(target.Save(again), LV2_STATE_SUCCESS);
  EXPECT_EQ(again.bytes, saved.bytes);
  // The restored settings hold while the host's ports stay as they were.
  target.Connect(32);
  target.Activate();
  target.Run(32);
  EXPECT_EQ(target.Control(kLatencyPort), 64.f);
}

INSTANTIATE_TEST_SUITE_P(StereoAndMono, LV2Adapter, ::testing::ValuesIn(kLayouts),
                         [](const auto& info) { return info.param.channels == 2 ? "Stereo" : "Mono"; });

TEST(LV2Entry, OnlyTheProductsPluginsInstantiate)
{
  LV2Library library;
  EXPECT_EQ(library.Find("urn:veltrano:other"), nullptr);
  const LV2_Descriptor* stereo = library.Find(kStereoURI);
  ASSERT_NE(stereo, nullptr);
  EXPECT_EQ(stereo->extension_data("urn:nothing"), nullptr);
  // Without a URID map the plug-in runs but cannot save.
  const LV2_Feature* none[] = {nullptr};
  LV2_Handle handle = stereo->instantiate(stereo, 48000.0, "", none);
  ASSERT_NE(handle, nullptr);
  auto* state = static_cast<const LV2_State_Interface*>(stereo->extension_data(LV2_STATE__interface));
  EXPECT_EQ(state->save(handle, nullptr, nullptr, 0, none), LV2_STATE_ERR_NO_FEATURE);
  stereo->cleanup(handle);
}
} // namespace
} // namespace corvane_test
