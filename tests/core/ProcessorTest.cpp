#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "core/IPlugProcessor.h"

using namespace iplug;

namespace {
Config IOConfigFor(const char* channelIO, int kind = kEffect, bool midiIn = false)
{
  Config c;
  c.channelIO = channelIO;
  c.pluginKind = kind;
  c.midiIn = midiIn;
  c.latency = 81;
  return c;
}

class TestProcessor : public IPlugProcessor
{
public:
  explicit TestProcessor(const Config& c) : IPlugProcessor(c, kAPIAU) {}
  bool SendMidiMsg(const IMidiMsg& msg) override
  {
    sent.push_back(msg.mStatus);
    return msg.mStatus != 0xFF;
  }
  std::vector<int> sent;
};

// Records what ProcessBlock saw and writes a known signal.
class GainProcessor : public TestProcessor
{
public:
  using TestProcessor::TestProcessor;
  void ProcessBlock(double** inputs, double** outputs, int nFrames) override
  {
    seenInputs.assign(inputs, inputs + MaxNChannels(kInput));
    frames = nFrames;
    for (int c = 0; c < MaxNChannels(kOutput); ++c)
      for (int s = 0; s < nFrames; ++s)
        outputs[c][s] = 2.0 * inputs[c][s];
  }
  std::vector<double*> seenInputs;
  int frames = -1;
};

int Parse(const char* text, WDL_PtrList_OwningDelete<IOConfig>& configs, int (&totals)[4])
{
  return IPlugProcessor::ParseChannelIOStr(text, configs, totals[0], totals[1], totals[2], totals[3]);
}
} // namespace

// --- channel I/O strings ------------------------------------------------------

TEST(ChannelIOString, MonoAndStereoLayouts)
{
  TestProcessor p(IOConfigFor("1-1 2-2"));
  EXPECT_EQ(p.NIOConfigs(), 2);
  EXPECT_TRUE(p.LegalIO(1, 1));
  EXPECT_TRUE(p.LegalIO(2, 2));
  EXPECT_FALSE(p.LegalIO(1, 2));
  EXPECT_TRUE(p.LegalIO(-1, 2));
  EXPECT_TRUE(p.LegalIO(1, -1));
  EXPECT_FALSE(p.LegalIO(3, -1));
  EXPECT_EQ(p.MaxNBuses(kInput), 1);
  int idx = -1;
  EXPECT_EQ(p.MaxNBuses(kOutput, &idx), 1);
  EXPECT_EQ(idx, 1); // last on a tie
  EXPECT_EQ(p.MaxNChannelsForBus(kOutput, 0), 2);
  EXPECT_EQ(p.MaxNChannelsForBus(kOutput, 1), 0);
  EXPECT_EQ(p.MaxNChannels(kInput), 2);
  EXPECT_EQ(p.MaxNChannels(kOutput), 2);
}

TEST(ChannelIOString, BusesWildcardsZerosAndSpaces)
{
  WDL_PtrList_OwningDelete<IOConfig> configs;
  int totals[4];
  EXPECT_EQ(Parse("  2.2-2   0-1 ", configs, totals), 2);
  EXPECT_EQ(totals[0], 4);
  EXPECT_EQ(totals[1], 2);
  EXPECT_EQ(totals[2], 2);
  EXPECT_EQ(totals[3], 1);
  EXPECT_EQ(configs.Get(0)->NBuses(kInput), 2);
  EXPECT_EQ(configs.Get(1)->NBuses(kInput), 0); // "0" makes no bus

  WDL_PtrList_OwningDelete<IOConfig> wild;
  EXPECT_EQ(Parse("*-*", wild, totals), 1);
  EXPECT_EQ(totals[0], 0); // a wildcard never raises a total
  EXPECT_EQ(totals[1], 0);
  EXPECT_EQ(wild.Get(0)->GetTotalNChannels(kInput), kWildcardChannels);
  TestProcessor p(IOConfigFor("*-*"));
  EXPECT_EQ(p.MaxNChannelsForBus(kInput, 0), -1);
  EXPECT_EQ(p.MaxNChannelsForBus(kOutput, 0), -1);

  WDL_PtrList_OwningDelete<IOConfig> odd;
  EXPECT_EQ(Parse("x-2 1-1 1-1 3", odd, totals), 4); // junk is 0, duplicates kept, missing output part
  EXPECT_EQ(odd.Get(0)->NBuses(kInput), 0);
  EXPECT_EQ(odd.Get(3)->NBuses(kOutput), 0);
  EXPECT_EQ(totals[0], 3);

  WDL_PtrList_OwningDelete<IOConfig> huge;
  Parse("99999999999-1 4000.4000-1", huge, totals);
  EXPECT_EQ(totals[0], 4000); // a bus that would pass 4096 channels is left out
  EXPECT_EQ(huge.Get(1)->NBuses(kInput), 1);

  WDL_PtrList_OwningDelete<IOConfig> negative;
  Parse("1--1", negative, totals);
  EXPECT_EQ(negative.Get(0)->NBuses(kOutput), 0); // a negative count is no bus
}

TEST(ChannelIOString, EmptyStringGivesNoLayoutsAndSafeQueries)
{
  TestProcessor p(IOConfigFor(""));
  EXPECT_EQ(p.NIOConfigs(), 0);
  EXPECT_FALSE(p.LegalIO(-1, -1));
  EXPECT_EQ(p.MaxNBuses(kInput), 0);
  EXPECT_EQ(p.MaxNChannelsForBus(kInput, 0), 0);
  p.SetBlockSize(16);
  p.ProcessBuffers(0.f, 16);
}

TEST(ChannelIOString, FindsLayoutByExactBusCounts)
{
  TestProcessor p(IOConfigFor("1-1 2-2 2.2-2"));
  WDL_TypedBuf<int> in, out;
  in.Add(2);
  out.Add(2);
  EXPECT_EQ(p.GetIOConfigWithChanCounts(in, out), 1);
  in.Add(2);
  EXPECT_EQ(p.GetIOConfigWithChanCounts(in, out), 2);
  out.Add(1);
  EXPECT_EQ(p.GetIOConfigWithChanCounts(in, out), -1);
}

// --- names, labels and context --------------------------------------------------

TEST(ProcessorNames, BusNamesAndChannelLabels)
{
  TestProcessor p(IOConfigFor("2-2"));
  WDL_String s;
  p.GetBusName(kInput, 1, 2, s);
  EXPECT_STREQ(s.Get(), "Aux");
  p.GetBusName(kInput, 2, 3, s);
  EXPECT_STREQ(s.Get(), "Input 2");
  p.GetBusName(kOutput, 0, 3, s);
  EXPECT_STREQ(s.Get(), "Output 0");

  p.SetChannelLabel(kInput, 1, "In %i");
  EXPECT_STREQ(p.GetChannelLabel(kInput, 1), "In 2");
  p.SetChannelLabel(kOutput, 1, "Out %i", true);
  EXPECT_STREQ(p.GetChannelLabel(kOutput, 1), "Out 1");
  p.SetChannelLabel(kOutput, 5, "ignored %i"); // no such channel
}

TEST(ProcessorContext, TempoAndComponentType)
{
  TestProcessor p(IOConfigFor("1-1"));
  EXPECT_DOUBLE_EQ(p.GetSamplesPerBeat(), 24000.0);
  ITimeInfo t;
  t.mTempo = 0;
  p.SetTimeInfo(t);
  EXPECT_EQ(p.GetSamplesPerBeat(), 0.0);
  EXPECT_EQ(p.GetAUPluginType(), 0x61756678);                                                // aufx
  EXPECT_EQ(TestProcessor(IOConfigFor("1-1", kEffect, true)).GetAUPluginType(), 0x61756d66); // aumf
  EXPECT_EQ(TestProcessor(IOConfigFor("1-1", 7)).GetAUPluginType(), 0x61756678);
}

TEST(ProcessorMidi, SendingAListReportsAnyFailureButSendsAll)
{
  TestProcessor p(IOConfigFor("1-1"));
  WDL_TypedBuf<IMidiMsg> msgs;
  EXPECT_TRUE(p.SendMidiMsgs(msgs));
  msgs.Add(IMidiMsg(0, 0xFF, 0, 0));
  msgs.Add(IMidiMsg(0, 0x80, 60, 0));
  EXPECT_FALSE(p.SendMidiMsgs(msgs));
  EXPECT_EQ(p.sent, (std::vector<int>{0xFF, 0x80}));
}

// --- buffers --------------------------------------------------------------------

TEST(ProcessorBuffers, UnconnectedChannelsReadZerosAndAreNotCopiedOut)
{
  GainProcessor p(IOConfigFor("2-2"));
  p.SetBlockSize(8);
  p.SetChannelConnections(kInput, 0, 2, false);
  p.SetChannelConnections(kOutput, 0, 2, false);
  p.SetChannelConnections(kInput, 0, 1, true);
  p.SetChannelConnections(kOutput, 0, 1, true);
  EXPECT_EQ(p.NChannelsConnected(kInput), 1);

  std::vector<float> in0(8, 0.25f), out0(8, -1.f);
  float* ins[] = {in0.data()};
  float* outs[] = {out0.data()};
  p.AttachBuffers(kInput, 0, 2, ins, 8);
  p.AttachBuffers(kOutput, 0, 2, outs, 8);
  p.ProcessBuffers(0.f, 8);
  for (int s = 0; s < 8; ++s)
    EXPECT_EQ(p.seenInputs[1][s], 0.0);
  EXPECT_EQ(out0[7], 0.5f);
}

TEST(ProcessorBuffers, BlockSizeChangeKeepsSlotsValidAndSameSizeKeepsContents)
{
  GainProcessor p(IOConfigFor("1-1"));
  p.SetBlockSize(4);
  p.SetChannelConnections(kInput, 0, 1, false);
  p.SetBlockSize(64); // reallocates: the unconnected slot must follow
  std::vector<float> out(64);
  float* outs[] = {out.data()};
  p.SetChannelConnections(kOutput, 0, 1, true);
  p.AttachBuffers(kOutput, 0, 1, outs, 64);
  p.ProcessBuffers(0.f, 64);
  EXPECT_EQ(p.frames, 64);
  EXPECT_EQ(out[63], 0.f);

  // Same size again: scratch contents survive.
  p.SetChannelConnections(kInput, 0, 1, true);
  std::vector<float> in(64, 1.f);
  float* ins[] = {in.data()};
  p.AttachBuffers(kInput, 0, 1, ins, 64);
  p.SetBlockSize(64);
  EXPECT_EQ(p.seenInputs.size(), 1u);
  p.ProcessBuffers(0.f, 64);
  EXPECT_EQ(out[10], 2.f);

  // Asking for more frames than the block size processes only what fits.
  p.ProcessBuffers(0.f, 1000);
  EXPECT_EQ(p.frames, 64);
}

TEST(ProcessorBuffers, BypassCopiesInputsAndSilencesTheRest)
{
  GainProcessor p(IOConfigFor("1-2"));
  p.SetBlockSize(4);
  p.SetChannelConnections(kInput, 0, 1, true);
  p.SetChannelConnections(kOutput, 0, 2, true);
  std::vector<float> in = {1, 2, 3, 4}, o0(4, 9.f), o1(4, 9.f);
  float* ins[] = {in.data()};
  float* outs[] = {o0.data(), o1.data()};
  p.AttachBuffers(kInput, 0, 1, ins, 4);
  p.AttachBuffers(kOutput, 0, 2, outs, 4);
  p.PassThroughBuffers(0.f, 4);
  EXPECT_EQ(o0, in);
  EXPECT_EQ(o1, std::vector<float>(4, 0.f));
  EXPECT_EQ(p.frames, -1); // the plug-in's ProcessBlock did not run
}

TEST(ProcessorBuffers, AccumulatingAddsAndDoublePathUsesHostBuffers)
{
  GainProcessor p(IOConfigFor("1-1"));
  p.SetBlockSize(3);
  p.SetChannelConnections(kInput, 0, 1, true);
  p.SetChannelConnections(kOutput, 0, 1, true);
  std::vector<float> in = {1, 2, 3}, out = {10, 10, 10};
  float* ins[] = {in.data()};
  float* outs[] = {out.data()};
  p.AttachBuffers(kInput, 0, 1, ins, 3);
  p.AttachBuffers(kOutput, 0, 1, outs, 3);
  p.ProcessBuffersAccumulating(3);
  EXPECT_EQ(out, (std::vector<float>{12, 14, 16}));

  std::vector<double> din = {1, 2, 3}, dout(3, 0.0);
  double* dins[] = {din.data()};
  double* douts[] = {dout.data()};
  p.AttachBuffers(kInput, 0, 1, dins, 3);
  p.AttachBuffers(kOutput, 0, 1, douts, 3);
  p.ProcessBuffers(0.0, 3);
  EXPECT_EQ(p.seenInputs[0], din.data()); // used in place, no copy
  EXPECT_EQ(dout, (std::vector<double>{2, 4, 6}));
}

TEST(ProcessorBuffers, OutputBeyondSinglePrecisionClipsAndNaNBecomesSilence)
{
  constexpr float kMax = std::numeric_limits<float>::max();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  GainProcessor p(IOConfigFor("1-1"));
  p.SetBlockSize(4);
  p.SetChannelConnections(kInput, 0, 1, true);
  p.SetChannelConnections(kOutput, 0, 1, true);
  std::vector<float> in = {kMax, -kMax, nan, 1.f};
  float* ins[] = {in.data()};
  for (const bool accumulate : {false, true})
  {
    std::vector<float> out = {kMax, -kMax, 0.f, 0.f};
    float* outs[] = {out.data()};
    p.AttachBuffers(kInput, 0, 1, ins, 4);
    p.AttachBuffers(kOutput, 0, 1, outs, 4);
    accumulate ? p.ProcessBuffersAccumulating(4) : p.ProcessBuffers(0.f, 4);
    EXPECT_EQ(out, (std::vector<float>{kMax, -kMax, 0.f, 2.f})) << "accumulating: " << accumulate;
  }
}

TEST(ProcessorBuffers, OutOfRangeChannelRangesAreClamped)
{
  GainProcessor p(IOConfigFor("2-2"));
  p.SetBlockSize(2);
  p.SetChannelConnections(kInput, -5, 100, true);
  EXPECT_EQ(p.NChannelsConnected(kInput), 2);
  p.SetChannelConnections(kInput, 1, 0x7FFFFFFF, false);
  EXPECT_EQ(p.NChannelsConnected(kInput), 1);
  p.AttachBuffers(kInput, 0, 2, static_cast<float**>(nullptr), 2); // null host list reads as silence
  p.ZeroScratchBuffers();
  EXPECT_FALSE(p.IsChannelConnected(kOutput, 9));
}
