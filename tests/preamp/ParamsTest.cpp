// The preamp's parameter set and its mapping onto the engine settings.
#include "core/IEditorDelegate.h"
#include "preamp/CorvaneEngine.h"
#include "preamp/CorvaneParams.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace iplug;
using E = CorvaneEngine;

namespace {

// The smallest plug-in object: a parameter list with no host behind it.
struct ParamHost : IEditorDelegate
{
  ParamHost() : IEditorDelegate(E::kNumParams) {}
  void BeginInformHostOfParamChangeFromUI(int) override {}
  void EndInformHostOfParamChangeFromUI(int) override {}
};

struct Expected
{
  const char* name;
  double min, max, def;
  std::vector<const char*> texts;
};

const Expected kParams[E::kNumParams] = {
  {"Gain",
   0,
   12,
   4,
   {"-20dB", "-15dB", "-10dB", "-5dB", "0dB", "5dB", "10dB", "15dB", "20dB", "25dB", "30dB", "35dB", "40dB"}},
  {"Output", -24, 24, 0, {}},
  {"Highpass Filter", 0, 4, 0, {"OFF", "45Hz", "70Hz", "160Hz", "360Hz"}},
  {"Lowpass Filter", 0, 4, 0, {"OFF", "8kHz", "6kHz", "4kHz", "2kHz"}},
  {"Filter Bypass", 0, 1, 0, {"Out", "In"}},
  {"Preamp Bypass", 0, 1, 1, {"Out", "In"}},
  {"Mic Pre", 0, 1, 0, {}},
  {"Phase", 0, 1, 0, {}},
  {"Oversampling", 0, 1, 0, {"Oversampling Off", "Oversampling On"}},
};

} // namespace

TEST(CorvaneParams, NineParametersWithRangesDefaultsAndTexts)
{
  ParamHost plug;
  InitParams(plug);
  for (int i = 0; i < E::kNumParams; ++i)
  {
    const IParam& p = *plug.GetParam(i);
    const Expected& x = kParams[i];
    SCOPED_TRACE(x.name);
    EXPECT_STREQ(p.GetName(), x.name);
    EXPECT_EQ(p.GetMin(), x.min);
    EXPECT_EQ(p.GetMax(), x.max);
    EXPECT_EQ(p.GetDefault(), x.def);
    EXPECT_EQ(p.Value(), x.def);
    EXPECT_EQ(p.Type(), i == E::kOutput ? IParam::kTypeDouble : IParam::kTypeInt);
    ASSERT_EQ(p.NDisplayTexts(), static_cast<int>(x.texts.size()));
    for (size_t t = 0; t < x.texts.size(); ++t)
      EXPECT_STREQ(p.GetDisplayText(static_cast<double>(t)), x.texts[t]);
  }
  const IParam& output = *plug.GetParam(E::kOutput);
  EXPECT_EQ(output.GetStep(), 0.1);
  EXPECT_STREQ(output.GetCustomUnit(), "dB");
  EXPECT_TRUE(plug.GetParam(E::kGain)->GetStepped());
}

TEST(CorvaneParams, DefaultsMapOntoTheConstructedSettings)
{
  // A fresh engine already holds what delivering every default gives.
  ParamHost plug;
  InitParams(plug);
  E fresh, delivered;
  for (int i = 0; i < E::kNumParams; ++i)
    delivered.OnParamChange(i, plug.GetParam(i)->Value());
  const E::Settings a = fresh.GetSettings(), b = delivered.GetSettings();
  EXPECT_EQ(a.gainFactor, 10);
  EXPECT_EQ(b.gainFactor, a.gainFactor);
  EXPECT_EQ(b.outputGain, 1.0);
  EXPECT_EQ(b.hpfPosition, a.hpfPosition);
  EXPECT_EQ(b.lpfPosition, 1.0);
  EXPECT_EQ(b.lpfLatency, 0);
  EXPECT_EQ(b.filterOn, 0);
  EXPECT_EQ(b.preampOn, 1);
  EXPECT_EQ(b.micPre, 0);
  EXPECT_EQ(b.phaseInvert, 0);
  EXPECT_EQ(b.oversampling, 0);
  EXPECT_EQ(b.osLatency, 0);
}
