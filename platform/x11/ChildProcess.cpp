#include "platform/x11/ChildProcess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace iplug::igraphics::x11 {

namespace {

bool IsExecutableFile(const std::string& path)
{
  struct stat st
  {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// How long a child gets to end after SIGTERM, then after SIGKILL, before it is left behind.
constexpr std::chrono::milliseconds kTerminateGrace{2000};
constexpr std::chrono::milliseconds kKillGrace{2000};

} // namespace

std::string FindProgram(const std::string& name)
{
  if (name.empty())
    return {};
  if (name.find('/') != std::string::npos)
    return IsExecutableFile(name) ? name : std::string();
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size())
  {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos)
      end = dirs.size();
    const std::string dir = end > start ? dirs.substr(start, end - start) : ".";
    const std::string candidate = dir + "/" + name;
    if (IsExecutableFile(candidate))
      return candidate;
    start = end + 1;
  }
  return {};
}

ChildProcess::~ChildProcess()
{
  Terminate();
  if (mOutFd >= 0)
    close(mOutFd);
}

bool ChildProcess::ReapWithin(std::chrono::milliseconds limit)
{
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!Reap(false))
  {
    if (std::chrono::steady_clock::now() >= deadline)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

void ChildProcess::Terminate()
{
  if (mPid <= 0)
    return;
  kill(mPid, SIGTERM);
  if (ReapWithin(kTerminateGrace))
    return;
  kill(mPid, SIGKILL);
  if (!ReapWithin(kKillGrace))
    mPid = -1; // stuck in the kernel: left for the system rather than waited for
}

bool ChildProcess::Start(const std::vector<std::string>& argv)
{
  if (mPid > 0 || argv.empty())
    return false;
  const std::string program = FindProgram(argv[0]);
  if (program.empty())
    return false;

  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0)
    return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);

  // The child starts with no signal blocked and every signal at its default action, whatever the
  // calling thread of the host blocks or ignores: a blocked SIGTERM would make it unstoppable.
  posix_spawnattr_t attrs;
  posix_spawnattr_init(&attrs);
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attrs, &none);
  posix_spawnattr_setsigdefault(&attrs, &all);
  posix_spawnattr_setflags(&attrs, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  std::vector<char*> args;
  for (const std::string& a : argv)
    args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  pid_t pid = -1;
  const int err = posix_spawn(&pid, program.c_str(), &actions, &attrs, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attrs);
  close(fds[1]);
  if (err != 0)
  {
    close(fds[0]);
    return false;
  }
  fcntl(fds[0], F_SETFL, fcntl(fds[0], F_GETFL) | O_NONBLOCK);
  mPid = pid;
  mOutFd = fds[0];
  mExitCode = -1;
  mOutput.clear();
  return true;
}

void ChildProcess::Drain()
{
  if (mOutFd < 0)
    return;
  char buffer[4096];
  for (;;)
  {
    const ssize_t n = read(mOutFd, buffer, sizeof(buffer));
    if (n > 0)
    {
      // A dialog answers with a line or a few paths; more is not kept.
      if (mOutput.size() < 65536)
        mOutput.append(buffer, static_cast<size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR)
      continue;
    if (n == 0)
    {
      close(mOutFd);
      mOutFd = -1;
    }
    return;
  }
}

bool ChildProcess::Reap(bool block)
{
  int status = 0;
  pid_t r;
  do
    r = waitpid(mPid, &status, block ? 0 : WNOHANG);
  while (r < 0 && errno == EINTR);
  if (r == 0)
    return false;
  mExitCode = (r == mPid && WIFEXITED(status)) ? WEXITSTATUS(status) : -1;
  mPid = -1;
  return true;
}

bool ChildProcess::Poll()
{
  if (mPid <= 0)
    return true;
  Drain();
  if (!Reap(false))
    return false;
  Drain(); // what was written just before exiting
  return true;
}

void ChildProcess::Wait()
{
  while (!Poll())
    usleep(2000);
}

} // namespace iplug::igraphics::x11
