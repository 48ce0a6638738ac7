#include "platform/linux/SystemFonts.h"

#include <fontconfig/fontconfig.h>

#include <strings.h>

#include <fstream>
#include <iterator>

namespace iplug {

std::string FindSystemFont(const char* family, igraphics::ETextStyle style, int& faceIdx)
{
  faceIdx = 0;
  if (!family || !*family || !FcInit())
    return {};
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddInteger(pattern, FC_WEIGHT, style == igraphics::ETextStyle::Bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, style == igraphics::ETextStyle::Italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);

  std::string path;
  FcResult result = FcResultNoMatch;
  if (FcPattern* match = FcFontMatch(nullptr, pattern, &result))
  {
    // fontconfig always answers with something; only a font of the family asked for counts.
    FcChar8* matchedFamily = nullptr;
    FcChar8* file = nullptr;
    int index = 0;
    if (FcPatternGetString(match, FC_FAMILY, 0, &matchedFamily) == FcResultMatch &&
        ::strcasecmp(reinterpret_cast<const char*>(matchedFamily), family) == 0 &&
        FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch)
    {
      path = reinterpret_cast<const char*>(file);
      if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch)
        faceIdx = index;
    }
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return path;
}

igraphics::IFontDataPtr LoadSystemFont(const char* family, igraphics::ETextStyle style)
{
  int faceIdx = 0;
  const std::string path = FindSystemFont(family, style, faceIdx);
  if (path.empty())
    return nullptr;
  std::ifstream file(path, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (bytes.empty())
    return nullptr;
  return std::make_unique<igraphics::IFontData>(std::move(bytes), faceIdx);
}

} // namespace iplug
