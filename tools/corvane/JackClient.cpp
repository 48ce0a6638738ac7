#include "tools/corvane/JackClient.h"

#include "tools/corvane/ToolError.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <memory>

namespace corvane::host {
namespace {

void Quiet(const char*) {}

std::string OpenFailure(const std::string& name, jack_status_t status)
{
  if (status & JackServerFailed)
    return "no JACK server: start jackd or PipeWire's JACK";
  if (status & JackVersionError)
    return "the JACK server speaks another protocol version than this program's libjack";
  if (status & (JackInvalidOption | JackNameNotUnique))
    return "the JACK server refused the client name '" + name + "'";
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%x", static_cast<unsigned>(status));
  return "cannot open JACK client '" + name + "' (status " + hex + ")";
}

// Ports given by jack_get_ports, freed with jack_free.
using PortNames = std::unique_ptr<const char*, void (*)(const char**)>;
PortNames PhysicalPorts(jack_client_t* client, unsigned long direction)
{
  return PortNames(jack_get_ports(client, nullptr, JACK_DEFAULT_AUDIO_TYPE, JackPortIsPhysical | direction),
                   [](const char** names) { jack_free(names); });
}

} // namespace

JackClient::JackClient(const std::string& name, LiveEngine& engine) : mEngine(engine)
{
  // libjack tells of a missing server, or of one that went away, in several lines of its
  // own, some from its threads; the client says what happened in one.
  jack_set_error_function(Quiet);
  jack_set_info_function(Quiet);
  jack_status_t status{};
  mClient = jack_client_open(name.c_str(), JackNoStartServer, &status);
  if (!mClient)
  {
    Close();
    throw ToolError(OpenFailure(name, status));
  }
  try
  {
    for (int c = 1; c <= engine.Channels(); ++c)
      for (const bool input : {true, false})
      {
        const std::string port = (input ? "in_" : "out_") + std::to_string(c);
        jack_port_t* p = jack_port_register(mClient, port.c_str(), JACK_DEFAULT_AUDIO_TYPE,
                                            input ? JackPortIsInput : JackPortIsOutput, 0);
        if (!p)
          throw ToolError("the JACK server refused the port '" + port + "'");
        (input ? mInputs : mOutputs).push_back(p);
      }
    mSampleRate = jack_get_sample_rate(mClient);
    mPeriod = static_cast<int>(jack_get_buffer_size(mClient));
    mEngine.SetStreamRate(mSampleRate);
    if (jack_set_process_callback(mClient, OnProcess, this) ||
        jack_set_sample_rate_callback(mClient, OnSampleRate, this) ||
        jack_set_buffer_size_callback(mClient, OnBufferSize, this) || jack_set_xrun_callback(mClient, OnXrun, this) ||
        jack_set_latency_callback(mClient, OnLatency, this))
      throw ToolError("the JACK server refused the client's callbacks");
    jack_on_info_shutdown(mClient, OnShutdown, this);
    // The rate and period known now are the ones the processor is set up for.
    mStreamChanged = false;
  }
  catch (...)
  {
    Close();
    throw;
  }
}

JackClient::~JackClient() { Close(); }

std::string JackClient::Name() const { return mClient ? jack_get_client_name(mClient) : ""; }
double JackClient::SampleRate() const { return mSampleRate.load(); }
int JackClient::Period() const { return mPeriod.load(); }

void JackClient::Activate()
{
  if (jack_activate(mClient))
    throw ToolError("the JACK server did not activate the client");
  mActive = true;
}

void JackClient::Close()
{
  if (mClient)
  {
    // Once the server is gone there is nothing to deactivate; closing still frees the client.
    if (mActive && !mServerGone)
      jack_deactivate(mClient);
    jack_client_close(mClient);
  }
  mClient = nullptr;
  mActive = false;
  jack_set_error_function(nullptr);
  jack_set_info_function(nullptr);
}

std::vector<std::string> JackClient::ConnectPhysicalPorts()
{
  std::vector<std::string> problems;
  const auto connect = [&](const char* from, const char* to) {
    const int err = jack_connect(mClient, from, to);
    if (err != 0 && err != EEXIST)
      problems.push_back(std::string("cannot connect ") + from + " to " + to);
  };
  const PortNames captures = PhysicalPorts(mClient, JackPortIsOutput);
  const PortNames playbacks = PhysicalPorts(mClient, JackPortIsInput);
  const auto count = [](const PortNames& names) {
    size_t n = 0;
    while (names && names.get()[n])
      ++n;
    return n;
  };
  const size_t channels = mInputs.size();
  if (count(captures) == 0)
    problems.push_back("the server has no capture ports to connect");
  for (size_t c = 0; c < std::min(channels, count(captures)); ++c)
    connect(captures.get()[c], jack_port_name(mInputs[c]));
  const size_t outputs = std::min(count(playbacks), channels == 1 ? size_t{2} : channels);
  if (outputs == 0)
    problems.push_back("the server has no playback ports to connect");
  for (size_t p = 0; p < outputs; ++p)
    connect(jack_port_name(mOutputs[std::min(p, channels - 1)]), playbacks.get()[p]);
  return problems;
}

void JackClient::SetLatency(int frames)
{
  if (mLatency.exchange(frames) != frames && mClient && !mServerGone)
    jack_recompute_total_latencies(mClient);
}

bool JackClient::TakeStreamChange(double& sampleRate, int& period)
{
  if (!mStreamChanged.exchange(false))
    return false;
  sampleRate = mSampleRate.load();
  period = mPeriod.load();
  return true;
}

int JackClient::OnProcess(jack_nframes_t frames, void* arg)
{
  auto* self = static_cast<JackClient*>(arg);
  std::array<const float*, LiveEngine::kMaxChannels> in{};
  std::array<float*, LiveEngine::kMaxChannels> out{};
  for (size_t c = 0; c < self->mInputs.size(); ++c)
  {
    in[c] = static_cast<const float*>(jack_port_get_buffer(self->mInputs[c], frames));
    out[c] = static_cast<float*>(jack_port_get_buffer(self->mOutputs[c], frames));
  }
  self->mEngine.Process(in.data(), out.data(), frames);
  return 0;
}

int JackClient::OnSampleRate(jack_nframes_t rate, void* arg)
{
  auto* self = static_cast<JackClient*>(arg);
  self->mEngine.SetStreamRate(rate);
  if (self->mSampleRate.exchange(rate) != rate)
    self->mStreamChanged = true;
  return 0;
}

int JackClient::OnBufferSize(jack_nframes_t frames, void* arg)
{
  auto* self = static_cast<JackClient*>(arg);
  if (self->mPeriod.exchange(static_cast<int>(frames)) != static_cast<int>(frames))
    self->mStreamChanged = true;
  return 0;
}

int JackClient::OnXrun(void* arg)
{
  static_cast<JackClient*>(arg)->mXruns.fetch_add(1);
  return 0;
}

void JackClient::OnLatency(jack_latency_callback_mode_t mode, void* arg)
{
  // Each output carries its input's latency plus the engine's, towards the capture side
  // and towards the playback side. Set here only: a range set outside this callback is
  // lost at the server's next latency pass.
  auto* self = static_cast<JackClient*>(arg);
  const jack_nframes_t own = static_cast<jack_nframes_t>(std::max(self->mLatency.load(), 0));
  const bool capture = mode == JackCaptureLatency;
  for (size_t c = 0; c < self->mInputs.size(); ++c)
  {
    jack_port_t* from = capture ? self->mInputs[c] : self->mOutputs[c];
    jack_port_t* to = capture ? self->mOutputs[c] : self->mInputs[c];
    jack_latency_range_t range{};
    jack_port_get_latency_range(from, mode, &range);
    range.min += own;
    range.max += own;
    jack_port_set_latency_range(to, mode, &range);
  }
}

void JackClient::OnShutdown(jack_status_t, const char*, void* arg)
{
  // Runs on a thread of libjack's: only a flag for the main thread.
  static_cast<JackClient*>(arg)->mServerGone = true;
}

} // namespace corvane::host
