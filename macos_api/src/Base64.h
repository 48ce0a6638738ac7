// Base64 as used by the <data> element of XML property lists.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace macapi {

// Lines of at most lineLength characters, each ending in '\n' and prefixed
// by indent.
std::string Base64Encode(const uint8_t* bytes, size_t length, size_t lineLength, const std::string& indent);
// Whitespace is skipped; any other character outside the alphabet, or
// misplaced padding, makes the input invalid.
std::optional<std::vector<uint8_t>> Base64Decode(const char* text, size_t length);

} // namespace macapi
