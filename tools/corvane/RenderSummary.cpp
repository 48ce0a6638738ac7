#include "tools/corvane/RenderSummary.h"

#include <cstdio>

namespace corvane::host {

std::string FormatRenderSummary(const RenderSummary& s, const RenderStats& stats)
{
  const auto line = [](const char* format, auto... values) {
    char text[512];
    std::snprintf(text, sizeof text, format, values...);
    return std::string(text);
  };
  const double audioSeconds = s.sampleRate > 0 ? static_cast<double>(stats.framesWritten) / s.sampleRate : 0.0;
  std::string out;
  out += line("rendered: %s -> %s\n", s.input.c_str(), s.output.c_str());
  out += line("format:   %d Hz, %d channel%s, %.2f s\n", s.sampleRate, s.channels, s.channels == 1 ? "" : "s", audioSeconds);
  if (!s.stateIn.empty())
    out += "state:    " + s.stateIn + "\n";
  if (!s.settings.empty())
    out += "settings: " + s.settings + "\n";
  if (!s.stateOut.empty())
    out += "saved:    state after the settings -> " + s.stateOut + "\n";
  out += line("latency: %lld samples (%s)\n", static_cast<long long>(stats.latency),
              stats.latency == 0 ? "none" : s.keepLatency ? "kept in the output" : "removed, output aligned with input");
  out += "input:    peak " + LevelMeter::FormatDb(stats.input.PeakDb()) + ", RMS " + LevelMeter::FormatDb(stats.input.RmsDb()) + "\n";
  out += "output:   peak " + LevelMeter::FormatDb(stats.output.PeakDb()) + ", RMS " + LevelMeter::FormatDb(stats.output.RmsDb()) + "\n";
  if (s.seconds > 0.0 && audioSeconds > 0.0)
    out += line("speed:    %.1fx realtime (%.2f s)\n", audioSeconds / s.seconds, s.seconds);
  else
    out += "speed:    n/a\n";
  if (stats.output.NonFiniteSamples() > 0)
    out += line("warning:  %llu output samples were not finite numbers\n", static_cast<unsigned long long>(stats.output.NonFiniteSamples()));
  if (stats.latencyChanged)
    out += "warning:  the unit's latency changed during the render\n";
  return out;
}

} // namespace corvane::host
