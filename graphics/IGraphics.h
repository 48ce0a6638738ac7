#pragma once
// The editor's drawing context and control container. Owns the controls and
// the overlay controls, runs the frame cycle (dirty check, clipped redraw of
// the dirty regions), keeps the transform and layer stacks, the editor size
// and scales, and dispatches pointer, wheel, key and drop events to controls.
// Path-level drawing and everything touching windows is left to a drawing
// backend and a platform layer deriving from this class.

#include <cstdint>
#include <functional>
#include <memory>
#include <stack>
#include <unordered_map>
#include <vector>

#include "core/IPlugPaths.h"
#include "core/IPlugStructs.h"
#include "core/WDL_PtrList.h"
#include "core/WDL_String.h"
#include "graphics/APIBitmap.h"
#include "graphics/IBitmap.h"
#include "graphics/IBlend.h"
#include "graphics/IColor.h"
#include "graphics/IControl.h"
#include "graphics/IFillOptions.h"
#include "graphics/IFontData.h"
#include "graphics/IGraphicsEnums.h"
#include "graphics/ILayer.h"
#include "graphics/IMatrix.h"
#include "graphics/IMouseInfo.h"
#include "graphics/IPattern.h"
#include "graphics/IPopupMenu.h"
#include "graphics/IRECT.h"
#include "graphics/IRECTList.h"
#include "graphics/ISVG.h"
#include "graphics/IStrokeOptions.h"
#include "graphics/IText.h"
#include "graphics/StaticStorage.h"

namespace iplug::igraphics {

class IBubbleControl;
class IFPSDisplayControl;
class IGEditorDelegate;
class IPopupMenuControl;
class ITextEntryControl;

/** Handles a key the controls did not take; returns whether it was handled. */
using IKeyHandlerFunc = std::function<bool(const IKeyPress& key, bool isUp)>;
using IDisplayTickFunc = std::function<void()>;
using IAppearanceChangedFunc = std::function<void(EUIAppearance)>;
using IControlFunction = std::function<void(IControl* control)>;
using IMsgBoxCompletionHandlerFunc = std::function<void(EMsgBoxResult result)>;
/** Receives the chosen path, empty when the user cancelled. */
using IFileDialogCompletionHandlerFunc = std::function<void(const WDL_String& path)>;
/** Receives the chosen colour; not called when the user cancelled. */
using IColorPickerHandlerFunc = std::function<void(const IColor& color)>;

class IGraphics
{
public:
  IGraphics(IGEditorDelegate& dlg, int w, int h, int fps = 60, float scale = 1.f);
  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;
  virtual ~IGraphics();

  // ---------------------------------------------------------------- frame cycle
  /** Animates every control and collects the padded rectangles of dirty ones; true when any. */
  bool IsDirty(IRECTList& rects);
  /** Redraws the regions of `rects` (aligned and optimised, or their bounds under strict drawing). */
  void Draw(IRECTList& rects);
  void SetAllControlsDirty();
  void SetAllControlsClean();
  /** One tick of the frame timer: collects the dirty regions into a list kept from frame to frame
      (so a frame allocates nothing for it), cleans the controls and redraws; false when nothing was dirty. */
  bool RedrawDirty();

  /** Base part: feeds the frame interval to the frames-per-second display. Backends call it first. */
  virtual void BeginFrame();
  virtual void OnViewInitialized(void* /*context*/) {}
  virtual void OnViewDestroyed() {}
  virtual void EndFrame() {}

  // ---------------------------------------------------------------- drawing API
  /** Draws frame `frame` (1-based, clamped) of a filmstrip bitmap into `bounds`. */
  void DrawBitmap(const IBitmap& bitmap, const IRECT& bounds, int frame = 1, const IBlend* blend = nullptr);
  /** Backend: draws `bitmap` into `bounds` from the source offset (srcX, srcY) in points. */
  virtual void DrawBitmap(const IBitmap& bitmap, const IRECT& bounds, int srcX, int srcY, const IBlend* blend) = 0;

  virtual void DrawPoint(const IColor& color, float x, float y, const IBlend* blend = nullptr);
  virtual void DrawLine(const IColor& color, float x1, float y1, float x2, float y2, const IBlend* blend = nullptr,
                        float thickness = 1.f);
  virtual void DrawDottedLine(const IColor& color, float x1, float y1, float x2, float y2,
                              const IBlend* blend = nullptr, float thickness = 1.f, float dashLen = 2.f);
  virtual void DrawTriangle(const IColor& color, float x1, float y1, float x2, float y2, float x3, float y3,
                            const IBlend* blend = nullptr, float thickness = 1.f);
  virtual void DrawRect(const IColor& color, const IRECT& bounds, const IBlend* blend = nullptr, float thickness = 1.f);
  virtual void DrawRoundRect(const IColor& color, const IRECT& bounds, float cornerRadius = 5.f,
                             const IBlend* blend = nullptr, float thickness = 1.f);
  virtual void DrawRoundRect(const IColor& color, const IRECT& bounds, float cRTL, float cRTR, float cRBR, float cRBL,
                             const IBlend* blend = nullptr, float thickness = 1.f);
  virtual void DrawArc(const IColor& color, float cx, float cy, float r, float a1, float a2,
                       const IBlend* blend = nullptr, float thickness = 1.f);
  virtual void DrawCircle(const IColor& color, float cx, float cy, float r, const IBlend* blend = nullptr,
                          float thickness = 1.f);
  virtual void DrawEllipse(const IColor& color, const IRECT& bounds, const IBlend* blend = nullptr,
                           float thickness = 1.f);
  virtual void DrawEllipse(const IColor& color, float x, float y, float r1, float r2, float angle = 0.f,
                           const IBlend* blend = nullptr, float thickness = 1.f);
  virtual void DrawConvexPolygon(const IColor& color, const float* x, const float* y, int nPoints,
                                 const IBlend* blend = nullptr, float thickness = 1.f);
  virtual void DrawDottedRect(const IColor& color, const IRECT& bounds, const IBlend* blend = nullptr,
                              float thickness = 1.f, float dashLen = 2.f);
  /** Draws `svg` scaled to fit `bounds`; nothing for an empty handle. */
  virtual void DrawSVG(const ISVG& /*svg*/, const IRECT& /*bounds*/, const IBlend* /*blend*/ = nullptr) {}
  /** A soft shadow of `innerBounds` moved by `xyDrop`, filling `outerBounds`. */
  virtual void DrawFastDropShadow(const IRECT& /*innerBounds*/, const IRECT& /*outerBounds*/, float /*xyDrop*/ = 5.f,
                                  float /*roundness*/ = 0.f, float /*blur*/ = 10.f, const IBlend* /*blend*/ = nullptr)
  {}
  virtual void FillTriangle(const IColor& color, float x1, float y1, float x2, float y2, float x3, float y3,
                            const IBlend* blend = nullptr);
  virtual void FillRect(const IColor& color, const IRECT& bounds, const IBlend* blend = nullptr);
  virtual void FillRoundRect(const IColor& color, const IRECT& bounds, float cornerRadius = 5.f,
                             const IBlend* blend = nullptr);
  virtual void FillRoundRect(const IColor& color, const IRECT& bounds, float cRTL, float cRTR, float cRBR, float cRBL,
                             const IBlend* blend = nullptr);
  virtual void FillCircle(const IColor& color, float cx, float cy, float r, const IBlend* blend = nullptr);
  virtual void FillEllipse(const IColor& color, const IRECT& bounds, const IBlend* blend = nullptr);
  virtual void FillEllipse(const IColor& color, float x, float y, float r1, float r2, float angle = 0.f,
                           const IBlend* blend = nullptr);
  virtual void FillArc(const IColor& color, float cx, float cy, float r, float a1, float a2,
                       const IBlend* blend = nullptr);
  virtual void FillConvexPolygon(const IColor& color, const float* x, const float* y, int nPoints,
                                 const IBlend* blend = nullptr);

  /** Draws `bitmap` rotated by `angle` degrees about (destCentreX, destCentreY), at its point size. */
  virtual void DrawRotatedBitmap(const IBitmap& bitmap, float destCentreX, float destCentreY, double angle,
                                 const IBlend* blend = nullptr);
  /** Draws `str` from a strip of character cells: character c is frame c - 31 (space is frame 1).
      Lines break at '\n' when multiline; characters outside the strip leave their cell empty. */
  void DrawBitmapText(const IBitmap& bitmap, const IRECT& bounds, const IText& text, const IBlend* blend,
                      const char* str, bool vCentre = true, bool multiline = false, int charWidth = 6,
                      int charHeight = 12, int charOffset = 0);

  /** Does nothing for a null or empty string. */
  void DrawText(const IText& text, const char* str, const IRECT& bounds, const IBlend* blend = nullptr);
  void DrawText(const IText& text, const char* str, float x, float y, const IBlend* blend = nullptr);
  /** Sets `bounds` to the text's bounds; 0 for an empty string. */
  virtual float MeasureText(const IText& text, const char* str, IRECT& bounds) const;

  virtual const char* GetDrawingAPIStr() = 0;
  virtual void* GetDrawContext() { return nullptr; }

  // Paths (backend)
  virtual void PathClear() = 0;
  virtual void PathClose() = 0;
  /** Arc around (cx, cy); angles in degrees, 0 at twelve o'clock, growing clockwise. */
  virtual void PathArc(float cx, float cy, float r, float a1, float a2, EWinding winding = EWinding::CW) = 0;
  virtual void PathMoveTo(float x, float y) = 0;
  virtual void PathLineTo(float x, float y) = 0;
  virtual void PathSetWinding(bool /*clockwise*/) {}
  virtual void PathCubicBezierTo(float c1x, float c1y, float c2x, float c2y, float x2, float y2) = 0;
  virtual void PathQuadraticBezierTo(float cx, float cy, float x2, float y2) = 0;
  virtual void PathStroke(const IPattern& pattern, float thickness, const IStrokeOptions& options = {},
                          const IBlend* blend = nullptr) = 0;
  virtual void PathFill(const IPattern& pattern, const IFillOptions& options = {}, const IBlend* blend = nullptr) = 0;

  // Shapes added to the current path as closed sub-paths
  void PathLine(float x1, float y1, float x2, float y2);
  void PathRect(const IRECT& bounds);
  void PathRoundRect(const IRECT& bounds, float cornerRadius);
  void PathRoundRect(const IRECT& bounds, float cRTL, float cRTR, float cRBR, float cRBL);
  void PathCircle(float cx, float cy, float r);
  void PathEllipse(const IRECT& bounds);
  void PathEllipse(float x, float y, float r1, float r2, float angle = 0.f);
  void PathTriangle(float x1, float y1, float x2, float y2, float x3, float y3);
  void PathConvexPolygon(const float* x, const float* y, int nPoints);
  /** Line along the ray at `angle` degrees from (cx, cy), between radii rMin and rMax. */
  void PathRadialLine(float cx, float cy, float angle, float rMin, float rMax);

  // Transforms: each new transform acts in the current local coordinates.
  void PathTransformSave();
  void PathTransformRestore();
  void PathTransformReset(bool clearStack = false);
  void PathTransformTranslate(float x, float y);
  void PathTransformScale(float sx, float sy);
  void PathTransformScale(float s) { PathTransformScale(s, s); }
  void PathTransformRotate(float degrees);
  void PathTransformSkew(float xAngle, float yAngle);
  void PathTransformMatrix(const IMatrix& matrix);
  const IMatrix& GetTransform() const { return mTransform; }
  /** Clips to `r` within the region being drawn (an empty `r` clips to the whole region). */
  void PathClipRegion(const IRECT& r = IRECT());

  // Layers
  /** Redirects drawing into a new offscreen layer covering `r` (pixel-aligned). */
  void StartLayer(IControl* control, const IRECT& r, bool cacheable = false);
  /** Pushes an existing layer again (ownership moves to the stack). */
  void ResumeLayer(ILayerPtr& layer);
  ILayerPtr EndLayer();
  /** Whether a cached layer can be drawn as it is. */
  bool CheckLayer(const ILayerPtr& layer);
  void DrawLayer(const ILayerPtr& layer, const IBlend* blend = nullptr);
  int LayerDepth() const { return static_cast<int>(mLayers.size()); }

  // ---------------------------------------------------------------- controls
  /** Takes ownership and attaches; null (nothing attached, caller keeps it) when `ctrlTag` is in use. */
  IControl* AttachControl(IControl* control, int ctrlTag = kNoTag, const char* group = "");
  /** Inserts `control` at index 0 as the background; no tag, no group, no OnAttached. */
  IControl* AttachBackground(IControl* control);
  /** A one-frame bitmap control of the image `fileName` at (0, 0), inserted as the background. */
  IControl* AttachBackground(const char* fileName);
  /** Keeps `control` as the corner resizer unless one is attached already (then `control` is deleted). */
  void AttachCornerResizer(IControl* control, EUIResizerMode mode = EUIResizerMode::Scale, bool layoutOnResize = false);
  /** A corner handle of `size` screen points in the bottom-right corner, unless one is attached already. */
  void AttachCornerResizer(EUIResizerMode mode, bool layoutOnResize, const IColor& color, const IColor& mouseOverColor,
                           const IColor& dragColor, float size);
  void AttachBubbleControl(IBubbleControl* bubble);
  /** A white value bubble with a black outline and corner radius 5 showing its text in `text`. */
  void AttachBubbleControl(const IText& text);
  void AttachPopupMenuControl(IPopupMenuControl* control);
  void AttachTextEntryControl(ITextEntryControl* control);
  void ShowFPSDisplay(bool enable);

  IControl* GetControl(int idx) const { return mControls.Get(idx); }
  int NControls() const { return mControls.GetSize(); }
  int GetControlIdx(const IControl* control) const { return mControls.Find(control); }
  IControl* GetControlWithTag(int ctrlTag) const;
  IControl* GetBackgroundControl() const { return mControls.Get(0); }
  IControl* GetCornerResizer() const { return mCornerResizer.get(); }
  IFPSDisplayControl* GetFPSDisplay() const { return mPerfDisplay.get(); }
  int NBubbleControls() const { return static_cast<int>(mBubbleControls.size()); }
  IBubbleControl* GetBubbleControl(int i) const;

  /** Every control in list order, then the overlays: FPS display, corner resizer, text entry, popup, bubbles. */
  void ForAllControlsFunc(const IControlFunction& func) const { ForEachControl(func); }
  template <class Method, class... Args>
  void ForAllControls(Method method, Args... args)
  {
    ForEachControl([&](IControl* c) { (c->*method)(args...); });
  }
  /** The control list only. */
  void ForStandardControlsFunc(const IControlFunction& func) const;
  void ForControlWithParam(int paramIdx, const IControlFunction& func) const;
  void ForControlInGroup(const char* group, const IControlFunction& func) const;
  template <class Method, class... Args>
  void ForMatchingControls(Method method, int paramIdx, Args... args)
  {
    ForControlWithParam(paramIdx, [&](IControl* c) { (c->*method)(args...); });
  }
  void HideControl(int paramIdx, bool hide) { ForMatchingControls(&IControl::Hide, paramIdx, hide); }
  void DisableControl(int paramIdx, bool disable) { ForMatchingControls(&IControl::SetDisabled, paramIdx, disable); }

  /** Sends the caller's value to every other control linked to the same parameter. */
  void UpdatePeers(IControl* caller, int callerValIdx);

  void RemoveControl(IControl* control);
  void RemoveControl(int idx);
  void RemoveControlWithTag(int ctrlTag);
  /** Removes every control from index `fromIdx` on. */
  void RemoveControls(int fromIdx);
  void RemoveAllControls();

  void SetControlPosition(int idx, float x, float y);
  void SetControlSize(int idx, float w, float h);
  void SetControlBounds(int idx, const IRECT& r);

  void AssignParamNameToolTips();
  /** The tooltip to show for the pointer at (x, y): that of the topmost listed control that is not
      hidden, has a tooltip and whose target rectangle holds the point; null when there is none, when
      tooltips are off or while an in-editor menu is open. */
  const char* TooltipAt(float x, float y) const;
  void EnableTooltips(bool enable);
  bool TooltipsEnabled() const { return mEnableTooltips; }
  void EnableMouseOver(bool enable) { mEnableMouseOver = enable; }
  bool MouseOverEnabled() const { return mEnableMouseOver; }
  void EnableMultiTouch(bool enable) { mEnableMultiTouch = enable; }
  bool MultiTouchEnabled() const { return mEnableMultiTouch; }
  void SetLayoutOnResize(bool layout) { mLayoutOnResize = layout; }
  void SetStrictDrawing(bool strict);
  void SetKeyHandlerFunc(IKeyHandlerFunc func) { mKeyHandlerFunc = std::move(func); }
  void SetDisplayTickFunc(IDisplayTickFunc func) { mDisplayTickFunc = std::move(func); }
  void SetAppearanceChangedFunc(IAppearanceChangedFunc func) { mAppearanceChangedFunc = std::move(func); }
  void OnAppearanceChanged(EUIAppearance appearance)
  {
    if (mAppearanceChangedFunc)
      mAppearanceChangedFunc(appearance);
  }
  void OnGUIIdle() { ForAllControls(&IControl::OnGUIIdle); }

  // ---------------------------------------------------------------- size and scale
  /** Clamps to the delegate's limits; a request that changes nothing is ignored. */
  void Resize(int w, int h, float scale, bool needsPlatformResize = true);
  void SetScreenScale(float scale);
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  int WindowWidth() const;
  int WindowHeight() const;
  int FPS() const { return mFPS; }
  float GetDrawScale() const { return mDrawScale; }
  float GetScreenScale() const { return mScreenScale; }
  float GetMinScale() const { return mMinScale; }
  float GetMaxScale() const { return mMaxScale; }
  /** Device pixels per editor point. */
  virtual float GetBackingPixelScale() const { return mScreenScale * mDrawScale; }
  IRECT GetBounds() const { return IRECT(0.f, 0.f, static_cast<float>(mWidth), static_cast<float>(mHeight)); }
  EUIResizerMode GetResizerMode() const { return mGUISizeMode; }
  bool GetResizingInProgress() const { return mResizingInProgress; }
  /** The zoom at which the editor's window fits `width` x `height` device pixels, keeping its aspect
      ratio, within the scale limits: the current zoom when its window is that size already, 100 %
      when that is, else the largest whose window fits. */
  float ScaleToFit(int width, int height) const;
  /** The host gives the editor `width` x `height` device pixels (it resized the parent, or sent a
      size): the editor zooms to fit them without asking the host for a size in turn. Platforms
      whose view the host sizes also give the view that size and place the editor in it. */
  virtual void FitToHostSize(int width, int height);
  /** How close to 100 % a drag of the corner resizer in scale mode lands on exactly 100 %. */
  static constexpr float kResizeSnapRange = 0.02f;
  /** Called by the corner resizer on a press: the next drags resize the editor. */
  void StartDragResize() { mResizingInProgress = true; }
  void OnDragResize(float x, float y);
  void EndDragResize();

  // ---------------------------------------------------------------- prompts and menus
  /** A menu of the parameter's display texts, or a text entry for other parameters. */
  void PromptUserInput(IControl& control, const IRECT& bounds, int valIdx);
  void DoCreatePopupMenu(IControl& control, IPopupMenu& menu, const IRECT& bounds, int valIdx, bool isContext);
  /** Delivers the user's menu choice (null when nothing was chosen) to the control that asked. */
  void SetControlValueAfterPopupMenu(IPopupMenu* menu);
  /** Delivers the text typed into a text entry to the control that asked. */
  void SetControlValueAfterTextEdit(const char* str);
  void ShowBubbleControl(IControl* caller, float x, float y, const char* str, EDirection dir = EDirection::Horizontal,
                         IRECT minimumContentBounds = IRECT());
  IPopupMenu& GetPromptMenu() { return mPromptPopupMenu; }
  IControl* GetControlInTextEntry() const { return mInTextEntry; }
  /** Ends a text entry without a value: the user cancelled it. */
  void ClearInTextEntryControl() { mInTextEntry = nullptr; }
  IPopupMenuControl* GetPopupMenuControl() const { return mPopupControl.get(); }
  ITextEntryControl* GetTextEntryControl() const { return mTextEntryControl.get(); }
  IControl* GetControlInPopupMenu() const { return mInPopupMenu; }

  // ---------------------------------------------------------------- input dispatch
  void OnMouseDown(const IMouseInfos& points);
  void OnMouseUp(const IMouseInfos& points);
  void OnMouseDrag(const IMouseInfos& points);
  void OnTouchCancelled(const IMouseInfos& points);
  bool OnMouseDblClick(float x, float y, const IMouseMod& mod);
  bool OnMouseOver(float x, float y, const IMouseMod& mod);
  void OnMouseOut();
  void OnMouseWheel(float x, float y, const IMouseMod& mod, float delta);
  bool OnKeyDown(float x, float y, const IKeyPress& key);
  bool OnKeyUp(float x, float y, const IKeyPress& key);
  void OnDrop(const char* str, float x, float y);
  /** The control an event at (x, y) goes to: the captured one, an active overlay, or the topmost hit. */
  IControl* GetMouseControl(float x, float y, bool capture, bool mouseOver = false, ITouchID touchID = 0);
  int GetMouseControlIdx(float x, float y, bool mouseOver = false);
  void ReleaseMouseCapture();
  /** Releases the capture as a mouse-up would: held controls get their release
   *  at the last mouse position and the host the end of their gestures. */
  void EndMouseCapture();
  bool ControlIsCaptured() const { return !mCapturedMap.empty(); }
  bool ControlIsCaptured(const IControl* control) const;
  /** Whether `control` is listed or is one of the overlays. */
  bool IsAttached(const IControl* control) const;
  void GetTouches(const IControl* control, std::vector<ITouchID>& touches) const;
  IControl* GetMouseOverControl() const { return mMouseOver; }
  int GetMouseOverIdx() const { return mMouseOverIdx; }
  void GetMouseDownPoint(float& x, float& y) const
  {
    x = mMouseDownX;
    y = mMouseDownY;
  }
  int GetParamIdxForPTAutomation(float x, float y);
  int GetLastClickedParamForPTAutomation();

  // ---------------------------------------------------------------- resources
  /** A cached image by name; `targetScale` 0 means the screen's scale rounded up. Invalid when the
      name has no supported extension or no file is found. */
  virtual IBitmap LoadBitmap(const char* name, int nStates = 1, bool framesAreHorizontal = false, int targetScale = 0);
  /** An image decoded from bytes in memory, cached under `name`. */
  virtual IBitmap LoadBitmap(const char* name, const void* data, int dataSize, int nStates = 1,
                             bool framesAreHorizontal = false, int targetScale = 0);
  /** `bitmap` for the density the editor draws at now (BitmapTargetScale), with its frames and layout:
      the same handle while that stays the variant it came from, so only a change of variant reloads. */
  IBitmap GetScaledBitmap(const IBitmap& bitmap);
  /** Device pixels per point that images are drawn at, rounded up: ceil(screen scale x draw scale).
      A 200 % editor on a 1x screen wants the same images as a 100 % editor on a 2x screen. */
  int BitmapDensity() const;
  /** The scale variant of the image `name` that suits BitmapDensity: the file found first in the search
      for that density (so capped at the densest variant there is), or the density when none is found. */
  int BitmapTargetScale(const char* name) const;
  /** A document parsed once per process and shared by every editor; empty on failure. */
  virtual ISVG LoadSVG(const char* fileName, const char* units = "px", float dpi = 72.f);
  virtual ISVG LoadSVG(const char* name, const void* data, int dataSize, const char* units = "px", float dpi = 72.f);
  /** Registers the font file `fileName` (a .ttf resource) under `fontID`. */
  virtual bool LoadFont(const char* fontID, const char* fileName);
  virtual bool LoadFont(const char* fontID, const void* data, int dataSize);
  /** Registers an installed system font found by family and style. */
  bool LoadFont(const char* fontID, const char* fontName, ETextStyle style);
  /** The bytes of a resource file; empty when it is not found or cannot be read whole. */
  std::vector<uint8_t> LoadResource(const char* name, const char* type) const;
  /** The whole file at `path`; empty when it cannot be read or is empty. */
  static std::vector<uint8_t> ReadFileBytes(const char* path);
  /** Tries the scale variants of `name` (BG@2x.png, ...) in the order that suits `targetScale`. */
  EResourceLocation SearchImageResource(const char* name, const char* type, WDL_String& result, int targetScale,
                                        int& sourceScale) const;
  /** Looks `name` up in the process-wide bitmap cache at the scales in search order. */
  APIBitmap* SearchBitmapInCache(const char* name, int targetScale, int& sourceScale);
  virtual void RetainBitmap(const IBitmap& bitmap, const char* cacheName);
  virtual void ReleaseBitmap(const IBitmap& bitmap);
  /** `bitmap` redrawn for `targetScale` into a new backend bitmap, retained under `cacheName`. */
  virtual IBitmap ScaleBitmap(const IBitmap& bitmap, const char* cacheName, int targetScale);
  virtual bool BitmapExtSupported(const char* /*ext*/) { return false; }
  /** Index of the alpha byte in a pixel of the backend's bitmaps, and whether their rows run bottom up. */
  virtual int AlphaChannel() const { return 3; }
  virtual bool FlippedBitmap() const { return false; }
  /** The colour at a point; backends that cannot read pixels back answer black. */
  virtual IColor GetPoint(int /*x*/, int /*y*/) { return COLOR_BLACK; }
  /** Copies a layer's pixels (RGBA rows) into `data`. */
  virtual void GetLayerBitmapData(const ILayerPtr& /*layer*/, std::vector<uint8_t>& data) { data.clear(); }
  /** Replaces a layer's pixels with `mask` (as from GetLayerBitmapData) tinted by `shadowColor`. */
  virtual void ApplyShadowMask(ILayerPtr& /*layer*/, std::vector<uint8_t>& /*mask*/, const IColor& /*shadowColor*/) {}

  // ---------------------------------------------------------------- platform
  /** Headless default: discards an open view, keeps `parent` as the window, runs the delegate's
      layout and OnUIOpen. A platform layer creates its view around the same steps. */
  virtual void* OpenWindow(void* parent);
  /** Headless default: forgets the window and lets the backend drop the view (OnViewDestroyed). */
  virtual void CloseWindow();
  virtual void* GetWindow() { return mWindow; }
  /** Places a native view of the platform (on X11 a window id) in the editor at `bounds`, in editor
      points, above what the editor draws; it follows the editor's zoom. The caller keeps owning it. */
  virtual void AttachPlatformView(const IRECT& /*bounds*/, void* /*view*/) {}
  /** Takes an attached native view out of the editor again, unharmed. */
  virtual void RemovePlatformView(void* /*view*/) {}
  bool WindowIsOpen() { return GetWindow() != nullptr; }
  virtual void GetMouseLocation(float& x, float& y) const
  {
    x = mLastMouseX;
    y = mLastMouseY;
  }
  /** Hides (or shows) the cursor; with lock the pointer stays put while dragging. Overrides call this base. */
  virtual void HideMouseCursor(bool hide = true, bool /*lock*/ = true) { mCursorHidden = hide; }
  virtual void MoveMouseCursor(float /*x*/, float /*y*/) {}
  /** Sets the cursor and returns the previous one. */
  virtual ECursor SetMouseCursor(ECursor cursor = ECursor::ARROW);
  virtual void ForceEndUserEdit() {}
  virtual void UpdateTooltips() {}
  virtual bool PlatformSupportsMultiTouch() const { return false; }
  virtual float GetPlatformWindowScale() const { return 1.f; }
  virtual void PlatformResize(bool /*parentHasResized*/) {}
  virtual void DrawResize() {}
  virtual EUIAppearance GetUIAppearance() const { return EUIAppearance::Light; }
  virtual const char* GetPlatformAPIStr() { return ""; }
  /** Opens a native text field; the result is delivered with SetControlValueAfterTextEdit. */
  virtual void CreatePlatformTextEntry(int /*paramIdx*/, const IText& /*text*/, const IRECT& /*bounds*/, int /*length*/,
                                       const char* /*str*/)
  {}
  /** Shows a native menu. Synchronous platforms return the chosen (sub)menu or null; asynchronous ones set isAsync. */
  virtual IPopupMenu* CreatePlatformPopupMenu(IPopupMenu& /*menu*/, const IRECT& /*bounds*/, bool& /*isAsync*/)
  {
    return nullptr;
  }

  // Desktop services. A prompt answers through its function, later, on the user-interface thread;
  // false means it could not be shown (no window, no dialog program) and the function is never called.
  virtual bool ShowMessageBox(const char* /*str*/, const char* /*title*/, EMsgBoxType /*type*/,
                              IMsgBoxCompletionHandlerFunc /*completion*/ = nullptr)
  {
    return false;
  }
  /** `extensions`: blank-separated, e.g. "wav aif"; empty or null for any file. */
  virtual bool PromptForFile(const char* /*initialPath*/, EFileAction /*action*/, const char* /*extensions*/,
                             IFileDialogCompletionHandlerFunc /*completion*/)
  {
    return false;
  }
  virtual bool PromptForDirectory(const char* /*initialDir*/, IFileDialogCompletionHandlerFunc /*completion*/)
  {
    return false;
  }
  virtual bool PromptForColor(const IColor& /*start*/, const char* /*title*/, IColorPickerHandlerFunc /*func*/)
  {
    return false;
  }
  /** Opens `url` with the desktop's handler; false when that could not be started. */
  virtual bool OpenURL(const char* /*url*/) { return false; }
  /** Shows `path` in the file manager (its folder when `select` is set). */
  virtual bool RevealPathInExplorerOrFinder(const char* /*path*/, bool /*select*/ = false) { return false; }
  virtual bool GetTextFromClipboard(WDL_String& /*str*/) { return false; }
  virtual bool SetTextInClipboard(const char* /*str*/) { return false; }
  /** Editor points to screen pixels, and back. */
  virtual void PointToScreen(float& /*x*/, float& /*y*/) const {}
  virtual void ScreenToPoint(float& /*x*/, float& /*y*/) const {}

  // ---------------------------------------------------------------- backend bitmaps
  /** The GL context must be current around every drawing, loading and teardown call. */
  virtual bool ActivateGLContext() { return true; }
  virtual void DeactivateGLContext() {}

  /** A new offscreen bitmap of `width` x `height` pixels. */
  virtual APIBitmap* CreateAPIBitmap(int width, int height, float scale, double drawScale, bool cacheable = false) = 0;
  /** Makes the top of the layer stack (or the screen) the drawing target. */
  virtual void UpdateLayer() {}

  // ---------------------------------------------------------------- animation clock
  using IClockFunc = std::function<double()>;
  /** Milliseconds of the clock that control animations run on. */
  double GetAnimationTimeMs() const;
  /** Replaces the animation clock (a null function restores the monotonic one), so tests need not sleep. */
  void SetAnimationClock(IClockFunc clockMs) { mAnimationClock = std::move(clockMs); }

  // ---------------------------------------------------------------- misc
  IGEditorDelegate* GetDelegate() const { return mDelegate; }
  void SetBundleID(const char* id) { mBundleID.Set(id); }
  const char* GetBundleID() const { return mBundleID.Get(); }
  void SetSharedResourcesSubPath(const char* path) { mSharedResourcesSubPath.Set(path); }
  const char* GetSharedResourcesSubPath() const { return mSharedResourcesSubPath.Get(); }
  ECursor GetCursor() const { return mCursorType; }
  bool CursorIsHidden() const { return mCursorHidden; }
  const IRECT& GetClipRECT() const { return mClipRECT; }

  /** Users of the process-wide image and vector-document caches (one per live IGraphics). */
  static StaticStorage<APIBitmap>& BitmapCache();
  static StaticStorage<SVGHolder>& SVGCache();

protected:
  /** Seconds of a monotonic clock, for the frame statistics. */
  virtual double GetTimeSeconds() const;
  virtual void SetClipRegion(const IRECT& r) = 0;
  virtual void PathTransformSetMatrix(const IMatrix& m) = 0;
  virtual float DoMeasureText(const IText& text, const char* str, IRECT& bounds) const = 0;
  virtual void DoDrawText(const IText& text, const char* str, const IRECT& bounds, const IBlend* blend) = 0;
  /** Called after every control drawn into `r`. */
  virtual void CompleteRegion(const IRECT& /*r*/) {}

  void PushLayer(ILayer* layer);
  ILayer* PopLayer();
  /** The layer drawing goes to, or null when it goes to the editor. */
  const ILayer* GetTopLayer() const { return mLayers.empty() ? nullptr : mLayers.top(); }
  /** Deletes layers left on the stack (a frame that never ended them); backends call it before their teardown. */
  void DeleteLayerStack();

  // Backend decoding and font registration behind the resource operations.
  virtual APIBitmap* LoadAPIBitmap(const char* /*path*/, int /*scale*/, EResourceLocation /*location*/,
                                   const char* /*ext*/)
  {
    return nullptr;
  }
  virtual APIBitmap* LoadAPIBitmap(const char* /*name*/, const void* /*data*/, int /*dataSize*/, int /*scale*/)
  {
    return nullptr;
  }
  /** Registers `font` under `fontID`; may take the data into a cache. */
  virtual bool LoadAPIFont(const char* /*fontID*/, IFontDataPtr& /*font*/) { return false; }
  /** Parses an SVG document (NUL-terminated text); null when it is malformed. */
  virtual SVGHolder* ParseSVG(const char* /*text*/, const char* /*units*/, float /*dpi*/) { return nullptr; }
  /** The platform's font loading: a file resource, bytes, or an installed family and style. */
  virtual IFontDataPtr LoadPlatformFont(const char* fontID, const char* fileName);
  virtual IFontDataPtr LoadPlatformFont(const char* fontID, const void* data, int dataSize);
  virtual IFontDataPtr LoadPlatformFont(const char* /*fontID*/, const char* /*fontName*/, ETextStyle /*style*/)
  {
    return nullptr;
  }

  void* mWindow = nullptr;

private:
  /** ForAllControlsFunc for any callable: the frame cycle visits every control without wrapping a function. */
  template <class Func>
  void ForEachControl(Func&& func) const
  {
    for (int i = 0; i < mControls.GetSize(); ++i)
      func(mControls.Get(i));
    for (int i = 0; IControl* overlay = OverlayAt(i); ++i)
      func(overlay);
  }
  /** The i-th attached overlay in drawing order (FPS display, corner resizer, text entry, popup, bubbles), or null. */
  IControl* OverlayAt(int i) const;
  void DrawRegion(const IRECT& r, float scale);
  void DrawControl(IControl* control, const IRECT& r, float scale);
  void PrepareRegion(const IRECT& r);
  /** Removes `control` from every reference but the list; the caller deletes it. */
  void ForgetControl(IControl* control);
  void AttachOverlay(IControl* control);
  void OnMouseDownPoint(const IMouseInfo& point, bool& stop);

  WDL_PtrList<IControl> mControls;
  std::unordered_map<int, IControl*> mCtrlTags;
  std::unique_ptr<IControl> mCornerResizer;
  std::vector<std::unique_ptr<IBubbleControl>> mBubbleControls;
  std::unique_ptr<IPopupMenuControl> mPopupControl;
  std::unique_ptr<IFPSDisplayControl> mPerfDisplay;
  std::unique_ptr<ITextEntryControl> mTextEntryControl;
  IPopupMenu mPromptPopupMenu;
  WDL_String mSharedResourcesSubPath;
  WDL_String mBundleID;
  ECursor mCursorType = ECursor::ARROW;
  int mWidth;
  int mHeight;
  int mFPS;
  float mScreenScale = 1.f;
  float mDrawScale;
  std::unordered_map<ITouchID, IControl*> mCapturedMap;
  IControl* mMouseOver = nullptr;
  IControl* mInTextEntry = nullptr;
  IControl* mInPopupMenu = nullptr;
  bool mIsContextMenu = false;
  int mTextEntryValIdx = kNoValIdx;
  int mPopupMenuValIdx = kNoValIdx;
  int mMouseOverIdx = -1;
  float mMouseDownX = -1.f;
  float mMouseDownY = -1.f;
  float mLastMouseX = 0.f;
  float mLastMouseY = 0.f;
  float mMinScale;
  float mMaxScale;
  int mLastClickedParam = kNoParameter;
  bool mEnableMouseOver = false;
  bool mStrict = false;
  bool mEnableTooltips = false;
  bool mResizingInProgress = false;
  bool mLayoutOnResize = false;
  bool mEnableMultiTouch = false;
  EUIResizerMode mGUISizeMode = EUIResizerMode::Scale;
  double mPrevTimestamp = 0.0;
  double mTimeOrigin = 0.0;
  bool mHaveTimestamp = false;
  IKeyHandlerFunc mKeyHandlerFunc;
  IDisplayTickFunc mDisplayTickFunc;
  IAppearanceChangedFunc mAppearanceChangedFunc;
  IClockFunc mAnimationClock;
  IGEditorDelegate* mDelegate;
  bool mCursorHidden = false;
  IRECT mClipRECT;
  IRECTList mDirtyRects;
  IMatrix mTransform;
  std::vector<IMatrix> mTransformStates; // a vector, so emptying it keeps its storage
  std::stack<ILayer*> mLayers;
};

} // namespace iplug::igraphics
