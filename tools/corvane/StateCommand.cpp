// corvane state FILE: what a saved state (.aupreset) holds; with --save, a
// state written from settings without rendering. The header comes
// from the file; the parameters are read the way a host reads them: the
// state is applied to a fresh instance of the unit, then each parameter's
// value and its display text are asked of the unit.

#include "tools/corvane/Commands.h"
#include "tools/corvane/HostedUnit.h"
#include "tools/corvane/Messages.h"
#include "tools/corvane/ParamListing.h"
#include "tools/corvane/StateData.h"
#include "tools/corvane/StateFile.h"
#include "tools/corvane/ToolError.h"
#include "tools/corvane/UnitSettings.h"
#include "tools/corvane/UnitSetup.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace corvane::host {
namespace {

const char* const kStateUsage =
  "usage: corvane state FILE.aupreset [--json] [--component PATH]\n"
  "       corvane state --save FILE.aupreset [-p NAME=VALUE ...] [--state FROM.aupreset] [-n | --force] [--json]\n"
  "  shows the component, preset name, editor size and every parameter a saved state holds;\n"
  "  with --save, writes a state from the settings (after FROM, if given) and shows it\n"
  "  -p, --param      set a parameter by name or index, as in 'corvane render'\n"
  "  --state FROM     start from this saved state (FILE may name it too)\n"
  "  -n, --no-clobber never replace an existing file\n"
  "  --force          replace FILE even when it is not a saved state\n"
  "  --json           print the state as a JSON object\n";

struct StateOptions
{
  std::string path;     // the state to show, or to start from with --save
  std::string savePath; // --save
  UnitOptions unit;     // --component, -p; --state FROM (kept in `path`)
  bool json = false;
  bool noClobber = false;
  bool force = false; // --save may replace a file that is not a saved state
};

StateOptions ParseStateOptions(const std::vector<std::string>& args)
{
  StateOptions o;
  for (size_t i = 0; i < args.size(); ++i)
  {
    const std::string& a = args[i];
    const auto value = [&](const char* name, std::string& out) {
      const std::string n = name;
      if (a == n)
      {
        if (i + 1 >= args.size())
          throw UsageError("option " + a + " needs a value");
        out = args[++i];
        return true;
      }
      if (a.starts_with(n + "="))
      {
        out = a.substr(n.size() + 1);
        return true;
      }
      return false;
    };
    std::string text;
    if (a == "--json")
      o.json = true;
    else if (a == "-n" || a == "--no-clobber")
      o.noClobber = true;
    else if (a == "--force")
      o.force = true;
    else if (TakeUnitOption(args, i, o.unit, kSettingOptions))
      continue;
    else if (value("--save", text))
    {
      if (text.empty())
        throw UsageError("empty state file name");
      o.savePath = text;
    }
    else if (a.starts_with("-") && a != "-")
      throw UsageError("unknown option '" + a + "'");
    else if (!o.path.empty())
      throw UsageError("more than one state file given ('" + o.path + "' and '" + a + "')");
    else if (a.empty())
      throw UsageError("empty state file name");
    else
      o.path = a;
  }
  const std::string from = o.unit.stateIn;
  if (!from.empty())
  {
    if (!o.path.empty())
      throw UsageError("two states to start from ('" + o.path + "' and --state '" + from + "')");
    o.path = from;
  }
  o.unit.stateIn = o.path;
  if (o.savePath.empty())
  {
    if (!from.empty() || !o.unit.params.empty())
      throw UsageError("--state and -p need --save FILE: 'corvane state' only shows a file unless it saves one");
    if (o.path.empty())
      throw UsageError("no state file given");
  }
  return o;
}

std::string VersionText(SInt32 version)
{
  const auto v = static_cast<UInt32>(version);
  char text[64];
  std::snprintf(text, sizeof text, "%u.%u.%u", v >> 16, (v >> 8) & 0xFF, v & 0xFF);
  return text;
}

std::string FormatStateText(const StateFile& state, const HostedUnit& unit, const std::vector<ParamDesc>& params)
{
  std::string out;
  const auto line = [&](const std::string& label, const std::string& value) { out += label + value + "\n"; };
  line("file:         ", Printable(state.path));
  line("component:    ", ComponentCodesText(state.type, state.subtype, state.manufacturer) + " (type " +
                           FourCCText(state.type) + ", subtype " + FourCCText(state.subtype) + ", manufacturer " +
                           FourCCText(state.manufacturer) + ")");
  char code[16];
  std::snprintf(code, sizeof code, "0x%08X", static_cast<UInt32>(state.version));
  line("version:      ", VersionText(state.version) + " (" + code + ")");
  line("preset name:  ", state.name.empty() ? "(none)" : Printable(state.name));
  line("editor size:  ", FormatEditorRecord(*ReadEditorRecord(state.data)));
  std::string dataText = std::to_string(state.data.size()) + " bytes";
  if (state.data.size() > StateDataBytes(params.size()))
    dataText += " (" + std::to_string(state.data.size() - StateDataBytes(params.size())) +
                " beyond the parameter values, not read)";
  line("data:         ", dataText);
  line("parameters:   ", std::to_string(params.size()));

  size_t width = 0;
  for (const ParamDesc& p : params)
    width = std::max(width, Printable(p.name).size());
  for (const ParamDesc& p : params)
  {
    char index[16];
    std::snprintf(index, sizeof index, "  %2u  ", static_cast<unsigned>(p.id));
    const std::string name = Printable(p.name);
    out += index + name + std::string(width - name.size() + 2, ' ') + Printable(CurrentValueText(unit, p)) + "\n";
  }
  return out;
}

std::string FormatStateJson(const StateFile& state, const HostedUnit& unit, const std::vector<ParamDesc>& params)
{
  const auto number = [](double v) {
    if (!std::isfinite(v))
      return std::string("null");
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", v);
    return std::string(text);
  };
  std::string out = "{\n";
  out += "  \"file\": " + JsonString(state.path) + ",\n";
  out += "  \"type\": " + JsonString(FourCCText(state.type)) + ",\n";
  out += "  \"subtype\": " + JsonString(FourCCText(state.subtype)) + ",\n";
  out += "  \"manufacturer\": " + JsonString(FourCCText(state.manufacturer)) + ",\n";
  out += "  \"version\": " + JsonString(VersionText(state.version)) + ",\n";
  out += "  \"versionCode\": " + std::to_string(state.version) + ",\n";
  out += "  \"presetName\": " + JsonString(state.name) + ",\n";
  const EditorRecord editor = *ReadEditorRecord(state.data);
  const bool stored = editor.width != 0 || editor.height != 0 || editor.scale != 0.0f;
  out += "  \"editor\": " +
         (stored ? "{\"width\": " + std::to_string(editor.width) + ", \"height\": " + std::to_string(editor.height) +
                     ", \"scale\": " + number(editor.scale) + "}"
                 : std::string("null")) +
         ",\n";
  out += "  \"dataBytes\": " + std::to_string(state.data.size()) + ",\n";
  out += "  \"parameters\": [\n";
  for (size_t i = 0; i < params.size(); ++i)
  {
    const ParamDesc& p = params[i];
    out += "    {\"index\": " + std::to_string(p.id) + ", \"name\": " + JsonString(p.name) +
           ", \"value\": " + number(unit.GetParameter(p.id)) + ", \"text\": " + JsonString(CurrentValueText(unit, p)) +
           "}" + (i + 1 < params.size() ? "," : "") + "\n";
  }
  return out + "  ]\n}\n";
}

} // namespace

int RunState(const std::vector<std::string>& args)
{
  if (PrintedHelp(args, kStateUsage))
    return 0;
  const StateOptions options = ParseStateOptions(args);
  std::string shown = options.path;
  if (!options.savePath.empty())
  {
    const UnitSetup setup(options.unit);
    WriteStateFile(options.savePath, setup.StateXml(), options.noClobber, options.force);
    shown = options.savePath;
  }

  // What the file holds, read back the way a host reads it: through a fresh
  // instance that took the state.
  const auto unit = OpenComponent(options.unit);
  const std::vector<ParamDesc> params = unit->Parameters();
  const StateFile state = ApplyStateFile(*unit, shown, params.size());
  std::fputs((options.json ? FormatStateJson(state, *unit, params) : FormatStateText(state, *unit, params)).c_str(),
             stdout);
  return 0;
}

} // namespace corvane::host
