// Any bytes as the files of an LV2 preset bundle: a preset list or a
// ToolError, never a crash. The input splits at the first NUL into two files.

#include <cstddef>
#include <cstdint>
#include <string>

#include "tools/corvane/LV2PresetBundle.h"
#include "tools/corvane/ToolError.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const std::string all(reinterpret_cast<const char*>(data), size);
  const size_t split = all.find('\0');
  const std::string first = all.substr(0, split);
  const std::string second = split == std::string::npos ? std::string() : all.substr(split + 1);
  try
  {
    corvane::host::ParseLV2Presets({{first, "file:///b/manifest.ttl"}, {second, "file:///b/p.ttl"}},
                                   "urn:veltrano:corvane#state");
  }
  catch (const corvane::host::ToolError&)
  {}
  return 0;
}
