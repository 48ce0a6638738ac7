// The string object and the UTF-8 / UTF-16 conversions shared by the CF
// sources. Strings stand on the object base (CFRuntime.h) and nothing in the
// base calls back into them; formatting (CFStringFormat.cpp) stands on both.
#pragma once

#include "macos_api/src/CFRuntime.h"

#include <optional>
#include <string>

struct __CFString : __CFObject
{
  __CFString(std::u16string text, bool isMutable);

  CFTypeID TypeID() const override { return macapi::kTypeString; }
  bool Equals(const __CFObject& other) const override;
  CFHashCode Hash() const override;
  std::string Describe() const override { return utf8; }

  void Assign(std::u16string text);

  std::u16string units; // UTF-16 code units, what lengths and indices count
  std::string utf8;     // the same text as UTF-8, kept in step with units
  const bool isMutable;
};

namespace macapi {

// Strict UTF-8 decoding: overlong forms, surrogates and values beyond
// U+10FFFF are rejected.
std::optional<std::u16string> DecodeUTF8(const char* bytes, size_t length);
// Unpaired surrogates become U+FFFD.
std::string EncodeUTF8(const std::u16string& units);

CFStringRef MakeString(std::string utf8);
std::string StringUTF8(CFStringRef str); // "" for null or a non-string

} // namespace macapi
