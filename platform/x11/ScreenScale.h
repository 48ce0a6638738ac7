#pragma once
// The display's backing scale and the conversion between device pixels (what
// X11 reports) and editor points.

namespace iplug::igraphics::x11 {

/** The screen scale from the X resource database text (XResourceManagerString, may be
    null) and the GDK_SCALE environment value (may be null): Xft.dpi / 96 when the database
    gives a usable Xft.dpi (never below 1), else a whole GDK_SCALE of 1 or more, else 1. */
float ScreenScaleFromSettings(const char* resources, const char* gdkScale);

/** Device pixels per editor point. */
inline float PixelsPerPoint(float screenScale, float drawScale) { return screenScale * drawScale; }
inline float PointFromPixel(float pixel, float screenScale, float drawScale)
{
  return pixel / PixelsPerPoint(screenScale, drawScale);
}
inline float PixelFromPoint(float point, float screenScale, float drawScale)
{
  return point * PixelsPerPoint(screenScale, drawScale);
}

} // namespace iplug::igraphics::x11
