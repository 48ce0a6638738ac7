#pragma once
// A chart's frame for the analysis picture: data mapped onto a rectangle of
// the picture, on linear or logarithmic axes, with its grid and curves.

#include "graphics/IGraphics.h"

#include <string>
#include <vector>

namespace corvane::host {

struct PlotAxis
{
  double lo = 0.0;
  double hi = 1.0;
  bool logarithmic = false;

  /** Where `v` lies from lo (0) to hi (1). */
  double Fraction(double v) const;
};

class PlotFrame
{
public:
  using IGraphics = iplug::igraphics::IGraphics;
  using IRECT = iplug::igraphics::IRECT;
  using IColor = iplug::igraphics::IColor;

  PlotFrame(const IRECT& area, const PlotAxis& x, const PlotAxis& y) : mArea(area), mX(x), mY(y) {}

  const IRECT& Area() const { return mArea; }
  const PlotAxis& XAxis() const { return mX; }
  const PlotAxis& YAxis() const { return mY; }
  float X(double v) const;
  float Y(double v) const;
  bool ContainsX(double v) const;
  bool ContainsY(double v) const;

  void VerticalLine(IGraphics& g, double x, const IColor& color, float thickness = 1.f) const;
  void HorizontalLine(IGraphics& g, double y, const IColor& color, float thickness = 1.f) const;
  /** A line through the points, clipped to the frame; a point that is not a
      finite number breaks it. */
  void Curve(IGraphics& g, const std::vector<double>& xs, const std::vector<double>& ys, const IColor& color,
             float thickness) const;

private:
  IRECT mArea;
  PlotAxis mX, mY;
};

/** The gridline frequencies from `lo` to `hi`: 1 to 9 times each decade, or
    only the decades and the 2s and 5s when `labelled` is set. */
std::vector<double> FrequencyTicks(double lo, double hi, bool labelled);
/** "20", "500", "1k", "20k". */
std::string FrequencyTickText(double hz);
/** Multiples of `step` from `lo` to `hi`. */
std::vector<double> LinearTicks(double lo, double hi, double step);
/** "+6", "0", "−12" (with a typographic minus). */
std::string SignedText(double v, int decimals = 0);

} // namespace corvane::host
