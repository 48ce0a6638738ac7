#pragma once
// Text for the user's terminal: file names and other outside text with their
// control characters escaped, so a message stays one readable line, and
// warnings on the error stream.

#include <string>
#include <string_view>

namespace corvane::host {

/** `text` with control characters written as \n, \t, \r or \xNN. */
std::string Printable(std::string_view text);

/** "corvane: warning: MESSAGE" on stderr, escaped. */
void Warn(const std::string& message);

} // namespace corvane::host
