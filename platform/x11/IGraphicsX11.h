#pragma once
// The editor in an X11 window: a NanoVG backend presenting to an EGL window
// surface. The window is a child of the host's window when OpenWindow is
// given one (a host embedding the editor), else a top-level window named
// after the plug-in. A frame timer on the main run loop reads the window's
// events and redraws what is dirty; a host that runs its own loop calls Idle
// instead. Pointer, wheel and key events become the graphics host's input
// calls in editor points; menus and text entry are drawn in the editor;
// clipboard, URLs and dialogs go through the desktop.

#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "graphics/drawing/IGraphicsNanoVG.h"
#include "platform/x11/ClickCounter.h"
#include "platform/x11/HostSizeTracker.h"

typedef struct _XDisplay Display;
typedef unsigned long XID;
union _XEvent;

namespace iplug {
class EGLGLContext;
class Timer;
} // namespace iplug

namespace iplug::igraphics {

namespace x11 {
class X11Clipboard;
class X11ErrorTrap;
class X11Tooltip;
class XdndTarget;
class DesktopServices;
} // namespace x11

class IGraphicsX11 : public IGraphicsNanoVG
{
public:
  IGraphicsX11(IGEditorDelegate& dlg, int w, int h, int fps = 60, float scale = 1.f);
  ~IGraphicsX11() override;

  /** `parent`: the X11 window id of the host's window (as a pointer-sized value), or null for a
      top-level window. Returns the editor's window id the same way, or null (see GetError) when
      there is no display or no OpenGL. */
  void* OpenWindow(void* parent) override;
  void CloseWindow() override;
  const char* GetPlatformAPIStr() override { return "X11"; }

  /** Reads the pending events, then draws one frame if anything is dirty. For hosts that drive
      their own loop; the frame timer calls it too. False once the window manager has asked a
      top-level window to close, or the window is gone (the host then closes the editor). */
  bool Idle();
  /** Handles one event of this editor's window. Public for hosts that read events themselves. */
  void HandleEvent(_XEvent& event);
  /** Whether the window manager or Ctrl+Q asked the top-level window to close. */
  bool CloseRequested() const { return mCloseRequested; }
  /** Whether the window was destroyed from outside (its parent destroyed by the host, say): the
      editor then counts as closed and draws nothing more. */
  bool WindowGone() const { return mWindowGone; }
  /** Runs the frame timer on the main run loop (on by default); off when the host calls Idle. */
  void SetTimerEnabled(bool enabled);
  /** The X display connection of this editor (each editor has its own), or null while closed. */
  Display* GetDisplay() const { return mDisplay; }
  XID GetXWindow() const { return mXWindow; }
  const std::string& GetError() const { return mError; }

  // Platform operations
  void HideMouseCursor(bool hide = true, bool lock = true) override;
  void MoveMouseCursor(float x, float y) override;
  ECursor SetMouseCursor(ECursor cursor = ECursor::ARROW) override;
  void ForceEndUserEdit() override;
  void PlatformResize(bool parentHasResized) override;
  /** The window takes the host's size; the editor zooms to fit it, centred, the rest cleared. */
  void FitToHostSize(int width, int height) override;
  /** `view`: an X11 window id, of any connection. It becomes a child of the editor's window at `bounds`
      (editor points), is kept there through zooms, and goes back to the root window, unmapped, when
      removed or when the editor closes. */
  void AttachPlatformView(const IRECT& bounds, void* view) override;
  void RemovePlatformView(void* view) override;
  /** The running system's version: the Linux kernel's as major x 10000 + minor x 100 + patch. */
  static int GetUserOSVersion();
  /** The desktop's preference, read when the window opens and followed while it is open: the settings
      portal's colour scheme, else a dark XSETTINGS theme (Net/ThemeName), else Light. */
  EUIAppearance GetUIAppearance() const override { return mAppearance; }
  /** Hides a tooltip on show: the controls' areas and texts are read again when the pointer next rests. */
  void UpdateTooltips() override;
  /** The tooltip shown after the pointer rests this long on a control that has one. */
  static constexpr double kTooltipDelayMs = 500.0;
  /** The tooltip window (null until one was first shown), for tests. */
  const x11::X11Tooltip* GetTooltipWindow() const { return mTooltip.get(); }
  bool GetTextFromClipboard(WDL_String& str) override;
  bool SetTextInClipboard(const char* str) override;
  bool ShowMessageBox(const char* str, const char* title, EMsgBoxType type,
                      IMsgBoxCompletionHandlerFunc completion = nullptr) override;
  bool PromptForFile(const char* initialPath, EFileAction action, const char* extensions,
                     IFileDialogCompletionHandlerFunc completion) override;
  bool PromptForDirectory(const char* initialDir, IFileDialogCompletionHandlerFunc completion) override;
  bool PromptForColor(const IColor& start, const char* title, IColorPickerHandlerFunc func) override;
  bool OpenURL(const char* url) override;
  bool RevealPathInExplorerOrFinder(const char* path, bool select = false) override;
  void PointToScreen(float& x, float& y) const override;
  void ScreenToPoint(float& x, float& y) const override;

  bool ActivateGLContext() override;
  void DeactivateGLContext() override;

protected:
  unsigned GetWindowFramebuffer() override { return 0; }
  void OnFrameComposited() override;
  void GetCompositePlacement(int& windowWidth, int& windowHeight, int& left, int& top) override;
  IFontDataPtr LoadPlatformFont(const char* fontID, const char* fontName, ETextStyle style) override;
  using IGraphics::LoadPlatformFont;

private:
  bool CreateWindow(XID parent);
  void DestroyWindow();
  void OnWindowGone();
  void DrawFrame();
  float Scale() const { return GetScreenScale() * GetDrawScale(); }
  /** A window position in pixels as editor points (the editor may sit inside a larger window). */
  float ToPointX(int x) const { return static_cast<float>(x - mEditorLeft) / Scale(); }
  float ToPointY(int y) const { return static_cast<float>(y - mEditorTop) / Scale(); }
  /** The window's size for the editor alone, in pixels. */
  int EditorPixelWidth() const;
  int EditorPixelHeight() const;
  void OnConfigure(const _XEvent& event);
  /** Reads the desktop's appearance (asking the portal again when `askPortal`); tells the editor when it changed. */
  void ReadAppearance(bool askPortal);
  /** Any input but a plain pointer move: the tooltip goes and stays away until the pointer moves. */
  void EndTooltipRest();
  /** Shows the tooltip once the pointer has rested long enough on a control that has one. */
  void ShowTooltipAfterRest();
  /** Centres the editor in a window the host made larger than it. */
  void PlaceEditor();
  /** Puts the attached native views where their rectangles lie at the current zoom. */
  void PlacePlatformViews();
  void DetachPlatformView(unsigned long view);
  void OnButton(_XEvent& event, bool press);
  void OnMotion(_XEvent& event);
  void OnKey(_XEvent& event, bool press);
  void ApplyCursor();
  unsigned long CursorFor(ECursor cursor);

  Display* mDisplay = nullptr;
  XID mXWindow = 0;
  XID mParent = 0;
  std::unique_ptr<EGLGLContext> mGL;
  std::unique_ptr<Timer> mTimer;
  std::unique_ptr<x11::X11ErrorTrap> mErrors; // this editor's connection: X errors never end the host
  std::unique_ptr<x11::X11Clipboard> mClipboard;
  std::unique_ptr<x11::X11Tooltip> mTooltip;
  std::unique_ptr<x11::XdndTarget> mDropTarget;
  std::vector<std::pair<unsigned long, IRECT>> mPlatformViews; // attached native windows and their places
  EUIAppearance mAppearance = EUIAppearance::Light;
  int mPortalScheme = 0;            // the portal's colour scheme (x11::ColorScheme) when the window opened
  unsigned long mSettingsOwner = 0; // the XSETTINGS manager's window, watched for changes
  double mRestSinceMs = -1.0;       // when the pointer stopped, on the animation clock; < 0 while none counts
  float mRestX = 0.f;               // where, editor points and screen pixels
  float mRestY = 0.f;
  int mRestRootX = 0;
  int mRestRootY = 0;
  std::unique_ptr<x11::DesktopServices> mDesktop;
  x11::ClickCounter mClicks;
  std::array<unsigned long, 14> mCursors{};
  unsigned long mBlankCursor = 0;
  unsigned long mWMDeleteWindow = 0;
  bool mTimerEnabled = true;
  bool mCloseRequested = false;
  bool mWindowGone = false;
  bool mNeedsPresent = false;
  static constexpr int kResizePresents = 3;
  int mResizePresents = 0; // ticks that present again after a resize
  bool mMouseOutDuringDrag = false;
  bool mCursorLocked = false;
  x11::HostSizeTracker mHostSize;
  int mHostWidth = 0; // the window's size when a host gave it one, else 0
  int mHostHeight = 0;
  int mEditorLeft = 0; // the editor's top-left corner in its window, pixels
  int mEditorTop = 0;
  bool mFitting = false; // a zoom to fit the host's size, which leaves the window's size alone
  float mPrevX = 0.f;    // previous pointer position, editor points
  float mPrevY = 0.f;
  int mLockX = 0; // where the hidden pointer is held, window pixels
  int mLockY = 0;
  std::string mError;
};

} // namespace iplug::igraphics
