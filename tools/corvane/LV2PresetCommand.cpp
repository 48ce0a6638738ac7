// corvane lv2-preset: converts a saved state between the two formats.
//   FILE.aupreset -o BUNDLE.lv2   the state as an LV2 preset bundle
//   BUNDLE.lv2 -o FILE.aupreset   an LV2 preset as an .aupreset
// Both directions go through a fresh instance of the unit, so a state the
// unit refuses is reported and nothing is written.

#include "lv2/LV2Symbol.h"
#include "tools/corvane/CFText.h"
#include "tools/corvane/Commands.h"
#include "tools/corvane/HostedUnit.h"
#include "tools/corvane/LV2PresetBundle.h"
#include "tools/corvane/Messages.h"
#include "tools/corvane/StateData.h"
#include "tools/corvane/StateFile.h"
#include "tools/corvane/ToolError.h"
#include "tools/corvane/UnitSetup.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

namespace corvane::host {
namespace {

const char* const kUsage =
  "usage: corvane lv2-preset FILE.aupreset -o BUNDLE.lv2 [-n] [--component PATH]\n"
  "       corvane lv2-preset BUNDLE.lv2 -o FILE.aupreset [--preset LABEL] [-n | --force] [--component PATH]\n"
  "  converts a saved state into an LV2 preset for both Corvane LV2 plug-ins, added to the bundle\n"
  "  (a preset of the same label is replaced), or an LV2 preset (its state, or else its port values)\n"
  "  into an .aupreset\n"
  "  -n, --no-clobber never replace an existing file or preset\n"
  "  --force          replace FILE.aupreset even when it is not a saved state\n";

struct ConvertOptions
{
  std::string in, out, label;
  bool noClobber = false;
  bool force = false;
};

std::string StateKey() { return std::string(corvane::kLV2Uri) + "#state"; }

int ToBundle(HostedUnit& unit, const ConvertOptions& options)
{
  const std::string& in = options.in;
  const std::string& out = options.out;
  const std::vector<ParamDesc> params = unit.Parameters();
  const StateFile state = ApplyStateFile(unit, in, params.size());
  LV2Preset preset;
  preset.label = state.name.empty() ? std::filesystem::path(in).stem().string() : state.name;
  preset.state = state.data;
  for (const ParamDesc& p : params)
    preset.ports.emplace_back(iplug::LV2Symbol(p.name), unit.GetParameter(p.id));
  const bool replaced =
    WriteLV2PresetBundle(out, preset, {corvane::kLV2Uri, corvane::kLV2MonoUri}, StateKey(), options.noClobber);
  std::printf("wrote LV2 preset \"%s\" to %s%s\n", Printable(preset.label).c_str(), Printable(out).c_str(),
              replaced ? " (replacing the preset of that label)" : "");
  return 0;
}

const LV2Preset& ChoosePreset(const std::vector<LV2Preset>& presets, const std::string& in, const std::string& label)
{
  const std::string what = "LV2 preset bundle '" + in + "': ";
  std::string labels;
  for (const LV2Preset& p : presets)
  {
    if (!label.empty() && p.label == label)
      return p;
    labels += (labels.empty() ? "\"" : ", \"") + p.label + "\"";
  }
  if (presets.empty())
    throw ToolError(what + "holds no preset");
  if (!label.empty())
    throw ToolError(what + "no preset \"" + label + "\"; it holds " + labels);
  if (presets.size() > 1)
    throw ToolError(what + "holds " + std::to_string(presets.size()) + " presets (" + labels +
                    "); choose one with --preset");
  return presets.front();
}

// The state bytes for a preset that has only port values: an empty editor
// record and every parameter from its port, or its default when missing. A
// value beyond the parameter's range (1e999 reads as infinity) is clamped
// into it, with a warning.
std::vector<uint8_t> StateFromPorts(const LV2Preset& preset, const std::vector<ParamDesc>& params,
                                    const std::string& in)
{
  std::vector<uint8_t> data(kEditorRecordBytes, 0);
  for (const ParamDesc& p : params)
  {
    double value = p.defaultValue;
    for (const auto& [symbol, v] : preset.ports)
      if (symbol == iplug::LV2Symbol(p.name))
        value = v;
    if (!(value >= p.minValue && value <= p.maxValue))
    {
      const double limit = std::isnan(value) ? p.defaultValue : std::clamp(value, p.minValue, p.maxValue);
      char text[128];
      std::snprintf(text, sizeof text, "value %g is out of range %g to %g; clamped to %g", value, p.minValue,
                    p.maxValue, limit);
      Warn("LV2 preset bundle '" + in + "': port \"" + iplug::LV2Symbol(p.name) + "\" " + text);
      value = limit;
    }
    uint8_t bytes[8];
    std::memcpy(bytes, &value, 8);
    data.insert(data.end(), bytes, bytes + 8);
  }
  return data;
}

int ToAUPreset(HostedUnit& unit, const ConvertOptions& options)
{
  const std::string& in = options.in;
  const std::string& out = options.out;
  const std::vector<LV2Preset> presets = ReadLV2PresetBundle(in, StateKey());
  const LV2Preset& preset = ChoosePreset(presets, in, options.label);
  const std::vector<ParamDesc> params = unit.Parameters();
  const std::vector<uint8_t> data = preset.state.empty() ? StateFromPorts(preset, params, in) : preset.state;
  if (data.size() < StateDataBytes(params.size()))
    throw ToolError("LV2 preset bundle '" + in + "': the state holds " + std::to_string(data.size()) +
                    " bytes, fewer than the " + std::to_string(StateDataBytes(params.size())) + " of a Corvane state");

  // The unit's own dictionary with the preset's name and data, checked as
  // a state file's values are (not finite: refused; out of range: clamped).
  const CFOwned current = AdoptCF(unit.CopyState());
  const CFOwned dict =
    AdoptCF(CFDictionaryCreateMutableCopy(kCFAllocatorDefault, 0, static_cast<CFDictionaryRef>(current.get())));
  auto* mutableDict = static_cast<CFMutableDictionaryRef>(const_cast<void*>(dict.get()));
  const CFOwned name =
    AdoptCF(CFStringCreateWithCString(kCFAllocatorDefault, preset.label.c_str(), kCFStringEncodingUTF8));
  const CFOwned bytes = AdoptCF(CFDataCreate(kCFAllocatorDefault, data.data(), static_cast<CFIndex>(data.size())));
  if (!mutableDict || !name || !bytes)
    throw ToolError("cannot build the state for '" + out + "'");
  CFDictionarySetValue(mutableDict, CFSTR("name"), name.get());
  CFDictionarySetValue(mutableDict, CFSTR("data"), bytes.get());
  StateFile state;
  state.path = in;
  state.dictionary = dict;
  state.data = data;
  CheckStateValues(state, params);
  const OSStatus status = unit.ApplyState(state.dictionary.get());
  if (status != noErr)
    throw ToolError("LV2 preset bundle '" + in + "': the unit refused the state (" + StatusText(status) + ")");

  // What is written is the state the unit holds now, as every command reads it.
  const CFOwned held = AdoptCF(unit.CopyState());
  const CFOwned written =
    AdoptCF(CFDictionaryCreateMutableCopy(kCFAllocatorDefault, 0, static_cast<CFDictionaryRef>(held.get())));
  if (!written)
    throw ToolError("cannot build the state for '" + out + "'");
  CFDictionarySetValue(static_cast<CFMutableDictionaryRef>(const_cast<void*>(written.get())), CFSTR("name"),
                       name.get());
  WriteStateFile(out, StateToXml(written.get()), options.noClobber, options.force);
  std::printf("wrote \"%s\" to %s\n", Printable(preset.label).c_str(), Printable(out).c_str());
  return 0;
}

} // namespace

int RunLV2Preset(const std::vector<std::string>& args)
{
  if (PrintedHelp(args, kUsage))
    return 0;
  UnitOptions unitOptions;
  ConvertOptions o;
  for (size_t i = 0; i < args.size(); ++i)
  {
    const std::string& a = args[i];
    const auto value = [&](const char* option) {
      if (i + 1 >= args.size())
        throw UsageError(std::string("option ") + option + " needs a value");
      return args[++i];
    };
    if (TakeUnitOption(args, i, unitOptions, kComponentOption))
      continue;
    if (a == "-o")
      o.out = value("-o");
    else if (a == "--preset")
      o.label = value("--preset");
    else if (a == "-n" || a == "--no-clobber")
      o.noClobber = true;
    else if (a == "--force")
      o.force = true;
    else if (a.starts_with("-"))
      throw UsageError("unknown option '" + a + "'");
    else if (!o.in.empty())
      throw UsageError("more than one input given ('" + o.in + "' and '" + a + "')");
    else
      o.in = a;
  }
  if (o.in.empty() || o.out.empty())
    throw UsageError(o.in.empty() ? "no input given" : "no output given (-o)");

  const auto unit = OpenComponent(unitOptions);
  if (std::filesystem::is_directory(o.in))
    return ToAUPreset(*unit, o);
  if (!o.label.empty())
    throw UsageError("--preset chooses among the presets of an LV2 bundle; '" + o.in + "' is not one");
  if (o.force)
    throw UsageError("--force is for an .aupreset output; a preset bundle keeps its other files");
  return ToBundle(*unit, o);
}

} // namespace corvane::host
