#pragma once
// Where the Corvane.component bundle is: the --component path when given,
// else next to the program (bin/Corvane.component), one folder up
// (build/Corvane.component), or where an installation puts it
// (lib/audio-units/Corvane.component beside bin/). Empty when none of
// these exist, meaning the platform layer's own search path decides.

#include <string>
#include <vector>

namespace corvane::host {

/** The folder holding the running program. */
std::string ProgramFolder();

/** Bundle locations tried, in order, for a program in `programFolder`. */
std::vector<std::string> DefaultBundlePaths(const std::string& programFolder);

/** The bundle to load. Throws ToolError when `explicitPath` is given but is
    not a bundle folder. */
std::string LocateComponentBundle(const std::string& explicitPath, const std::string& programFolder);

} // namespace corvane::host
