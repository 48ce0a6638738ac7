#pragma once
// Runs the desktop's dialogs and opener as helper programs without blocking
// the editor: each runs beside it, and its answer is handed to its function
// from Poll, which the editor's timer calls.

#include <functional>
#include <list>
#include <memory>
#include <string>

#include "platform/x11/ChildProcess.h"
#include "platform/x11/DesktopDialogs.h"

namespace iplug::igraphics::x11 {

class DesktopServices
{
public:
  using Answer = std::function<void(int exitCode, const std::string& output)>;

  /** Starts `command`; `answer` is called from Poll once it has ended. False (and `answer`
      never called) when the program is not installed or cannot start. */
  bool Run(const Command& command, Answer answer);
  /** Hands finished commands their answers. */
  void Poll();
  /** Commands still running. */
  int Pending() const { return static_cast<int>(mRunning.size()); }

private:
  struct Job
  {
    std::unique_ptr<ChildProcess> process;
    Answer answer;
  };
  std::list<Job> mRunning;
};

} // namespace iplug::igraphics::x11
