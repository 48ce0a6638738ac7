#pragma once
// Small concrete plug-ins for the core tests: they record the hooks the
// base classes call, and one of them keeps an editor record in front of its
// parameters like a plug-in with an editor does.

#include <utility>
#include <vector>

#include "core/IByteChunk.h"
#include "core/IPluginBase.h"

namespace coretest {
using namespace iplug;

inline Config MakeConfig(int nParams, int nPresets, bool stateChunks = false)
{
  Config c;
  c.paramCount = nParams;
  c.presetCount = nPresets;
  c.channelIO = "1-1 2-2";
  c.pluginName = "Tester";
  c.productName = "Tester Product";
  c.makerName = "Maker";
  c.versionCode = 0x00010203;
  c.uniqueId = 0x54737431; // "Tst1"
  c.makerId = 0x4D6B7231;  // "Mkr1"
  c.stateChunks = stateChunks;
  return c;
}

class TestPlugin : public IPluginBase
{
public:
  using IPluginBase::OnParamChange;

  explicit TestPlugin(const Config& config) : IPluginBase(config, kAPIAU) {}

  void BeginInformHostOfParamChangeFromUI(int) override {}
  void EndInformHostOfParamChangeFromUI(int) override {}

  void OnParamChange(int paramIdx, EParamSource source, int sampleOffset) override
  {
    events.push_back({paramIdx, source});
    IPluginBase::OnParamChange(paramIdx, source, sampleOffset);
  }
  void OnParamChangeUI(int paramIdx, EParamSource source) override { uiEvents.push_back({paramIdx, source}); }
  void OnRestoreState() override
  {
    ++restoreCount;
    IPluginBase::OnRestoreState();
  }
  void OnPresetsModified() override { ++presetsModifiedCount; }
  void HostSpecificInit() override { hostCalls.push_back(1); }
  void OnHostIdentified() override { hostCalls.push_back(2); }

  std::vector<std::pair<int, EParamSource>> events;
  std::vector<std::pair<int, EParamSource>> uiEvents;
  std::vector<int> hostCalls;
  int restoreCount = 0;
  int presetsModifiedCount = 0;
};

/** State = editor record (int32 width, int32 height, float scale) + params. */
class EditorStatePlugin : public TestPlugin
{
public:
  using TestPlugin::TestPlugin;

  bool SerializeEditorState(IByteChunk& chunk) const override
  {
    chunk.WriteValue(int32_t{width});
    chunk.WriteValue(int32_t{height});
    chunk.WriteValue(scale);
    return true;
  }
  int UnserializeEditorState(const IByteChunk& chunk, int pos) override
  {
    int32_t w = 0, h = 0;
    float s = 0.f;
    pos = chunk.ReadValue(w, pos);
    pos = chunk.ReadValue(h, pos);
    pos = chunk.ReadValue(s, pos);
    if (pos < 0)
      w = h = 0, s = 0.f; // a short record reads as all zero
    width = w;
    height = h;
    scale = s;
    return pos;
  }
  bool SerializeState(IByteChunk& chunk) const override
  {
    SerializeEditorState(chunk);
    SerializeParams(chunk);
    return true;
  }
  int UnserializeState(const IByteChunk& chunk, int startPos) override
  {
    return UnserializeParams(chunk, UnserializeEditorState(chunk, startPos));
  }

  int width = 0;
  int height = 0;
  float scale = 0.f;
};

/** Three parameters: a 0..12 integer, a -24..24 double, a boolean. */
template <class Plugin = TestPlugin>
struct ThreeParams : Plugin
{
  explicit ThreeParams(int nPresets = 4, bool stateChunks = false) : Plugin(MakeConfig(3, nPresets, stateChunks))
  {
    this->GetParam(0)->InitInt("Steps", 3, 0, 12);
    this->GetParam(1)->InitDouble("Level", 0.0, -24.0, 24.0, 0.1);
    this->GetParam(2)->InitBool("Switch", false);
  }
  void Set(double a, double b, double c)
  {
    this->GetParam(0)->SetValue(a);
    this->GetParam(1)->SetValue(b);
    this->GetParam(2)->SetValue(c);
  }
  std::vector<double> Values() const
  {
    return {this->GetParam(0)->GetValue(), this->GetParam(1)->GetValue(), this->GetParam(2)->GetValue()};
  }
};
} // namespace coretest
