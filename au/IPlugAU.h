#pragma once
// Audio Unit (version 2) adapter. Turns the host's component calls -
// selectors, properties, parameters, render - into calls on the plug-in core
// and reports parameter, preset and latency changes back to the host.

#include <AudioToolbox/AudioToolbox.h>
#include <AudioUnit/AudioUnit.h>
#include <CoreFoundation/CoreFoundation.h>
#include <CoreMIDI/CoreMIDI.h>

#include "au/InstanceInfo.h"
#include "au/SnapshotList.h"
#include "core/IPlugAPIBase.h"
#include "core/IPlugProcessor.h"
#include "core/WDL_PtrList.h"
#include "core/WDL_String.h"
#include "core/WDL_TypedBuf.h"

namespace iplug {
/** Private property: a pointer to the adapter object itself (used by the view factory). */
inline constexpr AudioUnitPropertyID kPluginInstanceProperty = 0xFFFFFF9B;

/** Input buses are pulled through a local buffer list of at most this many channels. */
inline constexpr int kMaxInputBusChannels = 128;

class IPlugAU : public IPlugAPIBase, public IPlugProcessor
{
public:
  /** How one input bus receives its audio. */
  enum InputConnectionType : int
  {
    eNotConnected = 0,
    eDirectFastProc = 1,
    eDirectNoFastProc = 2,
    eRenderCallback = 3,
  };

  /** Channel bookkeeping for one bus, either direction. */
  struct BusChannels
  {
    bool connected = false;
    int hostChannelCount = 0; // -1: the host has not set a stream format
    int plugChannelCount = 0;
    int plugChannelStart = 0;
  };

  /** How one input bus is wired. */
  struct InputBusConnection
  {
    void* upstreamObject = nullptr;
    AudioUnit upstreamUnit = nullptr;
    int upstreamBusIndex = 0;
    AudioUnitRenderProc upstreamRenderProc = nullptr;
    AURenderCallbackStruct upstreamRenderCallback = {nullptr, nullptr};
    int inputType = eNotConnected;
  };

  struct PropertyListener
  {
    AudioUnitPropertyID propertyId = 0;
    AudioUnitPropertyListenerProc listenerProc = nullptr;
    void* procArgs = nullptr;
  };

  IPlugAU(const InstanceInfo& info, const Config& config);
  ~IPlugAU() override;

  IPlugAU(const IPlugAU&) = delete;
  IPlugAU& operator=(const IPlugAU&) = delete;

  /** Legacy Component Manager dispatcher behind the bundle's `_Entry` export. */
  static OSStatus IPlugAUEntry(ComponentParameters* params, void* instanceStorage) noexcept;

  static const char* AUInputTypeStr(int type);

  /** Packs a version text such as "10.4.2" as (major << 16) | (minor << 8) | bugfix. */
  static int ParseHostVersionString(const char* text);

  // Host-facing operations, shared by the factory's AUMethod entries and the
  // Component Manager dispatcher.
  static OSStatus DoInitialize(IPlugAU* plug);
  static OSStatus DoUninitialize(IPlugAU* plug);
  static OSStatus DoGetPropertyInfo(IPlugAU* plug, AudioUnitPropertyID prop, AudioUnitScope scope,
                                    AudioUnitElement elem, UInt32* outDataSize, Boolean* outWritable);
  static OSStatus DoGetProperty(IPlugAU* plug, AudioUnitPropertyID prop, AudioUnitScope scope, AudioUnitElement elem,
                                void* outData, UInt32* ioDataSize);
  static OSStatus DoSetProperty(IPlugAU* plug, AudioUnitPropertyID prop, AudioUnitScope scope, AudioUnitElement elem,
                                const void* inData, UInt32 inDataSize);
  static OSStatus DoAddPropertyListener(IPlugAU* plug, AudioUnitPropertyID prop, AudioUnitPropertyListenerProc proc,
                                        void* userData);
  static OSStatus DoRemovePropertyListener(IPlugAU* plug, AudioUnitPropertyID prop, AudioUnitPropertyListenerProc proc);
  static OSStatus DoRemovePropertyListenerWithUserData(IPlugAU* plug, AudioUnitPropertyID prop,
                                                       AudioUnitPropertyListenerProc proc, void* userData);
  static OSStatus DoAddRenderNotify(IPlugAU* plug, AURenderCallback proc, void* userData);
  static OSStatus DoRemoveRenderNotify(IPlugAU* plug, AURenderCallback proc, void* userData);
  static OSStatus DoGetParameter(IPlugAU* plug, AudioUnitParameterID param, AudioUnitScope scope, AudioUnitElement elem,
                                 AudioUnitParameterValue* value);
  static OSStatus DoSetParameter(IPlugAU* plug, AudioUnitParameterID param, AudioUnitScope scope, AudioUnitElement elem,
                                 AudioUnitParameterValue value, UInt32 bufferOffset);
  static OSStatus DoScheduleParameters(IPlugAU* plug, const AudioUnitParameterEvent* events, UInt32 numEvents);
  static OSStatus DoRender(IPlugAU* plug, AudioUnitRenderActionFlags* ioActionFlags, const AudioTimeStamp* timeStamp,
                           UInt32 outputBusNumber, UInt32 numFrames, AudioBufferList* ioData);
  static OSStatus DoReset(IPlugAU* plug);
  static OSStatus DoMIDIEvent(IPlugAU* plug, UInt32 status, UInt32 data1, UInt32 data2, UInt32 offsetSampleFrame);
  static OSStatus DoSysEx(IPlugAU* plug, const UInt8* data, UInt32 length);

  static OSStatus GetParamProc(void* plug, AudioUnitParameterID param, AudioUnitScope scope, AudioUnitElement elem,
                               AudioUnitParameterValue* value);
  static OSStatus SetParamProc(void* plug, AudioUnitParameterID param, AudioUnitScope scope, AudioUnitElement elem,
                               AudioUnitParameterValue value, UInt32 bufferOffset);

  static OSStatus RenderProc(void* plug, AudioUnitRenderActionFlags* ioActionFlags, const AudioTimeStamp* timeStamp,
                             UInt32 outputBusNumber, UInt32 numFrames, AudioBufferList* ioData);

  /** Property traffic. `outData` null asks for size and writability only. */
  OSStatus GetProperty(AudioUnitPropertyID prop, AudioUnitScope scope, AudioUnitElement elem, UInt32* ioDataSize,
                       Boolean* outWritable, void* outData);
  OSStatus SetProperty(AudioUnitPropertyID prop, AudioUnitScope scope, AudioUnitElement elem, UInt32 inDataSize,
                       const void* inData);

  // State and presets.
  virtual OSStatus GetState(CFPropertyListRef* outState);
  virtual OSStatus SetState(CFPropertyListRef state);

  static void PutNumberInDict(CFMutableDictionaryRef dict, const char* key, SInt32 value);
  static void PutStrInDict(CFMutableDictionaryRef dict, const char* key, const char* value);
  static void PutDataInDict(CFMutableDictionaryRef dict, const char* key, const IByteChunk& chunk);
  static bool GetNumberFromDict(CFDictionaryRef dict, const char* key, SInt32& out);
  static bool GetStrFromDict(CFDictionaryRef dict, const char* key, WDL_String& out);
  static bool GetDataFromDict(CFDictionaryRef dict, const char* key, IByteChunk& chunk);

  // Host notifications.
  void BeginInformHostOfParamChange(int idx) override;
  void InformHostOfParamChange(int idx, double normalizedValue) override;
  void EndInformHostOfParamChange(int idx) override;
  void InformHostOfPresetChange() override;
  void InformHostOfParameterDetailsChange() override;
  void SetLatency(int samples) override;
  void GetTrackName(WDL_String& str) override;

  static void SendAUEvent(AudioUnitEventType type, AudioComponentInstance ci, int idx);

  // MIDI to the host.
  bool SendMidiMsg(const IMidiMsg& msg) override;
  bool SendMidiMsgs(WDL_TypedBuf<IMidiMsg>& msgs) override;
  bool SendSysEx(const ISysEx& msg) override;

  // Accessors for the factory, the view factory and tests.
  AudioComponentInstance GetComponentInstance() const { return componentInstance; }
  void SetComponentInstance(AudioComponentInstance ci) { componentInstance = ci; }
  bool IsActive() const { return active; }
  double GetLastInputSampleTime() const { return lastInputSampleTime; }
  const char* GetViewFactoryClassName() const { return viewFactoryClassName.Get(); }
  int NInputBuses() const { return inputBuses.GetSize(); }
  int NOutputBuses() const { return outputBuses.GetSize(); }
  const BusChannels* GetBus(AudioUnitScope scope, AudioUnitElement elem) const;
  const InputBusConnection* GetInputConnection(int bus) const { return inputConnections.Get(bus); }

  /** Unwires every bus; the close selector runs it before deleting the object. */
  void ClearConnections();

protected:
  void AssessInputConnections();
  void PreProcess();
  void OutputSysexFromEditor();

private:
  /** The per-property get and set handlers (IPlugAUProperties.cpp). */
  struct PropertyTable;

  static OSStatus DispatchSelector(ComponentParameters* params, void* instanceStorage);
  OSStatus ApplyProperty(AudioUnitPropertyID prop, AudioUnitScope scope, AudioUnitElement elem, UInt32 size,
                         const void* data);
  void CallPropertyListeners(AudioUnitPropertyID prop, AudioUnitScope scope, AudioUnitElement elem);
  OSStatus SetParamValue(AudioUnitParameterID param, AudioUnitScope scope, AudioUnitParameterValue value);
  void IdentifyHostFromMainBundle();
  void ResizeScratchBuffers();
  BusChannels* GetBusMutable(AudioUnitScope scope, AudioUnitElement elem);
  int NHostChannelsConnected(WDL_PtrList_OwningDelete<BusChannels>& buses, int excludeIdx = -1) const;
  bool CheckLegalIO(AudioUnitScope scope, int busIdx, int nChannels);
  OSStatus SetStreamFormat(AudioUnitScope scope, AudioUnitElement elem, const AudioStreamBasicDescription& format);
  OSStatus MakeConnection(AudioUnitScope scope, const AudioUnitConnection& connection);
  OSStatus SetRenderCallback(AudioUnitScope scope, AudioUnitElement elem, const AURenderCallbackStruct& callback);
  OSStatus GetParameterInfo(AudioUnitElement elem, AudioUnitParameterInfo* info);
  OSStatus GetFactoryPresets(CFArrayRef* outArray);
  void FillStreamFormat(const BusChannels& bus, AudioStreamBasicDescription& format) const;
  int LastConnectedOutputBus() const;
  void CallRenderNotifiers(AudioUnitRenderActionFlags flags, const AudioTimeStamp* timeStamp, UInt32 bus,
                           UInt32 numFrames, AudioBufferList* ioData);
  OSStatus Render(const AudioTimeStamp* timeStamp, UInt32 outputBusNumber, UInt32 numFrames, AudioBufferList* ioData);
  OSStatus PullInputs(const AudioTimeStamp* timeStamp, UInt32 numFrames);
  bool SendPacketList(const MIDIPacketList* list);

  bool active = false;
  double lastInputSampleTime = -1.0;
  WDL_String viewFactoryClassName;
  AudioComponentInstance componentInstance = nullptr;
  HostCallbackInfo hostCallbacks = {};
  AUMIDIOutputCallbackStruct midiOutputCallback = {};
  AudioTimeStamp lastRenderTimeStamp = {};
  WDL_String contextName;
  WDL_PtrList_OwningDelete<BusChannels> inputBuses, outputBuses;
  WDL_PtrList_OwningDelete<InputBusConnection> inputConnections;
  // Changed by the host's threads while the audio thread calls them.
  SnapshotList<PropertyListener> propertyListeners;
  SnapshotList<AURenderCallbackStruct> renderNotifiers;
  WDL_TypedBuf<float> inputScratch, outputScratch;
  SysExData mSysExFromEditor;
};

/** Builds the product's plug-in object in `memory`, or on the heap when null. Defined by the product. */
IPlugAU* MakePlug(void* memory);

} // namespace iplug
