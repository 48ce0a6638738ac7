// The editor side of the LV2 plug-in: a Corvane object in the editor library
// sends the user's edits to the host's control ports, gestures to ui:touch
// and its size to ui:resize, and follows the host's port events.

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cmath>
#include <limits>
#include <tuple>
#include <vector>

#include "preamp/Corvane.h"

namespace iplug {
namespace {
struct RecordingHost
{
  std::vector<std::pair<uint32_t, float>> writes;
  std::vector<std::pair<uint32_t, bool>> touches;
  std::vector<std::pair<int, int>> sizes;

  static void Write(LV2UI_Controller c, uint32_t port, uint32_t size, uint32_t format, const void* buffer)
  {
    ASSERT_EQ(size, sizeof(float));
    ASSERT_EQ(format, 0u);
    static_cast<RecordingHost*>(c)->writes.emplace_back(port, *static_cast<const float*>(buffer));
  }
  static void Touch(LV2UI_Feature_Handle h, uint32_t port, bool grabbed)
  {
    static_cast<RecordingHost*>(h)->touches.emplace_back(port, grabbed);
  }
  static int Resize(LV2UI_Feature_Handle h, int w, int hgt)
  {
    static_cast<RecordingHost*>(h)->sizes.emplace_back(w, hgt);
    return 0;
  }
};

TEST(LV2EditorHost, EditsGesturesAndSizeReachTheHostAndPortEventsTheParameters)
{
  InstanceInfo info;
  info.pluginURI = "urn:veltrano:corvane";
  Corvane plug(info);
  RecordingHost host;
  const LV2UI_Touch touch{&host, RecordingHost::Touch};
  const LV2UI_Resize resize{&host, RecordingHost::Resize};
  plug.SetUIHost({RecordingHost::Write, &host, &touch, &resize});

  // A knob turned in the editor: the port gets the parameter's own value.
  plug.BeginInformHostOfParamChangeFromUI(CorvaneEngine::kOutput);
  plug.SendParameterValueFromUI(CorvaneEngine::kOutput, 0.75);
  plug.EndInformHostOfParamChangeFromUI(CorvaneEngine::kOutput);
  plug.SendParameterValueFromUI(CorvaneEngine::kGain, 1.0);
  const std::vector<std::pair<uint32_t, float>> writes = {{1u, 12.f}, {0u, 12.f}};
  EXPECT_EQ(host.writes, writes);
  const std::vector<std::pair<uint32_t, bool>> touches = {{1u, true}, {1u, false}};
  EXPECT_EQ(host.touches, touches);
  EXPECT_TRUE(plug.EditorResize(800, 464));
  EXPECT_EQ(host.sizes, (std::vector<std::pair<int, int>>{{800, 464}}));

  // Port events: values as the host holds them, clamped and rounded; the
  // enabled, latency and audio ports and non-finite values change nothing.
  const struct
  {
    uint32_t port;
    float value;
    int param;
    double expected;
  } events[] = {
    {0, 7.4f, CorvaneEngine::kGain, 7.0},
    {1, -30.f, CorvaneEngine::kOutput, -24.0},
    {8, 1.f, CorvaneEngine::kOversampling, 1.0},
    {1, std::numeric_limits<float>::quiet_NaN(), CorvaneEngine::kOutput, -24.0},
    {9, 0.f, CorvaneEngine::kOversampling, 1.0},
    {99, 0.f, CorvaneEngine::kOversampling, 1.0},
  };
  for (const auto& e : events)
  {
    plug.OnPortEvent(e.port, e.value);
    EXPECT_EQ(plug.GetParam(e.param)->Value(), e.expected) << "port " << e.port;
  }
  EXPECT_EQ(host.writes.size(), 2u) << "a port event must not be echoed to the host";

  // Without the optional features nothing is sent and nothing breaks.
  plug.SetUIHost({});
  plug.BeginInformHostOfParamChangeFromUI(0);
  plug.SendParameterValueFromUI(0, 0.5);
  EXPECT_FALSE(plug.EditorResize(575, 333));
  EXPECT_EQ(host.writes.size(), 2u);
}

TEST(LV2EditorHost, TheEditorLibraryRefusesAHostWithoutAParentWindow)
{
  // Kept mapped after dlclose, so what the library and the drawing libraries it
  // brings in allocate when loaded stays reachable, as in a host that keeps it.
  void* lib = dlopen(CORVANE_LV2_BUNDLE_DIR "/CorvaneUI.so", RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  ASSERT_NE(lib, nullptr) << dlerror();
  auto entry = reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(lib, "lv2ui_descriptor"));
  ASSERT_NE(entry, nullptr);
  const LV2UI_Descriptor* ui = entry(0);
  ASSERT_NE(ui, nullptr);
  EXPECT_STREQ(ui->URI, "urn:veltrano:corvane#ui");
  EXPECT_EQ(entry(1), nullptr);
  EXPECT_NE(ui->extension_data(LV2_UI__idleInterface), nullptr);
  // The resize interface: hosts pass the editor's handle; its own handle field is null, and a host
  // that passes that, or no size, is refused rather than followed into a crash.
  const auto* resize = static_cast<const LV2UI_Resize*>(ui->extension_data(LV2_UI__resize));
  ASSERT_NE(resize, nullptr);
  EXPECT_NE(resize->ui_resize(resize->handle, 800, 600), 0);
  EXPECT_NE(resize->ui_resize(nullptr, 0, 0), 0);
  LV2UI_Widget widget = nullptr;
  const LV2_Feature* none[] = {nullptr};
  EXPECT_EQ(
    ui->instantiate(ui, "urn:veltrano:corvane", CORVANE_LV2_BUNDLE_DIR, RecordingHost::Write, nullptr, &widget, none),
    nullptr);
  dlclose(lib);
}
} // namespace
} // namespace iplug
