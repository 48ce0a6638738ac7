// corvane params [--json]: every parameter of the unit, from its parameter
// list, parameter info and value strings.

#include "tools/corvane/Commands.h"
#include "tools/corvane/ComponentLocator.h"
#include "tools/corvane/HostedUnit.h"
#include "tools/corvane/ParamListing.h"
#include "tools/corvane/ToolError.h"

#include <cstdio>

namespace corvane::host {

int RunParams(const std::vector<std::string>& args)
{
  bool json = false;
  std::string component;
  for (size_t i = 0; i < args.size(); ++i)
  {
    if (args[i] == "-h" || args[i] == "--help")
    {
      std::fputs("usage: corvane params [--json] [--component PATH]\n", stdout);
      return 0;
    }
    if (args[i] == "--json")
      json = true;
    else if (args[i] == "--component" && i + 1 < args.size())
      component = args[++i];
    else if (args[i].starts_with("--component="))
      component = args[i].substr(12);
    else
      throw UsageError("unexpected argument '" + args[i] + "'");
  }

  const auto unit = HostedUnit::Open(LocateComponentBundle(component, ProgramFolder()));
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
