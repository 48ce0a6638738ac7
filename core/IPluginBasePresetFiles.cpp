// Preset export: source lines for presets compiled into a plug-in, and the
// FXP (one program) and FXB (bank) files, which are big-endian throughout.

#include <cstdio>
#include <cstring>
#include <memory>

#include "core/Base64.h"
#include "core/IPluginBase.h"
#include "core/MakeFourCC.h"

namespace iplug {
namespace {
using FilePtr = std::unique_ptr<FILE, int (*)(FILE*)>;

FilePtr Open(const char* file, const char* mode)
{
  return FilePtr(file ? std::fopen(file, mode) : nullptr, &std::fclose);
}

constexpr int32_t kChunkMagic = MakeFourCC("CcnK");
constexpr int32_t kProgramParamsMagic = MakeFourCC("FxCk");
constexpr int32_t kProgramChunkMagic = MakeFourCC("FPCh");
constexpr int32_t kBankParamsMagic = MakeFourCC("FxBk");
constexpr int32_t kBankChunkMagic = MakeFourCC("FBCh");
constexpr int kProgramNameLen = 28;
constexpr int kBankFutureLen = 124;
constexpr int kBankHeaderSize = 8 * 4 + kBankFutureLen; // CcnK ... future

// Header in front of an opaque state chunk, in native (little-endian) order.
constexpr int32_t kStateChunkMagic = 0x70666674; // bytes "tffp"
constexpr int32_t kStateChunkVersion = 0x00010000;

void PutBE(IByteChunk& chunk, uint32_t v)
{
  const uint8_t bytes[4] = {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
  chunk.WriteBytes(bytes, 4);
}
void PutBE(IByteChunk& chunk, int32_t v) { PutBE(chunk, static_cast<uint32_t>(v)); }
void PutBE(IByteChunk& chunk, float v)
{
  uint32_t bits;
  std::memcpy(&bits, &v, 4);
  PutBE(chunk, bits);
}

int GetBE(const IByteChunk& chunk, uint32_t& v, int pos)
{
  uint8_t b[4];
  pos = chunk.ReadBytes(b, 4, pos);
  if (pos >= 0)
    v = (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | uint32_t(b[3]);
  return pos;
}
int GetBE(const IByteChunk& chunk, int32_t& v, int pos)
{
  uint32_t u = 0;
  pos = GetBE(chunk, u, pos);
  if (pos >= 0)
    v = static_cast<int32_t>(u);
  return pos;
}
int GetBE(const IByteChunk& chunk, float& v, int pos)
{
  uint32_t u = 0;
  pos = GetBE(chunk, u, pos);
  if (pos >= 0)
    std::memcpy(&v, &u, 4);
  return pos;
}

// The fields every program and bank starts with; count is the number of
// parameters of a program or of programs in a bank.
struct ChunkHeader
{
  int32_t chunkMagic = 0, byteSize = 0, fxMagic = 0, version = 0, fxID = 0, fxVersion = 0, count = 0;
};

int GetChunkHeader(const IByteChunk& chunk, ChunkHeader& h, int pos)
{
  pos = GetBE(chunk, h.chunkMagic, pos);
  pos = GetBE(chunk, h.byteSize, pos);
  pos = GetBE(chunk, h.fxMagic, pos);
  pos = GetBE(chunk, h.version, pos);
  pos = GetBE(chunk, h.fxID, pos);
  pos = GetBE(chunk, h.fxVersion, pos);
  return GetBE(chunk, h.count, pos);
}

// Fills in the byte count that follows the 'CcnK' and count fields.
void PatchByteSize(IByteChunk& chunk, int start)
{
  const uint32_t size = static_cast<uint32_t>(chunk.Size() - start - 8);
  const uint8_t bytes[4] = {uint8_t(size >> 24), uint8_t(size >> 16), uint8_t(size >> 8), uint8_t(size)};
  std::memcpy(chunk.Data() + start + 4, bytes, 4);
}

void PutName(IByteChunk& chunk, const char* name, int len)
{
  // Zero-padded, always terminated inside the field.
  char field[kBankFutureLen] = {};
  if (name)
    for (int i = 0; i < len - 1 && name[i]; ++i)
      field[i] = name[i];
  chunk.WriteBytes(field, len);
}

// The header of one program, its byte size left to PatchByteSize.
void PutProgramHeader(IByteChunk& out, int32_t fxMagic, int uniqueID, int version, int numParams, const char* name)
{
  PutBE(out, kChunkMagic);
  PutBE(out, int32_t{0}); // byte size
  PutBE(out, fxMagic);
  PutBE(out, int32_t{1});
  PutBE(out, int32_t(uniqueID));
  PutBE(out, int32_t(version));
  PutBE(out, int32_t(numParams));
  PutName(out, name, kProgramNameLen);
}

// Every parameter's normalised value, in index order.
void PutParamValues(IByteChunk& out, const IPluginBase& plug)
{
  for (int i = 0; i < plug.NParams(); ++i)
    PutBE(out, static_cast<float>(plug.GetParam(i)->GetNormalizedValue()));
}

// Sets the parameters from `count` normalised values at pos, which the caller
// has checked fit; values past the last parameter are skipped. Returns the
// position after them.
int GetParamValues(const IByteChunk& in, int pos, int count, IPluginBase& plug)
{
  for (int i = 0; i < count; ++i)
  {
    float v = 0.f;
    pos = GetBE(in, v, pos);
    if (IParam* param = plug.GetParam(i))
      param->SetNormalizedValue(v);
  }
  return pos;
}

bool WriteFile(const char* file, const IByteChunk& chunk)
{
  FilePtr f = Open(file, "wb");
  if (!f)
    return false;
  return std::fwrite(chunk.Data(), 1, static_cast<size_t>(chunk.Size()), f.get()) == static_cast<size_t>(chunk.Size());
}

// Files larger than this are not preset files; refuse rather than allocate.
constexpr long kMaxFileSize = 64L * 1024 * 1024;

bool ReadFile(const char* file, IByteChunk& chunk)
{
  FilePtr f = Open(file, "rb");
  if (!f || std::fseek(f.get(), 0, SEEK_END) != 0)
    return false;
  const long size = std::ftell(f.get());
  if (size < 0 || size > kMaxFileSize || std::fseek(f.get(), 0, SEEK_SET) != 0)
    return false;
  chunk.Resize(static_cast<int>(size));
  return std::fread(chunk.Data(), 1, static_cast<size_t>(size), f.get()) == static_cast<size_t>(size);
}

// Copies `size` bytes at pos into `out` when they fit; checks the opaque
// state header and returns the position of the state inside `out`, or -1.
int ExtractStateChunk(const IByteChunk& in, int pos, int32_t size, IByteChunk& out)
{
  if (!IByteChunk::Fits(pos, size, in.Size()))
    return -1;
  out.Clear();
  out.WriteBytes(in.Data() + pos, size);
  int32_t magic = 0, version = 0;
  int at = out.ReadValue(magic, 0);
  at = out.ReadValue(version, at);
  if (at < 0 || magic != kStateChunkMagic)
    return -1;
  return at;
}
} // namespace

// --- source dumps -----------------------------------------------------------

void IPluginBase::DumpMakePresetSrc(const char* file) const
{
  FilePtr f = Open(file, "a");
  if (!f)
    return;
  std::fprintf(f.get(), "MakePreset(\"%s\"", CurrentPresetName());
  WDL_String value;
  for (int i = 0; i < NParams(); ++i)
  {
    ParamValueText(i, value);
    std::fprintf(f.get(), ", %s", value.Get());
  }
  std::fprintf(f.get(), ");\n");
}

void IPluginBase::DumpMakePresetFromNamedParamsSrc(const char* file, const char* const* paramEnumNames) const
{
  FilePtr f = Open(file, "a");
  if (!f)
    return;
  std::fprintf(f.get(), "  MakePresetFromNamedParams(\"%s\", %d", CurrentPresetName(), NParams());
  WDL_String value;
  for (int i = 0; i < NParams(); ++i)
  {
    ParamValueText(i, value);
    const char* name = paramEnumNames && paramEnumNames[i] ? paramEnumNames[i] : "";
    std::fprintf(f.get(), ",\n    %s, %s", name, value.Get());
  }
  std::fprintf(f.get(), ");\n");
}

void IPluginBase::DumpPresetBlob(const char* file) const
{
  FilePtr f = Open(file, "a");
  if (!f)
    return;
  const IPreset* preset = mPresets.Get(mCurrentPresetIdx);
  const IByteChunk empty;
  const IByteChunk& chunk = preset ? preset->mChunk : empty;
  // The whole chunk is encoded: a cut blob would restore a corrupted preset.
  const std::string blob = Base64Encode(chunk.Data(), static_cast<size_t>(chunk.Size()));
  std::fprintf(f.get(), "MakePresetFromBlob(\"%s\", \"%s\", %i);\n", CurrentPresetName(), blob.c_str(), chunk.Size());
}

// --- FXP --------------------------------------------------------------------

bool IPluginBase::SavePresetAsFXPChunk(IByteChunk& out) const
{
  const int start = out.Size();
  PutProgramHeader(out, DoesStateChunks() ? kProgramChunkMagic : kProgramParamsMagic, mUniqueID, mVersion, NParams(),
                   CurrentPresetName());

  if (DoesStateChunks())
  {
    IByteChunk state;
    state.WriteValue(kStateChunkMagic);
    state.WriteValue(kStateChunkVersion);
    if (!SerializeState(state))
      return false;
    PutBE(out, int32_t(state.Size()));
    out.WriteChunk(state);
  }
  else
    PutParamValues(out, *this);
  PatchByteSize(out, start);
  return true;
}

bool IPluginBase::LoadPresetFromFXPChunk(const IByteChunk& in)
{
  ChunkHeader header;
  int pos = GetChunkHeader(in, header, 0);
  const int32_t numParams = header.count;
  char name[kProgramNameLen + 1] = {};
  pos = in.ReadBytes(name, kProgramNameLen, pos);
  if (pos < 0 || header.chunkMagic != kChunkMagic || header.fxID != mUniqueID)
    return false;

  if (header.fxMagic == kProgramChunkMagic)
  {
    int32_t size = 0;
    pos = GetBE(in, size, pos);
    IByteChunk state;
    const int statePos = pos < 0 ? -1 : ExtractStateChunk(in, pos, size, state);
    if (statePos < 0 || UnserializeState(state, statePos) < 0)
      return false;
  }
  else if (header.fxMagic == kProgramParamsMagic)
  {
    if (numParams < 0 || !IByteChunk::Fits(pos, 0, in.Size()) || static_cast<int64_t>(numParams) * 4 > in.Size() - pos)
      return false;
    GetParamValues(in, pos, numParams, *this);
    OnParamReset(kPresetRecall);
  }
  else
    return false;

  ModifyCurrentPreset(name);
  InformHostOfPresetChange();
  OnRestoreState();
  return true;
}

bool IPluginBase::SavePresetAsFXP(const char* file) const
{
  IByteChunk out;
  return SavePresetAsFXPChunk(out) && WriteFile(file, out);
}

bool IPluginBase::LoadPresetFromFXP(const char* file)
{
  IByteChunk in;
  return ReadFile(file, in) && LoadPresetFromFXPChunk(in);
}

// --- FXB --------------------------------------------------------------------

bool IPluginBase::SaveBankAsFXBChunk(IByteChunk& out)
{
  const int start = out.Size();
  PutBE(out, kChunkMagic);
  PutBE(out, int32_t{0});
  PutBE(out, DoesStateChunks() ? kBankChunkMagic : kBankParamsMagic);
  PutBE(out, int32_t{2});
  PutBE(out, int32_t(mUniqueID));
  PutBE(out, int32_t(mVersion));
  PutBE(out, int32_t(NPresets()));
  PutBE(out, int32_t(mCurrentPresetIdx));
  PutName(out, "", kBankFutureLen);

  if (DoesStateChunks())
  {
    IByteChunk bank;
    bank.WriteValue(kStateChunkMagic);
    bank.WriteValue(kStateChunkVersion);
    SerializePresets(bank);
    PutBE(out, int32_t(bank.Size()));
    out.WriteChunk(bank);
  }
  else
  {
    // Each program's normalised values come from applying its state; the
    // current state is put back afterwards.
    IByteChunk current;
    SerializeState(current);
    for (int p = 0; p < NPresets(); ++p)
    {
      const IPreset* preset = mPresets.Get(p);
      if (preset->mInitialized)
        UnserializeState(preset->mChunk, 0);
      const int programStart = out.Size();
      PutProgramHeader(out, kProgramParamsMagic, mUniqueID, mVersion, NParams(), preset->mName);
      PutParamValues(out, *this);
      PatchByteSize(out, programStart);
      if (preset->mInitialized)
        UnserializeState(current, 0);
    }
  }
  PatchByteSize(out, start);
  return true;
}

bool IPluginBase::LoadBankFromFXBChunk(const IByteChunk& in)
{
  ChunkHeader header;
  int32_t currentProgram = 0;
  int pos = GetChunkHeader(in, header, 0);
  const int32_t numPrograms = header.count;
  pos = GetBE(in, currentProgram, pos);
  if (pos < 0 || header.chunkMagic != kChunkMagic || header.fxID != mUniqueID ||
      !IByteChunk::Fits(0, kBankHeaderSize, in.Size()))
    return false;
  pos = kBankHeaderSize;
  if (header.version < 2)
    currentProgram = mCurrentPresetIdx; // version 1 banks carry no current program

  if (header.fxMagic == kBankChunkMagic)
  {
    int32_t size = 0;
    pos = GetBE(in, size, pos);
    IByteChunk bank;
    const int bankPos = pos < 0 ? -1 : ExtractStateChunk(in, pos, size, bank);
    if (bankPos < 0)
      return false;
    if (currentProgram >= 0 && currentProgram < NPresets())
      mCurrentPresetIdx = currentProgram;
    if (UnserializePresets(bank, bankPos) < 0)
      return false;
  }
  else if (header.fxMagic == kBankParamsMagic)
  {
    if (numPrograms < 0)
      return false;
    for (int p = 0; p < numPrograms && p < NPresets(); ++p)
    {
      ChunkHeader program;
      pos = GetChunkHeader(in, program, pos);
      const int32_t numParams = program.count;
      char name[kProgramNameLen + 1] = {};
      pos = in.ReadBytes(name, kProgramNameLen, pos);
      if (pos < 0 || program.chunkMagic != kChunkMagic || program.fxMagic != kProgramParamsMagic || numParams < 0 ||
          static_cast<int64_t>(numParams) * 4 > in.Size() - pos)
        return false;
      pos = GetParamValues(in, pos, numParams, *this);
      IPreset* preset = mPresets.Get(p);
      preset->mInitialized = true;
      preset->SetName(name);
      preset->mChunk.Clear();
      SerializeState(preset->mChunk);
    }
    const int restore = (currentProgram >= 0 && currentProgram < NPresets()) ? currentProgram : mCurrentPresetIdx;
    RestorePreset(restore);
  }
  else
    return false;

  InformHostOfPresetChange();
  return true;
}

bool IPluginBase::SaveBankAsFXB(const char* file)
{
  IByteChunk out;
  return SaveBankAsFXBChunk(out) && WriteFile(file, out);
}

bool IPluginBase::LoadBankFromFXB(const char* file)
{
  IByteChunk in;
  return ReadFile(file, in) && LoadBankFromFXBChunk(in);
}
} // namespace iplug
