// corvane info: the component's identity, channel capabilities, latency and
// tail at the given settings, and its factory presets.

#include "tools/corvane/Commands.h"
#include "tools/corvane/ComponentLocator.h"
#include "tools/corvane/HostedUnit.h"
#include "tools/corvane/StateFile.h"
#include "tools/corvane/ToolError.h"
#include "tools/corvane/UnitSettings.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace corvane::host {
namespace {

// The unit is run briefly at this rate to learn its latency.
constexpr double kProbeRate = 48000.0;
constexpr int kProbeFrames = 64;

const char* const kInfoUsage =
  "usage: corvane info [-p NAME=VALUE ...] [--component PATH]\n"
  "  -p, --param      set a parameter first; latency and tail are shown for these settings\n";

} // namespace

int RunInfo(const std::vector<std::string>& args)
{
  std::string component;
  std::vector<std::string> assignments;
  for (size_t i = 0; i < args.size(); ++i)
  {
    const std::string& a = args[i];
    if (a == "-h" || a == "--help")
    {
      std::fputs(kInfoUsage, stdout);
      return 0;
    }
    if ((a == "--component" || a == "-p" || a == "--param") && i + 1 >= args.size())
      throw UsageError("option " + a + " needs a value");
    if (a == "--component")
      component = args[++i];
    else if (a.starts_with("--component="))
      component = a.substr(12);
    else if (a == "-p" || a == "--param")
      assignments.push_back(args[++i]);
    else if (a.starts_with("--param="))
      assignments.push_back(a.substr(8));
    else if (a.starts_with("-p") && a.size() > 2)
      assignments.push_back(a.substr(2));
    else
      throw UsageError("unexpected argument '" + a + "'");
  }

  const std::string bundle = LocateComponentBundle(component, ProgramFolder());
  const auto unit = HostedUnit::Open(bundle);
  const std::vector<ParamDesc> params = unit->Parameters();
  const std::vector<ParamSetting> settings = ParseSettings(params, assignments);

  // A unit may report the latency of its settings only once it has
  // processed audio, so one short silent slice runs first.
  unit->Configure(kProbeRate, 2, kProbeFrames);
  const std::string applied = ApplySettings(*unit, params, settings);
  unit->Initialize();
  unit->RenderSilence(kProbeFrames);
  const int64_t latency = unit->LatencyFrames();
  const double tail = unit->TailSeconds();

  const AudioComponentDescription d = unit->Description();
  const UInt32 v = unit->Version();
  std::printf("name:            %s\n", unit->Name().c_str());
  std::printf("component:       %s\n", ComponentCodesText(d.componentType, d.componentSubType, d.componentManufacturer).c_str());
  std::printf("  type:          %s\n", FourCCText(d.componentType).c_str());
  std::printf("  subtype:       %s\n", FourCCText(d.componentSubType).c_str());
  std::printf("  manufacturer:  %s\n", FourCCText(d.componentManufacturer).c_str());
  std::printf("version:         %u.%u.%u (0x%08X)\n", v >> 16, (v >> 8) & 0xFF, v & 0xFF, v);
  if (!bundle.empty())
    std::printf("bundle:          %s\n", bundle.c_str());
  std::printf("channels:        %s\n", unit->ChannelCapabilityText().c_str());
  if (!applied.empty())
    std::printf("settings:        %s\n", applied.c_str());
  std::printf("latency:         %lld samples at %.0f Hz (%.6g ms)\n", static_cast<long long>(latency), kProbeRate,
              1000.0 * static_cast<double>(latency) / kProbeRate);
  if (!std::isfinite(tail) || tail < 0.0 || tail > 3600.0)
    std::printf("tail:            %.6g s\n", tail);
  else
    std::printf("tail:            %.6g s (%lld samples at %.0f Hz)\n", tail, static_cast<long long>(std::llround(tail * kProbeRate)),
                kProbeRate);
  std::printf("parameters:      %zu (see 'corvane params')\n", params.size());
  const auto presets = unit->FactoryPresets();
  std::printf("factory presets: %zu\n", presets.size());
  for (const auto& p : presets)
    std::printf("  %d  %s\n", p.number, p.name.c_str());
  return 0;
}

} // namespace corvane::host
