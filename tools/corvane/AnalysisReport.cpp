#include "tools/corvane/AnalysisReport.h"

#include "tools/corvane/Messages.h"
#include "tools/corvane/ParamListing.h"

#include <cmath>
#include <cstdio>

namespace corvane::host {
namespace {

std::string Printf(const char* format, double v)
{
  char text[64];
  std::snprintf(text, sizeof text, format, v);
  return text;
}

// Plain JSON numbers: JSON has no NaN or infinity, so those are null.
std::string Number(double v) { return std::isfinite(v) ? Printf("%.7g", v) : "null"; }

std::string Array(const std::vector<double>& values)
{
  std::string out = "[";
  for (size_t i = 0; i < values.size(); ++i)
    out += (i ? ", " : "") + Number(values[i]);
  return out + "]";
}

std::string Optional(const std::optional<double>& v) { return v ? Number(*v) : "null"; }

std::string Db(double v) { return std::isfinite(v) ? Printf("%+.1f", v) : "none"; }

} // namespace

std::string FrequencyText(double hz)
{
  if (!std::isfinite(hz))
    return "none";
  if (hz >= 1000.0)
    return Printf("%.3g kHz", hz / 1000.0);
  return Printf(hz < 100.0 ? "%.3g Hz" : "%.0f Hz", hz);
}

std::string PercentText(double percent) { return std::isfinite(percent) ? Printf("%.3g %%", percent) : "none"; }

std::string ThdText(double percent)
{
  return std::isfinite(percent) && percent < 0.001 ? "< 0.001 %" : PercentText(percent);
}

std::string FormatAnalysisJson(const UnitAnalysis& a)
{
  std::string settings;
  for (const SettingText& s : a.settings)
    settings += (settings.empty() ? "" : ", ") + JsonString(s.name) + ": " + JsonString(s.text);
  const HarmonicAnalysis& h = a.harmonics;
  std::string out = "{\n";
  out += "  \"sample_rate\": " + std::to_string(a.sampleRate) + ",\n";
  out += "  \"latency_samples\": " + std::to_string(a.latency) + ",\n";
  out += "  \"settings\": {" + settings + "},\n";
  out += "  \"response\": {\n";
  out += "    \"hz\": " + Array(a.response.hz) + ",\n";
  out += "    \"db\": " + Array(a.response.db) + ",\n";
  out += "    \"phase_deg\": " + Array(a.response.phaseDeg) + "\n";
  out += "  },\n";
  out += "  \"minus3db_low_hz\": " + Optional(a.corners.lowHz) + ",\n";
  out += "  \"minus3db_high_hz\": " + Optional(a.corners.highHz) + ",\n";
  out += "  \"harmonics\": {\"frequency_hz\": " + Number(h.frequencyHz) + ", \"level_dbfs\": " + Number(h.levelDbfs) +
         ", \"thd_percent\": " + Number(h.thdPercent) + ", \"dbc\": " + Array(h.dbc) + "},\n";
  out += "  \"transfer\": {\"in_dbfs\": " + Array(a.transfer.inDbfs) + ", \"out_dbfs\": " + Array(a.transfer.outDbfs) +
         "}\n";
  return out + "}\n";
}

std::string FormatAnalysisTable(const UnitAnalysis& a)
{
  std::string settings;
  for (const SettingText& s : a.settings)
    if (!s.atDefault)
      settings += (settings.empty() ? "" : ", ") + s.name + "=" + s.text;
  const HarmonicAnalysis& h = a.harmonics;
  const double top = kResponseTopOfRate * a.sampleRate;
  std::string out;
  const auto line = [&](const std::string& label, const std::string& value) {
    out += label + std::string(label.size() < 16 ? 16 - label.size() : 1, ' ') + value + "\n";
  };
  line("settings", settings.empty() ? "defaults" : Printable(settings));
  line("sample rate", std::to_string(a.sampleRate) + " Hz");
  line("latency", std::to_string(a.latency) + " samples");
  line("level at 1 kHz", (std::isfinite(a.response.referenceDb) ? Printf("%+.2f", a.response.referenceDb) : "none") +
                           " dB (at -40 dBFS)");
  line("-3 dB low", a.corners.lowHz ? FrequencyText(*a.corners.lowHz) : "none down to 10 Hz");
  line("-3 dB high", a.corners.highHz ? FrequencyText(*a.corners.highHz) : "none up to " + FrequencyText(top));
  const std::string thdDb = std::isfinite(h.thdPercent) && h.thdPercent > 0.0
                              ? Printf(" (%.1f dB)", 20.0 * std::log10(h.thdPercent / 100.0))
                              : "";
  line("THD", PercentText(h.thdPercent) + thdDb + ", " + FrequencyText(h.frequencyHz) + " at " +
                Printf("%g", h.levelDbfs) + " dBFS");
  std::string harmonics;
  for (size_t i = 0; i < h.dbc.size() && i < 5; ++i)
    harmonics += (i ? "  " : "") + ("H" + std::to_string(i + 2)) + " " +
                 (h.dbc[i] < kHarmonicFloorDbc ? Printf("<%.0f", kHarmonicFloorDbc) : Db(h.dbc[i]));
  line("harmonics", harmonics.empty() ? "none below Nyquist" : harmonics + " dBc");
  return out;
}

} // namespace corvane::host
