#include "platform/linux/EGLGLContext.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>

#include <cstring>

namespace iplug {
namespace {

std::string EGLErrorText(const char* what)
{
  char buffer[96];
  std::snprintf(buffer, sizeof(buffer), "%s failed (EGL error 0x%04x)", what, static_cast<unsigned>(eglGetError()));
  return buffer;
}

bool HasExtension(const char* list, const char* name)
{
  if (!list)
    return false;
  const size_t n = std::strlen(name);
  for (const char* p = std::strstr(list, name); p; p = std::strstr(p + n, name))
    if ((p == list || p[-1] == ' ') && (p[n] == ' ' || p[n] == '\0'))
      return true;
  return false;
}

} // namespace

std::unique_ptr<EGLGLContext> EGLGLContext::CreateSurfaceless(std::string& error)
{
  if (!HasExtension(eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS), "EGL_MESA_platform_surfaceless"))
  {
    error = "EGL has no surfaceless platform (EGL_MESA_platform_surfaceless)";
    return nullptr;
  }
  std::unique_ptr<EGLGLContext> context(new EGLGLContext());
  if (!context->Init(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, false, error))
    return nullptr;
  return context;
}

std::unique_ptr<EGLGLContext> EGLGLContext::CreateForDisplay(unsigned platform, void* nativeDisplay, std::string& error)
{
  std::unique_ptr<EGLGLContext> context(new EGLGLContext());
  if (!context->Init(platform, nativeDisplay, true, error))
    return nullptr;
  return context;
}

bool EGLGLContext::Init(unsigned platform, void* nativeDisplay, bool windowSurfaces, std::string& error)
{
  EGLDisplay display = eglGetPlatformDisplay(platform, nativeDisplay, nullptr);
  if (display == EGL_NO_DISPLAY)
  {
    error = EGLErrorText("eglGetPlatformDisplay");
    return false;
  }
  EGLint major = 0, minor = 0;
  if (!eglInitialize(display, &major, &minor))
  {
    error = EGLErrorText("eglInitialize");
    return false;
  }
  mDisplay = display;
  if (!eglBindAPI(EGL_OPENGL_API))
  {
    error = EGLErrorText("eglBindAPI(OpenGL)");
    return false;
  }

  // NanoVG antialiases in its shaders and needs a stencil buffer only in the
  // framebuffer objects it draws into; a window surface gets one too.
  const EGLint surfaceType = windowSurfaces ? EGL_WINDOW_BIT : 0;
  const EGLint configAttribs[] = {EGL_SURFACE_TYPE,
                                  surfaceType,
                                  EGL_RENDERABLE_TYPE,
                                  EGL_OPENGL_BIT,
                                  EGL_RED_SIZE,
                                  8,
                                  EGL_GREEN_SIZE,
                                  8,
                                  EGL_BLUE_SIZE,
                                  8,
                                  EGL_ALPHA_SIZE,
                                  8,
                                  EGL_STENCIL_SIZE,
                                  windowSurfaces ? 8 : 0,
                                  EGL_NONE};
  EGLConfig config = nullptr;
  EGLint count = 0;
  if (!eglChooseConfig(display, configAttribs, &config, 1, &count) || count < 1)
  {
    // Surfaceless drivers may offer no config at all; contexts without one are allowed there.
    if (windowSurfaces || !HasExtension(eglQueryString(display, EGL_EXTENSIONS), "EGL_KHR_no_config_context"))
    {
      error = "no EGL config with 8-bit RGBA for OpenGL";
      return false;
    }
    config = EGL_NO_CONFIG_KHR;
  }
  mConfig = config;

  const EGLint contextAttribs[] = {
    EGL_CONTEXT_MAJOR_VERSION,           3,       EGL_CONTEXT_MINOR_VERSION, 3, EGL_CONTEXT_OPENGL_PROFILE_MASK,
    EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT, EGL_NONE};
  EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttribs);
  if (context == EGL_NO_CONTEXT)
  {
    error = EGLErrorText("eglCreateContext(OpenGL 3.3 core)");
    return false;
  }
  mContext = context;
  return true;
}

EGLGLContext::~EGLGLContext()
{
  if (!mDisplay)
    return;
  if (IsCurrent())
    ReleaseCurrent();
  DetachWindowSurface();
  if (mContext)
    eglDestroyContext(mDisplay, mContext);
  // The display connection is shared by every context on it and stays initialised:
  // eglTerminate here would pull it from under another editor.
}

int EGLGLContext::NativeVisualId() const
{
  EGLint id = 0;
  if (!mDisplay || !mConfig || !eglGetConfigAttrib(mDisplay, mConfig, EGL_NATIVE_VISUAL_ID, &id))
    return 0;
  return id;
}

bool EGLGLContext::AttachWindowSurface(void* nativeWindow, std::string& error)
{
  DetachWindowSurface();
  EGLSurface surface = eglCreatePlatformWindowSurface(mDisplay, mConfig, nativeWindow, nullptr);
  if (surface == EGL_NO_SURFACE)
  {
    error = EGLErrorText("eglCreatePlatformWindowSurface");
    return false;
  }
  mSurface = surface;
  return true;
}

void EGLGLContext::DetachWindowSurface()
{
  if (!mSurface)
    return;
  if (eglGetCurrentSurface(EGL_DRAW) == mSurface)
    eglMakeCurrent(mDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  eglDestroySurface(mDisplay, mSurface);
  mSurface = nullptr;
}

bool EGLGLContext::MakeCurrent()
{
  EGLSurface surface = mSurface ? static_cast<EGLSurface>(mSurface) : EGL_NO_SURFACE;
  if (eglGetCurrentContext() == mContext && eglGetCurrentSurface(EGL_DRAW) == surface)
    return true;
  return eglMakeCurrent(mDisplay, surface, surface, mContext) == EGL_TRUE;
}

void EGLGLContext::ReleaseCurrent() { eglMakeCurrent(mDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT); }

bool EGLGLContext::IsCurrent() const { return mContext && eglGetCurrentContext() == mContext; }

bool EGLGLContext::SwapBuffers() { return mSurface && eglSwapBuffers(mDisplay, mSurface) == EGL_TRUE; }

std::string EGLGLContext::Description()
{
  if (!MakeCurrent())
    return {};
  const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  return std::string(version ? version : "?") + " on " + (renderer ? renderer : "?");
}

} // namespace iplug
