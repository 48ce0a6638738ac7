#pragma once
// The unit's frequency response, measured with an exponential sine sweep at
// a small-signal level and deconvolved into its impulse response.

#include "tools/corvane/MeasurementSignals.h"

#include <optional>
#include <vector>

namespace corvane::host {

inline constexpr double kResponseLevelDbfs = -40.0;
inline constexpr double kResponseLowestHz = 10.0;
inline constexpr double kResponseTopOfRate = 0.45; // the highest point, as a share of the rate
inline constexpr double kReferenceHz = 1000.0;

struct FrequencyResponse
{
  std::vector<double> hz;       // 1/24-octave points from 10 Hz, then 0.45 x rate
  std::vector<double> db;       // magnitude; -infinity where nothing came through
  std::vector<double> phaseDeg; // with the latency taken out, in (-180, 180]
  double referenceDb = 0.0;     // magnitude at 1 kHz
  int64_t latency = 0;          // samples, as the unit reported it
};

/** The frequencies the response is given at, for `sampleRate`. */
std::vector<double> ResponseFrequencies(int sampleRate);

/** Sweeps a fresh, reset unit and returns its response at ResponseFrequencies. */
FrequencyResponse MeasureResponse(SliceProcessor& unit, const MeasureSetup& setup);

struct Corners
{
  std::optional<double> lowHz;  // none: within 3 dB down to the lowest point
  std::optional<double> highHz; // none: within 3 dB up to the highest point
};

/** The frequencies where the response, going down and going up from 1 kHz,
    first falls 3 dB below its level there, interpolated in log frequency
    between the points around the crossing. */
Corners FindCorners(const FrequencyResponse& response);

} // namespace corvane::host
