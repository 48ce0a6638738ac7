#include "tools/corvane/AnalysisPicture.h"

#include "tools/corvane/AnalysisCharts.h"
#include "tools/corvane/AnalysisReport.h"
#include "tools/corvane/PlotFrame.h"
#include "tools/corvane/ReportStyle.h"
#include "tools/corvane/ToolError.h"

#include "graphics/IControl.h"
#include "graphics/IGraphicsEditorDelegate.h"
#include "platform/linux/IGraphicsOffscreen.h"

#include <cmath>
#include <memory>

namespace corvane::host {

using iplug::igraphics::ETextStyle;
using iplug::igraphics::IControl;
using iplug::igraphics::IGEditorDelegate;
using iplug::igraphics::IGraphics;
using iplug::igraphics::IGraphicsOffscreen;
using iplug::igraphics::IRECT;
using namespace report;

namespace {

// The picture has no parameters to edit and never resizes.
class PictureDelegate : public IGEditorDelegate
{
public:
  PictureDelegate() : IGEditorDelegate(0) {}
  bool EditorResizeFromUI(int, int, bool) override { return false; }
  void BeginInformHostOfParamChangeFromUI(int) override {}
  void EndInformHostOfParamChangeFromUI(int) override {}
};

std::string RateText(int rate)
{
  char text[32];
  std::snprintf(text, sizeof text, "%g kHz", rate / 1000.0);
  return text;
}

// One figure of the header: a small caption over a large value.
void Figure(IGraphics& g, const IRECT& r, const std::string& caption, const std::string& value)
{
  g.FillRoundRect(IColor(255, 34, 45, 60), r, 8.f);
  g.DrawText(Text(12.f, kHeaderMuted, ETextHAlign::Near, ETextVAlign::Top), caption.c_str(),
             IRECT(r.L + 14.f, r.T + 12.f, r.R - 10.f, r.T + 28.f));
  g.DrawText(Text(24.f, kHeaderText, ETextHAlign::Near, ETextVAlign::Bottom, kBold), value.c_str(),
             IRECT(r.L + 14.f, r.T + 28.f, r.R - 10.f, r.B - 10.f));
}

// The settings as "Name value" pairs flowing over lines; values that differ
// from the parameter's default stand out.
void Settings(IGraphics& g, const IRECT& r, const std::vector<SettingText>& settings)
{
  float x = r.L, y = r.T;
  const float lineHeight = 20.f, gap = 18.f;
  for (const SettingText& s : settings)
  {
    // "Oversampling On" names itself; "Gain 25dB" needs the name.
    const std::string label = s.text.starts_with(s.name) ? "" : s.name;
    const IText name = Text(13.f, kHeaderMuted);
    const IText value = Text(13.f, s.atDefault ? kHeaderText : kHeaderAccent, ETextHAlign::Near, ETextVAlign::Middle,
                             s.atDefault ? kRegular : kBold);
    IRECT nameBounds, valueBounds;
    g.MeasureText(name, label.c_str(), nameBounds);
    g.MeasureText(value, s.text.c_str(), valueBounds);
    const float nameWidth = label.empty() ? 0.f : nameBounds.W() + 6.f;
    const float w = nameWidth + valueBounds.W();
    if (x > r.L && x + w > r.R)
    {
      x = r.L;
      y += lineHeight;
    }
    if (y + lineHeight > r.B + 1.f)
      break;
    g.DrawText(name, label.c_str(), IRECT(x, y, x + nameWidth, y + lineHeight));
    g.DrawText(value, s.text.c_str(), IRECT(x + nameWidth, y, x + w + 1.f, y + lineHeight));
    x += w + gap;
  }
}

void Header(IGraphics& g, const IRECT& r, const UnitAnalysis& a)
{
  g.FillRect(kHeader, r);
  const IText title = Text(30.f, kHeaderText, ETextHAlign::Near, ETextVAlign::Middle, kBold);
  IRECT titleBounds;
  g.MeasureText(title, "Corvane", titleBounds);
  const IRECT titleRow(r.L + 28.f, r.T + 14.f, r.L + 740.f, r.T + 50.f);
  g.DrawText(title, "Corvane", titleRow);
  g.DrawText(Text(30.f, kHeaderMuted), "analysis",
             IRECT(titleRow.L + titleBounds.W() + 10.f, titleRow.T, titleRow.R, titleRow.B));
  const std::string facts = RateText(a.sampleRate) + " \u00b7 latency " + std::to_string(a.latency) +
                            (a.latency == 1 ? " sample" : " samples") +
                            " \u00b7 measured through the component as a host runs it";
  g.DrawText(Text(14.f, kHeaderMuted), facts.c_str(), IRECT(titleRow.L, r.T + 50.f, titleRow.R, r.T + 70.f));
  Settings(g, IRECT(titleRow.L, r.T + 74.f, r.L + 740.f, r.B - 4.f), a.settings);

  const float w = 128.f, gap = 10.f;
  float x = r.R - 28.f - 3 * w - 2 * gap;
  const IRECT row(x, r.T + 18.f, x, r.B - 18.f);
  const std::string figures[3][2] = {
    {"THD  " + FrequencyText(a.harmonics.frequencyHz), ThdText(a.harmonics.thdPercent)},
    {"\u22123 dB LOW", a.corners.lowHz ? FrequencyText(*a.corners.lowHz) : "none"},
    {"\u22123 dB HIGH", a.corners.highHz ? FrequencyText(*a.corners.highHz) : "none"},
  };
  for (const auto& figure : figures)
  {
    Figure(g, IRECT(x, row.T, x + w, row.B), figure[0], figure[1]);
    x += w + gap;
  }
}

class ReportControl : public IControl
{
public:
  ReportControl(const IRECT& bounds, const UnitAnalysis& analysis) : IControl(bounds), mAnalysis(analysis) {}

  void Draw(IGraphics& g) override
  {
    const IRECT& r = mRECT;
    g.FillRect(kPage, r);
    Header(g, IRECT(r.L, r.T, r.R, r.T + 124.f), mAnalysis);
    const float top = r.T + 140.f, split = r.T + 466.f, bottom = r.B - 30.f, middle = r.MW();
    DrawResponseChart(g, IRECT(r.L + 20.f, top, r.R - 20.f, split - 16.f), mAnalysis);
    DrawHarmonicsChart(g, IRECT(r.L + 20.f, split, middle - 8.f, bottom), mAnalysis);
    DrawTransferChart(g, IRECT(middle + 8.f, split, r.R - 20.f, bottom), mAnalysis);
    g.DrawText(Text(12.f, kMuted, ETextHAlign::Center),
               "corvane analyze \u00b7 response: exponential sweep, deconvolved, latency removed \u00b7 harmonics: "
               "four 1 s Blackman-Harris blocks, power-averaged \u00b7 transfer: RMS level after settling",
               IRECT(r.L + 20.f, bottom + 4.f, r.R - 20.f, r.B - 4.f));
  }

private:
  const UnitAnalysis& mAnalysis;
};

void LoadFonts(IGraphicsOffscreen& g, const std::string& fontFile)
{
  const bool regular =
    (!fontFile.empty() && g.LoadFont(kRegular, fontFile.c_str())) || g.LoadFont(kRegular, "Roboto", ETextStyle::Normal);
  if (!regular)
    throw ToolError("cannot draw the report: Roboto is neither in the component's resources nor installed");
  if (!g.LoadFont(kBold, "Roboto", ETextStyle::Bold) && !(!fontFile.empty() && g.LoadFont(kBold, fontFile.c_str())))
    g.LoadFont(kBold, "Roboto", ETextStyle::Normal);
}

} // namespace

Picture DrawAnalysisPicture(const UnitAnalysis& analysis, float scale, const std::string& fontFile)
{
  PictureDelegate delegate;
  IGraphicsOffscreen g(delegate, kPictureWidth, kPictureHeight, 60, 1.f);
  g.SetScreenScale(scale);
  if (!g.OpenWindow(nullptr))
    throw ToolError("cannot draw the report: " + g.GetError() + " (is Mesa's EGL installed?)");
  Picture picture;
  try
  {
    LoadFonts(g, fontFile);
    g.AttachControl(new ReportControl(g.GetBounds(), analysis));
    g.DrawFrame();
    if (!g.ReadPixels(picture.rgba, picture.width, picture.height))
      throw ToolError("cannot read the report's pixels back");
  }
  catch (...)
  {
    g.CloseWindow();
    throw;
  }
  g.CloseWindow();
  return picture;
}

} // namespace corvane::host
