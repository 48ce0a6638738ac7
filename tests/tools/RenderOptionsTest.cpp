#include "tools/corvane/RenderOptions.h"
#include "tools/corvane/ToolError.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace corvane::host;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

std::string UsageOf(const std::vector<std::string>& args)
{
  try
  {
    ParseRenderOptions(args);
  }
  catch (const UsageError& e)
  {
    return e.what();
  }
  return "(accepted)";
}

} // namespace

TEST(RenderOptions, DefaultsRenderTheDemoToCorvaneDemoWav)
{
  const RenderOptions o = ParseRenderOptions({});
  EXPECT_TRUE(o.inputs.empty());
  EXPECT_EQ(PlanRenders(o).at(0).output, "corvane-demo.wav");
  EXPECT_EQ(o.blockSize, 512);
  EXPECT_FALSE(o.keepLatency);
}

TEST(RenderOptions, EveryOptionInItsLongAndShortForms)
{
  const RenderOptions o =
    ParseRenderOptions({"in.flac", "-o", "out.wav", "-p", "Gain=40dB", "--param=Output=-3", "-pPhase=1", "--block",
                        "64", "--keep-latency", "--component=/x/C.component", "-q"});
  EXPECT_THAT(o.inputs, ElementsAre("in.flac"));
  EXPECT_EQ(o.output, "out.wav");
  EXPECT_THAT(o.unit.params, ElementsAre("Gain=40dB", "Output=-3", "Phase=1"));
  EXPECT_EQ(o.blockSize, 64);
  EXPECT_TRUE(o.keepLatency);
  EXPECT_TRUE(o.quiet);
  EXPECT_EQ(o.unit.component, "/x/C.component");
  EXPECT_THAT(ParseRenderOptions({"--", "-odd.wav"}).inputs, ElementsAre("-odd.wav"));
}

TEST(RenderOptions, DefaultOutputSitsNextToTheInputInItsFormat)
{
  EXPECT_EQ(PlanRenders(ParseRenderOptions({"take.flac"})).at(0).output, "take-corvane.flac");
  EXPECT_EQ(DefaultOutputPath("a.b/take"), "a.b/take-corvane.wav");
  EXPECT_EQ(DefaultOutputPath("dir/.hidden"), "dir/.hidden-corvane.wav");
  EXPECT_EQ(DefaultOutputPath("dir/x.aiff"), "dir/x-corvane.aiff");
}

TEST(RenderOptions, BadCommandLinesAreUsageErrors)
{
  for (const char* block : {"0", "-1", "abc", "12x", "", "16385", "99999999999"})
    EXPECT_THAT(UsageOf({"--block", block}), HasSubstr("invalid block size")) << block;
  EXPECT_EQ(ParseRenderOptions({"--block", "16384"}).blockSize, 16384);
  EXPECT_EQ(ParseRenderOptions({"--block=1"}).blockSize, 1);
  EXPECT_THAT(UsageOf({"--fast"}), HasSubstr("unknown option '--fast'"));
  EXPECT_THAT(UsageOf({"-o"}), HasSubstr("needs a value"));
  EXPECT_THAT(UsageOf({"-o", ""}), HasSubstr("empty output"));
}

TEST(RenderOptions, StateFilesInAndOut)
{
  const RenderOptions o = ParseRenderOptions({"--state", "in.aupreset", "--save-state=out.aupreset"});
  EXPECT_EQ(o.unit.stateIn, "in.aupreset");
  EXPECT_EQ(o.unit.stateOut, "out.aupreset");
  EXPECT_EQ(ParseRenderOptions({"--state=x.aupreset", "--save-state", "x.aupreset"}).unit.stateOut, "x.aupreset");
  EXPECT_THAT(UsageOf({"--state", ""}), HasSubstr("empty state file name"));
  EXPECT_THAT(UsageOf({"--save-state"}), HasSubstr("needs a value"));
}

// The options every command shares: each command takes only the ones it names.
TEST(UnitOptions, CommandsTakeOnlyTheOptionsTheyAccept)
{
  struct Case
  {
    std::vector<std::string> args;
    unsigned accepted;
    bool taken;
    const char* field; // what the argument filled
    const char* value;
  };
  const Case cases[] = {
    {{"--component", "/x.component"}, kComponentOption, true, "component", "/x.component"},
    {{"--component=/y.component"}, kComponentOption, true, "component", "/y.component"},
    {{"-p", "Gain=40dB"}, kSettingOptions, true, "params", "Gain=40dB"},
    {{"-pPhase=1"}, kSettingOptions, true, "params", "Phase=1"},
    {{"--param=Output=-3"}, kSettingOptions, true, "params", "Output=-3"},
    {{"--state", "in.aupreset"}, kSettingOptions, true, "stateIn", "in.aupreset"},
    {{"--save-state=out.aupreset"}, kAllUnitOptions, true, "stateOut", "out.aupreset"},
    {{"-p", "Gain=40dB"}, kComponentOption, false, "", ""},
    {{"--save-state", "out.aupreset"}, kSettingOptions, false, "", ""},
    {{"--play", "x.wav"}, kAllUnitOptions, false, "", ""},
  };
  for (const Case& c : cases)
  {
    UnitOptions o;
    size_t i = 0;
    EXPECT_EQ(TakeUnitOption(c.args, i, o, c.accepted), c.taken) << c.args[0];
    if (!c.taken)
      continue;
    EXPECT_EQ(i + 1, c.args.size()) << c.args[0];
    const std::string field = c.field;
    const std::string got = field == "component" ? o.component
                            : field == "params"  ? o.params.at(0)
                            : field == "stateIn" ? o.stateIn
                                                 : o.stateOut;
    EXPECT_EQ(got, c.value) << c.args[0];
  }
  UnitOptions o;
  size_t i = 0;
  EXPECT_THROW(TakeUnitOption({"--state"}, i, o), UsageError);
  i = 0;
  EXPECT_THROW(TakeUnitOption({"--save-state="}, i, o), UsageError);
}
