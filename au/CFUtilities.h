#pragma once
// Conversions between Core Foundation strings and the framework's UTF-8 text.

#include <CoreFoundation/CoreFoundation.h>

#include <string>

#include "core/WDL_String.h"

namespace iplug {
/** A new CFString (the caller releases it) of UTF-8 text; null or text that
 *  is not valid UTF-8 gives an empty string, never null. */
CFStringRef MakeCFString(const char* utf8);

/** The first `maxChars` characters (not bytes) of UTF-8 text. */
std::string UTF8Prefix(const std::string& utf8, int maxChars);

/** Replaces `out` with the UTF-8 form of `str`; returns false (and leaves
 *  `out` alone) when `str` is null or cannot be converted. */
bool CFStringToUTF8(CFStringRef str, WDL_String& out);
} // namespace iplug
