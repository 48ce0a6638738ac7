#pragma once
// Colours and type of the analysis picture: dark header, white cards on a
// light page, one accent per kind of data.

#include "graphics/IColor.h"
#include "graphics/IText.h"

namespace corvane::host::report {

using iplug::igraphics::ETextHAlign;
using iplug::igraphics::ETextVAlign;
using iplug::igraphics::IColor;
using iplug::igraphics::IText;

inline constexpr const char* kRegular = "Roboto-Regular";
inline constexpr const char* kBold = "Roboto-Bold";

inline constexpr IColor kPage(255, 236, 239, 244);
inline constexpr IColor kHeader(255, 22, 30, 42);
inline constexpr IColor kHeaderText(255, 241, 245, 249);
inline constexpr IColor kHeaderMuted(255, 148, 163, 184);
inline constexpr IColor kHeaderAccent(255, 251, 191, 36);
inline constexpr IColor kCard(255, 255, 255, 255);
inline constexpr IColor kCardBorder(255, 211, 218, 227);
inline constexpr IColor kInk(255, 31, 41, 55);
inline constexpr IColor kMuted(255, 100, 112, 128);
inline constexpr IColor kGridMajor(255, 200, 208, 218);
inline constexpr IColor kGridMinor(255, 232, 236, 241);
inline constexpr IColor kResponse(255, 29, 78, 216);
inline constexpr IColor kCorner(255, 234, 88, 12);
inline constexpr IColor kEvenHarmonic(255, 14, 150, 220);
inline constexpr IColor kOddHarmonic(255, 245, 158, 11);
inline constexpr IColor kTransfer(255, 5, 150, 105);
inline constexpr IColor kFloor(255, 243, 245, 248);
inline constexpr IColor kReferenceLine(255, 148, 163, 184);

inline constexpr IText Text(float size, const IColor& color, ETextHAlign align = ETextHAlign::Near,
                            ETextVAlign valign = ETextVAlign::Middle, const char* font = kRegular)
{
  return IText(size, color, font, align, valign);
}

} // namespace corvane::host::report
