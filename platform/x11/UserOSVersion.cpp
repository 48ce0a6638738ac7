#include "platform/x11/UserOSVersion.h"

#include <sys/utsname.h>

#include <algorithm>
#include <cctype>

namespace iplug::igraphics::x11 {

int OSVersionFromRelease(std::string_view release)
{
  int parts[3] = {0, 0, 0};
  size_t i = 0;
  for (int part = 0; part < 3; ++part)
  {
    if (i >= release.size() || !std::isdigit(static_cast<unsigned char>(release[i])))
    {
      if (part == 0)
        return 0;
      break;
    }
    int value = 0;
    for (; i < release.size() && std::isdigit(static_cast<unsigned char>(release[i])); ++i)
      value = std::min(value * 10 + (release[i] - '0'), 1000); // held well below an overflow
    parts[part] = std::min(value, 99);
    if (i >= release.size() || release[i] != '.')
      break;
    ++i;
  }
  return parts[0] * 10000 + parts[1] * 100 + parts[2];
}

int UserOSVersion()
{
  utsname name{};
  return uname(&name) == 0 ? OSVersionFromRelease(name.release) : 0;
}

} // namespace iplug::igraphics::x11
