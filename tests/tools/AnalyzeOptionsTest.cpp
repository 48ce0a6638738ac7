#include "tools/corvane/AnalyzeOptions.h"
#include "tools/corvane/ToolError.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace corvane::host;
using ::testing::HasSubstr;

TEST(AnalyzeOptions, ValuesInEitherFormAndTheToneCheckedAgainstTheRate)
{
  const AnalyzeOptions d = ParseAnalyzeOptions({});
  EXPECT_EQ(d.sampleRate, 48000);
  EXPECT_EQ(d.frequencyHz, 1000.0);
  EXPECT_EQ(d.levelDbfs, -12.0);
  EXPECT_TRUE(d.picture.empty());
  EXPECT_FALSE(d.json);

  const AnalyzeOptions o = ParseAnalyzeOptions({"--freq", "30000", "--rate=96000", "--level=+6", "-o", "r.png",
                                                "--scale", "2", "--json", "-p", "Gain=25dB", "--state", "s.aupreset"});
  EXPECT_EQ(o.sampleRate, 96000);
  EXPECT_EQ(o.frequencyHz, 30000.0);
  EXPECT_EQ(o.levelDbfs, 6.0);
  EXPECT_EQ(o.picture, "r.png");
  EXPECT_EQ(o.scale, 2.f);
  EXPECT_TRUE(o.json);
  EXPECT_EQ(o.unit.params, std::vector<std::string>{"Gain=25dB"});
  EXPECT_EQ(o.unit.stateIn, "s.aupreset");
}

TEST(AnalyzeOptions, BadValuesAreUsageErrorsNamingTheOption)
{
  const struct
  {
    std::vector<std::string> args;
    const char* says;
  } cases[] = {
    {{"--rate", "1000"}, "--rate"},
    {{"--rate", "44100.5"}, "--rate"},
    {{"--rate", "48k"}, "--rate"},
    {{"--rate"}, "needs a value"},
    {{"--freq", "30000"}, "21600"},
    {{"--freq", "5"}, "--freq"},
    {{"--freq", "nan"}, "--freq"},
    {{"--level", "13"}, "--level"},
    {{"--level", "loud"}, "--level"},
    {{"-o", "r.jpg"}, ".png"},
    {{"-o", ""}, "empty"},
    {{"--scale", "4"}, "--scale"},
    {{"--save-state", "s.aupreset"}, "unexpected"},
    {{"in.wav"}, "unexpected"},
  };
  for (const auto& c : cases)
  {
    std::string message = "(accepted)";
    try
    {
      ParseAnalyzeOptions(c.args);
    }
    catch (const UsageError& e)
    {
      message = e.what();
    }
    EXPECT_THAT(message, HasSubstr(c.says)) << c.args[0];
  }
}
