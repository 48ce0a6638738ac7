#pragma once
// LV2 preset bundles: a folder with manifest.ttl and one Turtle file per
// preset. A preset names the plug-ins it applies to, its label, the value of
// every control port and the plug-in's state - for Corvane the same bytes as
// "data" in an .aupreset, base64-encoded under the plug-in's state key.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace corvane::host {

struct LV2Preset
{
  std::string label;
  std::vector<uint8_t> state;                        // empty: the preset holds port values only
  std::vector<std::pair<std::string, double>> ports; // symbol, value
};

/** Writes `preset` as a bundle in `dir` (created if missing): manifest.ttl
    and the preset's own file, each replaced whole. Throws ToolError. */
void WriteLV2PresetBundle(const std::string& dir, const LV2Preset& preset, const std::vector<std::string>& pluginURIs,
                          const std::string& stateKey);

/** The presets that Turtle `text` (read with base URI `base`) describes, in
    the order they first appear. `blankPrefix` keeps blank nodes of several
    files apart. Throws ToolError("PROBLEM") for text that is not Turtle. */
std::vector<LV2Preset> ParseLV2Presets(const std::vector<std::pair<std::string, std::string>>& filesAndBases,
                                       const std::string& stateKey);

/** Reads every preset of the bundle in `dir`. Throws ToolError ("LV2 preset
    bundle 'DIR': PROBLEM") for a missing folder, unreadable or malformed files. */
std::vector<LV2Preset> ReadLV2PresetBundle(const std::string& dir, const std::string& stateKey);

/** Writes `text` to `path` through a temporary file renamed into place. Throws ToolError. */
void WriteFileAtomically(const std::string& path, const std::string& text);

} // namespace corvane::host
