#pragma once
// PNG encoding of RGBA pixels in memory, for writing through an atomic file.

#include <cstdint>
#include <vector>

namespace corvane::host {

/** `rgba` holds `width` x `height` pixels, rows from the top; empty result on failure. */
std::vector<uint8_t> EncodePNG(const uint8_t* rgba, int width, int height);

} // namespace corvane::host
