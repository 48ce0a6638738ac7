#pragma once
// A line (or lines) of text drawn from a strip of character pictures, for
// displays in a fixed bitmap font.

#include <string_view>

#include "core/WDL_String.h"
#include "graphics/IBitmapBase.h"
#include "graphics/IControl.h"
#include "graphics/IGraphics.h"

namespace iplug::igraphics {

class IBTextControl : public IControl, public IBitmapBase
{
public:
  IBTextControl(const IRECT& bounds, const IBitmap& bitmap, const IText& text = DEFAULT_TEXT, const char* str = "",
                int charWidth = 6, int charHeight = 12, int charOffset = 0, bool multiLine = false, bool vCentre = true,
                EBlend blend = EBlend::SrcOver)
  : IControl(bounds)
  , IBitmapBase(bitmap)
  , mStr(str)
  , mCharWidth(charWidth)
  , mCharHeight(charHeight)
  , mCharOffset(charOffset)
  , mMultiLine(multiLine)
  , mVCentre(vCentre)
  {
    mText = text;
    mBlend = IBlend(blend, 1.f);
    AttachIControl(this);
  }

  void Draw(IGraphics& g) override
  {
    g.DrawBitmapText(mBitmap, mRECT, mText, &mBlend, mStr.Get(), mVCentre, mMultiLine, mCharWidth, mCharHeight,
                     mCharOffset);
  }
  void OnRescale() override { RescaleBitmap(); }

  void SetStr(const char* str)
  {
    if (str && std::string_view(str) != mStr.Get())
    {
      mStr.Set(str);
      SetDirty(false);
    }
  }
  const char* GetStr() const { return mStr.Get(); }

private:
  WDL_String mStr;
  int mCharWidth;
  int mCharHeight;
  int mCharOffset;
  bool mMultiLine;
  bool mVCentre;
};

} // namespace iplug::igraphics
