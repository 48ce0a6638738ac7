// The desktop's colour scheme as the settings portal publishes it, against a
// portal of our own on a session bus of the test's own (run under
// dbus-run-session): the answers a portal gives, an older portal's wrapping,
// no portal, one that never answers, and no bus at all.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include <gio/gio.h>

#include "platform/x11/DesktopAppearance.h"

using namespace iplug::igraphics::x11;

namespace {

/** org.freedesktop.portal.Desktop with the Settings interface's Read, served from a thread of its own. */
class FakePortal
{
public:
  FakePortal(guint32 scheme, bool wrapped, bool answers) : mScheme(scheme), mWrapped(wrapped), mAnswers(answers)
  {
    mContext = g_main_context_new();
    mLoop = g_main_loop_new(mContext, FALSE);
    mThread = std::thread([this] { Serve(); });
    while (!mReady.load())
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  ~FakePortal()
  {
    g_main_loop_quit(mLoop);
    mThread.join();
    g_main_loop_unref(mLoop);
    g_main_context_unref(mContext);
  }
  bool Ok() const { return mOk; }

private:
  void Serve()
  {
    g_main_context_push_thread_default(mContext);
    GDBusConnection* bus = g_dbus_connection_new_for_address_sync(
      std::getenv("DBUS_SESSION_BUS_ADDRESS"),
      static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                        G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
      nullptr, nullptr, nullptr);
    GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(
      "<node><interface name='org.freedesktop.portal.Settings'><method name='Read'>"
      "<arg type='s' direction='in'/><arg type='s' direction='in'/><arg type='v' direction='out'/>"
      "</method></interface></node>",
      nullptr);
    static const GDBusInterfaceVTable vtable = {&FakePortal::OnCall, nullptr, nullptr, {}};
    guint id = 0;
    if (bus && node)
    {
      id = g_dbus_connection_register_object(bus, "/org/freedesktop/portal/desktop", node->interfaces[0], &vtable, this,
                                             nullptr, nullptr);
      GVariant* owned =
        g_dbus_connection_call_sync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                    "RequestName", g_variant_new("(su)", "org.freedesktop.portal.Desktop", 0u), nullptr,
                                    G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
      mOk = id != 0 && owned != nullptr;
      if (owned)
        g_variant_unref(owned);
    }
    mReady = true;
    g_main_loop_run(mLoop);
    if (mPending)
      g_dbus_method_invocation_return_value(mPending, g_variant_new("(v)", g_variant_new_uint32(mScheme)));
    if (id)
      g_dbus_connection_unregister_object(bus, id);
    if (node)
      g_dbus_node_info_unref(node);
    if (bus)
    {
      g_dbus_connection_close_sync(bus, nullptr, nullptr);
      g_object_unref(bus);
    }
    g_main_context_pop_thread_default(mContext);
  }

  static void OnCall(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant* parameters,
                     GDBusMethodInvocation* invocation, gpointer data)
  {
    auto* self = static_cast<FakePortal*>(data);
    const gchar *space = nullptr, *key = nullptr;
    g_variant_get(parameters, "(&s&s)", &space, &key);
    if (std::string(space) != "org.freedesktop.appearance" || std::string(key) != "color-scheme")
    {
      g_dbus_method_invocation_return_dbus_error(invocation, "org.freedesktop.portal.Error.NotFound", "no such key");
      return;
    }
    if (!self->mAnswers)
    {
      self->mPending = invocation; // answered only as the portal goes away
      return;
    }
    GVariant* value = g_variant_new_uint32(self->mScheme);
    if (self->mWrapped)
      value = g_variant_new_variant(value);
    g_dbus_method_invocation_return_value(invocation, g_variant_new("(v)", value));
  }

  guint32 mScheme;
  bool mWrapped;
  bool mAnswers;
  bool mOk = false;
  std::atomic<bool> mReady{false};
  GDBusMethodInvocation* mPending = nullptr;
  GMainContext* mContext = nullptr;
  GMainLoop* mLoop = nullptr;
  std::thread mThread;
};

} // namespace

TEST(SettingsPortal, TheColourSchemeAPortalPublishes)
{
  ASSERT_NE(std::getenv("DBUS_SESSION_BUS_ADDRESS"), nullptr) << "run under dbus-run-session";
  EXPECT_EQ(PortalColorScheme(), ColorScheme::NoPreference) << "no portal on the bus";
  const struct
  {
    guint32 scheme;
    bool wrapped;
    ColorScheme expected;
  } cases[] = {
    {1, false, ColorScheme::Dark},         {2, false, ColorScheme::Light}, {0, false, ColorScheme::NoPreference},
    {7, false, ColorScheme::NoPreference}, {1, true, ColorScheme::Dark}, // portals before version 2
  };
  for (const auto& c : cases)
  {
    FakePortal portal(c.scheme, c.wrapped, true);
    ASSERT_TRUE(portal.Ok());
    EXPECT_EQ(PortalColorScheme(), c.expected) << c.scheme << (c.wrapped ? " wrapped" : "");
  }
}

TEST(SettingsPortal, APortalThatDoesNotAnswerOrNoBusIsNoPreference)
{
  {
    FakePortal silent(1, false, false);
    ASSERT_TRUE(silent.Ok());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(PortalColorScheme(100), ColorScheme::NoPreference);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)); // gave up, did not hang
  }
  const std::string address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const std::string savedRuntime = runtime ? runtime : "";
  unsetenv("DBUS_SESSION_BUS_ADDRESS");
  unsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(PortalColorScheme(), ColorScheme::NoPreference);
  setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
  if (runtime)
    setenv("XDG_RUNTIME_DIR", savedRuntime.c_str(), 1);
}
