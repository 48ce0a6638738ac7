#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "TestPlugin.h"

using namespace iplug;
using namespace coretest;

namespace {
uint32_t BE(const IByteChunk& chunk, int pos)
{
  const uint8_t* b = chunk.Data() + pos;
  return (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
}

std::string Tag(const IByteChunk& chunk, int pos)
{
  return std::string(reinterpret_cast<const char*>(chunk.Data() + pos), 4);
}

struct TempFile
{
  TempFile()
  {
    static int counter = 0;
    path = (std::filesystem::temp_directory_path() /
            ("corvane-core-" + std::to_string(::getpid()) + "-" + std::to_string(counter++)))
             .string();
  }
  ~TempFile() { std::remove(path.c_str()); }
  std::string Read() const
  {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::string path;
};
} // namespace

// --- FXP ----------------------------------------------------------------------

TEST(FXPFile, ParameterProgramHasBigEndianHeaderAndNormalisedFloats)
{
  ThreeParams<> p;
  p.MakePreset("Program Name", 6, 12.0, 1);
  p.RestorePreset(0);
  IByteChunk fxp;
  ASSERT_TRUE(p.SavePresetAsFXPChunk(fxp));
  ASSERT_EQ(fxp.Size(), 56 + 3 * 4);
  EXPECT_EQ(Tag(fxp, 0), "CcnK");
  EXPECT_EQ(BE(fxp, 4), uint32_t(fxp.Size() - 8));
  EXPECT_EQ(Tag(fxp, 8), "FxCk");
  EXPECT_EQ(BE(fxp, 12), 1u);
  EXPECT_EQ(Tag(fxp, 16), "Tst1");
  EXPECT_EQ(BE(fxp, 20), 0x00010203u);
  EXPECT_EQ(BE(fxp, 24), 3u);
  EXPECT_STREQ(reinterpret_cast<const char*>(fxp.Data() + 28), "Program Name");
  const uint32_t half = BE(fxp, 56);
  float f;
  std::memcpy(&f, &half, 4);
  EXPECT_FLOAT_EQ(f, 0.5f); // 6 of 0..12
}

TEST(FXPFile, RoundTripInBothStateForms)
{
  for (bool chunks : {false, true})
  {
    ThreeParams<EditorStatePlugin> p(2, chunks);
    p.Set(8, -6.0, 1);
    p.width = 640;
    IByteChunk fxp;
    ASSERT_TRUE(p.SavePresetAsFXPChunk(fxp));
    if (chunks)
    {
      EXPECT_EQ(Tag(fxp, 8), "FPCh");
      EXPECT_EQ(Tag(fxp, 60), "tffp"); // state header after the int32 size
    }

    ThreeParams<EditorStatePlugin> q(2, chunks);
    ASSERT_TRUE(q.LoadPresetFromFXPChunk(fxp)) << chunks;
    EXPECT_EQ(q.Values(), p.Values());
    EXPECT_EQ(q.width, chunks ? 640 : 0); // the editor record travels only in a chunk
    EXPECT_EQ(q.restoreCount, 1);
  }
}

TEST(FXPFile, ForeignTruncatedOrCorruptProgramsAreRefused)
{
  ThreeParams<> p(1, true);
  IByteChunk fxp;
  p.SavePresetAsFXPChunk(fxp);

  Config other = MakeConfig(3, 1, true);
  other.uniqueId = 0x41424344;
  TestPlugin foreign(other);
  EXPECT_FALSE(foreign.LoadPresetFromFXPChunk(fxp));

  for (int cut = 0; cut < fxp.Size(); ++cut)
  {
    IByteChunk part;
    part.WriteBytes(fxp.Data(), cut);
    ThreeParams<> q(1, true);
    EXPECT_FALSE(q.LoadPresetFromFXPChunk(part)) << cut;
  }

  IByteChunk badHeader = fxp;
  badHeader.Data()[60] = 'X';
  EXPECT_FALSE(p.LoadPresetFromFXPChunk(badHeader));

  IByteChunk hugeSize = fxp;
  hugeSize.Data()[56] = 0x7F; // chunk size far beyond the file
  EXPECT_FALSE(p.LoadPresetFromFXPChunk(hugeSize));

  ThreeParams<> params(1, false);
  IByteChunk fxpParams;
  params.SavePresetAsFXPChunk(fxpParams);
  fxpParams.Data()[24] = 0x40; // claims 2^30 parameters
  EXPECT_FALSE(params.LoadPresetFromFXPChunk(fxpParams));
}

TEST(FXPFile, WritesAndReadsFiles)
{
  ThreeParams<> p;
  p.Set(2, 12.0, 0); // values whose normalised forms are exact floats
  TempFile file;
  ASSERT_TRUE(p.SavePresetAsFXP(file.path.c_str()));
  ThreeParams<> q;
  ASSERT_TRUE(q.LoadPresetFromFXP(file.path.c_str()));
  EXPECT_EQ(q.Values(), p.Values());
  TempFile bank;
  ASSERT_TRUE(p.SaveBankAsFXB(bank.path.c_str()));
  ASSERT_TRUE(q.LoadBankFromFXB(bank.path.c_str()));
  EXPECT_FALSE(q.LoadPresetFromFXP("/nonexistent/dir/x.fxp"));
  EXPECT_FALSE(q.SavePresetAsFXP("/nonexistent/dir/x.fxp"));
  EXPECT_FALSE(q.LoadPresetFromFXP(nullptr));
}

// --- FXB ----------------------------------------------------------------------

TEST(FXBFile, RoundTripInBothStateForms)
{
  for (bool chunks : {false, true})
  {
    ThreeParams<> p(3, chunks);
    p.MakePreset("First", 3, 0.0, 1); // values whose normalised forms are exact floats
    p.MakePreset("Second", 9, -12.0, 0);
    p.MakePreset("Third", 6, 6.0, 1);
    p.RestorePreset(1);
    const auto currentValues = p.Values();
    IByteChunk fxb;
    ASSERT_TRUE(p.SaveBankAsFXBChunk(fxb));
    EXPECT_EQ(p.Values(), currentValues); // saving leaves the current state alone
    EXPECT_EQ(Tag(fxb, 8), chunks ? "FBCh" : "FxBk");
    EXPECT_EQ(BE(fxb, 24), 3u);
    EXPECT_EQ(BE(fxb, 28), 1u);
    EXPECT_EQ(BE(fxb, 4), uint32_t(fxb.Size() - 8));

    ThreeParams<> q(3, chunks);
    ASSERT_TRUE(q.LoadBankFromFXBChunk(fxb)) << chunks;
    EXPECT_STREQ(q.GetPresetName(0), "First");
    EXPECT_STREQ(q.GetPresetName(2), "Third");
    EXPECT_EQ(q.GetCurrentPresetIdx(), 1);
    EXPECT_EQ(q.Values(), (std::vector<double>{9, -12.0, 0}));
    q.RestorePreset(2);
    EXPECT_EQ(q.Values(), (std::vector<double>{6, 6.0, 1}));
  }
}

TEST(FXBFile, TruncatedAndForeignBanksAreRefused)
{
  for (bool chunks : {false, true})
  {
    ThreeParams<> p(2, chunks);
    p.MakePreset("A", 1, 1.0, 1);
    p.MakePreset("B", 2, 2.0, 0);
    IByteChunk fxb;
    p.SaveBankAsFXBChunk(fxb);
    for (int cut = 0; cut < fxb.Size(); ++cut)
    {
      IByteChunk part;
      part.WriteBytes(fxb.Data(), cut);
      ThreeParams<> q(2, chunks);
      EXPECT_FALSE(q.LoadBankFromFXBChunk(part)) << chunks << " " << cut;
    }
    IByteChunk foreign = fxb;
    foreign.Data()[16] = 'X';
    EXPECT_FALSE(p.LoadBankFromFXBChunk(foreign));
  }
}

// --- source dumps -------------------------------------------------------------

TEST(PresetSourceDumps, LinesDescribeTheCurrentPreset)
{
  ThreeParams<> p(1);
  p.MakePreset("Warm", 4, 1.25, 1);
  p.RestorePreset(0);
  TempFile file;
  p.DumpMakePresetSrc(file.path.c_str());
  EXPECT_EQ(file.Read(), "MakePreset(\"Warm\", 4, 1.250000, true);\n");

  const char* names[] = {"kSteps", "kLevel", "kSwitch"};
  p.DumpMakePresetFromNamedParamsSrc(file.path.c_str(), names);
  EXPECT_EQ(file.Read(), "MakePreset(\"Warm\", 4, 1.250000, true);\n"
                         "  MakePresetFromNamedParams(\"Warm\", 3,\n"
                         "    kSteps, 4,\n    kLevel, 1.250000,\n    kSwitch, true);\n");
}

TEST(PresetSourceDumps, BlobRoundTripsEvenForLargeStates)
{
  TestPlugin p(MakeConfig(300, 2)); // 2400 bytes of state, beyond a fixed text buffer
  for (int i = 0; i < 300; ++i)
  {
    p.GetParam(i)->InitDouble("x", 0, 0, 1000, 0.001);
    p.GetParam(i)->SetValue(i * 1.5);
  }
  p.RestorePreset(0);
  TempFile file;
  p.DumpPresetBlob(file.path.c_str());
  const std::string line = file.Read();
  const size_t open = line.find("\", \"") + 4;
  const size_t close = line.find('"', open);
  const std::string blob = line.substr(open, close - open);
  EXPECT_EQ(line.substr(0, 27), "MakePresetFromBlob(\"user pr");
  EXPECT_NE(line.find("\", 2400);\n"), std::string::npos);

  p.MakePresetFromBlob("Back", blob.c_str(), 2400);
  for (int i = 0; i < 300; ++i)
    p.GetParam(i)->SetValue(0);
  p.RestorePreset(1);
  EXPECT_EQ(p.GetParam(299)->GetValue(), 448.5);

  TestPlugin none(MakeConfig(1, 0));
  none.DumpMakePresetSrc("/nonexistent/dir/x.txt"); // cannot open: nothing happens
  TempFile f2;
  none.DumpPresetBlob(f2.path.c_str());
  EXPECT_EQ(f2.Read(), "MakePresetFromBlob(\"\", \"\", 0);\n");
}
