#include "tools/corvane/RegularFile.h"

#include "tools/corvane/ToolError.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane::host {
namespace {

const char* KindOf(mode_t mode)
{
  if (S_ISDIR(mode))
    return "is a folder, not a file";
  if (S_ISFIFO(mode))
    return "is a pipe (FIFO), not a regular file";
  if (S_ISCHR(mode) || S_ISBLK(mode))
    return "is a device, not a regular file";
  if (S_ISSOCK(mode))
    return "is a socket, not a regular file";
  return "is not a regular file";
}

} // namespace

int OpenRegularFile(const std::string& path, const std::string& context)
{
  // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0)
    throw ToolError(context + ": " + std::strerror(errno));
  struct stat st
  {};
  const bool known = fstat(fd, &st) == 0;
  if (!known || !S_ISREG(st.st_mode))
  {
    const std::string problem = known ? KindOf(st.st_mode) : std::strerror(errno);
    close(fd);
    throw ToolError(context + ": " + problem);
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

std::string ReadRegularFile(const std::string& path, size_t limit, const std::string& context)
{
  const int fd = OpenRegularFile(path, context);
  std::string bytes(limit + 1, '\0');
  size_t done = 0;
  while (done < bytes.size())
  {
    const ssize_t n = read(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
    {
      const int error = errno;
      close(fd);
      throw ToolError(context + ": " + std::strerror(error));
    }
    if (n == 0)
      break;
    done += static_cast<size_t>(n);
  }
  close(fd);
  bytes.resize(done);
  return bytes;
}

} // namespace corvane::host
