#include "preamp/Corvane.h"

#include "core/MakeFourCC.h"
#include "preamp/CorvaneEditor.h"
#include "preamp/CorvaneIdentity.h"
#include "preamp/CorvaneParams.h"

#include <algorithm>

namespace iplug {
Config Corvane::MakeConfig()
{
  Config config;
  config.paramCount = CorvaneEngine::kNumParams;
  config.presetCount = 1;
  config.channelIO = "1-1 2-2";
  config.pluginName = corvane::kPluginName;
  config.productName = corvane::kProductName;
  config.makerName = corvane::kMakerName;
  config.versionCode = corvane::kVersionCode;
  config.uniqueId = MakeFourCC(corvane::kAUSubtype);
  config.makerId = MakeFourCC(corvane::kAUManufacturer);
  config.latency = 0;
  config.midiIn = false;
  config.midiOut = false;
  config.mpe = false;
  config.stateChunks = true;
  config.pluginKind = kEffect;
  config.hasEditor = true;
  config.editorWidth = 575;
  config.editorHeight = 333;
  config.editorMinWidth = 287;
  config.editorMaxWidth = 1150;
  config.editorMinHeight = 166;
  config.editorMaxHeight = 666;
  config.hostResize = false;
  config.bundleId = corvane::kBundleId;
  return config;
}

Corvane::Corvane(const InstanceInfo& info) : CorvaneFormat(info, MakeConfig())
{
  InitParams(*this);
  SetMakeGraphicsFunc([this] { return MakeCorvaneGraphics(*this); });
  SetLayoutUIFunc(LayoutCorvaneEditor);
}

void Corvane::OnParamChange(int paramIdx)
{
  if (const IParam* param = GetParam(paramIdx))
    mEngine.OnParamChange(paramIdx, param->Value());
}

void Corvane::OnReset() { mEngine.Reset(GetSampleRate()); }

void Corvane::ProcessBlock(double** inputs, double** outputs, int nFrames)
{
  mEngine.SetSampleRate(GetSampleRate());
  // A mono instance runs one chain; the second channel's buffers are scratch.
  const int channels = std::max(NChannelsConnected(kInput), NChannelsConnected(kOutput));
  mEngine.ProcessBlock(inputs, outputs, nFrames, channels);
  const int latency = mEngine.Latency();
  if (latency != GetLatency())
    SetLatency(latency);
}

bool Corvane::SerializeState(IByteChunk& chunk) const
{
  SerializeEditorState(chunk);
  SerializeParams(chunk);
  return true;
}

int Corvane::UnserializeState(const IByteChunk& chunk, int startPos)
{
  // A short editor record gives -1, and the parameter read from -1 changes no
  // parameter but still tells the plug-in and editor that a state was recalled.
  return UnserializeParams(chunk, UnserializeEditorState(chunk, startPos));
}
} // namespace iplug
