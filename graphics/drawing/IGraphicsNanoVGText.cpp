// Text through fontstash, fonts in the process-wide font cache, and SVG
// documents rasterised for drawing.

#include "graphics/drawing/IGraphicsNanoVG.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "graphics/drawing/SVGDocument.h"
#include "NanoVGGL.h"

namespace iplug::igraphics {
namespace {

struct TextAnchor
{
  float x;
  float y;
  int align;
};

TextAnchor AnchorFor(const IText& text, const IRECT& r)
{
  TextAnchor a{r.L, r.T, 0};
  switch (text.mAlign)
  {
    case ETextHAlign::Near:
      a.x = r.L;
      a.align |= NVG_ALIGN_LEFT;
      break;
    case ETextHAlign::Center:
      a.x = r.MW();
      a.align |= NVG_ALIGN_CENTER;
      break;
    case ETextHAlign::Far:
      a.x = r.R;
      a.align |= NVG_ALIGN_RIGHT;
      break;
  }
  switch (text.mVAlign)
  {
    case ETextVAlign::Top:
      a.y = r.T;
      a.align |= NVG_ALIGN_TOP;
      break;
    case ETextVAlign::Middle:
      a.y = r.MH();
      a.align |= NVG_ALIGN_MIDDLE;
      break;
    case ETextVAlign::Bottom:
      a.y = r.B;
      a.align |= NVG_ALIGN_BOTTOM;
      break;
  }
  return a;
}

// The bounds of `r` turned by `degrees` around (x, y).
IRECT RotatedBounds(const IRECT& r, float x, float y, float degrees)
{
  const float a = degrees * std::numbers::pi_v<float> / 180.f;
  const float c = std::cos(a), s = std::sin(a);
  const float xs[] = {r.L, r.R, r.R, r.L}, ys[] = {r.T, r.T, r.B, r.B};
  IRECT out(1e30f, 1e30f, -1e30f, -1e30f);
  for (int i = 0; i < 4; ++i)
  {
    const float px = x + c * (xs[i] - x) - s * (ys[i] - y);
    const float py = y + s * (xs[i] - x) + c * (ys[i] - y);
    out = IRECT(std::min(out.L, px), std::min(out.T, py), std::max(out.R, px), std::max(out.B, py));
  }
  return out;
}

} // namespace

float IGraphicsNanoVG::PrepareText(const IText& text, const char* str, const IRECT& r, IRECT& measured) const
{
  const TextAnchor a = AnchorFor(text, r);
  nvgFontBlur(mVG, 0.f);
  nvgFontSize(mVG, text.mSize);
  nvgFontFace(mVG, text.mFont);
  nvgTextAlign(mVG, a.align);
  float bounds[4] = {};
  nvgTextBounds(mVG, a.x, a.y, str, nullptr, bounds);
  measured = IRECT(bounds[0], bounds[1], bounds[2], bounds[3]);
  return measured.W();
}

float IGraphicsNanoVG::DoMeasureText(const IText& text, const char* str, IRECT& bounds) const
{
  if (!mVG)
    return 0.f;
  IRECT measured;
  PrepareText(text, str, bounds, measured);
  if (text.mAngle != 0.f)
  {
    const TextAnchor a = AnchorFor(text, bounds);
    measured = RotatedBounds(measured, a.x, a.y, text.mAngle);
  }
  bounds = measured;
  return bounds.W();
}

void IGraphicsNanoVG::DoDrawText(const IText& text, const char* str, const IRECT& bounds, const IBlend* blend)
{
  if (!mVG)
    return;
  IRECT measured;
  PrepareText(text, str, bounds, measured);
  const TextAnchor a = AnchorFor(text, bounds);
  nvgSave(mVG);
  float x = a.x, y = a.y;
  if (text.mAngle != 0.f)
  {
    // Turned around the anchor, so the alignment point stays put.
    nvgTranslate(mVG, a.x, a.y);
    nvgRotate(mVG, nvgDegToRad(text.mAngle));
    x = y = 0.f;
  }
  const IColor& c = text.mFGColor;
  nvgFillColor(mVG, nvgRGBAf(c.R / 255.f, c.G / 255.f, c.B / 255.f, BlendWeight(blend) * c.A / 255.f));
  ApplyBlend(blend);
  nvgText(mVG, x, y, str, nullptr);
  ResetBlend();
  nvgRestore(mVG);
}

bool IGraphicsNanoVG::LoadAPIFont(const char* fontID, IFontDataPtr& font)
{
  if (!mVG || !fontID || !*fontID || !ActivateGLContext())
    return false;
  StaticStorage<IFontData>::Accessor cache(FontCache());
  // Keyed by identifier only: a second file under a known identifier reuses the first one's bytes.
  if (IFontData* cached = cache.Find(fontID))
    return nvgFindFont(mVG, fontID) >= 0 || nvgCreateFontMemAtIndex(mVG, fontID, const_cast<uint8_t*>(cached->Get()),
                                                                    cached->GetSize(), 0, cached->GetFaceIdx()) >= 0;
  if (!font || !font->IsValid())
    return false;
  // The context reads the bytes in place; the cache keeps them alive.
  if (nvgCreateFontMemAtIndex(mVG, fontID, const_cast<uint8_t*>(font->Get()), font->GetSize(), 0, font->GetFaceIdx()) <
      0)
    return false;
  cache.Add(font.release(), fontID);
  return true;
}

// ---------------------------------------------------------------- SVG

SVGHolder* IGraphicsNanoVG::ParseSVG(const char* text, const char* units, float dpi)
{
  return SVGDocument::Parse(text, units, dpi).release();
}

int IGraphicsNanoVG::SVGImage(const ISVG& svg, int pixelWidth, int pixelHeight)
{
  const SVGHolder* document = svg.mImage;
  const auto key = std::make_tuple(document, pixelWidth, pixelHeight);
  if (auto it = mSVGImages.find(key); it != mSVGImages.end())
    return it->second.image;

  // Keep the latest few sizes of this document; the oldest goes.
  int sizes = 0;
  auto oldest = mSVGImages.end();
  for (auto it = mSVGImages.begin(); it != mSVGImages.end(); ++it)
    if (std::get<0>(it->first) == document)
    {
      ++sizes;
      if (oldest == mSVGImages.end() || it->second.serial < oldest->second.serial)
        oldest = it;
    }
  if (sizes >= kSVGSizesKept)
  {
    if (oldest->second.image > 0)
      DeleteImage(mVG, oldest->second.image);
    mSVGImages.erase(oldest);
  }

  const std::vector<uint8_t> pixels = static_cast<const SVGDocument*>(document)->Render(pixelWidth, pixelHeight);
  int image = 0;
  if (!pixels.empty())
    image = nvgCreateImageRGBA(mVG, pixelWidth, pixelHeight, NVG_IMAGE_PREMULTIPLIED, pixels.data());
  mSVGImages[key] = {image, mSVGSerial++}; // a failed render is not retried every frame
  return image;
}

void IGraphicsNanoVG::DrawSVG(const ISVG& svg, const IRECT& bounds, const IBlend* blend)
{
  if (!mVG || !svg.IsValid() || bounds.W() <= 0.f || bounds.H() <= 0.f)
    return;
  // Rendered at the destination's device-pixel size, then drawn like a bitmap of that size.
  const float backing = GetBackingPixelScale();
  const int w = std::max(1, static_cast<int>(std::ceil(bounds.W() * backing)));
  const int h = std::max(1, static_cast<int>(std::ceil(bounds.H() * backing)));
  constexpr int kMaxSide = 8192;
  if (w > kMaxSide || h > kMaxSide)
    return;
  const int image = SVGImage(svg, w, h);
  if (image <= 0)
    return;
  const NVGpaint paint =
    nvgImagePattern(mVG, bounds.L, bounds.T, bounds.W(), bounds.H(), 0.f, image, BlendWeight(blend));
  nvgBeginPath(mVG);
  nvgRect(mVG, bounds.L, bounds.T, bounds.W(), bounds.H());
  nvgFillPaint(mVG, paint);
  ApplyBlend(blend);
  nvgFill(mVG);
  ResetBlend();
  nvgBeginPath(mVG);
}

} // namespace iplug::igraphics
