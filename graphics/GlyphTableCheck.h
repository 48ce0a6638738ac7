#pragma once
// The tables of one font face that the text rasteriser (stb_truetype, under
// NanoVG's fontstash) follows to look glyphs up, measure and kern them and
// draw their outlines. The rasteriser trusts every count and offset in them.
// A face passes only when every read it can make, for any character, lies in
// the file and trips none of its assertions: the character map it picks (in
// each format it reads), maxp, head, hhea, hmtx, loca, every outline in glyf
// (composites included: their references, nesting and coordinates), and the
// kerning it reads (GPOS pair adjustment, else kern). Faces with CFF outlines
// are refused: the rasteriser reads those without any bound.

#include <cstddef>
#include <cstdint>

namespace iplug::igraphics {

/** Why the face whose table directory starts at byte `directory` must not reach the rasteriser, or
    null when it may. */
const char* FindGlyphTableFault(const uint8_t* data, size_t size, uint64_t directory);

} // namespace iplug::igraphics
