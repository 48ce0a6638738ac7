#include "tools/corvane/UnitSettings.h"

namespace corvane::host {

std::vector<ParamSetting> ParseSettings(const std::vector<ParamDesc>& params,
                                        const std::vector<std::string>& assignments)
{
  std::vector<ParamSetting> settings;
  for (const std::string& assignment : assignments)
    settings.push_back(ParseParamAssignment(params, assignment));
  return settings;
}

std::string CurrentValueText(const HostedUnit& unit, const ParamDesc& p)
{
  const double now = unit.GetParameter(p.id);
  std::string shown = unit.StringFromValue(p.id, now).value_or(std::to_string(now));
  const std::string unitText = p.valueStrings.empty() ? UnitText(p) : "";
  if (!unitText.empty())
    shown += " " + unitText;
  return shown;
}

std::string ApplySettings(HostedUnit& unit, const std::vector<ParamDesc>& params,
                          const std::vector<ParamSetting>& settings)
{
  std::string applied;
  for (const ParamSetting& s : settings)
  {
    const ParamDesc& p = params[s.paramIndex];
    // The parameter converts its own text (stepping, rounding); the host's
    // reading stands in when the unit offers no conversion.
    unit.SetParameter(p.id, unit.ValueFromString(p.id, s.text).value_or(s.value));
    applied += (applied.empty() ? "" : ", ") + p.name + "=" + CurrentValueText(unit, p);
  }
  return applied;
}

} // namespace corvane::host
