#pragma once
// Non-owning handle to a cached image with its point size and filmstrip layout.
// Valid only while it points at a backend image.

#include "core/WDL_String.h"
#include "graphics/APIBitmap.h"

namespace iplug::igraphics {

class IBitmap
{
public:
  IBitmap() = default;
  IBitmap(APIBitmap* bitmap, int nFrames, bool framesAreHorizontal, const char* name = "")
  : mAPIBitmap(bitmap)
  , mN(nFrames < 1 ? 1 : nFrames)
  , mFramesAreHorizontal(framesAreHorizontal)
  , mResourceName(name)
  {
    if (bitmap && bitmap->GetScale() > 0.f)
    {
      mW = static_cast<int>(bitmap->GetWidth() / bitmap->GetScale());
      mH = static_cast<int>(bitmap->GetHeight() / bitmap->GetScale());
    }
  }

  bool IsValid() const { return mAPIBitmap != nullptr; }
  APIBitmap* GetAPIBitmap() const { return mAPIBitmap; }
  int W() const { return mW; }
  int H() const { return mH; }
  int N() const { return mN; }
  bool GetFramesAreHorizontal() const { return mFramesAreHorizontal; }
  /** Width of one frame in points. */
  int FW() const { return mFramesAreHorizontal ? mW / mN : mW; }
  /** Height of one frame in points. */
  int FH() const { return mFramesAreHorizontal ? mH : mH / mN; }
  float GetScale() const { return mAPIBitmap ? mAPIBitmap->GetScale() : 1.f; }
  float GetDrawScale() const { return mAPIBitmap ? mAPIBitmap->GetDrawScale() : 1.f; }
  const WDL_String& GetResourceName() const { return mResourceName; }

private:
  APIBitmap* mAPIBitmap = nullptr;
  int mW = 0;
  int mH = 0;
  int mN = 1;
  bool mFramesAreHorizontal = false;
  WDL_String mResourceName;
};

} // namespace iplug::igraphics
