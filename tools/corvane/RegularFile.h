#pragma once
// Files the user names, opened for reading without waiting on them: a FIFO,
// a device or a socket is refused before a byte is read, so no name can make
// a command hang on its open or read without end.

#include <cstddef>
#include <string>

namespace corvane::host {

/** A read-only descriptor (close-on-exec) of the regular file `path` names,
    through symbolic links. Throws ToolError("CONTEXT: PROBLEM") for a
    missing or unreadable file, a folder, or anything that is not a regular
    file. */
int OpenRegularFile(const std::string& path, const std::string& context);

/** The bytes of the regular file `path`, up to `limit` + 1 of them: more
    than `limit` says the file is larger than the caller takes (counted as
    read, since some files report no size). Throws ToolError as above, or on
    a read failure. */
std::string ReadRegularFile(const std::string& path, size_t limit, const std::string& context);

} // namespace corvane::host
