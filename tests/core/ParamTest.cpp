#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "core/IParam.h"

using namespace iplug;

namespace {
std::string Display(const IParam& p, double value, bool withTexts = true)
{
  WDL_String s;
  p.GetDisplay(value, false, s, withTexts);
  return s.Get();
}

std::string DisplayWithLabel(const IParam& p)
{
  WDL_String s;
  p.GetDisplayWithLabel(s);
  return s.Get();
}

void InitFilterSwitch(IParam& p)
{
  p.InitInt("Highpass", 0, 0, 4, "Hz");
  for (int i = 0; const char* t : {"OFF", "45Hz", "70Hz", "160Hz", "360Hz"})
    p.SetDisplayText(i++, t);
}
} // namespace

TEST(ParamInit, FirstInitialiserFixesTheTypeAndRangeIsNeverEmpty)
{
  IParam p;
  p.InitBool("Switch", true);
  p.InitDouble("Again", 0.0, 0.0, 0.0, 1.0);
  EXPECT_EQ(p.Type(), IParam::kTypeBool);
  EXPECT_EQ(p.GetMax(), 1.0); // max raised to min + step

  IParam e;
  e.InitEnum("Mode", 1, 3, "", 0, "", "A", "B", "C");
  EXPECT_EQ(e.Type(), IParam::kTypeEnum);
  EXPECT_TRUE(e.GetStepped());
  EXPECT_EQ(e.NDisplayTexts(), 3);
  EXPECT_STREQ(e.GetDisplayText(2.0), "C");

  IParam l;
  l.InitEnum("List", 0, {"x", "y"});
  EXPECT_EQ(l.GetMax(), 1.0);
  EXPECT_STREQ(l.GetDisplayTextAtIdx(1), "y");
}

TEST(ParamInit, DefaultIsConstrainedIntoTheValueButKeptAsGiven)
{
  IParam p;
  p.InitDouble("Gain", 7.3, 0.0, 5.0, 0.5, "", IParam::kFlagStepped);
  EXPECT_EQ(p.GetValue(), 5.0);
  EXPECT_EQ(p.GetDefault(), 7.3);
  p.SetValue(1.0);
  p.ResetToDefault(); // stored unconstrained
  EXPECT_EQ(p.GetValue(), 7.3);
}

TEST(ParamInit, PrecisionFollowsTheStep)
{
  const std::pair<double, int> cases[] = {{1.0, 0}, {0.1, 1}, {0.25, 2}, {0.001, 3}, {1.0 / 3.0, 6}, {5.0, 0}};
  for (auto [step, precision] : cases)
  {
    IParam p;
    p.InitDouble("x", 0, 0, 10, step);
    EXPECT_EQ(p.GetDisplayPrecision(), precision) << step;
  }
}

TEST(ParamInit, PitchNamesNotesWithOctaveConvention)
{
  IParam c3, c4;
  c3.InitPitch("Note", 60, 60, 72, 0, "", false);
  c4.InitPitch("Note", 60, 60, 72, 0, "", true);
  EXPECT_EQ(c3.Type(), IParam::kTypeEnum);
  EXPECT_EQ(c3.GetMax(), 12.0);
  EXPECT_EQ(c3.NDisplayTexts(), 13);
  EXPECT_STREQ(c3.GetDisplayTextAtIdx(0), "C 3");
  EXPECT_STREQ(c3.GetDisplayTextAtIdx(1), "C#3");
  EXPECT_STREQ(c4.GetDisplayTextAtIdx(0), "C 4");
  EXPECT_STREQ(c4.GetDisplayTextAtIdx(12), "C 5");

  IParam low; // negative notes stay inside the name table
  low.InitPitch("Low", 0, -1, 0);
  EXPECT_STREQ(low.GetDisplayTextAtIdx(0), "B -3");
}

TEST(ParamInit, CopyFromSourceRenamesRegroupsAndKeepsTexts)
{
  IParam src;
  src.InitDouble("Osc 1 Level", 0.5, 0, 1, 0.01, "dB", IParam::kFlagMeta, "Osc 1", IParam::ShapePowCurve(3.0),
                 IParam::kUnitDB);
  src.SetDisplayText(0, "off");
  src.SetValue(0.7);

  IParam dst;
  dst.Init(src, "1", "2", "Osc 2");
  EXPECT_STREQ(dst.GetName(), "Osc 2 Level");
  EXPECT_STREQ(dst.GetGroup(), "Osc 2");
  EXPECT_EQ(dst.Type(), IParam::kTypeDouble);
  EXPECT_EQ(dst.GetFlags(), IParam::kFlagMeta);
  EXPECT_EQ(dst.DisplayType(), IParam::kDisplayCubeRoot);
  EXPECT_EQ(dst.Unit(), IParam::kUnitDB);
  EXPECT_STREQ(dst.GetDisplayText(0), "off");
  EXPECT_EQ(dst.GetValue(), 0.5); // takes the default, not the source's value

  IParam keep;
  keep.Init(src, "missing", "x");
  EXPECT_STREQ(keep.GetName(), "Osc 1 Level");
  EXPECT_STREQ(keep.GetGroup(), "Osc 1");
}

TEST(ParamValues, SteppedValuesRoundHalfAwayFromZeroThenClamp)
{
  IParam p;
  p.InitInt("Steps", 0, 0, 12);
  p.SetNormalizedValue(0.49); // 5.88
  EXPECT_EQ(p.GetValue(), 6.0);
  p.SetNormalizedValue(1.2);
  EXPECT_EQ(p.GetValue(), 12.0);
  p.SetNormalizedValue(-0.3);
  EXPECT_EQ(p.GetValue(), 0.0);

  IParam q;
  q.InitDouble("Half", 0, -10, 10, 1.0, "", IParam::kFlagStepped);
  q.SetValue(-2.5);
  EXPECT_EQ(q.GetValue(), -3.0);
  q.SetValue(2.5);
  EXPECT_EQ(q.GetValue(), 3.0);
  q.SetValue(std::nan(""));
  EXPECT_EQ(q.GetValue(), -10.0); // NaN lands on the lower bound, never stored
}

TEST(ParamValues, ZeroStepStillClampsWithoutDividingByZero)
{
  IParam p;
  p.InitDouble("Free", 0, 0, 1, 0.0, "", IParam::kFlagStepped);
  p.SetValue(0.3);
  EXPECT_DOUBLE_EQ(p.GetValue(), 0.3);
  p.SetValue(4.0);
  EXPECT_EQ(p.GetValue(), 1.0);
}

TEST(ParamShapes, ExponentialMapsMidpointToGeometricMean)
{
  IParam p;
  p.InitFrequency("Cutoff", 1000, 20, 20000, 0.01);
  EXPECT_NEAR(p.RealFromNormalized(0.5), std::sqrt(20.0 * 20000.0), 0.01);
  EXPECT_NEAR(p.NormalizedFromReal(632.455532), 0.5, 1e-6);

  IParam z;
  z.InitDouble("Zero", 1, 0, 100, 0.0, "", 0, "", IParam::ShapeExp());
  EXPECT_NEAR(z.RealFromNormalized(0.0), 1e-8, 1e-12);
  EXPECT_EQ(z.NormalizedFromReal(0.0), 0.0); // log(0) clamps to 0, no NaN
}

TEST(ParamShapes, PowerCurveDisplayTypeByExponent)
{
  const std::pair<double, IParam::EDisplayType> cases[] = {
    {3.0, IParam::kDisplayCubeRoot}, {2.0, IParam::kDisplaySquareRoot}, {0.3, IParam::kDisplayCubed},
    {0.5, IParam::kDisplaySquared},  {1.0, IParam::kDisplayLinear},     {1.5, IParam::kDisplayLinear}};
  for (auto [exponent, type] : cases)
    EXPECT_EQ(IParam::ShapePowCurve(exponent).GetDisplayType(), type) << exponent;

  IParam p;
  p.InitDouble("Curve", 0, 0, 100, 0.0, "", 0, "", IParam::ShapePowCurve(2.0));
  EXPECT_DOUBLE_EQ(p.RealFromNormalized(0.5), 25.0);
  EXPECT_DOUBLE_EQ(p.NormalizedFromReal(25.0), 0.5);
}

TEST(ParamDisplay, PrecisionSignAndNegation)
{
  IParam g;
  g.InitDouble("Out", 0, -24, 24, 0.1, "dB");
  EXPECT_EQ(Display(g, 0.0), "0.0");
  EXPECT_EQ(DisplayWithLabel(g), "0.0 dB");
  EXPECT_EQ(Display(g, -0.0), "0.0");

  IParam s;
  s.InitDouble("Signed", 0, -24, 24, 0.1, "", IParam::kFlagSignDisplay);
  EXPECT_EQ(Display(s, 3.5), "+3.5");
  EXPECT_EQ(Display(s, -3.5), "-3.5");
  EXPECT_EQ(Display(s, 0.0), "0.0");

  IParam whole;
  whole.InitDouble("Whole", 0, -24, 24, 1, "", IParam::kFlagSignDisplay);
  EXPECT_EQ(Display(whole, 3.0), "3");
  EXPECT_EQ(Display(whole, 2.5), "3");
  EXPECT_EQ(Display(whole, -2.5), "-3");

  IParam n;
  n.InitInt("Neg", 0, -10, 10, "", IParam::kFlagNegateDisplay);
  EXPECT_EQ(Display(n, 3.0), "-3");
  EXPECT_EQ(n.StringToValue("-3"), 3.0);
  EXPECT_EQ(Display(n, 0.0), "0");

  IParam huge;
  huge.InitDouble("Huge", 0, -1e300, 1e300, 1);
  EXPECT_EQ(Display(huge, 1e300), "2147483647"); // saturates instead of overflowing

  IParam normal;
  normal.InitDouble("N", 0, 0, 10, 0.5);
  WDL_String s2;
  normal.GetDisplay(0.5, true, s2);
  EXPECT_STREQ(s2.Get(), "5.0");
}

TEST(ParamDisplayTexts, NamedStepsHideTheLabelAndMapBack)
{
  IParam p;
  InitFilterSwitch(p);
  EXPECT_EQ(Display(p, 0.0), "OFF");
  EXPECT_EQ(Display(p, 0.0, false), "0");
  EXPECT_STREQ(p.GetLabel(), "");
  EXPECT_EQ(DisplayWithLabel(p), "OFF");
  EXPECT_EQ(p.StringToValue("45Hz"), 1.0);
  EXPECT_EQ(p.StringToValue("7"), 4.0); // integer: parsed and clamped
  EXPECT_EQ(p.StringToValue("nonsense"), 0.0);

  IParam plain;
  plain.InitInt("Plain", 2, 0, 4, "st");
  plain.SetDisplayText(0, "zero");
  EXPECT_STREQ(plain.GetLabel(), "st"); // value 2 has no name
  EXPECT_EQ(DisplayWithLabel(plain), "2 st");

  IParam e;
  e.InitEnum("Enum", 0, 3);
  EXPECT_EQ(e.StringToValue("7"), 0.0);
  IParam b;
  b.InitBool("Bool", false, "", 0, "", "off", "on");
  EXPECT_EQ(b.StringToValue("7"), 0.0);
  EXPECT_EQ(b.StringToValue("on"), 1.0);
}

TEST(ParamDisplayTexts, DuplicatesAndEmptyTextsFallThrough)
{
  IParam p;
  p.InitInt("Dup", 0, 0, 3);
  p.SetDisplayText(1, "first");
  p.SetDisplayText(1, "second");
  p.SetDisplayText(2, "");
  EXPECT_EQ(p.NDisplayTexts(), 3);
  EXPECT_STREQ(p.GetDisplayText(1), "first");
  EXPECT_EQ(Display(p, 2.0), "2");
  double v = -1;
  EXPECT_TRUE(p.MapDisplayText("second", &v));
  EXPECT_EQ(v, 1.0);
  EXPECT_FALSE(p.MapDisplayText("FIRST", &v));
  EXPECT_STREQ(p.GetDisplayTextAtIdx(7, &v), "");
}

TEST(ParamJSON, DescribesTheParameterAndEscapesTheName)
{
  IParam p;
  p.InitDouble("Out", 0, -24, 24, 0.1);
  WDL_String json;
  p.GetJSON(json, 3);
  EXPECT_STREQ(json.Get(), "{\"id\":3, \"name\":\"Out\", \"type\":\"float\", \"min\":-24.000000, \"max\":24.000000, "
                           "\"default\":0.000000, \"rate\":\"control\"}");

  IParam untyped;
  WDL_String j2;
  untyped.GetJSON(j2, 0);
  EXPECT_EQ(std::string(j2.Get()).find("type"), std::string::npos);

  IParam quoted;
  quoted.InitBool("Say \"hi\"", false);
  WDL_String j3;
  quoted.GetJSON(j3, 1);
  EXPECT_NE(std::string(j3.Get()).find("\"name\":\"Say \\\"hi\\\"\""), std::string::npos);
}
