// The GTK tray peer on Xvfb, where no StatusNotifier host (and no session
// bus) runs.
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "common/posix/PosixServices.h"
#include "shell/CoolTrayIcon.h"
#include "shell/TrayIconIds.h"
#include "shell/gtk/GtkTrayPeer.h"
#include "tests/support/FakeToolkit.h"
#include "ui/Components.h"
#include "ui/Form.h"

namespace km27::test {
namespace {

bool Bold(GtkLabel* label) {
  PangoAttrList* attrs = gtk_label_get_attributes(label);
  if (!attrs) return false;
  PangoAttrIterator* it = pango_attr_list_get_iterator(attrs);
  auto* weight = reinterpret_cast<PangoAttrInt*>(pango_attr_iterator_get(it, PANGO_ATTR_WEIGHT));
  bool bold = weight && weight->value >= PANGO_WEIGHT_BOLD;
  pango_attr_iterator_destroy(it);
  return bold;
}

class GtkTray : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    ::unsetenv("XDG_RUNTIME_DIR");
    ::unsetenv("KM27_TRAY");
    ASSERT_TRUE(gtk_init_check(nullptr, nullptr));
    InstallPosixServices();
  }
  void SetUp() override { InstallGtkTrayPeer(); }
  void TearDown() override { SetTrayPeerFactory(nullptr); }
  FakeToolkit tk;
};

TEST_F(GtkTray, ClassicIconWithoutAStatusNotifierHost) {
  EXPECT_FALSE(StatusNotifierWatcherRunning());
  TCoolTrayIcon icon(nullptr);
  EXPECT_EQ(GtkTrayKindOf(icon), TrayKind::StatusIcon);
  icon.SetIconList({KM27_ICON_TRAY_STOPPED, KM27_ICON_TRAY_RUNNING});
  icon.SetHint("KM-27");
  icon.SetIconVisible(true);
  icon.SetIconIndex(1);
  EXPECT_TRUE(icon.ShowBalloonHint("Title", "no notification service here", 1, 10));
  EXPECT_FALSE(icon.ClicksWithKeys());
}

TEST_F(GtkTray, MenuHoldsTheModelsItemsInOrderAndRunsTheClickedOne) {
  ui::Form form("frmTray");
  auto& menu = form.Make<ui::PopupMenu>("PopupMenu1");
  std::vector<std::string> clicked;
  int popups = 0;
  menu.OnPopup = [&] { ++popups; };
  struct Row {
    const char* caption;
    bool enabled, visible, isDefault;
  };
  const Row rows[] = {{"Show &Main", true, true, true}, {"-", true, false, false}, {"Caf\xE9", true, true, false},
                      {"-", true, true, false},         {"Stop", false, true, false}, {"Hidden", true, false, false},
                      {"Close", true, true, false}};
  for (const Row& r : rows) {
    auto& item = form.Make<ui::MenuItem>(std::string("m") + std::to_string(menu.Items().size()), &menu);
    item.SetCaption(r.caption);
    item.SetEnabled(r.enabled);
    item.SetVisible(r.visible);
    item.Default = r.isDefault;
    item.OnClick = [&clicked, &item] { clicked.push_back(item.Caption()); };
  }
  TCoolTrayIcon icon(&form);
  icon.PopupMenu = &menu;
  icon.SetIconVisible(true);
  icon.HandleNotification(static_cast<uint32_t>(TrayNotification::RightDown));
  EXPECT_EQ(popups, 1);

  GList* children = gtk_container_get_children(GTK_CONTAINER(GtkTrayMenuOf(icon)));
  ASSERT_EQ(g_list_length(children), std::size(rows));
  // Captions as UTF-8 of code page 1252 without the access key mark.
  const char* shown[] = {"Show Main", nullptr, "Caf\xC3\xA9", nullptr, "Stop", "Hidden", "Close"};
  GtkWidget* close = nullptr;
  GtkWidget* stop = nullptr;
  size_t i = 0;
  for (GList* l = children; l; l = l->next, ++i) {
    GtkWidget* w = GTK_WIDGET(l->data);
    EXPECT_EQ(GTK_IS_SEPARATOR_MENU_ITEM(w), shown[i] == nullptr) << i;
    EXPECT_EQ(gtk_widget_get_visible(w), rows[i].visible) << i;
    if (!shown[i]) continue;
    EXPECT_EQ(gtk_widget_get_sensitive(w), rows[i].enabled) << i;
    GtkLabel* label = GTK_LABEL(gtk_bin_get_child(GTK_BIN(w)));
    EXPECT_STREQ(gtk_label_get_text(label), shown[i]);
    EXPECT_EQ(Bold(label), rows[i].isDefault) << i;
    if (std::string(rows[i].caption) == "Close") close = w;
    if (std::string(rows[i].caption) == "Stop") stop = w;
  }
  g_list_free(children);
  ASSERT_TRUE(close && stop);
  gtk_menu_item_activate(GTK_MENU_ITEM(stop));  // disabled: nothing runs
  gtk_menu_item_activate(GTK_MENU_ITEM(close));
  gtk_menu_popdown(GtkTrayMenuOf(icon));
  EXPECT_EQ(clicked, std::vector<std::string>{"Close"});
}

}  // namespace
}  // namespace km27::test
