#pragma once
// Text style: font, size, colours, rotation and alignment.

#include "graphics/IColor.h"
#include "graphics/IGraphicsEnums.h"

namespace iplug::igraphics {

inline constexpr float DEFAULT_TEXT_SIZE = 14.f;
inline constexpr const char* DEFAULT_FONT = "Roboto-Regular";
/** Capacity of the font identifier, terminator included. */
inline constexpr int FONT_LEN = 64;

struct IText
{
  char mFont[FONT_LEN] = {};
  float mSize = DEFAULT_TEXT_SIZE;
  IColor mFGColor = DEFAULT_TEXT_FGCOLOR;
  IColor mTextEntryBGColor = DEFAULT_TEXTENTRY_BGCOLOR;
  IColor mTextEntryFGColor = DEFAULT_TEXTENTRY_FGCOLOR;
  float mAngle = 0.f;
  ETextHAlign mAlign = ETextHAlign::Center;
  ETextVAlign mVAlign = ETextVAlign::Middle;

  constexpr IText(float size = DEFAULT_TEXT_SIZE, const IColor& color = DEFAULT_TEXT_FGCOLOR,
                  const char* font = nullptr, ETextHAlign align = ETextHAlign::Center,
                  ETextVAlign valign = ETextVAlign::Middle, float angle = 0.f,
                  const IColor& teBGColor = DEFAULT_TEXTENTRY_BGCOLOR,
                  const IColor& teFGColor = DEFAULT_TEXTENTRY_FGCOLOR)
  : mSize(size)
  , mFGColor(color)
  , mTextEntryBGColor(teBGColor)
  , mTextEntryFGColor(teFGColor)
  , mAngle(angle)
  , mAlign(align)
  , mVAlign(valign)
  {
    SetFont(font ? font : DEFAULT_FONT);
  }

  /** Copies the font name, cut to FONT_LEN - 1 characters. */
  constexpr void SetFont(const char* font)
  {
    int i = 0;
    for (; font && font[i] && i < FONT_LEN - 1; ++i)
      mFont[i] = font[i];
    for (; i < FONT_LEN; ++i)
      mFont[i] = '\0';
  }

  constexpr IText WithSize(float size) const
  {
    IText t = *this;
    t.mSize = size;
    return t;
  }
  constexpr IText WithVAlign(ETextVAlign v) const
  {
    IText t = *this;
    t.mVAlign = v;
    return t;
  }
  constexpr IText WithAlign(ETextHAlign a) const
  {
    IText t = *this;
    t.mAlign = a;
    return t;
  }
  constexpr IText WithFGColor(const IColor& c) const
  {
    IText t = *this;
    t.mFGColor = c;
    return t;
  }
};

inline constexpr IText DEFAULT_TEXT{};
inline constexpr IText DEFAULT_LABEL_TEXT = DEFAULT_TEXT.WithSize(19.f).WithVAlign(ETextVAlign::Top);
inline constexpr IText DEFAULT_VALUE_TEXT = DEFAULT_TEXT.WithVAlign(ETextVAlign::Bottom);

} // namespace iplug::igraphics
