#include "tools/corvane/ParamValueParser.h"
#include "tools/corvane/ToolError.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace corvane::host;
using ::testing::HasSubstr;

namespace {

// The shape of the preamp's parameter table as a host sees it.
std::vector<ParamDesc> Params()
{
  const uint32_t indexed = static_cast<uint32_t>(ParamUnit::Indexed);
  std::vector<ParamDesc> p(9);
  p[0] = {0,  "Gain",
          0,  12,
          4,  indexed,
          "", {"-20dB", "-15dB", "-10dB", "-5dB", "0dB", "5dB", "10dB", "15dB", "20dB", "25dB", "30dB", "35dB", "40dB"},
          0};
  p[1] = {1, "Output", -24, 24, 0, static_cast<uint32_t>(ParamUnit::Custom), "dB", {}, 0};
  p[2] = {2, "Highpass Filter", 0, 4, 0, indexed, "", {"OFF", "45Hz", "70Hz", "160Hz", "360Hz"}, 0};
  p[3] = {3, "Lowpass Filter", 0, 4, 0, indexed, "", {"OFF", "8kHz", "6kHz", "4kHz", "2kHz"}, 0};
  p[4] = {4, "Filter Bypass", 0, 1, 0, indexed, "", {}, 0};
  p[5] = {5, "Preamp Bypass", 0, 1, 1, indexed, "", {}, 0};
  p[6] = {6, "Mic Pre", 0, 1, 0, indexed, "", {}, 0};
  p[7] = {7, "Phase", 0, 1, 0, indexed, "", {}, 0};
  p[8] = {8, "Oversampling", 0, 1, 0, indexed, "", {"Oversampling Off", "Oversampling On"}, 0};
  return p;
}

ParamSetting Set(const std::string& assignment) { return ParseParamAssignment(Params(), assignment); }

std::string UsageOf(const std::string& assignment)
{
  try
  {
    Set(assignment);
  }
  catch (const UsageError& e)
  {
    return e.what();
  }
  return "(accepted)";
}

} // namespace

TEST(ParamNames, MatchExactlyLooselyByPrefixOrIndex)
{
  const auto p = Params();
  EXPECT_EQ(FindParam(p, "Highpass Filter"), 2u);
  EXPECT_EQ(FindParam(p, "highpass filter"), 2u);
  EXPECT_EQ(FindParam(p, "HIGHPASS_FILTER"), 2u);
  EXPECT_EQ(FindParam(p, "low"), 3u);
  EXPECT_EQ(FindParam(p, "8"), 8u);
  EXPECT_EQ(FindParam(p, " Gain "), 0u);
}

TEST(ParamNames, UnknownOrAmbiguousNamesListTheValidOnes)
{
  const auto p = Params();
  for (const char* bad : {"Drive", "9", "p", ""})
  {
    try
    {
      FindParam(p, bad);
      ADD_FAILURE() << bad << " accepted";
    }
    catch (const UsageError& e)
    {
      EXPECT_THAT(e.what(), HasSubstr("0 Gain, 1 Output, 2 Highpass Filter")) << bad;
    }
  }
}

TEST(ParamValues, DisplayTextsMatchExactlyOrLoosely)
{
  EXPECT_EQ(Set("Gain=40dB").value, 12);
  EXPECT_EQ(Set("Gain=40 DB").value, 12);
  EXPECT_EQ(Set("Gain=-20dB").value, 0);
  EXPECT_EQ(Set("Highpass Filter=70Hz").value, 2);
  EXPECT_EQ(Set("Highpass Filter=off").value, 0);
  EXPECT_EQ(Set("Lowpass Filter=8 khz").value, 1);
  EXPECT_EQ(Set("Oversampling=Oversampling On").value, 1);
  EXPECT_EQ(Set("Oversampling=on").value, 1);
  // The unit converts the canonical text, so it must be the parameter's own.
  EXPECT_EQ(Set("Gain=40 DB").text, "40dB");
  EXPECT_EQ(Set("Oversampling=on").text, "Oversampling On");
}

TEST(ParamValues, BareNumbersMeanTheTextTheyLeadNotARawIndex)
{
  EXPECT_EQ(Set("Gain=10").value, 6); // 10dB, not position 10 (30dB)
  EXPECT_EQ(Set("Gain=0").value, 4);  // 0dB
  EXPECT_EQ(Set("Gain=-5").value, 3);
  EXPECT_EQ(Set("Highpass Filter=160").value, 3);
  EXPECT_EQ(Set("Lowpass Filter=2").value, 4); // 2kHz
  EXPECT_THAT(UsageOf("Gain=7"), HasSubstr("-20dB, -15dB"));
  EXPECT_THAT(UsageOf("Highpass Filter=1"), HasSubstr("OFF, 45Hz, 70Hz, 160Hz, 360Hz"));
  // Texts without numbers: a whole number in range is the value itself.
  EXPECT_EQ(Set("Oversampling=1").value, 1);
  EXPECT_THAT(UsageOf("Oversampling=2"), HasSubstr("Oversampling Off, Oversampling On"));
}

TEST(ParamValues, NumbersTakeTheirUnitAndMustBeInRange)
{
  EXPECT_EQ(Set("Output=-3.5").value, -3.5);
  EXPECT_EQ(Set("Output=-3.5dB").value, -3.5);
  EXPECT_EQ(Set("Output= +6 db ").value, 6);
  EXPECT_EQ(Set("Output=24").value, 24);
  EXPECT_EQ(Set("Output=-3.5dB").text, "-3.5");
  EXPECT_THAT(UsageOf("Output=30"), HasSubstr("out of range -24 to 24 dB"));
  for (const char* bad : {"Output=loud", "Output=3dBx", "Output=nan", "Output=inf", "Output=", "Output=--3"})
    EXPECT_THAT(UsageOf(bad), HasSubstr("Output")) << bad;
}

TEST(ParamValues, SwitchesTakeWholeNumbersOrOnOff)
{
  EXPECT_EQ(Set("Filter Bypass=1").value, 1);
  EXPECT_EQ(Set("Filter Bypass=on").value, 1);
  EXPECT_EQ(Set("Preamp Bypass=OFF").value, 0);
  EXPECT_EQ(Set("Phase=true").value, 1);
  EXPECT_THAT(UsageOf("Phase=0.5"), HasSubstr("whole number"));
  EXPECT_THAT(UsageOf("Phase=2"), HasSubstr("out of range 0 to 1"));
  EXPECT_THAT(UsageOf("Mic Pre=maybe"), HasSubstr("on/off"));
}

TEST(ParamValues, AssignmentNeedsNameAndEqualsSign)
{
  EXPECT_THAT(UsageOf("Gain"), HasSubstr("NAME=VALUE"));
  EXPECT_THAT(UsageOf("=5"), HasSubstr("NAME=VALUE"));
  EXPECT_EQ(Set("1=-3.5").paramIndex, 1u);
  EXPECT_EQ(Set("Output=-3.5").paramIndex, 1u);
}
