#pragma once
// What "corvane analyze" prints: every measured value as one JSON object, or
// a short table of the figures people look for first.

#include "tools/corvane/UnitAnalysis.h"

#include <string>

namespace corvane::host {

/** One JSON object; numbers that could not be measured are null. */
std::string FormatAnalysisJson(const UnitAnalysis& analysis);

/** Corners, THD, the first harmonics and the latency, one per line. */
std::string FormatAnalysisTable(const UnitAnalysis& analysis);

/** "28.9 Hz", "8.28 kHz". */
std::string FrequencyText(double hz);
/** THD as "9.19 %" (three significant digits). */
std::string PercentText(double percent);
/** The same for a picture: "< 0.001 %" below that. */
std::string ThdText(double percent);

} // namespace corvane::host
