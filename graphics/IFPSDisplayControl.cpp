#include "graphics/IFPSDisplayControl.h"

#include <algorithm>

#include "graphics/IGraphics.h"

namespace iplug::igraphics {

IFPSDisplayControl::IFPSDisplayControl(const IRECT& bounds, EStyle style, const char* label)
: IControl(bounds, kNoParameter)
, mStyle(style)
, mLabel(label)
, mAPIText(14.f, DEFAULT_FRCOLOR, DEFAULT_FONT, ETextHAlign::Near, ETextVAlign::Top)
, mMainValueText(18.f, DEFAULT_FRCOLOR, DEFAULT_FONT, ETextHAlign::Far, ETextVAlign::Top)
, mSecondaryValueText(15.f, DEFAULT_FRCOLOR, DEFAULT_FONT, ETextHAlign::Far, ETextVAlign::Bottom)
{
  SetColor(EVColor::Background, COLOR_WHITE);
  mText = IText(14.f, DEFAULT_FRCOLOR, DEFAULT_FONT, ETextHAlign::Near, ETextVAlign::Bottom);
  SetDirty(false);
}

void IFPSDisplayControl::OnMouseDown(float, float, const IMouseMod&) { mStyle = static_cast<EStyle>((mStyle + 1) % 3); }

void IFPSDisplayControl::Update(float interval)
{
  mWritePos = (mWritePos + 1) % kNumSamples;
  mHistory[mWritePos] = interval;
}

float IFPSDisplayControl::GetMean() const
{
  float sum = 0.f;
  for (float s : mHistory)
    sum += s;
  return sum / kNumSamples;
}

void IFPSDisplayControl::Draw(IGraphics& g)
{
  const float mean = GetMean();

  g.FillRect(GetColor(EVColor::Background), mRECT);
  g.DrawRect(COLOR_BLACK, mRECT);

  const IRECT area = mRECT.GetPadded(-2.f);
  g.PathClear();
  g.PathMoveTo(area.L, area.B);
  for (int i = 0; i < kNumSamples; ++i)
  {
    const float s = GetSample(i);
    float h = 0.f;
    switch (mStyle)
    {
      case kFPS: h = std::min(1.f / (s + 0.00001f), 80.f) / 80.f * area.H(); break;
      case kMS: h = std::min(s * 1000.f, 20.f) / 20.f * area.H(); break;
      case kPercentage: h = std::min(s, 100.f) / 100.f * area.H(); break;
    }
    g.PathLineTo(area.L + static_cast<float>(i) / (kNumSamples - 1) * area.W(), area.B - h);
  }
  g.PathLineTo(mRECT.R, mRECT.B);
  g.PathFill(GetColor(EVColor::Foreground));

  g.DrawText(mAPIText, g.GetDrawingAPIStr(), area);
  if (!mLabel.Empty())
    g.DrawText(mText, mLabel.Get(), area);

  WDL_String str;
  switch (mStyle)
  {
    case kPercentage:
      str.SetFormatted(32, "%.1f %%", mean);
      g.DrawText(mMainValueText, str.Get(), area);
      break;
    case kMS:
      str.SetFormatted(32, "%.2f ms", mean * 1000.f);
      g.DrawText(mMainValueText, str.Get(), area);
      break;
    case kFPS:
      str.SetFormatted(32, "%.2f FPS", 1.f / mean);
      g.DrawText(mMainValueText, str.Get(), area);
      str.SetFormatted(32, "%.2f ms", mean * 1000.f);
      g.DrawText(mSecondaryValueText, str.Get(), area);
      break;
  }
}

} // namespace iplug::igraphics
