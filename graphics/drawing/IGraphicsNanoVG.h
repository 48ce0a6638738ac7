#pragma once
// The editor drawn with NanoVG on OpenGL. The whole editor lives in one
// persistent framebuffer the size of the editor in device pixels: a frame
// redraws only the dirty regions into it and then composites it onto the
// window framebuffer as one image. Offscreen layers are further framebuffers.
//
// A platform class derives from this one: it owns the GL context (made current
// through ActivateGLContext before every GL call), names the framebuffer that
// stands for the window, and calls OnViewInitialized/OnViewDestroyed around
// the view's life.

#include <map>
#include <mutex>
#include <tuple>
#include <vector>

#include "graphics/IGraphics.h"

struct NVGcontext;
struct NVGLUframebuffer;

namespace iplug::igraphics {

class IGraphicsNanoVG : public IGraphics
{
public:
  /** A NanoVG image, or a framebuffer whose image it is. */
  class Bitmap : public APIBitmap
  {
  public:
    /** Takes `image` of context `vg`; `shared` images are left alone on destruction. */
    Bitmap(IGraphicsNanoVG& graphics, NVGcontext* vg, int image, int width, int height, float scale, float drawScale,
           bool shared = false);
    /** Takes framebuffer `fbo`, drawn into as a layer. */
    Bitmap(IGraphicsNanoVG& graphics, NVGcontext* vg, NVGLUframebuffer* fbo, int width, int height, float scale,
           float drawScale);
    ~Bitmap() override;

    NVGLUframebuffer* GetFBO() const { return mFBO; }

  private:
    IGraphicsNanoVG& mGraphics;
    NVGcontext* mVG;
    NVGLUframebuffer* mFBO = nullptr;
    bool mSharedTexture = false;
  };

  IGraphicsNanoVG(IGEditorDelegate& dlg, int w, int h, int fps = 60, float scale = 1.f);
  ~IGraphicsNanoVG() override;

  using IGraphics::DrawBitmap;
  using IGraphics::LoadBitmap;
  using IGraphics::LoadFont;

  const char* GetDrawingAPIStr() override { return "NanoVG | OpenGL"; }
  void* GetDrawContext() override { return mVG; }

  // Lifecycle and frame
  void BeginFrame() override;
  void EndFrame() override;
  /** Creates the NanoVG context in the platform's current GL context. */
  void OnViewInitialized(void* layer) override;
  void OnViewDestroyed() override;
  void DrawResize() override;

  // Drawing
  void DrawBitmap(const IBitmap& bitmap, const IRECT& dest, int srcX, int srcY, const IBlend* blend) override;
  void FillRect(const IColor& color, const IRECT& bounds, const IBlend* blend = nullptr) override;
  void DrawSVG(const ISVG& svg, const IRECT& bounds, const IBlend* blend = nullptr) override;
  void DrawDottedLine(const IColor& color, float x1, float y1, float x2, float y2, const IBlend* blend = nullptr,
                      float thickness = 1.f, float dashLen = 2.f) override;
  void DrawDottedRect(const IColor& color, const IRECT& bounds, const IBlend* blend = nullptr, float thickness = 1.f,
                      float dashLen = 2.f) override;
  void DrawFastDropShadow(const IRECT& innerBounds, const IRECT& outerBounds, float xyDrop = 5.f, float roundness = 0.f,
                          float blur = 10.f, const IBlend* blend = nullptr) override;

  void PathClear() override;
  void PathClose() override;
  void PathArc(float cx, float cy, float r, float a1, float a2, EWinding winding = EWinding::CW) override;
  void PathMoveTo(float x, float y) override;
  void PathLineTo(float x, float y) override;
  void PathSetWinding(bool clockwise) override;
  void PathCubicBezierTo(float c1x, float c1y, float c2x, float c2y, float x2, float y2) override;
  void PathQuadraticBezierTo(float cx, float cy, float x2, float y2) override;
  void PathStroke(const IPattern& pattern, float thickness, const IStrokeOptions& options = {},
                  const IBlend* blend = nullptr) override;
  void PathFill(const IPattern& pattern, const IFillOptions& options = {}, const IBlend* blend = nullptr) override;

  // Resources
  IBitmap LoadBitmap(const char* name, int nStates = 1, bool framesAreHorizontal = false, int targetScale = 0) override;
  IBitmap LoadBitmap(const char* name, const void* data, int dataSize, int nStates = 1,
                     bool framesAreHorizontal = false, int targetScale = 0) override;
  /** Keeps `bitmap` in this backend's cache (images belong to one context), unless it is there already. */
  void RetainBitmap(const IBitmap& bitmap, const char* cacheName) override;
  /** Deletes `bitmap` from this backend's cache. */
  void ReleaseBitmap(const IBitmap& bitmap) override;
  bool BitmapExtSupported(const char* ext) override;
  APIBitmap* CreateAPIBitmap(int width, int height, float scale, double drawScale, bool cacheable = false) override;
  void UpdateLayer() override;
  void GetLayerBitmapData(const ILayerPtr& layer, std::vector<uint8_t>& data) override;
  void ApplyShadowMask(ILayerPtr& layer, std::vector<uint8_t>& mask, const IColor& shadowColor) override;

  /** Users of the process-wide font cache: one per live NanoVG backend. */
  static StaticStorage<IFontData>& FontCache();
  /** Bitmaps this backend holds (for tests and diagnostics). */
  int NCachedBitmaps();
  /** SVG documents rendered at a size and kept as images. */
  int NSVGRasters() const { return static_cast<int>(mSVGImages.size()); }
  /** Main framebuffer size in device pixels (0 x 0 without a context). */
  int FramebufferWidth() const { return mFBWidth; }
  int FramebufferHeight() const { return mFBHeight; }
  bool InFrame() const { return mInFrame; }

protected:
  /** The framebuffer the editor is composited onto: 0 for a window surface, or an offscreen target. */
  virtual unsigned GetWindowFramebuffer() { return 0; }
  /** Called after each composite, for example to present a window surface. */
  virtual void OnFrameComposited() {}
  /** The window framebuffer's size in pixels and where the editor's top-left corner lies on it
      (pixels from the window's top-left). By default the window is the editor, exactly; a window a
      host sized otherwise is cleared around the editor. */
  virtual void GetCompositePlacement(int& windowWidth, int& windowHeight, int& left, int& top)
  {
    windowWidth = mFBWidth;
    windowHeight = mFBHeight;
    left = top = 0;
  }

  void SetClipRegion(const IRECT& r) override;
  void PathTransformSetMatrix(const IMatrix& m) override;
  float DoMeasureText(const IText& text, const char* str, IRECT& bounds) const override;
  void DoDrawText(const IText& text, const char* str, const IRECT& bounds, const IBlend* blend) override;
  APIBitmap* LoadAPIBitmap(const char* path, int scale, EResourceLocation location, const char* ext) override;
  APIBitmap* LoadAPIBitmap(const char* name, const void* data, int dataSize, int scale) override;
  bool LoadAPIFont(const char* fontID, IFontDataPtr& font) override;
  SVGHolder* ParseSVG(const char* text, const char* units, float dpi) override;

private:
  friend class Bitmap;
  APIBitmap* CreateImageBitmap(const uint8_t* data, size_t size, int scale);
  void DeleteImage(NVGcontext* vg, int image);
  /** Deletes `fbo` now, or at the end of the frame when one is being drawn (images likewise). */
  void DeleteFBO(NVGcontext* vg, NVGLUframebuffer* fbo);
  void DeleteDeferred();
  void DeleteContextObjects();
  /** Binds `fbo` (the window's framebuffer when null) and sets the viewport to its pixel size. */
  void BindTarget(NVGLUframebuffer* fbo, int pixelWidth, int pixelHeight);
  void BeginEditorFrame();
  void BeginVGFrame(float width, float height, float pixelRatio);
  void EndVGFrame();
  void ApplyBlend(const IBlend* blend);
  void ResetBlend();
  void SetFillOrStrokePaint(const IPattern& pattern, const IBlend* blend, bool stroke);
  float PrepareText(const IText& text, const char* str, const IRECT& r, IRECT& measured) const;
  int SVGImage(const ISVG& svg, int pixelWidth, int pixelHeight);
  /** Cuts `r` to the scissor when both are in the same space; false when nothing is left. */
  bool ClipToScissor(IRECT& r) const;

  NVGcontext* mVG = nullptr;
  NVGLUframebuffer* mMainFrameBuffer = nullptr;
  int mFBWidth = 0;
  int mFBHeight = 0;
  bool mInFrame = false;
  bool mVGFrameOpen = false;
  IMatrix mMatrix; // the transform last handed to NanoVG
  IRECT mScissor;  // the clip, in the space of mScissorMatrix
  IMatrix mScissorMatrix;
  std::mutex mFBOMutex;
  std::vector<NVGLUframebuffer*> mFBOStack;
  StaticStorage<APIBitmap> mBitmapCache;
  /** Raster images of SVG documents, per document and device-pixel size: the few latest sizes of
      each, so resizing the editor does not pile up images. */
  struct SVGRaster
  {
    int image;
    unsigned serial;
  };
  static constexpr int kSVGSizesKept = 4;
  std::map<std::tuple<const SVGHolder*, int, int>, SVGRaster> mSVGImages;
  unsigned mSVGSerial = 0;
  /** Images dropped during a frame; the renderer may still sample them until it ends. */
  std::vector<int> mImagesToDelete;
};

} // namespace iplug::igraphics
