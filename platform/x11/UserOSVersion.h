#pragma once
// The version of the system the editor runs on, as one comparable number: on
// Linux the running kernel's (uname), major x 10000 + minor x 100 + patch.

#include <string_view>

namespace iplug::igraphics::x11 {

/** 6.1.0-18-amd64 gives 60100; a part above 99 counts as 99; 0 when the text starts with no version. */
int OSVersionFromRelease(std::string_view release);
/** The running kernel's version in that form; 0 when it cannot be told. */
int UserOSVersion();

} // namespace iplug::igraphics::x11
