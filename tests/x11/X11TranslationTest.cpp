// What the X11 view host computes without a display: virtual keys, click
// counts, scales, cursor shapes, dialog command lines and their answers, and
// the helper-process runner behind them.

#include <gtest/gtest.h>

#include <X11/keysym.h>
#include <chrono>
#include <csignal>
#include <cstring>
#include <functional>
#include <pthread.h>
#include <string>
#include <thread>
#include <vector>

#include "graphics/IVirtualKeys.h"
#include "platform/x11/ChildProcess.h"
#include "platform/x11/ClickCounter.h"
#include "platform/x11/DesktopAppearance.h"
#include "platform/x11/DesktopDialogs.h"
#include "platform/x11/HostSizeTracker.h"
#include "platform/x11/UriList.h"
#include "platform/x11/UserOSVersion.h"
#include "platform/x11/ScreenScale.h"
#include "platform/x11/X11Cursors.h"
#include "platform/x11/X11KeyMap.h"
#include "platform/x11/XSettings.h"
#include "XSettingsBlock.h"

using namespace iplug::igraphics;
using namespace iplug::igraphics::x11;

TEST(X11KeyMap, KeysymsGiveVirtualKeys)
{
  struct
  {
    uint32_t keysym;
    int vk;
  } cases[] = {
    {XK_a, 'A'},
    {XK_Z, 'Z'},
    {XK_0, '0'},
    {XK_9, '9'},
    {XK_KP_0, kVK_NUMPAD0},
    {XK_KP_9, kVK_NUMPAD9},
    {XK_F1, kVK_F1},
    {XK_F24, kVK_F24},
    {XK_BackSpace, kVK_BACK},
    {XK_Tab, kVK_TAB},
    {XK_ISO_Left_Tab, kVK_TAB},
    {XK_Return, kVK_RETURN},
    {XK_KP_Enter, 32781},
    {XK_Escape, kVK_ESCAPE},
    {XK_space, kVK_SPACE},
    {XK_Prior, kVK_PRIOR},
    {XK_Next, kVK_NEXT},
    {XK_Home, kVK_HOME},
    {XK_End, kVK_END},
    {XK_Left, kVK_LEFT},
    {XK_Up, kVK_UP},
    {XK_Right, kVK_RIGHT},
    {XK_Down, kVK_DOWN},
    {XK_KP_Left, kVK_LEFT},
    {XK_KP_Delete, kVK_DELETE},
    {XK_Insert, kVK_INSERT},
    {XK_Delete, kVK_DELETE},
    {XK_KP_Decimal, kVK_DECIMAL},
    {XK_KP_Multiply, kVK_MULTIPLY},
    {XK_KP_Add, kVK_ADD},
    {XK_KP_Subtract, kVK_SUBTRACT},
    {XK_KP_Divide, kVK_DIVIDE},
    {XK_KP_Equal, kVK_SEPARATOR},
    {XK_Num_Lock, kVK_NUMLOCK},
    // No virtual key: modifiers alone, punctuation, non-Latin letters.
    {XK_Shift_L, 0},
    {XK_Control_R, 0},
    {XK_comma, 0},
    {XK_eacute, 0},
    {XK_F35, 0},
    {0, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(VirtualKeyFromKeysym(c.keysym), c.vk) << std::hex << c.keysym;
}

TEST(ClickCounter, SeriesContinueOnlyCloseInTimeAndPlace)
{
  struct Press
  {
    unsigned button;
    int x, y;
    uint32_t t;
    int count;
  };
  struct
  {
    const char* name;
    std::vector<Press> presses;
  } cases[] = {
    {"single, double, triple, fourth",
     {{1, 10, 10, 1000, 1}, {1, 11, 9, 1200, 2}, {1, 12, 10, 1500, 3}, {1, 12, 10, 1800, 4}}},
    {"too slow", {{1, 10, 10, 1000, 1}, {1, 10, 10, 1401, 1}}},
    {"just in time", {{1, 10, 10, 1000, 1}, {1, 10, 10, 1400, 2}}},
    {"too far", {{1, 10, 10, 1000, 1}, {1, 15, 10, 1100, 1}, {1, 15, 14, 1200, 2}}},
    {"other button", {{1, 10, 10, 1000, 1}, {3, 10, 10, 1100, 1}, {3, 10, 10, 1200, 2}}},
    {"server time wraps", {{1, 10, 10, 0xFFFFFF00u, 1}, {1, 10, 10, 0x40u, 2}}},
    {"first press at time zero", {{1, 0, 0, 0, 1}, {1, 0, 0, 10, 2}}},
  };
  for (const auto& c : cases)
  {
    ClickCounter counter;
    for (const Press& p : c.presses)
      EXPECT_EQ(counter.Press(p.button, p.x, p.y, p.t), p.count) << c.name << " at " << p.t;
  }
  ClickCounter counter;
  counter.Press(1, 0, 0, 0);
  counter.Reset();
  EXPECT_EQ(counter.Press(1, 0, 0, 10), 1);
}

TEST(ScreenScale, FromXftDpiElseGdkScaleElseOne)
{
  struct
  {
    const char* resources;
    const char* gdk;
    float scale;
  } cases[] = {
    {"Xft.dpi:\t192\n", nullptr, 2.f},
    {"Xft.antialias:\t1\nXft.dpi:\t120\nXft.hinting:\t1\n", "3", 1.25f},
    {"Xft.dpi:\t72\n", "2", 1.f},                   // never below 1, and Xft.dpi wins over GDK_SCALE
    {"Xft.dpi:\t96\nXft.dpi:\t144", nullptr, 1.5f}, // the last entry counts
    {"Xft.antialias:\t1\n", "2", 2.f},
    {nullptr, "2", 2.f},
    {"Xft.dpi: lots\n", "2", 2.f}, // unreadable values fall through
    {"Xft.dpi: 1e9\n", nullptr, 1.f},
    {"Xft.dpi: nan\n", nullptr, 1.f},
    {"Xft.dpi: -192\n", nullptr, 1.f},
    {"MyXft.dpi: 192\n", nullptr, 1.f},
    {nullptr, "1.5", 1.f}, // GDK_SCALE is a whole number
    {nullptr, "0", 1.f},
    {nullptr, "", 1.f},
    {nullptr, nullptr, 1.f},
  };
  for (const auto& c : cases)
    EXPECT_FLOAT_EQ(ScreenScaleFromSettings(c.resources, c.gdk), c.scale)
      << (c.resources ? c.resources : "null") << " / " << (c.gdk ? c.gdk : "null");
}

TEST(ScreenScale, DevicePixelsToEditorPoints)
{
  struct
  {
    float pixel, screen, draw, point;
  } cases[] = {
    {100.f, 1.f, 1.f, 100.f}, {100.f, 2.f, 1.f, 50.f}, {100.f, 1.f, 2.f, 50.f},
    {150.f, 2.f, 1.5f, 50.f}, {0.f, 2.f, 2.f, 0.f},
  };
  for (const auto& c : cases)
  {
    EXPECT_FLOAT_EQ(PointFromPixel(c.pixel, c.screen, c.draw), c.point);
    EXPECT_FLOAT_EQ(PixelFromPoint(c.point, c.screen, c.draw), c.pixel);
  }
}

TEST(X11Cursors, EveryCursorHasANameAndACoreShape)
{
  for (int i = 0; i <= static_cast<int>(ECursor::HELP); ++i)
  {
    const CursorChoice& shape = CursorShapeFor(static_cast<ECursor>(i));
    ASSERT_NE(shape.names[0], nullptr) << i;
    EXPECT_LT(shape.fontShape, 154u) << i; // the core cursor font has 154 glyphs
  }
  EXPECT_STREQ(CursorShapeFor(ECursor::HAND).names[0], "pointer");
  EXPECT_STREQ(CursorShapeFor(ECursor::SIZENWSE).names[0], "nwse-resize");
  EXPECT_STREQ(CursorShapeFor(ECursor::IBEAM).names[0], "text");
  EXPECT_EQ(&CursorShapeFor(static_cast<ECursor>(99)), &CursorShapeFor(ECursor::ARROW));
}

TEST(DesktopDialogs, MessageBoxButtonsAndAnswers)
{
  using R = EMsgBoxResult;
  struct
  {
    EMsgBoxType type;
    int exit;
    const char* out;
    R result;
  } cases[] = {
    {EMsgBoxType::OK, 0, "", R::OK},
    {EMsgBoxType::OK, 1, "", R::OK}, // closing an information box acknowledges it
    {EMsgBoxType::OKCancel, 1, "", R::Cancel},
    {EMsgBoxType::YesNo, 0, "", R::Yes},
    {EMsgBoxType::YesNo, 1, "", R::No},
    {EMsgBoxType::YesNoCancel, 1, "Cancel\n", R::Cancel},
    {EMsgBoxType::YesNoCancel, 1, "", R::No},
    {EMsgBoxType::AbortRetryIgnore, 0, "", R::Retry},
    {EMsgBoxType::AbortRetryIgnore, 1, "Ignore\n", R::Ignore},
    {EMsgBoxType::AbortRetryIgnore, 1, "", R::Abort},
    {EMsgBoxType::RetryCancel, 5, "", R::NoResult}, // timeout or failure
    {EMsgBoxType::YesNo, -1, "", R::NoResult},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MessageBoxResult(c.type, c.exit, c.out), c.result) << static_cast<int>(c.type) << "/" << c.exit;

  const Command cmd = MessageBoxCommand("a <b> & c", "Title", EMsgBoxType::YesNoCancel);
  const Command expected{"zenity",           "--question",     "--no-markup",       "--title=Title",
                         "--text=a <b> & c", "--ok-label=Yes", "--cancel-label=No", "--extra-button=Cancel"};
  EXPECT_EQ(cmd, expected);
  EXPECT_EQ(MessageBoxCommand(nullptr, nullptr, EMsgBoxType::OK)[1], "--info");
}

TEST(DesktopDialogs, FilePromptsAndColours)
{
  EXPECT_EQ(FileDialogCommand("/tmp/a.wav", EFileAction::Save, "wav aif"),
            (Command{"zenity", "--file-selection", "--save", "--confirm-overwrite", "--filename=/tmp/a.wav",
                     "--file-filter=*.wav *.aif"}));
  EXPECT_EQ(FileDialogCommand(nullptr, EFileAction::Open, " ;"), (Command{"zenity", "--file-selection"}));
  EXPECT_EQ(DirectoryDialogCommand("/home"),
            (Command{"zenity", "--file-selection", "--directory", "--filename=/home/"}));
  EXPECT_EQ(ColorDialogCommand(IColor(255, 1, 2, 3), "Pick")[3], "--color=rgb(1,2,3)");
  EXPECT_EQ(OpenCommand("https://example.org/?a=1;b"), (Command{"xdg-open", "https://example.org/?a=1;b"}));

  EXPECT_EQ(ChosenPath(0, "/tmp/x y.wav\n"), "/tmp/x y.wav");
  EXPECT_EQ(ChosenPath(1, ""), "");

  struct
  {
    const char* text;
    bool ok;
    IColor color;
  } colours[] = {
    {"rgb(255,0,10)\n", true, IColor(255, 255, 0, 10)},
    {"rgba(1,2,3,0.5)", true, IColor(128, 1, 2, 3)},
    {"#0a0B0c", true, IColor(255, 10, 11, 12)},
    {"rgb(256,0,0)", false, {}},
    {"rgb(1,2)", false, {}},
    {"rgb(1,2,3)x", false, {}},
    {"#12345", false, {}},
    {"#12345g", false, {}},
    {"", false, {}},
  };
  for (const auto& c : colours)
  {
    IColor color;
    EXPECT_EQ(ParseColor(c.text, color), c.ok) << c.text;
    if (c.ok)
    {
      EXPECT_EQ(color, c.color) << c.text;
    }
  }
}

TEST(ChildProcess, RunsCollectsAndReaps)
{
  EXPECT_FALSE(FindProgram("sh").empty());
  EXPECT_TRUE(FindProgram("no-such-program-here").empty());

  ChildProcess missing;
  EXPECT_FALSE(missing.Start({"no-such-program-here"}));
  EXPECT_FALSE(missing.Start({}));

  ChildProcess child;
  ASSERT_TRUE(child.Start({"sh", "-c", "printf 'one\\ntwo'; exit 3"}));
  child.Wait();
  EXPECT_EQ(child.ExitCode(), 3);
  EXPECT_EQ(child.Output(), "one\ntwo");
  EXPECT_FALSE(child.Running());

  // A child still running when its owner goes is ended, not waited for.
  const auto start = std::chrono::steady_clock::now();
  {
    ChildProcess sleeper;
    ASSERT_TRUE(sleeper.Start({"sleep", "30"}));
    EXPECT_FALSE(sleeper.Poll());
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(ChildProcess, ChildrenStartWithNoSignalBlockedOrIgnoredAndClosingIsBounded)
{
  // What the host's thread does to its own signals; each case undoes it.
  struct Case
  {
    const char* name;
    std::function<void()> before, after;
    std::vector<std::string> sleeper;
  };
  sigset_t term;
  sigemptyset(&term);
  sigaddset(&term, SIGTERM);
  const Case cases[] = {
    {"host thread blocks SIGTERM",
     [&] { pthread_sigmask(SIG_BLOCK, &term, nullptr); },
     [&] { pthread_sigmask(SIG_UNBLOCK, &term, nullptr); },
     {"sleep", "30"}},
    {"host ignores SIGTERM",
     [] { std::signal(SIGTERM, SIG_IGN); },
     [] { std::signal(SIGTERM, SIG_DFL); },
     {"sleep", "30"}},
    {"child ignores SIGTERM itself", [] {}, [] {}, {"sh", "-c", "trap '' TERM; exec sleep 30"}},
  };
  for (const Case& c : cases)
  {
    c.before();
    ChildProcess status;
    ASSERT_TRUE(status.Start({"cat", "/proc/self/status"})) << c.name;
    status.Wait();
    // The standard signals, 1 to 31 (bits 0 to 30); the C library keeps its own real-time ones above.
    const auto mask = [&](const char* field) {
      const std::string& out = status.Output();
      const size_t at = out.find(field);
      return at == std::string::npos ? ~0ull : std::stoull(out.substr(at + std::strlen(field)), nullptr, 16);
    };
    EXPECT_EQ(mask("SigBlk:") & 0x7FFFFFFFull, 0u) << c.name;
    EXPECT_EQ(mask("SigIgn:") & 0x7FFFFFFFull, 0u) << c.name;

    const auto start = std::chrono::steady_clock::now();
    {
      ChildProcess sleeper;
      ASSERT_TRUE(sleeper.Start(c.sleeper)) << c.name;
      std::this_thread::sleep_for(std::chrono::milliseconds(100)); // the shell has set its trap
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << c.name;
    c.after();
  }
}
TEST(HostSizeTracker, TellsTheHostsSizesFromTheEditorsOwn)
{
  using S = HostSizeTracker::Size;
  struct Step
  {
    char what; // 'r' the editor asks (own size), 'f' it asks to fit a host's size, 'w' window event, 'p' parent event
    S size;
    bool fit = false; // for events: whether the editor should fit the size
  };
  const struct
  {
    const char* name;
    std::vector<Step> steps;
  } cases[] = {
    {"own zooms come back as events",
     {{'r', {600, 350}}, {'r', {632, 366}}, {'w', {600, 350}, false}, {'w', {632, 366}, false}}},
    {"a move is not a resize", {{'w', {575, 333}, false}}},
    {"the host resizes the window", {{'w', {1000, 700}, true}, {'w', {1000, 700}, false}}},
    {"a host following the zoom with the parent",
     {{'r', {600, 350}}, {'r', {632, 366}}, {'p', {600, 350}, false}, {'p', {632, 366}, false}}},
    {"a host resizing the parent on its own",
     {{'p', {900, 500}, true}, {'p', {900, 500}, false}, {'p', {575, 333}, true}}},
    {"the host's size after our own request",
     {{'r', {632, 366}},
      {'w', {632, 366}, false},
      {'w', {1000, 700}, true},
      {'f', {1000, 700}},
      {'w', {1000, 700}, false}}},
    {"a fit to a size, then the parent at it (fits again to the same)",
     {{'f', {800, 600}}, {'w', {800, 600}, false}, {'p', {800, 600}, true}}},
    {"a host that sizes the parent for a moment before taking the editor's size",
     {{'r', {575, 333}}, {'p', {200, 200}, true}, {'f', {200, 200}}, {'p', {575, 333}, true}}},
    {"the host resized before our request arrived",
     {{'r', {632, 366}},
      {'w', {700, 400}, true},
      {'f', {700, 400}},
      {'w', {632, 366}, false},
      {'w', {700, 400}, false}}},
  };
  for (const auto& c : cases)
  {
    HostSizeTracker tracker;
    tracker.Reset({575, 333}, {575, 333});
    for (size_t i = 0; i < c.steps.size(); ++i)
    {
      const Step& s = c.steps[i];
      if (s.what == 'r' || s.what == 'f')
        tracker.WindowSizeRequested(s.size, s.what == 'r');
      else
        EXPECT_EQ(s.what == 'w' ? tracker.WindowConfigured(s.size) : tracker.ParentConfigured(s.size), s.fit)
          << c.name << ", step " << i;
    }
  }
}

TEST(UriList, LocalFileNamesOnly)
{
  using namespace std::string_literals;
  const struct
  {
    std::string list;
    std::vector<std::string> names;
  } cases[] = {
    {"file:///home/me/take%201.wav\r\nfile:///tmp/b.wav\r\n", {"/home/me/take 1.wav", "/tmp/b.wav"}},
    {"# a comment\r\nFILE:///x.wav\nfile://localhost/y.wav\nfile://studio/z.wav\nfile://elsewhere/w.wav",
     {"/x.wav", "/y.wav", "/z.wav"}}, // "studio" is this machine
    {"http://example.com/a.wav\r\nsmb://nas/b.wav\r\nfile:relative.wav\r\nfile://\r\n", {}},
    {"file:///a%2", {}},                                               // a broken escape
    {"file:///a%00b", {}},                                             // a NUL in the name
    {"file:///a\0b\nfile:///c\x01\nfile:///d%0A"s, {"/d\n"}},          // raw control bytes; escaped they are a name's
    {"file:///%C3%A9t%C3%A9.wav?x=1#top", {"/\xC3\xA9t\xC3\xA9.wav"}}, // UTF-8, query and fragment dropped
    {"file:///caf%e9", {"/caf\xE9"}},                                  // bytes as they are
    {"", {}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FileNamesFromUriList(c.list, "studio"), c.names) << c.list;
}

TEST(XSettings, BlocksInEitherByteOrderAndDamagedOnes)
{
  using test::Setting;
  using test::XSettingsBlock;
  const std::vector<Setting> settings = {
    {1, "Net/ThemeName", "Adwaita-dark"}, {0, "Xft/DPI", "", 98304}, {2, "Gtk/Color", ""}, {1, "Gtk/FontName", ""}};
  for (bool bigEndian : {false, true})
  {
    const std::vector<uint8_t> block = XSettingsBlock(settings, bigEndian);
    std::map<std::string, XSettingValue> out;
    ASSERT_TRUE(ParseXSettings(block.data(), block.size(), out)) << bigEndian;
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out["Net/ThemeName"].text, "Adwaita-dark");
    EXPECT_EQ(out["Xft/DPI"].integer, 98304);
    EXPECT_EQ(out["Gtk/Color"].type, XSettingValue::Type::Color);
    EXPECT_EQ(out["Gtk/Color"].color[3], 0x4000);
    EXPECT_EQ(out["Gtk/FontName"].text, "");
  }

  // Every cut of a block, a count beyond what it holds, lengths past its end, an unknown type:
  // refused whole, never read past.
  std::vector<std::vector<uint8_t>> damaged;
  const std::vector<uint8_t> good = XSettingsBlock(settings);
  for (size_t cut = 0; cut < good.size(); ++cut)
    damaged.emplace_back(good.begin(), good.begin() + static_cast<long>(cut));
  auto count = good;
  count[8] = 0xFF;
  auto nameLength = good;
  nameLength[14] = 0xFF;
  auto textLength = good;
  textLength[36] = 0xFF; // the theme name's length
  auto type = good;
  type[12] = 9;
  auto order = good;
  order[0] = 2;
  damaged.insert(damaged.end(), {count, nameLength, textLength, type, order});
  for (size_t i = 0; i < damaged.size(); ++i)
  {
    std::map<std::string, XSettingValue> out;
    const std::vector<uint8_t> bytes = damaged[i]; // exactly its size, so a read past it is caught
    EXPECT_FALSE(ParseXSettings(bytes.data(), bytes.size(), out)) << i;
    EXPECT_TRUE(out.empty()) << i;
  }
  std::map<std::string, XSettingValue> none;
  EXPECT_TRUE(ParseXSettings(XSettingsBlock({}).data(), 12, none));
}

TEST(DesktopAppearance, PortalFirstThenTheThemeName)
{
  const struct
  {
    const char* theme; // null: no such setting
    ColorScheme portal;
    bool dark;
  } cases[] = {
    {"Adwaita-dark", ColorScheme::NoPreference, true},
    {"Breeze Dark", ColorScheme::NoPreference, true},
    {"Nordic-darker", ColorScheme::NoPreference, true},
    {"Yaru_Dark", ColorScheme::NoPreference, true},
    {"Adwaita", ColorScheme::NoPreference, false},
    {"Darkroom", ColorScheme::NoPreference, true},
    {"Skydarkness", ColorScheme::NoPreference, false},
    {nullptr, ColorScheme::NoPreference, false},
    {"Adwaita-dark", ColorScheme::Light, false},
    {"Adwaita", ColorScheme::Dark, true},
    {nullptr, ColorScheme::Dark, true},
  };
  for (const auto& c : cases)
  {
    std::map<std::string, XSettingValue> settings;
    if (c.theme)
    {
      settings["Net/ThemeName"].type = XSettingValue::Type::String;
      settings["Net/ThemeName"].text = c.theme;
    }
    EXPECT_EQ(PrefersDark(c.portal, settings), c.dark) << (c.theme ? c.theme : "(none)") << " " << int(c.portal);
  }
}

TEST(UserOSVersion, KernelReleasesAsOneNumber)
{
  const struct
  {
    const char* release;
    int version;
  } cases[] = {{"6.1.0-18-amd64", 60100},
               {"5.10.209", 51099},
               {"6.12", 61200},
               {"4.19.0+", 41900},
               {"3", 30000},
               {"", 0},
               {"linux", 0},
               {"99999999999.1.2", 990102}};
  for (const auto& c : cases)
    EXPECT_EQ(OSVersionFromRelease(c.release), c.version) << c.release;
  EXPECT_GE(UserOSVersion(), 20600); // whatever runs this is at least Linux 2.6
}
