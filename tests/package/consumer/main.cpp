// Uses the installed framework the way a plug-in project would: a
// parameter, a state chunk, a processor and a plug-in.
#include <cstdio>
#include <cstring>

#include "core/IByteChunk.h"
#include "core/IParam.h"
#include "core/IPlugProcessor.h"
#include "core/IPluginBase.h"

using namespace iplug;

namespace {
class Processor : public IPlugProcessor
{
public:
  explicit Processor(const Config& c) : IPlugProcessor(c, kAPIAU) {}
  bool SendMidiMsg(const IMidiMsg&) override { return true; }
};

class Plugin : public IPluginBase
{
public:
  explicit Plugin(const Config& c) : IPluginBase(c, kAPIAU) {}
  void BeginInformHostOfParamChangeFromUI(int) override {}
  void EndInformHostOfParamChangeFromUI(int) override {}
};

int Fail(const char* what)
{
  std::printf("consumer failed: %s\n", what);
  return 1;
}
} // namespace

int main()
{
  IParam gain;
  gain.InitGain("Output", 0.0, -24.0, 24.0, 0.1);
  gain.SetNormalizedValue(0.75);
  WDL_String text;
  gain.GetDisplayWithLabel(text);
  if (std::strcmp(text.Get(), "12.0 dB") != 0)
    return Fail("parameter display");

  IByteChunk chunk;
  chunk.WriteValue(gain.GetValue());
  double back = 0;
  if (chunk.ReadValue(back, 0) != 8 || back != 12.0)
    return Fail("byte chunk");

  Config config;
  config.channelIO = "1-1 2-2";
  config.paramCount = 1;
  config.presetCount = 1;
  Processor processor(config);
  if (!processor.LegalIO(2, 2) || processor.LegalIO(1, 2))
    return Fail("channel layouts");

  Plugin plugin(config);
  plugin.GetParam(0)->InitInt("Steps", 0, 0, 12);
  plugin.MakeDefaultPreset("Default");
  if (!plugin.RestorePreset("Default"))
    return Fail("plug-in base presets");

  std::printf("consumer ok\n");
  return 0;
}
