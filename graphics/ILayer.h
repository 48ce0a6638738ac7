#pragma once
// An offscreen surface: a backend bitmap, the control it caches (if any) with
// that control's rectangle when the layer was made, the layer's pixel-aligned
// bounds and whether it must be redrawn.

#include <memory>

#include "graphics/APIBitmap.h"
#include "graphics/IRECT.h"

namespace iplug::igraphics {

class IControl;

class ILayer
{
public:
  ILayer(APIBitmap* bitmap, const IRECT& layerRect, IControl* control, const IRECT& controlRect)
  : mBitmap(bitmap)
  , mControl(control)
  , mControlRECT(controlRect)
  , mRECT(layerRect)
  {}
  ILayer(const ILayer&) = delete;
  ILayer& operator=(const ILayer&) = delete;

  void Invalidate() { mInvalid = true; }
  const APIBitmap* GetAPIBitmap() const { return mBitmap.get(); }
  APIBitmap* GetAPIBitmap() { return mBitmap.get(); }
  const IRECT& Bounds() const { return mRECT; }
  IControl* GetControl() const { return mControl; }
  bool IsInvalid() const { return mInvalid; }

private:
  friend class IGraphics;

  std::unique_ptr<APIBitmap> mBitmap;
  IControl* mControl;
  IRECT mControlRECT;
  IRECT mRECT;
  bool mInvalid = false;
};

using ILayerPtr = std::unique_ptr<ILayer>;

} // namespace iplug::igraphics
