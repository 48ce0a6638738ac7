#pragma once
// A small plug-in built on the Audio Unit adapter, registered as an
// in-process component so tests reach it only through the calls a host
// makes. It doubles its input, records what the adapter calls on it, and can
// be configured (MIDI, kind, presets) before an instance is created.

#include <atomic>
#include <vector>

#include "core/MakeFourCC.h"
#include "au/IPlugAU.h"

namespace corvane_test {
using namespace iplug;

/** Parameter indices of the test plug-in. */
enum ETestParam
{
  kParamGain = 0,  // double, dB, group "A"
  kParamMode,      // enum with three display texts, group "B"
  kParamSwitch,    // bool, meta
  kParamStepped,   // double 0..1, step 0.5, cannot automate
  kParamFrequency, // double, Hz, log display, group "A"
  kNumTestParams
};

/** Choices applied to the next instance the factory creates. */
struct TestPlugOptions
{
  bool midiIn = false;
  int pluginKind = kEffect;
  int presetCount = 0; // presets made (and kept) by the constructor
  int tailSize = 0;
  const char* channelIO = "1-1 2-2";
  bool outOfMemory = false; // the constructor throws std::bad_alloc
};

TestPlugOptions& NextTestPlugOptions();

class AUTestPlug : public IPlugAU
{
public:
  static constexpr int kUniqueId = MakeFourCC("Tst1");
  static constexpr int kMakerId = MakeFourCC("Cvts");

  explicit AUTestPlug(const InstanceInfo& info);

  using IPlugAU::OnParamChange;
  void OnParamChange(int paramIdx, EParamSource source, int sampleOffset) override;
  void OnReset() override { ++resets; }
  void OnActivate(bool active) override { activations.push_back(active); }
  void ProcessBlock(double** inputs, double** outputs, int nFrames) override;
  void ProcessMidiMsg(const IMidiMsg& msg) override { midiIn.push_back(msg); }
  void ProcessSysEx(ISysEx& msg) override { sysexInSizes.push_back(msg.mSize); }
  void SendParameterValueFromDelegate(int paramIdx, double value, bool normalized) override;

  void* OpenWindow(void* parent) override
  {
    openWindowParents.push_back(parent);
    return &openWindowParents; // stands for the editor's view
  }
  std::vector<void*> openWindowParents;

  /** One tick of the main-thread timer, run by the test on its own thread. */
  void DrainQueuesForTest() { OnTimer(*mTimer); }

  // What the adapter did to the plug-in.
  struct ParamChange
  {
    int idx;
    EParamSource source;
  };
  std::vector<ParamChange> paramChanges;
  std::atomic<int> paramChangeCount{0};
  std::vector<bool> activations;
  std::vector<IMidiMsg> midiIn;
  std::vector<int> sysexInSizes;
  std::vector<ParamTuple> editorValues; // delivered by the timer
  int resets = 0;
  std::atomic<int> blocks{0};
  int lastFrames = -1;
  int lastConnectedInputs = -1;
  ITimeInfo lastTimeInfo;

  // Set by a test to make the next block report this latency.
  int latencyToReport = -1;
  bool throwInProcess = false;
  // Cleared to record the thread-safe counters only (concurrency tests).
  bool recordVectors = true;
};

/** Component description of the test plug-in (with or without MIDI input). */
AudioComponentDescription TestPlugDescription(bool midiIn = false);

/** Registers the test components once per process. */
void RegisterTestPlugComponents();

/** Registers the test components and returns the one TestPlugDescription(midiIn) names. */
AudioComponent TestPlugComponent(bool midiIn = false);
} // namespace corvane_test
