// What a drag source offers as text/uri-list, through the reader that turns it into file names.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/x11/UriList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  // Copied so that reads past the end land outside the allocation.
  const std::string text(reinterpret_cast<const char*>(data), size);
  for (const std::string& name : iplug::igraphics::x11::FileNamesFromUriList(text, "studio"))
    if (name.empty() || name.front() != '/' || name.find('\0') != std::string::npos)
      __builtin_trap();
  return 0;
}
