// corvane editor: the unit's editor in a window, with the unit playing a file
// in a loop when asked, until the window is closed; then the state (editor
// size and parameters) is saved when asked.

#include "tools/corvane/AudioFileReader.h"
#include "tools/corvane/AudioInMemory.h"
#include "tools/corvane/Commands.h"
#include "tools/corvane/EditorView.h"
#include "tools/corvane/LoopPlayer.h"
#include "tools/corvane/ToolError.h"
#include "tools/corvane/UnitSetup.h"

#include <CoreFoundation/CoreFoundation.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <unistd.h>

namespace corvane::host {
namespace {

const char* const kEditorUsage =
  "usage: corvane editor [-p NAME=VALUE ...] [--state FILE] [--save-state FILE]\n"
  "                      [--play INPUT [--device NAME]] [--component PATH]\n"
  "  shows the editor in a window until it is closed (window manager or Ctrl+Q)\n"
  "  -p NAME=VALUE      set a parameter first (repeatable)\n"
  "  --state FILE       start from a saved state (.aupreset)\n"
  "  --save-state FILE  save the state (parameters and editor size) when the window closes\n"
  "  --force            let --save-state replace a file that is not a saved state\n"
  "  --play INPUT       play the file through the unit in a loop while the editor is open\n"
  "  --device NAME      ALSA device to play through (default: 'default')\n";

struct EditorOptions
{
  UnitOptions unit;
  std::string play;
  std::string device = "default";
};

EditorOptions ParseEditorOptions(const std::vector<std::string>& args)
{
  EditorOptions o;
  for (size_t i = 0; i < args.size(); ++i)
  {
    const std::string& a = args[i];
    const auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size())
        throw UsageError("option " + a + " needs a value");
      return args[++i];
    };
    if (TakeUnitOption(args, i, o.unit))
      continue;
    if (a == "--play")
      o.play = value();
    else if (a == "--device")
      o.device = value();
    else
      throw UsageError("unexpected argument '" + a + "'");
  }
  return o;
}

volatile std::sig_atomic_t gCloseRequested = 0;
void RequestClose(int) { gCloseRequested = 1; }

} // namespace

int RunEditor(const std::vector<std::string>& args)
{
  if (PrintedHelp(args, kEditorUsage))
    return 0;
  const EditorOptions options = ParseEditorOptions(args);

  // Where the state goes is checked before the window opens, so the session's edits cannot be lost at the end.
  std::optional<StateOutput> stateOut;
  if (!options.unit.stateOut.empty())
    stateOut.emplace(options.unit.stateOut, std::vector<FileInUse>{{options.play, "played file"}}, false,
                     options.unit.forceStateOut);
  const UnitSetup setup(options.unit);
  std::unique_ptr<HostedUnit> unit = setup.OpenUnit();

  constexpr int kBlockSize = 256;
  std::unique_ptr<AudioFileReader> input;
  if (!options.play.empty())
    input = std::make_unique<AudioFileReader>(options.play);
  unit->Configure(input ? input->SampleRate() : 48000, input ? input->Channels() : 2, kBlockSize);
  setup.ApplyTo(*unit);
  unit->Initialize();

  // The device is opened before the window, so a missing one fails at once.
  std::unique_ptr<AlsaOutput> device;
  std::unique_ptr<LoopPlayer> player;
  if (input)
  {
    device = std::make_unique<AlsaOutput>(options.device, input->SampleRate(), input->Channels(), kBlockSize);
    player = std::make_unique<LoopPlayer>(ReadAllFrames(*input, options.play), *unit, *device, kBlockSize);
  }

  EditorView view(unit->Instance(), "Corvane");
  if (player)
    player->Start();

  gCloseRequested = 0;
  struct sigaction action
  {};
  action.sa_handler = RequestClose;
  sigemptyset(&action.sa_mask);
  struct sigaction previousInt
  {
  }, previousTerm{};
  sigaction(SIGINT, &action, &previousInt);
  sigaction(SIGTERM, &action, &previousTerm);
  // The main run loop runs the editor's frame timer and the unit's own timers.
  while (!gCloseRequested && view.ProcessEvents() && !(player && player->Failed()))
    CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.005, false);
  sigaction(SIGINT, &previousInt, nullptr);
  sigaction(SIGTERM, &previousTerm, nullptr);

  if (player)
  {
    player->Stop();
    if (player->Failed())
      throw ToolError("playback stopped: " + player->Error());
  }
  // Saved while the editor is still open, so the state carries its size as shown.
  if (stateOut)
    stateOut->Save(*unit);
  return 0;
}

} // namespace corvane::host
