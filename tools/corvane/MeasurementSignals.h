#pragma once
// The pieces every measurement of the unit shares: running a test signal
// through it as a host does, the sizes that put a tone exactly on a bin, and
// the window and level conversions.

#include "tools/corvane/OfflineRenderer.h"

#include <cstdint>
#include <vector>

namespace corvane::host {

/** How the unit is run for a measurement. */
struct MeasureSetup
{
  int sampleRate = 48000;
  int channels = 2;    // the same signal on every channel; the first is measured
  int blockSize = 512; // frames per slice
};

struct SignalRun
{
  std::vector<float> output; // the first channel, as rendered (delayed by the latency)
  int64_t latency = 0;       // read after the first slice, as a host does
};

/** Renders `input` (on every channel) through `unit` slice by slice. */
SignalRun RunSignal(SliceProcessor& unit, const MeasureSetup& setup, const std::vector<float>& input);

/** A transform size of `seconds`, so its bins fall on multiples of
    1 / `seconds` hertz, when the library transforms that size well; else the
    next fast size above. Always even. */
int CoherentBlock(int sampleRate, double seconds);

/** `hz` moved to the nearest bin of a `block`-point transform, at least bin 1. */
double OnBin(double hz, int sampleRate, int block);

/** A raised-cosine fade: 0 at `x` <= 0, 1 at `x` >= 1. */
double HalfHann(double x);

/** The periodic 4-term Blackman-Harris window of `n` points: with a tone
    exactly on a bin, all its energy lands in that bin and the three each side. */
std::vector<double> BlackmanHarris(int n);
inline constexpr int kBlackmanHarrisHalfWidth = 3;

/** Peak amplitude of a sine at `dbfs` (0 dBFS: a full-scale sine). */
double SineAmplitude(double dbfs);
/** dBFS of a sine with this RMS value; -infinity for silence. */
double SineRmsToDbfs(double rms);

} // namespace corvane::host
