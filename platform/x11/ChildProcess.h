#pragma once
// A helper program run beside the editor (dialogs, the desktop's URL
// opener): started without a shell, with no signal blocked or ignored
// whatever the host's thread does, its standard output collected without
// blocking, its exit reaped so no zombie is left behind.

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

namespace iplug::igraphics::x11 {

/** The full path of `name` on $PATH (or `name` itself when it holds a '/'
    and is executable); empty when there is none. */
std::string FindProgram(const std::string& name);

class ChildProcess
{
public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  /** A child still running is terminated (SIGTERM, then SIGKILL after a grace period) and reaped;
      waits a few seconds at most. */
  ~ChildProcess();

  /** Starts argv[0] (looked up on $PATH) with `argv`; standard input is /dev/null, standard
      output is collected. False, with nothing started, when the program is not found or
      cannot be started. */
  bool Start(const std::vector<std::string>& argv);
  /** Reads what the child wrote so far; true once it has exited (then ExitCode is valid). */
  bool Poll();
  /** Blocks until the child has exited. */
  void Wait();
  bool Running() const { return mPid > 0; }
  /** The exit status, or -1 when the child died from a signal or never ran. */
  int ExitCode() const { return mExitCode; }
  const std::string& Output() const { return mOutput; }

private:
  void Drain();
  bool Reap(bool block);
  bool ReapWithin(std::chrono::milliseconds limit);
  void Terminate();

  pid_t mPid = -1;
  int mOutFd = -1;
  int mExitCode = -1;
  std::string mOutput;
};

} // namespace iplug::igraphics::x11
