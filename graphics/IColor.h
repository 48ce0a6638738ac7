#pragma once
// An ARGB colour with integer channels, nominally 0..255, and the named colours.

namespace iplug::igraphics {

struct IColor
{
  int A = 255;
  int R = 0;
  int G = 0;
  int B = 0;

  constexpr IColor() = default;
  constexpr IColor(int a, int r, int g, int b) : A(a), R(r), G(g), B(b) {}

  constexpr bool operator==(const IColor&) const = default;
};

/** A colour as drawing backends take it: channels 0..1. */
struct IColorF
{
  float r, g, b, a;
};

/** Each channel divided by 255, alpha multiplied by `weight` (the opacity of a blend). */
constexpr IColorF ToBackendColor(const IColor& c, float weight = 1.f)
{
  return {c.R / 255.f, c.G / 255.f, c.B / 255.f, c.A / 255.f * weight};
}

inline constexpr IColor COLOR_TRANSPARENT(0, 0, 0, 0);
inline constexpr IColor COLOR_TRANSLUCENT(10, 0, 0, 0);
inline constexpr IColor COLOR_BLACK(255, 0, 0, 0);
inline constexpr IColor COLOR_BLACK_DROP_SHADOW(128, 0, 0, 0);
inline constexpr IColor COLOR_GRAY(255, 127, 127, 127);
inline constexpr IColor COLOR_LIGHT_GRAY(255, 240, 240, 240);
inline constexpr IColor COLOR_MID_GRAY(255, 200, 200, 200);
inline constexpr IColor COLOR_DARK_GRAY(255, 70, 70, 70);
inline constexpr IColor COLOR_WHITE(255, 255, 255, 255);
inline constexpr IColor COLOR_RED(255, 255, 0, 0);
inline constexpr IColor COLOR_GREEN(255, 0, 255, 0);
inline constexpr IColor COLOR_BLUE(255, 0, 0, 255);
inline constexpr IColor COLOR_YELLOW(255, 255, 255, 0);
inline constexpr IColor COLOR_ORANGE(255, 255, 127, 0);
inline constexpr IColor COLOR_INDIGO(255, 75, 0, 130);
inline constexpr IColor COLOR_VIOLET(255, 148, 0, 211);

inline constexpr IColor DEFAULT_BGCOLOR = COLOR_TRANSPARENT;
inline constexpr IColor DEFAULT_FGCOLOR = COLOR_MID_GRAY;
inline constexpr IColor DEFAULT_PRCOLOR = COLOR_LIGHT_GRAY;
inline constexpr IColor DEFAULT_FRCOLOR = COLOR_DARK_GRAY;
inline constexpr IColor DEFAULT_HLCOLOR = COLOR_TRANSLUCENT;
inline constexpr IColor DEFAULT_SHCOLOR(60, 0, 0, 0);
inline constexpr IColor DEFAULT_X1COLOR = COLOR_BLACK;
inline constexpr IColor DEFAULT_X2COLOR = COLOR_GREEN;
inline constexpr IColor DEFAULT_X3COLOR = COLOR_BLUE;
inline constexpr IColor DEFAULT_TEXT_FGCOLOR = COLOR_BLACK;
inline constexpr IColor DEFAULT_TEXTENTRY_BGCOLOR = COLOR_WHITE;
inline constexpr IColor DEFAULT_TEXTENTRY_FGCOLOR = COLOR_BLACK;

inline constexpr IColor LED1(255, 36, 157, 16);
inline constexpr IColor LED2(255, 153, 191, 28);
inline constexpr IColor LED3(255, 215, 222, 37);
inline constexpr IColor LED4(255, 247, 153, 33);

} // namespace iplug::igraphics
