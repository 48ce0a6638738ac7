// Finding, loading and caching the editor's images, documents and fonts.

#include "graphics/IGraphics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace iplug::igraphics {
namespace {

// The text after the last dot of the last path component, or "" when there is none.
std::string FileExtension(const char* name)
{
  const std::string s(name ? name : "");
  const size_t dot = s.rfind('.');
  const size_t slash = s.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    return {};
  return s.substr(dot + 1);
}

// Next scale to try after `source` missed, or 0 when the search is over:
// 1 -> 1, 3, 2;  2 -> 2, 3, 1;  3 -> 3, 2, 1.
int NextSearchScale(int source, int target)
{
  if (target == 3)
    return source - 1;
  if (source == target)
    return 3;
  if (source == target + 1)
    return target - 1;
  return source - 1;
}

int DefaultTargetScale(int targetScale, float screenScale)
{
  return targetScale > 0 ? targetScale : static_cast<int>(std::ceil(screenScale));
}

} // namespace

// ---------------------------------------------------------------- bitmaps

EResourceLocation IGraphics::SearchImageResource(const char* name, const char* type, WDL_String& result,
                                                 int targetScale, int& sourceScale) const
{
  if (!name || !*name)
    return kNotFound;
  const std::string ext = FileExtension(name);
  const std::string base = ext.empty() ? std::string(name) : std::string(name, std::strlen(name) - ext.size() - 1);
  for (sourceScale = targetScale; sourceScale > 0; sourceScale = NextSearchScale(sourceScale, targetScale))
  {
    std::string candidate = name;
    if (sourceScale != 1)
    {
      char suffix[32];
      std::snprintf(suffix, sizeof(suffix), "@%dx", sourceScale);
      candidate = base + suffix + (ext.empty() ? "" : "." + ext);
    }
    const EResourceLocation found =
      LocateResource(candidate.c_str(), type, result, GetBundleID(), nullptr, GetSharedResourcesSubPath());
    if (found != kNotFound)
      return found;
  }
  sourceScale = 0;
  return kNotFound;
}

APIBitmap* IGraphics::SearchBitmapInCache(const char* name, int targetScale, int& sourceScale)
{
  StaticStorage<APIBitmap>::Accessor cache(BitmapCache());
  for (sourceScale = targetScale; sourceScale > 0; sourceScale = NextSearchScale(sourceScale, targetScale))
    if (APIBitmap* bitmap = cache.Find(name, sourceScale))
      return bitmap;
  sourceScale = 0;
  return nullptr;
}

int IGraphics::BitmapDensity() const
{
  // A hair over a whole number (a zoom of 100.01 %) does not need the next variant.
  return std::max(1, static_cast<int>(std::ceil(GetBackingPixelScale() - 1e-3f)));
}

int IGraphics::BitmapTargetScale(const char* name) const
{
  const int density = BitmapDensity();
  const std::string ext = FileExtension(name);
  WDL_String path;
  int source = 0;
  if (!ext.empty() && SearchImageResource(name, ext.c_str(), path, density, source) != kNotFound)
    return source;
  return density;
}

IBitmap IGraphics::LoadBitmap(const char* name, int nStates, bool framesAreHorizontal, int targetScale)
{
  if (targetScale <= 0)
    targetScale = BitmapTargetScale(name);
  StaticStorage<APIBitmap>::Accessor cache(BitmapCache());
  if (APIBitmap* cached = cache.Find(name, targetScale))
    return IBitmap(cached, nStates, framesAreHorizontal, name);

  const std::string ext = FileExtension(name);
  if (!BitmapExtSupported(ext.c_str()))
    return IBitmap();

  int sourceScale = 0;
  WDL_String path;
  APIBitmap* bitmap = nullptr;
  bool loaded = false;
  if (const EResourceLocation location = SearchImageResource(name, ext.c_str(), path, targetScale, sourceScale))
  {
    bitmap = sourceScale != targetScale ? cache.Find(name, sourceScale) : nullptr;
    if (!bitmap)
    {
      bitmap = LoadAPIBitmap(path.Get(), sourceScale, location, ext.c_str());
      loaded = bitmap != nullptr;
    }
  }
  else
    bitmap = SearchBitmapInCache(name, targetScale, sourceScale);
  if (!bitmap)
    return IBitmap();

  const IBitmap found(bitmap, nStates, framesAreHorizontal, name);
  if (sourceScale == targetScale)
  {
    if (loaded)
      RetainBitmap(found, name);
    return found;
  }
  // A file of another scale: redraw it at the scale asked for and keep only that.
  IBitmap scaled = ScaleBitmap(found, name, targetScale);
  if (loaded)
    delete bitmap;
  return scaled;
}

IBitmap IGraphics::LoadBitmap(const char* name, const void* data, int dataSize, int nStates, bool framesAreHorizontal,
                              int targetScale)
{
  targetScale = DefaultTargetScale(targetScale, GetScreenScale());
  StaticStorage<APIBitmap>::Accessor cache(BitmapCache());
  if (APIBitmap* cached = cache.Find(name, targetScale))
    return IBitmap(cached, nStates, framesAreHorizontal, name);
  if (!data || dataSize <= 0)
    return IBitmap();
  APIBitmap* bitmap = LoadAPIBitmap(name, data, dataSize, targetScale);
  if (!bitmap)
    return IBitmap();
  const IBitmap loaded(bitmap, nStates, framesAreHorizontal, name);
  RetainBitmap(loaded, name);
  return loaded;
}

IBitmap IGraphics::GetScaledBitmap(const IBitmap& bitmap)
{
  const int target = BitmapTargetScale(bitmap.GetResourceName().Get());
  if (bitmap.IsValid() && bitmap.GetScale() == static_cast<float>(target))
    return bitmap;
  return LoadBitmap(bitmap.GetResourceName().Get(), bitmap.N(), bitmap.GetFramesAreHorizontal(), target);
}

void IGraphics::RetainBitmap(const IBitmap& bitmap, const char* cacheName)
{
  StaticStorage<APIBitmap>::Accessor cache(BitmapCache());
  if (bitmap.IsValid() && !cache.Contains(bitmap.GetAPIBitmap()))
    cache.Add(bitmap.GetAPIBitmap(), cacheName, bitmap.GetScale());
}

void IGraphics::ReleaseBitmap(const IBitmap& bitmap)
{
  StaticStorage<APIBitmap>::Accessor cache(BitmapCache());
  if (bitmap.IsValid())
    cache.Remove(bitmap.GetAPIBitmap());
}

IBitmap IGraphics::ScaleBitmap(const IBitmap& bitmap, const char* cacheName, int targetScale)
{
  if (!bitmap.IsValid())
    return IBitmap();
  const float screenScale = mScreenScale;
  const float drawScale = mDrawScale;
  mScreenScale = static_cast<float>(targetScale);
  mDrawScale = bitmap.GetDrawScale();

  const IRECT bounds(0.f, 0.f, static_cast<float>(bitmap.W()), static_cast<float>(bitmap.H()));
  StartLayer(nullptr, bounds);
  DrawBitmap(bitmap, bounds, 0, 0, nullptr);
  ILayerPtr layer = EndLayer();

  mScreenScale = screenScale;
  mDrawScale = drawScale;
  if (!layer)
    return IBitmap();
  const IBitmap scaled(layer->mBitmap.release(), bitmap.N(), bitmap.GetFramesAreHorizontal(), cacheName);
  RetainBitmap(scaled, cacheName);
  return scaled;
}

// ---------------------------------------------------------------- documents

ISVG IGraphics::LoadSVG(const char* fileName, const char* units, float dpi)
{
  StaticStorage<SVGHolder>::Accessor cache(SVGCache());
  if (SVGHolder* cached = cache.Find(fileName))
    return ISVG(cached);
  const std::vector<uint8_t> bytes = LoadResource(fileName, "svg");
  if (bytes.empty())
    return ISVG();
  return LoadSVG(fileName, bytes.data(), static_cast<int>(bytes.size()), units, dpi);
}

ISVG IGraphics::LoadSVG(const char* name, const void* data, int dataSize, const char* units, float dpi)
{
  StaticStorage<SVGHolder>::Accessor cache(SVGCache());
  if (SVGHolder* cached = cache.Find(name))
    return ISVG(cached);
  if (!data || dataSize <= 0)
    return ISVG();
  // The parser takes text: up to the first NUL, terminated.
  const char* text = static_cast<const char*>(data);
  const std::string terminated(text, strnlen(text, static_cast<size_t>(dataSize)));
  SVGHolder* holder = ParseSVG(terminated.c_str(), units, dpi);
  if (!holder)
    return ISVG();
  cache.Add(holder, name);
  return ISVG(holder);
}

// ---------------------------------------------------------------- fonts and files

bool IGraphics::LoadFont(const char* fontID, const char* fileName)
{
  IFontDataPtr font = LoadPlatformFont(fontID, fileName);
  return font && LoadAPIFont(fontID, font);
}

bool IGraphics::LoadFont(const char* fontID, const void* data, int dataSize)
{
  IFontDataPtr font = LoadPlatformFont(fontID, data, dataSize);
  return font && LoadAPIFont(fontID, font);
}

bool IGraphics::LoadFont(const char* fontID, const char* fontName, ETextStyle style)
{
  IFontDataPtr font = LoadPlatformFont(fontID, fontName, style);
  return font && LoadAPIFont(fontID, font);
}

IFontDataPtr IGraphics::LoadPlatformFont(const char* /*fontID*/, const char* fileName)
{
  std::vector<uint8_t> bytes = LoadResource(fileName, "ttf");
  if (bytes.empty())
    return nullptr;
  return std::make_unique<IFontData>(std::move(bytes));
}

IFontDataPtr IGraphics::LoadPlatformFont(const char* /*fontID*/, const void* data, int dataSize)
{
  if (!data || dataSize <= 0)
    return nullptr;
  const auto* bytes = static_cast<const uint8_t*>(data);
  return std::make_unique<IFontData>(std::vector<uint8_t>(bytes, bytes + dataSize));
}

std::vector<uint8_t> IGraphics::LoadResource(const char* name, const char* type) const
{
  WDL_String path;
  if (LocateResource(name, type, path, GetBundleID(), nullptr, GetSharedResourcesSubPath()) != kAbsolutePath)
    return {};
  return ReadFileBytes(path.Get());
}

std::vector<uint8_t> IGraphics::ReadFileBytes(const char* path)
{
  std::FILE* file = std::fopen(path, "rb");
  if (!file)
    return {};
  std::vector<uint8_t> bytes;
  long size = -1;
  if (std::fseek(file, 0, SEEK_END) == 0 && (size = std::ftell(file)) > 0 && std::fseek(file, 0, SEEK_SET) == 0)
  {
    bytes.resize(static_cast<size_t>(size));
    if (std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size())
      bytes.clear();
  }
  std::fclose(file);
  return bytes;
}

} // namespace iplug::igraphics
