// Saved states (.aupreset files) through the host glue against the fake
// unit: written by render, shown by the state command, read back into a
// fresh instance, and every kind of bad file reported as one line.

#include "CommandOutput.h"
#include "FakeEffectUnit.h"
#include "TempFolder.h"
#include "ToolErrorText.h"
#include "tools/corvane/Commands.h"
#include "tools/corvane/HostedUnit.h"
#include "tools/corvane/StateData.h"
#include "tools/corvane/StateFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

using namespace corvane::host;
using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

std::string Slurp(const std::string& path)
{
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

void Spit(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

class StateFiles : public ::testing::Test
{
protected:
  void SetUp() override { fake::Register(); }
  void TearDown() override { fake::Register(); }

  // A state saved by render with the given settings.
  std::string Save(const std::string& name, const std::vector<std::string>& settings)
  {
    std::vector<std::string> args = {"-q", "-o", dir.Path(name + ".wav"), "--save-state", dir.Path(name)};
    args.insert(args.end(), settings.begin(), settings.end());
    CommandOutput(RunRender, args);
    return dir.Path(name);
  }

  TempFolder dir;
};

} // namespace

TEST_F(StateFiles, RenderSavesAStateThatLoadsIntoAFreshUnitAndSavesToTheSameBytes)
{
  const std::string a = Save("a.aupreset", {"-p", "Gain=12dB", "-p", "Output=-3.5", "-p", "Delay=1"});
  const std::string xml = Slurp(a);
  EXPECT_THAT(xml, AllOf(HasSubstr("<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\""),
                         HasSubstr("<key>manufacturer</key>"), HasSubstr("<string>Fake state</string>")));

  // Loaded into a new instance with nothing else set, saved again.
  const std::string out =
    CommandOutput(RunRender, {"-o", dir.Path("b.wav"), "--state", a, "--save-state", dir.Path("b.aupreset")});
  EXPECT_THAT(out, AllOf(HasSubstr("state:    " + a + " (preset \"Fake state\")"), HasSubstr("latency: 33 samples")));
  EXPECT_EQ(Slurp(dir.Path("b.aupreset")), xml);

  // Settings given with --state apply after it.
  CommandOutput(
    RunRender, {"-q", "-o", dir.Path("c.wav"), "--state", a, "-p", "Gain=0dB", "--save-state", dir.Path("c.aupreset")});
  const std::string shown = CommandOutput(RunState, {dir.Path("c.aupreset")});
  EXPECT_THAT(shown,
              AllOf(HasSubstr("component:    aufx Qzr1 Vtrn"), HasSubstr("preset name:  Fake state"),
                    HasSubstr("version:      1.2.3 (0x00010203)"),
                    HasSubstr("editor size:  300 x 200 at scale 1.5 (150 %)"), HasSubstr("data:         36 bytes\n")));
  EXPECT_TRUE(std::regex_search(shown, std::regex("\n +0 +Gain +0dB\n +1 +Output +-3\\.5 dB\n +2 +Delay +1\\.0\n")))
    << shown;
}

TEST_F(StateFiles, BadFilesAreOneLineNamingTheFileAndTheProblem)
{
  const std::string good = Slurp(Save("good.aupreset", {}));
  const auto replaced = [&](const std::string& from, const std::string& to) {
    std::string s = good;
    const size_t at = s.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? s : s.replace(at, from.size(), to);
  };
  const std::string dataStart = good.substr(good.find("<data>"), good.find("</data>") + 7 - good.find("<data>"));
  const struct
  {
    std::string content;
    std::string problem;
  } cases[] = {
    {"", "the file is empty"},
    {"RIFF....WAVEfmt ", "not an XML property list (malformed XML)"},
    {good.substr(0, good.size() / 2), "not an XML property list"},
    {"bplist00\x01\x02", "not an XML property list (binary property lists are not supported)"},
    {"<plist version=\"1.0\"><array/></plist>", "the property list is an array, not a dictionary"},
    {replaced("<key>version</key>", "<key>Version</key>"), "no \"version\" entry"},
    {replaced("<key>data</key>", "<key>dat</key>"), "no \"data\" entry"},
    {replaced("<string>Fake state</string>", "<integer>3</integer>"), "\"name\" is an integer, expected a string"},
    {replaced("<integer>1366979121</integer>", "<integer>1366979122</integer>"),
     "saved by another component (aufx Qzr2 Vtrn), not by this one (aufx Qzr1 Vtrn)"},
    {replaced("<integer>1635083896</integer>", "<integer>99999999999</integer>"),
     "\"type\" is not a 32-bit whole number"},
    {replaced(dataStart, "<data>AAAAAAAAAAAAAAAA</data>"),
     "\"data\" holds 12 bytes, too short for a state of this unit (36 bytes"},
  };
  for (const auto& c : cases)
  {
    const std::string path = dir.Path("bad.aupreset");
    Spit(path, c.content);
    for (auto* command : {RunState, RunRender})
    {
      const std::vector<std::string> args =
        command == RunState ? std::vector<std::string>{path}
                            : std::vector<std::string>{"-q", "--state", path, "-o", dir.Path("x.wav")};
      const std::string error = ErrorOf([&] { CommandOutput(command, args); });
      EXPECT_THAT(error, AllOf(HasSubstr("state file '" + path + "': "), HasSubstr(c.problem), Not(HasSubstr("\n"))))
        << c.problem;
    }
  }
  EXPECT_THAT(ErrorOf([&] { CommandOutput(RunState, {dir.Path("missing.aupreset")}); }), HasSubstr("No such file"));
  EXPECT_THAT(ErrorOf([&] { CommandOutput(RunState, {dir.Path("")}); }), HasSubstr("is a folder"));
  EXPECT_FALSE(std::filesystem::exists(dir.Path("x.wav")));
}

TEST_F(StateFiles, TheUnitsOwnRefusalIsReportedInWordsAndNothingIsWritten)
{
  const std::string a = Save("a.aupreset", {});
  fake::Register({noErr, 0, noErr, -1, kAudioUnitErr_InvalidPropertyValue});
  EXPECT_EQ(ErrorOf([&] { CommandOutput(RunState, {a}); }),
            "state file '" + a + "': the unit refused the state: invalid property value (-10851)");
  EXPECT_THAT(
    ErrorOf([&] {
      CommandOutput(RunRender, {"-q", "--state", a, "-o", dir.Path("x.wav"), "--save-state", dir.Path("y.aupreset")});
    }),
    HasSubstr("invalid property value (-10851)"));
  EXPECT_FALSE(std::filesystem::exists(dir.Path("x.wav")));
  EXPECT_FALSE(std::filesystem::exists(dir.Path("y.aupreset")));
}

TEST_F(StateFiles, ASavedStateIsWrittenOnlyWhenTheRenderSucceeds)
{
  fake::Register({kAudioUnitErr_CannotDoInCurrentContext, 2});
  EXPECT_THAT(ErrorOf([&] { Save("s.aupreset", {}); }), HasSubstr("failed to render"));
  EXPECT_FALSE(std::filesystem::exists(dir.Path("s.aupreset")));
}

TEST(StateData, EditorRecordIsLittleEndianWidthHeightScale)
{
  const std::vector<uint8_t> bytes = {0x3F, 0x02, 0, 0, 0x4D, 0x01, 0, 0, 0, 0, 0x80, 0x3F, 0xAA};
  const auto record = ReadEditorRecord(bytes);
  ASSERT_TRUE(record.has_value());
  EXPECT_EQ(record->width, 575);
  EXPECT_EQ(record->height, 333);
  EXPECT_EQ(record->scale, 1.0f);
  EXPECT_EQ(FormatEditorRecord(*record), "575 x 333 at scale 1 (100 %)");
  EXPECT_FALSE(ReadEditorRecord(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 11)).has_value());
  EXPECT_THAT(FormatEditorRecord(EditorRecord{}), HasSubstr("none stored"));
}

TEST(InfoCommand, LatencyIsTheOneAfterASilentSliceAtTheGivenSettings)
{
  fake::Register();
  EXPECT_THAT(CommandOutput(RunInfo, {"-p", "Delay=1"}),
              AllOf(HasSubstr("settings:        Delay=1.0"), HasSubstr("latency:         33 samples")));
  EXPECT_THAT(CommandOutput(RunInfo, {}), HasSubstr("latency:         0 samples"));
}
