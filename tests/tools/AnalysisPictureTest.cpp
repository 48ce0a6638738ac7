// The analysis picture drawn offscreen from made-up measurements: its size at
// each scale, and each chart's colours found where the chart is.

#include "tools/corvane/AnalysisPicture.h"
#include "tools/corvane/ReportStyle.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

using namespace corvane::host;
using iplug::igraphics::IColor;

namespace {

UnitAnalysis MadeUp(bool corners)
{
  UnitAnalysis a;
  a.sampleRate = 48000;
  a.latency = 17;
  a.settings = {{"Gain", "25dB", false}, {"Oversampling", "Oversampling On", false}, {"Phase", "0", true}};
  a.response.hz = ResponseFrequencies(48000);
  for (double hz : a.response.hz)
  {
    // A second-order band from 100 Hz to 8 kHz.
    const double high = std::pow(hz / 100.0, 2.0), low = std::pow(hz / 8000.0, 2.0);
    a.response.db.push_back(corners ? 10.0 * std::log10(high / (1.0 + high) / (1.0 + low)) : 0.0);
    a.response.phaseDeg.push_back(0.0);
  }
  a.response.referenceDb = 0.0;
  if (corners)
    a.corners = {100.0, 8000.0};
  a.harmonics = {1000.0, -12.0, 1.2, {-20, -30, -60, -80, -100, -120, -150, -150, -150}};
  for (double db = -60; db <= 6; db += 3)
  {
    a.transfer.inDbfs.push_back(db);
    a.transfer.outDbfs.push_back(std::min(db, -6.0));
  }
  return a;
}

// Share of the pixels in a region (fractions of the picture) close to `colour`.
double Share(const Picture& p, double l, double t, double r, double b, const IColor& colour)
{
  int near = 0, all = 0;
  for (int y = static_cast<int>(t * p.height); y < static_cast<int>(b * p.height); ++y)
    for (int x = static_cast<int>(l * p.width); x < static_cast<int>(r * p.width); ++x)
    {
      const uint8_t* px = p.rgba.data() + (static_cast<size_t>(y) * p.width + x) * 4;
      near += std::abs(px[0] - colour.R) < 24 && std::abs(px[1] - colour.G) < 24 && std::abs(px[2] - colour.B) < 24;
      ++all;
    }
  return static_cast<double>(near) / all;
}

} // namespace

TEST(AnalysisPicture, EveryPanelDrawsWhereItBelongsAtEachScale)
{
  using namespace report;
  const char* font = std::getenv("CORVANE_ROBOTO");
  const std::string file = font ? font : "/usr/share/fonts/truetype/roboto/unhinted/RobotoTTF/Roboto-Regular.ttf";
  for (float scale : {1.f, 2.f})
  {
    SCOPED_TRACE(scale);
    const Picture p = DrawAnalysisPicture(MadeUp(true), scale, file);
    ASSERT_EQ(p.width, static_cast<int>(1200 * scale));
    ASSERT_EQ(p.height, static_cast<int>(800 * scale));
    ASSERT_EQ(p.rgba.size(), static_cast<size_t>(p.width) * p.height * 4);
    // The dark header above the light page.
    EXPECT_GT(Share(p, 0.0, 0.0, 0.6, 0.02, kHeader), 0.95);
    EXPECT_GT(Share(p, 0.0, 0.158, 0.015, 0.98, kPage), 0.95);
    // The response (top), the harmonics (bottom left), the transfer curve (bottom right).
    EXPECT_GT(Share(p, 0.05, 0.18, 0.98, 0.55, kResponse), 0.004);
    EXPECT_GT(Share(p, 0.05, 0.18, 0.98, 0.55, kCorner), 0.0005);
    EXPECT_GT(Share(p, 0.05, 0.62, 0.48, 0.92, kEvenHarmonic), 0.02);
    EXPECT_GT(Share(p, 0.05, 0.62, 0.48, 0.92, kOddHarmonic), 0.02);
    EXPECT_GT(Share(p, 0.55, 0.62, 0.98, 0.92, kTransfer), 0.004);
    // Each colour stays in its own chart.
    EXPECT_EQ(Share(p, 0.55, 0.62, 0.98, 0.92, kEvenHarmonic), 0.0);
    EXPECT_EQ(Share(p, 0.05, 0.62, 0.48, 0.92, kTransfer), 0.0);
  }
  // Without -3 dB points there is nothing to mark.
  const Picture flat = DrawAnalysisPicture(MadeUp(false), 1.f, file);
  EXPECT_EQ(Share(flat, 0.05, 0.18, 0.98, 0.55, report::kCorner), 0.0);
}
