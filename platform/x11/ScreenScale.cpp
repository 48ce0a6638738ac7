#include "platform/x11/ScreenScale.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace iplug::igraphics::x11 {

namespace {

// A positive finite number filling the whole text (surrounding blanks allowed), else 0.
double ParsePositive(std::string_view text, bool wholeOnly)
{
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
    text.remove_suffix(1);
  if (text.empty() || text.size() > 32)
    return 0.0;
  char buffer[40];
  std::memcpy(buffer, text.data(), text.size());
  buffer[text.size()] = '\0';
  char* end = nullptr;
  const double value = wholeOnly ? static_cast<double>(std::strtol(buffer, &end, 10)) : std::strtod(buffer, &end);
  if (end != buffer + text.size() || !std::isfinite(value) || value <= 0.0)
    return 0.0;
  return value;
}

// The value of the resource line "Xft.dpi:" (the last one wins, as in the database).
std::string_view FindXftDpi(std::string_view resources)
{
  constexpr std::string_view kKey = "Xft.dpi:";
  std::string_view found;
  while (!resources.empty())
  {
    const size_t end = resources.find('\n');
    std::string_view line = resources.substr(0, end);
    resources = end == std::string_view::npos ? std::string_view() : resources.substr(end + 1);
    if (line.substr(0, kKey.size()) == kKey)
      found = line.substr(kKey.size());
  }
  return found;
}

} // namespace

float ScreenScaleFromSettings(const char* resources, const char* gdkScale)
{
  if (resources)
  {
    // Settings beyond 16x are taken for a broken database rather than a display.
    if (const double dpi = ParsePositive(FindXftDpi(resources), false); dpi > 0.0 && dpi <= 96.0 * 16.0)
      return static_cast<float>(std::max(1.0, dpi / 96.0));
  }
  if (gdkScale)
  {
    if (const double scale = ParsePositive(gdkScale, true); scale >= 1.0 && scale <= 16.0)
      return static_cast<float>(scale);
  }
  return 1.f;
}

} // namespace iplug::igraphics::x11
