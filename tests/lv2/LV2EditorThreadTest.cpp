// The editor library in a host whose UI runs on a thread of its own, not the
// process's first thread, under an X server of the test's own: instantiated,
// idled and cleaned up there, the editor draws and answers a click while
// nothing runs the main thread's loop; and it counts as closed once the host
// destroys its window, without ending the process.

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include <lv2/ui/ui.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {
struct Writes
{
  std::mutex mutex;
  std::vector<std::pair<uint32_t, float>> values;

  static void Write(LV2UI_Controller c, uint32_t port, uint32_t size, uint32_t format, const void* buffer)
  {
    if (size != sizeof(float) || format != 0)
      return;
    auto* self = static_cast<Writes*>(c);
    std::lock_guard lock(self->mutex);
    self->values.emplace_back(port, *static_cast<const float*>(buffer));
  }
  bool Has(uint32_t port, float value)
  {
    std::lock_guard lock(mutex);
    for (const auto& [p, v] : values)
      if (p == port && v == value)
        return true;
    return false;
  }
};

/** Share of the window's pixels that are not black: the host's window is black. */
double DrawnShare(Display* display, Window window)
{
  XWindowAttributes attrs{};
  if (!XGetWindowAttributes(display, window, &attrs) || attrs.width <= 0 || attrs.height <= 0)
    return 0.0;
  XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attrs.width),
                            static_cast<unsigned>(attrs.height), AllPlanes, ZPixmap);
  if (!image)
    return 0.0;
  long drawn = 0;
  for (int y = 0; y < attrs.height; y += 3)
    for (int x = 0; x < attrs.width; x += 3)
      drawn += (XGetPixel(image, x, y) & 0xFFFFFF) != 0;
  XDestroyImage(image);
  return static_cast<double>(drawn) / ((attrs.width / 3 + 1) * (attrs.height / 3 + 1));
}

void Click(Display* display, Window window, int x, int y)
{
  for (const int type : {ButtonPress, ButtonRelease})
  {
    XEvent e{};
    e.xbutton.type = type;
    e.xbutton.window = window;
    e.xbutton.button = Button1;
    e.xbutton.x = x;
    e.xbutton.y = y;
    e.xbutton.state = type == ButtonRelease ? Button1Mask : 0;
    e.xbutton.time = type == ButtonPress ? 1000 : 1050;
    XSendEvent(display, window, False, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask, &e);
  }
  XFlush(display);
}

TEST(LV2EditorThread, TheEditorDrawsAndAnswersOnTheHostsUIThread)
{
  void* lib = dlopen(CORVANE_LV2_BUNDLE_DIR "/CorvaneUI.so", RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  ASSERT_NE(lib, nullptr) << dlerror();
  auto entry = reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(lib, "lv2ui_descriptor"));
  ASSERT_NE(entry, nullptr);
  const LV2UI_Descriptor* ui = entry(0);
  ASSERT_NE(ui, nullptr);
  const auto* idle = static_cast<const LV2UI_Idle_Interface*>(ui->extension_data(LV2_UI__idleInterface));
  ASSERT_NE(idle, nullptr);

  Writes writes;
  std::thread hostUI([&] {
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr) << "this test runs under its own X server (xvfb-run)";
    const Window host = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 575, 333, 0, 0, 0);
    XMapWindow(display, host);
    XSync(display, False);

    LV2_Feature parent{LV2_UI__parent, reinterpret_cast<void*>(host)};
    const LV2_Feature* features[] = {&parent, nullptr};
    LV2UI_Widget widget = nullptr;
    LV2UI_Handle handle =
      ui->instantiate(ui, "urn:veltrano:corvane", CORVANE_LV2_BUNDLE_DIR, Writes::Write, &writes, &widget, features);
    ASSERT_NE(handle, nullptr);
    const Window editor = static_cast<Window>(reinterpret_cast<uintptr_t>(widget));
    const auto turns = [&](int n) {
      int closed = 0;
      for (int i = 0; i < n && !closed; ++i)
      {
        closed = idle->idle(handle);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
      return closed;
    };

    EXPECT_EQ(turns(30), 0);
    XSync(display, False);
    EXPECT_GT(DrawnShare(display, editor), 0.5) << "the editor was not drawn";

    // The oversampling switch, as a click from the window system.
    Click(display, editor, 270, 320);
    EXPECT_EQ(turns(30), 0);
    EXPECT_TRUE(writes.Has(8, 1.f)) << "the click did not reach the host's port";

    // The host destroys its window first: the editor says it is closed, and cleanup ends nothing.
    XDestroyWindow(display, host);
    XSync(display, False);
    EXPECT_EQ(turns(200), 1) << "a vanished window must count as closed";
    ui->cleanup(handle);
    XCloseDisplay(display);
  });
  hostUI.join();
}
} // namespace
