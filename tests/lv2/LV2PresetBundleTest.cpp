// LV2 preset bundles as the command-line host writes and reads them.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tools/corvane/LV2PresetBundle.h"
#include "tools/corvane/ToolError.h"

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
} // namespace
} // namespace corvane::host
