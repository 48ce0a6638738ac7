// Frame cycle, drawing operations, transforms and layers of IGraphics.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numbers>
#include <string_view>
#include <vector>

#include "graphics/IBubbleControl.h"
#include "graphics/IFPSDisplayControl.h"
#include "graphics/IGraphics.h"
#include "graphics/IPopupMenuControl.h"
#include "graphics/ITextEntryControl.h"

namespace iplug::igraphics {

namespace {

/** Padding around a control's rectangle so antialiased edges are repainted too. */
constexpr float kDirtyPadding = 0.75f;

} // namespace

// ---------------------------------------------------------------- frame cycle

bool IGraphics::IsDirty(IRECTList& rects)
{
  if (mDisplayTickFunc)
    mDisplayTickFunc();

  ForAllControls(&IControl::Animate);

  bool dirty = false;
  ForEachControl([&](IControl* c) {
    if (c->IsDirty())
    {
      rects.Add(c->GetRECT().GetPadded(kDirtyPadding));
      dirty = true;
    }
  });
  return dirty;
}

bool IGraphics::RedrawDirty()
{
  mDirtyRects.Clear();
  if (!IsDirty(mDirtyRects))
    return false;
  SetAllControlsClean();
  Draw(mDirtyRects);
  return true;
}

void IGraphics::Draw(IRECTList& rects)
{
  if (rects.Size() == 0)
    return;

  const float scale = GetBackingPixelScale();
  BeginFrame();

  if (mStrict)
  {
    DrawRegion(rects.Bounds().GetPixelAligned(scale), scale);
  }
  else
  {
    rects.PixelAlign(scale);
    rects.Optimize();
    for (int i = 0; i < rects.Size(); ++i)
      DrawRegion(rects.Get(i), scale);
  }

  EndFrame();
}

void IGraphics::DrawRegion(const IRECT& r, float scale)
{
  ForEachControl([&](IControl* c) { DrawControl(c, r, scale); });
}

void IGraphics::DrawControl(IControl* control, const IRECT& r, float scale)
{
  // The background is drawn even when hidden: something must cover the window.
  if (control->IsHidden() && control != mControls.Get(0))
    return;

  const IRECT clip = r.Intersect(control->GetRECT().GetPadded(kDirtyPadding).GetPixelAligned(scale));
  if (clip.W() <= 0.f || clip.H() <= 0.f)
    return;

  PrepareRegion(clip);
  control->Draw(*this);
  CompleteRegion(clip);
}

void IGraphics::PrepareRegion(const IRECT& r)
{
  mTransformStates.clear();
  mTransform = IMatrix();
  PathTransformSetMatrix(mTransform);
  PathClear();
  SetClipRegion(r);
  mClipRECT = r;
}

double IGraphics::GetTimeSeconds() const
{
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void IGraphics::BeginFrame()
{
  if (!mPerfDisplay)
    return;
  // Time counts from the first frame this host measured.
  const double raw = GetTimeSeconds();
  if (!mHaveTimestamp)
  {
    mTimeOrigin = raw;
    mHaveTimestamp = true;
  }
  const double now = raw - mTimeOrigin;
  mPerfDisplay->Update(static_cast<float>(now - mPrevTimestamp));
  mPrevTimestamp = now;
}

// ---------------------------------------------------------------- bitmaps and text

void IGraphics::DrawBitmap(const IBitmap& bitmap, const IRECT& bounds, int frame, const IBlend* blend)
{
  const int n = bitmap.N();
  frame = std::clamp(frame, 1, std::max(n, 1));
  int srcX = 0, srcY = 0;
  if (frame > 1)
  {
    if (bitmap.GetFramesAreHorizontal())
      srcX = (frame - 1) * bitmap.W() / n;
    else
      srcY = (frame - 1) * bitmap.H() / n;
  }
  DrawBitmap(bitmap, bounds, srcX, srcY, blend);
}

void IGraphics::DrawRotatedBitmap(const IBitmap& bitmap, float destCentreX, float destCentreY, double angle,
                                  const IBlend* blend)
{
  const float w = static_cast<float>(bitmap.W());
  const float h = static_cast<float>(bitmap.H());
  PathTransformSave();
  PathTransformTranslate(destCentreX, destCentreY);
  PathTransformRotate(static_cast<float>(angle));
  DrawBitmap(bitmap, IRECT(-0.5f * w, -0.5f * h, 0.5f * w, 0.5f * h), 0, 0, blend);
  PathTransformRestore();
}

void IGraphics::DrawBitmapText(const IBitmap& bitmap, const IRECT& bounds, const IText& text, const IBlend* blend,
                               const char* str, bool vCentre, bool multiline, int charWidth, int charHeight,
                               int charOffset)
{
  if (!str || !*str || !bitmap.IsValid() || charWidth <= 0 || charHeight <= 0)
    return;

  std::vector<std::string_view> lines;
  const std::string_view all(str);
  if (multiline)
  {
    size_t start = 0;
    for (size_t nl; (nl = all.find('\n', start)) != std::string_view::npos; start = nl + 1)
      lines.push_back(all.substr(start, nl - start));
    lines.push_back(all.substr(start));
  }
  else
    lines.push_back(all);

  const float cellW = static_cast<float>(charWidth);
  const float cellH = static_cast<float>(charHeight);
  const float advance = cellW + static_cast<float>(charOffset);
  const float blockH = cellH * static_cast<float>(lines.size());
  float y = vCentre ? bounds.MH() - 0.5f * blockH : bounds.T;

  for (const std::string_view line : lines)
  {
    const float lineW = line.empty() ? 0.f : advance * static_cast<float>(line.size()) - static_cast<float>(charOffset);
    float x = bounds.L;
    if (text.mAlign == ETextHAlign::Center)
      x = bounds.MW() - 0.5f * lineW;
    else if (text.mAlign == ETextHAlign::Far)
      x = bounds.R - lineW;

    for (const char ch : line)
    {
      // The strip starts at the space: character c is frame c - 31.
      const int frame = static_cast<unsigned char>(ch) - 31;
      if (frame >= 1 && frame <= bitmap.N())
        DrawBitmap(bitmap, IRECT(x, y, x + cellW, y + cellH), frame, blend);
      x += advance;
    }
    y += cellH;
  }
}

void IGraphics::DrawText(const IText& text, const char* str, const IRECT& bounds, const IBlend* blend)
{
  if (!str || !*str)
    return;
  DoDrawText(text, str, bounds, blend);
}

void IGraphics::DrawText(const IText& text, const char* str, float x, float y, const IBlend* blend)
{
  DrawText(text, str, IRECT(x, y, x, y), blend);
}

float IGraphics::MeasureText(const IText& text, const char* str, IRECT& bounds) const
{
  if (!str || !*str)
    return 0.f;
  return DoMeasureText(text, str, bounds);
}

// ---------------------------------------------------------------- shapes

void IGraphics::PathLine(float x1, float y1, float x2, float y2)
{
  PathMoveTo(x1, y1);
  PathLineTo(x2, y2);
}

void IGraphics::PathRect(const IRECT& r)
{
  PathMoveTo(r.L, r.T);
  PathLineTo(r.R, r.T);
  PathLineTo(r.R, r.B);
  PathLineTo(r.L, r.B);
  PathClose();
}

void IGraphics::PathRoundRect(const IRECT& r, float cornerRadius)
{
  PathRoundRect(r, cornerRadius, cornerRadius, cornerRadius, cornerRadius);
}

void IGraphics::PathRoundRect(const IRECT& r, float tl, float tr, float br, float bl)
{
  if (tl <= 0.f && tr <= 0.f && br <= 0.f && bl <= 0.f)
  {
    PathRect(r);
    return;
  }
  PathMoveTo(r.L, r.T + tl);
  PathArc(r.L + tl, r.T + tl, tl, 270.f, 360.f);
  PathArc(r.R - tr, r.T + tr, tr, 0.f, 90.f);
  PathArc(r.R - br, r.B - br, br, 90.f, 180.f);
  PathArc(r.L + bl, r.B - bl, bl, 180.f, 270.f);
  PathClose();
}

void IGraphics::PathCircle(float cx, float cy, float r)
{
  PathMoveTo(cx, cy - r);
  PathArc(cx, cy, r, 0.f, 360.f);
  PathClose();
}

void IGraphics::PathEllipse(const IRECT& r) { PathEllipse(r.MW(), r.MH(), r.W() / 2.f, r.H() / 2.f); }

void IGraphics::PathEllipse(float x, float y, float r1, float r2, float angle)
{
  PathTransformSave();
  PathTransformTranslate(x, y);
  PathTransformRotate(angle);
  if (r1 != 0.f)
    PathTransformScale(1.f, r2 / r1);
  PathCircle(0.f, 0.f, r1);
  PathTransformRestore();
}

void IGraphics::PathTriangle(float x1, float y1, float x2, float y2, float x3, float y3)
{
  PathMoveTo(x1, y1);
  PathLineTo(x2, y2);
  PathLineTo(x3, y3);
  PathClose();
}

void IGraphics::PathConvexPolygon(const float* x, const float* y, int nPoints)
{
  if (!x || !y || nPoints < 1)
    return;
  PathMoveTo(x[0], y[0]);
  for (int i = 1; i < nPoints; ++i)
    PathLineTo(x[i], y[i]);
  PathClose();
}

void IGraphics::PathRadialLine(float cx, float cy, float angle, float rMin, float rMax)
{
  // 0 degrees points up, angles grow clockwise, as for arcs.
  const float a = (angle - 90.f) * std::numbers::pi_v<float> / 180.f;
  const float c = std::cos(a), s = std::sin(a);
  PathLine(cx + rMin * c, cy + rMin * s, cx + rMax * c, cy + rMax * s);
}

// ---------------------------------------------------------------- stroked and filled shapes

namespace {

IStrokeOptions DashedStroke(float dashLen)
{
  IStrokeOptions options;
  const float dash[2] = {dashLen, dashLen};
  options.mDash.SetDash(dash, 0.f, 2);
  return options;
}

} // namespace

void IGraphics::DrawPoint(const IColor& color, float x, float y, const IBlend* blend)
{
  FillRect(color, IRECT(x, y, x + 1.f, y + 1.f), blend);
}

void IGraphics::DrawLine(const IColor& color, float x1, float y1, float x2, float y2, const IBlend* blend,
                         float thickness)
{
  PathClear();
  PathLine(x1, y1, x2, y2);
  PathStroke(color, thickness, IStrokeOptions(), blend);
}

void IGraphics::DrawDottedLine(const IColor& color, float x1, float y1, float x2, float y2, const IBlend* blend,
                               float thickness, float dashLen)
{
  PathClear();
  PathLine(x1, y1, x2, y2);
  PathStroke(color, thickness, DashedStroke(dashLen), blend);
}

void IGraphics::DrawTriangle(const IColor& color, float x1, float y1, float x2, float y2, float x3, float y3,
                             const IBlend* blend, float thickness)
{
  PathClear();
  PathTriangle(x1, y1, x2, y2, x3, y3);
  PathStroke(color, thickness, IStrokeOptions(), blend);
}

void IGraphics::DrawRect(const IColor& color, const IRECT& bounds, const IBlend* blend, float thickness)
{
  PathClear();
  PathRect(bounds);
  PathStroke(color, thickness, IStrokeOptions(), blend);
}

void IGraphics::DrawRoundRect(const IColor& color, const IRECT& bounds, float cornerRadius, const IBlend* blend,
                              float thickness)
{
  PathClear();
  PathRoundRect(bounds, cornerRadius);
  PathStroke(color, thickness, IStrokeOptions(), blend);
}

void IGraphics::DrawRoundRect(const IColor& color, const IRECT& bounds, float tl, float tr, float br, float bl,
                              const IBlend* blend, float thickness)
{
  PathClear();
  PathRoundRect(bounds, tl, tr, br, bl);
  PathStroke(color, thickness, IStrokeOptions(), blend);
}

void IGraphics::DrawArc(const IColor& color, float cx, float cy, float r, float a1, float a2, const IBlend* blend,
                        float thickness)
{
  PathClear();
  PathArc(cx, cy, r, a1, a2);
  PathStroke(color, thickness, IStrokeOptions(), blend);
}

void IGraphics::DrawCircle(const IColor& color, float cx, float cy, float r, const IBlend* blend, float thickness)
{
  PathClear();
  PathCircle(cx, cy, r);
  PathStroke(color, thickness, IStrokeOptions(), blend);
}

void IGraphics::DrawEllipse(const IColor& color, const IRECT& bounds, const IBlend* blend, float thickness)
{
  PathClear();
  PathEllipse(bounds);
  PathStroke(color, thickness, IStrokeOptions(), blend);
}

void IGraphics::DrawEllipse(const IColor& color, float x, float y, float r1, float r2, float angle, const IBlend* blend,
                            float thickness)
{
  PathClear();
  PathEllipse(x, y, r1, r2, angle);
  PathStroke(color, thickness, IStrokeOptions(), blend);
}

void IGraphics::DrawConvexPolygon(const IColor& color, const float* x, const float* y, int nPoints, const IBlend* blend,
                                  float thickness)
{
  PathClear();
  PathConvexPolygon(x, y, nPoints);
  PathStroke(color, thickness, IStrokeOptions(), blend);
}

void IGraphics::DrawDottedRect(const IColor& color, const IRECT& bounds, const IBlend* blend, float thickness,
                               float dashLen)
{
  PathClear();
  PathRect(bounds);
  PathStroke(color, thickness, DashedStroke(dashLen), blend);
}

void IGraphics::FillTriangle(const IColor& color, float x1, float y1, float x2, float y2, float x3, float y3,
                             const IBlend* blend)
{
  PathClear();
  PathTriangle(x1, y1, x2, y2, x3, y3);
  PathFill(color, IFillOptions(), blend);
}

void IGraphics::FillRect(const IColor& color, const IRECT& bounds, const IBlend* blend)
{
  PathClear();
  PathRect(bounds);
  PathFill(color, IFillOptions(), blend);
}

void IGraphics::FillRoundRect(const IColor& color, const IRECT& bounds, float cornerRadius, const IBlend* blend)
{
  PathClear();
  PathRoundRect(bounds, cornerRadius);
  PathFill(color, IFillOptions(), blend);
}

void IGraphics::FillRoundRect(const IColor& color, const IRECT& bounds, float tl, float tr, float br, float bl,
                              const IBlend* blend)
{
  PathClear();
  PathRoundRect(bounds, tl, tr, br, bl);
  PathFill(color, IFillOptions(), blend);
}

void IGraphics::FillCircle(const IColor& color, float cx, float cy, float r, const IBlend* blend)
{
  PathClear();
  PathCircle(cx, cy, r);
  PathFill(color, IFillOptions(), blend);
}

void IGraphics::FillEllipse(const IColor& color, const IRECT& bounds, const IBlend* blend)
{
  PathClear();
  PathEllipse(bounds);
  PathFill(color, IFillOptions(), blend);
}

void IGraphics::FillEllipse(const IColor& color, float x, float y, float r1, float r2, float angle, const IBlend* blend)
{
  PathClear();
  PathEllipse(x, y, r1, r2, angle);
  PathFill(color, IFillOptions(), blend);
}

void IGraphics::FillArc(const IColor& color, float cx, float cy, float r, float a1, float a2, const IBlend* blend)
{
  PathClear();
  PathMoveTo(cx, cy);
  PathArc(cx, cy, r, a1, a2);
  PathClose();
  PathFill(color, IFillOptions(), blend);
}

void IGraphics::FillConvexPolygon(const IColor& color, const float* x, const float* y, int nPoints, const IBlend* blend)
{
  PathClear();
  PathConvexPolygon(x, y, nPoints);
  PathFill(color, IFillOptions(), blend);
}

// ---------------------------------------------------------------- transforms

void IGraphics::PathTransformSave() { mTransformStates.push_back(mTransform); }

void IGraphics::PathTransformRestore()
{
  if (!mTransformStates.empty())
  {
    mTransform = mTransformStates.back();
    mTransformStates.pop_back();
    PathTransformSetMatrix(mTransform);
  }
}

void IGraphics::PathTransformReset(bool clearStack)
{
  if (clearStack)
    mTransformStates.clear();
  mTransform = IMatrix();
  PathTransformSetMatrix(mTransform);
}

void IGraphics::PathTransformTranslate(float x, float y)
{
  mTransform.Translate(x, y);
  PathTransformSetMatrix(mTransform);
}

void IGraphics::PathTransformScale(float sx, float sy)
{
  mTransform.Scale(sx, sy);
  PathTransformSetMatrix(mTransform);
}

void IGraphics::PathTransformRotate(float degrees)
{
  mTransform.Rotate(degrees);
  PathTransformSetMatrix(mTransform);
}

void IGraphics::PathTransformSkew(float xAngle, float yAngle)
{
  mTransform.Skew(xAngle, yAngle);
  PathTransformSetMatrix(mTransform);
}

void IGraphics::PathTransformMatrix(const IMatrix& matrix)
{
  mTransform.Transform(matrix);
  PathTransformSetMatrix(mTransform);
}

void IGraphics::PathClipRegion(const IRECT& r)
{
  const IRECT area = mLayers.empty() ? mClipRECT : mLayers.top()->Bounds();
  const IRECT clip = r.Empty() ? area : r.Intersect(area);
  PathTransformSetMatrix(IMatrix());
  SetClipRegion(clip);
  PathTransformSetMatrix(mTransform);
}

// ---------------------------------------------------------------- layers

void IGraphics::StartLayer(IControl* control, const IRECT& r, bool cacheable)
{
  const float backing = GetBackingPixelScale();
  const IRECT aligned = r.GetPixelAligned(backing);
  const int w = static_cast<int>(std::ceil(backing * std::ceil(aligned.W())));
  const int h = static_cast<int>(std::ceil(backing * std::ceil(aligned.H())));
  APIBitmap* bitmap = CreateAPIBitmap(w, h, GetScreenScale(), GetDrawScale(), cacheable);
  PushLayer(new ILayer(bitmap, aligned, control, control ? control->GetRECT() : IRECT()));
}

void IGraphics::ResumeLayer(ILayerPtr& layer)
{
  if (layer)
    PushLayer(layer.release());
}

ILayerPtr IGraphics::EndLayer() { return ILayerPtr(PopLayer()); }

void IGraphics::PushLayer(ILayer* layer)
{
  mLayers.push(layer);
  UpdateLayer();
  mTransform = IMatrix(); // the saved transforms stay for the caller to restore
  PathTransformSetMatrix(IMatrix());
  SetClipRegion(layer->Bounds());
  PathTransformSetMatrix(mTransform);
  PathClear();
}

ILayer* IGraphics::PopLayer()
{
  ILayer* layer = nullptr;
  if (!mLayers.empty())
  {
    layer = mLayers.top();
    mLayers.pop();
  }
  UpdateLayer();
  mTransform = IMatrix();
  PathTransformSetMatrix(mTransform);
  SetClipRegion(mLayers.empty() ? mClipRECT : mLayers.top()->Bounds());
  PathClear();
  return layer;
}

bool IGraphics::CheckLayer(const ILayerPtr& layer)
{
  if (!layer || !layer->GetAPIBitmap())
    return false;
  if (IControl* c = layer->GetControl(); c && c->GetRECT() != layer->mControlRECT)
  {
    layer->mControlRECT = c->GetRECT();
    layer->Invalidate();
  }
  if (layer->IsInvalid())
    return false;
  const APIBitmap* bitmap = layer->GetAPIBitmap();
  return bitmap->GetDrawScale() == GetDrawScale() && bitmap->GetScale() == GetScreenScale();
}

void IGraphics::DrawLayer(const ILayerPtr& layer, const IBlend* blend)
{
  if (!layer || !layer->GetAPIBitmap())
    return;
  APIBitmap* bitmap = const_cast<ILayer&>(*layer).GetAPIBitmap();
  DrawBitmap(IBitmap(bitmap, 1, false), layer->Bounds(), 0, 0, blend);
}

} // namespace iplug::igraphics
