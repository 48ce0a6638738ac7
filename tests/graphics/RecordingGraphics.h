#pragma once
// A graphics host without a window or GPU that logs every backend call it
// receives, with the clip and transform in force at that moment, so tests can
// check what is drawn where, in which order and under which clip.

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "graphics/IGraphics.h"

namespace iplug::igraphics::test {

struct DrawCall
{
  std::string op;    // fill, stroke, bitmap, text, clip, beginFrame, endFrame, region, hideCursor, ...
  IRECT bounds;      // path bounds (fill/stroke), target (bitmap/text), clip (clip/region)
  IRECT clip;        // backend clip when the call arrived
  IMatrix transform; // backend transform when the call arrived
  IColor color;
  float weight = 1.f;
  std::string text;
  int srcX = 0;
  int srcY = 0;
  float bitmapScale = 0.f; // resolution factor of the bitmap drawn
};

class RecordingGraphics : public IGraphics
{
public:
  RecordingGraphics(IGEditorDelegate& dlg, int w = 300, int h = 200, float scale = 1.f)
  : IGraphics(dlg, w, h, 60, scale)
  {}

  using IGraphics::DrawBitmap;

  // --- what tests read ---
  std::vector<DrawCall> calls;
  std::vector<std::string> menusShown; // root titles of menus handed to the platform
  IRECT lastMenuBounds;
  int nextMenuChoice = -1; // item the "user" picks in the next platform menu; -1 dismisses
  struct TextEntry
  {
    int paramIdx;
    IRECT bounds;
    int length;
    std::string text;
  };
  std::vector<TextEntry> textEntries;
  double clockSeconds = 0.0;
  /** Images LoadBitmap finds, by name, with their size in points; each loads at any scale asked. */
  std::map<std::string, std::pair<int, int>> images;
  std::vector<std::string> bitmapLoads; // "name@scale" of every load that found its image
  std::vector<std::string> fontsLoaded; // "id=file"
  int platformResizes = 0;
  int drawResizes = 0;
  int* windowCloses = nullptr; // counted outside, so it survives the context

  std::vector<DrawCall> Ops(const std::string& op) const
  {
    std::vector<DrawCall> out;
    std::copy_if(calls.begin(), calls.end(), std::back_inserter(out), [&](const DrawCall& c) { return c.op == op; });
    return out;
  }
  int Count(const std::string& op) const { return static_cast<int>(Ops(op).size()); }
  void ClearLog() { calls.clear(); }

  /** One frame cycle as the platform view runs it; returns whether anything was drawn. */
  bool RunFrame() { return RedrawDirty(); }

  // --- backend ---
  void BeginFrame() override
  {
    Log("beginFrame");
    IGraphics::BeginFrame();
  }
  void EndFrame() override { Log("endFrame"); }
  const char* GetDrawingAPIStr() override { return "Recording"; }

  void DrawBitmap(const IBitmap& bitmap, const IRECT& bounds, int srcX, int srcY, const IBlend* blend) override
  {
    DrawCall& c = Log("bitmap", bounds);
    c.srcX = srcX;
    c.srcY = srcY;
    c.weight = BlendWeight(blend);
    c.text = bitmap.GetResourceName().Get();
    c.bitmapScale = bitmap.GetScale();
  }

  IBitmap LoadBitmap(const char* name, int nStates = 1, bool framesAreHorizontal = false, int targetScale = 0) override
  {
    const auto image = images.find(name ? name : "");
    if (image == images.end())
      return IBitmap();
    const int scale = targetScale > 0 ? targetScale : BitmapDensity();
    const auto [w, h] = image->second;
    mLoaded.push_back(std::make_unique<APIBitmap>(0, w * scale, h * scale, static_cast<float>(scale), 1.f));
    bitmapLoads.push_back(image->first + "@" + std::to_string(scale));
    return IBitmap(mLoaded.back().get(), nStates, framesAreHorizontal, name);
  }

  /** Every font "registers"; tests read which. */
  bool LoadFont(const char* fontID, const char* fileName) override
  {
    fontsLoaded.push_back(std::string(fontID) + "=" + fileName);
    return true;
  }

  void DrawFastDropShadow(const IRECT& inner, const IRECT&, float, float, float, const IBlend* blend) override
  {
    Log("shadow", inner).weight = BlendWeight(blend);
  }

  void PathClear() override
  {
    mPath = IRECT();
    mHavePath = false;
  }
  void PathClose() override {}
  void PathArc(float cx, float cy, float r, float, float, EWinding) override
  {
    Extend(cx - r, cy - r);
    Extend(cx + r, cy + r);
  }
  void PathMoveTo(float x, float y) override { Extend(x, y); }
  void PathLineTo(float x, float y) override { Extend(x, y); }
  void PathCubicBezierTo(float, float, float, float, float x2, float y2) override { Extend(x2, y2); }
  void PathQuadraticBezierTo(float, float, float x2, float y2) override { Extend(x2, y2); }
  void PathStroke(const IPattern& pattern, float, const IStrokeOptions& options, const IBlend* blend) override
  {
    DrawCall& c = Log("stroke", mPath);
    c.color = pattern.GetStop(0).mColor;
    c.weight = BlendWeight(blend);
    if (!options.mPreserve)
      PathClear();
  }
  void PathFill(const IPattern& pattern, const IFillOptions& options, const IBlend* blend) override
  {
    DrawCall& c = Log("fill", mPath);
    c.color = pattern.GetStop(0).mColor;
    c.weight = BlendWeight(blend);
    if (!options.mPreserve)
      PathClear();
  }

  APIBitmap* CreateAPIBitmap(int width, int height, float scale, double drawScale, bool) override
  {
    Log("createBitmap", IRECT(0, 0, static_cast<float>(width), static_cast<float>(height)));
    return new APIBitmap(0, width, height, scale, static_cast<float>(drawScale));
  }
  void UpdateLayer() override { Log("updateLayer"); }

  // --- platform ---
  void CloseWindow() override
  {
    if (windowCloses)
      ++*windowCloses;
    IGraphics::CloseWindow();
  }
  void HideMouseCursor(bool hide, bool lock) override
  {
    Log(hide ? "hideCursor" : "showCursor");
    IGraphics::HideMouseCursor(hide, lock);
  }
  void PlatformResize(bool) override { ++platformResizes; }
  void DrawResize() override { ++drawResizes; }
  void CreatePlatformTextEntry(int paramIdx, const IText&, const IRECT& bounds, int length, const char* str) override
  {
    textEntries.push_back({paramIdx, bounds, length, str ? str : ""});
  }
  IPopupMenu* CreatePlatformPopupMenu(IPopupMenu& menu, const IRECT& bounds, bool& isAsync) override
  {
    isAsync = false;
    menusShown.push_back(menu.GetRootTitle());
    lastMenuBounds = bounds;
    if (nextMenuChoice < 0 || nextMenuChoice >= menu.NItems())
      return nullptr;
    menu.SetChosenItemIdx(nextMenuChoice);
    return &menu;
  }

protected:
  double GetTimeSeconds() const override { return clockSeconds; }
  void SetClipRegion(const IRECT& r) override
  {
    Log("clip", r);
    mBackendClip = r;
  }
  void PathTransformSetMatrix(const IMatrix& m) override { mBackendTransform = m; }
  float DoMeasureText(const IText& text, const char* str, IRECT& bounds) const override
  {
    // Fixed-pitch stand-in: half the font size per character, one font size tall.
    const float w = 0.5f * text.mSize * static_cast<float>(std::string(str).size());
    bounds = IRECT(bounds.L, bounds.T, bounds.L + w, bounds.T + text.mSize);
    return w;
  }
  void DoDrawText(const IText&, const char* str, const IRECT& bounds, const IBlend* blend) override
  {
    DrawCall& c = Log("text", bounds);
    c.text = str;
    c.weight = BlendWeight(blend);
  }
  void CompleteRegion(const IRECT& r) override { Log("region", r); }

private:
  DrawCall& Log(const std::string& op, const IRECT& bounds = IRECT())
  {
    DrawCall c;
    c.op = op;
    c.bounds = bounds;
    c.clip = mBackendClip;
    c.transform = mBackendTransform;
    calls.push_back(c);
    return calls.back();
  }
  void Extend(float x, float y)
  {
    if (!mHavePath)
      mPath = IRECT(x, y, x, y);
    else
      mPath = IRECT(std::min(mPath.L, x), std::min(mPath.T, y), std::max(mPath.R, x), std::max(mPath.B, y));
    mHavePath = true;
  }

  IRECT mPath;
  bool mHavePath = false;
  std::vector<std::unique_ptr<APIBitmap>> mLoaded;
  IRECT mBackendClip;
  IMatrix mBackendTransform;
};

} // namespace iplug::igraphics::test
