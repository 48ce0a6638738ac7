#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "TestPlugin.h"

using namespace iplug;
using namespace coretest;

// --- identity and host ------------------------------------------------------

TEST(PluginIdentity, VersionStrings)
{
  Config c = MakeConfig(0, 0);
  c.versionCode = 0x00020000;
  TestPlugin p(c);
  WDL_String v;
  p.GetPluginVersionStr(v);
  EXPECT_STREQ(v.Get(), "v2.0.0");
  EXPECT_EQ(p.GetPluginVersion(true), 20000);
  WDL_String info;
  p.GetBuildInfoStr(info, "Jan  1 2026", "12:34:56");
  EXPECT_STREQ(info.Get(), "v2.0.0 AU (x86-64), built on Jan  1 2026 at 12:34 ");

  c.versionCode = (1 << 16) | (12 << 8) | 7;
  TestPlugin q(c);
  q.GetPluginVersionStr(v);
  EXPECT_STREQ(v.Get(), "v1.12.7");
  EXPECT_EQ(q.GetPluginVersion(true), 11207);
}

TEST(PluginHost, TableOrderDecidesOverlappingNames)
{
  const std::pair<const char*, EHost> cases[] = {
    {"Logic Pro X", kHostLogic},
    {"Ableton Live 11", kHostAbletonLive},
    {"WaveLab Elements 11", kHostWaveLabElements},
    {"WaveLab Pro", kHostWaveLab},
    {"", kHostUnknown},
    {"Some Unknown DAW", kHostUnknown},
    {"REAPER", kHostReaper},
    {"Reaper Live Edition", kHostReaper},      // reaper tested before live
    {"Oliver's Live Logic", kHostAbletonLive}, // live before logic
    {"Digital Performer", kHostDigitalPerformer},
    {"Bitwig Studio", kHostBitwig},
    {"Standalone App", kHostStandalone},
    {"Blue Cat's VST Host", kHostBlueCat},
    {"Presonus Studio One", kHostStudioOne},
    {"www browser", kHostWWW},
    {"Ardour Mixbus", kHostArdour},
  };
  for (auto [name, host] : cases)
    EXPECT_EQ(IPluginBase::LookUpHost(name), host) << name;
  EXPECT_EQ(IPluginBase::LookUpHost(nullptr), kHostUnknown);

  // Only the first 255 characters take part.
  std::string longName(300, 'x');
  longName.replace(280, 5, "logic");
  EXPECT_EQ(IPluginBase::LookUpHost(longName.c_str()), kHostUnknown);
}

TEST(PluginHost, SetHostStoresVersionThenCallsHooksInOrder)
{
  TestPlugin p(MakeConfig(0, 0));
  p.SetHost("GarageBand", (10 << 16) | (4 << 8) | 1);
  EXPECT_EQ(p.GetHost(), kHostGarageBand);
  EXPECT_EQ(p.GetHostVersion(true), 100401);
  WDL_String v;
  p.GetHostVersionStr(v);
  EXPECT_STREQ(v.Get(), "v10.4.1");
  EXPECT_EQ(p.hostCalls, (std::vector<int>{1, 2}));
}

// --- state --------------------------------------------------------------------

TEST(PluginState, ParamsRoundTripAsDoublesInIndexOrder)
{
  ThreeParams<> p;
  p.Set(7, -3.5, 1);
  IByteChunk chunk;
  EXPECT_TRUE(p.SerializeState(chunk));
  ASSERT_EQ(chunk.Size(), 24);
  double second = 0;
  chunk.ReadValue(second, 8);
  EXPECT_EQ(second, -3.5);

  ThreeParams<> q;
  EXPECT_EQ(q.UnserializeState(chunk, 0), 24);
  EXPECT_EQ(q.Values(), p.Values());
}

TEST(PluginState, RestoredValuesAreRoundedAndClamped)
{
  ThreeParams<> p;
  IByteChunk chunk;
  chunk.WriteValue(4.6);
  chunk.WriteValue(99.0);
  chunk.WriteValue(0.7);
  p.UnserializeParams(chunk, 0);
  EXPECT_EQ(p.Values(), (std::vector<double>{5, 24, 1}));

  IByteChunk big;
  big.WriteValue(99.0);
  big.WriteValue(std::nan(""));
  big.WriteValue(-1e300);
  p.UnserializeParams(big, 0);
  EXPECT_EQ(p.Values(), (std::vector<double>{12, -24, 0}));
}

TEST(PluginState, TruncatedParamsLeaveTheRestUntouchedAndStillNotify)
{
  ThreeParams<> p;
  p.Set(7, 5.0, 1);
  IByteChunk chunk;
  chunk.WriteValue(2.0);
  chunk.WriteBytes("abc", 3); // half a double
  p.events.clear();
  EXPECT_EQ(p.UnserializeParams(chunk, 0), -1);
  // Parameter 0 is read; the cut one and those after it keep their values.
  EXPECT_EQ(p.Values(), (std::vector<double>{2, 5.0, 1}));
  ASSERT_EQ(p.events.size(), 3u);
  EXPECT_EQ(p.events[0], std::make_pair(0, kPresetRecall));

  p.events.clear();
  EXPECT_EQ(p.UnserializeParams(chunk, -1), -1);
  EXPECT_EQ(p.events.size(), 3u); // notified even when nothing was read
}

TEST(PluginState, ParamResetCallsChangeThenUiPerParameterInOrder)
{
  ThreeParams<> p;
  p.events.clear();
  p.uiEvents.clear();
  p.OnParamReset(kPresetRecall);
  EXPECT_EQ(p.events,
            (std::vector<std::pair<int, EParamSource>>{{0, kPresetRecall}, {1, kPresetRecall}, {2, kPresetRecall}}));
  EXPECT_EQ(p.uiEvents.size(), 3u);
}

TEST(PluginState, EditorRecordInFrontOfParams)
{
  ThreeParams<EditorStatePlugin> p;
  IByteChunk chunk;
  p.SerializeState(chunk);
  EXPECT_EQ(chunk.Size(), 12 + 24); // width 0, height 0, scale 0 before any editor
  int32_t w = -1;
  chunk.ReadValue(w, 0);
  EXPECT_EQ(w, 0);

  // Exactly the editor record: size restored, every parameter kept.
  ThreeParams<EditorStatePlugin> q;
  q.Set(9, 4.0, 1);
  IByteChunk twelve;
  twelve.WriteValue(int32_t{575});
  twelve.WriteValue(int32_t{333});
  twelve.WriteValue(1.5f);
  EXPECT_EQ(q.UnserializeState(twelve, 0), -1);
  EXPECT_EQ(q.width, 575);
  EXPECT_EQ(q.scale, 1.5f);
  EXPECT_EQ(q.Values(), (std::vector<double>{9, 4.0, 1}));

  // Shorter than the record: no parameter changes.
  IByteChunk short8;
  short8.WriteValue(int32_t{1});
  short8.WriteValue(int32_t{2});
  EXPECT_EQ(q.UnserializeState(short8, 0), -1);
  EXPECT_EQ(q.width, 0);
  EXPECT_EQ(q.Values(), (std::vector<double>{9, 4.0, 1}));
}

// --- presets ------------------------------------------------------------------

TEST(PluginPresets, MakePresetReadsIntsAndDoublesByParameterType)
{
  ThreeParams<> p;
  EXPECT_FALSE(p.RestorePreset(-1));
  EXPECT_FALSE(p.RestorePreset(p.NPresets()));
  EXPECT_FALSE(p.RestorePreset("nope"));
  p.MakePreset("Loud", 11, 12.5, 1);
  p.MakePreset("Quiet", 2, -20.0, 0);
  EXPECT_TRUE(p.RestorePreset("Loud"));
  EXPECT_EQ(p.Values(), (std::vector<double>{11, 12.5, 1}));
  EXPECT_EQ(p.GetCurrentPresetIdx(), 0);
  EXPECT_TRUE(p.RestorePreset(1));
  EXPECT_EQ(p.Values(), (std::vector<double>{2, -20.0, 0}));
  EXPECT_EQ(p.GetCurrentPresetIdx(), 1);
  EXPECT_EQ(p.restoreCount, 2);
  EXPECT_EQ(p.presetsModifiedCount, 2);
}

TEST(PluginPresets, NamedParamsTakeCurrentValuesForTheRest)
{
  ThreeParams<> p;
  p.Set(4, 3.0, 1);
  p.MakePresetFromNamedParams("Named", 1, 1, 9.999e-8); // the old marker value is a real value now
  p.MakePresetFromNamedParams("Only two", 1, 1, -6.0);
  p.Set(0, 0, 0);
  p.RestorePreset(0);
  EXPECT_EQ(p.Values(), (std::vector<double>{4, 9.999e-8, 1}));
  p.RestorePreset(1);
  EXPECT_EQ(p.Values(), (std::vector<double>{4, -6.0, 1}));
}

TEST(PluginPresets, EmptySlotCapturesCurrentSettingsAsUserPreset)
{
  ThreeParams<> p(4);
  p.MakeDefaultPreset("user preset 1");
  p.MakeDefaultPreset("my user preset 2");
  p.Set(6, 1.0, 0);
  const auto before = p.Values();
  EXPECT_TRUE(p.RestorePreset(3));
  EXPECT_STREQ(p.GetPresetName(3), "user preset 3");
  EXPECT_EQ(p.Values(), before);
  EXPECT_TRUE(p.GetPreset(3)->mInitialized);
  EXPECT_EQ(p.GetCurrentPresetIdx(), 3);

  p.Set(0, 0, 0);
  EXPECT_TRUE(p.RestorePreset(3));
  EXPECT_EQ(p.Values(), before);
}

TEST(PluginPresets, DefaultsEnsureModifyAndPrune)
{
  ThreeParams<> p(4);
  p.MakeDefaultPreset(nullptr, 1);
  EXPECT_STREQ(p.GetPresetName(0), "Empty");
  p.MakePresetFromChunk("FromChunk", IByteChunk());
  p.EnsureDefaultPreset();
  for (int i = 0; i < 4; ++i)
    EXPECT_TRUE(p.GetPreset(i)->mInitialized);

  ThreeParams<> q(3);
  q.MakePreset("A", 1, 1.0, 0);
  q.MakePreset("B", 2, 2.0, 1);
  // Make the middle slot empty again by loading a bank that says so.
  IByteChunk bank;
  bank.WriteString("A");
  bank.WriteValue(true);
  q.SerializeState(bank);
  bank.WriteString("gap");
  bank.WriteValue(false);
  bank.WriteString("B");
  bank.WriteValue(true);
  q.SerializeState(bank);
  q.UnserializePresets(bank, 0);
  ASSERT_FALSE(q.GetPreset(1)->mInitialized);
  q.PruneUninitializedPresets();
  ASSERT_EQ(q.NPresets(), 2);
  EXPECT_STREQ(q.GetPresetName(0), "A");
  EXPECT_STREQ(q.GetPresetName(1), "B");

  q.RestorePreset(1);
  q.Set(12, 7.0, 0);
  q.ModifyCurrentPreset("B2");
  q.Set(0, 0, 0);
  q.RestorePreset("B2");
  EXPECT_EQ(q.Values(), (std::vector<double>{12, 7.0, 0}));
  q.ModifyCurrentPreset(); // keeps the name
  EXPECT_STREQ(q.GetPresetName(1), "B2");
}

TEST(PluginPresets, BlobDecodesIntoDeclaredSizeZeroFilled)
{
  ThreeParams<> p;
  // 24 bytes declared, blob holds only the first double (1.0).
  p.MakePresetFromBlob("Blob", "AAAAAAAA8D8=", 24);
  ASSERT_EQ(p.GetPreset(0)->mChunk.Size(), 24);
  p.Set(5, 5, 1);
  EXPECT_TRUE(p.RestorePreset(0));
  EXPECT_EQ(p.Values(), (std::vector<double>{1, 0, 0}));

  p.MakePresetFromBlob("Negative", "AAAA", -5);
  EXPECT_EQ(p.GetPreset(1)->mChunk.Size(), 0);
  p.MakePresetFromBlob("Null", nullptr, 8);
  EXPECT_EQ(p.GetPreset(2)->mChunk.Size(), 8);
}

TEST(PluginPresets, BankRoundTripKeepsNamesFlagsAndStates)
{
  ThreeParams<EditorStatePlugin> p(3);
  p.Set(1, 1.0, 1);
  p.MakeDefaultPreset("One");
  p.Set(2, 2.0, 0);
  p.MakeDefaultPreset("Two");
  p.RestorePreset(1); // current preset index travels with the object, not the bank
  IByteChunk bank;
  p.SerializePresets(bank);

  ThreeParams<EditorStatePlugin> q(3);
  q.Set(9, 9, 1);
  const int end = q.UnserializePresets(bank, 0);
  EXPECT_EQ(end, bank.Size());
  EXPECT_STREQ(q.GetPresetName(0), "One");
  EXPECT_STREQ(q.GetPresetName(1), "Two");
  EXPECT_FALSE(q.GetPreset(2)->mInitialized);
  // Slots now hold the plug-in's whole state, not the bare values.
  EXPECT_EQ(q.GetPreset(0)->mChunk.Size(), 12 + 24);
  // The current preset (0) was restored at the end.
  EXPECT_EQ(q.Values(), (std::vector<double>{1, 1.0, 1}));
}

TEST(PluginPresets, TruncatedBankStopsWithoutDamage)
{
  ThreeParams<> p(2);
  p.MakePreset("One", 1, 1.0, 1);
  p.MakePreset("Two", 2, 2.0, 0);
  IByteChunk bank;
  p.SerializePresets(bank);
  for (int cut = 0; cut < bank.Size(); ++cut)
  {
    IByteChunk part;
    part.WriteBytes(bank.Data(), cut);
    ThreeParams<> q(2);
    EXPECT_LE(q.UnserializePresets(part, 0), cut) << cut;
  }
}

TEST(PluginPresets, SlotWhoseStateDoesNotParseKeepsWhatItHad)
{
  ThreeParams<EditorStatePlugin> p(2);
  p.Set(4, 4.0, 1);
  p.MakeDefaultPreset("Kept");
  IByteChunk bank;
  bank.WriteString("Broken");
  bank.WriteValue(true);
  bank.WriteValue(int32_t{1}); // an editor record cut short, no parameters
  EXPECT_EQ(p.UnserializePresets(bank, 0), -1);
  EXPECT_STREQ(p.GetPresetName(0), "Kept");
  EXPECT_TRUE(p.GetPreset(0)->mInitialized);
  EXPECT_FALSE(p.GetPreset(1)->mInitialized); // not claimed as holding a state
  p.Set(0, 0, 0);
  EXPECT_TRUE(p.RestorePreset(0));
  EXPECT_EQ(p.Values(), (std::vector<double>{4, 4.0, 1}));
}

// --- ranges and groups --------------------------------------------------------

TEST(PluginParamRanges, InitCloneAndCopy)
{
  TestPlugin p(MakeConfig(6, 0));
  p.InitParamRange(0, 2, 1, "Band %i", 0.0, -12.0, 12.0, 0.5, "dB", IParam::kFlagStepped, "EQ A");
  EXPECT_STREQ(p.GetParam(0)->GetName(), "Band 1");
  EXPECT_STREQ(p.GetParam(2)->GetName(), "Band 3");
  p.GetParam(1)->SetValue(3.5);

  p.CloneParamRange(0, 2, 3, "Band", "Copy", "EQ B");
  EXPECT_STREQ(p.GetParam(4)->GetName(), "Copy 2");
  EXPECT_STREQ(p.GetParam(4)->GetGroup(), "EQ B");
  EXPECT_EQ(p.GetParam(4)->GetValue(), 3.5);

  p.GetParam(5)->InitInt("Coarse", 0, 0, 2); // destination with narrower rules
  p.GetParam(0)->SetValue(7.5);
  p.GetParam(1)->SetValue(1.5);
  p.CopyParamValues(0, 4, 2);
  EXPECT_EQ(p.GetParam(4)->GetValue(), 7.5);
  EXPECT_EQ(p.GetParam(5)->GetValue(), 2.0); // 1.5 rounded to 2 by the destination

  p.CopyParamValues(0, 5, 100); // beyond the list: ignored, no crash
  p.CloneParamRange(4, 10, 0);

  std::vector<int> seen;
  p.ForParamInRange(-3, 99, [&](int i, IParam&) { seen.push_back(i); });
  EXPECT_EQ(seen.size(), 6u);
}

TEST(PluginParamRanges, GroupsCopyDefaultAndRandomise)
{
  TestPlugin p(MakeConfig(5, 0));
  p.InitParamRange(0, 1, 1, "A%i", 1.0, 0.0, 10.0, 1.0, "", 0, "A");
  p.InitParamRange(2, 3, 1, "B%i", 2.0, 0.0, 5.0, 1.0, "", 0, "B");
  p.GetParam(4)->InitDouble("Other", 0, 0, 1, 0.01);
  p.GetParam(0)->SetValue(9);
  p.GetParam(1)->SetValue(3);
  p.CopyParamValues("A", "B");
  EXPECT_EQ(p.GetParam(2)->GetValue(), 5.0); // clamped to B's range
  EXPECT_EQ(p.GetParam(3)->GetValue(), 3.0);

  p.DefaultParamValues("B");
  EXPECT_EQ(p.GetParam(2)->GetValue(), 2.0);
  EXPECT_EQ(p.GetParam(0)->GetValue(), 9.0);
  p.DefaultParamValues(0, 0);
  EXPECT_EQ(p.GetParam(0)->GetValue(), 1.0);

  std::srand(1);
  p.RandomiseParamValues();
  for (int i = 0; i < 5; ++i)
  {
    const IParam* param = p.GetParam(i);
    EXPECT_GE(param->GetValue(), param->GetMin());
    EXPECT_LE(param->GetValue(), param->GetMax());
  }

  EXPECT_EQ(p.AddParamGroup("B"), 0);
  EXPECT_EQ(p.AddParamGroup("B"), 0); // added once
}
