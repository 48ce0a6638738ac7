#include "platform/linux/IGraphicsOffscreen.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>

#include "graphics/drawing/ImageDecoder.h"
#include "platform/linux/EGLGLContext.h"
#include "platform/linux/SystemFonts.h"

namespace iplug::igraphics {

IGraphicsOffscreen::IGraphicsOffscreen(IGEditorDelegate& dlg, int w, int h, int fps, float scale)
: IGraphicsNanoVG(dlg, w, h, fps, scale)
{}

IGraphicsOffscreen::~IGraphicsOffscreen() { Teardown(); }

void* IGraphicsOffscreen::OpenWindow(void* /*parent*/)
{
  if (mGL)
    CloseWindow();
  mError.clear();
  mGL = EGLGLContext::CreateSurfaceless(mError);
  if (!mGL)
    return nullptr;
  if (!mGL->MakeCurrent())
  {
    mError = "cannot make the EGL context current";
    mGL.reset();
    return nullptr;
  }
  OnViewInitialized(nullptr);
  if (!GetDrawContext())
  {
    mError = "cannot create the NanoVG context (OpenGL 3.3 core needed)";
    mGL.reset();
    return nullptr;
  }
  SetScreenScale(GetScreenScale()); // creates the framebuffers
  return IGraphics::OpenWindow(this);
}

void IGraphicsOffscreen::CloseWindow()
{
  IGraphics::CloseWindow(); // removes the controls and the NanoVG context
  Teardown();
}

void IGraphicsOffscreen::Teardown()
{
  if (!mGL)
    return;
  // Controls and their layers go while the context can still delete their framebuffers.
  OnViewDestroyed();
  mGL->MakeCurrent();
  mTarget.Delete();
  mGL.reset();
}

bool IGraphicsOffscreen::ActivateGLContext() { return mGL && mGL->MakeCurrent(); }

void IGraphicsOffscreen::DeactivateGLContext() {}

void IGraphicsOffscreen::DrawResize()
{
  IGraphicsNanoVG::DrawResize();
  if (ActivateGLContext() && FramebufferWidth() > 0)
    mTarget.Create(FramebufferWidth(), FramebufferHeight());
}

bool IGraphicsOffscreen::DrawFrame() { return RedrawDirty(); }

void IGraphicsOffscreen::Finish()
{
  if (ActivateGLContext())
    glFinish();
}

bool IGraphicsOffscreen::ReadPixels(std::vector<uint8_t>& rgba, int& width, int& height)
{
  width = height = 0;
  if (!ActivateGLContext() || !mTarget.Id())
    return false;
  if (!ReadFramebufferRGBA(mTarget.Id(), mTarget.Width(), mTarget.Height(), rgba))
    return false;
  width = mTarget.Width();
  height = mTarget.Height();
  return true;
}

bool IGraphicsOffscreen::WritePNG(const char* path)
{
  std::vector<uint8_t> rgba;
  int w = 0, h = 0;
  return ReadPixels(rgba, w, h) && WritePNGFile(path, rgba.data(), w, h);
}

IFontDataPtr IGraphicsOffscreen::LoadPlatformFont(const char* /*fontID*/, const char* fontName, ETextStyle style)
{
  return LoadSystemFont(fontName, style);
}

} // namespace iplug::igraphics
