#include "tools/corvane/AtomicOutputFile.h"

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

} // namespace

AtomicOutputFile::AtomicOutputFile(std::string finalPath)
: mFinalPath(std::move(finalPath))
{
  if (mFinalPath.empty() || mFinalPath.back() == '/')
    throw ToolError("cannot write output '" + mFinalPath + "': not a file name");

  struct stat st {};
  if (stat(mFinalPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
    throw ToolError(Failure(mFinalPath, EISDIR));

  const size_t slash = mFinalPath.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : mFinalPath.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? mFinalPath : mFinalPath.substr(slash + 1);
  std::string pattern = folder + "." + base + ".XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  mFd = mkstemp(buffer.data());
  if (mFd < 0)
    throw ToolError(Failure(mFinalPath, errno));
  mTempPath = buffer.data();
  fchmod(mFd, DefaultFileMode());
}

AtomicOutputFile::~AtomicOutputFile()
{
  Discard();
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
  if (error == 0 && rename(mTempPath.c_str(), mFinalPath.c_str()) != 0)
    error = errno;
  if (error != 0)
  {
    unlink(mTempPath.c_str());
    mDone = true;
    throw ToolError(Failure(mFinalPath, error));
  }
  mDone = true;
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
