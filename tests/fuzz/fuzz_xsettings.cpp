// What a settings manager publishes (_XSETTINGS_SETTINGS), through the reader of its block.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/x11/XSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  // Copied so that reads past the end land outside the allocation.
  const std::vector<uint8_t> bytes(data, data + size);
  std::map<std::string, iplug::igraphics::x11::XSettingValue> settings;
  const bool ok = iplug::igraphics::x11::ParseXSettings(bytes.data(), bytes.size(), settings);
  if (!ok && !settings.empty())
    __builtin_trap();
  return 0;
}
