// corvane analyze run as a user runs it: settings refused exactly as render
// refuses them, its own options refused in one line before any work, and the
// table, the JSON and the picture it writes.

#include "ProgramRun.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

namespace {

// Width and height from a PNG's header; 0 x 0 when it is not one.
std::pair<uint32_t, uint32_t> PngSize(const std::string& path)
{
  const std::string bytes = Slurp(path);
  if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0)
    return {0, 0};
  const auto be = [&](size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i)
      v = (v << 8) | static_cast<uint8_t>(bytes[at + i]);
    return v;
  };
  return {be(16), be(20)};
}

// The message without the command's own help hint.
std::string Refusal(std::string err, const std::string& command)
{
  const std::string hint = " (see 'corvane " + command + " --help')";
  if (const size_t at = err.find(hint); at != std::string::npos)
    err.erase(at, hint.size());
  return err;
}

} // namespace

TEST_F(CorvaneProgram, AnalyzeRefusesBadSettingsExactlyAsRenderDoes)
{
  std::ofstream(dir.Path("junk.aupreset")) << "not a plist at all";
  const std::string cases[] = {
    "-p Nope=1",
    "-p Gain=99dB",
    "-p 'Highpass Filter=50Hz'",
    "-p Gain",
    "-p",
    "--state " + P("missing.aupreset"),
    "--state " + P("junk.aupreset"),
    "--state ''",
  };
  for (const std::string& args : cases)
  {
    const Outcome render = Corvane("render -q -o " + P("x.wav") + " " + args);
    const Outcome analyze = Corvane("analyze -o " + P("x.png") + " " + args);
    ASSERT_NE(render.status, 0) << args;
    EXPECT_EQ(analyze.status, render.status) << args;
    EXPECT_EQ(Refusal(analyze.err, "analyze"), Refusal(render.err, "render")) << args;
    EXPECT_EQ(std::count(analyze.err.begin(), analyze.err.end(), '\n'), 1) << analyze.err;
    EXPECT_EQ(analyze.out, "");
  }
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"junk.aupreset"});
}

TEST_F(CorvaneProgram, AnalyzeRefusesItsOwnBadOptionsInOneLineBeforeAnyWork)
{
  const struct
  {
    std::string args;
    int status;
    const char* says;
  } cases[] = {
    {"--rate 1000", 2, "--rate"},
    {"--freq 30000", 2, "0.45 x rate"},
    {"--level +13", 2, "--level"},
    {"--scale 0.5 -o r.png", 2, "--scale"},
    {"-o r.jpg", 2, ".png"},
    {"--bits 16", 2, "unexpected argument '--bits'"},
    {"-o " + P("missing/r.png"), 1, "missing"},
  };
  for (const auto& c : cases)
  {
    const Outcome run = Corvane("analyze " + c.args, dir.Path(""));
    EXPECT_EQ(run.status, c.status) << c.args;
    EXPECT_THAT(run.err, AllOf(StartsWith("corvane: "), HasSubstr(c.says))) << c.args;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }
  EXPECT_TRUE(dir.Names().empty());
}

TEST_F(CorvaneProgram, AnalyzePrintsATableOrJsonAndDrawsThePicture)
{
  const std::string filters = " -p 'Filter Bypass=1' -p 'Highpass Filter=70Hz' -p 'Lowpass Filter=8kHz'";
  Outcome run = Corvane("analyze" + filters);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, AllOf(HasSubstr("settings        Highpass Filter=70Hz, Lowpass Filter=8kHz, Filter Bypass=In\n"),
                             HasSubstr("latency         17 samples\n"), HasSubstr("-3 dB low       45.7 Hz\n"),
                             HasSubstr("-3 dB high      11.9 kHz\n"), HasSubstr("THD             0.01"),
                             HasSubstr("harmonics       H2 -1"), HasSubstr("H6 <-140 dBc\n")));

  // JSON on stdout, the picture in its file and nothing else on stdout.
  run = Corvane("analyze --json --scale 2 -o " + P("two.png") + filters);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out,
              AllOf(StartsWith("{\n"), HasSubstr("\"minus3db_low_hz\": 45.7"), HasSubstr("\"latency_samples\": 17"),
                    HasSubstr("\"Lowpass Filter\": \"8kHz\""), Not(HasSubstr("nan")), Not(HasSubstr("wrote"))));
  EXPECT_EQ(PngSize(dir.Path("two.png")), std::make_pair(2400u, 1600u));

  run = Corvane("analyze -o " + P("one.png"));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("1200 x 800 pixels"));
  EXPECT_EQ(PngSize(dir.Path("one.png")), std::make_pair(1200u, 800u));
}
