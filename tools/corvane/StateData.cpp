#include "tools/corvane/StateData.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace corvane::host {
namespace {

uint32_t LittleEndian32(const uint8_t* p)
{
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

} // namespace

std::optional<EditorRecord> ReadEditorRecord(const std::vector<uint8_t>& data)
{
  if (data.size() < kEditorRecordBytes)
    return std::nullopt;
  EditorRecord r;
  r.width = static_cast<int32_t>(LittleEndian32(data.data()));
  r.height = static_cast<int32_t>(LittleEndian32(data.data() + 4));
  const uint32_t scaleBits = LittleEndian32(data.data() + 8);
  std::memcpy(&r.scale, &scaleBits, sizeof r.scale);
  return r;
}

std::string FormatEditorRecord(const EditorRecord& r)
{
  if (r.width == 0 && r.height == 0 && r.scale == 0.0f)
    return "none stored (the editor was not opened before saving)";
  char text[128];
  if (std::isfinite(r.scale))
    std::snprintf(text, sizeof text, "%d x %d at scale %.6g (%.6g %%)", r.width, r.height, static_cast<double>(r.scale),
                  100.0 * static_cast<double>(r.scale));
  else
    std::snprintf(text, sizeof text, "%d x %d at scale %g (not a usable scale)", r.width, r.height,
                  static_cast<double>(r.scale));
  return text;
}

} // namespace corvane::host
