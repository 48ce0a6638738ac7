// A scene of everything the backend draws (bitmaps, text, gradients, a
// layer, a drop shadow, dotted lines, an SVG) at screen scale 2, probed at a
// few known points. With CORVANE_SCENE_PNG set, the composited editor is also
// written to that file for a look by eye.

#include "OffscreenEditor.h"
#include "TestBundle.h"

#include <cstdlib>

using namespace iplug::igraphics;
using namespace iplug::igraphics::test;

namespace {

constexpr const char* kRoboto = "/usr/share/fonts/truetype/roboto/unhinted/RobotoTTF/Roboto-Regular.ttf";

IPattern Gradient(EPatternType type, const IColor& from, const IColor& to, const IMatrix& transform)
{
  IPattern p(type);
  p.AddStop(from, 0.f);
  p.AddStop(to, 1.f);
  p.mTransform = transform;
  return p;
}

} // namespace

TEST(DrawingScene, BitmapsTextGradientsAndALayerLandWhereTheyShould)
{
  TestBundle bundle;
  // A 4-frame horizontal strip of coloured squares, at scale 2.
  ASSERT_TRUE(WriteTestPNG(bundle.Resource("Lamp@2x.png"), 4 * 48, 48, [](int x, int y) {
    const int dx = x % 48 - 24, dy = y - 24;
    const RGBA colours[] = {{230, 60, 40, 255}, {250, 190, 30, 255}, {60, 200, 90, 255}, {40, 120, 230, 255}};
    return dx * dx + dy * dy < 20 * 20 ? colours[x / 48] : RGBA{0, 0, 0, 0};
  }));
  bundle.Write("Mark.svg", "<svg xmlns='http://www.w3.org/2000/svg' width='32' height='32'>"
                           "<circle cx='16' cy='16' r='14' fill='#ffffff' stroke='#202020' stroke-width='3'/>"
                           "<path d='M9 16 L14 22 L24 10' fill='none' stroke='#208040' stroke-width='4'/></svg>");

  OffscreenEditor editor(320, 200, 2.f);
  REQUIRE_GL(editor);
  IGraphicsOffscreen& g = editor.g();
  g.SetBundleID(bundle.id.c_str());
  ASSERT_TRUE(g.LoadFont("Roboto-Regular", kRoboto));
  const IBitmap lamp = g.LoadBitmap("Lamp.png", 4, true);
  ASSERT_TRUE(lamp.IsValid());
  ASSERT_EQ(lamp.FW(), 24);
  const ISVG mark = g.LoadSVG("Mark.svg");
  ASSERT_TRUE(mark.IsValid());

  // Background: a vertical linear gradient, dark blue at the top to grey at the bottom.
  editor.Add(g.GetBounds(), [](IGraphics& gr, const IRECT& r) {
    gr.PathClear();
    gr.PathRect(r);
    gr.PathFill(Gradient(EPatternType::Linear, IColor(255, 20, 30, 80), IColor(255, 200, 200, 200),
                         IMatrix(1, 0, 0, 1.0 / r.H(), 0, 0)));
  });
  // A radial gradient disc, white centre to transparent edge, over a drop shadow.
  editor.Add(IRECT(20, 20, 100, 100), [](IGraphics& gr, const IRECT& r) {
    gr.DrawFastDropShadow(r.GetPadded(-10), r.GetPadded(5), 4.f, 8.f, 6.f);
    gr.PathClear();
    gr.PathCircle(r.MW(), r.MH(), 35.f);
    gr.PathFill(Gradient(EPatternType::Radial, COLOR_WHITE, IColor(255, 220, 120, 20),
                         IMatrix(1.0 / 35, 0, 0, 1.0 / 35, -r.MW() / 35, -r.MH() / 35)));
  });
  // The four lamp frames in a row.
  editor.Add(IRECT(120, 20, 224, 44), [lamp](IGraphics& gr, const IRECT& r) {
    for (int f = 1; f <= 4; ++f)
      gr.DrawBitmap(lamp, IRECT(r.L + 26.f * (f - 1), r.T, r.L + 26.f * (f - 1) + 24.f, r.B), f);
  });
  // Text: a title and a rotated label.
  editor.Add(IRECT(120, 50, 310, 80), [](IGraphics& gr, const IRECT& r) {
    gr.DrawText(IText(24.f, COLOR_WHITE, "Roboto-Regular", ETextHAlign::Near), "Corvane", r);
  });
  editor.Add(IRECT(260, 90, 310, 190), [](IGraphics& gr, const IRECT& r) {
    gr.DrawText(IText(14.f, COLOR_BLACK, "Roboto-Regular", ETextHAlign::Center, ETextVAlign::Middle, -90.f), "Output",
                r);
  });
  // A layer: a green rounded panel with a red ring, cached and drawn at 75 %.
  ILayerPtr layer;
  editor.Add(IRECT(120, 100, 240, 180), [&layer](IGraphics& gr, const IRECT& r) {
    if (!gr.CheckLayer(layer))
    {
      gr.StartLayer(nullptr, r);
      gr.FillRoundRect(IColor(255, 30, 160, 80), r, 12.f);
      gr.DrawCircle(COLOR_RED, r.MW(), r.MH(), 25.f, nullptr, 6.f);
      layer = gr.EndLayer();
    }
    gr.DrawLayer(layer, &BLEND_75);
  });
  // Dotted frame and the SVG mark.
  editor.Add(IRECT(20, 120, 100, 190), [mark](IGraphics& gr, const IRECT& r) {
    gr.DrawDottedRect(COLOR_BLACK, r, nullptr, 2.f, 4.f);
    gr.DrawSVG(mark, r.GetCentredInside(48.f, 48.f));
  });
  ASSERT_TRUE(editor.Frame());

  auto at = [&](float x, float y) { return editor.At(int(2 * x), int(2 * y)); };
  // Gradient ends and middle.
  EXPECT_TRUE(Near(at(310, 1), {20, 31, 81, 255}, 6));
  EXPECT_TRUE(Near(at(310, 199), {199, 199, 199, 255}, 6));
  EXPECT_TRUE(Near(at(5, 100), {110, 115, 140, 255}, 8));
  // The radial disc is white at its centre and orange at its rim.
  EXPECT_TRUE(Near(at(60, 60), {255, 255, 255, 255}, 6));
  EXPECT_TRUE(Near(at(60, 27), {221, 122, 23, 255}, 12));
  // Each lamp frame shows its own colour at the centre of its square.
  const RGBA lamps[] = {{230, 60, 40, 255}, {250, 190, 30, 255}, {60, 200, 90, 255}, {40, 120, 230, 255}};
  for (int f = 0; f < 4; ++f)
    EXPECT_TRUE(Near(at(132 + 26.f * f, 32), lamps[f], 4)) << "frame " << f + 1;
  // The layer at 75 % over the gradient: mostly green, the ring mostly red.
  const RGBA panel = at(130, 110);
  EXPECT_GT(panel.g, 110);
  EXPECT_LT(panel.r, 80);
  EXPECT_GT(at(180, 140 - 25).r, 180);
  // The SVG's white disc inside its dotted frame.
  EXPECT_TRUE(Near(at(60, 145), {255, 255, 255, 255}, 4));
  // White title glyphs somewhere in the title box.
  int bright = 0;
  for (int y = 100; y < 160; ++y)
    for (int x = 240; x < 620; ++x)
      bright += editor.At(x, y).r > 240;
  EXPECT_GT(bright, 100);

  if (const char* path = std::getenv("CORVANE_SCENE_PNG"))
  {
    EXPECT_TRUE(g.WritePNG(path)) << path;
  }
}
