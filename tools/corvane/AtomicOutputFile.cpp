#include "tools/corvane/AtomicOutputFile.h"

#include "tools/corvane/FileIdentity.h"
#include "tools/corvane/ToolError.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace corvane::host {
namespace {

std::string Failure(const std::string& path, int error)
{
  return "cannot write output '" + path + "': " + std::strerror(error);
}

// Permission bits a plain create would give: 0666 less the process umask
// (mkstemp makes the file 0600).
mode_t DefaultFileMode()
{
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

std::string NotRegularMessage(const std::string& path, mode_t mode)
{
  const char* kind = S_ISFIFO(mode)                   ? "a pipe (FIFO)"
                     : S_ISCHR(mode) || S_ISBLK(mode) ? "a device"
                     : S_ISSOCK(mode)                 ? "a socket"
                                                      : "not a regular file";
  return "cannot write output '" + path + "': it is " + kind + "; only regular files are replaced";
}

std::string ExistsMessage(const std::string& path) { return "'" + path + "' exists; not replaced (--no-clobber)"; }

// Moves `from` to `to` unless `to` exists, in one step where the file system
// allows it.
int RenameNoReplace(const char* from, const char* to)
{
  if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
    return 0;
  if (errno != EINVAL && errno != ENOSYS)
    return errno;
  if (link(from, to) != 0)
    return errno;
  unlink(from);
  return 0;
}

} // namespace

AtomicOutputFile::AtomicOutputFile(std::string finalPath, bool noClobber)
: mFinalPath(std::move(finalPath))
, mNoClobber(noClobber)
{
  if (mFinalPath.empty() || mFinalPath.back() == '/')
    throw ToolError("cannot write output '" + mFinalPath + "': not a file name");

  mTargetPath = FollowLinks(mFinalPath);
  struct stat st
  {};
  const bool exists = stat(mTargetPath.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode))
    throw ToolError(Failure(mFinalPath, EISDIR));
  // A rename would put a regular file where a pipe or a device node was.
  if (exists && !S_ISREG(st.st_mode))
    throw ToolError(NotRegularMessage(mFinalPath, st.st_mode));
  if (exists && noClobber)
    throw ToolError(ExistsMessage(mFinalPath));

  const size_t slash = mTargetPath.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : mTargetPath.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? mTargetPath : mTargetPath.substr(slash + 1);
  std::string pattern = folder + "." + base + ".XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  mFd = mkstemp(buffer.data());
  if (mFd < 0)
    throw ToolError(Failure(mFinalPath, errno));
  mTempPath = buffer.data();
  if (exists && S_ISREG(st.st_mode))
  {
    // Only root may give the file another owner; the group may still be
    // kept. Where neither is allowed, the new file is simply the user's.
    if (fchown(mFd, st.st_uid, st.st_gid) != 0)
      (void)!fchown(mFd, static_cast<uid_t>(-1), st.st_gid);
    fchmod(mFd, st.st_mode & 07777);
  }
  else
    fchmod(mFd, DefaultFileMode());
}

AtomicOutputFile::~AtomicOutputFile() { Discard(); }

void AtomicOutputFile::WriteAll(const void* bytes, size_t size)
{
  const auto* data = static_cast<const unsigned char*>(bytes);
  size_t done = 0;
  while (done < size)
  {
    const ssize_t n = write(mFd, data + done, size - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      throw ToolError(Failure(mFinalPath, n < 0 ? errno : EIO));
    done += static_cast<size_t>(n);
  }
}

void AtomicOutputFile::Commit()
{
  if (mDone)
    throw ToolError("cannot write output '" + mFinalPath + "': already finished");
  int error = 0;
  if (fsync(mFd) != 0 && errno != EINVAL)
    error = errno;
  if (close(mFd) != 0 && error == 0)
    error = errno;
  mFd = -1;
  std::string problem = error != 0 ? Failure(mFinalPath, error) : "";
  struct stat st
  {};
  // Something other than a file may have appeared at the name meanwhile.
  if (problem.empty() && stat(mTargetPath.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
    problem = NotRegularMessage(mFinalPath, st.st_mode);
  if (problem.empty())
  {
    if (mNoClobber)
      error = RenameNoReplace(mTempPath.c_str(), mTargetPath.c_str());
    else if (rename(mTempPath.c_str(), mTargetPath.c_str()) != 0)
      error = errno;
    if (error != 0)
      problem = error == EEXIST && mNoClobber ? ExistsMessage(mFinalPath) : Failure(mFinalPath, error);
  }
  mDone = true;
  if (!problem.empty())
  {
    unlink(mTempPath.c_str());
    throw ToolError(problem);
  }
}

void AtomicOutputFile::Discard()
{
  if (mDone)
    return;
  if (mFd >= 0)
    close(mFd);
  mFd = -1;
  unlink(mTempPath.c_str());
  mDone = true;
}

} // namespace corvane::host
