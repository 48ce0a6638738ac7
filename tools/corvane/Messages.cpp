#include "tools/corvane/Messages.h"

#include <cstdio>

namespace corvane::host {

std::string Printable(std::string_view text)
{
  std::string out;
  out.reserve(text.size());
  for (const char c : text)
  {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\n')
      out += "\\n";
    else if (c == '\t')
      out += "\\t";
    else if (c == '\r')
      out += "\\r";
    else if (byte < 0x20 || byte == 0x7F)
    {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", byte);
      out += escape;
    }
    else
      out += c;
  }
  return out;
}

void Warn(const std::string& message) { std::fprintf(stderr, "corvane: warning: %s\n", Printable(message).c_str()); }

} // namespace corvane::host
