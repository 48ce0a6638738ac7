// Command-line text into the render options and parameter-value readers:
// either a UsageError or a setting inside the parameter's range, never a crash.

#include "tools/corvane/ParamValueParser.h"
#include "tools/corvane/RenderOptions.h"
#include "tools/corvane/ToolError.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using namespace corvane::host;

namespace {

std::vector<ParamDesc> Params()
{
  const uint32_t indexed = static_cast<uint32_t>(ParamUnit::Indexed);
  return {
    {0,
     "Gain",
     0,
     12,
     4,
     indexed,
     "",
     {"-20dB", "-15dB", "-10dB", "-5dB", "0dB", "5dB", "10dB", "15dB", "20dB", "25dB", "30dB", "35dB", "40dB"},
     0},
    {1, "Output", -24, 24, 0, static_cast<uint32_t>(ParamUnit::Custom), "dB", {}, 0},
    {2, "Highpass Filter", 0, 4, 0, indexed, "", {"OFF", "45Hz", "70Hz", "160Hz", "360Hz"}, 0},
    {4, "Filter Bypass", 0, 1, 0, indexed, "", {}, 0},
    {8, "Oversampling", 0, 1, 0, indexed, "", {"Oversampling Off", "Oversampling On"}, 0},
  };
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  static const std::vector<ParamDesc> params = Params();
  const std::string text(reinterpret_cast<const char*>(data), size);

  try
  {
    const ParamSetting s = ParseParamAssignment(params, text);
    const ParamDesc& p = params.at(s.paramIndex);
    if (!(s.value >= p.minValue && s.value <= p.maxValue))
      std::abort();
  }
  catch (const UsageError&)
  {}

  std::vector<std::string> args;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i)
    if (i == text.size() || text[i] == '\0')
    {
      args.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  try
  {
    const RenderOptions o = ParseRenderOptions(args);
    if (o.blockSize < 1 || o.blockSize > kMaxBlockSize || !(o.tailSeconds >= 0.0 && o.tailSeconds <= kMaxTailSeconds))
      std::abort();
    for (const RenderTarget& t : PlanRenders(o))
      if (t.output.empty())
        std::abort();
  }
  catch (const UsageError&)
  {}
  return 0;
}
