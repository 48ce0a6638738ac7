#pragma once
// PNG and JPEG decoding into 8-bit RGBA with limits checked before any pixel
// memory is taken: the size must fit a texture and be one that the file's
// bytes can plausibly hold, so a forged header cannot make us allocate
// gigabytes. PNG writing for snapshots.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace iplug::igraphics {

struct RGBAImage
{
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels; // rows top to bottom, straight alpha

  bool IsValid() const { return width > 0 && height > 0; }
};

/** Decodes a PNG or JPEG; an invalid image when the bytes are not one, are damaged, or claim a size
    past `maxDimension` pixels on a side or past what `size` bytes can encode. */
RGBAImage DecodeImage(const uint8_t* data, size_t size, int maxDimension);

/** Writes straight-alpha RGBA rows as a PNG file; false when the file cannot be written. */
bool WritePNGFile(const char* path, const uint8_t* rgba, int width, int height);

} // namespace iplug::igraphics
