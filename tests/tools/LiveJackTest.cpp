// The JACK side of 'corvane live' in this process, on a private server: the
// process callback driving the real component allocates nothing; the ports'
// latency ranges carry the unit's latency and follow it; late periods are
// counted as xruns. (A new period and the server's shutdown are checked on
// the program.) This binary counts heap allocations (AllocationCounter.h); libjack
// and the component allocate through the same functions.

#include <gtest/gtest.h>

#include "AllocationCounter.h"
#include "JackTestServer.h"
#include "tools/corvane/ComponentLocator.h"
#include "tools/corvane/HostedUnit.h"
#include "tools/corvane/JackClient.h"
#include "tools/corvane/ToolError.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <thread>

using namespace corvane::host;

namespace {

void* volatile escaped = nullptr;

/** The real unit; from its second period on, counts what the audio thread allocates. */
struct CountingUnit : SliceProcessor
{
  explicit CountingUnit(HostedUnit& unit) : unit(unit) {}
  HostedUnit& unit;
  int calls = 0;
  std::optional<corvane_test::CountingScope> counting;
  void Process(const float* const* in, float* const* out, size_t frames) override { unit.Process(in, out, frames); }
  bool TryProcess(const float* const* in, float* const* out, size_t frames) noexcept override
  {
    if (++calls == 2)
      counting.emplace();
    return unit.TryProcess(in, out, frames);
  }
  int64_t LatencyFrames() override { return unit.LatencyFrames(); }
};

/** Silence in, silence out; sleeps through one period when asked, which the server counts as an xrun. */
struct SlowOnce : SliceProcessor
{
  std::atomic<bool> stall{false};
  void Process(const float* const*, float* const* out, size_t frames) override
  {
    if (stall.exchange(false))
      std::this_thread::sleep_for(std::chrono::milliseconds(40));
    std::fill(out[0], out[0] + frames, 0.f);
    std::fill(out[1], out[1] + frames, 0.f);
  }
  int64_t LatencyFrames() override { return 0; }
};

/** Another client's view of a port's latency range. */
struct Probe
{
  Probe() : client(jack_client_open("probe", JackNoStartServer, nullptr)) {}
  ~Probe()
  {
    if (client)
      jack_client_close(client);
  }
  std::pair<jack_nframes_t, jack_nframes_t> Range(const std::string& port, jack_latency_callback_mode_t mode) const
  {
    jack_latency_range_t range{};
    if (jack_port_t* p = jack_port_by_name(client, port.c_str()))
      jack_port_get_latency_range(p, mode, &range);
    const jack_nframes_t min = range.min, max = range.max;
    return {min, max};
  }
  jack_client_t* client;
};

class LiveJack : public ::testing::Test
{
protected:
  static void SetUpTestSuite() { server = new JackTestServer("live_jack"); }
  static void TearDownTestSuite()
  {
    delete server;
    server = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(server->Running()) << "jackd did not start"; }
  static JackTestServer* server;
};
JackTestServer* LiveJack::server = nullptr;

} // namespace

TEST_F(LiveJack, ProcessCallbackAllocatesNothing)
{
  std::unique_ptr<HostedUnit> unit = HostedUnit::Open(ProgramFolder() + "/Corvane.component");
  CountingUnit counting(*unit);
  LiveEngine engine(counting, 2);
  JackClient client("corvane_alloc", engine);
  unit->Configure(client.SampleRate(), 2, client.Period());
  unit->Initialize();
  engine.Resume(client.SampleRate(), client.Period());
  client.Activate();
  ASSERT_EQ(jack_connect(client.Handle(), "system:capture_1", (client.Name() + ":in_1").c_str()), 0);

#ifndef CORVANE_SANITIZED
  {
    // The hooks count: an allocation made under a counting scope shows.
    const long start = corvane_test::AllocationCount();
    corvane_test::CountingScope scope;
    escaped = new std::vector<int>(10);
    delete static_cast<std::vector<int>*>(escaped);
    ASSERT_GT(corvane_test::AllocationCount(), start);
  }
#endif
  const long before = corvane_test::AllocationCount();
  // Every mode of the engine while the periods run; the latency changes with oversampling.
  for (const auto& [param, value] : std::vector<std::pair<uint32_t, double>>{
         {8, 1}, {0, 12}, {4, 1}, {2, 3}, {3, 4}, {6, 1}, {7, 1}, {8, 0}, {5, 0}})
  {
    unit->SetParameter(param, value);
    const int64_t periods = engine.Periods();
    ASSERT_TRUE(Eventually([&] { return engine.Periods() >= periods + 5; })) << "the process callback stopped";
  }
  [[maybe_unused]] const long allocations = corvane_test::AllocationCount() - before;
  client.Close();
  EXPECT_EQ(engine.Failures(), 0);
  EXPECT_GE(counting.calls, 45);
#ifndef CORVANE_SANITIZED
  EXPECT_EQ(allocations, 0);
#endif
}

TEST_F(LiveJack, PortLatencyCarriesTheUnitsAndFollowsIt)
{
  SlowOnce silent;
  LiveEngine engine(silent, 2);
  JackClient client("corvane_latency", engine);
  client.SetLatency(17);
  client.Activate();
  const std::string name = client.Name();
  Probe probe;
  ASSERT_NE(probe.client, nullptr);

  using Range = std::pair<jack_nframes_t, jack_nframes_t>;
  struct
  {
    const char* step;
    std::function<void()> act;
    Range outCapture, inPlayback;
  } steps[] = {
    {"at start", [] {}, {17, 17}, {17, 17}},
    {"another client opened (a latency pass)", [&] { jack_activate(probe.client); }, {17, 17}, {17, 17}},
    {"the unit's latency changed", [&] { client.SetLatency(81); }, {81, 81}, {81, 81}},
    // The capture ports' own latency (one period) comes before the unit's.
    {"fed from a capture port",
     [&] { jack_connect(probe.client, "system:capture_1", (name + ":in_1").c_str()); },
     {256 + 81, 256 + 81},
     {81, 81}},
    {"back to no latency", [&] { client.SetLatency(0); }, {256, 256}, {0, 0}},
  };
  for (const auto& s : steps)
  {
    s.act();
    EXPECT_TRUE(Eventually([&] {
      return probe.Range(name + ":out_1", JackCaptureLatency) == s.outCapture &&
             probe.Range(name + ":in_1", JackPlaybackLatency) == s.inPlayback;
    }))
      << s.step << ": out_1 capture latency " << probe.Range(name + ":out_1", JackCaptureLatency).first
      << ", in_1 playback latency " << probe.Range(name + ":in_1", JackPlaybackLatency).first;
  }
}

TEST_F(LiveJack, LatePeriodsAreCountedAsXruns)
{
  SlowOnce slow;
  LiveEngine engine(slow, 2);
  JackClient client("corvane_xruns", engine);
  engine.Resume(client.SampleRate(), client.Period());
  client.Activate();
  ASSERT_TRUE(Eventually([&] { return engine.Periods() > 10; }));
  const int64_t before = client.Xruns();
  slow.stall = true;
  EXPECT_TRUE(Eventually([&] { return client.Xruns() > before; })) << "a late period was not counted";
}
