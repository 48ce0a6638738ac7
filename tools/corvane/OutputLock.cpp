#include "tools/corvane/OutputLock.h"

#include "tools/corvane/FileIdentity.h"
#include "tools/corvane/ToolError.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane::host {
namespace {

std::string LockPathFor(const std::string& path)
{
  const std::string target = FollowLinks(path);
  const size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  return folder + "." + base + ".lock";
}

} // namespace

OutputLock::OutputLock(const std::string& path) : mLockPath(LockPathFor(path))
{
  const auto fail = [&](int error) {
    throw ToolError("cannot lock output '" + path + "' (" + mLockPath + "): " + std::strerror(error));
  };
  // flock belongs to the open file, so it also keeps two locks of one
  // process apart. The last holder removes the file: a lock taken on a file
  // removed meanwhile is taken again on the new one.
  for (;;)
  {
    const int fd = open(mLockPath.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0)
      fail(errno);
    struct stat held
    {
    }, named{};
    if (fstat(fd, &held) != 0 || !S_ISREG(held.st_mode))
    {
      close(fd);
      fail(EEXIST);
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0)
    {
      const int error = errno;
      close(fd);
      if (error == EWOULDBLOCK)
        throw ToolError("another running corvane will write '" + path + "'; name another file");
      fail(error);
    }
    if (stat(mLockPath.c_str(), &named) == 0 && named.st_dev == held.st_dev && named.st_ino == held.st_ino)
    {
      mFd = fd;
      return;
    }
    close(fd);
  }
}

OutputLock::~OutputLock()
{
  unlink(mLockPath.c_str());
  close(mFd);
}

} // namespace corvane::host
