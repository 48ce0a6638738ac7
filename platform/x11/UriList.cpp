#include "platform/x11/UriList.h"

namespace iplug::igraphics::x11 {

namespace {

int HexValue(char c)
{
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

// %XX escapes decoded; false for a broken escape, one that gives NUL, or a raw control byte.
bool Unescape(std::string_view text, std::string& out)
{
  out.clear();
  for (size_t i = 0; i < text.size(); ++i)
  {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c == 0x7F)
      return false; // not part of a URI: only escaped may a name hold such bytes
    if (c != '%')
    {
      out.push_back(text[i]);
      continue;
    }
    if (i + 2 >= text.size())
      return false;
    const int hi = HexValue(text[i + 1]);
    const int lo = HexValue(text[i + 2]);
    if (hi < 0 || lo < 0 || (hi == 0 && lo == 0))
      return false;
    out.push_back(static_cast<char>(hi * 16 + lo));
    i += 2;
  }
  return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
  if (text.size() < prefix.size())
    return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if ((text[i] | 0x20) != prefix[i])
      return false;
  return true;
}

} // namespace

std::vector<std::string> FileNamesFromUriList(std::string_view uriList, std::string_view hostname)
{
  std::vector<std::string> names;
  while (!uriList.empty())
  {
    const size_t end = uriList.find('\n');
    std::string_view line = uriList.substr(0, end);
    uriList = end == std::string_view::npos ? std::string_view() : uriList.substr(end + 1);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
      line.remove_suffix(1);
    if (line.empty() || line.front() == '#' || !StartsWithNoCase(line, "file:"))
      continue;
    std::string_view rest = line.substr(5);
    if (rest.substr(0, 2) == "//")
    {
      // file://host/path: the host must be this machine.
      rest.remove_prefix(2);
      const size_t slash = rest.find('/');
      if (slash == std::string_view::npos)
        continue;
      const std::string_view host = rest.substr(0, slash);
      if (!host.empty() && host != "localhost" && host != hostname)
        continue;
      rest.remove_prefix(slash);
    }
    // What follows a '?' or '#' is not part of the name.
    rest = rest.substr(0, rest.find_first_of("?#"));
    std::string name;
    if (rest.empty() || rest.front() != '/' || !Unescape(rest, name))
      continue;
    names.push_back(std::move(name));
  }
  return names;
}

} // namespace iplug::igraphics::x11
