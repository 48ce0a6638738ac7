#pragma once
// The analysis run on the loaded component: fresh instances set up as a host
// sets them up, and the settings as the unit shows them.

#include "tools/corvane/UnitAnalysis.h"
#include "tools/corvane/UnitSetup.h"

#include <vector>

namespace corvane::host {

/** Instances of the setup's component: configured for `measure`, the
    settings applied, initialised and reset, as a host prepares a unit
    before it plays. `setup` must outlive the factory. */
UnitFactory HostedUnitFactory(const UnitSetup& setup, const MeasureSetup& measure);

/** Every parameter with the unit's display text after the settings. */
std::vector<SettingText> SettingsOf(const UnitSetup& setup);

} // namespace corvane::host
