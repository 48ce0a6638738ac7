#pragma once
// XSETTINGS: the desktop's settings (theme name, font, scale...) that a
// settings manager publishes to every X client as one binary block in a
// property of the window owning the selection _XSETTINGS_S<screen>.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

typedef struct _XDisplay Display;

namespace iplug::igraphics::x11 {

struct XSettingValue
{
  enum class Type
  {
    Integer = 0,
    String = 1,
    Color = 2
  };
  Type type = Type::Integer;
  int32_t integer = 0;
  std::string text;
  uint16_t color[4] = {}; // red, green, blue, alpha
};

/** The settings of an _XSETTINGS_SETTINGS block; false, with `out` empty, when the bytes are not a
    whole, well-formed block. */
bool ParseXSettings(const uint8_t* data, size_t size, std::map<std::string, XSettingValue>& out);

/** The settings manager's window on `screen`, 0 when none runs. */
unsigned long XSettingsOwner(Display* display, int screen);
/** The block the settings manager of `screen` publishes; empty when none runs. */
std::vector<uint8_t> ReadXSettings(Display* display, int screen);

} // namespace iplug::igraphics::x11
