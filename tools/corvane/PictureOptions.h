#pragma once
// The options of the commands that write a picture: its name and the
// screen's backing scale.

#include <string>

namespace corvane::host {

/** --scale: a number from 1 to 3. Throws UsageError. */
float ParseScale(const std::string& text);

/** Throws UsageError unless `path` is a non-empty name ending in .png. */
void CheckPngName(const std::string& path);

} // namespace corvane::host
