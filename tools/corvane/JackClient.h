#pragma once
// A JACK client that runs a LiveEngine: audio ports in_N and out_N, each
// period through the engine, its latency reported on the ports, and what the
// server tells it (rate, period, xruns, shutdown) kept for the main thread.
// It never starts a server: without one it fails with one line. Works the
// same on jackd and on PipeWire's JACK.

#include "tools/corvane/LiveEngine.h"

#include <jack/jack.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace corvane::host {

class JackClient
{
public:
  /** Opens client `name` on the default server (JACK_DEFAULT_SERVER) and registers the
      engine's ports; not yet active. Throws ToolError, "no JACK server: ..." when none runs. */
  JackClient(const std::string& name, LiveEngine& engine);
  /** Deactivates and closes. */
  ~JackClient();
  JackClient(const JackClient&) = delete;
  JackClient& operator=(const JackClient&) = delete;

  /** The name the server gave the client (another when `name` was taken). */
  std::string Name() const;
  double SampleRate() const;
  int Period() const;

  /** Starts the process callback. Throws ToolError. */
  void Activate();
  /** Stops the process callback and closes the client; idempotent. */
  void Close();

  /** The first capture ports to the inputs, the outputs to the first playback ports (a mono
      output to the first two, so it is heard on both sides). Returns what could not be
      connected, one line each. */
  std::vector<std::string> ConnectPhysicalPorts();

  /** The engine's latency in frames, added to every port's latency range; a change makes
      the server recompute the graph's latencies. Main thread. */
  void SetLatency(int frames);
  int Latency() const { return mLatency.load(); }

  // What the server told the client, for the main thread.
  /** A new rate or period the engine's processor must be set up for; false when none came
      since the last call. */
  bool TakeStreamChange(double& sampleRate, int& period);
  bool ServerGone() const { return mServerGone.load(); }
  int64_t Xruns() const { return mXruns.load(); }

  jack_client_t* Handle() const { return mClient; }

private:
  static int OnProcess(jack_nframes_t frames, void* self);
  static int OnSampleRate(jack_nframes_t rate, void* self);
  static int OnBufferSize(jack_nframes_t frames, void* self);
  static int OnXrun(void* self);
  static void OnLatency(jack_latency_callback_mode_t mode, void* self);
  static void OnShutdown(jack_status_t code, const char* reason, void* self);

  LiveEngine& mEngine;
  jack_client_t* mClient = nullptr;
  bool mActive = false;
  std::vector<jack_port_t*> mInputs;
  std::vector<jack_port_t*> mOutputs;
  std::atomic<int> mLatency{0};
  std::atomic<bool> mStreamChanged{false};
  std::atomic<double> mSampleRate{0.0};
  std::atomic<int> mPeriod{0};
  std::atomic<bool> mServerGone{false};
  std::atomic<int64_t> mXruns{0};
};

} // namespace corvane::host
