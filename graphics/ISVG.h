#pragma once
// A parsed vector document, owned by the process-wide SVG cache, and the light
// handle controls keep to it. The drawing backend supplies the parser and
// renders the document.

namespace iplug::igraphics {

/** One parsed document; the backend derives its own. Deleted by the cache with the last editor. */
class SVGHolder
{
public:
  SVGHolder(float width, float height) : mWidth(width), mHeight(height) {}
  SVGHolder(const SVGHolder&) = delete;
  SVGHolder& operator=(const SVGHolder&) = delete;
  virtual ~SVGHolder() = default;

  /** Intrinsic size in pixels at the dpi it was parsed with. */
  float Width() const { return mWidth; }
  float Height() const { return mHeight; }

private:
  float mWidth;
  float mHeight;
};

/** Non-owning handle; empty when loading failed. Must not outlive the editor that loaded it. */
struct ISVG
{
  SVGHolder* mImage = nullptr;

  ISVG() = default;
  explicit ISVG(SVGHolder* image) : mImage(image) {}
  bool IsValid() const { return mImage != nullptr; }
  float W() const { return mImage ? mImage->Width() : 0.f; }
  float H() const { return mImage ? mImage->Height() : 0.f; }
};

} // namespace iplug::igraphics
