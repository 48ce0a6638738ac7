#include "tools/corvane/AnalysisCharts.h"

#include "tools/corvane/AnalysisReport.h"
#include "tools/corvane/PlotFrame.h"
#include "tools/corvane/ReportStyle.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace corvane::host {

using iplug::igraphics::IGraphics;
using iplug::igraphics::IRECT;
using namespace report;

namespace {

// A white card with its title and, on the right, a note; returns the room
// left for the chart.
IRECT Card(IGraphics& g, const IRECT& r, const std::string& title, const std::string& note)
{
  g.FillRoundRect(kCard, r, 8.f);
  g.DrawRoundRect(kCardBorder, r, 8.f, nullptr, 1.f);
  const IRECT titleRow(r.L + 20.f, r.T + 10.f, r.R - 20.f, r.T + 38.f);
  g.DrawText(Text(17.f, kInk, ETextHAlign::Near, ETextVAlign::Middle, kBold), title.c_str(), titleRow);
  g.DrawText(Text(13.f, kMuted, ETextHAlign::Far), note.c_str(), titleRow);
  return IRECT(r.L + 16.f, r.T + 46.f, r.R - 20.f, r.B - 12.f);
}

// The chart's area inside the card's room: space on the left for the tick
// labels and the turned axis title, below for the labels and the title.
IRECT ChartArea(const IRECT& room) { return IRECT(room.L + 58.f, room.T + 4.f, room.R, room.B - 40.f); }

void AxisTitles(IGraphics& g, const IRECT& area, const IRECT& room, const char* x, const char* y)
{
  g.DrawText(Text(13.f, kMuted, ETextHAlign::Center, ETextVAlign::Bottom), x,
             IRECT(area.L, area.B, area.R, room.B + 2.f));
  IText turned = Text(13.f, kMuted, ETextHAlign::Center, ETextVAlign::Middle);
  turned.mAngle = -90.f;
  g.DrawText(turned, y, IRECT(room.L, area.T, room.L + 16.f, area.B));
}

void YLabel(IGraphics& g, const PlotFrame& f, double v, const std::string& text)
{
  const float y = f.Y(v);
  g.DrawText(Text(12.f, kMuted, ETextHAlign::Far), text.c_str(),
             IRECT(f.Area().L - 44.f, y - 8.f, f.Area().L - 8.f, y + 8.f));
}

void XLabel(IGraphics& g, const PlotFrame& f, double v, const std::string& text)
{
  const float x = f.X(v);
  g.DrawText(Text(12.f, kMuted, ETextHAlign::Center, ETextVAlign::Top), text.c_str(),
             IRECT(x - 30.f, f.Area().B + 7.f, x + 30.f, f.Area().B + 22.f));
}

// Gridlines every `step` on the vertical axis, each labelled.
void LevelGrid(IGraphics& g, const PlotFrame& f, double step, int decimals = 0)
{
  for (double v : LinearTicks(f.YAxis().lo, f.YAxis().hi, step))
  {
    f.HorizontalLine(g, v, v == 0.0 ? kGridMajor : kGridMinor, 1.f);
    YLabel(g, f, v, SignedText(v, decimals));
  }
}

double RoundDown(double v, double step) { return std::floor(v / step) * step; }
double RoundUp(double v, double step) { return std::ceil(v / step) * step; }

// A small label in a rounded box below the point (x, y), where a filter's
// skirt leaves room: to its right, or to its left when `left` is set.
void PointLabel(IGraphics& g, float x, float y, const std::string& text, bool left, const IRECT& within)
{
  const IText style = Text(13.f, kCorner, ETextHAlign::Center, ETextVAlign::Middle, kBold);
  IRECT measured;
  g.MeasureText(style, text.c_str(), measured);
  const float w = measured.W() + 16.f, h = 22.f;
  float l = left ? x - 12.f - w : x + 12.f;
  l = std::clamp(l, within.L + 4.f, within.R - 4.f - w);
  const float t = std::clamp(y + 10.f, within.T + 4.f, within.B - 4.f - h);
  const IRECT box(l, t, l + w, t + h);
  g.FillRoundRect(IColor(235, 255, 255, 255), box, 5.f);
  g.DrawRoundRect(kCorner, box, 5.f, nullptr, 1.f);
  g.DrawText(style, text.c_str(), box);
}

} // namespace

void DrawResponseChart(IGraphics& g, const IRECT& card, const UnitAnalysis& a)
{
  const FrequencyResponse& r = a.response;
  const std::string note = "small signal, " + SignedText(kResponseLevelDbfs) + " dBFS sweep \u00b7 " +
                           SignedText(r.referenceDb, 2) + " dB at 1 kHz";
  const IRECT room = Card(g, card, "Frequency response", note);
  const IRECT area = ChartArea(room);

  double highest = -1e9;
  for (double v : r.db)
    if (std::isfinite(v))
      highest = std::max(highest, v);
  const double top = RoundUp((highest > -1e9 ? highest : 0.0) + 2.0, 6.0);
  const PlotAxis x{kResponseLowestHz, kResponseTopOfRate * a.sampleRate, true};
  const PlotFrame f(area, x, PlotAxis{top - 48.0, top, false});

  for (double hz : FrequencyTicks(x.lo, x.hi, false))
  {
    const bool decade = std::abs(std::log10(hz) - std::round(std::log10(hz))) < 1e-9;
    f.VerticalLine(g, hz, decade ? kGridMajor : kGridMinor, 1.f);
  }
  for (double hz : FrequencyTicks(x.lo, x.hi, true))
    XLabel(g, f, hz, FrequencyTickText(hz));
  LevelGrid(g, f, 6.0);
  g.DrawRect(kGridMajor, area);
  AxisTitles(g, area, room, "Frequency (Hz)", "Level (dB)");

  const double minus3 = r.referenceDb - 3.0;
  const bool anyCorner = a.corners.lowHz || a.corners.highHz;
  if (anyCorner && f.ContainsY(minus3))
    g.DrawDottedLine(IColor(150, kCorner.R, kCorner.G, kCorner.B), area.L, f.Y(minus3), area.R, f.Y(minus3), nullptr,
                     1.f, 4.f);
  f.Curve(g, r.hz, r.db, kResponse, 2.5f);

  for (const auto& [corner, left] : {std::pair{a.corners.lowHz, false}, std::pair{a.corners.highHz, true}})
  {
    if (!corner || !f.ContainsX(*corner) || !f.ContainsY(minus3))
      continue;
    const float px = f.X(*corner), py = f.Y(minus3);
    g.DrawDottedLine(kCorner, px, py, px, area.B, nullptr, 1.5f, 4.f);
    g.FillCircle(kCard, px, py, 6.f);
    g.DrawCircle(kCorner, px, py, 6.f, nullptr, 2.5f);
    PointLabel(g, px, py, "\u22123 dB  " + FrequencyText(*corner), left, area);
  }
  if (!anyCorner)
    g.DrawText(Text(13.f, kMuted, ETextHAlign::Far, ETextVAlign::Top),
               ("no \u22123 dB point from 10 Hz to " + FrequencyText(x.hi)).c_str(),
               IRECT(area.L, area.T + 8.f, area.R - 10.f, area.T + 26.f));
}

void DrawHarmonicsChart(IGraphics& g, const IRECT& card, const UnitAnalysis& a)
{
  const HarmonicAnalysis& h = a.harmonics;
  const std::string note = FrequencyText(h.frequencyHz) + " at " +
                           SignedText(h.levelDbfs, h.levelDbfs == std::round(h.levelDbfs) ? 0 : 1) +
                           " dBFS \u00b7 THD " + ThdText(h.thdPercent);
  const IRECT room = Card(g, card, "Harmonic spectrum", note);
  const IRECT area = ChartArea(room);
  const PlotFrame f(area, PlotAxis{0.0, 1.0, false}, PlotAxis{kHarmonicFloorDbc - 20.0, 0.0, false});

  // Below the floor lies the rounding of single-precision audio, not the unit:
  // bars stand on it, and a harmonic under it has none.
  const float floorY = f.Y(kHarmonicFloorDbc);
  g.FillRect(kFloor, IRECT(area.L, floorY, area.R, area.B));
  g.DrawText(Text(12.f, kMuted, ETextHAlign::Center), "measurement floor", IRECT(area.L, floorY, area.R, area.B));
  LevelGrid(g, f, 20.0);
  g.DrawRect(kGridMajor, area);
  AxisTitles(g, area, room, "Harmonic", "Level (dBc)");

  const float slot = area.W() / (kHighestHarmonic - 1);
  for (int n = 2; n <= kHighestHarmonic; ++n)
  {
    const float centre = area.L + slot * (static_cast<float>(n) - 1.5f);
    g.DrawText(Text(12.f, kMuted, ETextHAlign::Center, ETextVAlign::Top), ("H" + std::to_string(n)).c_str(),
               IRECT(centre - 20.f, area.B + 7.f, centre + 20.f, area.B + 22.f));
    const size_t i = static_cast<size_t>(n - 2);
    if (i >= h.dbc.size())
      continue; // above Nyquist
    const double v = h.dbc[i];
    const bool measurable = std::isfinite(v) && v > kHarmonicFloorDbc;
    const float top = measurable ? std::max(f.Y(v), area.T) : floorY;
    if (measurable)
      g.FillRoundRect(n % 2 == 0 ? kEvenHarmonic : kOddHarmonic,
                      IRECT(centre - slot * 0.3f, top, centre + slot * 0.3f, floorY), 3.f, 3.f, 0.f, 0.f);
    const std::string label = measurable ? SignedText(v, 1) : "<" + SignedText(kHarmonicFloorDbc);
    // Above its bar, or inside it when the bar reaches the top.
    const bool inside = top - 20.f < area.T;
    const IRECT labelRow = inside ? IRECT(centre - slot / 2, top + 3.f, centre + slot / 2, top + 20.f)
                                  : IRECT(centre - slot / 2, top - 20.f, centre + slot / 2, top - 3.f);
    g.DrawText(Text(12.f,
                    inside       ? kCard
                    : measurable ? kInk
                                 : kMuted,
                    ETextHAlign::Center, inside ? ETextVAlign::Top : ETextVAlign::Bottom),
               label.c_str(), labelRow);
  }
  // Legend, even and odd harmonics, beside the axis title.
  float x = area.R - 104.f;
  for (const auto& [label, colour] : {std::pair{"even", kEvenHarmonic}, std::pair{"odd", kOddHarmonic}})
  {
    g.FillRoundRect(colour, IRECT(x, room.B - 13.f, x + 12.f, room.B - 1.f), 2.f);
    g.DrawText(Text(12.f, kMuted), label, IRECT(x + 17.f, room.B - 15.f, x + 60.f, room.B + 1.f));
    x += 58.f;
  }
}

std::optional<double> OneDbCompressionPoint(const TransferCurve& c)
{
  if (c.inDbfs.empty() || c.outDbfs.size() != c.inDbfs.size() || !std::isfinite(c.outDbfs[0]))
    return std::nullopt;
  const double gain = c.outDbfs[0] - c.inDbfs[0];
  double before = 0.0;
  for (size_t i = 1; i < c.inDbfs.size(); ++i)
  {
    const double shortfall = c.inDbfs[i] + gain - c.outDbfs[i];
    if (!std::isfinite(shortfall))
      return std::nullopt;
    if (shortfall >= 1.0)
      return c.inDbfs[i - 1] + (c.inDbfs[i] - c.inDbfs[i - 1]) * (1.0 - before) / (shortfall - before);
    before = shortfall;
  }
  return std::nullopt;
}

void DrawTransferChart(IGraphics& g, const IRECT& card, const UnitAnalysis& a)
{
  const TransferCurve& c = a.transfer;
  const std::optional<double> knee = OneDbCompressionPoint(c);
  const std::string note = FrequencyText(kTransferHz) + " \u00b7 " +
                           (knee ? "1 dB compression at " + SignedText(*knee, 1) + " dBFS in"
                                 : "no 1 dB compression up to " + SignedText(kTransferHighestDbfs) + " dBFS");
  const IRECT room = Card(g, card, "Transfer curve", note);
  const IRECT area = ChartArea(room);

  double lo = kTransferLowestDbfs, hi = kTransferHighestDbfs;
  for (double v : c.outDbfs)
    if (std::isfinite(v))
    {
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
  const PlotFrame f(area, PlotAxis{kTransferLowestDbfs, kTransferHighestDbfs, false},
                    PlotAxis{RoundDown(lo, 6.0), RoundUp(hi, 6.0), false});
  for (double v : LinearTicks(kTransferLowestDbfs, kTransferHighestDbfs, 6.0))
  {
    f.VerticalLine(g, v, v == 0.0 ? kGridMajor : kGridMinor, 1.f);
    XLabel(g, f, v, SignedText(v));
  }
  LevelGrid(g, f, f.YAxis().hi - f.YAxis().lo > 72.0 ? 12.0 : 6.0);
  g.DrawRect(kGridMajor, area);
  AxisTitles(g, area, room, "Input (dBFS)", "Output (dBFS)");

  // Output = input, for reference.
  const double from = std::max(f.XAxis().lo, f.YAxis().lo), to = std::min(f.XAxis().hi, f.YAxis().hi);
  if (from < to)
    g.DrawDottedLine(kReferenceLine, f.X(from), f.Y(from), f.X(to), f.Y(to), nullptr, 1.5f, 5.f);
  g.DrawDottedLine(kReferenceLine, area.L + 14.f, area.T + 16.f, area.L + 38.f, area.T + 16.f, nullptr, 1.5f, 5.f);
  g.DrawText(Text(12.f, kMuted), "output = input", IRECT(area.L + 44.f, area.T + 8.f, area.L + 160.f, area.T + 24.f));

  f.Curve(g, c.inDbfs, c.outDbfs, kTransfer, 2.5f);
  for (size_t i = 0; i < c.inDbfs.size() && i < c.outDbfs.size(); ++i)
    if (std::isfinite(c.outDbfs[i]) && f.ContainsY(c.outDbfs[i]))
      g.FillCircle(kTransfer, f.X(c.inDbfs[i]), f.Y(c.outDbfs[i]), 3.5f);
}

} // namespace corvane::host
