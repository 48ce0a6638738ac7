#pragma once
// The options every command that hosts the unit shares: the component, its
// settings (--state, then -p) and --save-state. UnitSetup.h turns them into
// a unit.

#include <cstddef>
#include <string>
#include <vector>

namespace corvane::host {

struct UnitOptions
{
  std::string component;           // --component: empty searches beside the program
  std::string stateIn;             // --state: applied before the -p settings
  std::vector<std::string> params; // -p NAME=VALUE, in command-line order
  std::string stateOut;            // --save-state: the state after the settings
  bool forceStateOut = false;      // --force: --save-state may replace a file that is not a saved state
};

/** Which of the unit options a command takes. */
enum UnitOptionSet : unsigned
{
  kComponentOption = 1,
  kParamOptions = 2,
  kStateOption = 4,
  kSaveStateOption = 8,
  kSettingOptions = kComponentOption | kParamOptions | kStateOption,
  kAllUnitOptions = kSettingOptions | kSaveStateOption,
};

/** Takes args[i] into `options` when it is one of the `accepted` options
    ("--state F", "--state=F", "-p N=V", "-pN=V", "--param=N=V", "--force"
    with --save-state, ...),
    moving i past a separate value. False for any other argument. Throws
    UsageError when the value is missing or an empty file name. */
bool TakeUnitOption(const std::vector<std::string>& args, size_t& i, UnitOptions& options,
                    unsigned accepted = kAllUnitOptions);

} // namespace corvane::host
