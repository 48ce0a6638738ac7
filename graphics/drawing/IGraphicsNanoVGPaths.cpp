// Paths, paints, blends, transforms, clipping and bitmap drawing.

#include "graphics/drawing/IGraphicsNanoVG.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "NanoVGGL.h"

namespace iplug::igraphics {
namespace {

NVGcolor ToNVGColor(const IColor& c, const IBlend* blend)
{
  return nvgRGBAf(c.R / 255.f, c.G / 255.f, c.B / 255.f, BlendWeight(blend) * c.A / 255.f);
}

// Whether drawing transparent pixels with `method` leaves the target as it was: then a shape
// cut to the scissor draws exactly what the whole shape would.
bool LeavesUncoveredPixels(EBlend method)
{
  return method == EBlend::SrcOver || method == EBlend::SrcAtop || method == EBlend::DstOver ||
         method == EBlend::DstOut || method == EBlend::XOR;
}

IMatrix Inverted(const IMatrix& m)
{
  const double det = m.mXX * m.mYY - m.mYX * m.mXY;
  if (det == 0.0)
    return IMatrix();
  const double inv = 1.0 / det;
  return IMatrix(m.mYY * inv, -m.mYX * inv, -m.mXY * inv, m.mXX * inv, (m.mXY * m.mTY - m.mYY * m.mTX) * inv,
                 (m.mYX * m.mTX - m.mXX * m.mTY) * inv);
}

} // namespace

void IGraphicsNanoVG::ApplyBlend(const IBlend* blend)
{
  switch (BlendMethod(blend))
  {
    case EBlend::SrcOver: nvgGlobalCompositeOperation(mVG, NVG_SOURCE_OVER); break;
    case EBlend::SrcIn: nvgGlobalCompositeOperation(mVG, NVG_SOURCE_IN); break;
    case EBlend::SrcOut: nvgGlobalCompositeOperation(mVG, NVG_SOURCE_OUT); break;
    case EBlend::SrcAtop: nvgGlobalCompositeOperation(mVG, NVG_ATOP); break;
    case EBlend::DstOver: nvgGlobalCompositeOperation(mVG, NVG_DESTINATION_OVER); break;
    case EBlend::DstIn: nvgGlobalCompositeOperation(mVG, NVG_DESTINATION_IN); break;
    case EBlend::DstOut: nvgGlobalCompositeOperation(mVG, NVG_DESTINATION_OUT); break;
    case EBlend::DstAtop: nvgGlobalCompositeOperation(mVG, NVG_DESTINATION_ATOP); break;
    case EBlend::Add: nvgGlobalCompositeBlendFunc(mVG, NVG_SRC_ALPHA, NVG_DST_ALPHA); break;
    case EBlend::XOR: nvgGlobalCompositeOperation(mVG, NVG_XOR); break;
  }
}

void IGraphicsNanoVG::ResetBlend() { nvgGlobalCompositeOperation(mVG, NVG_SOURCE_OVER); }

void IGraphicsNanoVG::SetFillOrStrokePaint(const IPattern& pattern, const IBlend* blend, bool stroke)
{
  if (pattern.mType == EPatternType::Solid || pattern.mNStops < 1)
  {
    const NVGcolor color = ToNVGColor(pattern.GetStop(0).mColor, blend);
    stroke ? nvgStrokeColor(mVG, color) : nvgFillColor(mVG, color);
    return;
  }
  // Two-colour gradients: the first stop inside, the last outside.
  const NVGcolor inner = ToNVGColor(pattern.GetStop(0).mColor, blend);
  const NVGcolor outer = ToNVGColor(pattern.GetStop(pattern.mNStops - 1).mColor, blend);
  const IMatrix inverse = Inverted(pattern.mTransform);
  double sx = 0.0, sy = 0.0;
  inverse.TransformPoint(sx, sy);
  NVGpaint paint;
  if (pattern.mType == EPatternType::Linear)
  {
    double ex = 0.0, ey = 1.0;
    inverse.TransformPoint(ex, ey);
    paint = nvgLinearGradient(mVG, float(sx), float(sy), float(ex), float(ey), inner, outer);
  }
  else
  {
    const float radius = float(inverse.mXX);
    paint = nvgRadialGradient(mVG, float(sx), float(sy), radius * pattern.GetStop(0).mOffset, radius, inner, outer);
  }
  stroke ? nvgStrokePaint(mVG, paint) : nvgFillPaint(mVG, paint);
}

void IGraphicsNanoVG::PathClear() { nvgBeginPath(mVG); }
void IGraphicsNanoVG::PathClose() { nvgClosePath(mVG); }
void IGraphicsNanoVG::PathMoveTo(float x, float y) { nvgMoveTo(mVG, x, y); }
void IGraphicsNanoVG::PathLineTo(float x, float y) { nvgLineTo(mVG, x, y); }

void IGraphicsNanoVG::PathArc(float cx, float cy, float r, float a1, float a2, EWinding winding)
{
  // Our angles run clockwise from twelve o'clock; NanoVG's from three o'clock.
  constexpr float k = std::numbers::pi_v<float> / 180.f;
  nvgArc(mVG, cx, cy, r, (a1 - 90.f) * k, (a2 - 90.f) * k, winding == EWinding::CW ? NVG_CW : NVG_CCW);
}

void IGraphicsNanoVG::PathSetWinding(bool clockwise) { nvgPathWinding(mVG, clockwise ? NVG_HOLE : NVG_SOLID); }

void IGraphicsNanoVG::PathCubicBezierTo(float c1x, float c1y, float c2x, float c2y, float x2, float y2)
{
  nvgBezierTo(mVG, c1x, c1y, c2x, c2y, x2, y2);
}

void IGraphicsNanoVG::PathQuadraticBezierTo(float cx, float cy, float x2, float y2) { nvgQuadTo(mVG, cx, cy, x2, y2); }

void IGraphicsNanoVG::PathStroke(const IPattern& pattern, float thickness, const IStrokeOptions& options,
                                 const IBlend* blend)
{
  if (!mVG)
    return;
  const int cap = static_cast<int>(options.mCapOption);
  const int join = static_cast<int>(options.mJoinOption);
  static constexpr int kCaps[] = {NVG_BUTT, NVG_ROUND, NVG_SQUARE};
  static constexpr int kJoins[] = {NVG_MITER, NVG_ROUND, NVG_BEVEL};
  if (cap >= 0 && cap <= 2)
    nvgLineCap(mVG, kCaps[cap]);
  if (join >= 0 && join <= 2)
    nvgLineJoin(mVG, kJoins[join]);
  nvgMiterLimit(mVG, options.mMiterLimit);
  nvgStrokeWidth(mVG, thickness);
  SetFillOrStrokePaint(pattern, blend, true);
  nvgPathWinding(mVG, NVG_CCW);
  ApplyBlend(blend);
  nvgStroke(mVG);
  ResetBlend();
  if (!options.mPreserve)
    nvgBeginPath(mVG);
}

void IGraphicsNanoVG::PathFill(const IPattern& pattern, const IFillOptions& options, const IBlend* blend)
{
  if (!mVG)
    return;
  if (options.mFillRule == EFillRule::Winding)
    nvgPathWinding(mVG, NVG_CCW);
  else if (options.mFillRule == EFillRule::EvenOdd)
    nvgPathWinding(mVG, NVG_CW);
  SetFillOrStrokePaint(pattern, blend, false);
  ApplyBlend(blend);
  nvgFill(mVG);
  ResetBlend();
  if (!options.mPreserve)
    nvgBeginPath(mVG);
}

void IGraphicsNanoVG::PathTransformSetMatrix(const IMatrix& m)
{
  if (!mVG)
    return;
  nvgResetTransform(mVG);
  nvgScale(mVG, GetDrawScale(), GetDrawScale());
  if (const ILayer* layer = GetTopLayer())
    nvgTranslate(mVG, -layer->Bounds().L, -layer->Bounds().T);
  nvgTransform(mVG, float(m.mXX), float(m.mYX), float(m.mXY), float(m.mYY), float(m.mTX), float(m.mTY));
  mMatrix = m;
}

void IGraphicsNanoVG::SetClipRegion(const IRECT& r)
{
  if (!mVG)
    return;
  nvgScissor(mVG, r.L, r.T, r.W(), r.H());
  mScissor = r;
  mScissorMatrix = mMatrix;
}

bool IGraphicsNanoVG::ClipToScissor(IRECT& r) const
{
  // NanoVG scissors per pixel in its shaders, so a large shape costs its full area even when a
  // small region is being redrawn. Where the shape is a rectangle in the space the scissor was
  // set in, cutting it down first draws the same pixels for less.
  if (mMatrix != mScissorMatrix)
    return true;
  r = IRECT(std::max(r.L, mScissor.L), std::max(r.T, mScissor.T), std::min(r.R, mScissor.R), std::min(r.B, mScissor.B));
  return r.R > r.L && r.B > r.T;
}

void IGraphicsNanoVG::FillRect(const IColor& color, const IRECT& bounds, const IBlend* blend)
{
  IRECT r = bounds;
  const bool local = LeavesUncoveredPixels(BlendMethod(blend));
  if (local && !ClipToScissor(r))
    return;
  IGraphics::FillRect(color, local ? r : bounds, blend);
}

void IGraphicsNanoVG::DrawBitmap(const IBitmap& bitmap, const IRECT& dest, int srcX, int srcY, const IBlend* blend)
{
  const APIBitmap* api = bitmap.GetAPIBitmap();
  if (!mVG || !api || api->GetBitmap() <= 0)
    return;
  // The image at the bitmap's point size, placed so the source offset lands on the destination's corner;
  // the rectangle clips it, which is how a filmstrip frame is chosen.
  const float toPoints = 1.f / (api->GetScale() * api->GetDrawScale());
  const NVGpaint image = nvgImagePattern(mVG, dest.L - srcX, dest.T - srcY, api->GetWidth() * toPoints,
                                         api->GetHeight() * toPoints, 0.f, api->GetBitmap(), BlendWeight(blend));
  IRECT area = dest;
  if (LeavesUncoveredPixels(BlendMethod(blend)) && !ClipToScissor(area))
    return;
  nvgBeginPath(mVG);
  nvgRect(mVG, area.L, area.T, area.W(), area.H());
  nvgFillPaint(mVG, image);
  ApplyBlend(blend);
  nvgFill(mVG);
  ResetBlend();
  nvgBeginPath(mVG);
}

void IGraphicsNanoVG::DrawDottedLine(const IColor& color, float x1, float y1, float x2, float y2, const IBlend* blend,
                                     float thickness, float dashLen)
{
  if (!mVG)
    return;
  const float dx = x2 - x1, dy = y2 - y1;
  const float length = std::sqrt(dx * dx + dy * dy);
  if (length <= 0.f || dashLen <= 0.f)
    return;
  // Dashes of dashLen separated by gaps of the same length, the last one cut at the end.
  const float ux = dx / length, uy = dy / length;
  nvgBeginPath(mVG);
  for (float d = 0.f; d < length; d += 2.f * dashLen)
  {
    const float e = std::min(d + dashLen, length);
    nvgMoveTo(mVG, x1 + ux * d, y1 + uy * d);
    nvgLineTo(mVG, x1 + ux * e, y1 + uy * e);
  }
  IStrokeOptions options;
  PathStroke(IPattern(color), thickness, options, blend);
}

void IGraphicsNanoVG::DrawDottedRect(const IColor& color, const IRECT& r, const IBlend* blend, float thickness,
                                     float dashLen)
{
  DrawDottedLine(color, r.L, r.T, r.R, r.T, blend, thickness, dashLen);
  DrawDottedLine(color, r.R, r.T, r.R, r.B, blend, thickness, dashLen);
  DrawDottedLine(color, r.R, r.B, r.L, r.B, blend, thickness, dashLen);
  DrawDottedLine(color, r.L, r.B, r.L, r.T, blend, thickness, dashLen);
}

void IGraphicsNanoVG::DrawFastDropShadow(const IRECT& inner, const IRECT& outer, float xyDrop, float roundness,
                                         float blur, const IBlend* blend)
{
  if (!mVG)
    return;
  const NVGpaint shadow =
    nvgBoxGradient(mVG, inner.L + xyDrop, inner.T + xyDrop, inner.W(), inner.H(), roundness, blur,
                   ToNVGColor(COLOR_BLACK_DROP_SHADOW, blend), ToNVGColor(COLOR_TRANSPARENT, nullptr));
  nvgBeginPath(mVG);
  nvgRect(mVG, outer.L, outer.T, outer.W(), outer.H());
  nvgFillPaint(mVG, shadow);
  ApplyBlend(blend);
  nvgFill(mVG);
  ResetBlend();
  nvgBeginPath(mVG);
}

} // namespace iplug::igraphics
