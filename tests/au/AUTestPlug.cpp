#include "au/AUTestPlug.h"

#include <mutex>
#include <new>
#include <stdexcept>

#include "au/IPlugAUFactory.h"

namespace corvane_test {
TestPlugOptions& NextTestPlugOptions()
{
  static TestPlugOptions options;
  return options;
}

namespace {
Config MakeTestConfig()
{
  const TestPlugOptions& options = NextTestPlugOptions();
  Config config;
  config.paramCount = kNumTestParams;
  config.presetCount = options.presetCount + 1; // one slot stays empty and is pruned
  config.channelIO = options.channelIO;
  config.pluginName = "AU Test";
  config.productName = "AU Test";
  config.makerName = "Corvane Tests";
  config.versionCode = 0x00010203;
  config.uniqueId = AUTestPlug::kUniqueId;
  config.makerId = AUTestPlug::kMakerId;
  config.midiIn = options.midiIn;
  config.midiOut = true;
  config.stateChunks = true;
  config.pluginKind = options.pluginKind;
  config.hasEditor = true;
  config.editorWidth = 200;
  config.editorHeight = 100;
  config.bundleId = "com.corvane.tests.au";
  return config;
}
} // namespace

AUTestPlug::AUTestPlug(const InstanceInfo& info) : IPlugAU(info, MakeTestConfig())
{
  GetParam(kParamGain)->InitDouble("Gain", 0.0, -12.0, 12.0, 0.1, "dB", 0, "A", IParam::ShapeLinear(), IParam::kUnitDB);
  GetParam(kParamMode)->InitEnum("Mode", 0, {"Clean", "Warm", "Hot"}, 0, "B");
  GetParam(kParamSwitch)->InitBool("Switch", false, "", IParam::kFlagMeta);
  GetParam(kParamStepped)
    ->InitDouble("Stepped", 0.0, 0.0, 1.0, 0.5, "", IParam::kFlagStepped | IParam::kFlagCannotAutomate);
  GetParam(kParamFrequency)->InitFrequency("Frequency", 1000.0, 20.0, 20000.0, 1.0, 0, "A");

  const TestPlugOptions& options = NextTestPlugOptions();
  if (options.outOfMemory)
    throw std::bad_alloc();
  SetTailSize(options.tailSize);
  for (int i = 0; i < options.presetCount; ++i)
  {
    WDL_String name;
    name.SetFormatted(64, "Preset %d", i + 1);
    GetParam(kParamGain)->Set(i + 1.0);
    MakeDefaultPreset(name.Get(), 1);
  }
  GetParam(kParamGain)->Set(0.0);
}

void AUTestPlug::OnParamChange(int paramIdx, EParamSource source, int)
{
  ++paramChangeCount;
  if (recordVectors)
    paramChanges.push_back({paramIdx, source});
}

void AUTestPlug::ProcessBlock(double** inputs, double** outputs, int nFrames)
{
  if (throwInProcess)
    throw std::runtime_error("processing failed");
  // Every output channel, the buses after the main one included.
  for (int c = 0; c < MaxNChannels(kOutput); ++c)
    for (int i = 0; i < nFrames; ++i)
      outputs[c][i] = 2.0 * inputs[c % 2][i];
  lastFrames = nFrames;
  lastConnectedInputs = NChannelsConnected(kInput);
  lastTimeInfo = GetTimeInfo();
  ++blocks;
  if (latencyToReport >= 0)
  {
    SetLatency(latencyToReport);
    latencyToReport = -1;
  }
}

void AUTestPlug::SendParameterValueFromDelegate(int paramIdx, double value, bool)
{
  if (recordVectors)
    editorValues.push_back({paramIdx, value});
}

AudioComponentDescription TestPlugDescription(bool midiIn)
{
  return {kAudioUnitType_Effect, static_cast<OSType>(midiIn ? MakeFourCC("Tst2") : MakeFourCC("Tst1")),
          static_cast<OSType>(AUTestPlug::kMakerId), 0, 0};
}

void RegisterTestPlugComponents()
{
  static std::once_flag once;
  std::call_once(once, [] {
    AudioComponentDescription plain = TestPlugDescription(false);
    AudioComponentDescription midi = TestPlugDescription(true);
    AudioComponentRegister(
      &plain, CFSTR("Corvane Tests: AU Test"), 0x00010203,
      [](const AudioComponentDescription* desc) { return IPlugAUFactory<AUTestPlug, false>::Factory(desc); });
    AudioComponentRegister(
      &midi, CFSTR("Corvane Tests: AU Test MIDI"), 0x00010203,
      [](const AudioComponentDescription* desc) { return IPlugAUFactory<AUTestPlug, true>::Factory(desc); });
  });
}

AudioComponent TestPlugComponent(bool midiIn)
{
  RegisterTestPlugComponents();
  const AudioComponentDescription desc = TestPlugDescription(midiIn);
  return AudioComponentFindNext(nullptr, &desc);
}
} // namespace corvane_test

namespace iplug {
IPlugAU* MakePlug(void* memory)
{
  InstanceInfo info;
  info.viewFactoryClassName = "AUTest_View";
  if (memory)
    return new (memory) corvane_test::AUTestPlug(info);
  return new corvane_test::AUTestPlug(info);
}
} // namespace iplug
