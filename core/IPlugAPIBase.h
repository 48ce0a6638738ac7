#pragma once
// Base of every format adapter. Implements the editor-to-host direction of
// parameter traffic, owns the queues that carry host- and processor-side
// events to the editor, and a 20 ms main-thread timer that empties them.

#include <memory>

#include "core/Config.h"
#include "core/IPlugQueue.h"
#include "core/IPlugStructs.h"
#include "core/IPluginBase.h"
#include "core/Timer.h"
#include "core/WDL_TypedBuf.h"

namespace iplug {

class IPlugAPIBase : public IPluginBase
{
public:
  static constexpr int kParamChangeQueueSlots = 513;
  static constexpr int kMidiQueueSlots = 33;
  static constexpr int kSysExQueueSlots = 5;
  static constexpr uint32_t kTimerPeriodMs = 20;

  IPlugAPIBase(const Config& config, EAPI plugAPI);
  ~IPlugAPIBase() override;

  // --- editor to host ---
  void BeginInformHostOfParamChangeFromUI(int paramIdx) override { BeginInformHostOfParamChange(paramIdx); }
  void EndInformHostOfParamChangeFromUI(int paramIdx) override { EndInformHostOfParamChange(paramIdx); }
  void SendParameterValueFromUI(int paramIdx, double normalizedValue) override;
  /** Stores the value, tells the host and runs OnParamChange with source UI. */
  void SetParameterValue(int paramIdx, double normalizedValue);
  void DirtyParametersFromUI() override;
  bool EditorResizeFromUI(int viewWidth, int viewHeight, bool needsPlatformResize) override;
  void SendMidiMsgFromUI(const IMidiMsg& msg) override { DeferMidiMsg(msg); }
  void SendSysexMsgFromUI(const ISysEx& msg) override { DeferSysexMsg(msg); }
  void SendArbitraryMsgFromUI(int msgTag, int ctrlTag = kNoTag, int dataSize = 0, const void* data = nullptr) override;
  void DeferMidiMsg(const IMidiMsg& msg) override { mMidiMsgsFromEditor.TryPush(msg); }
  void DeferSysexMsg(const ISysEx& msg) override;

  // --- host and API hooks, in the order adapters see them ---
  /** True when every parameter, as float, is within 1e-5 of the double at
   *  index startIdx + i of `data` (startIdx counts doubles). */
  virtual bool CompareState(const unsigned char* data, int startIdx) const;
  virtual bool OnHostRequestingAboutBox() { return false; }
  virtual bool OnHostRequestingProductHelp() { return false; }
  void OnHostIdentified() override {}
  virtual void OnHostRequestingImportantParameters(int count, WDL_TypedBuf<int>& results);
  virtual bool OnHostRequestingSupportedViewConfiguration(int width, int height) { return width + height == 0; }
  virtual void OnHostSelectedViewConfiguration(int /*width*/, int /*height*/) {}
  virtual bool GetMidiNoteText(int /*noteNumber*/, char* text) const;
  /** The editor's graphics context, or null when the editor is closed. An
      AAX adapter hook; the formats built here do not call it. */
  virtual void* GetAAXViewInterface();
  virtual void OnIdle() {}
  virtual void GetTrackColor(int& r, int& g, int& b) { r = g = b = 0; }
  virtual void GetTrackName(WDL_String& /*str*/) {}
  virtual int GetTrackIndex() { return 0; }
  virtual void GetTrackNamespace(WDL_String& /*str*/) {}
  virtual int GetTrackNamespaceIndex() { return 0; }
  /** Queues a host-side value for the editor (dropped when the queue is full). */
  virtual void SendParameterValueFromAPI(int paramIdx, double value, bool normalized);
  void HostSpecificInit() override {}
  virtual bool EditorResize(int /*viewWidth*/, int /*viewHeight*/) { return false; }
  virtual void BeginInformHostOfParamChange(int /*paramIdx*/) {}
  virtual void EndInformHostOfParamChange(int /*paramIdx*/) {}
  virtual void InformHostOfParamChange(int /*paramIdx*/, double /*normalizedValue*/) {}
  virtual void TransmitMidiMsgFromProcessor(const IMidiMsg& /*msg*/) {}
  virtual void TransmitSysExDataFromProcessor(const SysExData& /*data*/) {}

  // --- timer ---
  /** (Re)creates the 20 ms main-thread timer that calls OnTimer. */
  void CreateTimer();
  /** Delivers queued values, MIDI and SysEx to the editor, then OnIdle. */
  void OnTimer(Timer& timer);

  const char* GetDisplayString() const { return mParamDisplayStr.Get(); }

protected:
  WDL_String mParamDisplayStr;
  std::unique_ptr<Timer> mTimer;

  IPlugQueue<ParamTuple> mParamChangeFromProcessor{kParamChangeQueueSlots};
  IPlugQueue<IMidiMsg> mMidiMsgsFromEditor{kMidiQueueSlots};
  IPlugQueue<IMidiMsg> mMidiMsgsFromProcessor{kMidiQueueSlots};
  IPlugQueue<SysExData> mSysExDataFromEditor{kSysExQueueSlots};
  IPlugQueue<SysExData> mSysExDataFromProcessor{kSysExQueueSlots};
  SysExData mSysexBuf;
};

} // namespace iplug
