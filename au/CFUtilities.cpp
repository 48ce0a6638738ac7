#include "au/CFUtilities.h"

#include <vector>

namespace iplug {
CFStringRef MakeCFString(const char* utf8)
{
  CFStringRef str = CFStringCreateWithCString(kCFAllocatorDefault, utf8 ? utf8 : "", kCFStringEncodingUTF8);
  return str ? str : CFStringCreateWithCString(kCFAllocatorDefault, "", kCFStringEncodingUTF8);
}

std::string UTF8Prefix(const std::string& utf8, int maxChars)
{
  size_t end = 0;
  for (int n = 0; end < utf8.size() && n < maxChars; ++n)
  {
    ++end;
    while (end < utf8.size() && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80)
      ++end; // continuation bytes belong to the same character
  }
  return utf8.substr(0, end);
}

bool CFStringToUTF8(CFStringRef str, WDL_String& out)
{
  if (!str)
    return false;
  // Room for the encoded form (up to 3 bytes per UTF-16 unit) plus the terminator.
  const CFIndex capacity = CFStringGetMaximumSizeForEncoding(CFStringGetLength(str), kCFStringEncodingUTF8) + 1;
  std::vector<char> buf(static_cast<size_t>(capacity > 0 ? capacity : 1), '\0');
  if (!CFStringGetCString(str, buf.data(), static_cast<CFIndex>(buf.size()), kCFStringEncodingUTF8))
    return false;
  out.Set(buf.data());
  return true;
}
} // namespace iplug
