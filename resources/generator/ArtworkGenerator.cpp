// Draws the editor's artwork: the background panel and the filmstrips of its
// knobs and switches, at 1x and 2x, with the NanoVG backend offscreen.
//   corvane_artwork OUTPUT_FOLDER
// A console channel: a dark panel, scales with a legend for every position of
// the stepped knobs, switches whose two states differ in lever, lamp and text.
// Knob legends are on the panel, so one filter-knob strip serves both filters.

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "graphics/IGraphicsEditorDelegate.h"
#include "platform/linux/IGraphicsOffscreen.h"

namespace {

using namespace iplug::igraphics;

constexpr const char* kFontFolder = "/usr/share/fonts/truetype/roboto/unhinted/RobotoTTF/";

// ---------------------------------------------------------------- palette

constexpr IColor kPanelTop(255, 46, 49, 54);
constexpr IColor kPanelBottom(255, 30, 32, 36);
constexpr IColor kGroove(255, 16, 17, 19);
constexpr IColor kGrooveLight(255, 62, 66, 72);
constexpr IColor kLegend(255, 232, 228, 216);
constexpr IColor kLegendDim(255, 150, 148, 140);
constexpr IColor kUnlit(255, 96, 94, 90);
constexpr IColor kAmber(255, 255, 176, 64);
constexpr IColor kGreen(255, 120, 230, 120);
constexpr IColor kRed(255, 172, 38, 42);
constexpr IColor kRedDark(255, 100, 18, 22);
constexpr IColor kGrey(255, 104, 110, 118);
constexpr IColor kGreyDark(255, 48, 52, 58);
constexpr IColor kBlue(255, 48, 98, 150);
constexpr IColor kBlueDark(255, 22, 48, 80);
constexpr IColor kShadow(120, 0, 0, 0);

// ---------------------------------------------------------------- the geometry the layout fixes

struct KnobArt
{
  float frameW, frameH; // one frame, points
  float radius;         // the cap
  int frames;
  float sweep; // degrees either side of twelve o'clock
  IColor cap, capDark;
};

constexpr KnobArt kGainKnob{130, 130, 34, 13, 135, kRed, kRedDark};
constexpr KnobArt kOutKnob{130, 130, 34, 61, 135, kGrey, kGreyDark};
constexpr KnobArt kFilterKnob{130, 110, 30, 5, 120, kBlue, kBlueDark};

// Knob centres on the panel: frame top-left from the layout plus half a frame.
constexpr float kGainX = 120 + 65, kGainY = 31 + 65;
constexpr float kOutX = 343 + 65, kOutY = 31 + 65;
constexpr float kHpfX = 120 + 65, kHpfY = 198 + 55;
constexpr float kLpfX = 343 + 65, kLpfY = 198 + 55;

// ---------------------------------------------------------------- drawing helpers

IText Font(float size, const IColor& color, const char* font = "Roboto-Bold", ETextHAlign align = ETextHAlign::Center)
{
  return IText(size, color, font, align, ETextVAlign::Middle);
}

void Label(IGraphics& g, const char* str, float cx, float cy, float size, const IColor& color,
           const char* font = "Roboto-Bold")
{
  g.DrawText(Font(size, color, font), str, IRECT(cx - 60, cy - size, cx + 60, cy + size));
}

/** A two-colour gradient from (x1, y1) to (x2, y2). */
IPattern Linear(float x1, float y1, float x2, float y2, const IColor& from, const IColor& to)
{
  IPattern p(EPatternType::Linear);
  p.AddStop(from, 0.f);
  p.AddStop(to, 1.f);
  // The pattern maps user space onto a unit gradient along y; this is the inverse of
  // (0,0) -> (x1,y1), (0,1) -> (x2,y2).
  const double dx = x2 - x1, dy = y2 - y1;
  const double det = dy * dy + dx * dx;
  if (det <= 0.0)
    return IPattern(from);
  const IMatrix forward(dy, -dx, dx, dy, x1, y1);
  IMatrix inv(forward.mYY / det, -forward.mYX / det, -forward.mXY / det, forward.mXX / det, 0, 0);
  inv.mTX = -(inv.mXX * x1 + inv.mXY * y1);
  inv.mTY = -(inv.mYX * x1 + inv.mYY * y1);
  p.mTransform = inv;
  return p;
}

/** A two-colour radial gradient around (cx, cy) out to r. */
IPattern Radial(float cx, float cy, float r, const IColor& inner, const IColor& outer, float innerShare = 0.f)
{
  IPattern p(EPatternType::Radial);
  p.AddStop(inner, innerShare);
  p.AddStop(outer, 1.f);
  p.mTransform = IMatrix(1.0 / r, 0, 0, 1.0 / r, -cx / r, -cy / r);
  return p;
}

void FillCirclePattern(IGraphics& g, const IPattern& pattern, float cx, float cy, float r)
{
  g.PathClear();
  g.PathCircle(cx, cy, r);
  g.PathFill(pattern);
}

void Screw(IGraphics& g, float cx, float cy)
{
  FillCirclePattern(g, Radial(cx - 1.5f, cy - 1.5f, 6.f, IColor(255, 170, 172, 176), IColor(255, 70, 72, 76)), cx, cy,
                    5.f);
  g.DrawLine(IColor(255, 40, 40, 44), cx - 3.5f, cy + 1.5f, cx + 3.5f, cy - 1.5f, nullptr, 1.5f);
}

/** Angle in degrees, clockwise from twelve o'clock, to a point at radius r. */
void Polar(float cx, float cy, float angle, float r, float& x, float& y)
{
  const float a = angle * 3.14159265f / 180.f;
  x = cx + r * std::sin(a);
  y = cy - r * std::cos(a);
}

// ---------------------------------------------------------------- the panel

// Room between the end of a tick and the nearest edge of its legend.
constexpr float kLegendGap = 2.5f;

void Scale(IGraphics& g, float cx, float cy, float sweep, float ringR, const std::vector<const char*>& labels,
           int ticks, float fontSize)
{
  // Minor ticks between the labelled ones, a lit arc behind them.
  g.DrawArc(kGrooveLight, cx, cy, ringR - 2.f, -sweep, sweep, nullptr, 1.f);
  for (int i = 0; i < ticks; ++i)
  {
    const float angle = -sweep + 2.f * sweep * static_cast<float>(i) / static_cast<float>(ticks - 1);
    float x1, y1, x2, y2;
    Polar(cx, cy, angle, ringR, x1, y1);
    Polar(cx, cy, angle, ringR + 4.f, x2, y2);
    g.DrawLine(kLegendDim, x1, y1, x2, y2, nullptr, 1.f);
  }
  const int n = static_cast<int>(labels.size());
  for (int i = 0; i < n; ++i)
  {
    const float angle = n > 1 ? -sweep + 2.f * sweep * static_cast<float>(i) / static_cast<float>(n - 1) : 0.f;
    float x1, y1, x2, y2, lx, ly;
    Polar(cx, cy, angle, ringR, x1, y1);
    Polar(cx, cy, angle, ringR + 7.f, x2, y2);
    g.DrawLine(kLegend, x1, y1, x2, y2, nullptr, 1.5f);
    // The legend's box clears the tick's end by the gap whatever its width: its centre sits as far
    // beyond as the box reaches towards the knob at this angle.
    IRECT box;
    g.MeasureText(Font(fontSize, kLegend, "Roboto-Medium"), labels[static_cast<size_t>(i)], box);
    const float a = angle * 3.14159265f / 180.f;
    const float reach = box.W() / 2.f * std::fabs(std::sin(a)) + box.H() / 2.f * std::fabs(std::cos(a));
    Polar(cx, cy, angle, ringR + 7.f + kLegendGap + reach, lx, ly);
    Label(g, labels[static_cast<size_t>(i)], lx, ly, fontSize, kLegend, "Roboto-Medium");
  }
}

void Panel(IGraphics& g)
{
  const IRECT all(0, 0, 575, 333);
  g.PathClear();
  g.PathRect(all);
  g.PathFill(Linear(0, 0, 0, 333, kPanelTop, kPanelBottom));
  g.DrawRect(kGroove, all.GetPadded(-0.5f), nullptr, 1.f);
  g.DrawRect(kGrooveLight, all.GetPadded(-1.5f), nullptr, 1.f);

  // The groove between the preamp (top) and the filters (bottom).
  g.DrawLine(kGroove, 10, 180, 565, 180, nullptr, 2.f);
  g.DrawLine(kGrooveLight, 10, 182, 565, 182, nullptr, 1.f);
  // And the one between the knobs and the engage buttons.
  g.DrawLine(kGroove, 466, 40, 466, 320, nullptr, 2.f);
  g.DrawLine(kGrooveLight, 468, 40, 468, 320, nullptr, 1.f);

  for (const auto& [x, y] : std::vector<std::pair<float, float>>{{12, 12}, {563, 12}, {12, 321}, {563, 321}})
    Screw(g, x, y);

  // Name plate.
  g.DrawText(Font(18, kLegend, "Roboto-Black", ETextHAlign::Near), "CORVANE", IRECT(26, 6, 200, 30));
  g.DrawText(Font(8, kLegendDim, "Roboto-Medium", ETextHAlign::Near), "CONSOLE MIC PRE", IRECT(118, 8, 260, 28));
  g.DrawText(Font(8, kLegendDim, "Roboto-Medium", ETextHAlign::Near), "CHANNEL FILTER", IRECT(26, 296, 160, 316));

  // Section and control names.
  Label(g, "INPUT", 77, 44, 8, kLegendDim);
  Label(g, "PHASE", 305, 44, 8, kLegendDim);
  Label(g, "PREAMP", 523, 44, 8, kLegendDim);
  Label(g, "FILTER", 523, 210, 8, kLegendDim);
  // Each knob's unit under its name, large enough to read at 100 %.
  Label(g, "GAIN", kGainX, kGainY + 52, 10, kLegend);
  Label(g, "dB", kGainX, kGainY + 65, 9, kLegendDim, "Roboto-Medium");
  Label(g, "OUTPUT", kOutX, kOutY + 52, 10, kLegend);
  Label(g, "dB", kOutX, kOutY + 65, 9, kLegendDim, "Roboto-Medium");
  // The filters' units sit just above the oversampling latch (its top at y 311).
  Label(g, "HIGH PASS", kHpfX, kHpfY + 41, 9, kLegend);
  Label(g, "Hz", kHpfX, kHpfY + 52, 9, kLegendDim, "Roboto-Medium");
  Label(g, "LOW PASS", kLpfX, kLpfY + 41, 9, kLegend);
  Label(g, "Hz", kLpfX, kLpfY + 52, 9, kLegendDim, "Roboto-Medium");

  // A legend for every position of the stepped knobs; Output every 6 dB.
  Scale(g, kGainX, kGainY, 135, 38, {"-20", "-15", "-10", "-5", "0", "5", "10", "15", "20", "25", "30", "35", "40"}, 13,
        7.5f);
  Scale(g, kOutX, kOutY, 135, 38, {"-24", "-18", "-12", "-6", "0", "+6", "+12", "+18", "+24"}, 25, 7.5f);
  Scale(g, kHpfX, kHpfY, 120, 34, {"OFF", "45", "70", "160", "360"}, 5, 8.f);
  Scale(g, kLpfX, kLpfY, 120, 34, {"OFF", "8k", "6k", "4k", "2k"}, 5, 8.f);
}

// ---------------------------------------------------------------- knobs

void Knob(IGraphics& g, const KnobArt& k, int frame)
{
  const float cx = k.frameW / 2.f;
  const float cy = k.frameH / 2.f + static_cast<float>(frame) * k.frameH;
  const float v = k.frames > 1 ? static_cast<float>(frame) / static_cast<float>(k.frames - 1) : 0.f;
  const float angle = -k.sweep + 2.f * k.sweep * v;
  const float r = k.radius;

  g.FillCircle(kShadow, cx + 1.5f, cy + 3.f, r + 1.f);
  // Skirt: knurled dark ring, then the coloured cap with a top light.
  FillCirclePattern(g, Linear(cx, cy - r, cx, cy + r, IColor(255, 64, 66, 70), IColor(255, 18, 18, 20)), cx, cy, r);
  for (int i = 0; i < 36; ++i)
  {
    float x1, y1, x2, y2;
    Polar(cx, cy, static_cast<float>(i) * 10.f + angle, r - 4.f, x1, y1);
    Polar(cx, cy, static_cast<float>(i) * 10.f + angle, r - 0.5f, x2, y2);
    g.DrawLine(IColor(255, 12, 12, 14), x1, y1, x2, y2, nullptr, 1.f);
  }
  const float capR = r * 0.74f;
  FillCirclePattern(g, Radial(cx - capR * 0.35f, cy - capR * 0.45f, capR * 1.4f, k.cap, k.capDark, 0.1f), cx, cy, capR);
  g.DrawCircle(IColor(90, 255, 255, 255), cx, cy, capR - 0.5f, nullptr, 1.f);

  // Pointer: a white line from near the centre past the cap's edge.
  float x1, y1, x2, y2;
  Polar(cx, cy, angle, r * 0.25f, x1, y1);
  Polar(cx, cy, angle, r - 1.f, x2, y2);
  g.DrawLine(IColor(255, 248, 246, 240), x1, y1, x2, y2, nullptr, 3.f);
}

// ---------------------------------------------------------------- switches

/** A bat-handle toggle on a plate with a legend and a lamp at each end; `up` is frame 2. */
void Toggle(IGraphics& g, float w, float h, int frame, const char* topLegend, const char* bottomLegend,
            const IColor& lamp)
{
  const bool up = frame == 1;
  const float top = static_cast<float>(frame) * h;
  const IRECT plate(4, top + 4, w - 4, top + h - 4);
  g.FillRoundRect(kShadow, plate.GetPadded(1.f), 5.f);
  g.PathClear();
  g.PathRoundRect(plate, 4.f);
  g.PathFill(Linear(0, plate.T, 0, plate.B, IColor(255, 40, 42, 46), IColor(255, 24, 25, 28)));
  g.DrawRoundRect(kGrooveLight, plate, 4.f, nullptr, 1.f);

  const float cx = w / 2.f;
  const float cy = top + h / 2.f;
  Label(g, topLegend, cx, plate.T + 11, 8.5f, up ? kLegend : kLegendDim);
  Label(g, bottomLegend, cx, plate.B - 11, 8.5f, up ? kLegendDim : kLegend);
  // A lamp beside each legend; the selected one is lit.
  g.FillCircle(up ? lamp : kUnlit, plate.L + 7, plate.T + 11, 2.5f);
  g.FillCircle(up ? kUnlit : lamp, plate.L + 7, plate.B - 11, 2.5f);

  // Nut and bat.
  FillCirclePattern(g, Radial(cx - 2, cy - 2, 10, IColor(255, 200, 202, 206), IColor(255, 90, 92, 96)), cx, cy, 8.f);
  const float tipY = up ? cy - 20.f : cy + 20.f;
  g.DrawLine(kShadow, cx + 1.5f, cy + 2.f, cx + 1.5f, tipY + 2.f, nullptr, 6.f);
  g.PathClear();
  g.PathMoveTo(cx - 2.5f, cy);
  g.PathLineTo(cx - 4.f, tipY);
  g.PathLineTo(cx + 4.f, tipY);
  g.PathLineTo(cx + 2.5f, cy);
  g.PathClose();
  g.PathFill(Linear(cx - 4, 0, cx + 4, 0, IColor(255, 230, 232, 236), IColor(255, 120, 122, 128)));
  FillCirclePattern(g, Radial(cx - 1.5f, tipY - 1.5f, 6, IColor(255, 250, 250, 252), IColor(255, 140, 142, 148)), cx,
                    tipY, 4.5f);
}

/** A square push button with a lamp: dark and "OUT" as frame 1, lit amber and "IN" as frame 2. */
void EngageButton(IGraphics& g, int frame)
{
  const float s = 90.f;
  const bool on = frame == 1;
  const float top = static_cast<float>(frame) * s;
  const IRECT body(12, top + 12, s - 12, top + s - 12);
  g.FillRoundRect(kShadow, body.GetPadded(2.f), 8.f);
  g.PathClear();
  g.PathRoundRect(body, 7.f);
  g.PathFill(Linear(0, body.T, 0, body.B, IColor(255, 74, 76, 80), IColor(255, 36, 37, 40)));
  g.DrawRoundRect(IColor(255, 12, 12, 14), body, 7.f, nullptr, 1.5f);

  const IRECT lens = body.GetPadded(-9.f);
  if (on)
  {
    g.FillRoundRect(IColor(110, 255, 170, 50), lens.GetPadded(5.f), 9.f); // glow
    g.PathClear();
    g.PathRoundRect(lens, 5.f);
    g.PathFill(Radial(lens.MW(), lens.MH(), lens.W() * 0.75f, IColor(255, 255, 226, 150), kAmber, 0.15f));
  }
  else
  {
    g.PathClear();
    g.PathRoundRect(lens, 5.f);
    g.PathFill(Linear(0, lens.T, 0, lens.B, IColor(255, 58, 50, 40), IColor(255, 34, 30, 26)));
  }
  g.DrawText(Font(15, on ? IColor(255, 70, 34, 0) : kUnlit, "Roboto-Black"), on ? "IN" : "OUT", lens);
}

/** A pill-shaped latch with a lamp and "2x OVERSAMPLING": unlit as frame 1, lit green as frame 2. */
void OversamplingLatch(IGraphics& g, float w, float h, int frame)
{
  const bool on = frame == 1;
  const float top = static_cast<float>(frame) * h;
  const IRECT pill(1, top + 1, w - 1, top + h - 1);
  g.PathClear();
  g.PathRoundRect(pill, (h - 2) / 2.f);
  g.PathFill(Linear(0, pill.T, 0, pill.B, IColor(255, 54, 56, 60), IColor(255, 28, 29, 32)));
  g.DrawRoundRect(on ? IColor(255, 110, 200, 110) : kGrooveLight, pill, (h - 2) / 2.f, nullptr, 1.f);
  const float lampX = pill.L + h / 2.f + 2.f, lampY = top + h / 2.f;
  if (on)
    g.FillCircle(IColor(90, 120, 230, 120), lampX, lampY, 6.f);
  g.FillCircle(on ? kGreen : IColor(255, 40, 60, 40), lampX, lampY, 3.5f);
  g.DrawText(Font(9, on ? kLegend : kLegendDim, "Roboto-Bold", ETextHAlign::Near), "2x OVERSAMPLING",
             IRECT(lampX + 9.f, top, w - 4.f, top + h));
  g.DrawText(Font(8, on ? kGreen : kUnlit, "Roboto-Black", ETextHAlign::Far), on ? "ON" : "OFF",
             IRECT(lampX, top, w - 10.f, top + h));
}

// ---------------------------------------------------------------- rendering

class ArtDelegate : public IGEditorDelegate
{
public:
  ArtDelegate() : IGEditorDelegate(0) {}
  bool EditorResizeFromUI(int, int, bool) override { return true; }
  void BeginInformHostOfParamChangeFromUI(int) override {}
  void EndInformHostOfParamChangeFromUI(int) override {}
};

class ArtControl : public IControl
{
public:
  using DrawFunc = std::function<void(IGraphics&)>;
  ArtControl(const IRECT& r, DrawFunc func) : IControl(r), mFunc(std::move(func)) {}
  void Draw(IGraphics& g) override { mFunc(g); }

private:
  DrawFunc mFunc;
};

struct Strip
{
  const char* name;
  float w, h; // whole strip in points
  std::function<void(IGraphics&)> draw;
};

/** Renders one strip at `scale` into folder/name (with @2x for scale 2); false on failure. */
bool Render(const Strip& strip, int scale, const std::string& folder)
{
  ArtDelegate dlg;
  IGraphicsOffscreen g(dlg, static_cast<int>(strip.w), static_cast<int>(strip.h), 60, 1.f);
  dlg.SetLayoutUIFunc([&](IGraphics* ui) {
    for (const char* font : {"Roboto-Bold", "Roboto-Black", "Roboto-Medium"})
      if (!ui->LoadFont(font, (std::string(kFontFolder) + font + ".ttf").c_str()))
        std::fprintf(stderr, "corvane_artwork: cannot load the font %s\n", font);
    ui->AttachControl(new ArtControl(IRECT(0, 0, strip.w, strip.h), strip.draw));
  });
  g.SetScreenScale(static_cast<float>(scale));
  if (!g.OpenWindow(nullptr))
  {
    std::fprintf(stderr, "corvane_artwork: %s\n", g.GetError().c_str());
    return false;
  }
  g.DrawFrame();
  std::string name = strip.name;
  if (scale > 1)
    name.insert(name.rfind('.'), "@" + std::to_string(scale) + "x");
  const std::string path = folder + "/" + name;
  const bool ok = g.WritePNG(path.c_str());
  g.CloseWindow();
  if (!ok)
    std::fprintf(stderr, "corvane_artwork: cannot write %s\n", path.c_str());
  return ok;
}

std::function<void(IGraphics&)> Frames(int n, std::function<void(IGraphics&, int)> frame)
{
  return [n, frame](IGraphics& g) {
    for (int i = 0; i < n; ++i)
      frame(g, i);
  };
}

} // namespace

int main(int argc, char** argv)
{
  if (argc != 2)
  {
    std::fputs("usage: corvane_artwork OUTPUT_FOLDER\n", stderr);
    return 2;
  }
  const std::string folder = argv[1];
  const auto knobStrip = [](const char* name, const KnobArt& k) {
    return Strip{name, k.frameW, k.frameH * static_cast<float>(k.frames),
                 Frames(k.frames, [&k](IGraphics& g, int i) { Knob(g, k, i); })};
  };
  const std::vector<Strip> strips = {
    {"BG.png", 575, 333, Panel},
    {"PWR.png", 90, 180, Frames(2, EngageButton)},
    {"MIC.png", 70, 180, Frames(2, [](IGraphics& g, int i) { Toggle(g, 70, 90, i, "MIC", "LINE", kAmber); })},
    {"PHS.png", 60, 180, Frames(2, [](IGraphics& g, int i) { Toggle(g, 60, 90, i, "INV", "NORM", kAmber); })},
    knobStrip("GAIN.png", kGainKnob),
    knobStrip("OUT.png", kOutKnob),
    knobStrip("FLT.png", kFilterKnob),
    {"OVER.png", 170, 40, Frames(2, [](IGraphics& g, int i) { OversamplingLatch(g, 170, 20, i); })},
  };
  bool ok = true;
  for (const Strip& strip : strips)
    for (int scale : {1, 2})
      ok = Render(strip, scale, folder) && ok;
  return ok ? 0 : 1;
}
