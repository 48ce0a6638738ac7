#include "graphics/IGraphicsEditorDelegate.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "graphics/IGraphics.h"

namespace iplug::igraphics {

IGEditorDelegate::IGEditorDelegate(int nParams) : IEditorDelegate(nParams) {}

IGEditorDelegate::~IGEditorDelegate()
{
  // An editor still open when the plug-in goes away closes its window first.
  if (mGraphics)
    CloseWindow();
  mGraphics.reset();
  mLayoutFunc = nullptr;
  mMakeGraphicsFunc = nullptr;
}

IGraphics* IGEditorDelegate::CreateGraphics() { return mMakeGraphicsFunc ? mMakeGraphicsFunc() : nullptr; }

void IGEditorDelegate::LayoutUI(IGraphics* ui)
{
  if (mLayoutFunc)
    mLayoutFunc(ui);
}

void* IGEditorDelegate::OpenWindow(void* parent)
{
  if (!mGraphics)
  {
    mGraphics.reset(CreateGraphics());
    if (mGraphics)
    {
      mMinStoredScale = mGraphics->GetMinScale();
      mMaxStoredScale = mGraphics->GetMaxScale();
    }
    if (mGraphics && mStoredWidth != 0 && mStoredHeight != 0 && mStoredScale != 0.f)
      mGraphics->Resize(mStoredWidth, mStoredHeight, mStoredScale, true);
  }
  if (!mGraphics)
    return nullptr;
  return mGraphics->OpenWindow(parent);
}

void IGEditorDelegate::CloseWindow()
{
  if (mClosing)
    return;
  mClosing = true;
  OnUIClose();
  if (mGraphics)
  {
    mStoredWidth = mGraphics->Width();
    mStoredHeight = mGraphics->Height();
    mStoredScale = mGraphics->GetDrawScale();
    mGraphics->CloseWindow();
    mGraphics.reset();
  }
  mClosing = false;
}

void IGEditorDelegate::SetScreenScale(float scale)
{
  if (mGraphics)
    mGraphics->SetScreenScale(scale);
}

void IGEditorDelegate::OnParentWindowResize(int width, int height)
{
  if (mGraphics)
    mGraphics->FitToHostSize(width, height);
}

void IGEditorDelegate::SendParameterValueFromDelegate(int paramIdx, double value, bool normalized)
{
  if (mGraphics)
  {
    const IParam* param = GetParam(paramIdx);
    if (!normalized && param)
      value = param->NormalizedFromReal(value);
    if (normalized || param)
    {
      mGraphics->ForStandardControlsFunc([&](IControl* c) {
        for (int v = 0; v < c->NVals(); ++v)
          if (c->GetParamIdx(v) == paramIdx)
            c->SetValueFromDelegate(value, v);
      });
    }
  }
  OnParamChangeUI(paramIdx, kDelegate);
}

void IGEditorDelegate::SendControlValueFromDelegate(int ctrlTag, double normalizedValue)
{
  if (!mGraphics)
    return;
  if (IControl* c = mGraphics->GetControlWithTag(ctrlTag))
    c->SetValueFromDelegate(normalizedValue, 0);
}

void IGEditorDelegate::SendControlMsgFromDelegate(int ctrlTag, int msgTag, int dataSize, const void* data)
{
  if (!mGraphics)
    return;
  if (IControl* c = mGraphics->GetControlWithTag(ctrlTag))
    c->OnMsgFromDelegate(msgTag, dataSize, data);
}

void IGEditorDelegate::SendMidiMsgFromDelegate(const IMidiMsg& msg)
{
  if (mGraphics)
    mGraphics->ForStandardControlsFunc([&](IControl* c) {
      if (c->GetWantsMidi())
        c->OnMidi(msg);
    });
  OnMidiMsgUI(msg);
}

bool IGEditorDelegate::OnKeyDown(const IKeyPress& key)
{
  if (!mGraphics)
    return false;
  float x = 0.f, y = 0.f;
  mGraphics->GetMouseLocation(x, y);
  return mGraphics->OnKeyDown(x, y, key);
}

bool IGEditorDelegate::OnKeyUp(const IKeyPress& key)
{
  if (!mGraphics)
    return false;
  float x = 0.f, y = 0.f;
  mGraphics->GetMouseLocation(x, y);
  return mGraphics->OnKeyUp(x, y, key);
}

bool IGEditorDelegate::SerializeEditorSize(IByteChunk& chunk) const
{
  const int32_t width = mGraphics ? mGraphics->Width() : mStoredWidth;
  const int32_t height = mGraphics ? mGraphics->Height() : mStoredHeight;
  const float scale = mGraphics ? mGraphics->GetDrawScale() : mStoredScale;
  const int start = chunk.Size();
  chunk.WriteValue(width);
  chunk.WriteValue(height);
  chunk.WriteValue(scale);
  return chunk.Size() == start + kEditorRecordSize;
}

int IGEditorDelegate::UnserializeEditorSize(const IByteChunk& chunk, int startPos)
{
  int32_t width = 0, height = 0;
  float scale = 0.f;
  int pos = chunk.ReadValue(width, startPos);
  if (pos >= 0)
    pos = chunk.ReadValue(height, pos);
  if (pos >= 0)
    pos = chunk.ReadValue(scale, pos);

  if (!mGraphics)
  {
    // Kept within the editor's limits, so a damaged record is not saved back
    // as it came. Zero keeps its meaning: no size.
    const auto within = [](int32_t v, int lo, int hi) { return v == 0 ? 0 : std::clamp(v, lo, std::max(lo, hi)); };
    mStoredWidth = within(width, GetMinWidth(), GetMaxWidth());
    mStoredHeight = within(height, GetMinHeight(), GetMaxHeight());
    if (!(scale > 0.f) || !std::isfinite(scale))
      scale = 0.f;
    else if (mMaxStoredScale > 0.f) // the limits are known once an editor existed
      scale = std::clamp(scale, mMinStoredScale, std::max(mMinStoredScale, mMaxStoredScale));
    mStoredScale = scale;
  }
  else if (width != 0 && height != 0 && scale != 0.f)
  {
    mGraphics->Resize(width, height, scale, true);
  }
  return pos < 0 ? -1 : startPos + kEditorRecordSize;
}

} // namespace iplug::igraphics
