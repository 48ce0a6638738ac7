// corvane params [--json]: every parameter of the unit, from its parameter
// list, parameter info and value strings.

#include "tools/corvane/Commands.h"
#include "tools/corvane/ParamListing.h"
#include "tools/corvane/ToolError.h"
#include "tools/corvane/UnitSetup.h"

#include <cstdio>

namespace corvane::host {

int RunParams(const std::vector<std::string>& args)
{
  if (PrintedHelp(args, "usage: corvane params [--json] [--component PATH]\n"))
    return 0;
  bool json = false;
  UnitOptions options;
  for (size_t i = 0; i < args.size(); ++i)
  {
    if (args[i] == "--json")
      json = true;
    else if (!TakeUnitOption(args, i, options, kComponentOption))
      throw UsageError("unexpected argument '" + args[i] + "'");
  }

  const auto unit = OpenComponent(options);
  std::vector<ParamListingEntry> entries;
  for (ParamDesc& p : unit->Parameters())
  {
    const std::string text = unit->StringFromValue(p.id, p.defaultValue).value_or("");
    entries.push_back({std::move(p), text});
  }
  std::fputs((json ? FormatParamJson(entries) : FormatParamTable(entries)).c_str(), stdout);
  return 0;
}

} // namespace corvane::host
