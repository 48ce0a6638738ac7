#include "graphics/drawing/SVGDocument.h"

#include <librsvg/rsvg.h>

#include <cstring>

namespace iplug::igraphics {

SVGDocument::~SVGDocument() { g_object_unref(static_cast<RsvgHandle*>(mHandle)); }

std::unique_ptr<SVGDocument> SVGDocument::Parse(const char* text, const char* /*units*/, float dpi)
{
  if (!text || !*text)
    return nullptr;
  GError* error = nullptr;
  RsvgHandle* handle = rsvg_handle_new_from_data(reinterpret_cast<const guint8*>(text), std::strlen(text), &error);
  if (!handle)
  {
    if (error)
      g_error_free(error);
    return nullptr;
  }
  rsvg_handle_set_dpi(handle, dpi > 0.f ? dpi : 72.0);
  gdouble w = 0.0, h = 0.0;
  if (!rsvg_handle_get_intrinsic_size_in_pixels(handle, &w, &h))
  {
    // No absolute size: fall back to the view box.
    gboolean hasWidth = FALSE, hasHeight = FALSE, hasViewBox = FALSE;
    RsvgLength width, height;
    RsvgRectangle viewBox;
    rsvg_handle_get_intrinsic_dimensions(handle, &hasWidth, &width, &hasHeight, &height, &hasViewBox, &viewBox);
    if (hasViewBox)
    {
      w = viewBox.width;
      h = viewBox.height;
    }
  }
  if (!(w > 0.0) || !(h > 0.0))
  {
    g_object_unref(handle);
    return nullptr;
  }
  return std::unique_ptr<SVGDocument>(new SVGDocument(handle, static_cast<float>(w), static_cast<float>(h)));
}

std::vector<uint8_t> SVGDocument::Render(int width, int height) const
{
  if (width <= 0 || height <= 0)
    return {};
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS)
  {
    cairo_surface_destroy(surface);
    return {};
  }
  cairo_t* cr = cairo_create(surface);
  const RsvgRectangle viewport{0.0, 0.0, static_cast<double>(width), static_cast<double>(height)};
  GError* error = nullptr;
  const bool rendered = rsvg_handle_render_document(static_cast<RsvgHandle*>(mHandle), cr, &viewport, &error);
  if (error)
    g_error_free(error);
  cairo_destroy(cr);
  cairo_surface_flush(surface);

  std::vector<uint8_t> rgba;
  if (rendered)
  {
    // Cairo's ARGB32 is premultiplied, one native-endian 32-bit word per pixel.
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    rgba.resize(size_t(width) * size_t(height) * 4);
    for (int y = 0; y < height; ++y)
    {
      const auto* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * size_t(stride));
      uint8_t* out = rgba.data() + size_t(y) * size_t(width) * 4;
      for (int x = 0; x < width; ++x)
      {
        const uint32_t p = row[x];
        out[4 * x + 0] = uint8_t(p >> 16);
        out[4 * x + 1] = uint8_t(p >> 8);
        out[4 * x + 2] = uint8_t(p);
        out[4 * x + 3] = uint8_t(p >> 24);
      }
    }
  }
  cairo_surface_destroy(surface);
  return rgba;
}

} // namespace iplug::igraphics
