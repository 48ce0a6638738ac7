// corvane state FILE: what a saved state (.aupreset) holds. The header comes
// from the file; the parameters are read the way a host reads them: the
// state is applied to a fresh instance of the unit, then each parameter's
// value and its display text are asked of the unit.

#include "tools/corvane/Commands.h"
#include "tools/corvane/ComponentLocator.h"
#include "tools/corvane/HostedUnit.h"
#include "tools/corvane/StateData.h"
#include "tools/corvane/StateFile.h"
#include "tools/corvane/ToolError.h"
#include "tools/corvane/UnitSettings.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace corvane::host {
namespace {

const char* const kStateUsage =
  "usage: corvane state FILE.aupreset [--component PATH]\n"
  "  shows the component, preset name, editor size and every parameter a saved state holds\n";

// Names and texts from a file are shown on one line each.
std::string Printable(std::string text)
{
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
      c = '?';
  return text;
}

} // namespace

int RunState(const std::vector<std::string>& args)
{
  std::string component, path;
  for (size_t i = 0; i < args.size(); ++i)
  {
    const std::string& a = args[i];
    if (a == "-h" || a == "--help")
    {
      std::fputs(kStateUsage, stdout);
      return 0;
    }
    if (a == "--component")
    {
      if (i + 1 >= args.size())
        throw UsageError("option --component needs a value");
      component = args[++i];
    }
    else if (a.starts_with("--component="))
      component = a.substr(12);
    else if (a.starts_with("-") && a != "-")
      throw UsageError("unknown option '" + a + "'");
    else if (!path.empty())
      throw UsageError("more than one state file given ('" + path + "' and '" + a + "')");
    else if (a.empty())
      throw UsageError("empty state file name");
    else
      path = a;
  }
  if (path.empty())
    throw UsageError("no state file given");

  const auto unit = HostedUnit::Open(LocateComponentBundle(component, ProgramFolder()));
  const std::vector<ParamDesc> params = unit->Parameters();
  const StateFile state = ApplyStateFile(*unit, path, params.size());

  std::string out;
  const auto line = [&](const std::string& label, const std::string& value) { out += label + value + "\n"; };
  line("file:         ", path);
  line("component:    ", ComponentCodesText(state.type, state.subtype, state.manufacturer) + " (type " + FourCCText(state.type)
                          + ", subtype " + FourCCText(state.subtype) + ", manufacturer " + FourCCText(state.manufacturer) + ")");
  const auto v = static_cast<UInt32>(state.version);
  char version[64];
  std::snprintf(version, sizeof version, "%u.%u.%u (0x%08X)", v >> 16, (v >> 8) & 0xFF, v & 0xFF, v);
  line("version:      ", version);
  line("preset name:  ", state.name.empty() ? "(none)" : Printable(state.name));
  line("editor size:  ", FormatEditorRecord(*ReadEditorRecord(state.data)));
  std::string dataText = std::to_string(state.data.size()) + " bytes";
  if (state.data.size() > StateDataBytes(params.size()))
    dataText += " (" + std::to_string(state.data.size() - StateDataBytes(params.size())) + " beyond the parameter values, not read)";
  line("data:         ", dataText);
  line("parameters:   ", std::to_string(params.size()));

  size_t width = 0;
  for (const ParamDesc& p : params)
    width = std::max(width, p.name.size());
  for (const ParamDesc& p : params)
  {
    char index[16];
    std::snprintf(index, sizeof index, "  %2u  ", static_cast<unsigned>(p.id));
    out += index + p.name + std::string(width - p.name.size() + 2, ' ') + Printable(CurrentValueText(*unit, p)) + "\n";
  }
  std::fputs(out.c_str(), stdout);
  return 0;
}

} // namespace corvane::host
