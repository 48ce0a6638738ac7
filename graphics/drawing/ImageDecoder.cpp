#include "graphics/drawing/ImageDecoder.h"

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <climits>

namespace iplug::igraphics {
namespace {

// Deflate cannot expand data by more than about 1032 times and baseline JPEG
// needs some bits for every 8x8 block, so a file never decodes to more than
// this many bytes per byte of its own (plus room for tiny images).
constexpr uint64_t kMaxExpansion = 1100;
constexpr uint64_t kSmallImageBytes = 1 << 20;

} // namespace

RGBAImage DecodeImage(const uint8_t* data, size_t size, int maxDimension)
{
  RGBAImage image;
  if (!data || size == 0 || size > static_cast<size_t>(INT_MAX))
    return image;
  const int length = static_cast<int>(size);
  int w = 0, h = 0, channels = 0;
  if (!stbi_info_from_memory(data, length, &w, &h, &channels))
    return image;
  if (w <= 0 || h <= 0 || w > maxDimension || h > maxDimension)
    return image;
  const uint64_t decodedBytes = uint64_t(w) * uint64_t(h) * uint64_t(channels);
  if (decodedBytes > kMaxExpansion * size + kSmallImageBytes)
    return image;

  stbi_uc* pixels = stbi_load_from_memory(data, length, &w, &h, &channels, 4);
  if (!pixels)
    return image;
  image.width = w;
  image.height = h;
  image.pixels.assign(pixels, pixels + size_t(w) * size_t(h) * 4);
  stbi_image_free(pixels);
  return image;
}

bool WritePNGFile(const char* path, const uint8_t* rgba, int width, int height)
{
  if (!path || !rgba || width <= 0 || height <= 0)
    return false;
  return stbi_write_png(path, width, height, 4, rgba, width * 4) != 0;
}

} // namespace iplug::igraphics
