#include "tools/corvane/RenderOptions.h"

#include "tools/corvane/ToolError.h"

#include <charconv>
#include <cmath>
#include <set>

namespace corvane::host {

const char* const kRenderUsage =
  "usage: corvane render [INPUT ...] [-o OUTPUT | --out-dir DIR] [-p NAME=VALUE ...] [--block N]\n"
  "                      [--bits 16|24|32|float] [--no-dither] [--tail SECONDS] [--keep-latency]\n"
  "                      [--state FILE] [--save-state FILE [--force]] [-n] [--component PATH] [-q]\n"
  "  INPUT            WAV, AIFF, FLAC or Ogg Vorbis, mono or stereo; without it a built-in demo\n"
  "                   is rendered; several inputs are rendered one after another with the same settings\n"
  "  -o, --output     output file (.wav, .aiff or .flac); default INPUT-corvane.EXT\n"
  "                   (.wav for an Ogg input), or corvane-demo.wav for the demo\n"
  "  --out-dir DIR    write each result into DIR under its input's name\n"
  "  -p, --param      set a parameter by name or index, e.g. -p Gain=40dB -p \"Highpass Filter=70Hz\",\n"
  "                   or a value by its index in 'corvane params': -p Gain=#12\n"
  "  --block N        frames per render slice, 1 to 16384 (default 512)\n"
  "  --bits B         sample format: 16, 24, 32 or float (default float; FLAC: 24, or 16)\n"
  "  --no-dither      16-bit output without TPDF dither\n"
  "  --tail SECONDS   render this much longer than the input, to keep the filters' ring-out\n"
  "  --keep-latency   write the output as rendered, delayed by the unit's latency\n"
  "  --state FILE     start from a saved state (.aupreset); -p settings apply after it\n"
  "  --save-state FILE  write the state after the -p settings as an .aupreset file\n"
  "  --force          let --save-state replace a file that is not a saved state\n"
  "  -n, --no-clobber never replace an existing file\n"
  "  --component PATH the Corvane.component bundle to load\n"
  "  -q, --quiet      print no summary\n";

int ParseBlockSize(const std::string& text)
{
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 1 || value > kMaxBlockSize)
    throw UsageError("invalid block size '" + text + "'; expected a whole number from 1 to " +
                     std::to_string(kMaxBlockSize));
  return value;
}

namespace {

SampleFormat ParseBits(const std::string& text)
{
  if (text == "16")
    return SampleFormat::Int16;
  if (text == "24")
    return SampleFormat::Int24;
  if (text == "32")
    return SampleFormat::Int32;
  if (text == "float")
    return SampleFormat::Float;
  throw UsageError("invalid --bits '" + text + "'; expected 16, 24, 32 or float");
}

double ParseTail(const std::string& text)
{
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value) ||
      value < 0.0 || value > kMaxTailSeconds)
    throw UsageError("invalid --tail '" + text + "'; expected seconds from 0 to " +
                     std::to_string(static_cast<int>(kMaxTailSeconds)));
  return value;
}

std::string FileName(const std::string& path)
{
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The name with a writable audio extension: its own, or ".wav" in place of
// one the writer does not know.
std::string WithWritableExtension(const std::string& path, const std::string& suffix)
{
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
  if (!hasExtension)
    return path + suffix + ".wav";
  const std::string extension = IsWritableAudioName(path) ? path.substr(dot) : ".wav";
  return path.substr(0, dot) + suffix + extension;
}

} // namespace

std::string DefaultOutputPath(const std::string& input)
{
  if (input.empty())
    return "corvane-demo.wav";
  return WithWritableExtension(input, "-corvane");
}

std::vector<RenderTarget> PlanRenders(const RenderOptions& options)
{
  if (!options.output.empty() && options.inputs.size() > 1)
    throw UsageError("-o names one output file; give --out-dir DIR for several inputs");
  std::vector<std::string> inputs = options.inputs;
  if (inputs.empty())
    inputs.push_back("");
  std::vector<RenderTarget> targets;
  std::set<std::string> names;
  for (const std::string& input : inputs)
  {
    std::string output = options.output;
    if (output.empty() && !options.outDir.empty())
    {
      const std::string own = input.empty() ? DefaultOutputPath("") : WithWritableExtension(FileName(input), "");
      output = options.outDir + (options.outDir.back() == '/' ? "" : "/") + own;
    }
    if (output.empty())
      output = DefaultOutputPath(input);
    if (!names.insert(output).second)
      throw UsageError("two inputs would be written to '" + output + "'");
    targets.push_back({input, output});
  }
  return targets;
}

RenderOptions ParseRenderOptions(const std::vector<std::string>& args)
{
  RenderOptions options;
  bool optionsEnded = false;

  for (size_t i = 0; i < args.size(); ++i)
  {
    const std::string& arg = args[i];
    // "--name=value" or "--name value"; "-o value" or "-ovalue".
    const auto value = [&](const std::string& longName, const std::string& shortName, std::string& out) {
      if (arg == longName || (!shortName.empty() && arg == shortName))
      {
        if (i + 1 >= args.size())
          throw UsageError("option " + arg + " needs a value");
        out = args[++i];
        return true;
      }
      if (arg.starts_with(longName + "="))
      {
        out = arg.substr(longName.size() + 1);
        return true;
      }
      if (!shortName.empty() && arg.size() > 2 && arg.starts_with(shortName))
      {
        out = arg.substr(2);
        return true;
      }
      return false;
    };
    const auto fileName = [](const std::string& text, const char* what) {
      if (text.empty())
        throw UsageError(std::string("empty ") + what);
      return text;
    };

    std::string text;
    if (optionsEnded || arg == "-" || !arg.starts_with("-"))
      options.inputs.push_back(fileName(arg, "input file name"));
    else if (arg == "--")
      optionsEnded = true;
    else if (arg == "--keep-latency")
      options.keepLatency = true;
    else if (arg == "-q" || arg == "--quiet")
      options.quiet = true;
    else if (arg == "-n" || arg == "--no-clobber")
      options.noClobber = true;
    else if (arg == "--no-dither")
      options.dither = false;
    else if (value("--output", "-o", text))
      options.output = fileName(text, "output file name");
    else if (value("--out-dir", "", text))
      options.outDir = fileName(text, "output folder name");
    else if (TakeUnitOption(args, i, options.unit))
      continue;
    else if (value("--block", "", text))
      options.blockSize = ParseBlockSize(text);
    else if (value("--bits", "", text))
      options.sample = ParseBits(text);
    else if (value("--tail", "", text))
      options.tailSeconds = ParseTail(text);
    else
      throw UsageError("unknown option '" + arg + "'");
  }
  if (!options.output.empty() && !options.outDir.empty())
    throw UsageError("give either -o or --out-dir, not both");
  return options;
}

} // namespace corvane::host
