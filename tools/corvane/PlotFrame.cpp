#include "tools/corvane/PlotFrame.h"

#include <cmath>
#include <cstdio>

namespace corvane::host {

using iplug::igraphics::ELineCap;
using iplug::igraphics::ELineJoin;
using iplug::igraphics::IStrokeOptions;

double PlotAxis::Fraction(double v) const
{
  if (logarithmic)
    return std::log(v / lo) / std::log(hi / lo);
  return (v - lo) / (hi - lo);
}

float PlotFrame::X(double v) const { return mArea.L + static_cast<float>(mX.Fraction(v)) * mArea.W(); }

float PlotFrame::Y(double v) const { return mArea.B - static_cast<float>(mY.Fraction(v)) * mArea.H(); }

bool PlotFrame::ContainsX(double v) const
{
  const double f = mX.Fraction(v);
  return f >= -1e-9 && f <= 1.0 + 1e-9;
}

bool PlotFrame::ContainsY(double v) const
{
  const double f = mY.Fraction(v);
  return f >= -1e-9 && f <= 1.0 + 1e-9;
}

void PlotFrame::VerticalLine(IGraphics& g, double x, const IColor& color, float thickness) const
{
  const float px = X(x);
  g.DrawLine(color, px, mArea.T, px, mArea.B, nullptr, thickness);
}

void PlotFrame::HorizontalLine(IGraphics& g, double y, const IColor& color, float thickness) const
{
  const float py = Y(y);
  g.DrawLine(color, mArea.L, py, mArea.R, py, nullptr, thickness);
}

void PlotFrame::Curve(IGraphics& g, const std::vector<double>& xs, const std::vector<double>& ys, const IColor& color,
                      float thickness) const
{
  IStrokeOptions options;
  options.mJoinOption = ELineJoin::Round;
  options.mCapOption = ELineCap::Round;
  g.PathClipRegion(mArea);
  g.PathClear();
  bool drawing = false;
  for (size_t i = 0; i < xs.size() && i < ys.size(); ++i)
  {
    if (!std::isfinite(xs[i]) || !std::isfinite(ys[i]))
    {
      drawing = false;
      continue;
    }
    // Far outside the frame only the direction matters; keep the numbers sane.
    const float y = std::fmax(std::fmin(Y(ys[i]), mArea.B + mArea.H()), mArea.T - mArea.H());
    if (drawing)
      g.PathLineTo(X(xs[i]), y);
    else
      g.PathMoveTo(X(xs[i]), y);
    drawing = true;
  }
  g.PathStroke(color, thickness, options);
  g.PathClipRegion();
}

std::vector<double> FrequencyTicks(double lo, double hi, bool labelled)
{
  std::vector<double> ticks;
  for (double decade = std::pow(10.0, std::floor(std::log10(lo))); decade <= hi; decade *= 10.0)
    for (int m = 1; m <= 9; ++m)
    {
      const double f = decade * m;
      if (f < lo * (1 - 1e-9) || f > hi * (1 + 1e-9))
        continue;
      if (!labelled || m == 1 || m == 2 || m == 5)
        ticks.push_back(f);
    }
  return ticks;
}

std::string FrequencyTickText(double hz)
{
  char text[16];
  if (hz >= 1000.0)
    std::snprintf(text, sizeof text, "%gk", hz / 1000.0);
  else
    std::snprintf(text, sizeof text, "%g", hz);
  return text;
}

std::vector<double> LinearTicks(double lo, double hi, double step)
{
  std::vector<double> ticks;
  for (double v = std::ceil(lo / step - 1e-9) * step; v <= hi + 1e-9 * step; v += step)
    ticks.push_back(std::abs(v) < 1e-9 * step ? 0.0 : v);
  return ticks;
}

std::string SignedText(double v, int decimals)
{
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, std::abs(v));
  const bool zero = std::string(text).find_first_not_of("0.") == std::string::npos;
  if (zero)
    return text;
  return (v < 0 ? "\u2212" : "+") + std::string(text);
}

} // namespace corvane::host
