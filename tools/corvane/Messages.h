#pragma once
// Text for the user's terminal: file names and other outside text with their
// control characters escaped, so a message stays one readable line, and
// warnings on the error stream.

#include <cstddef>
#include <string>
#include <string_view>

namespace corvane::host {

/** `text` with control characters written as \n, \t, \r or \xNN: C0, DEL,
    C1 (each byte of its UTF-8 form) and bytes that are not UTF-8. */
std::string Printable(std::string_view text);

/** The length of the valid UTF-8 sequence at `text[at]`, or 0 when the
    bytes there are not UTF-8 (overlong, surrogate, cut short). */
size_t Utf8SequenceLength(std::string_view text, size_t at);

/** "corvane: warning: MESSAGE" on stderr, escaped. */
void Warn(const std::string& message);

} // namespace corvane::host
