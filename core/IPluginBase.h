#pragma once
// Format-independent core of a plug-in object: its identity and that of the
// host, the preset slots, the saved state and operations over ranges and
// groups of parameters. The parameters themselves live in IEditorDelegate.

#include <functional>

#include "core/Config.h"
#include "core/IByteChunk.h"
#include "core/IPlugConstants.h"
#include "core/IPreset.h"
#include "core/WDL_PtrList.h"
#include "core/WDL_String.h"
#include "graphics/IGraphicsEditorDelegate.h"

namespace iplug {
class IPluginBase : public igraphics::IGEditorDelegate
{
public:
  IPluginBase(const Config& config, EAPI plugAPI);
  ~IPluginBase() override;

  // --- identity ---
  const char* GetPluginName() const { return mPluginName.Get(); }
  const char* GetProductName() const { return mProductName.Get(); }
  const char* GetMfrName() const { return mMfrName.Get(); }
  int GetUniqueID() const { return mUniqueID; }
  int GetMfrID() const { return mMfrID; }
  const char* GetBundleID() const { return mBundleID.Get(); }
  bool HasUI() const { return mHasUI; }
  bool GetHostResizeEnabled() const { return mHostResize; }
  bool DoesStateChunks() const { return mStateChunks; }

  /** Packed version, or major * 10000 + minor * 100 + bugfix when decimal. */
  int GetPluginVersion(bool decimal) const;
  /** "v<major>.<minor>.<bugfix>". */
  void GetPluginVersionStr(WDL_String& str) const;
  int GetHostVersion(bool decimal) const;
  void GetHostVersionStr(WDL_String& str) const;
  EAPI GetAPI() const { return mAPI; }
  const char* GetAPIStr() const;
  // Fixed text: the build-info line names the one architecture the framework is built for.
  const char* GetArchStr() const { return "x86-64"; }
  void GetBuildInfoStr(WDL_String& str, const char* date, const char* time) const;

  // --- host ---
  EHost GetHost() const { return mHost; }
  /** Identifies the host by name (case ignored) and stores its version,
      then calls HostSpecificInit and OnHostIdentified. */
  void SetHost(const char* host, int version);
  /** Host number for a host name: the first known substring that occurs. */
  static EHost LookUpHost(const char* host);

  // --- hooks ---
  virtual void InformHostOfParameterDetailsChange() {}
  virtual bool SerializeState(IByteChunk& chunk) const { return SerializeParams(chunk); }
  virtual int UnserializeState(const IByteChunk& chunk, int startPos) { return UnserializeParams(chunk, startPos); }
  // Controller-state hooks of the VST3 adapter; the formats built here never call them.
  virtual bool SerializeVST3CtrlrState(IByteChunk&) const { return true; }
  virtual int UnserializeVST3CtrlrState(const IByteChunk&, int startPos) { return startPos; }
  virtual void InformHostOfPresetChange() {}
  virtual void OnPresetsModified() {}
  virtual void HostSpecificInit() {}
  virtual void OnHostIdentified() {}

  // --- parameter state ---
  /** Appends every parameter's value as a double, in index order. */
  bool SerializeParams(IByteChunk& chunk) const;
  /** Reads the values back, constraining each; stops at the first value that
      does not fit, leaving it and the later parameters unchanged. Always
      ends with OnParamReset(kPresetRecall). Returns the position after the
      values, or -1 after a short read. */
  int UnserializeParams(const IByteChunk& chunk, int startPos);

  // --- presets ---
  int NPresets() const { return mPresets.GetSize(); }
  int GetCurrentPresetIdx() const { return mCurrentPresetIdx; }
  const IPreset* GetPreset(int idx) const { return mPresets.Get(idx); }
  bool RestorePreset(int idx);
  bool RestorePreset(const char* name);
  const char* GetPresetName(int idx) const;
  void ModifyCurrentPreset(const char* name = nullptr);
  bool SerializePresets(IByteChunk& chunk) const;
  int UnserializePresets(const IByteChunk& chunk, int startPos);

  void MakeDefaultPreset(const char* name = nullptr, int nPresets = 1);
  void EnsureDefaultPreset();
  /** One value per parameter follows the name: int for boolean, integer and
      enumerated parameters, double for the others. */
  void MakePreset(const char* name, ...);
  /** nParamsNamed pairs follow: parameter index (int), then its value (int
      or double by the parameter's type). Parameters not named keep their
      current value in the preset. */
  void MakePresetFromNamedParams(const char* name, int nParamsNamed, ...);
  void MakePresetFromChunk(const char* name, const IByteChunk& chunk);
  /** The base64 blob decoded into a zero-filled chunk of sizeOfChunk bytes. */
  void MakePresetFromBlob(const char* name, const char* blob, int sizeOfChunk);
  void PruneUninitializedPresets();

  // --- preset export as source lines (appended to a text file) ---
  void DumpMakePresetSrc(const char* file) const;
  void DumpMakePresetFromNamedParamsSrc(const char* file, const char* const* paramEnumNames) const;
  void DumpPresetBlob(const char* file) const;

  // --- FXP program and FXB bank files ---
  bool SavePresetAsFXP(const char* file) const;
  bool SaveBankAsFXB(const char* file);
  bool LoadPresetFromFXP(const char* file);
  bool LoadBankFromFXB(const char* file);
  /** The same in memory: whole file contents. */
  bool SavePresetAsFXPChunk(IByteChunk& out) const;
  bool SaveBankAsFXBChunk(IByteChunk& out);
  bool LoadPresetFromFXPChunk(const IByteChunk& in);
  bool LoadBankFromFXBChunk(const IByteChunk& in);

  // --- parameter groups ---
  int NParamGroups() const { return mParamGroups.GetSize(); }
  /** Adds the name unless present; returns its index. */
  int AddParamGroup(const char* name);
  const char* GetParamGroupName(int idx) const;

  // --- ranges and groups of parameters (indices inclusive) ---
  using ParamFunc = std::function<void(int paramIdx, IParam& param)>;

  void InitParamRange(int startIdx, int endIdx, int countStart, const char* nameFmtStr, double defaultVal,
                      double minVal, double maxVal, double step, const char* label = "", int flags = 0,
                      const char* group = "", const IParam::Shape& shape = IParam::ShapeLinear(),
                      IParam::EParamUnit unit = IParam::kUnitCustom, IParam::DisplayFunc displayFunc = nullptr);
  void CloneParamRange(int cloneStartIdx, int cloneEndIdx, int startIdx, const char* searchStr = "",
                       const char* replaceStr = "", const char* newGroup = "");
  void CopyParamValues(int startIdx, int destIdx, int nParams);
  void CopyParamValues(const char* inGroup, const char* outGroup);
  void ForParamInRange(int startIdx, int endIdx, const ParamFunc& func);
  void ForParamInGroup(const char* paramGroup, const ParamFunc& func);
  void DefaultParamValues();
  void DefaultParamValues(int startIdx, int endIdx);
  void DefaultParamValues(const char* paramGroup);
  void RandomiseParamValues();
  void RandomiseParamValues(int startIdx, int endIdx);
  void RandomiseParamValues(const char* paramGroup);
  // Kept for plug-ins that call it while debugging; this build prints nothing.
  void PrintParamValues();

protected:
  /** The value text used by the source dumps: true/false, %d or %.6f. */
  void ParamValueText(int paramIdx, WDL_String& out) const;
  /** The first uninitialised slot, or null. */
  IPreset* FirstUnusedPreset();
  const char* CurrentPresetName() const;

  int mCurrentPresetIdx = 0;
  bool mStateChunks = false;
  WDL_String mPluginName;
  WDL_String mProductName;
  WDL_String mMfrName;
  int mUniqueID = 0;
  int mMfrID = 0;
  int mVersion = 0;
  int mHostVersion = 0;
  EHost mHost = kHostUninit;
  EAPI mAPI = kAPIAU;
  WDL_String mBundleID;
  bool mHasUI = false;
  bool mHostResize = false;
  WDL_PtrList_OwningDelete<WDL_String> mParamGroups;
  WDL_PtrList_OwningDelete<IPreset> mPresets;
};
} // namespace iplug
