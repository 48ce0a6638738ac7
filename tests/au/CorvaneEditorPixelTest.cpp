// The product's editor drawn for real, offscreen on llvmpipe with the
// bundle's own artwork: what each switch and knob shows after the pointer
// moves it, the value bubble, reopening, and a saved zoom coming back.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "au/AUHost.h"
#include "core/MakeFourCC.h"
#include "graphics/GraphicsTestSupport.h"
#include "graphics/IControls.h"
#include "platform/linux/IGraphicsOffscreen.h"
#include "preamp/Corvane.h"

extern "C" AudioComponentPlugInInterface* Corvane_Factory(const AudioComponentDescription* desc);

namespace corvane_test {
namespace {
using namespace iplug::igraphics;
using iplug::Corvane;
using iplug::igraphics::test::Point;

AudioComponentDescription Description()
{
  return {static_cast<OSType>(MakeFourCC("aufx")), static_cast<OSType>(MakeFourCC("Qzr1")),
          static_cast<OSType>(MakeFourCC("Vtrn")), 0, 0};
}

struct Pixel
{
  int r, g, b;
  bool Lit() const { return std::max(r, g) > 200; } // amber, green or white light
  bool Dark() const { return r < 110 && g < 110; }
};

class CorvaneEditorPixels : public ::testing::Test
{
protected:
  static void SetUpTestSuite()
  {
    // The bundle's resources are where the editor looks, by the bundle identifier.
    static const CFBundleRef bundle = [] {
      CFURLRef url = CFURLCreateFromFileSystemRepresentation(
        nullptr, reinterpret_cast<const UInt8*>(CORVANE_BUNDLE_DIR), sizeof(CORVANE_BUNDLE_DIR) - 1, true);
      CFBundleRef b = CFBundleCreate(nullptr, url);
      CFRelease(url);
      return b;
    }();
    static const AudioComponent component = [] {
      const AudioComponentDescription desc = Description();
      return AudioComponentRegister(&desc, CFSTR("Veltrano: Corvane (pixels)"), 0x00020000, Corvane_Factory);
    }();
    ASSERT_NE(bundle, nullptr);
    ASSERT_NE(component, nullptr);
  }

  /** Opens the editor of `unit`; skips the test where no GL context can be made. */
  IGraphicsOffscreen* Open(const AUInstance& unit)
  {
    auto* plug = dynamic_cast<Corvane*>(unit.adapter());
    if (plug)
      plug->SetEditorOffscreen(true); // a window editor is the platform's default
    if (!plug || !plug->OpenWindow(nullptr))
      return nullptr;
    auto* g = dynamic_cast<IGraphicsOffscreen*>(plug->GetUI());
    if (g)
      g->SetAnimationClock([this] { return nowMs; });
    return g;
  }

  /** Draws the dirty regions and reads the editor back. */
  void Draw(IGraphicsOffscreen& g)
  {
    g.DrawFrame();
    ASSERT_TRUE(g.ReadPixels(pixels, width, height));
  }

  Pixel At(float x, float y) const // editor points at screen scale 1
  {
    const float s = static_cast<float>(width) / 575.f;
    const size_t i = (static_cast<size_t>(y * s) * static_cast<size_t>(width) + static_cast<size_t>(x * s)) * 4;
    return {pixels[i], pixels[i + 1], pixels[i + 2]};
  }

  static void Click(IGraphics& g, const IControl& c)
  {
    g.OnMouseDown(Point(c.GetRECT().MW(), c.GetRECT().MH(), IMouseMod(true)));
    g.OnMouseUp(Point(c.GetRECT().MW(), c.GetRECT().MH(), IMouseMod(true)));
  }

  static double Param(const AUInstance& unit, int idx)
  {
    AudioUnitParameterValue v = -1.f;
    AudioUnitGetParameter(unit, static_cast<AudioUnitParameterID>(idx), kAudioUnitScope_Global, 0, &v);
    return v;
  }

  double nowMs = 0.0;
  std::vector<uint8_t> pixels;
  int width = 0, height = 0;
};

TEST_F(CorvaneEditorPixels, SwitchClicksChangeParameterAndPictureOnlyOversamplingShowsTheBubble)
{
  AUInstance unit(Description());
  IGraphicsOffscreen* g = Open(unit);
  if (!g)
    GTEST_SKIP() << "no offscreen OpenGL here";
  Draw(*g);
  ASSERT_EQ(width, 575);
  ASSERT_EQ(height, 333);
  ASSERT_EQ(g->NControls(), 10);

  // Each switch's lamp (or lens), lit in the frame of value 1.
  const struct
  {
    int control;
    int param;
    float x, y;
  } switches[] = {
    {1, 5, 505, 80},  // preamp engage lens, beside its text
    {2, 4, 505, 246}, // filter engage lens
    {3, 6, 53, 68},   // MIC lamp
    {4, 7, 286, 68},  // INV lamp
    {9, 8, 200, 321}, // oversampling lamp
  };
  IBubbleControl* bubble = g->GetBubbleControl(0);
  for (const auto& s : switches)
  {
    const double before = Param(unit, s.param);
    EXPECT_EQ(At(s.x, s.y).Lit(), before == 1.0) << s.param;
    Click(*g, *g->GetControl(s.control));
    nowMs += 300.0; // past the bubble's fade-in
    Draw(*g);
    EXPECT_EQ(Param(unit, s.param), 1.0 - before) << s.param;
    EXPECT_EQ(At(s.x, s.y).Lit(), before == 0.0) << s.param;
    EXPECT_EQ(At(s.x, s.y).Dark(), before == 1.0) << s.param;
    EXPECT_EQ(bubble->IsHidden(), s.param != 8) << s.param;
  }
  // The bubble is drawn white above the oversampling switch.
  const IRECT inner = bubble->GetBubbleBounds().GetPadded(-10.f);
  const Pixel fill = At(inner.L + 3.f, inner.T + 3.f);
  EXPECT_GT(fill.r, 220);
  EXPECT_GT(fill.b, 220);
  EXPECT_STREQ(bubble->GetStr(), "Oversampling On");
}

TEST_F(CorvaneEditorPixels, DraggingGainTurnsItsPointerAndReopeningLaysOutAgain)
{
  AUInstance unit(Description());
  IGraphicsOffscreen* g = Open(unit);
  if (!g)
    GTEST_SKIP() << "no offscreen OpenGL here";
  Draw(*g);
  // At 0 dB the pointer is up-left of the gain knob's centre (185, 96); at 40 dB down-right.
  EXPECT_TRUE(At(185 - 14, 96 - 14).Lit());
  EXPECT_FALSE(At(185 + 14, 96 + 14).Lit());

  IControl* gain = g->GetControl(5);
  g->OnMouseDown(Point(185, 96, IMouseMod(true)));
  for (int i = 0; i < 20; ++i)
    g->OnMouseDrag(Point(185, 96, IMouseMod(true), 0.f, -30.f));
  g->OnMouseUp(Point(185, 96, IMouseMod(true)));
  Draw(*g);
  EXPECT_EQ(Param(unit, 0), 12.0);
  EXPECT_EQ(gain->GetValue(), 1.0);
  EXPECT_STREQ(g->GetBubbleControl(0)->GetStr(), "40dB");
  EXPECT_FALSE(At(185 - 14, 96 - 14).Lit());
  EXPECT_TRUE(At(185 + 14, 96 + 14).Lit());

  auto* plug = dynamic_cast<Corvane*>(unit.adapter());
  plug->CloseWindow();
  g = Open(unit);
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->NControls(), 10);
  Draw(*g);
  EXPECT_TRUE(At(185 + 14, 96 + 14).Lit()); // the new editor shows the parameter's value
  plug->CloseWindow();
}

TEST_F(CorvaneEditorPixels, AStateSavedAtZoomReopensAtIt)
{
  AUInstance unit(Description());
  IGraphicsOffscreen* g = Open(unit);
  if (!g)
    GTEST_SKIP() << "no offscreen OpenGL here";
  g->Resize(575, 333, 1.5f);
  dynamic_cast<Corvane*>(unit.adapter())->CloseWindow();
  CFPropertyListRef state = nullptr;
  ASSERT_EQ(unit.Get(kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, state), noErr);

  AUInstance fresh(Description());
  ASSERT_EQ(fresh.Set(kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, state), noErr);
  CFRelease(state);
  g = Open(fresh);
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->GetDrawScale(), 1.5f);
  Draw(*g);
  EXPECT_NEAR(width, 862, 1);
  EXPECT_NEAR(height, 499, 1);
  EXPECT_TRUE(At(505, 80).Lit());                                       // the preamp lens, where it belongs at 150 %
  EXPECT_NEAR(g->GetCornerResizer()->GetRECT().W(), 20.f / 1.5f, 1e-3); // the handle keeps 20 pixels
  dynamic_cast<Corvane*>(fresh.adapter())->CloseWindow();
}
TEST_F(CorvaneEditorPixels, AZoomedEditorIsDrawnFromTheDenseArtwork)
{
  // 200 % on a 1x screen and 100 % on a 2x screen are the same 1150 x 666 pixels.
  const auto draw = [this](float screen, float zoom, std::vector<uint8_t>& out, float& backgroundScale) {
    AUInstance unit(Description());
    IGraphicsOffscreen* g = Open(unit);
    if (!g)
      return false;
    g->SetScreenScale(screen);
    g->Resize(575, 333, zoom);
    Draw(*g);
    out = pixels;
    backgroundScale = dynamic_cast<IBitmapControl*>(g->GetControl(0))->GetBitmap().GetScale();
    dynamic_cast<Corvane*>(unit.adapter())->CloseWindow();
    return true;
  };
  std::vector<uint8_t> zoomed, dense;
  float zoomedScale = 0.f, denseScale = 0.f;
  if (!draw(1.f, 2.f, zoomed, zoomedScale) || !draw(2.f, 1.f, dense, denseScale))
    GTEST_SKIP() << "no offscreen OpenGL here";
  EXPECT_EQ(zoomedScale, 2.f);
  EXPECT_EQ(denseScale, 2.f);
  ASSERT_EQ(zoomed.size(), dense.size());
  ASSERT_EQ(zoomed.size(), size_t{1150} * 666 * 4);
  double difference = 0.0;
  for (size_t i = 0; i < zoomed.size(); ++i)
    difference += std::abs(int(zoomed[i]) - int(dense[i]));
  EXPECT_LT(difference / double(zoomed.size()), 0.5); // the same picture, not the 1x artwork blown up
}

} // namespace
} // namespace corvane_test
