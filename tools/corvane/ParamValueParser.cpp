#include "tools/corvane/ParamValueParser.h"

#include "tools/corvane/ToolError.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace corvane::host {
namespace {

std::string_view Trim(std::string_view s)
{
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
    s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
    s.remove_suffix(1);
  return s;
}

// Lower case without the characters in `drop`.
std::string Fold(std::string_view s, std::string_view drop)
{
  std::string out;
  for (unsigned char c : s)
    if (!std::isspace(c) && drop.find(static_cast<char>(c)) == std::string_view::npos)
      out.push_back(static_cast<char>(std::tolower(c)));
  return out;
}

std::string FoldName(std::string_view s) { return Fold(s, "_-"); }
std::string FoldValue(std::string_view s) { return Fold(s, ""); }

// A leading decimal number; `rest` gets what follows it. False when there is
// no finite number at the start.
bool LeadingNumber(std::string_view s, double& value, std::string_view& rest)
{
  s = Trim(s);
  if (!s.empty() && s.front() == '+')
    s.remove_prefix(1);
  if (s.empty() || !(std::isdigit(static_cast<unsigned char>(s.front())) || s.front() == '-' || s.front() == '.'))
    return false;
  const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (error != std::errc() || !std::isfinite(value))
    return false;
  rest = Trim(std::string_view(end, static_cast<size_t>(s.data() + s.size() - end)));
  return true;
}

bool WholeNumber(std::string_view s, double& value)
{
  std::string_view rest;
  return LeadingNumber(s, value, rest) && rest.empty();
}

std::string FormatNumber(double v)
{
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", v);
  return text;
}

std::string JoinTexts(const std::vector<std::string>& texts)
{
  std::string out;
  for (const auto& t : texts)
    out += (out.empty() ? "" : ", ") + t;
  return out;
}

bool IsSwitch(const ParamDesc& p) { return p.IsStepped() && p.minValue == 0.0 && p.maxValue == 1.0; }

// 1 for on/true/yes, 0 for off/false/no on a two-state parameter, else -1.
int SwitchWord(const ParamDesc& p, std::string_view text)
{
  if (!IsSwitch(p))
    return -1;
  const std::string folded = FoldValue(text);
  if (folded == "on" || folded == "true" || folded == "yes")
    return 1;
  if (folded == "off" || folded == "false" || folded == "no")
    return 0;
  return -1;
}

ParamSetting FromValueTexts(const ParamDesc& p, std::string_view text)
{
  const auto& texts = p.valueStrings;
  const auto pick = [&](size_t i) { return ParamSetting{0, texts[i], p.minValue + static_cast<double>(i)}; };

  for (size_t i = 0; i < texts.size(); ++i)
    if (texts[i] == text)
      return pick(i);

  const std::string folded = FoldValue(text);
  for (size_t i = 0; i < texts.size(); ++i)
    if (FoldValue(texts[i]) == folded)
      return pick(i);

  // "on" for "Oversampling On": the last word of exactly one text.
  std::vector<size_t> hits;
  for (size_t i = 0; i < texts.size(); ++i)
  {
    const size_t space = texts[i].find_last_of(' ');
    if (space != std::string::npos && FoldValue(std::string_view(texts[i]).substr(space + 1)) == folded)
      hits.push_back(i);
  }
  if (hits.size() == 1)
    return pick(hits.front());

  // A two-state parameter takes on/off and true/false whatever its texts.
  if (const int state = SwitchWord(p, text); state >= 0 && static_cast<size_t>(state) < texts.size())
    return pick(static_cast<size_t>(state));

  double number = 0.0;
  if (WholeNumber(text, number))
  {
    // "40" for "40dB": when the texts are numbers with a unit, a bare number
    // means the text it leads, never a raw value ("Gain=10" is 10dB).
    hits.clear();
    bool numericTexts = false;
    for (size_t i = 0; i < texts.size(); ++i)
    {
      double lead = 0.0;
      std::string_view unit;
      if (LeadingNumber(texts[i], lead, unit) && !unit.empty())
      {
        numericTexts = true;
        if (lead == number)
          hits.push_back(i);
      }
    }
    if (hits.size() == 1)
      return pick(hits.front());
    // Otherwise a whole number in range is the raw value ("Oversampling=1").
    if (!numericTexts && number == std::floor(number) && number >= p.minValue && number <= p.maxValue)
    {
      const auto i = static_cast<size_t>(number - p.minValue);
      if (i < texts.size())
        return pick(i);
      return ParamSetting{0, FormatNumber(number), number};
    }
  }
  throw UsageError("invalid value '" + std::string(text) + "' for " + p.name + "; valid: " + JoinTexts(texts) +
                   ", or #" + FormatNumber(p.minValue) + " to #" + FormatNumber(p.maxValue) + " by index");
}

ParamSetting FromNumber(const ParamDesc& p, std::string_view text)
{
  const std::string unit = UnitText(p);
  const std::string range =
    FormatNumber(p.minValue) + " to " + FormatNumber(p.maxValue) + (unit.empty() ? "" : " " + unit);

  if (const int state = SwitchWord(p, text); state >= 0)
    return ParamSetting{0, std::to_string(state), static_cast<double>(state)};

  double value = 0.0;
  std::string_view rest;
  const bool unitOk =
    LeadingNumber(text, value, rest) && (rest.empty() || (!unit.empty() && FoldValue(rest) == FoldValue(unit)));
  if (!unitOk)
    throw UsageError("invalid value '" + std::string(text) + "' for " + p.name + "; expected a number from " + range +
                     (IsSwitch(p) ? " (or on/off)" : ""));
  if (p.IsStepped() && value != std::floor(value))
    throw UsageError("invalid value '" + std::string(text) + "' for " + p.name + "; expected a whole number from " +
                     range);
  const double tolerance = 1e-9 * std::max(1.0, std::fabs(p.maxValue - p.minValue));
  if (value < p.minValue - tolerance || value > p.maxValue + tolerance)
    throw UsageError("value '" + std::string(text) + "' for " + p.name + " is out of range " + range);
  value = std::clamp(value, p.minValue, p.maxValue);
  return ParamSetting{0, FormatNumber(value), value};
}

// "#12": the raw value as "corvane params" lists it, never read as a
// displayed number. Value texts carry it to the unit, so the unit's own
// reading of the text cannot move it.
ParamSetting FromIndex(const ParamDesc& p, std::string_view text)
{
  double value = 0.0;
  std::string_view rest;
  const bool number = LeadingNumber(text.substr(1), value, rest) && rest.empty();
  const bool whole = value == std::floor(value);
  if (!number || (p.IsStepped() && !whole) || value < p.minValue || value > p.maxValue)
    throw UsageError("invalid value '" + std::string(text) + "' for " + p.name + "; expected #" +
                     FormatNumber(p.minValue) + " to #" + FormatNumber(p.maxValue) +
                     (p.IsStepped() ? " (whole numbers)" : ""));
  const auto i = static_cast<size_t>(value - p.minValue);
  if (whole && i < p.valueStrings.size())
    return ParamSetting{0, p.valueStrings[i], value};
  return ParamSetting{0, FormatNumber(value), value};
}

std::string ListNames(const std::vector<ParamDesc>& params)
{
  std::string out;
  for (const auto& p : params)
    out += (out.empty() ? "" : ", ") + std::to_string(p.id) + " " + p.name;
  return out;
}

} // namespace

std::string UnitText(const ParamDesc& param)
{
  switch (static_cast<ParamUnit>(param.unit))
  {
    case ParamUnit::Percent: return "%";
    case ParamUnit::Seconds: return "s";
    case ParamUnit::Hertz: return "Hz";
    case ParamUnit::Decibels: return "dB";
    case ParamUnit::Milliseconds: return "ms";
    case ParamUnit::Custom: return param.unitName;
    default: return "";
  }
}

size_t FindParam(const std::vector<ParamDesc>& params, std::string_view nameOrIndex)
{
  const std::string_view wanted = Trim(nameOrIndex);
  if (!wanted.empty() && std::all_of(wanted.begin(), wanted.end(), [](unsigned char c) { return std::isdigit(c); }))
  {
    for (size_t i = 0; i < params.size(); ++i)
      if (std::to_string(params[i].id) == wanted)
        return i;
    throw UsageError("no parameter with index " + std::string(wanted) + "; valid: " + ListNames(params));
  }

  for (size_t i = 0; i < params.size(); ++i)
    if (params[i].name == wanted)
      return i;
  const std::string folded = FoldName(wanted);
  for (size_t i = 0; i < params.size(); ++i)
    if (FoldName(params[i].name) == folded)
      return i;

  std::vector<size_t> hits;
  for (size_t i = 0; i < params.size() && !folded.empty(); ++i)
    if (FoldName(params[i].name).starts_with(folded))
      hits.push_back(i);
  if (hits.size() == 1)
    return hits.front();
  throw UsageError((hits.empty() ? "unknown parameter '" : "ambiguous parameter '") + std::string(nameOrIndex) +
                   "'; valid: " + ListNames(params));
}

ParamSetting ParseParamValue(const ParamDesc& param, std::string_view text)
{
  const std::string_view trimmed = Trim(text);
  if (trimmed.empty())
    throw UsageError("missing value for " + param.name);
  if (trimmed.front() == '#')
    return FromIndex(param, trimmed);
  return param.valueStrings.empty() ? FromNumber(param, trimmed) : FromValueTexts(param, trimmed);
}

ParamSetting ParseParamAssignment(const std::vector<ParamDesc>& params, std::string_view assignment)
{
  const size_t equals = assignment.find('=');
  if (equals == std::string_view::npos || Trim(assignment.substr(0, equals)).empty())
    throw UsageError("expected -p NAME=VALUE, got '" + std::string(assignment) + "'");
  const size_t index = FindParam(params, assignment.substr(0, equals));
  ParamSetting setting = ParseParamValue(params[index], assignment.substr(equals + 1));
  setting.paramIndex = index;
  return setting;
}

} // namespace corvane::host
