#pragma once
// The parameter table of "corvane params": as aligned text, or as JSON. The
// table lists value texts with the index form "-p" takes ("#12=40dB").

#include "tools/corvane/ParamDesc.h"

#include <string>
#include <vector>

namespace corvane::host {

struct ParamListingEntry
{
  ParamDesc param;
  std::string defaultText; // the unit's display text of the default value
};

std::string FormatParamTable(const std::vector<ParamListingEntry>& entries);
std::string FormatParamJson(const std::vector<ParamListingEntry>& entries);

/** The text as a JSON string literal, quotes included. */
std::string JsonString(const std::string& text);

} // namespace corvane::host
