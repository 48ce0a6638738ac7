// The corvane program against the real Corvane.component of this build:
// run as a user would, checked on the files it writes.

#include "AudioFiles.h"
#include "ProgramRun.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

using namespace corvane::host;
using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::UnorderedElementsAre;

namespace {

// Low-level noise bursts: the preamp stays nearly linear, so the output
// correlates best with the input at the lag the output is delayed by.
std::vector<std::vector<float>> Bursts(int channels, size_t frames)
{
  std::vector<std::vector<float>> d(channels, std::vector<float>(frames, 0.0f));
  uint32_t x = 99;
  for (auto& ch : d)
    for (size_t i = 0; i < frames; ++i)
    {
      x = x * 1664525u + 1013904223u;
      if ((i / 2000) % 2 == 0)
        ch[i] = 0.01f * (static_cast<float>(x >> 8) / 16777216.0f - 0.5f);
    }
  return d;
}

int BestLag(const std::vector<float>& in, const std::vector<float>& out)
{
  int best = 0;
  double bestValue = -1e300;
  for (int lag = -100; lag <= 100; ++lag)
  {
    double sum = 0.0;
    for (size_t i = 100; i + 100 < in.size(); ++i)
      sum += static_cast<double>(in[i]) * out[i + lag];
    if (sum > bestValue)
    {
      bestValue = sum;
      best = lag;
    }
  }
  return best;
}

} // namespace

TEST_F(CorvaneProgram, LatencyIsReportedAndRemovedUnlessKept)
{
  const auto input = Bursts(2, 20000);
  WriteAudioFile(dir.Path("in.wav"), 48000, input);
  const std::string settings = " -p Oversampling=on -p 'Lowpass Filter=8kHz' -p 'Filter Bypass=1'";

  const Outcome aligned = Corvane("render " + P("in.wav") + " -o " + P("aligned.wav") + settings);
  ASSERT_EQ(aligned.status, 0) << aligned.err;
  EXPECT_THAT(aligned.out, HasSubstr("\nlatency: 81 samples"));
  const Outcome kept =
    Corvane("render " + P("in.wav") + " -o " + P("kept.wav") + settings + " --keep-latency --block 100");
  ASSERT_EQ(kept.status, 0) << kept.err;
  EXPECT_THAT(kept.out, HasSubstr("\nlatency: 81 samples"));

  int rate = 0;
  const auto a = ReadAudioFile(dir.Path("aligned.wav"), &rate), k = ReadAudioFile(dir.Path("kept.wav"));
  EXPECT_EQ(rate, 48000);
  ASSERT_EQ(a.size(), 2u);
  ASSERT_EQ(a[0].size(), input[0].size());
  ASSERT_EQ(k[0].size(), input[0].size());
  for (int c = 0; c < 2; ++c)
  {
    EXPECT_EQ(BestLag(input[c], a[c]), 0) << "channel " << c;
    EXPECT_EQ(BestLag(input[c], k[c]), 81) << "channel " << c;
  }
}

TEST_F(CorvaneProgram, MonoFlacInMonoFlacOutAtTheFilesRate)
{
  WriteAudioFile(dir.Path("in.flac"), 44100, Bursts(1, 5000));
  const Outcome run = Corvane("render " + P("in.flac") + " -p Gain=20 -p Output=-6dB -q");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");
  int rate = 0;
  const auto out = ReadAudioFile(dir.Path("in-corvane.flac"), &rate);
  EXPECT_EQ(rate, 44100);
  EXPECT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].size(), 5000u);
}

TEST_F(CorvaneProgram, ErrorsAreOneLineWithAStatusAndNoOutputFile)
{
  WriteAudioFile(dir.Path("quad.wav"), 48000, Bursts(4, 1000));
  WriteAudioFile(dir.Path("in.wav"), 48000, Bursts(2, 1000));

  Outcome run = Corvane("render " + P("quad.wav") + " -o " + P("out.wav"));
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, AllOf(HasSubstr("4 channel"), HasSubstr("1 in/1 out, 2 in/2 out")));
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);

  run = Corvane("render " + P("in.wav") + " -o " + P("out.wav") + " -p Gain=45dB");
  EXPECT_EQ(run.status, 2);
  EXPECT_THAT(run.err, HasSubstr("-20dB, -15dB, -10dB"));

  run = Corvane("render " + P("in.wav") + " -o " + P("out.wav") + " --block 0");
  EXPECT_EQ(run.status, 2);
  EXPECT_THAT(run.err, HasSubstr("invalid block size"));

  run = Corvane("render " + P("missing.wav") + " -o " + P("out.wav"));
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("No such file"));

  EXPECT_THAT(dir.Names(), UnorderedElementsAre("quad.wav", "in.wav"));
}

TEST_F(CorvaneProgram, WithoutInputTheDemoIsRenderedIntoCorvaneDemoWav)
{
  const Outcome run = Corvane("render -p Gain=30dB", dir.Path(""));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, Not(HasSubstr("warning")));
  int rate = 0;
  const auto demo = ReadAudioFile(dir.Path("corvane-demo.wav"), &rate);
  EXPECT_EQ(rate, 48000);
  EXPECT_EQ(demo.size(), 2u);
  EXPECT_GT(demo[0].size(), 6u * 48000);
}

TEST_F(CorvaneProgram, ParamsAndInfoDescribeTheRealComponent)
{
  Outcome run = Corvane("params");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, AllOf(HasSubstr("Highpass Filter"), HasSubstr("#0=OFF, #1=45Hz, #2=70Hz, #3=160Hz, #4=360Hz"),
                             HasSubstr("-24 .. 24")));
  run = Corvane("params --json");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("\"name\": \"Oversampling\""));
  run = Corvane("info");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, AllOf(HasSubstr("aufx Qzr1 Vtrn"), HasSubstr("1 in/1 out, 2 in/2 out")));
}

TEST_F(CorvaneProgram, StateRoundTripsThroughAnAupresetFileWithEveryParameter)
{
  const std::string all =
    " -p Gain=25dB -p Output=-3.5dB -p 'Highpass Filter=70Hz' -p 'Lowpass Filter=4kHz' -p 'Filter Bypass=1'"
    " -p 'Preamp Bypass=0' -p 'Mic Pre=1' -p Phase=1 -p Oversampling=on";
  Outcome run = Corvane("render -q -o " + P("a.wav") + " --save-state " + P("a.aupreset") + all);
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string saved = Slurp(dir.Path("a.aupreset"));
  EXPECT_THAT(saved,
              AllOf(HasSubstr("<key>subtype</key>\n\t<integer>1366979121</integer>"), HasSubstr("<key>data</key>")));

  // A fresh process loads it and saves it again without any setting.
  run = Corvane("render -q -o " + P("b.wav") + " --state " + P("a.aupreset") + " --save-state " + P("b.aupreset"));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Slurp(dir.Path("b.aupreset")), saved);
  // The state brought the settings, so the audio is the same too.
  EXPECT_EQ(Slurp(dir.Path("b.wav")), Slurp(dir.Path("a.wav")));

  run = Corvane("state " + P("b.aupreset"));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, AllOf(HasSubstr("component:    aufx Qzr1 Vtrn"), HasSubstr("editor size:  none stored"),
                             HasSubstr("data:         84 bytes\n"), HasSubstr("parameters:   9\n")));
  const char* const expected[] = {
    "Gain             25dB", "Output           -3.5 dB", "Highpass Filter  70Hz",
    "Lowpass Filter   4kHz", "Filter Bypass    In",      "Preamp Bypass    Out",
    "Mic Pre          1",    "Phase            1",       "Oversampling     Oversampling On"};
  for (const char* line : expected)
    EXPECT_THAT(run.out, HasSubstr(std::string(line) + "\n"));

  // Settings given with a state apply after it.
  run = Corvane("render -q -o " + P("c.wav") + " --state " + P("a.aupreset") + " -p Gain=0dB --save-state " +
                P("c.aupreset"));
  ASSERT_EQ(run.status, 0) << run.err;
  run = Corvane("state " + P("c.aupreset"));
  EXPECT_THAT(run.out, AllOf(HasSubstr("Gain             0dB\n"), HasSubstr("Lowpass Filter   4kHz\n")));
}

TEST_F(CorvaneProgram, BadStateFilesGiveOneLineAndAFailureStatus)
{
  ASSERT_EQ(Corvane("render -q -o " + P("a.wav") + " --save-state " + P("good.aupreset")).status, 0);
  const std::string good = Slurp(dir.Path("good.aupreset"));
  const std::string blob = good.substr(good.find("<data>"), good.find("</data>") + 7 - good.find("<data>"));
  const auto replaced = [&](const std::string& from, const std::string& to) {
    std::string s = good;
    return s.replace(s.find(from), from.size(), to);
  };
  const struct
  {
    std::string content;
    std::string problem;
  } cases[] = {
    {"not a plist at all", "not an XML property list"},
    {good.substr(0, 200), "not an XML property list"},
    {"<plist version=\"1.0\"><string>x</string></plist>", "is a string, not a dictionary"},
    {replaced("<key>manufacturer</key>", "<key>maker</key>"), "no \"manufacturer\" entry"},
    {replaced("<integer>1450472046</integer>", "<integer>1450472047</integer>"), "another component (aufx Qzr1 Vtro)"},
    {replaced(blob, "<data>AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA</data>"),
     "\"data\" holds 24 bytes, too short for a state of this unit (84 bytes"},
  };
  int n = 0;
  for (const auto& c : cases)
  {
    const std::string name = "bad" + std::to_string(n++) + ".aupreset";
    std::ofstream(dir.Path(name), std::ios::binary) << c.content;
    for (const std::string& args : {"state " + P(name), "render -q --state " + P(name) + " -o " + P("x.wav")})
    {
      const Outcome run = Corvane(args);
      EXPECT_EQ(run.status, 1) << args;
      EXPECT_THAT(run.err, AllOf(HasSubstr("corvane: state file '" + dir.Path(name) + "': "), HasSubstr(c.problem)))
        << args;
      EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
      EXPECT_EQ(run.out, "");
    }
  }
  EXPECT_FALSE(std::filesystem::exists(dir.Path("x.wav")));
}

TEST_F(CorvaneProgram, InfoShowsTheLatencyOfTheGivenSettings)
{
  Outcome run = Corvane("info -p Oversampling=on -p 'Lowpass Filter=8kHz' -p 'Filter Bypass=1'");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, AllOf(HasSubstr("latency:         81 samples at 48000 Hz"),
                             HasSubstr("settings:        Oversampling=Oversampling On")));
  run = Corvane("info");
  EXPECT_THAT(run.out, AllOf(HasSubstr("latency:         0 samples"), HasSubstr("  subtype:       Qzr1\n"),
                             HasSubstr("factory presets: ")));
}
