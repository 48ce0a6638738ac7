#pragma once
// The text rasteriser as the drawing backend runs it (fontstash over
// stb_truetype, from NanoVG's sources), for the font fuzz target.

#include <cstddef>
#include <cstdint>

namespace corvane_fuzz {
/** Loads face `face` of the font as the backend does, measures and draws text in characters from
    across the Unicode planes at two sizes (glyph lookup, metrics, kerning, rasterising), then
    measures and rasterises every glyph of the face directly. */
void DriveRasteriser(const uint8_t* data, size_t size, int face);
} // namespace corvane_fuzz
