#pragma once
// LV2 adapter. Turns the host's calls on an LV2 instance - port connection,
// activation, run, state save and restore - into calls on the plug-in core.
// LV2 ports are fixed, so each channel layout of the plug-in is a plug-in of
// its own; one object serves one of them, chosen at instantiation.

#include <vector>

#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include "core/IPlugAPIBase.h"
#include "core/IPlugProcessor.h"
#include "lv2/InstanceInfo.h"
#include "lv2/LV2Ports.h"

namespace iplug {
class IPlugLV2 : public IPlugAPIBase, public IPlugProcessor
{
public:
  /** Frames processed at a time when the host does not say how many it sends. */
  static constexpr int kDefaultBlockSize = 1024;
  /** Frames over which the enabled port's bypass fades in and out. */
  static constexpr int kBypassFadeFrames = 128;
  /** Longest latency the bypassed signal is delayed by (a power of two). */
  static constexpr int kMaxBypassDelay = 256;

  IPlugLV2(const InstanceInfo& info, const Config& config);
  ~IPlugLV2() override;

  IPlugLV2(const IPlugLV2&) = delete;
  IPlugLV2& operator=(const IPlugLV2&) = delete;

  const LV2PortLayout& Ports() const { return mPorts; }
  const char* GetPluginURI() const { return mPluginURI.Get(); }

  // The instance calls, in the order a host makes them.
  void ConnectPort(uint32_t port, void* data);
  /** Audio thread: applies changed control ports, reports their latency (bypassed too), processes. */
  void Run(uint32_t nFrames);
  /** Applies the connected control ports and reports their latency. */
  void Activate();
  void Deactivate();

  /** State under `key`: the plug-in's state chunk as an atom:Chunk. */
  LV2_State_Status SaveState(LV2_State_Store_Function store, LV2_State_Handle handle, const char* key);
  /** Refuses missing, mistyped or unreadable chunks and then changes nothing. */
  LV2_State_Status RestoreState(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle, const char* key);

  /** How an object in the editor library reaches the host: edits are written
   *  to the control ports, gestures go to ui:touch, size to ui:resize. */
  struct UIHost
  {
    LV2UI_Write_Function write = nullptr;
    LV2UI_Controller controller = nullptr;
    const LV2UI_Touch* touch = nullptr;
    const LV2UI_Resize* resize = nullptr;
  };
  void SetUIHost(const UIHost& host) { mUIHost = host; }
  /** Editor library, UI thread: a control port's value from the host. */
  void OnPortEvent(uint32_t port, float value);

  // Editor to host, in the editor library.
  void BeginInformHostOfParamChange(int paramIdx) override;
  void InformHostOfParamChange(int paramIdx, double normalizedValue) override;
  void EndInformHostOfParamChange(int paramIdx) override;
  bool EditorResize(int viewWidth, int viewHeight) override;

  bool SendMidiMsg(const IMidiMsg&) override { return false; }

private:
  void ReadHostOptions(const LV2_Feature* const* features);
  void ApplyControlPorts();
  /** Takes the latency of the current settings and writes it to the latency port. */
  void ReportLatency();
  /** Keeps the input's recent past and takes this block's input delayed by the latency. */
  void DelayInput(int nFrames);
  void OutputDelayedInput(int nFrames);
  /** Mixes the delayed input into the processed block while the bypass fades
   *  towards `target` (1 processed, 0 bypassed). */
  void CrossfadeWithInput(double target, int nFrames);
  /** Takes the present port values as seen, so only later changes override the parameters. */
  void MarkControlPortsSeen();

  LV2PortLayout mPorts;
  WDL_String mPluginURI;
  LV2_URID_Map* mMap = nullptr;
  std::vector<const float*> mParamPorts;
  std::vector<float> mSeenPortValues;
  const float* mEnabledPort = nullptr;
  float* mLatencyPort = nullptr;
  std::vector<const float*> mAudioIn;
  std::vector<float*> mAudioOut;
  // Per-block pointer lists, sized once so that Run allocates nothing.
  std::vector<float*> mInBlock, mOutBlock;
  bool mResetPending = false;
  double mWet = 1.0;                 // share of the processed signal in the output
  std::vector<double> mDelayLine;    // kMaxBypassDelay frames per channel
  std::vector<double> mDelayedInput; // one block per channel
  int mDelayPos = 0;
  UIHost mUIHost;
};

/** One plug-in of the product: its URI and its channel count on each side. */
struct LV2PluginDesc
{
  const char* uri;
  int nChannels;
};

/** What the product tells the adapter: its plug-ins, in descriptor order, and
 *  the key its state is saved under (shared, so a state moves between them). */
struct LV2ProductInfo
{
  const LV2PluginDesc* plugins;
  int nPlugins;
  const char* stateKeyURI;
  const char* uiURI; // the editor of every plug-in
};

/** Defined by the product. */
const LV2ProductInfo& GetLV2ProductInfo();
/** Builds the product's plug-in object for one instance. Defined by the product. */
IPlugLV2* MakePlug(const InstanceInfo& info);

} // namespace iplug
