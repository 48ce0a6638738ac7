#include "graphics/drawing/ImageDecoder.h"

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <climits>
#include <cstring>

namespace iplug::igraphics {
namespace {

// Deflate cannot expand data by more than about 1032 times and baseline JPEG
// needs some bits for every 8x8 block, so a file never decodes to more than
// this many bytes per byte of its own (plus room for tiny images).
constexpr uint64_t kMaxExpansion = 1100;
constexpr uint64_t kSmallImageBytes = 1 << 20;

// stb_image sizes its buffer for compressed PNG data from each chunk's declared
// length before reading it, so a forged length would cost gigabytes. Every
// chunk must fit in the file.
bool PNGChunksFitInFile(const uint8_t* data, size_t size)
{
  for (size_t pos = 8; pos + 12 <= size;)
  {
    const uint64_t length = (uint64_t(data[pos]) << 24) | (uint64_t(data[pos + 1]) << 16) |
                            (uint64_t(data[pos + 2]) << 8) | uint64_t(data[pos + 3]);
    if (length > size - pos - 12)
      return false;
    if (std::memcmp(data + pos + 4, "IEND", 4) == 0)
      break;
    pos += 12 + length;
  }
  return true;
}

// stb_image trusts the symbol counts of a JPEG Huffman table and writes past
// its table when they add up to more than 256, and decodes a scan with tables
// that were never defined (uninitialised memory). Every table in the file is
// checked first, those between the scans of a progressive file included, and
// every scan must name tables defined before it.
bool JPEGHuffmanTablesFit(const uint8_t* data, size_t size)
{
  bool defined[2][4] = {}; // [DC, AC][table id]
  // The decoder skips fill bytes before the start marker too, so the walk starts at the first byte.
  size_t pos = 0;
  while (pos + 4 <= size)
  {
    if (data[pos] != 0xFF)
    {
      ++pos; // entropy-coded data of a scan
      continue;
    }
    const uint8_t marker = data[pos + 1];
    if (marker == 0x00 || marker == 0xFF || (marker >= 0xD0 && marker <= 0xD8) || marker == 0x01)
    {
      ++pos; // stuffed byte, fill byte, restart or start marker: no length follows
      continue;
    }
    if (marker == 0xD9)
      break; // end of image
    const size_t length = (size_t(data[pos + 2]) << 8) | data[pos + 3];
    if (length < 2 || length > size - pos - 2)
      return false; // a segment running past the end of the file
    if (marker == 0xC4)
    {
      const uint8_t* table = data + pos + 4;
      size_t left = length - 2;
      while (left > 0)
      {
        if (left < 17)
          return false;
        size_t symbols = 0;
        for (int i = 1; i <= 16; ++i)
          symbols += table[i];
        if (symbols > 256 || symbols > left - 17 || (table[0] >> 4) > 1 || (table[0] & 15) > 3)
          return false;
        defined[table[0] >> 4][table[0] & 15] = true;
        table += 17 + symbols;
        left -= 17 + symbols;
      }
    }
    else if (marker == 0xDA)
    {
      const uint8_t* scan = data + pos + 4;
      const size_t n = length >= 3 ? scan[0] : 0;
      if (n < 1 || n > 4 || length != 6 + 2 * n)
        return false;
      const uint8_t spectralStart = scan[1 + 2 * n], spectralEnd = scan[2 + 2 * n];
      for (size_t c = 0; c < n; ++c)
      {
        const uint8_t dc = scan[2 + 2 * c] >> 4, ac = scan[2 + 2 * c] & 15;
        if (dc > 3 || ac > 3 || (spectralStart == 0 && !defined[0][dc]) || (spectralEnd > 0 && !defined[1][ac]))
          return false;
      }
    }
    pos += 2 + length;
  }
  return true;
}

} // namespace

RGBAImage DecodeImage(const uint8_t* data, size_t size, int maxDimension)
{
  RGBAImage image;
  if (!data || size == 0 || size > static_cast<size_t>(INT_MAX))
    return image;
  static constexpr uint8_t kPNGSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  const bool png = size >= 8 && std::memcmp(data, kPNGSignature, 8) == 0;
  if (png ? !PNGChunksFitInFile(data, size) : !JPEGHuffmanTablesFit(data, size))
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
