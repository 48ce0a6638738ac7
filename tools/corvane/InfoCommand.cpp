// corvane info: the component's identity, channel capabilities, latency,
// tail and factory presets.

#include "tools/corvane/Commands.h"
#include "tools/corvane/ComponentLocator.h"
#include "tools/corvane/HostedUnit.h"
#include "tools/corvane/ToolError.h"

#include <cstdio>
#include <string>

namespace corvane::host {
namespace {

std::string FourCC(OSType code)
{
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8)
  {
    const char c = static_cast<char>((code >> shift) & 0xFF);
    text += (c >= 32 && c < 127) ? c : '?';
  }
  return text;
}

} // namespace

int RunInfo(const std::vector<std::string>& args)
{
  std::string component;
  for (size_t i = 0; i < args.size(); ++i)
  {
    if (args[i] == "-h" || args[i] == "--help")
    {
      std::fputs("usage: corvane info [--component PATH]\n", stdout);
      return 0;
    }
    if (args[i] == "--component" && i + 1 < args.size())
      component = args[++i];
    else if (args[i].starts_with("--component="))
      component = args[i].substr(12);
    else
      throw UsageError("unexpected argument '" + args[i] + "'");
  }

  const std::string bundle = LocateComponentBundle(component, ProgramFolder());
  const auto unit = HostedUnit::Open(bundle);
  const AudioComponentDescription d = unit->Description();
  const UInt32 v = unit->Version();
  const double latency = unit->LatencySeconds();

  std::printf("name:            %s\n", unit->Name().c_str());
  std::printf("component:       %s %s %s\n", FourCC(d.componentType).c_str(), FourCC(d.componentSubType).c_str(),
              FourCC(d.componentManufacturer).c_str());
  std::printf("version:         %u.%u.%u (0x%08X)\n", v >> 16, (v >> 8) & 0xFF, v & 0xFF, v);
  if (!bundle.empty())
    std::printf("bundle:          %s\n", bundle.c_str());
  std::printf("channels:        %s\n", unit->ChannelCapabilityText().c_str());
  std::printf("latency:         %.6g s (before any audio; depends on the settings)\n", latency);
  std::printf("tail:            %.6g s\n", unit->TailSeconds());
  std::printf("parameters:      %zu\n", unit->Parameters().size());
  const auto presets = unit->FactoryPresets();
  std::printf("factory presets: %zu\n", presets.size());
  for (const auto& p : presets)
    std::printf("  %d  %s\n", p.number, p.name.c_str());
  return 0;
}

} // namespace corvane::host
