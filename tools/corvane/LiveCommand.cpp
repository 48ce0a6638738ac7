// corvane live: the unit on a live input through JACK (jackd or PipeWire's
// JACK), with its editor in a window unless asked not to, until a signal,
// the window closing or the server stopping; then the state is saved when
// asked.

#include "tools/corvane/BlockedSignals.h"
#include "tools/corvane/Commands.h"
#include "tools/corvane/EditorView.h"
#include "tools/corvane/JackClient.h"
#include "tools/corvane/LiveEngine.h"
#include "tools/corvane/Messages.h"
#include "tools/corvane/ToolError.h"
#include "tools/corvane/UnitSetup.h"

#include <CoreFoundation/CoreFoundation.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>

namespace corvane::host {
namespace {

const char* const kLiveUsage =
  "usage: corvane live [-p NAME=VALUE ...] [--state FILE] [--save-state FILE [--force]]\n"
  "                    [--no-editor] [--mono] [--name CLIENT] [--connect] [--component PATH]\n"
  "  runs the unit on the JACK server (jackd, or PipeWire through pw-jack) until Ctrl-C,\n"
  "  SIGTERM, the editor's window closing or the server stopping\n"
  "  -p NAME=VALUE      set a parameter first (repeatable)\n"
  "  --state FILE       start from a saved state (.aupreset)\n"
  "  --save-state FILE  save the state (parameters and editor size) when it stops\n"
  "  --force            let --save-state replace a file that is not a saved state\n"
  "  --no-editor        run without the editor's window\n"
  "  --mono             one channel: ports in_1 and out_1 (default: in_1, in_2, out_1, out_2)\n"
  "  --name CLIENT      the JACK client's name (default: corvane)\n"
  "  --connect          connect the first capture ports to the inputs and the outputs to the\n"
  "                     first playback ports (default: nothing is connected)\n";

struct LiveOptions
{
  UnitOptions unit;
  bool editor = true;
  bool mono = false;
  bool connect = false;
  std::string name = "corvane";
};

LiveOptions ParseLiveOptions(const std::vector<std::string>& args)
{
  LiveOptions o;
  for (size_t i = 0; i < args.size(); ++i)
  {
    const std::string& a = args[i];
    if (TakeUnitOption(args, i, o.unit))
      continue;
    if (a == "--no-editor")
      o.editor = false;
    else if (a == "--mono")
      o.mono = true;
    else if (a == "--connect")
      o.connect = true;
    else if (a == "--name" || a.starts_with("--name="))
    {
      if (a == "--name" && i + 1 >= args.size())
        throw UsageError("option --name needs a value");
      o.name = a == "--name" ? args[++i] : a.substr(7);
      if (o.name.empty())
        throw UsageError("empty JACK client name");
      // The server refuses longer names without saying why. jackd 1.9.21 counts one byte
      // more than it takes: a name of jack_client_name_size() - 1 bytes fails there.
      const size_t longest = static_cast<size_t>(std::max(jack_client_name_size() - 2, 1));
      if (o.name.size() > longest)
        throw UsageError("the JACK client name is longer than " + std::to_string(longest) + " bytes");
    }
    else
      throw UsageError("unexpected argument '" + a + "'");
  }
  return o;
}

/** Sets the unit up for the stream, with its settings kept, and has it report the latency
    of those settings (it does after a slice); then clears what that slice left behind. */
void SetUpForStream(HostedUnit& unit, double sampleRate, int channels, int period)
{
  unit.Uninitialize();
  unit.Configure(sampleRate, channels, period);
  unit.Initialize();
  unit.RenderSilence(period);
  unit.Reset();
}

std::string StopReason(int signal) { return signal == SIGINT ? "interrupted" : "terminated"; }

/** Runs the main thread's side until something asks to stop, and says what did: the signals,
    the server, the window; meanwhile the editor's and the unit's timers, the unit set up anew
    for a new rate or period, and its latency handed on to the ports. */
std::string RunUntilStopped(const BlockedSignals& signals, JackClient& client, LiveEngine& engine, HostedUnit& unit,
                            EditorView* view)
{
  const std::chrono::milliseconds tick(view ? 5 : 20);
  for (;;)
  {
    if (const int signal = signals.Wait(tick))
      return StopReason(signal);
    if (client.ServerGone())
      return "the JACK server shut down";
    if (view && !view->ProcessEvents())
      return "the window was closed";
    CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.0, false);
    double rate = 0.0;
    int period = 0;
    if (client.TakeStreamChange(rate, period))
    {
      engine.Suspend();
      SetUpForStream(unit, rate, engine.Channels(), period);
      engine.Resume(rate, period);
      client.SetLatency(static_cast<int>(unit.LatencyFrames()));
      std::printf("now at %.0f Hz, period %d frames, latency %d samples\n", rate, period, client.Latency());
      std::fflush(stdout);
    }
    client.SetLatency(static_cast<int>(unit.LatencyFrames()));
  }
}

} // namespace

int RunLive(const std::vector<std::string>& args)
{
  if (PrintedHelp(args, kLiveUsage))
    return 0;
  const LiveOptions options = ParseLiveOptions(args);
  // Before any thread starts (the component's, libjack's, the editor's): they inherit the
  // blocked signals, so a stop request always reaches the main thread's loop.
  const BlockedSignals signals;

  // Where the state goes is checked before anything starts, so the session's edits cannot be lost at the end.
  std::optional<StateOutput> stateOut;
  if (!options.unit.stateOut.empty())
    stateOut.emplace(options.unit.stateOut, std::vector<FileInUse>{}, false, options.unit.forceStateOut);
  const UnitSetup setup(options.unit);
  std::unique_ptr<HostedUnit> unit = setup.OpenUnit();
  const int channels = options.mono ? 1 : 2;
  LiveEngine engine(*unit, channels);

  JackClient client(options.name, engine);
  unit->Configure(client.SampleRate(), channels, client.Period());
  setup.ApplyTo(*unit);
  SetUpForStream(*unit, client.SampleRate(), channels, client.Period());
  client.SetLatency(static_cast<int>(unit->LatencyFrames()));
  engine.Resume(client.SampleRate(), client.Period());

  std::optional<EditorView> view;
  if (options.editor)
  {
    try
    {
      view.emplace(unit->Instance(), "Corvane");
    }
    catch (const ToolError& e)
    {
      throw ToolError(std::string(e.what()) + "; --no-editor runs without it");
    }
  }
  client.Activate();
  if (options.connect)
    for (const std::string& problem : client.ConnectPhysicalPorts())
      Warn(problem);
  std::printf("client '%s' running at %.0f Hz, period %d frames, latency %d samples\n",
              Printable(client.Name()).c_str(), client.SampleRate(), client.Period(), client.Latency());
  std::fflush(stdout);

  const auto saveState = [&] {
    // The audio thread is gone first, so the state read is the one it last played.
    client.Close();
    if (stateOut)
      stateOut->Save(*unit); // while the editor is open, so the state carries its size as shown
  };
  std::string reason;
  try
  {
    reason = RunUntilStopped(signals, client, engine, *unit, view ? &*view : nullptr);
  }
  catch (...)
  {
    // A failure while running still keeps the session's settings.
    try
    {
      saveState();
    }
    catch (const ToolError& e)
    {
      Warn(e.what());
    }
    throw;
  }
  saveState();
  std::printf("stopped: %s; %lld xruns", reason.c_str(), static_cast<long long>(client.Xruns()));
  if (engine.Failures() > 0)
    std::printf("; the unit failed to render %lld periods, which were silenced",
                static_cast<long long>(engine.Failures()));
  std::printf("\n");
  return 0;
}

} // namespace corvane::host
