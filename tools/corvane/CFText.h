#pragma once
// Core Foundation strings as UTF-8 text for the command-line host.

#include <CoreFoundation/CoreFoundation.h>

#include <string>

namespace corvane::host {

/** The UTF-8 form of `text`; empty for null or text that cannot be converted. */
std::string Utf8(CFStringRef text);

} // namespace corvane::host
