#pragma once
// An SVG document parsed by librsvg, rendered on demand into premultiplied
// RGBA pixels of any size. SVGs are rasterised for drawing, not drawn as paths.

#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/ISVG.h"

namespace iplug::igraphics {

class SVGDocument : public SVGHolder
{
public:
  ~SVGDocument() override;

  /** Null when the text is not a well-formed SVG document with a size. `units` other than pixels
      are resolved by the document itself; `dpi` converts physical units. */
  static std::unique_ptr<SVGDocument> Parse(const char* text, const char* units, float dpi);

  /** The document scaled to `width` x `height` pixels, as premultiplied RGBA rows from the top;
      empty on failure. */
  std::vector<uint8_t> Render(int width, int height) const;

private:
  SVGDocument(void* handle, float width, float height) : SVGHolder(width, height), mHandle(handle) {}
  void* mHandle; // RsvgHandle
};

} // namespace iplug::igraphics
