#pragma once
// A plain OpenGL framebuffer object with an 8-bit RGBA colour buffer, for
// targets that stand in for a window, and reading any framebuffer back. The
// GL context must be current for every call, the destructor included.

#include <cstdint>
#include <vector>

namespace iplug::igraphics {

class GLFramebuffer
{
public:
  GLFramebuffer() = default;
  ~GLFramebuffer() { Delete(); }
  GLFramebuffer(const GLFramebuffer&) = delete;
  GLFramebuffer& operator=(const GLFramebuffer&) = delete;

  /** (Re)creates the buffer at `width` x `height` pixels, cleared to transparent; false on failure. */
  bool Create(int width, int height);
  void Delete();
  unsigned Id() const { return mFBO; }
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }

private:
  unsigned mFBO = 0;
  unsigned mColor = 0;
  int mWidth = 0;
  int mHeight = 0;
};

/** Reads `width` x `height` pixels of framebuffer `fbo` as RGBA rows from the top, with the
    premultiplied alpha that drawing leaves there turned back into straight alpha. */
bool ReadFramebufferRGBA(unsigned fbo, int width, int height, std::vector<uint8_t>& rgba);

} // namespace iplug::igraphics
