#pragma once
// The editor drawn without a display: a NanoVG backend on a surfaceless EGL
// context whose "window" is a framebuffer object of the window's pixel size.
// Frames are drawn as the window's timer would draw them, and the composited
// editor is read back as RGBA pixels or written as a PNG file. Tests and
// snapshots use it; the X11 window shares the backend and the EGL context code
// and differs only in presenting to a window surface.

#include <memory>
#include <string>
#include <vector>

#include "graphics/drawing/GLFramebuffer.h"
#include "graphics/drawing/IGraphicsNanoVG.h"

namespace iplug {
class EGLGLContext;
}

namespace iplug::igraphics {

class IGraphicsOffscreen : public IGraphicsNanoVG
{
public:
  IGraphicsOffscreen(IGEditorDelegate& dlg, int w, int h, int fps = 60, float scale = 1.f);
  ~IGraphicsOffscreen() override;

  /** Creates the GL and NanoVG contexts and the framebuffers at the current screen scale, then runs
      the delegate's layout. Returns null (see GetError) when no GL context can be made. */
  void* OpenWindow(void* parent) override;
  void CloseWindow() override;
  const char* GetPlatformAPIStr() override { return "EGL surfaceless"; }

  /** One tick of the frame timer: redraws what is dirty; false when nothing was. */
  bool DrawFrame();
  /** Waits until the GL has finished every frame drawn so far (for timing). */
  void Finish();
  /** The composited editor as straight-alpha RGBA rows from the top, at the window's pixel size. */
  bool ReadPixels(std::vector<uint8_t>& rgba, int& width, int& height);
  /** The composited editor as a PNG file. */
  bool WritePNG(const char* path);
  /** Why OpenWindow failed. */
  const std::string& GetError() const { return mError; }

  bool ActivateGLContext() override;
  void DeactivateGLContext() override;
  void DrawResize() override;

protected:
  unsigned GetWindowFramebuffer() override { return mTarget.Id(); }
  IFontDataPtr LoadPlatformFont(const char* fontID, const char* fontName, ETextStyle style) override;
  using IGraphics::LoadPlatformFont;

private:
  void Teardown();

  std::unique_ptr<EGLGLContext> mGL;
  GLFramebuffer mTarget;
  std::string mError;
};

} // namespace iplug::igraphics
