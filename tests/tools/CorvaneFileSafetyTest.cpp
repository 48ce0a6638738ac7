// The corvane program against the real component, driven as a careless or
// hostile user would: names that reach files the command also uses, files
// that are not regular files, a state file another corvane will save, files
// that are not saved states, and outside text that must not reach the
// terminal raw. Nothing may be lost, hang or crash.

#include "AudioFiles.h"
#include "ProgramRun.h"
#include "tools/corvane/OutputLock.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <sys/stat.h>

using namespace corvane::host;
using ::testing::AllOf;
using ::testing::AnyOf;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::UnorderedElementsAreArray;

namespace {

std::vector<std::vector<float>> Tone(size_t frames)
{
  std::vector<std::vector<float>> d(1, std::vector<float>(frames));
  for (size_t i = 0; i < frames; ++i)
    d[0][i] = 0.25f * static_cast<float>((i % 100) / 50.0 - 1.0);
  return d;
}

size_t Lines(const std::string& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

// Every file of the folder with a digest of its bytes (a FIFO by its kind alone).
std::map<std::string, std::string> Contents(const TempFolder& dir)
{
  std::map<std::string, std::string> contents;
  for (const std::string& name : dir.Names())
  {
    struct stat st
    {};
    lstat(dir.Path(name).c_str(), &st);
    const std::string bytes = S_ISREG(st.st_mode) ? Slurp(dir.Path(name)) : "";
    contents[name] = S_ISREG(st.st_mode) ? std::to_string(bytes.size()) + " bytes, hash " +
                                             std::to_string(std::hash<std::string>()(bytes))
                     : S_ISFIFO(st.st_mode) ? "FIFO"
                                            : "other";
  }
  return contents;
}

// A terminal acts on C0 controls, DEL and the C1 controls (U+0080..U+009F).
std::string RawControl(const std::string& text)
{
  for (size_t i = 0; i < text.size(); ++i)
  {
    const auto c = static_cast<unsigned char>(text[i]);
    if ((c < 0x20 && c != '\n') || c == 0x7F ||
        (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) <= 0x9F))
      return "byte " + std::to_string(c) + " at " + std::to_string(i) + " in: " + text;
  }
  return "";
}

// Runs with no X display, so an editor that passed every check stops at the
// window; and bounded in time, so a read that would wait forever fails.
class CorvaneWithoutDisplay : public CorvaneProgram
{
protected:
  void SetUp() override
  {
    CorvaneProgram::SetUp();
    if (const char* display = std::getenv("DISPLAY"))
      savedDisplay = display;
    unsetenv("DISPLAY");
    launcher = "timeout 60 ";
  }
  void TearDown() override
  {
    if (!savedDisplay.empty())
      setenv("DISPLAY", savedDisplay.c_str(), 1);
  }

  std::string savedDisplay;
};

} // namespace

TEST_F(CorvaneWithoutDisplay, EditorRefusesABadStateFileBeforeItNeedsAWindow)
{
  WriteAudioFile(dir.Path("take.wav"), 48000, Tone(4800));
  std::filesystem::create_symlink("take.wav", dir.Path("link.wav"));
  std::filesystem::create_directory(dir.Path("folder"));
  ASSERT_EQ(mkfifo(dir.Path("pipe.aupreset").c_str(), 0644), 0);
  ASSERT_EQ(mkfifo(dir.Path("pipe.wav").c_str(), 0644), 0);
  // A FLAC whose header claims 2^35 frames (128 GiB as floats).
  WriteAudioFile(dir.Path("forged.flac"), 48000, Tone(3000));
  std::string flac = Slurp(dir.Path("forged.flac"));
  flac[21] = static_cast<char>((flac[21] & 0xF0) | 0x08);
  flac.replace(22, 4, 4, '\0');
  std::ofstream(dir.Path("forged.flac"), std::ios::binary) << flac;
  // Another corvane that will save this file when it ends.
  const OutputLock held(dir.Path("held.aupreset"));
  const auto before = Contents(dir);

  const struct
  {
    std::string args;
    int status;
    std::string message;
  } cases[] = {
    {"--play take.wav --save-state take.wav", 2, "--save-state names the played file 'take.wav' ('take.wav')"},
    {"--play take.wav --save-state ./take.wav", 2, "--save-state names the played file"},
    {"--play take.wav --save-state link.wav", 2, "--save-state names the played file"},
    {"--play link.wav --save-state \"$PWD/take.wav\"", 2, "--save-state names the played file"},
    {"--save-state take.wav", 1, "'take.wav' exists and is not a saved state"},
    {"--save-state missing/s.aupreset", 1, "cannot write output 'missing/s.aupreset': No such file"},
    {"--save-state folder", 1, "cannot write output 'folder': Is a directory"},
    {"--save-state /proc/version", 1, "cannot write output '/proc/version'"},
    {"--save-state pipe.aupreset", 1, "it is a pipe (FIFO); only regular files are replaced"},
    {"--save-state held.aupreset", 1, "another running corvane will write 'held.aupreset'"},
    {"--play pipe.wav --device null", 1, "cannot read input 'pipe.wav': is a pipe (FIFO)"},
    // Past every check (the forged FLAC read as far as it goes): only the window is missing.
    {"--play forged.flac --device null --save-state new.aupreset", 1, "no X display"},
  };
  for (const auto& c : cases)
  {
    const Outcome run = Corvane("editor " + c.args, dir.Path(""));
    EXPECT_EQ(run.status, c.status) << c.args << ": " << run.err;
    EXPECT_THAT(run.err, HasSubstr(c.message)) << c.args;
    EXPECT_EQ(Lines(run.err), 1u) << c.args << ": " << run.err;
  }
  // Nothing written, nothing left behind: no state, no temporary or lock file.
  EXPECT_EQ(Contents(dir), before);
}

TEST_F(CorvaneWithoutDisplay, PipesAndDevicesAreNeitherReadNorReplaced)
{
  WriteAudioFile(dir.Path("in.wav"), 48000, Tone(4800));
  for (const char* name : {"pipe.wav", "pipe.aupreset"})
    ASSERT_EQ(mkfifo(dir.Path(name).c_str(), 0644), 0);
  std::filesystem::create_directory(dir.Path("pipe.lv2"));
  ASSERT_EQ(mkfifo(dir.Path("pipe.lv2/manifest.ttl").c_str(), 0644), 0);
  std::filesystem::create_symlink("/dev/null", dir.Path("null.aupreset"));
  const auto before = Contents(dir);

  const struct
  {
    std::string args;
    std::string message;
  } cases[] = {
    // Outputs: a regular file in place of the pipe or device would break whatever uses it.
    {"render -q in.wav -o pipe.wav", "cannot write output 'pipe.wav': it is a pipe (FIFO)"},
    {"state --save pipe.aupreset", "cannot write output 'pipe.aupreset': it is a pipe (FIFO)"},
    {"state --save null.aupreset", "cannot write output 'null.aupreset': it is a device"},
    {"render -q in.wav -o out.wav --save-state pipe.aupreset", "it is a pipe (FIFO)"},
    // Inputs: opening a pipe would wait for a writer; a device could be read forever.
    {"state pipe.aupreset", "state file 'pipe.aupreset': is a pipe (FIFO), not a regular file"},
    {"state null.aupreset", "state file 'null.aupreset': is a device, not a regular file"},
    {"state /dev/zero", "is a device, not a regular file"},
    {"render -q pipe.wav -o out.wav", "cannot read input 'pipe.wav': is a pipe (FIFO)"},
    {"render -q in.wav -o out.wav --state pipe.aupreset", "is a pipe (FIFO)"},
    {"info --state pipe.aupreset", "is a pipe (FIFO)"},
    {"lv2-preset pipe.lv2 -o out.aupreset", "LV2 preset bundle 'pipe.lv2': manifest.ttl: is a pipe (FIFO)"},
    {"lv2-preset pipe.aupreset -o out.lv2", "is a pipe (FIFO)"},
  };
  for (const auto& c : cases)
  {
    const Outcome run = Corvane(c.args, dir.Path(""));
    EXPECT_EQ(run.status, 1) << c.args << ": " << run.err;
    EXPECT_THAT(run.err, HasSubstr(c.message)) << c.args;
    EXPECT_EQ(Lines(run.err), 1u) << c.args << ": " << run.err;
  }
  EXPECT_EQ(Contents(dir), before);
}

TEST_F(CorvaneWithoutDisplay, AStateReplacesOnlyASavedStateUnlessForced)
{
  WriteAudioFile(dir.Path("take.wav"), 48000, Tone(4800));
  ASSERT_EQ(Corvane("state --save old.aupreset", dir.Path("")).status, 0);
  ASSERT_EQ(Corvane("lv2-preset old.aupreset -o b.lv2", dir.Path("")).status, 0);
  std::ofstream(dir.Path("empty.aupreset"));
  const std::string take = Slurp(dir.Path("take.wav"));

  const struct
  {
    std::string args;
    std::string replaced; // the file it writes
    int status;
  } cases[] = {
    {"state --save take.wav -p Gain=30dB", "take.wav", 1},
    {"render -q -o out.wav --save-state take.wav", "take.wav", 1},
    {"lv2-preset b.lv2 -o take.wav", "take.wav", 1},
    {"state --save old.aupreset -p Gain=30dB", "old.aupreset", 0},
    {"state --save empty.aupreset", "empty.aupreset", 0},
    {"lv2-preset b.lv2 -o old.aupreset", "old.aupreset", 0},
  };
  for (const auto& c : cases)
  {
    const std::string old = Slurp(dir.Path(c.replaced));
    const Outcome run = Corvane(c.args, dir.Path(""));
    EXPECT_EQ(run.status, c.status) << c.args << ": " << run.err;
    if (c.status == 0)
    {
      EXPECT_THAT(Slurp(dir.Path(c.replaced)), HasSubstr("<key>data</key>")) << c.args;
      continue;
    }
    EXPECT_THAT(run.err, HasSubstr("'take.wav' exists and is not a saved state; not replaced (--force replaces it)"))
      << c.args;
    EXPECT_EQ(Slurp(dir.Path(c.replaced)), old) << c.args;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.Path("out.wav"))) << "refused before rendering";

  // Named with --force, the file is the user's to replace.
  const Outcome forced = Corvane("state --save take.wav --force -p Gain=30dB", dir.Path(""));
  EXPECT_EQ(forced.status, 0) << forced.err;
  EXPECT_THAT(Slurp(dir.Path("take.wav")), HasSubstr("<key>data</key>"));
}

TEST_F(CorvaneWithoutDisplay, LV2PresetValuesAreWrittenAsTheUnitHoldsThem)
{
  const std::string prefixes = "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                               "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
                               "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n";
  std::filesystem::create_directory(dir.Path("wild.lv2"));
  std::ofstream(dir.Path("wild.lv2/manifest.ttl"))
    << prefixes << "<wild.ttl> a pset:Preset ; rdfs:seeAlso <wild.ttl> .\n";
  std::ofstream(dir.Path("wild.lv2/wild.ttl"))
    << prefixes << "<> a pset:Preset ; rdfs:label \"wild\" ;\n"
    << "  lv2:port [ lv2:symbol \"gain\" ; pset:value 1e999 ] , [ lv2:symbol \"output\" ; pset:value 100 ] ,\n"
    << "    [ lv2:symbol \"phase\" ; pset:value -7 ] , [ lv2:symbol \"highpass_filter\" ; pset:value 2 ] .\n";

  Outcome run = Corvane("lv2-preset wild.lv2 -o wild.aupreset", dir.Path(""));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.err, AllOf(HasSubstr("port \"gain\" value inf is out of range 0 to 12; clamped to 12"),
                             HasSubstr("port \"output\" value 100"), HasSubstr("port \"phase\" value -7")));
  // Every command reads it back, with the values the unit took.
  run = Corvane("state wild.aupreset", dir.Path(""));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  for (const char* line : {"Gain             40dB\n", "Output           24.0 dB\n", "Phase            0\n",
                           "Highpass Filter  70Hz\n", "preset name:  wild\n"})
    EXPECT_THAT(run.out, HasSubstr(line));
  run = Corvane("render -q -o out.wav --state wild.aupreset", dir.Path(""));
  EXPECT_EQ(run.status, 0) << run.err;

  // -n keeps an existing output, and an existing preset of the same label.
  const std::string written = Slurp(dir.Path("wild.aupreset"));
  run = Corvane("lv2-preset wild.lv2 -o wild.aupreset -n", dir.Path(""));
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("'wild.aupreset' exists; not replaced"));
  EXPECT_EQ(Slurp(dir.Path("wild.aupreset")), written);
  run = Corvane("lv2-preset wild.aupreset -o wild.lv2 -n", dir.Path(""));
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("holds a preset \"wild\" already; not replaced"));
}

TEST_F(CorvaneWithoutDisplay, OutsideTextReachesTheTerminalEscaped)
{
  // A preset name with a screen clear, a title change, a C1 CSI and DEL.
  ASSERT_EQ(Corvane("state --save plain.aupreset", dir.Path("")).status, 0);
  std::string state = Slurp(dir.Path("plain.aupreset"));
  state.replace(state.find("<string></string>"), 17,
                "<string>&#x1B;[2J&#x1B;]0;owned&#x07;&#x9B;1m&#x7F;evil</string>");
  std::ofstream(dir.Path("evil.aupreset"), std::ios::binary) << state;
  WriteAudioFile(dir.Path("in.wav"), 48000, Tone(4800));

  for (const std::string args :
       {"state evil.aupreset", "state evil.aupreset --json", "render in.wav -o out.wav --state evil.aupreset",
        "render in.wav -o \"$(printf 'out\\033[2J.wav')\"", "info --state evil.aupreset",
        "lv2-preset evil.aupreset -o evil.lv2", "lv2-preset evil.lv2 -o back.aupreset", "state back.aupreset",
        "params"})
  {
    const Outcome run = Corvane(args, dir.Path(""));
    EXPECT_EQ(run.status, 0) << args << ": " << run.err;
    EXPECT_EQ(RawControl(run.out), "") << args;
    EXPECT_EQ(RawControl(run.err), "") << args;
    if (args != "params" && args.find("info") == std::string::npos)
    {
      EXPECT_THAT(run.out, AnyOf(HasSubstr("\\x1B[2J"), HasSubstr("\\u001b[2J"))) << args;
    }
  }
}
