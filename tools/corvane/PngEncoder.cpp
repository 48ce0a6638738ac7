#include "tools/corvane/PngEncoder.h"

// A private copy: the program also links the drawing backend, which has its own.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>

namespace corvane::host {

std::vector<uint8_t> EncodePNG(const uint8_t* rgba, int width, int height)
{
  std::vector<uint8_t> png;
  if (!rgba || width <= 0 || height <= 0)
    return png;
  const auto append = [](void* context, void* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    const auto* bytes = static_cast<const uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
  };
  if (!stbi_write_png_to_func(append, &png, width, height, 4, rgba, width * 4))
    png.clear();
  return png;
}

} // namespace corvane::host
