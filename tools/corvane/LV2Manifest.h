#pragma once
// The manifest.ttl of an LV2 preset bundle: an existing one copied with the
// statements about some presets left out, and entries for presets added.

#include <set>
#include <string>
#include <vector>

namespace corvane::host {

/** The prefixes the preset files and manifest entries use. */
extern const char* const kPresetPrefixes;

struct ManifestCopy
{
  std::string turtle; // the statements kept, with the manifest's own prefixes
  std::string code;   // something the manifest declares a plug-in or a binary; empty when nothing
};

/** The manifest `text` (at `uri`) without the statements about the
    subjects in `dropped` and the blank nodes only they lead to. Everything
    else is kept, with its names as written. Throws ToolError for text that
    cannot be read. */
ManifestCopy CopyManifest(const std::string& text, const std::string& uri, std::set<std::string> dropped);

/** A manifest entry: `subject` is a preset for `appliesTo`, described in
    `seeAlso` (URIs, relative to the bundle or whole). */
std::string ManifestEntry(const std::string& subject, const std::vector<std::string>& appliesTo,
                          const std::vector<std::string>& seeAlso);

} // namespace corvane::host
