// The StatusNotifier item on a private session bus with a stand-in watcher
// that comes up after the icon: the item then registers, its exported menu
// is the model's, the host's AboutToShow runs the model's OnPopup, and a
// host's click runs the entry.
#include <gio/gio.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <stdlib.h>

#include <functional>
#include <string>
#include <vector>

#include "shell/CoolTrayIcon.h"
#include "shell/gtk/GtkTrayPeer.h"
#include "tests/support/FakeToolkit.h"
#include "ui/Components.h"
#include "ui/Form.h"

namespace km27::test {
namespace {

const char kWatcherXml[] =
    "<node><interface name='org.kde.StatusNotifierWatcher'>"
    "<method name='RegisterStatusNotifierItem'><arg type='s' direction='in'/></method>"
    "<property name='IsStatusNotifierHostRegistered' type='b' access='read'/>"
    "<property name='ProtocolVersion' type='i' access='read'/></interface></node>";

std::string gItem;  // "<bus name><object path>" of the registered item

void OnWatcherCall(GDBusConnection*, const gchar* sender, const gchar*, const gchar*, const gchar*,
                   GVariant* params, GDBusMethodInvocation* call, gpointer) {
  const gchar* path = nullptr;
  g_variant_get(params, "(&s)", &path);
  gItem = std::string(sender) + (path[0] == '/' ? path : "");
  g_dbus_method_invocation_return_value(call, nullptr);
}

GVariant* OnWatcherProperty(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* name, GError**,
                            gpointer) {
  return std::string(name) == "ProtocolVersion" ? g_variant_new_int32(0) : g_variant_new_boolean(TRUE);
}

bool PumpUntil(const std::function<bool()>& done) {
  for (int i = 0; i < 500 && !done(); ++i) {
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    g_usleep(10000);
  }
  return done();
}

// The item answers on this process's main loop, so the call waits pumping it.
GVariant* Call(GDBusConnection* bus, const std::string& name, const std::string& path, const char* iface,
               const char* method, GVariant* args) {
  struct Reply {
    GVariant* value = nullptr;
    std::string error;
    bool done = false;
  } reply;
  g_dbus_connection_call(
      bus, name.c_str(), path.c_str(), iface, method, args, nullptr, G_DBUS_CALL_FLAGS_NONE, 5000, nullptr,
      [](GObject* source, GAsyncResult* result, gpointer data) {
        auto* r = static_cast<Reply*>(data);
        GError* error = nullptr;
        r->value = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
        if (error) r->error = error->message;
        g_clear_error(&error);
        r->done = true;
      },
      &reply);
  PumpUntil([&] { return reply.done; });
  EXPECT_TRUE(reply.value) << method << ": " << reply.error;
  return reply.value;
}

TEST(StatusNotifier, ItemExportsTheModelsMenuAndRunsTheHostsClick) {
  ASSERT_TRUE(gtk_init_check(nullptr, nullptr));
  ::unsetenv("KM27_TRAY");
  gchar* daemon = g_find_program_in_path("dbus-daemon");
  if (!daemon) GTEST_SKIP() << "no dbus-daemon for a private session bus";
  g_free(daemon);
  GTestDBus* testBus = g_test_dbus_new(G_TEST_DBUS_NONE);
  g_test_dbus_up(testBus);
  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
  ASSERT_TRUE(bus);
  GDBusNodeInfo* info = g_dbus_node_info_new_for_xml(kWatcherXml, nullptr);
  const GDBusInterfaceVTable vtable = {&OnWatcherCall, &OnWatcherProperty, nullptr, {}};
  g_dbus_connection_register_object(bus, "/StatusNotifierWatcher", info->interfaces[0], &vtable, nullptr, nullptr,
                                    nullptr);
  guint owner = 0;
  {
    FakeToolkit tk;
    InstallGtkTrayPeer();
    ui::Form form("frmTray");
    auto& menu = form.Make<ui::PopupMenu>("PopupMenu1");
    std::vector<std::string> clicked;
    int popups = 0;
    // What OnPopup changes is in the menu the host then fetches.
    menu.OnPopup = [&] { menu.Items()[0]->SetCaption("Show Main Form " + std::to_string(++popups)); };
    for (const char* caption : {"Show Main", "-", "Close"}) {
      auto& item = form.Make<ui::MenuItem>(std::string("m") + std::to_string(menu.Items().size()), &menu);
      item.SetCaption(caption);
      item.OnClick = [&clicked, &item] { clicked.push_back(item.Caption()); };
    }
    TCoolTrayIcon icon(&form);
    EXPECT_EQ(GtkTrayKindOf(icon), TrayKind::StatusIcon);  // no host yet
    icon.PopupMenu = &menu;
    icon.SetIconVisible(true);
    // The panel comes up after the program: the item takes the icon's place.
    owner = g_bus_own_name_on_connection(bus, "org.kde.StatusNotifierWatcher", G_BUS_NAME_OWNER_FLAGS_NONE, nullptr,
                                         nullptr, nullptr, nullptr);
    ASSERT_TRUE(PumpUntil([] { return !gItem.empty(); }));
    EXPECT_EQ(GtkTrayKindOf(icon), TrayKind::StatusNotifier);
    EXPECT_EQ(ChooseTrayKind(), TrayKind::StatusNotifier);

    const std::string name = gItem.substr(0, gItem.find('/'));
    const std::string itemPath = gItem.find('/') == std::string::npos ? "/StatusNotifierItem" : gItem.substr(gItem.find('/'));
    GVariant* menuPath = Call(bus, name, itemPath, "org.freedesktop.DBus.Properties", "Get",
                              g_variant_new("(ss)", "org.kde.StatusNotifierItem", "Menu"));
    ASSERT_TRUE(menuPath);
    GVariant* inner = nullptr;
    g_variant_get(menuPath, "(v)", &inner);
    const std::string path = g_variant_get_string(inner, nullptr);
    g_variant_unref(inner);
    g_variant_unref(menuPath);

    GVariant* shown = Call(bus, name, path, "com.canonical.dbusmenu", "AboutToShow", g_variant_new("(i)", 0));
    if (shown) g_variant_unref(shown);
    EXPECT_EQ(popups, 1);
    int turns = 0;
    PumpUntil([&] { return ++turns > 20; });  // lets the menu's changes go out

    GVariant* layout = Call(bus, name, path, "com.canonical.dbusmenu", "GetLayout",
                            g_variant_new("(ii@as)", 0, -1, g_variant_new_strv(nullptr, 0)));
    ASSERT_TRUE(layout);
    GVariant* root = g_variant_get_child_value(layout, 1);
    GVariant* children = g_variant_get_child_value(root, 2);
    std::vector<std::string> entries;
    gint32 closeId = -1;
    for (gsize i = 0; i < g_variant_n_children(children); ++i) {
      GVariant* child = g_variant_get_variant(g_variant_get_child_value(children, i));
      gint32 id = 0;
      GVariant* props = nullptr;
      g_variant_get(child, "(i@a{sv}@av)", &id, &props, nullptr);
      const gchar* label = nullptr;
      const gchar* type = nullptr;
      if (g_variant_lookup(props, "type", "&s", &type) && std::string(type) == "separator") {
        entries.push_back("-");
      } else if (g_variant_lookup(props, "label", "&s", &label)) {
        entries.push_back(label);
        if (std::string(label) == "Close") closeId = id;
      }
    }
    EXPECT_EQ(entries, (std::vector<std::string>{"Show Main Form 1", "-", "Close"}));
    ASSERT_NE(closeId, -1);
    GVariant* done = Call(bus, name, path, "com.canonical.dbusmenu", "Event",
                          g_variant_new("(isvu)", closeId, "clicked", g_variant_new_int32(0), 0u));
    if (done) g_variant_unref(done);
    EXPECT_TRUE(PumpUntil([&] { return !clicked.empty(); }));
    EXPECT_EQ(clicked, std::vector<std::string>{"Close"});
    SetTrayPeerFactory(nullptr);
  }
  if (owner) g_bus_unown_name(owner);
  g_dbus_node_info_unref(info);
  g_object_unref(bus);
  g_test_dbus_down(testBus);
  g_object_unref(testBus);
}

}  // namespace
}  // namespace km27::test
