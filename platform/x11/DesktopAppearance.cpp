#include "platform/x11/DesktopAppearance.h"

#include <cctype>
#include <cstdlib>
#include <string>

#include <gio/gio.h>

namespace iplug::igraphics::x11 {

namespace {

// The session bus's address, only where one runs: GIO would otherwise try to launch one.
std::string SessionBusAddress()
{
  if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address)
    return address;
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
  {
    const std::string socket = std::string(runtime) + "/bus";
    if (g_file_test(socket.c_str(), G_FILE_TEST_EXISTS))
      return "unix:path=" + socket;
  }
  return {};
}

} // namespace

ColorScheme PortalColorScheme(int timeoutMs)
{
  const std::string address = SessionBusAddress();
  if (address.empty())
    return ColorScheme::NoPreference;
  // A connection of our own: the host's shared session-bus connection, if it has one, is left alone.
  GDBusConnection* bus = g_dbus_connection_new_for_address_sync(
    address.c_str(),
    static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                      G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
    nullptr, nullptr, nullptr);
  if (!bus)
    return ColorScheme::NoPreference;
  GVariant* reply = g_dbus_connection_call_sync(
    bus, "org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop", "org.freedesktop.portal.Settings", "Read",
    g_variant_new("(ss)", "org.freedesktop.appearance", "color-scheme"), G_VARIANT_TYPE("(v)"),
    G_DBUS_CALL_FLAGS_NO_AUTO_START, timeoutMs, nullptr, nullptr);
  ColorScheme scheme = ColorScheme::NoPreference;
  if (reply)
  {
    GVariant* value = nullptr;
    g_variant_get(reply, "(v)", &value);
    // Portals before version 2 wrap the value in one more variant.
    while (value && g_variant_is_of_type(value, G_VARIANT_TYPE_VARIANT))
    {
      GVariant* inner = g_variant_get_variant(value);
      g_variant_unref(value);
      value = inner;
    }
    if (value && g_variant_is_of_type(value, G_VARIANT_TYPE_UINT32))
    {
      const guint32 v = g_variant_get_uint32(value);
      scheme = v == 1 ? ColorScheme::Dark : v == 2 ? ColorScheme::Light : ColorScheme::NoPreference;
    }
    if (value)
      g_variant_unref(value);
    g_variant_unref(reply);
  }
  g_dbus_connection_close_sync(bus, nullptr, nullptr);
  g_object_unref(bus);
  return scheme;
}

bool ThemeNameIsDark(std::string_view name)
{
  std::string lower;
  for (char c : name)
    lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  // "dark" as a word of the name: after a separator or at its start ("Adwaita-dark", "Breeze Dark",
  // "dark-blue"), not inside another word.
  for (size_t at = lower.find("dark"); at != std::string::npos; at = lower.find("dark", at + 1))
    if (at == 0 || lower[at - 1] == '-' || lower[at - 1] == ' ' || lower[at - 1] == '_' || lower[at - 1] == '.' ||
        lower[at - 1] == ':')
      return true;
  return false;
}

bool PrefersDark(ColorScheme portal, const std::map<std::string, XSettingValue>& settings)
{
  if (portal != ColorScheme::NoPreference)
    return portal == ColorScheme::Dark;
  const auto theme = settings.find("Net/ThemeName");
  return theme != settings.end() && theme->second.type == XSettingValue::Type::String &&
         ThemeNameIsDark(theme->second.text);
}

} // namespace iplug::igraphics::x11
