#pragma once
// A private JACK server (jackd, dummy driver, 48 kHz, 256-frame periods) for
// a test, started and stopped by PID through tests/jack-server.sh under a
// name nobody else uses. JACK clients of the test program and the programs
// it starts reach it through JACK_DEFAULT_SERVER.

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/types.h>
#include <thread>
#include <unistd.h>

/** Whether `condition` comes true within `timeout`: what a server does happens in its own time. */
template <typename Condition>
bool Eventually(Condition condition, std::chrono::milliseconds timeout = std::chrono::seconds(10))
{
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition())
  {
    if (std::chrono::steady_clock::now() > deadline)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

class JackTestServer
{
public:
  /** Starts a server named after `tag` and this process; the default one when `makeDefault`. */
  explicit JackTestServer(const std::string& tag, bool makeDefault = true)
  : mName("corvane_" + tag + "_" + std::to_string(getpid()))
  {
    const char* source = std::getenv("CORVANE_SOURCE_DIR");
    mScript = std::string(source ? source : ".") + "/tests/jack-server.sh";
    const std::string line = "'" + mScript + "' start " + mName + " '" + mLogs.Path("jackd.log") + "'";
    if (FILE* out = popen(line.c_str(), "r"))
    {
      long pid = 0;
      if (std::fscanf(out, "%ld", &pid) == 1)
        mPid = static_cast<pid_t>(pid);
      pclose(out);
    }
    if (makeDefault)
      setenv("JACK_DEFAULT_SERVER", mName.c_str(), 1);
  }
  ~JackTestServer() { Stop(); }
  JackTestServer(const JackTestServer&) = delete;
  JackTestServer& operator=(const JackTestServer&) = delete;

  bool Running() const { return mPid > 0; }
  const std::string& Name() const { return mName; }

  void Stop()
  {
    if (mPid <= 0)
      return;
    const std::string line = "'" + mScript + "' stop " + std::to_string(mPid);
    EXPECT_EQ(std::system(line.c_str()), 0);
    mPid = 0;
  }

private:
  std::string mName;
  std::string mScript;
  TempFolder mLogs;
  pid_t mPid = 0;
};
