#pragma once
// Reads the user's "-p NAME=VALUE" settings against the unit's parameters.
// Names match exactly, ignoring case and spaces, by unique prefix, or by
// index. Values of parameters with value texts match a text ("40dB", "70 hz",
// "off", "on" for "Oversampling On"), a number that leads exactly one text
// ("40" for "40dB"), or, where no text is a number, a whole number in range as
// the raw value. Other values are numbers, optionally with
// their unit ("-3.5dB"), and must lie in range. "#N" is the raw value N as
// "corvane params" lists it ("Gain=#12"), and every two-state parameter
// takes on/off, true/false and yes/no. Anything else is a
// UsageError that lists what is valid.

#include "tools/corvane/ParamDesc.h"

#include <string>
#include <string_view>
#include <vector>

namespace corvane::host {

struct ParamSetting
{
  size_t paramIndex = 0; // position in the list given to the parser
  std::string text;      // canonical text for the unit to convert: a value text or a plain number
  double value = 0.0;    // the host's own reading of the value
};

/** Position of the parameter named by `nameOrIndex`; throws UsageError. */
size_t FindParam(const std::vector<ParamDesc>& params, std::string_view nameOrIndex);

/** The setting for `text` on `param`; throws UsageError. */
ParamSetting ParseParamValue(const ParamDesc& param, std::string_view text);

/** Splits "NAME=VALUE" and resolves both; throws UsageError. */
ParamSetting ParseParamAssignment(const std::vector<ParamDesc>& params, std::string_view assignment);

} // namespace corvane::host
