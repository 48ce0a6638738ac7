#pragma once
// An offscreen editor for pixel tests: a surfaceless GL context on llvmpipe,
// controls that draw what a test hands them, and pixel probes with a small
// tolerance (no golden images, which change with every Mesa release).

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "graphics/IGraphicsEditorDelegate.h"
#include "graphics/drawing/ImageDecoder.h"
#include "platform/linux/IGraphicsOffscreen.h"

namespace iplug::igraphics::test {

/** Runs a test-supplied drawing function as its Draw. */
class LambdaControl : public IControl
{
public:
  using DrawFunc = std::function<void(IGraphics&, const IRECT&)>;
  LambdaControl(const IRECT& r, DrawFunc func) : IControl(r), mFunc(std::move(func)) {}
  void Draw(IGraphics& g) override { mFunc(g, mRECT); }
  void SetFunc(DrawFunc func) { mFunc = std::move(func); }

private:
  DrawFunc mFunc;
};

class NullDelegate : public IGEditorDelegate
{
public:
  NullDelegate() : IGEditorDelegate(0) {}
  bool EditorResizeFromUI(int, int, bool) override { return true; }
  void BeginInformHostOfParamChangeFromUI(int) override {}
  void EndInformHostOfParamChangeFromUI(int) override {}
};

struct RGBA
{
  int r, g, b, a;
};

inline std::string Describe(const RGBA& p)
{
  return "(" + std::to_string(p.r) + "," + std::to_string(p.g) + "," + std::to_string(p.b) + "," + std::to_string(p.a) +
         ")";
}

class OffscreenEditor
{
public:
  explicit OffscreenEditor(int w = 100, int h = 80, float screenScale = 1.f, float drawScale = 1.f)
  {
    graphics = std::make_unique<IGraphicsOffscreen>(delegate, w, h, 60, drawScale);
    graphics->SetScreenScale(screenScale);
    opened = graphics->OpenWindow(nullptr) != nullptr;
  }
  ~OffscreenEditor()
  {
    if (graphics)
      graphics->CloseWindow();
  }

  IGraphicsOffscreen& g() { return *graphics; }

  /** Attaches a full-size background in `color` below everything else. */
  LambdaControl* Background(const IColor& color)
  {
    auto* c = new LambdaControl(graphics->GetBounds(), [color](IGraphics& g, const IRECT& r) { g.FillRect(color, r); });
    graphics->AttachControl(c);
    return c;
  }
  LambdaControl* Add(const IRECT& r, LambdaControl::DrawFunc func)
  {
    auto* c = new LambdaControl(r, std::move(func));
    graphics->AttachControl(c);
    return c;
  }

  /** Draws a frame and reads the window back. */
  bool Frame()
  {
    graphics->DrawFrame();
    return graphics->ReadPixels(pixels, width, height);
  }

  /** The pixel at device coordinates (x, y). */
  RGBA At(int x, int y) const
  {
    if (x < 0 || y < 0 || x >= width || y >= height)
      return {-1, -1, -1, -1};
    const uint8_t* p = pixels.data() + (size_t(y) * size_t(width) + size_t(x)) * 4;
    return {p[0], p[1], p[2], p[3]};
  }

  NullDelegate delegate;
  std::unique_ptr<IGraphicsOffscreen> graphics;
  bool opened = false;
  std::vector<uint8_t> pixels;
  int width = 0;
  int height = 0;
};

inline ::testing::AssertionResult Near(const RGBA& got, const RGBA& want, int tolerance = 3)
{
  if (std::abs(got.r - want.r) <= tolerance && std::abs(got.g - want.g) <= tolerance &&
      std::abs(got.b - want.b) <= tolerance && std::abs(got.a - want.a) <= tolerance)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "got " << Describe(got) << ", want " << Describe(want);
}

/** A PNG file of `w` x `h` pixels made by `pixel`(x, y) -> RGBA. */
inline bool WriteTestPNG(const std::string& path, int w, int h, const std::function<RGBA(int, int)>& pixel)
{
  std::vector<uint8_t> rgba(size_t(w) * size_t(h) * 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
    {
      const RGBA p = pixel(x, y);
      uint8_t* out = rgba.data() + (size_t(y) * size_t(w) + size_t(x)) * 4;
      out[0] = uint8_t(p.r), out[1] = uint8_t(p.g), out[2] = uint8_t(p.b), out[3] = uint8_t(p.a);
    }
  return WritePNGFile(path.c_str(), rgba.data(), w, h);
}

#define REQUIRE_GL(editor)                                                                                             \
  if (!(editor).opened)                                                                                                \
    GTEST_FAIL() << "no OpenGL context: " << (editor).g().GetError();

} // namespace iplug::igraphics::test
