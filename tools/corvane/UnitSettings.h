#pragma once
// Parameter settings from the command line applied to a hosted unit, and
// parameter values shown the way the unit itself displays them.

#include "tools/corvane/HostedUnit.h"
#include "tools/corvane/ParamValueParser.h"

#include <string>
#include <vector>

namespace corvane::host {

/** Parses every "NAME=VALUE" against `params`. Throws UsageError. */
std::vector<ParamSetting> ParseSettings(const std::vector<ParamDesc>& params,
                                        const std::vector<std::string>& assignments);

/** Applies the settings in order; returns them as the unit now displays
    them ("Gain=25dB, Phase=on"). Throws ToolError. */
std::string ApplySettings(HostedUnit& unit, const std::vector<ParamDesc>& params,
                          const std::vector<ParamSetting>& settings);

/** The unit's display text of the parameter's current value, with the unit
    ("dB", "Hz") when the parameter has no value texts of its own. */
std::string CurrentValueText(const HostedUnit& unit, const ParamDesc& param);

} // namespace corvane::host
