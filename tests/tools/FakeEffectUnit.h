#pragma once
// A small in-process Audio Unit effect registered under Corvane's
// description, so the host glue can be tested through the real platform
// calls without the product. It takes 1-1 or 2-2 channels, pulls its input
// from the render callback into its own scratch, multiplies by "Gain"
// (value texts "0dB", "6dB", "12dB") and "Output" (dB), and delays by 33
// frames when "Delay" is on. Like the product, it reports a new latency only
// after it has processed a block.

#include <AudioToolbox/AudioToolbox.h>

namespace fake {

constexpr int kDelayFrames = 33;

struct Behaviour
{
  OSStatus renderError = noErr; // returned by the render call after `renderErrorAfter` slices
  int renderErrorAfter = 0;
  OSStatus initializeError = noErr;
  int raiseSigintAt = -1;      // render call that raises SIGINT, as a user's Ctrl-C would
  OSStatus stateError = noErr; // returned by a class-info set instead of taking the state
};

// The fake's saved state: the class-info dictionary with "name" "Fake state"
// and as "data" the editor record 300 x 200 at scale 1.5 followed by the
// three parameter values as doubles. Setting it checks the codes and reads
// the values back.
constexpr int kStateBytes = 12 + 3 * 8;

/** Registers the fake once per process; later calls only reset the behaviour. */
void Register(const Behaviour& behaviour = {});

/** Render calls and stream format writes seen by the newest instance. */
int RenderCalls();
int LastFormatChannels();

} // namespace fake
