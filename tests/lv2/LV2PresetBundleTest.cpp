// LV2 preset bundles as the command-line host writes and reads them.

#include <gtest/gtest.h>

#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "tools/ToolErrorText.h"
#include "tools/corvane/LV2PresetBundle.h"
#include "tools/corvane/ToolError.h"
#include "tools/corvane/TurtleNesting.h"

namespace corvane::host {
namespace {
const std::string kKey = "urn:veltrano:corvane#state";

std::vector<LV2Preset> Parse(const std::string& text)
{
  return ParseLV2Presets({{text, "file:///bundle/p.ttl"}}, kKey);
}

TEST(LV2PresetBundle, AWrittenBundleReadsBackTheSame)
{
  const auto dir = std::filesystem::temp_directory_path() / ("corvane_preset_" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  LV2Preset preset;
  preset.label = "Warm \"vocal\" \\ take";
  for (int i = 0; i < 84; ++i)
    preset.state.push_back(static_cast<uint8_t>(i * 37));
  preset.ports = {{"gain", 9.0}, {"output", -3.3000000000000003}, {"phase", 1.0}};
  WriteLV2PresetBundle(dir.string(), preset, {"urn:a", "urn:b"}, kKey);

  const std::vector<LV2Preset> back = ReadLV2PresetBundle(dir.string(), kKey);
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0].label, preset.label);
  EXPECT_EQ(back[0].state, preset.state);
  EXPECT_EQ(back[0].ports, preset.ports);
  std::filesystem::remove_all(dir);
}

TEST(LV2PresetBundle, ReadsWhatHostsWriteAndRefusesWhatIsNotTurtle)
{
  const std::string prefixes =
    "@prefix lv2: <http://lv2plug.in/ns/lv2core#> . @prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
    "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> . @prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
    "@prefix xsd: <http://www.w3.org/2001/XMLSchema#> .\n";
  // Two presets, one with ports only, one whose state sits under another key.
  const auto two =
    Parse(prefixes +
          "<#a> a pset:Preset ; rdfs:label \"A\" ; lv2:port [ lv2:symbol \"gain\" ; pset:value 3 ] .\n"
          "<#b> a pset:Preset ; rdfs:label \"B\" ; state:state [ <urn:other#state> \"AAEC\"^^xsd:base64Binary ;"
          " <" +
          kKey + "> \"AAEC\"^^xsd:base64Binary ] .\n");
  ASSERT_EQ(two.size(), 2u);
  EXPECT_EQ(two[0].label, "A");
  EXPECT_TRUE(two[0].state.empty());
  ASSERT_EQ(two[0].ports.size(), 1u);
  EXPECT_EQ(two[0].ports[0], (std::pair<std::string, double>{"gain", 3.0}));
  EXPECT_EQ(two[1].state, (std::vector<uint8_t>{0, 1, 2}));

  // Blank nodes of different files stay apart.
  const auto files = ParseLV2Presets({{prefixes + "<p> a pset:Preset ; lv2:port _:b1 .", "file:///x/m.ttl"},
                                      {prefixes + "_:b1 lv2:symbol \"gain\" ; pset:value 1 .", "file:///x/p.ttl"}},
                                     kKey);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_TRUE(files[0].ports.empty());

  for (const std::string bad : {"<a> <b> .", "@prefix x <y> .", "<a> <b> \"unterminated ."})
    EXPECT_THROW(Parse(bad), ToolError) << bad;
  EXPECT_THROW(ReadLV2PresetBundle("/nonexistent/bundle.lv2", kKey), ToolError);
}
namespace fs = std::filesystem;
using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::UnorderedElementsAre;
using ::testing::UnorderedElementsAreArray;

// A bundle folder of its own, removed afterwards.
struct Bundle
{
  Bundle() : dir(fs::temp_directory_path() / ("corvane_bundle_" + std::to_string(::getpid()))) { fs::remove_all(dir); }
  ~Bundle() { fs::remove_all(dir); }

  std::string Read(const std::string& name) const
  {
    std::ifstream in(dir / name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  void Write(const std::string& name, const std::string& text) const
  {
    fs::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary) << text;
  }
  std::vector<std::string> Files() const
  {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
      names.push_back(entry.path().filename().string());
    return names;
  }
  std::vector<std::string> Labels() const
  {
    std::vector<std::string> labels;
    for (const LV2Preset& p : ReadLV2PresetBundle(dir.string(), kKey))
      labels.push_back(p.label);
    return labels;
  }
  // The presets manifest.ttl itself names: hosts look no further for them.
  size_t ListedInManifest() const
  {
    return ParseLV2Presets({{Read("manifest.ttl"), "file://" + (dir / "manifest.ttl").string()}}, kKey).size();
  }

  fs::path dir;
};

LV2Preset Preset(const std::string& label, double gain)
{
  LV2Preset p;
  p.label = label;
  p.ports = {{"gain", gain}};
  return p;
}

TEST(LV2PresetBundle, PresetsAreAddedToABundleAndOneOfTheSameLabelReplaced)
{
  const Bundle bundle;
  const struct
  {
    std::string label;
    double gain;
    bool replaces;
    std::vector<std::string> files; // besides manifest.ttl
  } steps[] = {
    {"warm", 1, false, {"warm.ttl"}},
    {"cold", 2, false, {"warm.ttl", "cold.ttl"}},
    {"warm", 3, true, {"warm.ttl", "cold.ttl"}},
    // Two labels that make one file name: the second gets a name of its own.
    {"A B", 4, false, {"warm.ttl", "cold.ttl", "A_B.ttl"}},
    {"A_B", 5, false, {"warm.ttl", "cold.ttl", "A_B.ttl", "A_B-2.ttl"}},
    {"A B", 6, true, {"warm.ttl", "cold.ttl", "A_B.ttl", "A_B-2.ttl"}},
  };
  std::map<std::string, double> expected;
  for (const auto& step : steps)
  {
    EXPECT_EQ(WriteLV2PresetBundle(bundle.dir.string(), Preset(step.label, step.gain), {"urn:a"}, kKey), step.replaces)
      << step.label;
    expected[step.label] = step.gain;
    std::vector<std::string> files = step.files;
    files.push_back("manifest.ttl");
    EXPECT_THAT(bundle.Files(), UnorderedElementsAreArray(files)) << step.label;
    std::map<std::string, double> read;
    for (const LV2Preset& p : ReadLV2PresetBundle(bundle.dir.string(), kKey))
      read[p.label] = p.ports.at(0).second;
    EXPECT_EQ(read, expected) << step.label;
    EXPECT_EQ(bundle.ListedInManifest(), expected.size()) << step.label;
  }

  // -n refuses to replace a preset and leaves the bundle as it was.
  const std::string manifest = bundle.Read("manifest.ttl");
  EXPECT_THAT(ErrorOf([&] { WriteLV2PresetBundle(bundle.dir.string(), Preset("cold", 9), {"urn:a"}, kKey, true); }),
              HasSubstr("holds a preset \"cold\" already"));
  EXPECT_EQ(bundle.Read("manifest.ttl"), manifest);
  EXPECT_NO_THROW(WriteLV2PresetBundle(bundle.dir.string(), Preset("new", 9), {"urn:a"}, kKey, true));
  EXPECT_EQ(bundle.ListedInManifest(), expected.size() + 1);
}

TEST(LV2PresetBundle, OtherWritersBundlesKeepWhatTheyHoldAndPluginBundlesAreRefused)
{
  const std::string prefixes = "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                               "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
                               "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n";
  {
    // A host's bundle: its own statements in the manifest, and a preset
    // whose manifest entry an older writer lost.
    const Bundle bundle;
    bundle.Write("manifest.ttl", prefixes + "<Host%20Preset.ttl> a pset:Preset ; lv2:appliesTo <urn:a> ;\n"
                                            "  rdfs:seeAlso <Host%20Preset.ttl> ; pset:bank <urn:bank:1> .\n"
                                            "<urn:bank:1> rdfs:label \"Bank one\" .\n");
    bundle.Write("Host Preset.ttl", prefixes + "<> a pset:Preset ; rdfs:label \"host\" .\n");
    bundle.Write("lost.ttl", prefixes + "<> a pset:Preset ; lv2:appliesTo <urn:b> ; rdfs:label \"lost\" .\n");
    WriteLV2PresetBundle(bundle.dir.string(), Preset("mine", 1), {"urn:a"}, kKey);
    const std::string manifest = bundle.Read("manifest.ttl");
    for (const char* kept : {"Bank one", "<urn:bank:1>", "<Host%20Preset.ttl>", "<lost.ttl>", "<urn:b>", "<mine.ttl>"})
      EXPECT_THAT(manifest, HasSubstr(kept));
    EXPECT_THAT(manifest, Not(HasSubstr("file:"))) << "names in the bundle stay relative";
    EXPECT_EQ(bundle.ListedInManifest(), 3u);
    EXPECT_THAT(bundle.Labels(), UnorderedElementsAre("host", "lost", "mine"));

    // Replacing the host's preset drops its entry and its file, and nothing else.
    WriteLV2PresetBundle(bundle.dir.string(), Preset("host", 2), {"urn:a"}, kKey);
    EXPECT_THAT(bundle.Files(), UnorderedElementsAre("manifest.ttl", "host.ttl", "lost.ttl", "mine.ttl"));
    EXPECT_THAT(bundle.Read("manifest.ttl"), AllOf(HasSubstr("Bank one"), Not(HasSubstr("Host%20Preset"))));
    EXPECT_EQ(bundle.ListedInManifest(), 3u);
  }
  // A plug-in's bundle, or a UI's (code in the bundle), is not written into.
  for (const std::string& manifest :
       {prefixes + "<urn:corvane> a lv2:Plugin ; lv2:binary <Corvane.so> ; rdfs:seeAlso <Corvane.ttl> .\n",
        prefixes + "<urn:corvane#ui> lv2:binary <CorvaneUI.so> .\n"})
  {
    const Bundle bundle;
    bundle.Write("manifest.ttl", manifest);
    EXPECT_THAT(ErrorOf([&] { WriteLV2PresetBundle(bundle.dir.string(), Preset("x", 1), {"urn:a"}, kKey); }),
                HasSubstr("a plug-in's bundle"));
    EXPECT_EQ(bundle.Read("manifest.ttl"), manifest);
    EXPECT_THAT(bundle.Files(), ElementsAre("manifest.ttl"));
  }
}

TEST(TurtleNesting, DepthIsNeverUnderstatedWhateverTheBracketsStandIn)
{
  const struct
  {
    std::string text;
    size_t line; // where three levels are passed; 0: never
  } cases[] = {
    {"<a> <b> ( ( ( ) ) ) , [ <c> [ <d> [ ] ] ] .", 0},
    {"<a> <b> ( [ <c> ( ( 1 ) ) ] ) .", 1},
    {"<a> <b>\n(\n(\n(\n(", 5},
    // Closing brackets the parser does not take as such count for nothing.
    {"<a> <b> ( ( \"))))\" ( ( ", 1},
    {"<a> <b> ( ( '''\n)))\n''' ( ( ", 3},
    {"<a> <b> ( ( # ))))\n ( ( ", 2},
    {"<a> <b> ( ( <urn:x)))> ( ( ", 1},
    {"<a> <b> ( ( ex:a\\) ( ( ", 1},
    {"<a> <b> ( ( \"\\\")))\" ( ( ", 1},
    // Opening ones count wherever they stand.
    {"<a> rdfs:label \"((((\" .", 1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(LineWhereNestingPasses(c.text, 3), c.line) << c.text;
}

TEST(LV2PresetBundle, DeeplyNestedTurtleIsRefusedBeforeItIsParsed)
{
  const auto nested = [](const std::string& open, const std::string& close, int levels) {
    std::string text = "<a> <b> ";
    for (int i = 0; i < levels; ++i)
      text += open;
    text += " 1 ";
    for (int i = 0; i < levels; ++i)
      text += close;
    return text + " .\n";
  };
  EXPECT_NO_THROW(Parse(nested("(", ")", kMaxTurtleNesting)));
  EXPECT_NO_THROW(Parse(nested("[ <p> ", "]", kMaxTurtleNesting)));
  // The two shapes that crashed the parser: 30,000 lists, 20,000 blank nodes.
  for (const std::string& text :
       {nested("(", ")", 30000), nested("[ <p> ", "]", 20000), nested("(", ")", kMaxTurtleNesting + 1)})
    EXPECT_THAT(ErrorOf([&] { Parse(text); }), HasSubstr("p.ttl: line 1: brackets nested more than 64 levels deep"));
}
} // namespace
} // namespace corvane::host
