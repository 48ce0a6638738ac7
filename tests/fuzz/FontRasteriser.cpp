// Third-party code, compiled as the drawing backend compiles it (as C++) and
// without our warning flags.
#include "FontRasteriser.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#define FONTSTASH_IMPLEMENTATION
#include "fontstash.h"

namespace corvane_fuzz {
namespace {

// Every printable ASCII character, Latin-1 and other BMP letters, the last BMP code point and
// characters beyond the BMP.
const char* const kTexts[] = {
  " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~",
  "\xC3\xA9\xC3\xBC\xC3\x9F\xC2\xB5\xCE\xA9\xD0\x96\xE2\x82\xAC\xE2\x80\x94\xEF\xAC\x81",
  "\xEF\xBF\xBD\xEF\xBF\xBF\xF0\x9F\x98\x80\xF0\x9D\x84\x9E\xF4\x8F\xBF\xBF",
};

/** Every glyph of the face, as the backend measures and draws one, its scratch memory included. */
void RasteriseEveryGlyph(FONScontext* stash, int font)
{
  const stbtt_fontinfo& info = stash->fonts[font]->font.font;
  const float scale = stbtt_ScaleForPixelHeight(&info, 24.f);
  std::vector<unsigned char> bitmap;
  const int glyphs = std::min(info.numGlyphs, 1024);
  for (int g = 0; g < glyphs; ++g)
  {
    stash->nscratch = 0;
    int advance = 0, bearing = 0, x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    stbtt_GetGlyphHMetrics(&info, g, &advance, &bearing);
    stbtt_GetGlyphKernAdvance(&info, g, (g + 1) % glyphs);
    stbtt_GetGlyphBitmapBox(&info, g, scale, scale, &x0, &y0, &x1, &y1);
    const int w = x1 - x0, h = y1 - y0;
    if (w <= 0 || h <= 0 || static_cast<long>(w) * h > (1 << 20))
      continue; // as big as the backend's atlas would refuse
    bitmap.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    stbtt_MakeGlyphBitmap(&info, bitmap.data(), w, h, w, scale, scale, g);
  }
}

} // namespace

void DriveRasteriser(const uint8_t* data, size_t size, int face)
{
  FONSparams params{};
  params.width = 512;
  params.height = 512;
  params.flags = FONS_ZERO_TOPLEFT;
  FONScontext* stash = fonsCreateInternal(&params);
  if (!stash)
    return;
  std::vector<unsigned char> bytes(data, data + size); // the backend hands over its own copy
  const int font = fonsAddFontMem(stash, "font", bytes.data(), static_cast<int>(bytes.size()), 0, face);
  if (font != FONS_INVALID)
  {
    fonsSetFont(stash, font);
    for (const float px : {13.f, 48.f})
    {
      fonsSetSize(stash, px);
      for (const char* text : kTexts)
      {
        float bounds[4];
        fonsTextBounds(stash, 0, 0, text, nullptr, bounds);
        fonsDrawText(stash, 10, 10, text, nullptr);
      }
    }
    RasteriseEveryGlyph(stash, font);
  }
  fonsDeleteInternal(stash);
}

} // namespace corvane_fuzz
