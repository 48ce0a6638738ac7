#pragma once
// Whether the desktop asks applications for a dark or a light look: the
// freedesktop colour-scheme setting of the settings portal on the session bus
// where a portal publishes it, else the GTK theme that the XSETTINGS manager
// names (Net/ThemeName, "Adwaita-dark" and the like), else light.

#include <map>
#include <string>
#include <string_view>

#include "platform/x11/XSettings.h"

typedef struct _XDisplay Display;

namespace iplug::igraphics::x11 {

enum class ColorScheme
{
  NoPreference = 0,
  Dark = 1,
  Light = 2
};

/** The portal's org.freedesktop.appearance color-scheme, asked on a private connection to the session
    bus (no bus is started, no portal activated); NoPreference when there is no answer in `timeoutMs`. */
ColorScheme PortalColorScheme(int timeoutMs = 250);

/** Whether a theme name names a dark variant: "Adwaita-dark", "Yaru-dark", "Breeze Dark", "Nordic-darker". */
bool ThemeNameIsDark(std::string_view name);

/** True for dark: the portal's scheme when it has one, else the XSETTINGS theme in `settings`. */
bool PrefersDark(ColorScheme portal, const std::map<std::string, XSettingValue>& settings);

} // namespace iplug::igraphics::x11
