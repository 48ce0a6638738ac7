// The corvane program against the real component: renders that are right
// from the first sample, warnings where the result differs from what the
// user asked for, and files that are never lost under another name.

#include "AudioFiles.h"
#include "ProgramRun.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <sys/stat.h>

using namespace corvane::host;
using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::UnorderedElementsAre;

namespace {

std::vector<std::vector<float>> Noise(int channels, size_t frames, float level)
{
  std::vector<std::vector<float>> d(channels, std::vector<float>(frames));
  uint32_t x = 7;
  for (auto& ch : d)
    for (float& s : ch)
    {
      x = x * 1664525u + 1013904223u;
      s = level * (static_cast<float>(x >> 8) / 16777216.0f - 0.5f);
    }
  return d;
}

std::string Base64(const std::vector<uint8_t>& bytes)
{
  static const char* const digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < bytes.size(); i += 3)
  {
    const uint32_t n = (uint32_t(bytes[i]) << 16) | (i + 1 < bytes.size() ? uint32_t(bytes[i + 1]) << 8 : 0) |
                       (i + 2 < bytes.size() ? bytes[i + 2] : 0);
    out += digits[n >> 18];
    out += digits[(n >> 12) & 63];
    out += i + 1 < bytes.size() ? digits[(n >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? digits[n & 63] : '=';
  }
  return out;
}

} // namespace

TEST_F(CorvaneProgram, SettingsHoldFromTheFirstSampleAtEveryBlockSize)
{
  WriteAudioFile(dir.Path("in.wav"), 48000, Noise(2, 40000, 0.5f));
  // Between them, every parameter moves away from its default.
  const char* const settings[] = {
    "-p Gain=30dB -p Output=-6dB -p 'Highpass Filter=360Hz' -p 'Lowpass Filter=2kHz' -p 'Filter Bypass=on' -p 'Mic "
    "Pre=1'"
    " -p Phase=1 -p Oversampling=on",
    "-p 'Preamp Bypass=off' -p Output=+6dB -p 'Highpass Filter=160Hz' -p 'Lowpass Filter=8kHz' -p 'Filter Bypass=on'",
  };
  for (const char* s : settings)
  {
    std::vector<std::vector<std::vector<float>>> renders;
    for (int block : {64, 512, 16384})
    {
      const std::string out = "out" + std::to_string(block) + ".wav";
      const Outcome run =
        Corvane("render -q " + P("in.wav") + " -o " + P(out) + " --block " + std::to_string(block) + " " + s);
      ASSERT_EQ(run.status, 0) << run.err;
      renders.push_back(ReadAudioFile(dir.Path(out)));
    }
    for (size_t r = 1; r < renders.size(); ++r)
      for (int c = 0; c < 2; ++c)
      {
        double worst = 0.0;
        size_t where = 0;
        for (size_t i = 0; i < renders[0][c].size(); ++i)
          if (std::fabs(renders[r][c][i] - renders[0][c][i]) > worst)
          {
            worst = std::fabs(renders[r][c][i] - renders[0][c][i]);
            where = i;
          }
        EXPECT_LE(worst, 1e-6) << s << ": render " << r << " channel " << c << " at sample " << where;
      }
  }
}

TEST_F(CorvaneProgram, StateValuesThatAreNotNumbersAreRefusedAndOutOfRangeOnesClampedWithAWarning)
{
  ASSERT_EQ(Corvane("render -q -o " + P("a.wav") + " --save-state " + P("good.aupreset")).status, 0);
  const std::string good = Slurp(dir.Path("good.aupreset"));
  const size_t from = good.find("<data>") + 6, to = good.find("</data>");
  // Defaults: Gain index 4 (0 dB), Preamp Bypass 1 (engaged), the rest 0.
  const auto withValue = [&](int param, double value) {
    double values[9] = {4, 0, 0, 0, 0, 1, 0, 0, 0};
    values[param] = value;
    std::vector<uint8_t> bytes(12 + sizeof values);
    std::memcpy(bytes.data() + 12, values, sizeof values);
    std::string s = good;
    return s.replace(from, to - from, Base64(bytes));
  };
  const struct
  {
    int param;
    double value;
    int status;
    std::string message; // on stderr
    std::string shown;   // in the listing of the state
  } cases[] = {
    {0, std::nan(""), 1, "\"Gain\" is not a finite number", ""},
    {1, INFINITY, 1, "\"Output\" is not a finite number", ""},
    {1, -INFINITY, 1, "\"Output\" is not a finite number", ""},
    {1, 1e300, 0, "warning: state file", "Output           24.0 dB\n"},
    {0, -3, 0, "\"Gain\" value -3 is out of range 0 to 12; clamped to 0", "Gain             -20dB\n"},
  };
  for (const auto& c : cases)
  {
    std::ofstream(dir.Path("bad.aupreset"), std::ios::binary) << withValue(c.param, c.value);
    const Outcome run = Corvane("state " + P("bad.aupreset"));
    EXPECT_EQ(run.status, c.status) << c.message << run.err;
    EXPECT_THAT(run.err, HasSubstr(c.message));
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    if (c.status == 0)
    {
      EXPECT_THAT(run.out, HasSubstr(c.shown));
    }
  }
}

TEST_F(CorvaneProgram, InputShorterThanItsHeaderIsRenderedWithAWarningGivingBothLengths)
{
  WriteAudioFile(dir.Path("in.wav"), 48000, Noise(2, 48000, 0.1f));
  WriteAudioFile(dir.Path("in.aiff"), 48000, Noise(2, 48000, 0.1f));
  for (const char* name : {"in.wav", "in.aiff"})
  {
    std::filesystem::resize_file(dir.Path(name), std::filesystem::file_size(dir.Path(name)) - 8 * 24000);
    const Outcome run = Corvane("render -q " + P(name) + " -o " + P("out.wav"));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.err, AllOf(HasSubstr(name), HasSubstr("48000 frames"), HasSubstr("holds 24000 frames"))) << name;
  }
}

TEST_F(CorvaneProgram, NoFileIsReplacedUnderAnotherName)
{
  WriteAudioFile(dir.Path("a.wav"), 48000, Noise(1, 1000, 0.1f));
  std::filesystem::create_symlink(dir.Path("a.wav"), dir.Path("link.wav"));
  const std::string original = Slurp(dir.Path("a.wav"));
  const struct
  {
    std::string args;
    std::string message;
  } cases[] = {
    {"a.wav -o ./a.wav", "the output './a.wav' is the input 'a.wav'"},
    {"a.wav -o link.wav", "is the input"},
    {"a.wav --save-state ./a.wav -o x.wav", "--save-state names the audio input"},
    {"a.wav --save-state ./x.wav -o x.wav", "--save-state names the audio output"},
    {"a.wav --save-state link.wav -o x.wav", "--save-state names the audio input"},
  };
  for (const auto& c : cases)
  {
    const Outcome run = Corvane("render -q " + c.args, dir.Path(""));
    EXPECT_EQ(run.status, 2) << c.args;
    EXPECT_THAT(run.err, HasSubstr(c.message)) << c.args;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }
  EXPECT_EQ(Slurp(dir.Path("a.wav")), original);
  EXPECT_THAT(dir.Names(), UnorderedElementsAre("a.wav", "link.wav"));
}

TEST_F(CorvaneProgram, ReplacedOutputsKeepTheirModeAndLinksAndNoClobberKeepsThem)
{
  WriteAudioFile(dir.Path("in.wav"), 48000, Noise(1, 1000, 0.1f));
  std::ofstream(dir.Path("private.wav")) << "old";
  chmod(dir.Path("private.wav").c_str(), 0600);
  std::filesystem::create_directory(dir.Path("takes"));
  std::ofstream(dir.Path("takes/target.wav")) << "old";
  std::filesystem::create_symlink("takes/target.wav", dir.Path("link.wav"));

  ASSERT_EQ(Corvane("render -q in.wav -o private.wav", dir.Path("")).status, 0);
  struct stat st
  {};
  ASSERT_EQ(stat(dir.Path("private.wav").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);

  ASSERT_EQ(Corvane("render -q in.wav -o link.wav", dir.Path("")).status, 0);
  EXPECT_TRUE(std::filesystem::is_symlink(dir.Path("link.wav")));
  EXPECT_EQ(ReadAudioFile(dir.Path("takes/target.wav"))[0].size(), 1000u);

  const std::string before = Slurp(dir.Path("private.wav"));
  for (const char* flag : {"-n", "--no-clobber"})
  {
    const Outcome run = Corvane(std::string("render -q in.wav -o private.wav ") + flag, dir.Path(""));
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr("'private.wav' exists"));
  }
  EXPECT_EQ(Slurp(dir.Path("private.wav")), before);
  EXPECT_THAT(dir.Names(), UnorderedElementsAre("in.wav", "private.wav", "takes", "link.wav"));
}

TEST_F(CorvaneProgram, StateFilesAreLimitedByTheBytesReadNotTheSizeReported)
{
  // A device is refused before it is read; a file that reports no size
  // (as /proc files do) is still read no further than a state can be.
  Outcome run = Corvane("state /dev/zero");
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("is a device, not a regular file"));
  std::error_code ec;
  if (std::filesystem::file_size("/proc/kallsyms", ec) != 0 || ec || Slurp("/proc/kallsyms").size() <= (1u << 20))
    GTEST_SKIP() << "/proc/kallsyms does not read as a large file that reports no size here";
  run = Corvane("state /proc/kallsyms");
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("too large for a state file"));
}
