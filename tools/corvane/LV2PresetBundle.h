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

  // Where a preset that was read comes from.
  std::string uri;                     // the preset itself
  std::vector<std::string> appliesTo;  // the plug-ins it names
  std::vector<std::string> declaredIn; // the files (their URIs) that call it a preset
};

/** Adds `preset` to the bundle in `dir` (created if missing): its own file
    and an entry in manifest.ttl, which keeps listing every other preset of
    the bundle. A preset with the same label is replaced, unless `noClobber`
    (then ToolError). A bundle whose manifest declares a plug-in (or other
    code) is refused, as is one that cannot be read. Returns true when a
    preset was replaced. Throws ToolError. */
bool WriteLV2PresetBundle(const std::string& dir, const LV2Preset& preset, const std::vector<std::string>& pluginURIs,
                          const std::string& stateKey, bool noClobber = false);

/** The presets that the Turtle texts (each read with its base URI, a file's
    URI) describe, in the order they first appear. Blank nodes of different
    texts are kept apart. Throws ToolError("FILE: PROBLEM") for text that is
    not Turtle or nests too deep to be read safely. */
std::vector<LV2Preset> ParseLV2Presets(const std::vector<std::pair<std::string, std::string>>& filesAndBases,
                                       const std::string& stateKey);

/** Reads every preset of the bundle in `dir`. Throws ToolError ("LV2 preset
    bundle 'DIR': PROBLEM") for a missing folder, unreadable or malformed files. */
std::vector<LV2Preset> ReadLV2PresetBundle(const std::string& dir, const std::string& stateKey);

/** Writes `text` to `path` through a temporary file renamed into place. Throws ToolError. */
void WriteFileAtomically(const std::string& path, const std::string& text);

} // namespace corvane::host
