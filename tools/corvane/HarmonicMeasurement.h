#pragma once
// The harmonics the unit adds to a steady sine, and how its output level
// follows the input level.

#include "tools/corvane/MeasurementSignals.h"

#include <vector>

namespace corvane::host {

inline constexpr int kHighestHarmonic = 10;
/** Harmonics weaker than this are the rounding of single-precision audio
    and transforms, not the unit: the floor of the measurement. */
inline constexpr double kHarmonicFloorDbc = -140.0;

struct HarmonicAnalysis
{
  double frequencyHz = 0.0; // the tone measured (on a bin of the analysis)
  double levelDbfs = 0.0;   // its input level
  double thdPercent = 0.0;  // root-sum-square of the harmonics below Nyquist; NaN when there are none
  std::vector<double> dbc;  // H2, H3, ... below Nyquist; -infinity where none came out
};

/** Plays a sine near `hz` at `levelDbfs` into a fresh, reset unit and
    measures its harmonics in steady state. */
HarmonicAnalysis MeasureHarmonics(SliceProcessor& unit, const MeasureSetup& setup, double hz, double levelDbfs);

struct TransferCurve
{
  std::vector<double> inDbfs;
  std::vector<double> outDbfs; // the output's RMS level as a sine's dBFS; -infinity for silence
};

inline constexpr double kTransferHz = 1000.0;
inline constexpr double kTransferLowestDbfs = -60.0;
inline constexpr double kTransferHighestDbfs = 6.0;
inline constexpr double kTransferStepDb = 3.0;

/** Steps a 1 kHz sine from -60 to +6 dBFS through a fresh, reset unit and
    measures the output level at each step once it has settled. */
TransferCurve MeasureTransfer(SliceProcessor& unit, const MeasureSetup& setup);

} // namespace corvane::host
