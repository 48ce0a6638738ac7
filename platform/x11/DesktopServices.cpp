#include "platform/x11/DesktopServices.h"

namespace iplug::igraphics::x11 {

bool DesktopServices::Run(const Command& command, Answer answer)
{
  auto process = std::make_unique<ChildProcess>();
  if (!process->Start(command))
    return false;
  mRunning.push_back({std::move(process), std::move(answer)});
  return true;
}

void DesktopServices::Poll()
{
  for (auto it = mRunning.begin(); it != mRunning.end();)
  {
    if (!it->process->Poll())
    {
      ++it;
      continue;
    }
    // Taken off the list first: an answer may start another command.
    Job job = std::move(*it);
    it = mRunning.erase(it);
    if (job.answer)
      job.answer(job.process->ExitCode(), job.process->Output());
  }
}

} // namespace iplug::igraphics::x11
