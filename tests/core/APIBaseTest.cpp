#include <gtest/gtest.h>

#include "core/IPlugAPIBase.h"
#include "core/Timer.h"

#include <CoreFoundation/CoreFoundation.h>

#include <memory>
#include <string>
#include <vector>

using namespace iplug;

namespace {

Config MakeConfig(bool hasEditor)
{
  Config config;
  config.paramCount = 3;
  config.presetCount = 0;
  config.channelIO = "2-2";
  config.pluginName = "Probe";
  config.hasEditor = hasEditor;
  config.editorWidth = 300;
  config.editorHeight = 200;
  config.editorMinWidth = 600; // deliberately swapped: stored sorted
  config.editorMaxWidth = 100;
  config.editorMinHeight = 50;
  config.editorMaxHeight = 400;
  return config;
}

// Logs the hooks the API base calls, in order.
class ProbePlugin : public IPlugAPIBase
{
public:
  explicit ProbePlugin(bool hasEditor = true) : IPlugAPIBase(MakeConfig(hasEditor), kAPIAU)
  {
    GetParam(0)->InitDouble("Level", 0.0, -10.0, 10.0, 0.01);
    GetParam(1)->InitInt("Steps", 2, 0, 4);
    GetParam(2)->InitBool("Switch", false);
  }

  using IPlugAPIBase::OnParamChange;
  void OnParamChange(int idx, EParamSource source, int) override
  {
    Log("change " + std::to_string(idx) + " src " + std::to_string(source));
  }
  void OnParamChangeUI(int idx, EParamSource source) override
  {
    Log("changeUI " + std::to_string(idx) + " src " + std::to_string(source));
  }
  void BeginInformHostOfParamChange(int idx) override { Log("begin " + std::to_string(idx)); }
  void EndInformHostOfParamChange(int idx) override { Log("end " + std::to_string(idx)); }
  void InformHostOfParamChange(int idx, double normalized) override
  {
    Log("inform " + std::to_string(idx) + " " + std::to_string(normalized));
  }
  void SendParameterValueFromDelegate(int idx, double value, bool normalized) override
  {
    delivered.push_back({idx, value});
    EXPECT_FALSE(normalized);
  }
  void SendMidiMsgFromDelegate(const IMidiMsg& msg) override { Log("midi " + std::to_string(msg.mStatus)); }
  void SendSysexMsgFromDelegate(const ISysEx& msg) override
  {
    Log("sysex " + std::to_string(msg.mSize) + " " + std::to_string(msg.mData[0]));
  }
  bool EditorResize(int, int) override
  {
    Log("resize");
    return false;
  }
  void OnIdle() override { ++idles; }

  // Processor-side producers, as an adapter's render path would use them.
  void PushMidiFromProcessor(const IMidiMsg& msg) { mMidiMsgsFromProcessor.TryPush(msg); }
  void PushSysExFromProcessor(const SysExData& data) { mSysExDataFromProcessor.TryPush(data); }
  bool PopMidiFromEditor(IMidiMsg& msg) { return mMidiMsgsFromEditor.TryPop(msg); }
  bool PopSysExFromEditor(SysExData& data) { return mSysExDataFromEditor.TryPop(data); }

  void Log(const std::string& line) { log.push_back(line); }
  std::vector<std::string> log;
  std::vector<ParamTuple> delivered;
  int idles = 0;
};

struct ManualTimer : Timer
{
  void Stop() override {}
};

void Tick(ProbePlugin& plugin)
{
  ManualTimer timer;
  plugin.OnTimer(timer);
}

} // namespace

TEST(APIBase, TakesEditorSizeAndSortedLimitsFromTheConfig)
{
  ProbePlugin plugin;
  EXPECT_EQ(plugin.GetEditorWidth(), 300);
  EXPECT_EQ(plugin.GetEditorHeight(), 200);
  EXPECT_EQ(plugin.GetMinWidth(), 100);
  EXPECT_EQ(plugin.GetMaxWidth(), 600);
  EXPECT_EQ(plugin.GetMinHeight(), 50);
  EXPECT_EQ(plugin.GetMaxHeight(), 400);
}

TEST(APIBase, AnEditorGestureReachesHostAndPluginInOrder)
{
  ProbePlugin plugin;
  plugin.BeginInformHostOfParamChangeFromUI(0);
  plugin.SendParameterValueFromUI(0, 0.75);
  plugin.EndInformHostOfParamChangeFromUI(0);
  const std::vector<std::string> expected = {"begin 0", "inform 0 0.750000", "change 0 src 3", "changeUI 0 src 3",
                                             "end 0"};
  EXPECT_EQ(plugin.log, expected);
  EXPECT_DOUBLE_EQ(plugin.GetParam(0)->Value(), 5.0);
}

TEST(APIBase, TimerDeliversHostValuesInRealUnitsThenIdles)
{
  ProbePlugin plugin;
  plugin.SendParameterValueFromAPI(0, 1.0, true); // normalised: becomes 10
  plugin.SendParameterValueFromAPI(1, 3.0, false);
  plugin.PushMidiFromProcessor(IMidiMsg(0, 0x90, 60, 100));
  const uint8_t bytes[] = {0xF0, 0x7E, 0xF7};
  plugin.PushSysExFromProcessor(SysExData(0, 3, bytes));
  Tick(plugin);
  ASSERT_EQ(plugin.delivered.size(), 2u);
  EXPECT_EQ(plugin.delivered[0].idx, 0);
  EXPECT_DOUBLE_EQ(plugin.delivered[0].value, 10.0);
  EXPECT_DOUBLE_EQ(plugin.delivered[1].value, 3.0);
  const std::vector<std::string> expected = {"midi 144", "sysex 3 240"};
  EXPECT_EQ(plugin.log, expected);
  EXPECT_EQ(plugin.idles, 1);
}

TEST(APIBase, ParameterQueueKeepsTheFirst512Changes)
{
  ProbePlugin plugin;
  for (int i = 0; i < 513; ++i)
    plugin.SendParameterValueFromAPI(0, i * 0.01, false);
  Tick(plugin);
  ASSERT_EQ(plugin.delivered.size(), 512u);
  EXPECT_DOUBLE_EQ(plugin.delivered.back().value, 5.11);
}

TEST(APIBase, WithoutAnEditorTheTimerOnlyIdles)
{
  ProbePlugin plugin(false);
  plugin.SendParameterValueFromAPI(0, 1.0, false);
  Tick(plugin);
  Tick(plugin);
  EXPECT_TRUE(plugin.delivered.empty());
  EXPECT_EQ(plugin.idles, 2);
}

TEST(APIBase, EditorMidiAndSysExAreQueuedForTheAudioThread)
{
  ProbePlugin plugin;
  for (int i = 0; i < 40; ++i)
    plugin.SendMidiMsgFromUI(IMidiMsg(i, 0xB0, 1, 2));
  int popped = 0;
  IMidiMsg msg;
  while (plugin.PopMidiFromEditor(msg))
    ++popped;
  EXPECT_EQ(popped, 32);

  plugin.SendSysexMsgFromUI(ISysEx(7, nullptr, 4)); // no data: zero bytes of that size
  SysExData data;
  ASSERT_TRUE(plugin.PopSysExFromEditor(data));
  EXPECT_EQ(data.mOffset, 7);
  EXPECT_EQ(data.mSize, 4);
  EXPECT_EQ(data.mData[0], 0);
}

TEST(APIBase, HostQueriesAndResizeAnswers)
{
  ProbePlugin plugin;
  EXPECT_TRUE(plugin.EditorResizeFromUI(10, 10, false));
  EXPECT_TRUE(plugin.log.empty());
  EXPECT_FALSE(plugin.EditorResizeFromUI(10, 10, true));
  EXPECT_EQ(plugin.log.back(), "resize");

  WDL_TypedBuf<int> important;
  plugin.OnHostRequestingImportantParameters(2, important);
  ASSERT_EQ(important.GetSize(), 2);
  EXPECT_EQ(important.Get()[1], 1);
  plugin.OnHostRequestingImportantParameters(3, important);
  EXPECT_EQ(important.GetSize(), 2);

  EXPECT_TRUE(plugin.OnHostRequestingSupportedViewConfiguration(0, 0));
  EXPECT_FALSE(plugin.OnHostRequestingSupportedViewConfiguration(0, 1));
  char text[8] = "x";
  EXPECT_FALSE(plugin.GetMidiNoteText(60, text));
  EXPECT_STREQ(text, "");
}

TEST(APIBase, CompareStateToleratesFloatRoundingOnly)
{
  ProbePlugin plugin;
  plugin.GetParam(0)->Set(1.2345678);
  IByteChunk chunk;
  chunk.WriteValue(99.0); // one leading double: compare from index 1
  plugin.SerializeParams(chunk);
  EXPECT_TRUE(plugin.CompareState(chunk.Data(), 1));
  plugin.GetParam(0)->Set(1.2346678);
  EXPECT_FALSE(plugin.CompareState(chunk.Data(), 1));
}

TEST(APIBase, TimerRunsOnTheMainRunLoopUntilDestroyed)
{
  auto plugin = std::make_unique<ProbePlugin>(false);
  plugin->CreateTimer();
  CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.07, false);
  const int idles = plugin->idles;
  EXPECT_GE(idles, 1); // at once, then every 20 ms (loose: the machine may be busy)
  EXPECT_LE(idles, 5);
  plugin->CreateTimer(); // replaces: the old one must not fire any more
  CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.03, false);
  EXPECT_LE(plugin->idles - idles, 3);
  plugin.reset();
  CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0.03, false); // nothing left to fire into freed memory
}

TEST(Timer, AFractionalPeriodKeepsItsRateOverTime)
{
  // A frame timer at 60 Hz: whole milliseconds (16 ms) would fire 63 times in a second.
  int firings = 0;
  std::unique_ptr<Timer> timer(Timer::Create([&](Timer&) { ++firings; }, std::chrono::duration<double>(1.0 / 60.0)));
  CFRunLoopRunInMode(kCFRunLoopDefaultMode, 1.0, false);
  timer.reset();
  EXPECT_LE(firings, 61); // at once, then on the 1/60 s grid; never more
  EXPECT_GE(firings, 20); // loose: the machine may be busy
}
