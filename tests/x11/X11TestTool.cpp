// What the editor's end-to-end test needs of an X server beyond xdotool:
//   x11_test_tool close WINDOW          asks a window to close the way a window manager does
//   x11_test_tool capture WINDOW OUT    writes the window's pixels as a PNG file
//   x11_test_tool proxy WINDOW          prints the window its XdndProxy names (0 for none), in decimal
//   x11_test_tool hints WINDOW          prints the window's size and its WM_NORMAL_HINTS limits as
//                                       "size WxH min WxH max WxH" (0x0 for a limit not set)
//   x11_test_tool compare A B MAXDIFF   compares two PNG files of one size: passes when the mean
//                                       difference per channel is at most MAXDIFF (0..255) and
//                                       fewer than 1 % of the pixels differ by more than 48

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

int Fail(const std::string& message)
{
  std::fprintf(stderr, "x11_test_tool: %s\n", message.c_str());
  return 1;
}

int Close(Display* d, Window w)
{
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = w;
  e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
  e.xclient.data.l[1] = CurrentTime;
  XSendEvent(d, w, False, NoEventMask, &e);
  XSync(d, False);
  return 0;
}

int Capture(Display* d, Window w, const char* path)
{
  XWindowAttributes attrs{};
  if (!XGetWindowAttributes(d, w, &attrs))
    return Fail("no such window");
  XImage* image =
    XGetImage(d, w, 0, 0, static_cast<unsigned>(attrs.width), static_cast<unsigned>(attrs.height), AllPlanes, ZPixmap);
  if (!image)
    return Fail("cannot read the window's pixels");
  std::vector<unsigned char> rgba(static_cast<size_t>(attrs.width) * attrs.height * 4);
  for (int y = 0; y < attrs.height; ++y)
    for (int x = 0; x < attrs.width; ++x)
    {
      const unsigned long p = XGetPixel(image, x, y);
      unsigned char* o = &rgba[(static_cast<size_t>(y) * attrs.width + x) * 4];
      o[0] = static_cast<unsigned char>((p & image->red_mask) >> 16);
      o[1] = static_cast<unsigned char>((p & image->green_mask) >> 8);
      o[2] = static_cast<unsigned char>(p & image->blue_mask);
      o[3] = 255;
    }
  XDestroyImage(image);
  return stbi_write_png(path, attrs.width, attrs.height, 4, rgba.data(), attrs.width * 4)
           ? 0
           : Fail("cannot write the PNG");
}

int Hints(Display* d, Window w)
{
  XWindowAttributes attrs{};
  if (!XGetWindowAttributes(d, w, &attrs))
    return Fail("no such window");
  XSizeHints hints{};
  long supplied = 0;
  if (!XGetWMNormalHints(d, w, &hints, &supplied))
    hints.flags = 0;
  const bool min = hints.flags & PMinSize;
  const bool max = hints.flags & PMaxSize;
  std::printf("size %dx%d min %dx%d max %dx%d\n", attrs.width, attrs.height, min ? hints.min_width : 0,
              min ? hints.min_height : 0, max ? hints.max_width : 0, max ? hints.max_height : 0);
  return 0;
}

int Proxy(Display* d, Window w)
{
  Atom type = None;
  int format = 0;
  unsigned long count = 0, remaining = 0;
  unsigned char* data = nullptr;
  unsigned long proxy = 0;
  if (XGetWindowProperty(d, w, XInternAtom(d, "XdndProxy", False), 0, 1, False, AnyPropertyType, &type, &format, &count,
                         &remaining, &data) == Success &&
      data && format == 32 && count == 1)
    proxy = *reinterpret_cast<unsigned long*>(data);
  if (data)
    XFree(data);
  std::printf("%lu\n", proxy);
  return 0;
}

int Compare(const char* a, const char* b, double maxMean)
{
  int wa, ha, wb, hb, n;
  unsigned char* pa = stbi_load(a, &wa, &ha, &n, 3);
  unsigned char* pb = stbi_load(b, &wb, &hb, &n, 3);
  if (!pa || !pb)
    return Fail("cannot read the images");
  if (wa != wb || ha != hb)
    return Fail("sizes differ: " + std::to_string(wa) + "x" + std::to_string(ha) + " and " + std::to_string(wb) + "x" +
                std::to_string(hb));
  double sum = 0.0;
  long far = 0;
  const long pixels = static_cast<long>(wa) * ha;
  for (long i = 0; i < pixels; ++i)
  {
    int worst = 0;
    for (int c = 0; c < 3; ++c)
    {
      const int d = std::abs(pa[i * 3 + c] - pb[i * 3 + c]);
      sum += d;
      worst = std::max(worst, d);
    }
    far += worst > 48;
  }
  stbi_image_free(pa);
  stbi_image_free(pb);
  const double mean = sum / (pixels * 3.0);
  std::printf("mean difference %.3f, %ld of %ld pixels differ by more than 48\n", mean, far, pixels);
  return mean <= maxMean && far * 100 < pixels ? 0 : Fail("the images differ");
}

} // namespace

int main(int argc, char** argv)
{
  const std::string cmd = argc > 1 ? argv[1] : "";
  if (cmd == "compare" && argc == 5)
    return Compare(argv[2], argv[3], std::atof(argv[4]));
  if ((cmd == "close" && argc == 3) || (cmd == "capture" && argc == 4) || (cmd == "hints" && argc == 3) ||
      (cmd == "proxy" && argc == 3))
  {
    Display* d = XOpenDisplay(nullptr);
    if (!d)
      return Fail("no X display");
    const Window w = static_cast<Window>(std::strtoul(argv[2], nullptr, 0));
    const int rc = cmd == "close"   ? Close(d, w)
                   : cmd == "hints" ? Hints(d, w)
                   : cmd == "proxy" ? Proxy(d, w)
                                    : Capture(d, w, argv[3]);
    XCloseDisplay(d);
    return rc;
  }
  return Fail("usage: x11_test_tool close WINDOW | capture WINDOW OUT.png | hints WINDOW | proxy WINDOW | compare "
              "A.png B.png MAXDIFF");
}
