#pragma once
// A drawing backend's image: handle, size in pixels, the resolution factor of
// the image and the draw scale it was made at. Backends derive from it.

namespace iplug::igraphics {

class APIBitmap
{
public:
  APIBitmap() = default;
  APIBitmap(int handle, int width, int height, float scale, float drawScale)
  : mBitmap(handle)
  , mWidth(width)
  , mHeight(height)
  , mScale(scale)
  , mDrawScale(drawScale)
  {}
  APIBitmap(const APIBitmap&) = delete;
  APIBitmap& operator=(const APIBitmap&) = delete;
  virtual ~APIBitmap() = default;

  void SetBitmap(int handle, int width, int height, float scale, float drawScale)
  {
    mBitmap = handle;
    mWidth = width;
    mHeight = height;
    mScale = scale;
    mDrawScale = drawScale;
  }

  int GetBitmap() const { return mBitmap; }
  int GetWidth() const { return mWidth; }
  int GetHeight() const { return mHeight; }
  float GetScale() const { return mScale; }
  float GetDrawScale() const { return mDrawScale; }

private:
  int mBitmap = 0;
  int mWidth = 0;
  int mHeight = 0;
  float mScale = 1.f;
  float mDrawScale = 1.f;
};

} // namespace iplug::igraphics
