#include "tools/corvane/PictureOptions.h"

#include "tools/corvane/ToolError.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace corvane::host {

float ParseScale(const std::string& text)
{
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(text.c_str(), &end);
  if (text.empty() || *end || errno || !std::isfinite(v) || v < 1.0 || v > 3.0)
    throw UsageError("--scale must be a number from 1 to 3, not '" + text + "'");
  return static_cast<float>(v);
}

void CheckPngName(const std::string& path)
{
  if (path.empty())
    throw UsageError("empty output name");
  if (!path.ends_with(".png") && !path.ends_with(".PNG"))
    throw UsageError("cannot write '" + path + "': output name must end in .png");
}

} // namespace corvane::host
