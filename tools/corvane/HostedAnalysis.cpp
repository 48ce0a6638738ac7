#include "tools/corvane/HostedAnalysis.h"

#include "tools/corvane/UnitSettings.h"

namespace corvane::host {

UnitFactory HostedUnitFactory(const UnitSetup& setup, const MeasureSetup& measure)
{
  return [&setup, measure]() -> std::unique_ptr<SliceProcessor> {
    std::unique_ptr<HostedUnit> unit = setup.OpenUnit();
    unit->Configure(measure.sampleRate, measure.channels, measure.blockSize);
    setup.ApplyTo(*unit);
    unit->Initialize();
    // Settings applied since the last reset would otherwise glide in.
    unit->Reset();
    return unit;
  };
}

std::vector<SettingText> SettingsOf(const UnitSetup& setup)
{
  const std::unique_ptr<HostedUnit> unit = setup.OpenConfiguredUnit();
  std::vector<SettingText> settings;
  for (const ParamDesc& p : setup.Params())
    settings.push_back({p.name, CurrentValueText(*unit, p), unit->GetParameter(p.id) == p.defaultValue});
  return settings;
}

} // namespace corvane::host
