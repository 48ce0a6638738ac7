#include "tools/corvane/UnitOptions.h"

#include "tools/corvane/ToolError.h"

namespace corvane::host {
namespace {

// "--name value", "--name=value" or, for a short name, "-n value" and "-nvalue".
bool TakeValue(const std::vector<std::string>& args, size_t& i, const std::string& longName,
               const std::string& shortName, std::string& out)
{
  const std::string& a = args[i];
  if (a == longName || (!shortName.empty() && a == shortName))
  {
    if (i + 1 >= args.size())
      throw UsageError("option " + a + " needs a value");
    out = args[++i];
    return true;
  }
  if (a.starts_with(longName + "="))
  {
    out = a.substr(longName.size() + 1);
    return true;
  }
  if (!shortName.empty() && a.size() > shortName.size() && a.starts_with(shortName) && !a.starts_with("--"))
  {
    out = a.substr(shortName.size());
    return true;
  }
  return false;
}

const std::string& FileName(const std::string& text)
{
  if (text.empty())
    throw UsageError("empty state file name");
  return text;
}

} // namespace

bool TakeUnitOption(const std::vector<std::string>& args, size_t& i, UnitOptions& options, unsigned accepted)
{
  std::string text;
  if ((accepted & kComponentOption) && TakeValue(args, i, "--component", "", text))
    options.component = text;
  else if ((accepted & kParamOptions) && TakeValue(args, i, "--param", "-p", text))
    options.params.push_back(text);
  else if ((accepted & kStateOption) && TakeValue(args, i, "--state", "", text))
    options.stateIn = FileName(text);
  else if ((accepted & kSaveStateOption) && TakeValue(args, i, "--save-state", "", text))
    options.stateOut = FileName(text);
  else if ((accepted & kSaveStateOption) && args[i] == "--force")
    options.forceStateOut = true;
  else
    return false;
  return true;
}

} // namespace corvane::host
