#include "graphics/drawing/GLFramebuffer.h"

#include "NanoVGGL.h"

#include <algorithm>
#include <cstring>

namespace iplug::igraphics {

bool GLFramebuffer::Create(int width, int height)
{
  Delete();
  if (width <= 0 || height <= 0)
    return false;
  GLint previous = 0;
  glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
  glGenRenderbuffers(1, &mColor);
  glBindRenderbuffer(GL_RENDERBUFFER, mColor);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
  glGenFramebuffers(1, &mFBO);
  glBindFramebuffer(GL_FRAMEBUFFER, mFBO);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, mColor);
  const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  if (complete)
  {
    glViewport(0, 0, width, height);
    glClearColor(0.f, 0.f, 0.f, 0.f);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previous));
  if (!complete)
  {
    Delete();
    return false;
  }
  mWidth = width;
  mHeight = height;
  return true;
}

void GLFramebuffer::Delete()
{
  if (mFBO)
    glDeleteFramebuffers(1, &mFBO);
  if (mColor)
    glDeleteRenderbuffers(1, &mColor);
  mFBO = mColor = 0;
  mWidth = mHeight = 0;
}

bool ReadFramebufferRGBA(unsigned fbo, int width, int height, std::vector<uint8_t>& rgba)
{
  rgba.clear();
  if (width <= 0 || height <= 0)
    return false;
  const size_t stride = size_t(width) * 4;
  std::vector<uint8_t> raw(stride * size_t(height));
  glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, raw.data());
  if (glGetError() != GL_NO_ERROR)
    return false;

  // GL rows run bottom up.
  rgba.resize(raw.size());
  for (int y = 0; y < height; ++y)
    std::memcpy(rgba.data() + size_t(y) * stride, raw.data() + size_t(height - 1 - y) * stride, stride);
  for (size_t i = 0; i < rgba.size(); i += 4)
  {
    const unsigned a = rgba[i + 3];
    if (a != 0 && a != 255)
      for (int c = 0; c < 3; ++c)
        rgba[i + c] = static_cast<uint8_t>(std::min(255u, (rgba[i + c] * 255u + a / 2) / a));
  }
  return true;
}

} // namespace iplug::igraphics
