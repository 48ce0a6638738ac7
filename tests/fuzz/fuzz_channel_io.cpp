// Channel I/O layout strings: parsing arbitrary text stays bounded and the
// queries agree with what was parsed.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/IPlugProcessor.h"

using namespace iplug;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const std::string text(reinterpret_cast<const char*>(data), size);
  WDL_PtrList_OwningDelete<IOConfig> configs;
  int in = 0, out = 0, inBuses = 0, outBuses = 0;
  const int n = IPlugProcessor::ParseChannelIOStr(text.c_str(), configs, in, out, inBuses, outBuses);
  if (n != configs.GetSize() || in < 0 || out < 0 || in > 4096 || out > 4096)
    std::abort();
  for (const IOConfig* config : configs)
    if (config->GetTotalNChannels(kInput) > in && !config->ContainsWildcard(kInput))
      std::abort();
  return 0;
}
