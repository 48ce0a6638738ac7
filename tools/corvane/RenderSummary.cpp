#include "tools/corvane/RenderSummary.h"

#include "tools/corvane/Messages.h"

#include <cstdio>

namespace corvane::host {
namespace {

template <typename... Values>
std::string Line(const char* format, Values... values)
{
  char text[512];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

const LevelMeter& OutputLevels(const RenderSummary& s, const RenderStats& stats)
{
  return s.written ? *s.written : stats.output;
}

} // namespace

std::string FormatBatchLine(const RenderSummary& s, const RenderStats& stats)
{
  const double audioSeconds = s.sampleRate > 0 ? static_cast<double>(stats.framesWritten) / s.sampleRate : 0.0;
  return Printable(s.input) + " -> " + Printable(s.output) +
         Line(": %d ch, %.2f s at %d Hz, peak ", s.channels, audioSeconds, s.sampleRate) +
         LevelMeter::FormatDb(OutputLevels(s, stats).PeakDb()) + "\n";
}

std::string FormatBatchTotal(int files, int failed, double audioSeconds, double wallSeconds)
{
  return Line("total: %d file%s, %d rendered (%.2f s of audio in %.2f s), %d failed\n", files, files == 1 ? "" : "s",
              files - failed, audioSeconds, wallSeconds, failed);
}

std::string FormatRenderSummary(const RenderSummary& s, const RenderStats& stats)
{
  const auto line = [](const char* format, auto... values) { return Line(format, values...); };
  const double audioSeconds = s.sampleRate > 0 ? static_cast<double>(stats.framesWritten) / s.sampleRate : 0.0;
  std::string out;
  out += "rendered: " + Printable(s.input) + " -> " + Printable(s.output) + "\n";
  out += line("format:   %d Hz, %d channel%s, %.2f s%s%s\n", s.sampleRate, s.channels, s.channels == 1 ? "" : "s",
              audioSeconds, s.sampleFormat.empty() ? "" : ", ", s.sampleFormat.c_str());
  if (s.tailSeconds > 0.0)
    out += line("tail:     %.2f s rendered after the input\n", s.tailSeconds);
  if (!s.stateIn.empty())
    out += "state:    " + Printable(s.stateIn) + "\n";
  if (!s.settings.empty())
    out += "settings: " + Printable(s.settings) + "\n";
  if (!s.stateOut.empty())
    out += "saved:    state after the settings -> " + Printable(s.stateOut) + "\n";
  out += line("latency: %lld samples (%s)\n", static_cast<long long>(stats.latency),
              stats.latency == 0 ? "none"
              : s.keepLatency    ? "kept in the output"
                                 : "removed, output aligned with input");
  out += "input:    peak " + LevelMeter::FormatDb(stats.input.PeakDb()) + ", RMS " +
         LevelMeter::FormatDb(stats.input.RmsDb()) + "\n";
  const LevelMeter& output = OutputLevels(s, stats);
  out +=
    "output:   peak " + LevelMeter::FormatDb(output.PeakDb()) + ", RMS " + LevelMeter::FormatDb(output.RmsDb()) + "\n";
  if (s.seconds > 0.0 && audioSeconds > 0.0)
    out += line("speed:    %.1fx realtime (%.2f s)\n", audioSeconds / s.seconds, s.seconds);
  else
    out += "speed:    n/a\n";
  if (stats.output.NonFiniteSamples() > 0)
    out += line("warning:  %llu output samples were not finite numbers\n",
                static_cast<unsigned long long>(stats.output.NonFiniteSamples()));
  if (stats.latencyChanged)
    out += "warning:  the unit's latency changed during the render\n";
  return out;
}

} // namespace corvane::host
