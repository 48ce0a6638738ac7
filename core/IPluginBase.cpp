#include "core/IPluginBase.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/Base64.h"

namespace iplug {
namespace {
int DecodeVersion(int packed, bool decimal)
{
  if (!decimal)
    return packed;
  const int major = (packed & 0xFFFF0000) >> 16;
  const int minor = (packed & 0x0000FF00) >> 8;
  const int bugfix = packed & 0x000000FF;
  return major * 10000 + minor * 100 + bugfix;
}

void VersionStr(int packed, WDL_String& str)
{
  str.SetFormatted(MAX_PARAM_NAME_LEN, "v%d.%d.%d", (packed & 0xFFFF0000) >> 16, (packed >> 8) & 0xFF, packed & 0xFF);
}

// Substrings tested in this order; the first one found names the host.
// Longer names come before the shorter ones they contain.
struct HostName
{
  const char* text;
  EHost host;
};
const HostName kHostNames[] = {
  {"reaper", kHostReaper},
  {"protools", kHostProTools},
  {"cubase", kHostCubase},
  {"nuendo", kHostNuendo},
  {"cakewalk", kHostSonar},
  {"vegas", kHostVegas},
  {"fruity", kHostFL},
  {"samplitude", kHostSamplitude},
  {"live", kHostAbletonLive},
  {"tracktion", kHostTracktion},
  {"ntracks", kHostNTracks},
  {"melodyne", kHostMelodyneStudio},
  {"vstmanlib", kHostVSTScanner},
  {"aulab", kHostAULab},
  {"forte", kHostForte},
  {"chainer", kHostChainer},
  {"audition", kHostAudition},
  {"orion", kHostOrion},
  {"bias", kHostBias},
  {"sawstudio", kHostSAWStudio},
  {"logic", kHostLogic},
  {"garageband", kHostGarageBand},
  {"digital", kHostDigitalPerformer},
  {"audiomulch", kHostAudioMulch},
  {"presonus", kHostStudioOne},
  {"vst3plugintesthost", kHostVST3TestHost},
  {"ardour", kHostArdour},
  {"renoise", kHostRenoise},
  {"openmpt", kHostOpenMPT},
  {"wavelab elements", kHostWaveLabElements},
  {"wavelab", kHostWaveLab},
  {"twistedwave", kHostTwistedWave},
  {"bitwig studio", kHostBitwig},
  {"reason", kHostReason},
  {"gwvst", kHostGoldWave5x},
  {"waveform", kHostWaveform},
  {"audacity", kHostAudacity},
  {"acoustica", kHostAcoustica},
  {"plugindoctor", kHostPluginDoctor},
  {"izotope rx", kHostiZotopeRX},
  {"savihost", kHostSAVIHost},
  {"blue cat's vst host", kHostBlueCat},
  {"mixbus", kHostMixbus},
  {"standalone", kHostStandalone},
  {"www", kHostWWW},
};

// Takes an unused preset slot for a new preset: named, with an empty chunk.
void Claim(IPreset& preset, const char* name)
{
  preset.mInitialized = true;
  preset.SetName(name);
  preset.mChunk.Clear();
}
} // namespace

IPluginBase::IPluginBase(const Config& config, EAPI plugAPI)
: IGEditorDelegate(config.paramCount)
, mStateChunks(config.stateChunks)
, mPluginName(config.pluginName, MAX_PARAM_NAME_LEN * 4)
, mProductName(config.productName, MAX_PARAM_NAME_LEN * 4)
, mMfrName(config.makerName, MAX_PARAM_NAME_LEN * 4)
, mUniqueID(config.uniqueId)
, mMfrID(config.makerId)
, mVersion(config.versionCode)
, mAPI(plugAPI)
, mBundleID(config.bundleId)
, mHasUI(config.hasEditor)
, mHostResize(config.hostResize)
{
  for (int i = 0; i < config.presetCount; ++i)
    mPresets.Add(new IPreset());
}

IPluginBase::~IPluginBase() = default;

// --- identity ---------------------------------------------------------------

int IPluginBase::GetPluginVersion(bool decimal) const { return DecodeVersion(mVersion, decimal); }

void IPluginBase::GetPluginVersionStr(WDL_String& str) const { VersionStr(mVersion, str); }

int IPluginBase::GetHostVersion(bool decimal) const { return DecodeVersion(mHostVersion, decimal); }

void IPluginBase::GetHostVersionStr(WDL_String& str) const { VersionStr(mHostVersion, str); }

const char* IPluginBase::GetAPIStr() const
{
  static const char* const kNames[] = {"VST2", "VST3", "AU", "AUv3", "AAX", "APP", "WAM", "WEB", "LV2"};
  return (mAPI >= kAPIVST2 && mAPI <= kAPILV2) ? kNames[mAPI] : "";
}

void IPluginBase::GetBuildInfoStr(WDL_String& str, const char* date, const char* time) const
{
  WDL_String version;
  GetPluginVersionStr(version);
  str.SetFormatted(MAX_PARAM_NAME_LEN * 8, "%s %s (%s), built on %s at %.5s ", version.Get(), GetAPIStr(), GetArchStr(),
                   date ? date : "", time ? time : "");
}

// --- host -------------------------------------------------------------------

EHost IPluginBase::LookUpHost(const char* host)
{
  std::string lower(host ? host : "");
  lower.resize(std::min<size_t>(lower.size(), MAX_HOST_NAME_LEN - 1));
  for (char& c : lower)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const HostName& entry : kHostNames)
    if (lower.find(entry.text) != std::string::npos)
      return entry.host;
  return kHostUnknown;
}

void IPluginBase::SetHost(const char* host, int version)
{
  mHost = LookUpHost(host);
  mHostVersion = version;
  HostSpecificInit();
  OnHostIdentified();
}

// --- parameter state --------------------------------------------------------

bool IPluginBase::SerializeParams(IByteChunk& chunk) const
{
  for (int i = 0; i < NParams(); ++i)
    chunk.WriteValue(GetParam(i)->GetValue());
  return true;
}

int IPluginBase::UnserializeParams(const IByteChunk& chunk, int startPos)
{
  int pos = startPos;
  for (int i = 0; i < NParams() && pos >= 0; ++i)
  {
    double v = 0.0;
    pos = chunk.ReadValue(v, pos);
    if (pos >= 0)
      GetParam(i)->SetValue(v);
  }
  OnParamReset(kPresetRecall);
  return pos;
}

// --- presets ----------------------------------------------------------------

IPreset* IPluginBase::FirstUnusedPreset()
{
  for (IPreset* preset : mPresets)
    if (!preset->mInitialized)
      return preset;
  return nullptr;
}

const char* IPluginBase::CurrentPresetName() const { return GetPresetName(mCurrentPresetIdx); }

bool IPluginBase::RestorePreset(int idx)
{
  IPreset* preset = mPresets.Get(idx);
  if (!preset)
    return false;

  if (!preset->mInitialized)
  {
    // Selecting an empty slot captures the current settings into it.
    IByteChunk state;
    if (!SerializeState(state))
      return false;
    int nUser = 0;
    for (const IPreset* p : mPresets)
      if (std::strstr(p->mName, "user preset"))
        ++nUser;
    preset->mInitialized = true;
    char name[MAX_PRESET_NAME_LEN];
    std::snprintf(name, sizeof(name), "%s %d", "user preset", nUser + 1);
    preset->SetName(name);
    preset->mChunk = state;
  }
  else if (UnserializeState(preset->mChunk, 0) < 1)
    return false;

  mCurrentPresetIdx = idx;
  OnPresetsModified();
  OnRestoreState();
  return true;
}

bool IPluginBase::RestorePreset(const char* name)
{
  if (!name || !*name)
    return false;
  for (int i = 0; i < NPresets(); ++i)
    if (std::strcmp(mPresets.Get(i)->mName, name) == 0)
      return RestorePreset(i);
  return false;
}

const char* IPluginBase::GetPresetName(int idx) const
{
  const IPreset* preset = mPresets.Get(idx);
  return preset ? preset->mName : "";
}

void IPluginBase::ModifyCurrentPreset(const char* name)
{
  IPreset* preset = mPresets.Get(mCurrentPresetIdx);
  if (!preset)
    return;
  preset->mChunk.Clear();
  SerializeState(preset->mChunk);
  if (name && *name)
    preset->SetName(name);
}

bool IPluginBase::SerializePresets(IByteChunk& chunk) const
{
  for (const IPreset* preset : mPresets)
  {
    chunk.WriteString(preset->mName);
    chunk.WriteValue(preset->mInitialized);
    if (preset->mInitialized)
      chunk.WriteChunk(preset->mChunk);
  }
  return true;
}

int IPluginBase::UnserializePresets(const IByteChunk& chunk, int startPos)
{
  int pos = startPos;
  for (int i = 0; i < NPresets() && pos >= 0; ++i)
  {
    IPreset* preset = mPresets.Get(i);
    WDL_String name;
    bool initialized = false;
    pos = chunk.ReadString(name, pos);
    pos = chunk.ReadValue(initialized, pos);
    if (pos < 0)
      break;
    if (initialized)
    {
      // Applying the state also tells where this slot's bytes end. A slot
      // whose state does not parse is left as it was rather than marked
      // as holding a state it does not have.
      pos = UnserializeState(chunk, pos);
      if (pos <= 0)
        break;
      preset->mChunk.Clear();
      SerializeState(preset->mChunk);
    }
    preset->SetName(name.Get());
    preset->mInitialized = initialized;
  }
  RestorePreset(mCurrentPresetIdx);
  return pos;
}

void IPluginBase::MakeDefaultPreset(const char* name, int nPresets)
{
  for (int i = 0; i < nPresets; ++i)
  {
    IPreset* preset = FirstUnusedPreset();
    if (!preset)
      return;
    Claim(*preset, name ? name : "Empty");
    SerializeState(preset->mChunk);
  }
}

void IPluginBase::EnsureDefaultPreset()
{
  for (int i = 0; i < NPresets(); ++i)
    MakeDefaultPreset("Empty", 1);
}

void IPluginBase::MakePreset(const char* name, ...)
{
  IPreset* preset = FirstUnusedPreset();
  if (!preset)
    return;
  Claim(*preset, name);

  va_list args;
  va_start(args, name);
  for (int i = 0; i < NParams(); ++i)
  {
    const IParam::EParamType type = GetParam(i)->Type();
    double v;
    if (type == IParam::kTypeBool || type == IParam::kTypeInt || type == IParam::kTypeEnum)
      v = va_arg(args, int);
    else
      v = va_arg(args, double);
    preset->mChunk.WriteValue(v);
  }
  va_end(args);
}

void IPluginBase::MakePresetFromNamedParams(const char* name, int nParamsNamed, ...)
{
  IPreset* preset = FirstUnusedPreset();
  if (!preset)
    return;
  Claim(*preset, name);

  // A flag per parameter says whether it was named, so any value (even the
  // old "unnamed" marker) can be given explicitly.
  const int n = NParams();
  std::vector<double> values(static_cast<size_t>(n), 0.0);
  std::vector<bool> named(static_cast<size_t>(n), false);

  va_list args;
  va_start(args, nParamsNamed);
  for (int i = 0; i < nParamsNamed; ++i)
  {
    const int paramIdx = va_arg(args, int);
    const IParam* param = GetParam(paramIdx);
    // The value's C type depends on the parameter; an unknown index cannot
    // say which, so the rest of the list cannot be read safely.
    if (!param)
      break;
    const IParam::EParamType type = param->Type();
    double v;
    if (type == IParam::kTypeBool || type == IParam::kTypeInt || type == IParam::kTypeEnum)
      v = va_arg(args, int);
    else
      v = va_arg(args, double);
    values[static_cast<size_t>(paramIdx)] = v;
    named[static_cast<size_t>(paramIdx)] = true;
  }
  va_end(args);

  for (int i = 0; i < n; ++i)
  {
    const double v = named[static_cast<size_t>(i)] ? values[static_cast<size_t>(i)] : GetParam(i)->GetValue();
    preset->mChunk.WriteValue(v);
  }
}

void IPluginBase::MakePresetFromChunk(const char* name, const IByteChunk& chunk)
{
  IPreset* preset = FirstUnusedPreset();
  if (!preset)
    return;
  preset->mInitialized = true;
  preset->SetName(name);
  preset->mChunk.WriteChunk(chunk);
}

void IPluginBase::MakePresetFromBlob(const char* name, const char* blob, int sizeOfChunk)
{
  IByteChunk chunk;
  chunk.Resize(sizeOfChunk);
  if (blob && chunk.Size() > 0)
    Base64Decode(blob, std::strlen(blob), chunk.Data(), static_cast<size_t>(chunk.Size()));
  MakePresetFromChunk(name, chunk);
}

void IPluginBase::PruneUninitializedPresets()
{
  for (int i = 0; i < NPresets();)
  {
    if (!mPresets.Get(i)->mInitialized)
      mPresets.Delete(i, true);
    else
      ++i;
  }
}

// --- parameter groups -------------------------------------------------------

int IPluginBase::AddParamGroup(const char* name)
{
  const char* text = name ? name : "";
  for (int i = 0; i < NParamGroups(); ++i)
    if (std::strcmp(mParamGroups.Get(i)->Get(), text) == 0)
      return i;
  mParamGroups.Add(new WDL_String(text));
  return NParamGroups() - 1;
}

const char* IPluginBase::GetParamGroupName(int idx) const
{
  const WDL_String* group = mParamGroups.Get(idx);
  return group ? group->Get() : "";
}

// --- ranges and groups ------------------------------------------------------

void IPluginBase::InitParamRange(int startIdx, int endIdx, int countStart, const char* nameFmtStr, double defaultVal,
                                 double minVal, double maxVal, double step, const char* label, int flags,
                                 const char* group, const IParam::Shape& shape, IParam::EParamUnit unit,
                                 IParam::DisplayFunc displayFunc)
{
  for (int i = startIdx; i <= endIdx; ++i)
  {
    IParam* param = GetParam(i);
    if (!param)
      continue;
    WDL_String name;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    name.SetFormatted(MAX_PARAM_NAME_LEN, nameFmtStr ? nameFmtStr : "", countStart + (i - startIdx));
#pragma GCC diagnostic pop
    param->InitDouble(name.Get(), defaultVal, minVal, maxVal, step, label, flags, group, shape, unit, displayFunc);
  }
}

void IPluginBase::CloneParamRange(int cloneStartIdx, int cloneEndIdx, int startIdx, const char* searchStr,
                                  const char* replaceStr, const char* newGroup)
{
  for (int i = cloneStartIdx, d = startIdx; i <= cloneEndIdx; ++i, ++d)
  {
    const IParam* source = GetParam(i);
    IParam* dest = GetParam(d);
    if (!source || !dest)
      continue;
    const double value = source->GetValue(); // read first: source and destination may be the same
    dest->Init(*source, searchStr, replaceStr, newGroup);
    dest->SetValue(value);
  }
}

void IPluginBase::CopyParamValues(int startIdx, int destIdx, int nParams)
{
  for (int k = 0; k < nParams; ++k)
  {
    const IParam* source = GetParam(startIdx + k);
    IParam* dest = GetParam(destIdx + k);
    if (source && dest)
      dest->SetValue(source->GetValue());
  }
}

void IPluginBase::CopyParamValues(const char* inGroup, const char* outGroup)
{
  std::vector<IParam*> in, out;
  ForParamInGroup(inGroup, [&](int, IParam& p) { in.push_back(&p); });
  ForParamInGroup(outGroup, [&](int, IParam& p) { out.push_back(&p); });
  // Groups of different sizes copy as many as both have.
  const size_t n = std::min(in.size(), out.size());
  for (size_t j = 0; j < n; ++j)
    out[j]->SetValue(in[j]->GetValue());
}

void IPluginBase::ForParamInRange(int startIdx, int endIdx, const ParamFunc& func)
{
  for (int i = std::max(startIdx, 0); i <= endIdx && i < NParams(); ++i)
    func(i, *GetParam(i));
}

void IPluginBase::ForParamInGroup(const char* paramGroup, const ParamFunc& func)
{
  const char* group = paramGroup ? paramGroup : "";
  for (int i = 0; i < NParams(); ++i)
    if (std::strcmp(GetParam(i)->GetGroup(), group) == 0)
      func(i, *GetParam(i));
}

void IPluginBase::DefaultParamValues() { DefaultParamValues(0, NParams() - 1); }

void IPluginBase::DefaultParamValues(int startIdx, int endIdx)
{
  ForParamInRange(startIdx, endIdx, [](int, IParam& p) { p.ResetToDefault(); });
}

void IPluginBase::DefaultParamValues(const char* paramGroup)
{
  ForParamInGroup(paramGroup, [](int, IParam& p) { p.ResetToDefault(); });
}

namespace {
void Randomise(int, IParam& p) { p.SetNormalizedValue(static_cast<double>(std::rand()) / 2147483648.0); }
} // namespace

void IPluginBase::RandomiseParamValues() { RandomiseParamValues(0, NParams() - 1); }

void IPluginBase::RandomiseParamValues(int startIdx, int endIdx) { ForParamInRange(startIdx, endIdx, Randomise); }

void IPluginBase::RandomiseParamValues(const char* paramGroup) { ForParamInGroup(paramGroup, Randomise); }

void IPluginBase::PrintParamValues()
{
  // Debug listing; this build prints nothing.
  ForParamInRange(0, NParams() - 1, [](int, IParam&) {});
}

void IPluginBase::ParamValueText(int paramIdx, WDL_String& out) const
{
  const IParam* param = GetParam(paramIdx);
  if (!param)
  {
    out.Set("");
    return;
  }
  const double v = param->GetValue();
  switch (param->Type())
  {
    case IParam::kTypeBool: out.Set(v >= 0.5 ? "true" : "false"); break;
    case IParam::kTypeInt:
    case IParam::kTypeEnum: out.SetFormatted(MAX_PARAM_DISPLAY_LEN, "%d", param->Int()); break;
    default: out.SetFormatted(MAX_PARAM_DISPLAY_LEN * 16, "%.6f", v); break;
  }
}
} // namespace iplug
