#pragma once
// The analysis as one picture: a header with the settings and the key
// figures, the frequency response, the harmonic spectrum and the transfer
// curve. Drawn offscreen with the editor's own NanoVG backend.

#include "tools/corvane/UnitAnalysis.h"

#include <cstdint>
#include <string>
#include <vector>

namespace corvane::host {

inline constexpr int kPictureWidth = 1200; // points; pixels at scale 1
inline constexpr int kPictureHeight = 800;

struct Picture
{
  std::vector<uint8_t> rgba; // rows from the top
  int width = 0;
  int height = 0;
};

/** Draws `analysis` at `scale` pixels per point, in Roboto read from
    `fontFile` (or, when that cannot be read, the installed family).
    Throws ToolError when there is no OpenGL or no font to draw with. */
Picture DrawAnalysisPicture(const UnitAnalysis& analysis, float scale, const std::string& fontFile);

} // namespace corvane::host
