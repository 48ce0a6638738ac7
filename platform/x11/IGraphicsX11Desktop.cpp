// The editor window's part in the desktop: native views inside it, the
// system's version, the desktop's light or dark preference, and tooltips.

#include "platform/x11/IGraphicsX11.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "platform/x11/DesktopAppearance.h"
#include "platform/x11/UserOSVersion.h"
#include "platform/x11/X11Tooltip.h"
#include "platform/x11/XSettings.h"

// X11's headers define names such as None and Status as macros: they come last.
#include <X11/Xlib.h>

namespace iplug::igraphics {

// ------------------------------------------------------------------ native views
int IGraphicsX11::GetUserOSVersion() { return x11::UserOSVersion(); }

void IGraphicsX11::AttachPlatformView(const IRECT& bounds, void* view)
{
  const auto window = reinterpret_cast<unsigned long>(view);
  if (!mDisplay || !mXWindow || !window)
    return;
  const auto known =
    std::find_if(mPlatformViews.begin(), mPlatformViews.end(), [window](const auto& v) { return v.first == window; });
  if (known != mPlatformViews.end())
    known->second = bounds;
  else
    mPlatformViews.emplace_back(window, bounds);
  XReparentWindow(mDisplay, window, mXWindow, 0, 0);
  PlacePlatformViews();
  XMapRaised(mDisplay, window);
  XFlush(mDisplay);
}

void IGraphicsX11::RemovePlatformView(void* view)
{
  const auto window = reinterpret_cast<unsigned long>(view);
  const auto known =
    std::find_if(mPlatformViews.begin(), mPlatformViews.end(), [window](const auto& v) { return v.first == window; });
  if (known == mPlatformViews.end())
    return;
  mPlatformViews.erase(known);
  DetachPlatformView(window);
}

void IGraphicsX11::DetachPlatformView(unsigned long view)
{
  if (!mDisplay)
    return;
  // Back to the root window, so destroying the editor's window does not destroy it with it.
  XUnmapWindow(mDisplay, view);
  XReparentWindow(mDisplay, view, DefaultRootWindow(mDisplay), 0, 0);
  XFlush(mDisplay);
}

void IGraphicsX11::PlacePlatformViews()
{
  if (!mDisplay || !mXWindow)
    return;
  for (const auto& [window, bounds] : mPlatformViews)
  {
    const int x = mEditorLeft + static_cast<int>(std::lround(bounds.L * Scale()));
    const int y = mEditorTop + static_cast<int>(std::lround(bounds.T * Scale()));
    const int w = std::max(1, static_cast<int>(std::lround(bounds.W() * Scale())));
    const int h = std::max(1, static_cast<int>(std::lround(bounds.H() * Scale())));
    XMoveResizeWindow(mDisplay, window, x, y, static_cast<unsigned>(w), static_cast<unsigned>(h));
  }
}

// ------------------------------------------------------------------ appearance
void IGraphicsX11::ReadAppearance(bool askPortal)
{
  if (askPortal)
    mPortalScheme = static_cast<int>(x11::PortalColorScheme());
  const int screen = DefaultScreen(mDisplay);
  // The settings manager announces changes on its window's property: watch the current one.
  if (const unsigned long owner = x11::XSettingsOwner(mDisplay, screen); owner != mSettingsOwner)
  {
    mSettingsOwner = owner;
    if (owner)
      XSelectInput(mDisplay, owner, PropertyChangeMask);
  }
  const std::vector<uint8_t> block = x11::ReadXSettings(mDisplay, screen);
  std::map<std::string, x11::XSettingValue> settings;
  x11::ParseXSettings(block.data(), block.size(), settings);
  const EUIAppearance appearance = x11::PrefersDark(static_cast<x11::ColorScheme>(mPortalScheme), settings)
                                     ? EUIAppearance::Dark
                                     : EUIAppearance::Light;
  if (appearance == mAppearance)
    return;
  mAppearance = appearance;
  OnAppearanceChanged(appearance);
}

// ------------------------------------------------------------------ tooltips
void IGraphicsX11::EndTooltipRest()
{
  mRestSinceMs = -1.0;
  if (mTooltip)
    mTooltip->Hide();
}

void IGraphicsX11::UpdateTooltips()
{
  if (mTooltip)
    mTooltip->Hide();
}

void IGraphicsX11::ShowTooltipAfterRest()
{
  if (!mDisplay || mRestSinceMs < 0.0 || GetAnimationTimeMs() - mRestSinceMs < kTooltipDelayMs)
    return;
  mRestSinceMs = -1.0; // once per rest
  const char* text = TooltipAt(mRestX, mRestY);
  if (!text)
    return;
  if (!mTooltip)
    mTooltip = std::make_unique<x11::X11Tooltip>(mDisplay, GetScreenScale());
  mTooltip->Show(text, mRestRootX, mRestRootY);
}

} // namespace iplug::igraphics
