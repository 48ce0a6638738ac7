#include "tools/corvane/CFText.h"

#include <vector>

namespace corvane::host {

std::string Utf8(CFStringRef text)
{
  if (!text)
    return "";
  const CFIndex length = CFStringGetLength(text);
  std::vector<char> buffer(static_cast<size_t>(CFStringGetMaximumSizeForEncoding(length, kCFStringEncodingUTF8)) + 1);
  if (!CFStringGetCString(text, buffer.data(), static_cast<CFIndex>(buffer.size()), kCFStringEncodingUTF8))
    return "";
  return buffer.data();
}

} // namespace corvane::host
