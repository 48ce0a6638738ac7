#pragma once
// The built-in demo input, made in code: plucked tones alternating between
// quiet (clean) and loud (driving the preamp into saturation), a sine sweep
// across the audio band (to hear the filters), and decaying noise bursts.
// Stereo, about eight seconds, the same every run.

#include "tools/corvane/MemorySource.h"

namespace corvane::host {

constexpr int kDemoSampleRate = 48000;
constexpr int kDemoChannels = 2;

MemorySource MakeDemoSignal(int sampleRate = kDemoSampleRate);

} // namespace corvane::host
