#include "tools/corvane/FileIdentity.h"

#include <climits>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace corvane::host {

std::string FollowLinks(const std::string& path)
{
  std::string current = path;
  // The same bound the system puts on link chains; a loop ends here too.
  for (int hop = 0; hop < 40; ++hop)
  {
    struct stat st
    {};
    if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
      return current;
    std::vector<char> target(PATH_MAX + 1, '\0');
    const ssize_t n = readlink(current.c_str(), target.data(), PATH_MAX);
    if (n <= 0)
      return current;
    const std::string link(target.data(), static_cast<size_t>(n));
    if (link.front() == '/')
      current = link;
    else
    {
      const size_t slash = current.rfind('/');
      current = (slash == std::string::npos ? "" : current.substr(0, slash + 1)) + link;
    }
  }
  return current;
}

bool SameFile(const std::string& a, const std::string& b)
{
  struct stat sa
  {
  }, sb{};
  const bool aExists = stat(a.c_str(), &sa) == 0, bExists = stat(b.c_str(), &sb) == 0;
  if (aExists && bExists)
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  if (aExists != bExists)
    return false;
  std::error_code ea, eb;
  const auto ra = std::filesystem::weakly_canonical(std::filesystem::absolute(FollowLinks(a)), ea);
  const auto rb = std::filesystem::weakly_canonical(std::filesystem::absolute(FollowLinks(b)), eb);
  return !ea && !eb && ra == rb;
}

} // namespace corvane::host
