#include "graphics/drawing/IGraphicsNanoVG.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "graphics/drawing/ImageDecoder.h"
#include "NanoVGGL.h"

namespace iplug::igraphics {

// ---------------------------------------------------------------- bitmaps

IGraphicsNanoVG::Bitmap::Bitmap(IGraphicsNanoVG& graphics, NVGcontext* vg, int image, int width, int height,
                                float scale, float drawScale, bool shared)
: APIBitmap(image, width, height, scale, drawScale)
, mGraphics(graphics)
, mVG(vg)
, mSharedTexture(shared)
{}

IGraphicsNanoVG::Bitmap::Bitmap(IGraphicsNanoVG& graphics, NVGcontext* vg, NVGLUframebuffer* fbo, int width, int height,
                                float scale, float drawScale)
: APIBitmap(fbo->image, width, height, scale, drawScale)
, mGraphics(graphics)
, mVG(vg)
, mFBO(fbo)
{}

IGraphicsNanoVG::Bitmap::~Bitmap()
{
  if (mSharedTexture)
    return;
  if (mFBO)
    mGraphics.DeleteFBO(mVG, mFBO);
  else
    mGraphics.DeleteImage(mVG, GetBitmap());
}

// ---------------------------------------------------------------- lifecycle

StaticStorage<IFontData>& IGraphicsNanoVG::FontCache()
{
  static StaticStorage<IFontData> cache;
  return cache;
}

IGraphicsNanoVG::IGraphicsNanoVG(IGEditorDelegate& dlg, int w, int h, int fps, float scale)
: IGraphics(dlg, w, h, fps, scale)
{
  StaticStorage<IFontData>::Accessor(FontCache()).Retain();
  StaticStorage<APIBitmap>::Accessor(mBitmapCache).Retain();
}

IGraphicsNanoVG::~IGraphicsNanoVG()
{
  // Controls may hold layers, whose framebuffers belong to this backend: they go first.
  RemoveAllControls();
  DeleteLayerStack();
  if (mVG)
  {
    ActivateGLContext();
    DeleteContextObjects();
  }
  StaticStorage<IFontData>::Accessor(FontCache()).Release();
}

void IGraphicsNanoVG::OnViewInitialized(void* /*layer*/)
{
  if (mVG || !ActivateGLContext())
    return;
  mVG = nvgCreateGL3(NVG_ANTIALIAS | NVG_STENCIL_STROKES);
}

void IGraphicsNanoVG::OnViewDestroyed()
{
  RemoveAllControls();
  DeleteLayerStack();
  if (!mVG)
    return;
  ActivateGLContext();
  DeleteContextObjects();
  DeactivateGLContext();
}

void IGraphicsNanoVG::DeleteContextObjects()
{
  {
    StaticStorage<APIBitmap>::Accessor cache(mBitmapCache);
    cache.Clear();
  }
  for (auto& [key, svg] : mSVGImages)
    if (svg.image > 0)
      nvgDeleteImage(mVG, svg.image);
  mSVGImages.clear();
  DeleteDeferred();
  if (mMainFrameBuffer)
    nvgluDeleteFramebuffer(mMainFrameBuffer);
  mMainFrameBuffer = nullptr;
  mFBWidth = mFBHeight = 0;
  nvgDeleteGL3(mVG);
  mVG = nullptr;
  mInFrame = mVGFrameOpen = false;
}

void IGraphicsNanoVG::DrawResize()
{
  if (!mVG || !ActivateGLContext())
    return;
  if (mMainFrameBuffer)
    nvgluDeleteFramebuffer(mMainFrameBuffer);
  mMainFrameBuffer = nullptr;
  mFBWidth = static_cast<int>(static_cast<int>(Width() * GetDrawScale()) * GetScreenScale());
  mFBHeight = static_cast<int>(static_cast<int>(Height() * GetDrawScale()) * GetScreenScale());
  mMainFrameBuffer = nvgluCreateFramebuffer(mVG, mFBWidth, mFBHeight, 0);
  if (!mMainFrameBuffer)
  {
    mFBWidth = mFBHeight = 0;
    return;
  }
  // A new framebuffer's contents are undefined.
  BindTarget(mMainFrameBuffer, mFBWidth, mFBHeight);
  glClearColor(0.f, 0.f, 0.f, 0.f);
  glClear(GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

// ---------------------------------------------------------------- frame

void IGraphicsNanoVG::BindTarget(NVGLUframebuffer* fbo, int pixelWidth, int pixelHeight)
{
  // nvgluBindFramebuffer(NULL) would bind whatever framebuffer it saw first; the window's is named.
  glBindFramebuffer(GL_FRAMEBUFFER, fbo ? fbo->fbo : GetWindowFramebuffer());
  glViewport(0, 0, pixelWidth, pixelHeight);
}

void IGraphicsNanoVG::BeginVGFrame(float width, float height, float pixelRatio)
{
  nvgBeginFrame(mVG, width, height, pixelRatio);
  mVGFrameOpen = true;
  mScissor = IRECT(-1e9f, -1e9f, 1e9f, 1e9f); // a new frame has no scissor
  mScissorMatrix = mMatrix;
}

void IGraphicsNanoVG::EndVGFrame()
{
  if (mVGFrameOpen)
    nvgEndFrame(mVG);
  mVGFrameOpen = false;
}

void IGraphicsNanoVG::BeginEditorFrame()
{
  BindTarget(mMainFrameBuffer, mFBWidth, mFBHeight);
  BeginVGFrame(static_cast<float>(static_cast<int>(Width() * GetDrawScale())),
               static_cast<float>(static_cast<int>(Height() * GetDrawScale())), GetScreenScale());
}

void IGraphicsNanoVG::BeginFrame()
{
  mInFrame = true;
  IGraphics::BeginFrame();
  if (!mVG || !mMainFrameBuffer || !ActivateGLContext())
    return;
  BeginEditorFrame();
}

void IGraphicsNanoVG::EndFrame()
{
  if (mVG && mMainFrameBuffer && ActivateGLContext())
  {
    EndVGFrame();
    // The composite: the whole editor image onto the window in one copy. Where the window is the
    // editor's size that replaces every pixel; in a larger window the rest is cleared first.
    int windowWidth = mFBWidth, windowHeight = mFBHeight, left = 0, top = 0;
    GetCompositePlacement(windowWidth, windowHeight, left, top);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, mMainFrameBuffer->fbo);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, GetWindowFramebuffer());
    glDisable(GL_SCISSOR_TEST);
    if (windowWidth != mFBWidth || windowHeight != mFBHeight || left != 0 || top != 0)
    {
      glViewport(0, 0, windowWidth, windowHeight);
      glClearColor(0.f, 0.f, 0.f, 1.f);
      glClear(GL_COLOR_BUFFER_BIT);
    }
    const int bottom = windowHeight - top - mFBHeight; // GL counts rows from the bottom
    glBlitFramebuffer(0, 0, mFBWidth, mFBHeight, left, bottom, left + mFBWidth, bottom + mFBHeight, GL_COLOR_BUFFER_BIT,
                      GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, GetWindowFramebuffer());
    OnFrameComposited();
  }
  mInFrame = false;
  DeleteDeferred();
}

void IGraphicsNanoVG::UpdateLayer()
{
  if (!mVG || !ActivateGLContext())
    return;
  EndVGFrame();
  if (const ILayer* layer = GetTopLayer())
  {
    const auto* bitmap = static_cast<const Bitmap*>(layer->GetAPIBitmap());
    BindTarget(bitmap->GetFBO(), bitmap->GetWidth(), bitmap->GetHeight());
    BeginVGFrame(layer->Bounds().W() * GetDrawScale(), layer->Bounds().H() * GetDrawScale(), GetScreenScale());
  }
  else if (mInFrame && mMainFrameBuffer)
    BeginEditorFrame();
  else
    BindTarget(mMainFrameBuffer, mFBWidth, mFBHeight);
}

APIBitmap* IGraphicsNanoVG::CreateAPIBitmap(int width, int height, float scale, double drawScale, bool /*cacheable*/)
{
  if (!mVG || width <= 0 || height <= 0 || !ActivateGLContext())
    return nullptr;
  const bool resume = mVGFrameOpen;
  EndVGFrame();
  NVGLUframebuffer* fbo = nvgluCreateFramebuffer(mVG, width, height, 0);
  if (fbo)
  {
    BindTarget(fbo, width, height);
    glClearColor(0.f, 0.f, 0.f, 0.f);
    glClear(GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    BeginVGFrame(static_cast<float>(width), static_cast<float>(height), 1.f);
    EndVGFrame();
  }
  if (resume && mMainFrameBuffer)
    BeginEditorFrame();
  if (!fbo)
    return nullptr;
  return new Bitmap(*this, mVG, fbo, width, height, scale, static_cast<float>(drawScale));
}

// ---------------------------------------------------------------- deletion

void IGraphicsNanoVG::DeleteImage(NVGcontext* vg, int image)
{
  // Images of a context that is gone went with it.
  if (!vg || vg != mVG || image <= 0)
    return;
  if (mInFrame)
  {
    mImagesToDelete.push_back(image);
    return;
  }
  if (ActivateGLContext())
    nvgDeleteImage(vg, image);
}

void IGraphicsNanoVG::DeleteFBO(NVGcontext* vg, NVGLUframebuffer* fbo)
{
  if (!fbo)
    return;
  if (vg != mVG || !mVG)
  {
    // Its context, and the GL objects with it, are gone; only the record remains.
    std::free(fbo);
    return;
  }
  if (mInFrame)
  {
    // The renderer may still sample its texture before the frame ends.
    std::lock_guard<std::mutex> lock(mFBOMutex);
    mFBOStack.push_back(fbo);
    return;
  }
  if (ActivateGLContext())
    nvgluDeleteFramebuffer(fbo);
}

void IGraphicsNanoVG::DeleteDeferred()
{
  for (int image : mImagesToDelete)
    nvgDeleteImage(mVG, image);
  mImagesToDelete.clear();

  std::vector<NVGLUframebuffer*> queued;
  {
    std::lock_guard<std::mutex> lock(mFBOMutex);
    queued.swap(mFBOStack);
  }
  for (NVGLUframebuffer* fbo : queued)
    nvgluDeleteFramebuffer(fbo);
}

// ---------------------------------------------------------------- resources

bool IGraphicsNanoVG::BitmapExtSupported(const char* ext)
{
  std::string lower(ext ? ext : "");
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  return !lower.empty() && (lower.find("png") != std::string::npos || lower.find("jpg") != std::string::npos ||
                            lower.find("jpeg") != std::string::npos);
}

IBitmap IGraphicsNanoVG::LoadBitmap(const char* name, int nStates, bool framesAreHorizontal, int targetScale)
{
  if (targetScale <= 0)
    targetScale = BitmapTargetScale(name);
  StaticStorage<APIBitmap>::Accessor cache(mBitmapCache);
  APIBitmap* bitmap = cache.Find(name, targetScale);
  if (!bitmap)
  {
    // The extension follows the last dot of the last path component.
    const std::string_view text(name ? name : "");
    const size_t dot = text.rfind('.');
    const size_t slash = text.find_last_of("/\\");
    const bool hasExt = dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash);
    const std::string ext(hasExt ? text.substr(dot + 1) : std::string_view());
    if (!BitmapExtSupported(ext.c_str()))
      return IBitmap();
    int sourceScale = 0;
    WDL_String path;
    const EResourceLocation location = SearchImageResource(name, ext.c_str(), path, targetScale, sourceScale);
    if (location == kNotFound)
      return IBitmap();
    // Stored under the scale of the file found: look that up before decoding again.
    bitmap = cache.Find(name, sourceScale);
    if (!bitmap)
    {
      bitmap = LoadAPIBitmap(path.Get(), sourceScale, location, ext.c_str());
      if (!bitmap)
        return IBitmap();
      cache.Add(bitmap, name, sourceScale);
    }
  }
  return IBitmap(bitmap, nStates, framesAreHorizontal, name);
}

IBitmap IGraphicsNanoVG::LoadBitmap(const char* name, const void* data, int dataSize, int nStates,
                                    bool framesAreHorizontal, int targetScale)
{
  if (targetScale <= 0)
    targetScale = static_cast<int>(std::ceil(GetScreenScale()));
  StaticStorage<APIBitmap>::Accessor cache(mBitmapCache);
  APIBitmap* bitmap = cache.Find(name, targetScale);
  if (!bitmap)
  {
    bitmap = LoadAPIBitmap(name, data, dataSize, targetScale);
    if (!bitmap)
      return IBitmap();
    // Owned by this backend's cache, like bitmaps from files.
    cache.Add(bitmap, name, targetScale);
  }
  return IBitmap(bitmap, nStates, framesAreHorizontal, name);
}

void IGraphicsNanoVG::RetainBitmap(const IBitmap& bitmap, const char* cacheName)
{
  StaticStorage<APIBitmap>::Accessor cache(mBitmapCache);
  if (bitmap.IsValid() && !cache.Contains(bitmap.GetAPIBitmap()))
    cache.Add(bitmap.GetAPIBitmap(), cacheName, bitmap.GetScale());
}

void IGraphicsNanoVG::ReleaseBitmap(const IBitmap& bitmap)
{
  StaticStorage<APIBitmap>::Accessor cache(mBitmapCache);
  if (bitmap.IsValid())
    cache.Remove(bitmap.GetAPIBitmap());
}

int IGraphicsNanoVG::NCachedBitmaps()
{
  StaticStorage<APIBitmap>::Accessor cache(mBitmapCache);
  return cache.Size();
}

APIBitmap* IGraphicsNanoVG::LoadAPIBitmap(const char* path, int scale, EResourceLocation location, const char* /*ext*/)
{
  if (location != kAbsolutePath || !path)
    return nullptr;
  const std::vector<uint8_t> bytes = ReadFileBytes(path);
  return CreateImageBitmap(bytes.data(), bytes.size(), scale);
}

APIBitmap* IGraphicsNanoVG::LoadAPIBitmap(const char* /*name*/, const void* data, int dataSize, int scale)
{
  if (!data || dataSize <= 0)
    return nullptr;
  return CreateImageBitmap(static_cast<const uint8_t*>(data), static_cast<size_t>(dataSize), scale);
}

APIBitmap* IGraphicsNanoVG::CreateImageBitmap(const uint8_t* data, size_t size, int scale)
{
  if (!mVG || !data || size == 0 || !ActivateGLContext())
    return nullptr;
  GLint maxTexture = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTexture);
  const RGBAImage image = DecodeImage(data, size, maxTexture > 0 ? maxTexture : 4096);
  if (!image.IsValid())
    return nullptr;
  const int handle = nvgCreateImageRGBA(mVG, image.width, image.height, 0, image.pixels.data());
  if (handle <= 0)
    return nullptr;
  return new Bitmap(*this, mVG, handle, image.width, image.height, static_cast<float>(scale), 1.f);
}

void IGraphicsNanoVG::GetLayerBitmapData(const ILayerPtr& layer, std::vector<uint8_t>& data)
{
  data.clear();
  if (!layer || !mVG || !ActivateGLContext())
    return;
  const auto* bitmap = static_cast<const Bitmap*>(layer->GetAPIBitmap());
  if (!bitmap || !bitmap->GetFBO())
    return;
  const int w = bitmap->GetWidth(), h = bitmap->GetHeight();
  data.resize(size_t(w) * size_t(h) * 4);
  GLint previous = 0;
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &previous);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, bitmap->GetFBO()->fbo);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  // Rows stay as GL stores them, which is how ApplyShadowMask writes them back.
  glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, data.data());
  glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(previous));
}

void IGraphicsNanoVG::ApplyShadowMask(ILayerPtr& layer, std::vector<uint8_t>& mask, const IColor& shadowColor)
{
  if (!layer || !mVG || !ActivateGLContext())
    return;
  const auto* bitmap = static_cast<const Bitmap*>(layer->GetAPIBitmap());
  if (!bitmap || !bitmap->GetFBO() || mask.size() != size_t(bitmap->GetWidth()) * size_t(bitmap->GetHeight()) * 4)
    return;
  // The mask's alpha shapes the shadow; the pixels are premultiplied like everything drawn into a layer.
  for (size_t i = 0; i < mask.size(); i += 4)
  {
    const int a = mask[i + 3] * shadowColor.A / 255;
    mask[i + 0] = static_cast<uint8_t>(shadowColor.R * a / 255);
    mask[i + 1] = static_cast<uint8_t>(shadowColor.G * a / 255);
    mask[i + 2] = static_cast<uint8_t>(shadowColor.B * a / 255);
    mask[i + 3] = static_cast<uint8_t>(a);
  }
  nvgUpdateImage(mVG, bitmap->GetBitmap(), mask.data());
}

} // namespace iplug::igraphics
