#include "tools/corvane/RenderOptions.h"

#include "tools/corvane/ToolError.h"

#include <charconv>

namespace corvane::host {

const char* const kRenderUsage =
  "usage: corvane render [INPUT] [-o OUTPUT] [-p NAME=VALUE ...] [--block N] [--keep-latency]\n"
  "                      [--state FILE] [--save-state FILE] [--component PATH] [-q]\n"
  "  INPUT            WAV, AIFF or FLAC, mono or stereo; without it a built-in demo is rendered\n"
  "  -o, --output     output file (.wav/.aiff: 32-bit float, .flac: 24-bit);\n"
  "                   default INPUT-corvane.EXT, or corvane-demo.wav for the demo\n"
  "  -p, --param      set a parameter by name or index, e.g. -p Gain=40dB -p \"Highpass Filter=70Hz\"\n"
  "  --block N        frames per render slice, 1 to 16384 (default 512)\n"
  "  --keep-latency   write the output as rendered, delayed by the unit's latency\n"
  "  --state FILE     start from a saved state (.aupreset); -p settings apply after it\n"
  "  --save-state FILE  write the state after the -p settings as an .aupreset file\n"
  "  --component PATH the Corvane.component bundle to load\n"
  "  -q, --quiet      print no summary\n";

int ParseBlockSize(const std::string& text)
{
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 1 || value > kMaxBlockSize)
    throw UsageError("invalid block size '" + text + "'; expected a whole number from 1 to " + std::to_string(kMaxBlockSize));
  return value;
}

std::string DefaultOutputPath(const std::string& input)
{
  if (input.empty())
    return "corvane-demo.wav";
  const size_t slash = input.rfind('/');
  const size_t dot = input.rfind('.');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
  if (!hasExtension)
    return input + "-corvane.wav";
  return input.substr(0, dot) + "-corvane" + input.substr(dot);
}

RenderOptions ParseRenderOptions(const std::vector<std::string>& args)
{
  RenderOptions options;
  bool outputGiven = false;
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

    std::string text;
    if (optionsEnded || arg == "-" || !arg.starts_with("-"))
    {
      if (!options.input.empty())
        throw UsageError("more than one input given ('" + options.input + "' and '" + arg + "')");
      if (arg.empty())
        throw UsageError("empty input file name");
      options.input = arg;
    }
    else if (arg == "--")
      optionsEnded = true;
    else if (arg == "--keep-latency")
      options.keepLatency = true;
    else if (arg == "-q" || arg == "--quiet")
      options.quiet = true;
    else if (value("--output", "-o", text))
    {
      if (text.empty())
        throw UsageError("empty output file name");
      options.output = text;
      outputGiven = true;
    }
    else if (value("--param", "-p", text))
      options.params.push_back(text);
    else if (value("--block", "", text))
      options.blockSize = ParseBlockSize(text);
    else if (value("--component", "", text))
      options.component = text;
    else if (value("--state", "", text))
    {
      if (text.empty())
        throw UsageError("empty state file name");
      options.stateIn = text;
    }
    else if (value("--save-state", "", text))
    {
      if (text.empty())
        throw UsageError("empty state file name");
      options.stateOut = text;
    }
    else
      throw UsageError("unknown option '" + arg + "'");
  }

  if (!outputGiven)
    options.output = DefaultOutputPath(options.input);
  if (!options.stateOut.empty() && (options.stateOut == options.output || options.stateOut == options.input))
    throw UsageError("--save-state names the same file as the audio " + std::string(options.stateOut == options.output ? "output" : "input")
                     + " ('" + options.stateOut + "')");
  return options;
}

} // namespace corvane::host
