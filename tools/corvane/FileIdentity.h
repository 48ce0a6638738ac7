#pragma once
// Whether two names lead to one file, and where a name that is a symbolic
// link really writes. Names are compared by what they lead to, not by their
// spelling: "./x.wav", "x.wav", a link to it and a hard link are one file.

#include <string>

namespace corvane::host {

/** The file a write to `path` reaches: the end of its chain of symbolic
    links (which may not exist yet), or `path` itself when it is no link. */
std::string FollowLinks(const std::string& path);

/** True when both names reach the same file: the same device and inode when
    both exist, else the same resolved path. */
bool SameFile(const std::string& a, const std::string& b);

} // namespace corvane::host
