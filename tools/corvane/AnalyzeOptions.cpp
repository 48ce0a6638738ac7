#include "tools/corvane/AnalyzeOptions.h"

#include "tools/corvane/PictureOptions.h"
#include "tools/corvane/ResponseMeasurement.h"
#include "tools/corvane/ToolError.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace corvane::host {

const char* const kAnalyzeUsage =
  "usage: corvane analyze [-p NAME=VALUE ...] [--state FILE] [--rate HZ] [--freq HZ] [--level DBFS]\n"
  "                       [-o report.png] [--scale S] [--json] [--component PATH]\n"
  "  -p, --param      set a parameter by name or index, as in 'corvane render'\n"
  "  --state FILE     start from a saved state (.aupreset); -p settings apply after it\n"
  "  --rate HZ        sample rate to measure at, 8000 to 384000 (default 48000)\n"
  "  --freq HZ        frequency of the harmonic analysis, 10 Hz to 0.45 x rate (default 1000)\n"
  "  --level DBFS     its level, -120 to +12 dBFS (default -12; 0 dBFS is a full-scale sine)\n"
  "  -o, --output     draw the report into this PNG (1200 x 800 pixels at --scale 1)\n"
  "  --scale S        the picture's pixel scale, 1 to 3 (default 1)\n"
  "  --json           print every measured value as one JSON object\n"
  "  --component PATH the Corvane.component bundle to load\n"
  "Without -o or --json a short table is printed: corners, THD, harmonics, latency.\n";

namespace {

double ParseNumber(const std::string& option, const std::string& text, double lo, double hi, const char* expected)
{
  double value = 0.0;
  const char* first = text.data() + (text.starts_with('+') ? 1 : 0);
  const auto [end, error] = std::from_chars(first, text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value) || value < lo ||
      value > hi)
    throw UsageError("invalid " + option + " '" + text + "'; expected " + expected);
  return value;
}

int ParseRate(const std::string& text)
{
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < kMinAnalysisRate ||
      value > kMaxAnalysisRate)
    throw UsageError("invalid --rate '" + text + "'; expected a whole number of hertz from 8000 to 384000");
  return value;
}

std::string Hz(double v)
{
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

} // namespace

AnalyzeOptions ParseAnalyzeOptions(const std::vector<std::string>& args)
{
  AnalyzeOptions o;
  std::string freqText;
  for (size_t i = 0; i < args.size(); ++i)
  {
    const std::string& a = args[i];
    // "--name value" or "--name=value".
    const auto valueOf = [&](const std::string& name, std::string& out) {
      if (a == name)
      {
        if (i + 1 >= args.size())
          throw UsageError("option " + a + " needs a value");
        out = args[++i];
        return true;
      }
      if (a.starts_with(name + "="))
      {
        out = a.substr(name.size() + 1);
        return true;
      }
      return false;
    };
    std::string text;
    if (a == "--json")
      o.json = true;
    else if (valueOf("--rate", text))
      o.sampleRate = ParseRate(text);
    else if (valueOf("--freq", text))
      freqText = text;
    else if (valueOf("--level", text))
      o.levelDbfs = ParseNumber("--level", text, -120.0, 12.0, "dBFS from -120 to +12");
    else if (valueOf("--scale", text))
      o.scale = ParseScale(text);
    else if (valueOf("--output", text) || valueOf("-o", text))
    {
      CheckPngName(text);
      o.picture = text;
    }
    else if (!TakeUnitOption(args, i, o.unit, kSettingOptions))
      throw UsageError("unexpected argument '" + a + "'");
  }
  // The tone's range depends on the rate, given before or after it.
  const double top = kResponseTopOfRate * o.sampleRate;
  if (!freqText.empty())
    o.frequencyHz = ParseNumber("--freq", freqText, kResponseLowestHz, top,
                                ("hertz from 10 to " + Hz(top) + " (0.45 x rate)").c_str());
  return o;
}

} // namespace corvane::host
