#pragma once
// An OpenGL 3.3+ core context made with EGL. Created either on Mesa's
// surfaceless platform (no display, no window: drawing goes to framebuffer
// objects) or on a native display, where a window surface can be attached
// for presenting. Drawing code makes the context current before every GL call.

#include <memory>
#include <string>

namespace iplug {

class EGLGLContext
{
public:
  ~EGLGLContext();
  EGLGLContext(const EGLGLContext&) = delete;
  EGLGLContext& operator=(const EGLGLContext&) = delete;

  /** A context with no display and no surface; null (and `error` set) when EGL or the driver lacks it. */
  static std::unique_ptr<EGLGLContext> CreateSurfaceless(std::string& error);

  /** A context on a native display of EGL platform `platform`, able to draw into window surfaces:
      for X11, EGL_PLATFORM_X11_KHR and the Display*. */
  static std::unique_ptr<EGLGLContext> CreateForDisplay(unsigned platform, void* nativeDisplay, std::string& error);

  /** The native visual id (an X11 VisualID) a window needs to take this context's surfaces; 0 when any. */
  int NativeVisualId() const;

  /** Creates the surface presenting into `nativeWindow` (replacing an earlier one); false on failure.
      For X11 `nativeWindow` points at the Window id. While it is attached, framebuffer 0 is the window. */
  bool AttachWindowSurface(void* nativeWindow, std::string& error);
  void DetachWindowSurface();
  bool HasWindowSurface() const { return mSurface != nullptr; }

  /** Binds the context (and its window surface, if any) to the calling thread. */
  bool MakeCurrent();
  /** Unbinds whatever context the calling thread has. */
  void ReleaseCurrent();
  bool IsCurrent() const;
  /** Presents the window surface; false without one. */
  bool SwapBuffers();

  /** "OpenGL 4.5 (Core Profile) Mesa ..." and the renderer name, for diagnostics. */
  std::string Description();

private:
  EGLGLContext() = default;
  bool Init(unsigned platform, void* nativeDisplay, bool windowSurfaces, std::string& error);

  void* mDisplay = nullptr; // EGLDisplay
  void* mConfig = nullptr;  // EGLConfig
  void* mContext = nullptr; // EGLContext
  void* mSurface = nullptr; // EGLSurface of the attached window
};

} // namespace iplug
