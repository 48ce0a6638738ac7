#pragma once
// The three charts of the analysis picture, each drawn into a card.

#include "graphics/IGraphics.h"
#include "tools/corvane/UnitAnalysis.h"

namespace corvane::host {

/** Magnitude against log frequency, with the -3 dB points marked. */
void DrawResponseChart(iplug::igraphics::IGraphics& g, const iplug::igraphics::IRECT& card, const UnitAnalysis& a);
/** H2 to H10 as bars in dBc. */
void DrawHarmonicsChart(iplug::igraphics::IGraphics& g, const iplug::igraphics::IRECT& card, const UnitAnalysis& a);
/** Output level against input level, beside the unity line. */
void DrawTransferChart(iplug::igraphics::IGraphics& g, const iplug::igraphics::IRECT& card, const UnitAnalysis& a);

/** The input level where the output first falls 1 dB below the small-signal
    line; empty when it never does. */
std::optional<double> OneDbCompressionPoint(const TransferCurve& curve);

} // namespace corvane::host
