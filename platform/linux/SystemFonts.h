#pragma once
// Installed fonts found by family and style through fontconfig.

#include <string>

#include "graphics/IFontData.h"
#include "graphics/IGraphicsEnums.h"

namespace iplug {

/** The file of the installed font that best matches `family` in `style`, and its face index in that
    file; empty when fontconfig knows no font of that family. */
std::string FindSystemFont(const char* family, igraphics::ETextStyle style, int& faceIdx);

/** The bytes of that font with its face selected; null when there is none or it cannot be read. */
igraphics::IFontDataPtr LoadSystemFont(const char* family, igraphics::ETextStyle style);

} // namespace iplug
