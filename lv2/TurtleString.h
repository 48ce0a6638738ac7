#pragma once
// Text as a Turtle string literal, shared by the bundle's data files and the
// preset bundles the command-line host writes.

#include <string>

namespace iplug {

/** `text` as a Turtle string literal, quotes included. Line breaks are escaped: a short
    literal may not hold them bare. */
inline std::string TurtleString(const std::string& text)
{
  std::string quoted = "\"";
  for (char c : text)
  {
    switch (c)
    {
      case '"': quoted += "\\\""; break;
      case '\\': quoted += "\\\\"; break;
      case '\n': quoted += "\\n"; break;
      case '\r': quoted += "\\r"; break;
      default: quoted += c;
    }
  }
  return quoted + "\"";
}

} // namespace iplug
