// corvane info: the component's identity, channel capabilities, latency and
// tail at the given settings, and its factory presets; corvane --version:
// the program's version and the loaded component's.

#include "tools/corvane/Commands.h"
#include "tools/corvane/ComponentLocator.h"
#include "tools/corvane/Messages.h"
#include "tools/corvane/ParamListing.h"
#include "tools/corvane/StateFile.h"
#include "tools/corvane/ToolError.h"
#include "tools/corvane/UnitSetup.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace corvane::host {
namespace {

// The unit is run briefly at this rate to learn its latency.
constexpr double kProbeRate = 48000.0;
constexpr int kProbeFrames = 64;

const char* const kInfoUsage =
  "usage: corvane info [-p NAME=VALUE ...] [--state FILE] [--json] [--component PATH]\n"
  "  -p, --param      set a parameter first; latency and tail are shown for these settings\n"
  "  --state FILE     start from a saved state (.aupreset); -p settings apply after it\n"
  "  --json           print the same facts as a JSON object\n";

std::string VersionText(UInt32 v)
{
  char text[32];
  std::snprintf(text, sizeof text, "%u.%u.%u", v >> 16, (v >> 8) & 0xFF, v & 0xFF);
  return text;
}

std::string JsonNumber(double v)
{
  if (!std::isfinite(v))
    return "null";
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", v);
  return text;
}

} // namespace

const char* const kProgramVersion = corvane::kVersionString;

int RunVersion(const std::vector<std::string>& args)
{
  UnitOptions options;
  for (size_t i = 0; i < args.size(); ++i)
    if (!TakeUnitOption(args, i, options, kComponentOption))
      throw UsageError("unexpected argument '" + args[i] + "'");
  std::printf("corvane %s\n", kProgramVersion);
  std::fflush(stdout);
  const std::string bundle = LocateComponentBundle(options.component, ProgramFolder());
  const auto unit = HostedUnit::Open(bundle);
  const AudioComponentDescription d = unit->Description();
  std::printf("%s %s (%s)%s%s\n", Printable(unit->Name()).c_str(), VersionText(unit->Version()).c_str(),
              ComponentCodesText(d.componentType, d.componentSubType, d.componentManufacturer).c_str(),
              bundle.empty() ? "" : " from ", Printable(bundle).c_str());
  return 0;
}

int RunInfo(const std::vector<std::string>& args)
{
  if (PrintedHelp(args, kInfoUsage))
    return 0;
  UnitOptions options;
  bool json = false;
  for (size_t i = 0; i < args.size(); ++i)
  {
    if (args[i] == "--json")
      json = true;
    else if (!TakeUnitOption(args, i, options, kSettingOptions))
      throw UsageError("unexpected argument '" + args[i] + "'");
  }

  const UnitSetup setup(options);
  const std::string& bundle = setup.Bundle();
  const std::vector<ParamDesc>& params = setup.Params();
  const std::string& applied = setup.Applied();
  const auto unit = setup.OpenUnit();
  // A unit may report the latency of its settings only once it has
  // processed audio, so one short silent slice runs first.
  unit->Configure(kProbeRate, 2, kProbeFrames);
  setup.ApplyTo(*unit);
  unit->Initialize();
  unit->RenderSilence(kProbeFrames);
  const int64_t latency = unit->LatencyFrames();
  const double tail = unit->TailSeconds();

  const AudioComponentDescription d = unit->Description();
  const UInt32 v = unit->Version();
  const auto presets = unit->FactoryPresets();
  if (json)
  {
    std::string out = "{\n";
    const auto field = [&](const char* key, const std::string& value, bool last = false) {
      out += std::string("  \"") + key + "\": " + value + (last ? "\n" : ",\n");
    };
    field("name", JsonString(unit->Name()));
    field("type", JsonString(FourCCText(d.componentType)));
    field("subtype", JsonString(FourCCText(d.componentSubType)));
    field("manufacturer", JsonString(FourCCText(d.componentManufacturer)));
    field("version", JsonString(VersionText(v)));
    field("versionCode", std::to_string(v));
    field("bundle", bundle.empty() ? "null" : JsonString(bundle));
    std::string channels;
    for (const ChannelPair& p : unit->SupportedChannels())
      channels += (channels.empty() ? "" : ", ") + std::string("{\"inputs\": ") + std::to_string(p.inputs) +
                  ", \"outputs\": " + std::to_string(p.outputs) + "}";
    field("channels", "[" + channels + "]");
    field("settings", JsonString(applied));
    field("sampleRate", JsonNumber(kProbeRate));
    field("latencySamples", std::to_string(latency));
    field("tailSeconds", JsonNumber(tail));
    field("parameters", std::to_string(params.size()));
    std::string list;
    for (const auto& p : presets)
      list += (list.empty() ? "" : ", ") + std::string("{\"number\": ") + std::to_string(p.number) +
              ", \"name\": " + JsonString(p.name) + "}";
    field("factoryPresets", "[" + list + "]", true);
    std::fputs((out + "}\n").c_str(), stdout);
    return 0;
  }
  std::printf("name:            %s\n", Printable(unit->Name()).c_str());
  std::printf("component:       %s\n",
              ComponentCodesText(d.componentType, d.componentSubType, d.componentManufacturer).c_str());
  std::printf("  type:          %s\n", FourCCText(d.componentType).c_str());
  std::printf("  subtype:       %s\n", FourCCText(d.componentSubType).c_str());
  std::printf("  manufacturer:  %s\n", FourCCText(d.componentManufacturer).c_str());
  std::printf("version:         %u.%u.%u (0x%08X)\n", v >> 16, (v >> 8) & 0xFF, v & 0xFF, v);
  if (!bundle.empty())
    std::printf("bundle:          %s\n", Printable(bundle).c_str());
  std::printf("channels:        %s\n", unit->ChannelCapabilityText().c_str());
  if (!applied.empty())
    std::printf("settings:        %s\n", Printable(applied).c_str());
  std::printf("latency:         %lld samples at %.0f Hz (%.6g ms)\n", static_cast<long long>(latency), kProbeRate,
              1000.0 * static_cast<double>(latency) / kProbeRate);
  if (!std::isfinite(tail) || tail < 0.0 || tail > 3600.0)
    std::printf("tail:            %.6g s\n", tail);
  else
    std::printf("tail:            %.6g s (%lld samples at %.0f Hz)\n", tail,
                static_cast<long long>(std::llround(tail * kProbeRate)), kProbeRate);
  std::printf("parameters:      %zu (see 'corvane params')\n", params.size());
  std::printf("factory presets: %zu\n", presets.size());
  for (const auto& p : presets)
    std::printf("  %d  %s\n", p.number, Printable(p.name).c_str());
  return 0;
}

} // namespace corvane::host
