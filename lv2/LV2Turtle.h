#pragma once
// Writes an LV2 bundle's data files from live plug-in objects: the manifest
// and one description per plug-in, with every port, range, default, scale
// point and unit taken from the parameter model.

#include "lv2/TurtleString.h"

#include <ostream>
#include <string>
#include <vector>

namespace iplug {
class IPlugLV2;

struct LV2BundleFiles
{
  std::string binary;   // shared library file name inside the bundle
  std::string dataFile; // the plug-ins' description file name
  std::string uiURI;    // empty: no editor
  std::string uiBinary;
};

/** Writes manifest.ttl for `plugs` (one object per plug-in). */
void WriteLV2Manifest(std::ostream& out, const std::vector<const IPlugLV2*>& plugs, const LV2BundleFiles& files);
/** Writes the description of every plug-in in `plugs`, and of the editor when there is one. */
void WriteLV2PluginData(std::ostream& out, const std::vector<const IPlugLV2*>& plugs, const LV2BundleFiles& files);

} // namespace iplug
