#pragma once
// Standard base64 (RFC 4648 alphabet, "=" padding, no line breaks) for the
// framework's preset blobs. The platform layer below keeps its own for
// property-list data: the framework does not reach into the system's internals.

#include <cstddef>
#include <cstdint>
#include <string>

namespace iplug {
/** Encodes n bytes; every three bytes become four characters. */
std::string Base64Encode(const uint8_t* data, size_t n);

/** Decodes characters from text (at most textLen of them) into out until a
    character outside the alphabet ("=" and NUL included) or until outSize
    bytes were produced. Returns the number of bytes produced. Bytes of out
    beyond that are not touched. */
size_t Base64Decode(const char* text, size_t textLen, uint8_t* out, size_t outSize);
} // namespace iplug
