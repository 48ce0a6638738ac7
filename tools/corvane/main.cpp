// corvane: a command-line host for the Corvane Audio Unit. Dispatches to one
// subcommand and turns its failures into one line on stderr and an exit
// status: 1 when the job failed, 2 for a bad command line.

#include "tools/corvane/Commands.h"
#include "tools/corvane/Messages.h"
#include "tools/corvane/ToolError.h"

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace {

const char* const kUsage =
  "usage: corvane <command> [options]\n"
  "commands:\n"
  "  render [INPUT ...] [-o OUTPUT | --out-dir DIR] [-p NAME=VALUE ...] [--block N]\n"
  "         [--bits 16|24|32|float] [--no-dither] [--tail SECONDS] [--keep-latency]\n"
  "         [--state FILE] [--save-state FILE] [-n]\n"
  "                 process audio files (or a built-in demo) through Corvane\n"
  "  params [--json]  list the parameters with their ranges and value texts\n"
  "  info [-p NAME=VALUE ...] [--json]\n"
  "                 describe the component: identity, channels, latency, tail, presets\n"
  "  state FILE [--json]\n"
  "                 show what a saved state (.aupreset) holds\n"
  "  state --save FILE [-p NAME=VALUE ...] [--state FROM]\n"
  "                 write a saved state from settings, without rendering\n"
  "  snapshot [-o editor.png] [--scale S] [-p NAME=VALUE ...] [--state FILE]\n"
  "                 draw the editor offscreen into a PNG\n"
  "  lv2-preset IN -o OUT\n"
  "                 convert an .aupreset into an LV2 preset bundle, or back\n"
  "  editor [-p NAME=VALUE ...] [--state FILE] [--save-state FILE] [--play INPUT [--device NAME]]\n"
  "                 show the editor in a window, optionally playing a file through the unit\n"
  "  live [-p NAME=VALUE ...] [--state FILE] [--save-state FILE] [--no-editor] [--mono]\n"
  "       [--name CLIENT] [--connect]\n"
  "                 run the unit on a JACK server (jackd or PipeWire's JACK), with its editor\n"
  "  analyze [-p NAME=VALUE ...] [--state FILE] [--rate HZ] [--freq HZ] [--level DBFS]\n"
  "          [-o report.png] [--scale S] [--json]\n"
  "                 measure the response, -3 dB points, harmonics and transfer curve,\n"
  "                 as a table, as JSON or drawn into a PNG\n"
  "  --version      print the program's version and the component's\n"
  "every command takes --component PATH to load a specific Corvane.component;\n"
  "'corvane <command> --help' shows the command's options\n";

} // namespace

int main(int argc, char** argv)
{
  using namespace corvane::host;
  const std::vector<std::string> all(argv + 1, argv + argc);
  if (all.empty() || all[0] == "-h" || all[0] == "--help" || all[0] == "help")
  {
    std::fputs(kUsage, all.empty() ? stderr : stdout);
    return all.empty() ? 2 : 0;
  }
  const std::string command = all[0];
  const std::vector<std::string> args(all.begin() + 1, all.end());
  try
  {
    if (command == "--version" || command == "-V")
      return RunVersion(args);
    if (command == "render")
      return RunRender(args);
    if (command == "params")
      return RunParams(args);
    if (command == "info")
      return RunInfo(args);
    if (command == "state")
      return RunState(args);
    if (command == "snapshot")
      return RunSnapshot(args);
    if (command == "lv2-preset")
      return RunLV2Preset(args);
    if (command == "editor")
      return RunEditor(args);
    if (command == "analyze")
      return RunAnalyze(args);
    if (command == "live")
      return RunLive(args);
    throw UsageError("unknown command '" + command +
                     "'; commands: render, params, info, state, snapshot, editor, live, analyze, lv2-preset");
  }
  catch (const Interrupted& e)
  {
    std::fprintf(stderr, "corvane: %s\n", Printable(e.what()).c_str());
    return 130;
  }
  catch (const UsageError& e)
  {
    const bool known = command == "render" || command == "params" || command == "info" || command == "state" ||
                       command == "snapshot" || command == "editor" || command == "live" || command == "analyze" ||
                       command == "lv2-preset";
    std::fprintf(stderr, "corvane: %s (see 'corvane %s--help')\n", Printable(e.what()).c_str(),
                 known ? (command + " ").c_str() : "");
    return 2;
  }
  catch (const ToolError& e)
  {
    std::fprintf(stderr, "corvane: %s\n", Printable(e.what()).c_str());
    return 1;
  }
  catch (const std::exception& e)
  {
    std::fprintf(stderr, "corvane: unexpected failure: %s\n", Printable(e.what()).c_str());
    return 1;
  }
}
