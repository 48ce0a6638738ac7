// 'corvane live --no-editor' as a user runs it, on a private JACK server: a
// test client feeds it a known signal and records what comes back, which
// must be what 'corvane render' makes of the same signal, delayed by the
// unit's latency and nothing more, also after the server changes its
// period. The ports report that latency; a signal or the server's shutdown
// ends the program cleanly with the state saved; without a server it says
// so in one line.

#include "AudioFiles.h"
#include "JackTestServer.h"
#include "ProgramRun.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <jack/jack.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <fcntl.h>
#include <regex>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

namespace {

constexpr int kRate = 48000;

/** `corvane live` running in the background, its output going to files. */
class LiveProcess
{
public:
  LiveProcess(const std::string& program, const std::vector<std::string>& args, const TempFolder& logs)
  : mOut(logs.Path("live.out"))
  , mErr(logs.Path("live.err"))
  {
    std::vector<std::string> all{program, "live"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all)
      argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, mOut.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&files, 2, mErr.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (posix_spawn(&mPid, program.c_str(), &files, nullptr, argv.data(), environ) != 0)
      mPid = 0;
    posix_spawn_file_actions_destroy(&files);
  }
  ~LiveProcess()
  {
    if (mPid > 0)
    {
      kill(mPid, SIGKILL);
      waitpid(mPid, nullptr, 0);
    }
  }

  /** The start line, once printed; empty when the program ended or took too long. */
  std::string StartLine()
  {
    std::string line;
    Eventually([&] {
      const std::string out = Slurp(mOut);
      if (out.find('\n') != std::string::npos)
        line = out.substr(0, out.find('\n'));
      return !line.empty() || Exited();
    });
    return line;
  }

  /** Sends `signal` (none: 0) and returns the exit status, or -1 when it does not end. */
  int Stop(int signal)
  {
    if (signal)
      kill(mPid, signal);
    Eventually([&] { return Exited(); });
    const int status = mStatus;
    return status;
  }

  std::string Out() const { return Slurp(mOut); }
  std::string Err() const { return Slurp(mErr); }

private:
  bool Exited()
  {
    int raw = 0;
    if (mPid <= 0 || waitpid(mPid, &raw, WNOHANG) != mPid)
      return mPid <= 0;
    mStatus = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    mPid = 0;
    return true;
  }

  std::string mOut, mErr;
  pid_t mPid = 0;
  int mStatus = -1;
};

struct LatencyRange
{
  jack_nframes_t min, max;
  bool operator==(const LatencyRange&) const = default;
};

/** Two clients of the test: one plays a signal into corvane, one records what comes out. By the
    connections the server runs them in one cycle around corvane's, so both count frames from the
    same start. */
class SignalTap
{
public:
  SignalTap(const std::string& corvane, const std::vector<std::vector<float>>& signal, size_t recordFrames)
  : mSignal(signal)
  , mRecorded(signal.size(), std::vector<float>(recordFrames, 0.f))
  {
    mSource = jack_client_open("tap_source", JackNoStartServer, nullptr);
    mSink = jack_client_open("tap_sink", JackNoStartServer, nullptr);
    if (!mSource || !mSink)
      return;
    for (size_t c = 1; c <= signal.size(); ++c)
    {
      mOuts.push_back(jack_port_register(mSource, ("out_" + std::to_string(c)).c_str(), JACK_DEFAULT_AUDIO_TYPE,
                                         JackPortIsOutput, 0));
      mIns.push_back(
        jack_port_register(mSink, ("in_" + std::to_string(c)).c_str(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0));
    }
    jack_set_process_callback(mSource, Play, this);
    jack_set_process_callback(mSink, Record, this);
    mReady = !jack_activate(mSource) && !jack_activate(mSink);
    for (size_t c = 0; c < signal.size() && mReady; ++c)
    {
      const std::string n = std::to_string(c + 1);
      mReady = !jack_connect(mSource, jack_port_name(mOuts[c]), (corvane + ":in_" + n).c_str()) &&
               !jack_connect(mSink, (corvane + ":out_" + n).c_str(), jack_port_name(mIns[c]));
    }
  }
  ~SignalTap()
  {
    for (jack_client_t* c : {mSource, mSink})
      if (c)
        jack_client_close(c);
  }

  bool Ready() const { return mReady; }
  jack_client_t* Client() const { return mSource; }

  /** Plays the signal from the next period on and records until the recording is full. A run
      in which the recorder missed a cycle (a busy machine) is run again. */
  std::vector<std::vector<float>> Run()
  {
    for (int attempt = 0; attempt < 10; ++attempt)
    {
      for (auto& channel : mRecorded)
        std::fill(channel.begin(), channel.end(), 0.f);
      mRecordedFrames = 0;
      mGap = false;
      mStart = -1;
      mArmed = true;
      Eventually([&] { return mRecordedFrames.load() >= static_cast<int64_t>(mRecorded[0].size()); });
      mArmed = false;
      mStart = -1;
      if (!mGap)
        break;
      ++mRepeats;
    }
    return mRecorded;
  }
  int Repeats() const { return mRepeats; }

  /** The latency range another client sees on `port`. */
  LatencyRange Latency(const std::string& port, jack_latency_callback_mode_t mode) const
  {
    jack_latency_range_t range{};
    if (jack_port_t* p = jack_port_by_name(mSource, port.c_str()))
      jack_port_get_latency_range(p, mode, &range);
    return {range.min, range.max};
  }

private:
  static int Play(jack_nframes_t frames, void* arg)
  {
    auto* self = static_cast<SignalTap*>(arg);
    const int64_t now = jack_last_frame_time(self->mSource);
    if (self->mArmed && self->mStart < 0)
      self->mStart = now;
    const int64_t start = self->mStart;
    for (size_t c = 0; c < self->mOuts.size(); ++c)
    {
      auto* out = static_cast<float*>(jack_port_get_buffer(self->mOuts[c], frames));
      const std::vector<float>& signal = self->mSignal[c];
      for (jack_nframes_t i = 0; i < frames; ++i)
      {
        const int64_t at = now + i - start;
        out[i] = start >= 0 && at < static_cast<int64_t>(signal.size()) ? signal[static_cast<size_t>(at)] : 0.f;
      }
    }
    return 0;
  }

  static int Record(jack_nframes_t frames, void* arg)
  {
    auto* self = static_cast<SignalTap*>(arg);
    const int64_t start = self->mStart;
    if (start < 0)
      return 0;
    const int64_t at = jack_last_frame_time(self->mSink) - start;
    const int64_t length = static_cast<int64_t>(self->mRecorded[0].size());
    if (at != self->mRecordedFrames)
      self->mGap = true;
    for (size_t c = 0; c < self->mIns.size(); ++c)
    {
      const auto* in = static_cast<const float*>(jack_port_get_buffer(self->mIns[c], frames));
      for (jack_nframes_t i = 0; i < frames; ++i)
        if (at + i >= 0 && at + i < length)
          self->mRecorded[c][static_cast<size_t>(at + i)] = in[i];
    }
    self->mRecordedFrames = at + frames;
    return 0;
  }

  std::vector<std::vector<float>> mSignal;
  std::vector<std::vector<float>> mRecorded;
  std::atomic<bool> mGap{false};
  int mRepeats = 0;
  jack_client_t* mSource = nullptr;
  jack_client_t* mSink = nullptr;
  std::vector<jack_port_t*> mOuts, mIns;
  bool mReady = false;
  std::atomic<bool> mArmed{false};
  std::atomic<int64_t> mStart{-1};
  std::atomic<int64_t> mRecordedFrames{0};
};

// Tones and a noise burst at a level that drives the saturator, different on each channel.
std::vector<std::vector<float>> TestSignal(int channels, size_t frames)
{
  std::vector<std::vector<float>> d(static_cast<size_t>(channels), std::vector<float>(frames));
  uint32_t x = 7;
  for (int c = 0; c < channels; ++c)
    for (size_t i = 0; i < frames; ++i)
    {
      x = x * 1664525u + 1013904223u;
      const double t = static_cast<double>(i) / kRate;
      const double noise = i > frames / 2 ? 0.2 * (static_cast<double>(x >> 8) / 16777216.0 - 0.5) : 0.0;
      d[static_cast<size_t>(c)][i] = static_cast<float>(0.3 * std::sin(2 * M_PI * (220.0 + 110.0 * c) * t) +
                                                        0.1 * std::sin(2 * M_PI * 3150 * t) + noise);
    }
  return d;
}

/** The largest difference between `recorded` delayed by `lag` and `expected`. */
double Difference(const std::vector<std::vector<float>>& recorded, const std::vector<std::vector<float>>& expected,
                  size_t lag)
{
  double worst = 0.0;
  for (size_t c = 0; c < expected.size(); ++c)
    for (size_t i = 0; i < expected[c].size(); ++i)
      worst = std::max(worst, std::fabs(static_cast<double>(recorded[c][i + lag]) - expected[c][i]));
  return worst;
}

int LatencyOf(const std::string& text)
{
  std::smatch m;
  return std::regex_search(text, m, std::regex("latency:? +([0-9]+) samples")) ? std::stoi(m[1]) : -1;
}

class LiveProgram : public CorvaneProgram
{
protected:
  static void SetUpTestSuite() { server = new JackTestServer("live_program"); }
  static void TearDownTestSuite()
  {
    delete server;
    server = nullptr;
  }
  static JackTestServer* server;
};
JackTestServer* LiveProgram::server = nullptr;

} // namespace

TEST_F(LiveProgram, EveryFailedStartIsOneLine)
{
  // No server runs under this name: what is wrong with the command line or the state
  // file is said before the server is looked for, and no server is started.
  const std::string nobody = "corvane_nobody_" + std::to_string(getpid());
  setenv("JACK_DEFAULT_SERVER", nobody.c_str(), 1);
  const struct
  {
    std::string args;
    int status;
    std::string error;
  } cases[] = {
    {"--no-editor", 1, "corvane: no JACK server: start jackd or PipeWire's JACK\n"},
    {"--no-editor --name", 2, "corvane: option --name needs a value (see 'corvane live --help')\n"},
    {"--no-editor --name=", 2, "corvane: empty JACK client name (see 'corvane live --help')\n"},
    {"--no-editor --name " + std::string(64, 'x'), 2,
     "corvane: the JACK client name is longer than 63 bytes (see 'corvane live --help')\n"},
    {"--no-editor --play x.wav", 2, "corvane: unexpected argument '--play' (see 'corvane live --help')\n"},
    {"--no-editor -p Drive=3", 2, "corvane: "},
    {"--no-editor --state " + P("missing.aupreset"), 1, "corvane: "},
    {"--no-editor --save-state " + P("no/such/folder.aupreset"), 1, "corvane: "},
  };
  for (const auto& c : cases)
  {
    const Outcome o = Corvane("live " + c.args);
    EXPECT_EQ(o.status, c.status) << c.args;
    EXPECT_THAT(o.err, StartsWith(c.error)) << c.args;
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
    if (&c != &cases[0])
    {
      EXPECT_THAT(o.err, Not(HasSubstr("JACK server"))) << c.args;
    }
    EXPECT_EQ(o.out, "") << c.args;
  }
  jack_set_error_function([](const char*) {});
  jack_client_t* client = jack_client_open("probe", JackNoStartServer, nullptr);
  setenv("JACK_DEFAULT_SERVER", server->Name().c_str(), 1);
  EXPECT_EQ(client, nullptr) << "a server was started";
  if (client)
    jack_client_close(client);
  EXPECT_THAT(dir.Names(), ::testing::IsEmpty());
}

TEST_F(LiveProgram, PlaysWhatRenderMakesDelayedByTheLatencyAlone)
{
  ASSERT_TRUE(server->Running()) << "jackd did not start";
  // Two sessions, each from a saved state with a setting on top: stereo with oversampling on,
  // mono with it off; each stopped by another signal.
  struct
  {
    const char* name;
    const char* oversampling;
    int channels;
    std::vector<std::string> settings;
    std::vector<std::string> liveOptions;
    int signal;
    const char* stopped;
  } cases[] = {
    {"stereo, oversampling on", "on", 2, {"-p", "Gain=25dB"}, {"--connect"}, SIGTERM, "stopped: terminated; "},
    {"mono, oversampling off",
     "off",
     1,
     {"-p", "Phase=on"},
     {"--mono", "--name", "mic 1"},
     SIGINT,
     "stopped: interrupted; "},
  };
  const size_t frames = kRate / 2;
  for (const auto& c : cases)
  {
    SCOPED_TRACE(c.name);
    const std::string state = dir.Path(std::string("start-") + c.oversampling + ".aupreset");
    ASSERT_EQ(Corvane("state --save " + Quote(state) +
                      " -p 'Lowpass Filter=8kHz' -p 'Filter Bypass=1' -p 'Mic Pre=1' -p Oversampling=" + c.oversampling)
                .status,
              0);
    std::string settings = " --state " + Quote(state);
    for (const std::string& s : c.settings)
      settings += " " + Quote(s);
    // What the other commands make of the same settings.
    const auto signal = TestSignal(c.channels, frames);
    WriteAudioFile(dir.Path("in.wav"), kRate, signal);
    const Outcome render = Corvane("render -q " + P("in.wav") + " -o " + P("out.wav") + settings);
    ASSERT_EQ(render.status, 0) << render.err;
    const auto expected = ReadAudioFile(dir.Path("out.wav"));
    const Outcome info = Corvane("info" + settings);
    const int latency = LatencyOf(info.out);
    ASSERT_GE(latency, 0) << info.out;
    ASSERT_EQ(Corvane("state --save " + P("expected.aupreset") + settings).status, 0);

    std::vector<std::string> args{"--no-editor", "--state", state, "--save-state", dir.Path("saved.aupreset")};
    args.insert(args.end(), c.settings.begin(), c.settings.end());
    args.insert(args.end(), c.liveOptions.begin(), c.liveOptions.end());
    LiveProcess live(program, args, logs);
    const std::string start = live.StartLine();
    ASSERT_FALSE(start.empty()) << live.Err();
    EXPECT_EQ(LatencyOf(start), latency) << start;
    const std::string client = c.channels == 1 ? "mic 1" : "corvane";
    EXPECT_THAT(start, StartsWith("client '" + client + "' running at 48000 Hz, period 256 frames, "));

    SignalTap tap(client, signal, frames + static_cast<size_t>(latency) + 1024);
    ASSERT_TRUE(tap.Ready());
    // The unit's latency on top of what feeds the port: the tap, and with --connect a capture port too.
    const jack_nframes_t fed =
      c.liveOptions[0] == "--connect" ? tap.Latency("system:capture_1", JackCaptureLatency).max : 0;
    const LatencyRange want{static_cast<jack_nframes_t>(latency), fed + latency};
    EXPECT_TRUE(Eventually([&] { return tap.Latency(client + ":out_1", JackCaptureLatency) == want; }))
      << "out_1 reports " << tap.Latency(client + ":out_1", JackCaptureLatency).min << " to "
      << tap.Latency(client + ":out_1", JackCaptureLatency).max;

    // Twice: at the server's period, then at another, where the unit must run with the same settings.
    for (const jack_nframes_t period : {256u, 128u})
    {
      SCOPED_TRACE("period " + std::to_string(period));
      if (period != jack_get_buffer_size(tap.Client()))
      {
        ASSERT_EQ(jack_set_buffer_size(tap.Client(), period), 0);
        const std::string line = "now at 48000 Hz, period " + std::to_string(period) + " frames, latency " +
                                 std::to_string(latency) + " samples\n";
        ASSERT_TRUE(Eventually([&] { return live.Out().find(line) != std::string::npos; })) << live.Out();
        // What the last run left in the unit's slowest filter dies away.
        std::this_thread::sleep_for(std::chrono::seconds(1));
      }
      const auto recorded = tap.Run();
      EXPECT_LE(Difference(recorded, expected, static_cast<size_t>(latency)), 1e-6)
        << tap.Repeats() << " runs repeated";
    }
    jack_set_buffer_size(tap.Client(), 256);

    EXPECT_EQ(live.Stop(c.signal), 0) << live.Err();
    EXPECT_THAT(live.Out(), HasSubstr("\n" + std::string(c.stopped)));
    EXPECT_EQ(Slurp(dir.Path("saved.aupreset")), Slurp(dir.Path("expected.aupreset")));
  }
}

TEST_F(LiveProgram, TheServerShuttingDownEndsItCleanly)
{
  JackTestServer own("live_shutdown", false);
  ASSERT_TRUE(own.Running());
  setenv("JACK_DEFAULT_SERVER", own.Name().c_str(), 1);
  LiveProcess live(program, {"--no-editor", "-p", "Gain=30dB", "--save-state", dir.Path("saved.aupreset")}, logs);
  const std::string start = live.StartLine();
  setenv("JACK_DEFAULT_SERVER", server->Name().c_str(), 1);
  ASSERT_FALSE(start.empty()) << live.Err();
  own.Stop();
  EXPECT_EQ(live.Stop(0), 0) << live.Err();
  EXPECT_THAT(live.Out(), HasSubstr("\nstopped: the JACK server shut down; "));
  EXPECT_EQ(live.Err(), "");
  ASSERT_EQ(Corvane("state --save " + P("expected.aupreset") + " -p Gain=30dB").status, 0);
  EXPECT_EQ(Slurp(dir.Path("saved.aupreset")), Slurp(dir.Path("expected.aupreset")));
}
