// The editor in a real X11 window (the test runs under its own X server):
// top-level and embedded windows, what reaches the screen, and how window
// events become the editor's input. Events are built here and handed to the
// window the way its event loop hands them over, so timing and positions are
// exact.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <optional>
#include <memory>
#include <thread>
#include <tuple>

#include "graphics/GraphicsTestSupport.h"
#include "graphics/IPopupMenuControl.h"
#include "graphics/ITextEntryControl.h"
#include "graphics/IVirtualKeys.h"
#include "platform/x11/IGraphicsX11.h"
#include "platform/x11/X11ErrorTrap.h"
#include "platform/x11/X11Tooltip.h"
#include "x11/XSettingsBlock.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

using namespace iplug;
using namespace iplug::igraphics;
using namespace iplug::igraphics::test;

namespace {

/** The host's own error handler: counts what reaches it. */
int gHostErrors = 0;
int CountHostError(Display*, XErrorEvent*)
{
  ++gHostErrors;
  return 0;
}

/** Logs what it receives, with drag deltas. */
class Probe : public BoxControl
{
public:
  using BoxControl::BoxControl;
  std::vector<std::pair<float, float>> deltas;
  IKeyPress lastKey;
  void OnMouseDrag(float, float, float dX, float dY, const IMouseMod&) override
  {
    events.push_back("drag");
    deltas.emplace_back(dX, dY);
  }
  bool OnKeyDown(float x, float y, const IKeyPress& key) override
  {
    lastKey = key;
    return BoxControl::OnKeyDown(x, y, key);
  }
};

struct EditorDelegate : TestDelegate
{
  Probe* probe = nullptr;
  EditorDelegate()
  {
    SetMakeGraphicsFunc([this] {
      auto* g = new IGraphicsX11(*this, 200, 100);
      g->SetSharedResourcesSubPath("Probe");
      g->SetTimerEnabled(false);
      return g;
    });
    SetLayoutUIFunc([this](IGraphics* g) {
      g->AttachControl(new BoxControl(IRECT(0, 0, 200, 100), COLOR_BLUE));
      probe = static_cast<Probe*>(g->AttachControl(new Probe(IRECT(50, 25, 150, 75), COLOR_RED, 0)));
      g->EnableMouseOver(true);
    });
  }
  IGraphicsX11* UI() { return static_cast<IGraphicsX11*>(GetUI()); }
};

struct WindowFixture : ::testing::Test
{
  Display* display = nullptr;
  EditorDelegate dlg;
  Time now = 10000;

  void SetUp() override
  {
    display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr) << "these tests run under their own X server (xvfb-run)";
  }
  void TearDown() override
  {
    dlg.CloseWindow();
    if (display)
      XCloseDisplay(display);
  }

  IGraphicsX11* Open(Window parent = 0)
  {
    void* view = dlg.OpenWindow(reinterpret_cast<void*>(parent));
    IGraphicsX11* ui = dlg.UI();
    EXPECT_NE(view, nullptr) << (ui ? ui->GetError() : "no graphics");
    return ui;
  }

  XEvent Button(int type, unsigned button, int x, int y, unsigned state = 0, Time advance = 50)
  {
    now += advance;
    XEvent e{};
    e.xbutton.type = type;
    e.xbutton.display = dlg.UI()->GetDisplay();
    e.xbutton.window = dlg.UI()->GetXWindow();
    e.xbutton.button = button;
    e.xbutton.x = x;
    e.xbutton.y = y;
    e.xbutton.state = state;
    e.xbutton.time = now;
    return e;
  }
  void Click(unsigned button, int x, int y, Time advance = 50)
  {
    XEvent down = Button(ButtonPress, button, x, y, 0, advance);
    dlg.UI()->HandleEvent(down);
    XEvent up = Button(ButtonRelease, button, x, y, button == Button1 ? Button1Mask : Button3Mask, 10);
    dlg.UI()->HandleEvent(up);
  }
  void Move(int x, int y, unsigned state)
  {
    XEvent e{};
    e.xmotion.type = MotionNotify;
    e.xmotion.window = dlg.UI()->GetXWindow();
    e.xmotion.x = x;
    e.xmotion.y = y;
    e.xmotion.state = state;
    dlg.UI()->HandleEvent(e);
  }
  void Cross(int type)
  {
    XEvent e{};
    e.xcrossing.type = type;
    e.xcrossing.window = dlg.UI()->GetXWindow();
    e.xcrossing.mode = NotifyNormal;
    dlg.UI()->HandleEvent(e);
  }
  XEvent Key(KeySym sym, unsigned state = 0)
  {
    XEvent e{};
    e.xkey.type = KeyPress;
    e.xkey.display = dlg.UI()->GetDisplay();
    e.xkey.window = dlg.UI()->GetXWindow();
    e.xkey.keycode = XKeysymToKeycode(dlg.UI()->GetDisplay(), sym);
    e.xkey.state = state;
    e.xkey.x = 100;
    e.xkey.y = 50;
    return e;
  }
  /** The window's pixel at (x, y) as 0xRRGGBB. */
  unsigned long Pixel(int x, int y)
  {
    XImage* image = XGetImage(display, dlg.UI()->GetXWindow(), x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image)
      return 0xFFFFFFFF;
    const unsigned long p = XGetPixel(image, 0, 0) & 0xFFFFFF;
    XDestroyImage(image);
    return p;
  }
};

} // namespace

TEST_F(WindowFixture, TopLevelWindowShowsTheEditor)
{
  IGraphicsX11* ui = Open();
  ASSERT_NE(ui, nullptr);
  EXPECT_NE(ui->GetPopupMenuControl(), nullptr);
  EXPECT_NE(ui->GetTextEntryControl(), nullptr);
  ASSERT_TRUE(ui->Idle());
  XSync(ui->GetDisplay(), False);

  XWindowAttributes attrs{};
  ASSERT_TRUE(XGetWindowAttributes(display, ui->GetXWindow(), &attrs));
  EXPECT_EQ(attrs.width, 200);
  EXPECT_EQ(attrs.height, 100);
  char* name = nullptr;
  ASSERT_TRUE(XFetchName(display, ui->GetXWindow(), &name));
  EXPECT_STREQ(name, "Probe");
  XFree(name);
  XClassHint hint{};
  ASSERT_TRUE(XGetClassHint(display, ui->GetXWindow(), &hint));
  EXPECT_STREQ(hint.res_class, "IGraphicsView_vProbe");
  XFree(hint.res_name);
  XFree(hint.res_class);

  EXPECT_EQ(Pixel(10, 10), 0x0000FFu);  // background
  EXPECT_EQ(Pixel(100, 50), 0xFF0000u); // the probe

  // Twice the size at draw scale 2: the window and what is drawn follow.
  ui->Resize(200, 100, 2.f);
  ui->Idle();
  XSync(ui->GetDisplay(), False);
  ASSERT_TRUE(XGetWindowAttributes(display, ui->GetXWindow(), &attrs));
  EXPECT_EQ(attrs.width, 400);
  EXPECT_EQ(Pixel(20, 20), 0x0000FFu);
  EXPECT_EQ(Pixel(90, 40), 0x0000FFu);
  EXPECT_EQ(Pixel(110, 60), 0xFF0000u);

  // Pointer positions are divided by the scale: (200, 100) is the probe's middle, (90, 40) is outside it.
  Click(Button1, 200, 100);
  Click(Button1, 90, 40, 1000);
  EXPECT_EQ(std::count(dlg.probe->events.begin(), dlg.probe->events.end(), "down"), 1);
}

TEST_F(WindowFixture, EmbeddedWindowLivesInTheHostWindowAndPassesKeysOn)
{
  const Window host = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 300, 200, 0, 0, 0);
  XSelectInput(display, host, KeyPressMask);
  XMapWindow(display, host);
  XSync(display, False);

  IGraphicsX11* ui = Open(host);
  ASSERT_NE(ui, nullptr);
  ui->Idle();
  Move(100, 50, 0); // keys go to the control under the pointer
  XSync(ui->GetDisplay(), False);
  Window root, parent, *children = nullptr;
  unsigned n = 0;
  ASSERT_TRUE(XQueryTree(display, ui->GetXWindow(), &root, &parent, &children, &n));
  if (children)
    XFree(children);
  EXPECT_EQ(parent, host);

  // The probe takes keys over it; others go to the host.
  XEvent a = Key(XK_a);
  dlg.probe->handlesKeys = true;
  ui->HandleEvent(a);
  EXPECT_EQ(dlg.probe->lastKey.VK, 'A');
  EXPECT_STREQ(dlg.probe->lastKey.utf8, "a");
  dlg.probe->handlesKeys = false;
  XEvent f5 = Key(XK_F5, ControlMask);
  ui->HandleEvent(f5);
  EXPECT_EQ(dlg.probe->lastKey.VK, kVK_F1 + 4);
  EXPECT_TRUE(dlg.probe->lastKey.C);
  XSync(display, False);
  XEvent forwarded{};
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  bool got = false;
  while (!got && std::chrono::steady_clock::now() < deadline)
  {
    got = XCheckTypedWindowEvent(display, host, KeyPress, &forwarded);
    if (!got)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ASSERT_TRUE(got);
  EXPECT_EQ(forwarded.xkey.keycode, f5.xkey.keycode);
  EXPECT_FALSE(ui->CloseRequested()); // Ctrl+Q belongs to the host when embedded

  dlg.CloseWindow();
  XDestroyWindow(display, host);
}

TEST_F(WindowFixture, AHostSizedWindowScalesTheEditorToFitAndMapsClicks)
{
  // Larger than any size the editor's window is given below, except where the parent itself is resized:
  // a child shows only where its parent has room.
  const Window host = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 800, 600, 0, 0, 0);
  XMapWindow(display, host);
  XSync(display, False);
  IGraphicsX11* ui = Open(host);
  ASSERT_NE(ui, nullptr);
  ui->Idle();
  const Window editor = ui->GetXWindow();
  // Until the editor has handled the host's change (events arrive on its own connection), and drawn it.
  const auto settle = [&](float scale) {
    XSync(display, False);
    const auto near = [&] { return std::fabs(ui->GetDrawScale() - scale) < 0.01f; };
    for (int i = 0; i < 200 && !near(); ++i)
    {
      ui->Idle();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    for (int i = 0; i < 4; ++i) // the frames presented after a resize
      ui->Idle();
    XSync(ui->GetDisplay(), False);
    return near();
  };
  const struct
  {
    const char* how;
    std::function<void()> resize;
    float scale;   // the zoom that fits
    int left, top; // where the editor lands in its window
    int w, h;      // the editor's window
  } cases[] = {
    {"the host resizes the editor's window", [&] { XResizeWindow(display, editor, 600, 400); }, 2.f, 100, 100, 600,
     400},
    {"smaller again, the editor's aspect", [&] { XResizeWindow(display, editor, 300, 150); }, 1.5f, 0, 0, 300, 150},
    {"the host sends its size (ui:resize)", [&] { dlg.OnParentWindowResize(250, 250); }, 1.25f, 0, 62, 250, 250},
    {"the host resizes the parent", [&] { XResizeWindow(display, host, 500, 160); }, 1.6f, 89, 0, 500, 160},
  };
  for (const auto& c : cases)
  {
    c.resize();
    ASSERT_TRUE(settle(c.scale)) << c.how << ": zoom " << ui->GetDrawScale();
    XWindowAttributes attrs{};
    ASSERT_TRUE(XGetWindowAttributes(display, editor, &attrs));
    EXPECT_EQ(attrs.width, c.w) << c.how;
    EXPECT_EQ(attrs.height, c.h) << c.how;
    const float s = ui->GetDrawScale();
    if (c.top > 0)
    {
      EXPECT_EQ(Pixel(c.w / 2, c.top / 2), 0u) << c.how << ": cleared above the editor";
      EXPECT_EQ(Pixel(c.w / 2, c.h - 1 - c.top / 2), 0u) << c.how << ": and below it";
    }
    if (c.left > 0)
    {
      EXPECT_EQ(Pixel(c.left / 2, c.h / 2), 0u) << c.how << ": cleared beside the editor";
    }
    EXPECT_EQ(Pixel(c.left + int(10 * s), c.top + int(10 * s)), 0x0000FFu) << c.how;  // background
    EXPECT_EQ(Pixel(c.left + int(100 * s), c.top + int(50 * s)), 0xFF0000u) << c.how; // the probe

    // A click where the probe is drawn reaches it; one just outside it does not.
    dlg.probe->events.clear();
    Click(Button1, c.left + int(100 * s), c.top + int(50 * s), 1000);
    Click(Button1, c.left + int(45 * s), c.top + int(50 * s), 1000);
    EXPECT_EQ(std::count(dlg.probe->events.begin(), dlg.probe->events.end(), "down"), 1) << c.how;
  }

  // The user zooms: the editor takes its own size again and the window follows it.
  ui->Resize(200, 100, 1.f);
  ui->Idle();
  XSync(ui->GetDisplay(), False);
  XWindowAttributes attrs{};
  ASSERT_TRUE(XGetWindowAttributes(display, editor, &attrs));
  EXPECT_EQ(attrs.width, 200);
  EXPECT_EQ(attrs.height, 100);
  EXPECT_EQ(Pixel(100, 50), 0xFF0000u);
  dlg.CloseWindow();
  XDestroyWindow(display, host);
}

TEST_F(WindowFixture, TooltipAfterTheRestHiddenOnAnyInput)
{
  IGraphicsX11* ui = Open();
  ASSERT_NE(ui, nullptr);
  double nowMs = 0.0;
  ui->SetAnimationClock([&] { return nowMs; });
  dlg.probe->SetTooltip("Drive into the saturator");
  ui->EnableTooltips(true);
  ui->Idle();
  const auto shown = [&] {
    const x11::X11Tooltip* tip = ui->GetTooltipWindow();
    if (!tip || !tip->IsShown())
      return std::string();
    XSync(ui->GetDisplay(), False);
    XWindowAttributes attrs{};
    EXPECT_TRUE(XGetWindowAttributes(display, tip->Window(), &attrs));
    EXPECT_TRUE(attrs.override_redirect);
    EXPECT_EQ(attrs.map_state, IsViewable);
    return tip->Text();
  };
  const auto restFor = [&](double ms) {
    nowMs += ms;
    ui->Idle();
    return shown();
  };
  const struct
  {
    const char* name;
    std::function<void()> before; // what happens once the tooltip shows
    std::string after;
  } inputs[] = {
    {"a key", [&] { ui->HandleEvent(*std::make_unique<XEvent>(Key(XK_a))); }, ""},
    {"a click", [&] { Click(Button1, 100, 50, 1000); }, ""},
    {"the wheel", [&] { Click(Button4, 100, 50, 1000); }, ""},
    {"a move", [&] { Move(101, 50, 0); }, ""},
    {"leaving", [&] { Cross(LeaveNotify); }, ""},
    {"nothing", [] {}, "Drive into the saturator"},
  };
  for (const auto& in : inputs)
  {
    Move(100, 50, 0); // onto the probe
    EXPECT_EQ(restFor(400.0), "") << in.name << ": too early";
    EXPECT_EQ(restFor(150.0), "Drive into the saturator") << in.name;
    in.before();
    EXPECT_EQ(restFor(10.0), in.after) << in.name;
    EXPECT_EQ(restFor(1000.0), in.name == std::string("a move") ? "Drive into the saturator" : in.after)
      << in.name << ": only a new rest shows it again";
  }

  // Where no control has a tooltip, and with tooltips off, nothing shows.
  Move(10, 10, 0);
  EXPECT_EQ(restFor(600.0), "");
  ui->EnableTooltips(false);
  Move(100, 50, 0);
  EXPECT_EQ(restFor(600.0), "");
}

TEST_F(WindowFixture, FilesDraggedFromAnotherClientDropOnTheControlBelow)
{
  IGraphicsX11* ui = Open();
  ASSERT_NE(ui, nullptr);
  ui->Resize(200, 100, 2.f); // drop points are window pixels: the editor divides them by its zoom
  ui->Idle();
  const Window target = ui->GetXWindow();
  const auto atom = [&](const char* name) { return XInternAtom(display, name, False); };
  Atom aware = None;
  int format = 0;
  unsigned long count = 0, remaining = 0;
  unsigned char* data = nullptr;
  ASSERT_EQ(XGetWindowProperty(display, target, atom("XdndAware"), 0, 1, False, XA_ATOM, &aware, &format, &count,
                               &remaining, &data),
            Success);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(*reinterpret_cast<long*>(data), 5); // version 5
  XFree(data);

  // The drag source: a window of this client that owns the drag's selection.
  const Window source = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
  Window addressed = target; // the window the source believes it drags over
  const auto send = [&](const char* type, long l1, long l2, long l3, long l4) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = addressed;
    e.xclient.message_type = atom(type);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(source);
    e.xclient.data.l[1] = l1;
    e.xclient.data.l[2] = l2;
    e.xclient.data.l[3] = l3;
    e.xclient.data.l[4] = l4;
    XSendEvent(display, target, False, NoEventMask, &e);
    XSync(display, False);
  };
  // Runs the editor's loop until the source gets `type`; answers the editor's request for the data.
  const auto await = [&](const char* type, const std::string& uriList) {
    for (int i = 0; i < 400; ++i)
    {
      ui->Idle();
      XEvent e;
      while (XPending(display))
      {
        XNextEvent(display, &e);
        if (e.type == SelectionRequest)
        {
          const XSelectionRequestEvent& r = e.xselectionrequest;
          XChangeProperty(display, r.requestor, r.property, r.target, 8, PropModeReplace,
                          reinterpret_cast<const unsigned char*>(uriList.data()), static_cast<int>(uriList.size()));
          XEvent reply{};
          reply.xselection = {SelectionNotify, 0,        True,       display, r.requestor,
                              r.selection,     r.target, r.property, r.time};
          XSendEvent(display, r.requestor, False, NoEventMask, &reply);
          XSync(display, False);
        }
        else if (e.type == ClientMessage && e.xclient.message_type == atom(type))
          return std::make_optional(e.xclient);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return std::optional<XClientMessageEvent>();
  };
  XSetSelectionOwner(display, atom("XdndSelection"), source, CurrentTime);
  const struct
  {
    const char* what;
    Atom offered;
    std::string uriList;
    int rootX, rootY; // the editor's window sits at the screen's top-left
    bool accepted;
    std::vector<std::string> probeGets;
  } drops[] = {
    {"two files on the probe",
     atom("text/uri-list"),
     "file:///tmp/take%201.wav\r\nhttp://x/y\r\nfile:///tmp/b.wav\r\n",
     200,
     100,
     true,
     {"drop /tmp/take 1.wav", "drop /tmp/b.wav"}},
    {"a file beside the probe", atom("text/uri-list"), "file:///tmp/c.wav\r\n", 60, 100, true, {}},
    {"text, not files", atom("text/plain"), "hello", 200, 100, false, {}},
  };
  for (const auto& d : drops)
  {
    dlg.probe->events.clear();
    send("XdndEnter", 5L << 24, static_cast<long>(d.offered), 0, 0);
    send("XdndPosition", 0, (d.rootX << 16) | d.rootY, CurrentTime, static_cast<long>(atom("XdndActionCopy")));
    const auto status = await("XdndStatus", d.uriList);
    ASSERT_TRUE(status) << d.what;
    EXPECT_EQ(static_cast<Window>(status->data.l[0]), addressed);
    EXPECT_EQ(status->data.l[1] & 1, d.accepted ? 1 : 0) << d.what;
    send("XdndDrop", 0, CurrentTime, 0, 0);
    const auto finished = await("XdndFinished", d.uriList);
    ASSERT_TRUE(finished) << d.what;
    EXPECT_EQ(finished->data.l[1] & 1, d.accepted ? 1 : 0) << d.what;
    std::vector<std::string> drops;
    for (const std::string& e : dlg.probe->events)
      if (e.rfind("drop ", 0) == 0)
        drops.push_back(e);
    EXPECT_EQ(drops, d.probeGets) << d.what;
  }

  // Through a proxy: a host's top-level window names the editor's, and the source, which talks to
  // top-level windows only, sends there the messages it addresses to the top-level window.
  addressed = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 400, 200, 0, 0, 0);
  dlg.probe->events.clear();
  send("XdndEnter", 5L << 24, static_cast<long>(atom("text/uri-list")), 0, 0);
  send("XdndPosition", 0, (200 << 16) | 100, CurrentTime, static_cast<long>(atom("XdndActionCopy")));
  const auto status = await("XdndStatus", "file:///tmp/d.wav\r\n");
  ASSERT_TRUE(status);
  EXPECT_EQ(static_cast<Window>(status->data.l[0]), addressed); // answered for the window it stands in for
  send("XdndDrop", 0, CurrentTime, 0, 0);
  ASSERT_TRUE(await("XdndFinished", "file:///tmp/d.wav\r\n"));
  EXPECT_EQ(dlg.probe->events.back(), "drop /tmp/d.wav");
  XDestroyWindow(display, addressed);
  XDestroyWindow(display, source);
}

TEST_F(WindowFixture, AppearanceFollowsTheDesktopsTheme)
{
  // No session bus here: a settings portal's colour scheme would come first (tested on its own).
  unsetenv("DBUS_SESSION_BUS_ADDRESS");
  unsetenv("XDG_RUNTIME_DIR");
  // This client plays the settings manager of screen 0.
  const Window manager = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
  const Atom settings = XInternAtom(display, "_XSETTINGS_SETTINGS", False);
  const auto publish = [&](const char* theme) {
    const std::vector<uint8_t> block =
      x11::test::XSettingsBlock({{1, "Net/ThemeName", theme}, {0, "Xft/DPI", "", 98304}});
    XChangeProperty(display, manager, settings, settings, 8, PropModeReplace, block.data(),
                    static_cast<int>(block.size()));
    XSync(display, False);
  };
  publish("Adwaita-dark");
  XSetSelectionOwner(display, XInternAtom(display, "_XSETTINGS_S0", False), manager, CurrentTime);
  XSync(display, False);

  IGraphicsX11* ui = Open();
  ASSERT_NE(ui, nullptr);
  EXPECT_EQ(ui->GetUIAppearance(), EUIAppearance::Dark);
  std::vector<EUIAppearance> told;
  ui->SetAppearanceChangedFunc([&](EUIAppearance a) { told.push_back(a); });
  const auto settle = [&](size_t changes) {
    for (int i = 0; i < 200 && told.size() < changes; ++i)
    {
      ui->Idle();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  };
  publish("Adwaita");
  settle(1);
  EXPECT_EQ(ui->GetUIAppearance(), EUIAppearance::Light);
  publish("Breeze Dark");
  settle(2);
  EXPECT_EQ(told, (std::vector<EUIAppearance>{EUIAppearance::Light, EUIAppearance::Dark}));
  dlg.CloseWindow();

  // Without a settings manager (and without a session bus to ask): light.
  XDestroyWindow(display, manager);
  XSync(display, False);
  ui = Open();
  ASSERT_NE(ui, nullptr);
  EXPECT_EQ(ui->GetUIAppearance(), EUIAppearance::Light);
}

TEST_F(WindowFixture, NativeViewsSitInTheEditorAndFollowItsZoom)
{
  IGraphicsX11* ui = Open();
  ASSERT_NE(ui, nullptr);
  const Window editor = ui->GetXWindow();
  const Window view = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 5, 5, 0, 0, 0xFFFF00);
  XSync(display, False);
  const auto where = [&] {
    XSync(ui->GetDisplay(), False);
    Window root = 0, parent = 0, *children = nullptr;
    unsigned n = 0;
    XQueryTree(display, view, &root, &parent, &children, &n);
    if (children)
      XFree(children);
    XWindowAttributes a{};
    XGetWindowAttributes(display, view, &a);
    return std::make_tuple(parent == editor, a.x, a.y, a.width, a.height, a.map_state == IsViewable);
  };
  ui->AttachPlatformView(IRECT(10, 20, 60, 40), reinterpret_cast<void*>(view));
  EXPECT_EQ(where(), std::make_tuple(true, 10, 20, 50, 20, true));
  ui->Resize(200, 100, 2.f);
  EXPECT_EQ(where(), std::make_tuple(true, 20, 40, 100, 40, true));
  ui->RemovePlatformView(reinterpret_cast<void*>(view));
  EXPECT_EQ(std::get<0>(where()), false);
  EXPECT_EQ(std::get<5>(where()), false);

  // Still attached when the editor closes: it is handed back, not destroyed with the editor.
  ui->AttachPlatformView(IRECT(0, 0, 10, 10), reinterpret_cast<void*>(view));
  dlg.CloseWindow();
  XSync(display, False);
  XWindowAttributes attrs{};
  ASSERT_TRUE(XGetWindowAttributes(display, view, &attrs));
  EXPECT_EQ(attrs.map_state, IsUnmapped);
  XDestroyWindow(display, view);
}

TEST_F(WindowFixture, ClicksDragsWheelAndCrossings)
{
  IGraphicsX11* ui = Open();
  ASSERT_NE(ui, nullptr);
  Probe& p = *dlg.probe;
  struct Case
  {
    const char* name;
    std::function<void()> act;
    std::vector<std::string> events;
  } cases[] = {
    {"double click",
     [&] {
       Click(Button1, 60, 30, 1000);
       Click(Button1, 61, 31);
     },
     {"down", "up", "dbl"}},
    {"triple click is a press",
     [&] {
       Click(Button1, 60, 30, 1000);
       Click(Button1, 60, 30);
       Click(Button1, 60, 30);
     },
     {"down", "up", "dbl", "down", "up"}},
    {"slow second click",
     [&] {
       Click(Button1, 60, 30, 1000);
       Click(Button1, 60, 30, 600);
     },
     {"down", "up", "down", "up"}},
    {"wheel",
     [&] {
       Click(Button4, 60, 30, 1000);
       Click(6, 60, 30);
     },
     {"wheel"}},
    {"drag with deltas",
     [&] {
       ui->HandleEvent(*std::make_unique<XEvent>(Button(ButtonPress, Button1, 60, 30, 0, 1000)));
       Move(63, 26, Button1Mask);
       Move(63, 26, Button1Mask); // no movement: nothing sent
       ui->HandleEvent(*std::make_unique<XEvent>(Button(ButtonRelease, Button1, 63, 26, Button1Mask)));
     },
     {"down", "drag", "up"}},
    {"leaving during a drag sends out after the release",
     [&] {
       ui->HandleEvent(*std::make_unique<XEvent>(Button(ButtonPress, Button1, 60, 30, 0, 1000)));
       Move(250, 30, Button1Mask);
       Cross(LeaveNotify);
       p.events.push_back("|");
       ui->HandleEvent(*std::make_unique<XEvent>(Button(ButtonRelease, Button1, 250, 30, Button1Mask)));
     },
     {"down", "drag", "|", "up", "out"}},
    {"leaving without a drag",
     [&] {
       Move(60, 30, 0);
       Cross(LeaveNotify);
     },
     {"out"}},
  };
  for (const Case& c : cases)
  {
    p.events.clear();
    p.deltas.clear();
    c.act();
    // A release also refreshes the hover state (over / out); that is not what is checked here.
    std::vector<std::string> seen;
    for (size_t i = 0; i < p.events.size(); ++i)
      if (p.events[i] != "over" && !(p.events[i] == "out" && i > 0 && p.events[i - 1] == "up" && seen.back() != "|"))
        seen.push_back(p.events[i]);
    EXPECT_EQ(seen, c.events) << c.name;
    if (std::string(c.name) == "drag with deltas")
    {
      EXPECT_EQ(p.deltas, (std::vector<std::pair<float, float>>{{3.f, -4.f}}));
    }
  }
}

TEST_F(WindowFixture, LockedPointerDragsByMovementAndIgnoresItsOwnWarps)
{
  IGraphicsX11* ui = Open();
  ASSERT_NE(ui, nullptr);
  ui->Idle();
  XWarpPointer(display, None, ui->GetXWindow(), 0, 0, 0, 0, 100, 50);
  XSync(display, False);
  XEvent press = Button(ButtonPress, Button1, 100, 50, 0, 1000);
  ui->HandleEvent(press);
  ui->HideMouseCursor(true, true);
  Move(100, 40, Button1Mask); // moved 10 up
  Move(100, 50, Button1Mask); // the warp back: no movement
  Move(104, 45, Button1Mask); // again from the held position
  ASSERT_EQ(dlg.probe->deltas.size(), 2u);
  EXPECT_EQ(dlg.probe->deltas[0], std::make_pair(0.f, -10.f));
  EXPECT_EQ(dlg.probe->deltas[1], std::make_pair(4.f, -5.f));
  ui->HideMouseCursor(false);
  EXPECT_FALSE(ui->CursorIsHidden());
}

TEST_F(WindowFixture, CloseRequestsOfATopLevelWindow)
{
  struct
  {
    const char* name;
    std::function<void(IGraphicsX11&)> act;
    bool closes;
  } cases[] = {
    {"window manager",
     [&](IGraphicsX11& ui) {
       XEvent e{};
       e.xclient.type = ClientMessage;
       e.xclient.window = ui.GetXWindow();
       e.xclient.message_type = XInternAtom(ui.GetDisplay(), "WM_PROTOCOLS", False);
       e.xclient.format = 32;
       e.xclient.data.l[0] = static_cast<long>(XInternAtom(ui.GetDisplay(), "WM_DELETE_WINDOW", False));
       ui.HandleEvent(e);
     },
     true},
    {"Ctrl+Q",
     [&](IGraphicsX11& ui) {
       XEvent k = Key(XK_q, ControlMask);
       ui.HandleEvent(k);
     },
     true},
    {"Q alone",
     [&](IGraphicsX11& ui) {
       XEvent k = Key(XK_q);
       ui.HandleEvent(k);
     },
     false},
  };
  for (const auto& c : cases)
  {
    IGraphicsX11* ui = Open();
    ASSERT_NE(ui, nullptr);
    c.act(*ui);
    EXPECT_EQ(ui->CloseRequested(), c.closes) << c.name;
    EXPECT_EQ(ui->Idle(), !c.closes) << c.name;
    dlg.CloseWindow();
  }
}

TEST_F(WindowFixture, ClipboardAnswersOtherClientsAndReadsTheirs)
{
  IGraphicsX11* ui = Open();
  ASSERT_NE(ui, nullptr);
  const Atom clipboard = XInternAtom(display, "CLIPBOARD", False);
  const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  const Atom prop = XInternAtom(display, "TEST_PASTE", False);
  const Window requestor = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);

  // The editor copies; another client pastes while the editor's loop runs.
  ASSERT_TRUE(ui->SetTextInClipboard("gain \xC3\xA9 +3"));
  XConvertSelection(display, clipboard, utf8, prop, requestor, CurrentTime);
  XFlush(display);
  XEvent e{};
  bool answered = false;
  for (int i = 0; i < 500 && !answered; ++i)
  {
    ui->Idle();
    answered = XCheckTypedWindowEvent(display, requestor, SelectionNotify, &e);
    if (!answered)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  ASSERT_TRUE(answered);
  Atom type;
  int format;
  unsigned long count, remaining;
  unsigned char* data = nullptr;
  XGetWindowProperty(display, requestor, prop, 0, 1024, True, AnyPropertyType, &type, &format, &count, &remaining,
                     &data);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data), count), "gain \xC3\xA9 +3");
  XFree(data);

  // Another client copies; the editor pastes. That client answers from its own thread.
  std::thread owner([] {
    Display* d = XOpenDisplay(nullptr);
    const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    const Atom cb = XInternAtom(d, "CLIPBOARD", False);
    XSetSelectionOwner(d, cb, w, CurrentTime);
    XSync(d, False);
    XEvent ev;
    for (;;)
    {
      XNextEvent(d, &ev);
      if (ev.type != SelectionRequest)
        continue;
      const char text[] = "-6.5";
      XChangeProperty(d, ev.xselectionrequest.requestor, ev.xselectionrequest.property, ev.xselectionrequest.target, 8,
                      PropModeReplace, reinterpret_cast<const unsigned char*>(text), 4);
      XEvent reply{};
      reply.xselection.type = SelectionNotify;
      reply.xselection.requestor = ev.xselectionrequest.requestor;
      reply.xselection.selection = cb;
      reply.xselection.target = ev.xselectionrequest.target;
      reply.xselection.property = ev.xselectionrequest.property;
      XSendEvent(d, ev.xselectionrequest.requestor, False, NoEventMask, &reply);
      XSync(d, False);
      break;
    }
    XCloseDisplay(d);
  });
  // Wait until the other client owns the selection.
  while (XGetSelectionOwner(display, clipboard) != None && XGetSelectionOwner(display, clipboard) == ui->GetXWindow())
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  WDL_String pasted;
  EXPECT_TRUE(ui->GetTextFromClipboard(pasted));
  owner.join();
  EXPECT_STREQ(pasted.Get(), "-6.5");
  XDestroyWindow(display, requestor);
}

TEST_F(WindowFixture, TwoEditorsInOneProcess)
{
  EditorDelegate other;
  IGraphicsX11* a = Open();
  ASSERT_NE(a, nullptr);
  ASSERT_NE(other.OpenWindow(nullptr), nullptr);
  IGraphicsX11* b = other.UI();
  EXPECT_NE(a->GetXWindow(), b->GetXWindow());
  XMoveWindow(b->GetDisplay(), b->GetXWindow(), 300, 0); // side by side
  for (int i = 0; i < 3; ++i)
  {
    EXPECT_TRUE(a->Idle());
    EXPECT_TRUE(b->Idle());
  }
  other.CloseWindow();
  // The other editor's context went with it; this one still draws.
  dlg.probe->SetDirty(false);
  EXPECT_TRUE(a->Idle());
  XSync(a->GetDisplay(), False);
  EXPECT_EQ(Pixel(100, 50), 0xFF0000u);
}

TEST(X11ErrorTrap, ErrorsOfATrappedConnectionStayOnItAndTheHostsHandlerIsLeftAlone)
{
  XErrorHandler previous = XSetErrorHandler(CountHostError);
  gHostErrors = 0;
  Display* ours = XOpenDisplay(nullptr);
  Display* hosts = XOpenDisplay(nullptr);
  ASSERT_TRUE(ours && hosts);
  {
    x11::X11ErrorTrap trap(ours);
    EXPECT_TRUE(trap.Sync());
    const Window missing = XCreateSimpleWindow(hosts, DefaultRootWindow(hosts), 0, 0, 1, 1, 0, 0, 0);
    XDestroyWindow(hosts, missing);
    XSync(hosts, False);
    XMapWindow(ours, missing);
    XDestroyWindow(ours, missing);
    EXPECT_FALSE(trap.Sync());
    EXPECT_EQ(trap.Errors(), 2u);
    EXPECT_TRUE(trap.Sync()) << "each error counts once";
    EXPECT_EQ(gHostErrors, 0);

    // The host's own connection still reports to the host's handler.
    XMapWindow(hosts, missing);
    XSync(hosts, False);
    EXPECT_EQ(gHostErrors, 1);
  }
  XDestroyWindow(ours, 1); // after the trap: dropped all the same
  XSync(ours, False);
  EXPECT_EQ(gHostErrors, 1);
  XCloseDisplay(ours);
  XCloseDisplay(hosts);
  EXPECT_EQ(XSetErrorHandler(previous), CountHostError) << "the process-wide handler must stay the host's";
}

TEST_F(WindowFixture, AHostWindowThatGoesFirstOrIsStaleEndsNothing)
{
  XErrorHandler previous = XSetErrorHandler(CountHostError);
  gHostErrors = 0;
  const auto hostWindow = [&] {
    const Window w = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 300, 200, 0, 0, 0);
    XMapWindow(display, w);
    XSync(display, False);
    return w;
  };
  struct
  {
    const char* name;
    bool idleFirst; // the editor reads events between the host's destroy and its cleanup
  } cases[] = {{"destroyed, then closed at once", false}, {"destroyed, seen, then closed", true}};
  for (const auto& c : cases)
  {
    const Window host = hostWindow();
    IGraphicsX11* ui = Open(host);
    ASSERT_NE(ui, nullptr) << c.name;
    EXPECT_TRUE(ui->Idle()) << c.name;
    XDestroyWindow(display, host);
    XSync(display, False);
    if (c.idleFirst)
    {
      bool open = true;
      for (int i = 0; i < 200 && open; ++i)
      {
        open = ui->Idle();
        if (open)
          std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
      EXPECT_FALSE(open) << c.name << ": a vanished window counts as closed";
      EXPECT_TRUE(ui->WindowGone()) << c.name;
    }
    dlg.CloseWindow();
  }

  // A stale parent: the window is refused with a reason.
  const Window stale = hostWindow();
  XDestroyWindow(display, stale);
  XSync(display, False);
  EXPECT_EQ(dlg.OpenWindow(reinterpret_cast<void*>(stale)), nullptr);
  ASSERT_NE(dlg.UI(), nullptr);
  EXPECT_EQ(dlg.UI()->GetError(), "cannot create the X window: the host's window does not exist");
  dlg.CloseWindow();

  // Still usable afterwards.
  EXPECT_NE(Open(), nullptr);
  dlg.CloseWindow();
  EXPECT_EQ(gHostErrors, 0) << "the editor's errors reached the host's handler";
  EXPECT_EQ(XSetErrorHandler(previous), CountHostError);
}

TEST(X11Window, WithoutADisplayOpeningFailsWithAReason)
{
  EditorDelegate dlg;
  const char* saved = std::getenv("DISPLAY");
  const std::string display = saved ? saved : "";
  setenv("DISPLAY", ":987", 1);
  EXPECT_EQ(dlg.OpenWindow(nullptr), nullptr);
  ASSERT_NE(dlg.UI(), nullptr);
  EXPECT_EQ(dlg.UI()->GetError(), "cannot open the X display ':987'");
  dlg.CloseWindow();
  setenv("DISPLAY", display.c_str(), 1);
}

TEST(X11Window, EditorsOpenOneAfterAnother)
{
  // Each editor has its own connection; one closed must not spoil the next (no other client holds the server).
  for (int round = 0; round < 4; ++round)
  {
    EditorDelegate dlg;
    ASSERT_NE(dlg.OpenWindow(nullptr), nullptr) << "round " << round << ": " << dlg.UI()->GetError();
    dlg.UI()->Resize(200, 100, round % 2 ? 2.f : 1.f);
    EXPECT_TRUE(dlg.UI()->Idle());
    dlg.CloseWindow();
  }
}
