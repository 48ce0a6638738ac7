#include "graphics/IGraphics.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "graphics/IBitmapControl.h"
#include "graphics/IBubbleControl.h"
#include "graphics/ICornerResizerControl.h"
#include "graphics/IFPSDisplayControl.h"
#include "graphics/IGraphicsClock.h"
#include "graphics/IGraphicsEditorDelegate.h"
#include "graphics/IPopupMenuControl.h"
#include "graphics/ITextEntryControl.h"

namespace iplug::igraphics {

StaticStorage<APIBitmap>& IGraphics::BitmapCache()
{
  static StaticStorage<APIBitmap> cache;
  return cache;
}

StaticStorage<SVGHolder>& IGraphics::SVGCache()
{
  static StaticStorage<SVGHolder> cache;
  return cache;
}

IGraphics::IGraphics(IGEditorDelegate& dlg, int w, int h, int fps, float scale)
: mWidth(w)
, mHeight(h)
, mFPS(fps)
, mDrawScale(scale)
, mMinScale(scale / 2.f)
, mMaxScale(scale * 2.f)
, mDelegate(&dlg)
{
  // Bitmap cache first, always, so two editors never take the locks in opposite orders.
  StaticStorage<APIBitmap>::Accessor(BitmapCache()).Retain();
  StaticStorage<SVGHolder>::Accessor(SVGCache()).Retain();
}

IGraphics::~IGraphics()
{
  mCursorHidden = false;
  RemoveAllControls();
  {
    StaticStorage<APIBitmap>::Accessor bitmaps(BitmapCache());
    bitmaps.Release();
    StaticStorage<SVGHolder>::Accessor svgs(SVGCache());
    svgs.Release();
  }
  DeleteLayerStack();
}

void IGraphics::DeleteLayerStack()
{
  while (!mLayers.empty())
  {
    delete mLayers.top();
    mLayers.pop();
  }
}

// ---------------------------------------------------------------- attaching

IControl* IGraphics::AttachControl(IControl* control, int ctrlTag, const char* group)
{
  if (!control)
    return nullptr;
  if (ctrlTag > kNoTag)
  {
    if (mCtrlTags.count(ctrlTag))
      return nullptr; // tag in use: the caller keeps the control
    mCtrlTags[ctrlTag] = control;
  }
  control->SetDelegate(*mDelegate);
  control->SetGraphics(this);
  control->OnInit();
  control->OnResize();
  control->OnRescale();
  control->SetGroup(group ? group : "");
  mControls.Add(control);
  control->OnAttached();
  return control;
}

IControl* IGraphics::AttachBackground(IControl* control)
{
  if (!control)
    return nullptr;
  control->SetDelegate(*mDelegate);
  control->SetGraphics(this);
  control->OnInit();
  control->OnResize();
  control->OnRescale();
  mControls.Insert(0, control);
  return control;
}

IControl* IGraphics::AttachBackground(const char* fileName)
{
  const IBitmap bitmap = LoadBitmap(fileName, 1, false);
  return AttachBackground(new IBitmapControl(0.f, 0.f, bitmap, kNoParameter, EBlend::SrcOver));
}

void IGraphics::AttachOverlay(IControl* control)
{
  control->SetDelegate(*mDelegate);
  control->SetGraphics(this);
  control->OnInit();
  control->OnResize();
  control->OnRescale();
}

void IGraphics::AttachCornerResizer(IControl* control, EUIResizerMode mode, bool layoutOnResize)
{
  if (!control)
    return;
  if (mCornerResizer)
  {
    delete control; // the first one stays
    return;
  }
  mCornerResizer.reset(control);
  mGUISizeMode = mode;
  mLayoutOnResize = layoutOnResize;
  AttachOverlay(control);
}

void IGraphics::AttachCornerResizer(EUIResizerMode mode, bool layoutOnResize, const IColor& color,
                                    const IColor& mouseOverColor, const IColor& dragColor, float size)
{
  const auto w = static_cast<float>(mWidth);
  const auto h = static_cast<float>(mHeight);
  AttachCornerResizer(new ICornerResizerControl(IRECT(w - size + 1.f, h - size + 1.f, w - 1.f, h - 1.f), size, color,
                                                mouseOverColor, dragColor),
                      mode, layoutOnResize);
}

void IGraphics::AttachBubbleControl(const IText& text)
{
  AttachBubbleControl(new IBubbleControl(text, COLOR_WHITE, COLOR_BLACK, 5.f));
}

void IGraphics::AttachBubbleControl(IBubbleControl* bubble)
{
  if (!bubble)
    return;
  AttachOverlay(bubble);
  mBubbleControls.emplace_back(bubble);
}

void IGraphics::AttachPopupMenuControl(IPopupMenuControl* control)
{
  if (control)
    AttachOverlay(control);
  mPopupControl.reset(control);
}

void IGraphics::AttachTextEntryControl(ITextEntryControl* control)
{
  if (control)
    AttachOverlay(control);
  mTextEntryControl.reset(control);
}

void IGraphics::ShowFPSDisplay(bool enable)
{
  if (enable)
  {
    if (!mPerfDisplay)
    {
      mPerfDisplay = std::make_unique<IFPSDisplayControl>(IRECT(10, 10, 210, 60));
      AttachOverlay(mPerfDisplay.get());
    }
  }
  else if (mPerfDisplay)
  {
    ForgetControl(mPerfDisplay.get());
    mPerfDisplay.reset();
    mMouseOver = nullptr;
    mMouseOverIdx = -1;
  }
  SetAllControlsDirty();
}

IBubbleControl* IGraphics::GetBubbleControl(int i) const
{
  return i >= 0 && i < NBubbleControls() ? mBubbleControls[static_cast<size_t>(i)].get() : nullptr;
}

// ---------------------------------------------------------------- animation clock

double IGraphics::GetAnimationTimeMs() const { return mAnimationClock ? mAnimationClock() : MonotonicMs(); }

// ---------------------------------------------------------------- lookup and bulk operations

IControl* IGraphics::GetControlWithTag(int ctrlTag) const
{
  auto it = mCtrlTags.find(ctrlTag);
  return it == mCtrlTags.end() ? nullptr : it->second;
}

void IGraphics::ForStandardControlsFunc(const IControlFunction& func) const
{
  for (int i = 0; i < mControls.GetSize(); ++i)
    func(mControls.Get(i));
}

IControl* IGraphics::OverlayAt(int i) const
{
  IControl* const fixed[] = {mPerfDisplay.get(), mCornerResizer.get(), mTextEntryControl.get(), mPopupControl.get()};
  for (IControl* overlay : fixed)
    if (overlay && i-- == 0)
      return overlay;
  return i >= 0 && i < NBubbleControls() ? mBubbleControls[static_cast<size_t>(i)].get() : nullptr;
}

void IGraphics::ForControlWithParam(int paramIdx, const IControlFunction& func) const
{
  ForStandardControlsFunc([&](IControl* c) {
    if (c->LinkedToParam(paramIdx) > kNoValIdx)
      func(c);
  });
}

void IGraphics::ForControlInGroup(const char* group, const IControlFunction& func) const
{
  if (!group || !*group)
    return;
  ForStandardControlsFunc([&](IControl* c) {
    if (*c->GetGroup() && std::strcmp(c->GetGroup(), group) == 0)
      func(c);
  });
}

void IGraphics::SetAllControlsDirty()
{
  ForEachControl([](IControl* c) { c->SetDirty(false, kNoValIdx); });
}

void IGraphics::SetAllControlsClean() { ForAllControls(&IControl::SetClean); }

void IGraphics::UpdatePeers(IControl* caller, int callerValIdx)
{
  const int paramIdx = caller->GetParamIdx(callerValIdx);
  if (paramIdx <= kNoParameter)
    return;
  const double value = caller->GetValue(callerValIdx);
  ForStandardControlsFunc([&](IControl* c) {
    if (c == caller)
      return;
    const int valIdx = c->LinkedToParam(paramIdx);
    if (valIdx > kNoValIdx)
      c->SetValueFromDelegate(value, valIdx);
  });
}

void IGraphics::AssignParamNameToolTips()
{
  ForStandardControlsFunc([](IControl* c) {
    if (const IParam* param = c->GetParam(0))
      c->SetTooltip(param->GetName());
  });
}

const char* IGraphics::TooltipAt(float x, float y) const
{
  if (!mEnableTooltips || (mPopupControl && mPopupControl->GetExpanded()))
    return nullptr;
  for (int i = mControls.GetSize() - 1; i >= 0; --i)
  {
    const IControl* c = mControls.Get(i);
    const char* tip = c->GetTooltip();
    if (!c->IsHidden() && tip && *tip && !c->GetTargetRECT().Empty() && c->GetTargetRECT().Contains(x, y))
      return tip;
  }
  return nullptr;
}

void IGraphics::EnableTooltips(bool enable)
{
  mEnableTooltips = enable;
  if (enable)
    mEnableMouseOver = true;
}

void IGraphics::SetStrictDrawing(bool strict)
{
  mStrict = strict;
  SetAllControlsDirty();
}

// ---------------------------------------------------------------- removal

void IGraphics::ForgetControl(IControl* control)
{
  if (ControlIsCaptured(control))
    ReleaseMouseCapture();
  if (mMouseOver == control)
  {
    mMouseOver = nullptr;
    mMouseOverIdx = -1;
  }
  if (mInTextEntry == control)
    mInTextEntry = nullptr;
  if (mInPopupMenu == control)
    mInPopupMenu = nullptr;
  std::erase_if(mCtrlTags, [control](const auto& entry) { return entry.second == control; });
}

void IGraphics::RemoveControl(IControl* control)
{
  const int idx = mControls.Find(control);
  if (idx < 0)
    return;
  ForgetControl(control);
  mControls.Delete(idx, true);
  // Indices above the removed one moved down.
  if (mMouseOver)
    mMouseOverIdx = mControls.Find(mMouseOver);
  SetAllControlsDirty();
}

void IGraphics::RemoveControl(int idx) { RemoveControl(mControls.Get(idx)); }

void IGraphics::RemoveControlWithTag(int ctrlTag) { RemoveControl(GetControlWithTag(ctrlTag)); }

void IGraphics::RemoveControls(int fromIdx)
{
  for (int i = mControls.GetSize() - 1; i >= std::max(fromIdx, 0); --i)
    RemoveControl(i);
}

void IGraphics::RemoveAllControls()
{
  ReleaseMouseCapture();
  mMouseOver = nullptr;
  mMouseOverIdx = -1;
  // Nothing may keep pointing at a deleted control.
  mInTextEntry = nullptr;
  mInPopupMenu = nullptr;
  mPopupControl.reset();
  mTextEntryControl.reset();
  mCornerResizer.reset();
  mPerfDisplay.reset();
  mBubbleControls.clear();
  mCtrlTags.clear();
  for (int i = mControls.GetSize() - 1; i >= 0; --i)
    mControls.Delete(i, true);
}

// ---------------------------------------------------------------- placement

void IGraphics::SetControlPosition(int idx, float x, float y)
{
  IControl* c = GetControl(idx);
  if (!c)
    return;
  c->SetPosition(x, y);
  if (!c->IsHidden())
    SetAllControlsDirty();
}

void IGraphics::SetControlSize(int idx, float w, float h)
{
  IControl* c = GetControl(idx);
  if (!c)
    return;
  c->SetSize(w, h);
  if (!c->IsHidden())
    SetAllControlsDirty();
}

void IGraphics::SetControlBounds(int idx, const IRECT& r)
{
  IControl* c = GetControl(idx);
  if (!c)
    return;
  c->SetTargetAndDrawRECTs(r);
  c->OnResize();
  if (!c->IsHidden())
    SetAllControlsDirty();
}

// ---------------------------------------------------------------- size and scale

int IGraphics::WindowWidth() const
{
  return static_cast<int>(static_cast<int>(static_cast<float>(mWidth) * mDrawScale) * GetPlatformWindowScale());
}

int IGraphics::WindowHeight() const
{
  return static_cast<int>(static_cast<int>(static_cast<float>(mHeight) * mDrawScale) * GetPlatformWindowScale());
}

void IGraphics::Resize(int w, int h, float scale, bool needsPlatformResize)
{
  w = std::clamp(w, mDelegate->GetMinWidth(), std::max(mDelegate->GetMinWidth(), mDelegate->GetMaxWidth()));
  h = std::clamp(h, mDelegate->GetMinHeight(), std::max(mDelegate->GetMinHeight(), mDelegate->GetMaxHeight()));
  if (!std::isfinite(scale))
    scale = mDrawScale; // a broken scale request must not poison the editor's geometry
  scale = std::clamp(scale, mMinScale, mMaxScale);

  if (w == mWidth && h == mHeight && scale == mDrawScale)
    return;

  // A resize can come from a state load while a control is held: it gets its
  // release and the host the end of the gesture.
  EndMouseCapture();
  const int densityBefore = BitmapDensity();
  mDrawScale = scale;
  mWidth = w;
  mHeight = h;

  // Images follow the zoom when it crosses into another variant (dragging the corner from 100 % to
  // 101 % on a 1x screen wants the @2x artwork), and only then.
  if (BitmapDensity() != densityBefore)
    ForAllControls(&IControl::OnRescale);
  else if (mCornerResizer)
    mCornerResizer->OnRescale();

  PlatformResize(mDelegate->EditorResizeFromUI(WindowWidth(), WindowHeight(), needsPlatformResize));
  ForAllControls(&IControl::OnResize);
  SetAllControlsDirty();
  DrawResize();

  if (mLayoutOnResize)
    mDelegate->LayoutUI(this);
}

void IGraphics::SetScreenScale(float scale)
{
  // Pixel alignment divides by the scale: keep the last good one.
  if (!(scale > 0.f) || !std::isfinite(scale))
    return;
  mScreenScale = scale;
  PlatformResize(mDelegate->EditorResizeFromUI(WindowWidth(), WindowHeight(), true));
  ForAllControls(&IControl::OnRescale);
  SetAllControlsDirty();
  DrawResize();
}

float IGraphics::ScaleToFit(int width, int height) const
{
  // The window of a zoom, as WindowWidth rounds it, in device pixels.
  const auto window = [this](float scale, int points) {
    return static_cast<int>(static_cast<float>(static_cast<int>(static_cast<float>(points) * scale)) * mScreenScale);
  };
  const auto fits = [&](float scale) { return window(scale, mWidth) <= width && window(scale, mHeight) <= height; };
  const auto exactly = [&](float scale) { return window(scale, mWidth) == width && window(scale, mHeight) == height; };
  if (width <= 0 || height <= 0 || mWidth <= 0 || mHeight <= 0)
    return mDrawScale;
  if (exactly(mDrawScale))
    return mDrawScale; // a host confirming the size the editor asked for changes nothing
  if (exactly(1.f) && 1.f >= mMinScale && 1.f <= mMaxScale)
    return 1.f;
  // Just under the zoom where either side would take one pixel more than it has.
  const auto limit = [this](int pixels, int points) {
    const float wholePoints = std::ceil(static_cast<float>(pixels + 1) / mScreenScale); // first that is too many
    return wholePoints / static_cast<float>(points);
  };
  float scale = std::nextafter(std::min(limit(width, mWidth), limit(height, mHeight)), 0.f);
  for (int i = 0; i < 8 && !fits(scale); ++i)
    scale = std::nextafter(scale * (1.f - 1e-6f), 0.f);
  return std::clamp(scale, mMinScale, mMaxScale);
}

void IGraphics::FitToHostSize(int width, int height) { Resize(mWidth, mHeight, ScaleToFit(width, height), false); }

void IGraphics::OnDragResize(float x, float y)
{
  if (mGUISizeMode == EUIResizerMode::Size)
  {
    // Clamped before the conversion so a wild pointer position cannot overflow an int.
    const auto whole = [](float v) { return static_cast<int>(std::clamp(std::isfinite(v) ? v : 0.f, 0.f, 1e6f)); };
    Resize(whole(x), whole(y), mDrawScale, true);
    return;
  }
  float scale = std::min(x * mDrawScale / mMouseDownX, y * mDrawScale / mMouseDownY);
  // Without a valid press position the ratio is meaningless (NaN or negative): keep the scale.
  if (!std::isfinite(scale) || scale <= 0.f)
    return;
  // Where the pointer stops is never exact: near 100 % the artwork's own size wins, so that is what
  // gets drawn (pixel for pixel) and saved.
  if (std::fabs(scale - 1.f) <= kResizeSnapRange)
    scale = 1.f;
  Resize(mWidth, mHeight, scale, true);
}

void IGraphics::EndDragResize()
{
  mResizingInProgress = false;
  if (mGUISizeMode == EUIResizerMode::Scale)
  {
    ForAllControls(&IControl::OnRescale);
    ForAllControlsFunc([](IControl* c) { c->SetDirty(false); });
  }
}

// ---------------------------------------------------------------- window (headless defaults)

void* IGraphics::OpenWindow(void* parent)
{
  // A view that is still open is discarded first, so the layout never attaches its controls twice.
  if (mWindow)
    CloseWindow();
  mWindow = parent;
  mDelegate->LayoutUI(this);
  UpdateTooltips();
  mDelegate->OnUIOpen();
  return mWindow;
}

void IGraphics::CloseWindow()
{
  mWindow = nullptr;
  OnViewDestroyed();
  // The controls belong to the view: the next opening lays them out afresh.
  RemoveAllControls();
}

ECursor IGraphics::SetMouseCursor(ECursor cursor)
{
  const ECursor previous = mCursorType;
  mCursorType = cursor;
  return previous;
}

// ---------------------------------------------------------------- prompts and menus

void IGraphics::PromptUserInput(IControl& control, const IRECT& bounds, int valIdx)
{
  const IParam* param = control.GetParam(valIdx);
  if (!param)
    return;

  WDL_String current;
  param->GetDisplay(current, true);

  const bool isEnum = param->Type() == IParam::kTypeEnum;
  const bool isNamedBool = param->Type() == IParam::kTypeBool && param->NDisplayTexts() > 0;
  if (isEnum || isNamedBool)
  {
    mPromptPopupMenu.Clear();
    mPromptPopupMenu.SetRootTitle(param->GetName());
    mPromptPopupMenu.SetChosenItemIdx(-1);
    for (int i = 0; i < param->NDisplayTexts(); ++i)
    {
      const char* text = param->GetDisplayTextAtIdx(i);
      IPopupMenu::Item* item = mPromptPopupMenu.AddItem(text);
      item->SetChecked(std::strcmp(text, current.Get()) == 0);
    }
    DoCreatePopupMenu(control, mPromptPopupMenu, bounds, valIdx, false);
    return;
  }

  if (control.GetPromptShowsParamLabel())
  {
    current.Append(" ");
    current.Append(param->GetLabel());
  }
  mInTextEntry = &control;
  mTextEntryValIdx = valIdx;
  const int paramIdx = control.GetParamIdx(valIdx);
  if (mTextEntryControl)
    mTextEntryControl->CreateTextEntry(paramIdx, control.GetText(), bounds, control.GetTextEntryLength(),
                                       current.Get());
  else
    CreatePlatformTextEntry(paramIdx, control.GetText(), bounds, control.GetTextEntryLength(), current.Get());
  control.SetDirty(false);
}

void IGraphics::DoCreatePopupMenu(IControl& control, IPopupMenu& menu, const IRECT& bounds, int valIdx, bool isContext)
{
  ReleaseMouseCapture();
  mInPopupMenu = &control;
  mPopupMenuValIdx = valIdx;
  mIsContextMenu = isContext;

  if (mPopupControl)
  {
    mPopupControl->CreatePopupMenu(menu, bounds);
    return;
  }
  bool isAsync = false;
  IPopupMenu* result = CreatePlatformPopupMenu(menu, bounds, isAsync);
  if (!isAsync)
    SetControlValueAfterPopupMenu(result);
}

void IGraphics::SetControlValueAfterPopupMenu(IPopupMenu* menu)
{
  IControl* control = mInPopupMenu;
  if (!control)
    return;
  if (mIsContextMenu)
    control->OnContextSelection(menu ? menu->GetChosenItemIdx() : -1);
  else
    control->OnPopupMenuSelection(menu, mPopupMenuValIdx);

  // The selection may have removed the control (and cleared mInPopupMenu) meanwhile.
  if (mInPopupMenu == control)
  {
    for (int v = 0; v < control->NVals(); ++v)
      if (const int paramIdx = control->GetParamIdx(v); paramIdx > kNoParameter)
        mDelegate->EndInformHostOfParamChangeFromUI(paramIdx);
  }
  mInPopupMenu = nullptr;
}

void IGraphics::SetControlValueAfterTextEdit(const char* str)
{
  IControl* control = mInTextEntry;
  if (!control)
    return;
  mInTextEntry = nullptr;
  const int valIdx = mTextEntryValIdx;
  const IParam* param = valIdx >= 0 ? control->GetParam(valIdx) : nullptr;
  if (!param)
  {
    control->OnTextEntryCompletion(str, valIdx);
    return;
  }
  const double real = param->ConstrainValue(param->StringToValue(str ? str : ""));
  control->SetValueFromUserInput(std::clamp(param->NormalizedFromReal(real), 0.0, 1.0), valIdx);
}

void IGraphics::ShowBubbleControl(IControl* caller, float x, float y, const char* str, EDirection dir,
                                  IRECT minimumContentBounds)
{
  if (mBubbleControls.empty())
    return;

  if (!mEnableMultiTouch)
  {
    mBubbleControls.front()->ShowBubble(caller, x, y, str, dir, minimumContentBounds, 0);
    return;
  }

  // A bubble already following this touch; else a hidden one; else one whose touch has let go. One
  // that follows another touch still held is never taken from it: then this touch shows none.
  std::vector<ITouchID> touches;
  GetTouches(caller, touches);
  const ITouchID touch = touches.size() == 1 ? touches.front() : 0;
  const auto first = [this](const auto& wanted) -> IBubbleControl* {
    for (const auto& b : mBubbleControls)
      if (wanted(*b))
        return b.get();
    return nullptr;
  };
  IBubbleControl* bubble = first([touch](const IBubbleControl& b) { return !b.IsHidden() && b.GetTouchID() == touch; });
  if (!bubble)
    bubble = first([](const IBubbleControl& b) { return b.IsHidden(); });
  if (!bubble)
    bubble = first([this](const IBubbleControl& b) { return !mCapturedMap.count(b.GetTouchID()); });
  if (!bubble)
    return;
  bubble->ShowBubble(caller, x, y, str, dir, minimumContentBounds, touch);
}

} // namespace iplug::igraphics
