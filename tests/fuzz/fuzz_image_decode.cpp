// Image file bytes through the decoder the editor loads bitmaps with: no
// crash, no read out of bounds, and never more pixels than the limits allow.

#include <cstdint>

#include "graphics/drawing/ImageDecoder.h"

using namespace iplug::igraphics;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  constexpr int kMaxDimension = 2048;
  const RGBAImage image = DecodeImage(data, size, kMaxDimension);
  if (image.IsValid() && (image.width > kMaxDimension || image.height > kMaxDimension ||
                          image.pixels.size() != size_t(image.width) * size_t(image.height) * 4))
    __builtin_trap();
  return 0;
}
