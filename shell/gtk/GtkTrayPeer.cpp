#include "shell/gtk/GtkTrayPeer.h"

#include <gtk/gtk.h>
#include <libayatana-appindicator/app-indicator.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/TextCodec.h"
#include "settings/FileSystem.h"
#include "shell/Main.h"
#include "shell/gtk/GtkTrayMenu.h"
#include "shell/gtk/TrayIcons.h"
#include "shell/gtk/TrayNotifier.h"
#include "ui/Application.h"
#include "ui/Components.h"
#include "ui/Form.h"
#include "ui/gtk/GtkApplication.h"

namespace km27 {

namespace {

constexpr const char* kWatcher = "org.kde.StatusNotifierWatcher";

// What a clicked entry raised goes to the user as the toolkit shows errors.
void ReportError(const std::string& text) {
  if (ui::AppOrNull()) {
    ui::App().MessageBox(text, TfrmMain::kApplicationTitle, ui::MsgIcon::Warning, ui::MsgButtons::OK);
  } else {
    std::fprintf(stderr, "km27: %s\n", text.c_str());
  }
}

class GtkTrayPeer : public ITrayPeer {
 public:
  GtkTrayPeer(TCoolTrayIcon& icon, TrayKind kind)
      : icon_(icon), kind_(kind), menu_(&ReportError) {
    try {
      iconFolder_ = PortableIconFolder(Files().ExecutablePath());
    } catch (const std::exception&) {
      // No program path: the installed theme is all there is.
    }
    AddPortableIconFolder(iconFolder_);
    // A host that starts after the program (a panel started later in the
    // session) still gets the item.
    if (kind_ == TrayKind::StatusIcon && !ForcedKind() && SessionBusReachable())
      watch_ = g_bus_watch_name(G_BUS_TYPE_SESSION, kWatcher, G_BUS_NAME_WATCHER_FLAGS_NONE,
                                &GtkTrayPeer::OnWatcherAppeared, nullptr, this, nullptr);
  }

  ~GtkTrayPeer() override {
    if (watch_) g_bus_unwatch_name(watch_);
    if (root_) {
      g_signal_handler_disconnect(root_, aboutToShow_);
      g_object_unref(root_);
    }
    if (indicator_) g_object_unref(indicator_);
    if (status_) {
      G_GNUC_BEGIN_IGNORE_DEPRECATIONS
      gtk_status_icon_set_visible(status_, FALSE);
      G_GNUC_END_IGNORE_DEPRECATIONS
      g_object_unref(status_);
    }
  }

  TrayKind Kind() const { return kind_; }
  GtkMenu* Menu() const { return menu_.Menu(); }

  bool AddIcon(const TrayIconData& d) override {
    shown_ = true;
    Create();
    Apply(d);
    SetShown(true);
    return true;
  }

  bool ModifyIcon(const TrayIconData& d) override {
    if (!shown_) return false;
    Apply(d);
    return true;
  }

  bool DeleteIcon() override {
    shown_ = false;
    SetShown(false);
    return true;
  }

  void SetVersion(int) override {}

  ShiftState ModifierKeys() override {
    GdkDisplay* display = gdk_display_get_default();
    if (!display) return 0;
    guint state = gdk_keymap_get_modifier_state(gdk_keymap_get_for_display(display));
    ShiftState s = 0;
    if (state & GDK_SHIFT_MASK) s |= ss::Shift;
    if (state & GDK_CONTROL_MASK) s |= ss::Ctrl;
    if (state & GDK_MOD1_MASK) s |= ss::Alt;
    return s;
  }

  TrayPoint CursorPos() override {
    GdkDisplay* display = gdk_display_get_default();
    GdkSeat* seat = display ? gdk_display_get_default_seat(display) : nullptr;
    GdkDevice* pointer = seat ? gdk_seat_get_pointer(seat) : nullptr;
    TrayPoint p;
    if (pointer) gdk_device_get_position(pointer, nullptr, &p.x, &p.y);
    return p;
  }

  uint32_t DoubleClickTime() override {
    gint ms = 400;
    if (GtkSettings* settings = gtk_settings_get_default()) g_object_get(settings, "gtk-double-click-time", &ms, nullptr);
    return static_cast<uint32_t>(ms);
  }

  void PopupMenu(ui::PopupMenu& menu, int, int) override {
    if (menu.OnPopup) menu.OnPopup();
    menu_.Sync(menu, CodePage());
    // A host shows an item's menu itself; only the classic icon opens one.
    if (kind_ != TrayKind::StatusIcon) return;
    // At the icon, as a classic tray menu opens; the press that opened it
    // (none from the keyboard) lets the release choose an entry.
    guint button = 0;
    if (GdkEvent* trigger = gtk_get_current_event()) {
      gdk_event_get_button(trigger, &button);
      gdk_event_free(trigger);
    }
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    gtk_menu_popup(menu_.Menu(), nullptr, nullptr, gtk_status_icon_position_menu, status_, button,
                   gtk_get_current_event_time());
    G_GNUC_END_IGNORE_DEPRECATIONS
  }

  void HideApplication() override {}
  void RestoreApplication() override {}

  // The host opens the menu itself, so no click (and no key held with it)
  // reaches the program; the classic icon follows the same rule, so that
  // the menu is the same on every desktop.
  bool ClicksWithKeys() const override { return false; }

 private:
  static bool ForcedKind() {
    const char* forced = std::getenv("KM27_TRAY");
    return forced && *forced;
  }

  // The toolkit's code page, which follows the language in force; without
  // the GTK toolkit (tests) the owner's font says it.
  int CodePage() const {
    if (auto* gtk = dynamic_cast<ui::GtkApplication*>(ui::AppOrNull())) return gtk->CodePage();
    ui::Form* owner = icon_.Owner();
    return owner ? CodePageOfCharSet(owner->GetFont().charSet) : 1252;
  }

  std::string ProgramIcon() const {
    std::string file = PortableIconFile(iconFolder_, "km27", 64);
    return file.empty() ? std::string("km27") : file;
  }

  void Create() {
    if (kind_ == TrayKind::StatusNotifier) {
      if (!indicator_) CreateIndicator();
    } else if (!status_) {
      CreateStatusIcon();
    }
  }

  void CreateIndicator() {
    indicator_ = app_indicator_new("km27", TrayIconName(shownIcon_).c_str(), APP_INDICATOR_CATEGORY_APPLICATION_STATUS);
    if (!iconFolder_.empty()) app_indicator_set_icon_theme_path(indicator_, iconFolder_.c_str());
    SyncMenu();
    app_indicator_set_menu(indicator_, menu_.Menu());
    // The host asks before it shows the menu: the model's OnPopup runs then,
    // as it does before the Windows menu opens.
    GObject* server = nullptr;
    g_object_get(indicator_, "dbus-menu-server", &server, nullptr);
    if (server) {
      g_object_get(server, "root-node", &root_, nullptr);
      g_object_unref(server);
    }
    if (root_) aboutToShow_ = g_signal_connect(root_, "about-to-show", G_CALLBACK(&GtkTrayPeer::OnAboutToShow), this);
  }

  void CreateStatusIcon() {
    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    status_ = gtk_status_icon_new();
    gtk_status_icon_set_title(status_, "KM-27");
    gtk_status_icon_set_name(status_, "km27");
    G_GNUC_END_IGNORE_DEPRECATIONS
    g_signal_connect(status_, "button-press-event", G_CALLBACK(&GtkTrayPeer::OnButton), this);
    g_signal_connect(status_, "button-release-event", G_CALLBACK(&GtkTrayPeer::OnButton), this);
    // From the keyboard (the tray's own key navigation).
    g_signal_connect(status_, "activate", G_CALLBACK(&GtkTrayPeer::OnActivate), this);
    g_signal_connect(status_, "popup-menu", G_CALLBACK(&GtkTrayPeer::OnPopupMenu), this);
  }

  void SetShown(bool shown) {
    if (indicator_)
      app_indicator_set_status(indicator_, shown ? APP_INDICATOR_STATUS_ACTIVE : APP_INDICATOR_STATUS_PASSIVE);
    if (status_) {
      G_GNUC_BEGIN_IGNORE_DEPRECATIONS
      gtk_status_icon_set_visible(status_, shown);
      G_GNUC_END_IGNORE_DEPRECATIONS
    }
  }

  void SyncMenu() {
    if (icon_.PopupMenu) menu_.Sync(*icon_.PopupMenu, CodePage());
  }

  void Apply(const TrayIconData& d) {
    const int cp = CodePage();
    const std::string tip = TextCodec().ToUtf8(d.tip, cp);
    const bool changed = !applied_ || d.icon != shownIcon_ || tip != shownTip_;
    shownIcon_ = d.icon;
    shownTip_ = tip;
    applied_ = true;
    const std::string name = TrayIconName(d.icon);
    if (indicator_ && changed) {
      app_indicator_set_icon_full(indicator_, name.c_str(), tip.c_str());
      app_indicator_set_title(indicator_, tip.c_str());
    }
    if (status_ && changed) {
      G_GNUC_BEGIN_IGNORE_DEPRECATIONS
      gtk_status_icon_set_from_icon_name(status_, name.c_str());
      gtk_status_icon_set_tooltip_text(status_, tip.empty() ? nullptr : tip.c_str());
      G_GNUC_END_IGNORE_DEPRECATIONS
    }
    // The icon changes with the run state, and so do Start and Stop.
    if (indicator_) SyncMenu();
    if (d.balloon && !d.balloonText.empty())
      notifier_.Show(TextCodec().ToUtf8(d.balloonTitle, cp), TextCodec().ToUtf8(d.balloonText, cp), d.balloonIcon,
                     d.balloonTimeoutMs, ProgramIcon());
  }

  // The classic icon's buttons as the Windows notification messages.
  static gboolean OnButton(GtkStatusIcon*, GdkEventButton* ev, gpointer self) {
    auto* peer = static_cast<GtkTrayPeer*>(self);
    using N = TrayNotification;
    N code;
    if (ev->type == GDK_2BUTTON_PRESS) {
      if (ev->button != 1) return TRUE;
      code = N::LeftDblClick;
    } else if (ev->type == GDK_BUTTON_PRESS || ev->type == GDK_BUTTON_RELEASE) {
      bool down = ev->type == GDK_BUTTON_PRESS;
      switch (ev->button) {
        case 1: code = down ? N::LeftDown : N::LeftUp; break;
        case 2: code = down ? N::MiddleDown : N::MiddleUp; break;
        case 3: code = down ? N::RightDown : N::RightUp; break;
        default: return TRUE;
      }
    } else {
      return TRUE;  // the third click of a triple click
    }
    peer->icon_.HandleNotification(static_cast<uint32_t>(code));
    return TRUE;
  }

  static void OnActivate(GtkStatusIcon*, gpointer self) {
    auto& icon = static_cast<GtkTrayPeer*>(self)->icon_;
    icon.HandleNotification(static_cast<uint32_t>(TrayNotification::LeftDown));
    icon.HandleNotification(static_cast<uint32_t>(TrayNotification::LeftUp));
  }

  static void OnPopupMenu(GtkStatusIcon*, guint, guint, gpointer self) {
    auto& icon = static_cast<GtkTrayPeer*>(self)->icon_;
    icon.HandleNotification(static_cast<uint32_t>(TrayNotification::RightDown));
    icon.HandleNotification(static_cast<uint32_t>(TrayNotification::RightUp));
  }

  static gboolean OnAboutToShow(GObject*, gpointer self) {
    auto* peer = static_cast<GtkTrayPeer*>(self);
    ui::PopupMenu* model = peer->icon_.PopupMenu;
    if (model && model->OnPopup) model->OnPopup();
    peer->SyncMenu();
    return FALSE;
  }

  // A StatusNotifier host came up after the program: the item takes the
  // classic icon's place.
  static void OnWatcherAppeared(GDBusConnection*, const gchar*, const gchar*, gpointer self) {
    auto* peer = static_cast<GtkTrayPeer*>(self);
    if (peer->kind_ == TrayKind::StatusNotifier) return;
    peer->kind_ = TrayKind::StatusNotifier;
    if (peer->status_) {
      G_GNUC_BEGIN_IGNORE_DEPRECATIONS
      gtk_status_icon_set_visible(peer->status_, FALSE);
      G_GNUC_END_IGNORE_DEPRECATIONS
    }
    if (!peer->applied_) return;  // AddIcon makes the item
    peer->CreateIndicator();
    peer->applied_ = false;  // the new item has no tip yet
    TrayIconData d = peer->icon_.Data();
    d.balloon = false;
    peer->Apply(d);
    peer->SetShown(peer->shown_);
  }

  TCoolTrayIcon& icon_;
  TrayKind kind_;
  GtkTrayMenu menu_;
  TrayNotifier notifier_;
  std::string iconFolder_;
  AppIndicator* indicator_ = nullptr;
  GtkStatusIcon* status_ = nullptr;
  GObject* root_ = nullptr;
  gulong aboutToShow_ = 0;
  guint watch_ = 0;
  bool shown_ = false;
  bool applied_ = false;
  int shownIcon_ = 0;
  std::string shownTip_;
};

}  // namespace

bool StatusNotifierWatcherRunning(int timeoutMs) {
  if (!SessionBusReachable()) return false;
  GError* error = nullptr;
  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
  if (!bus) {
    g_clear_error(&error);
    return false;
  }
  GVariant* reply = g_dbus_connection_call_sync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                "org.freedesktop.DBus", "NameHasOwner", g_variant_new("(s)", kWatcher),
                                                G_VARIANT_TYPE("(b)"), G_DBUS_CALL_FLAGS_NONE, timeoutMs, nullptr, &error);
  g_object_unref(bus);
  if (!reply) {
    g_clear_error(&error);
    return false;
  }
  gboolean owned = FALSE;
  g_variant_get(reply, "(b)", &owned);
  g_variant_unref(reply);
  return owned;
}

TrayKind ChooseTrayKind() {
  const char* forced = std::getenv("KM27_TRAY");
  if (forced && std::strcmp(forced, "icon") == 0) return TrayKind::StatusIcon;
  if (forced && std::strcmp(forced, "indicator") == 0) return TrayKind::StatusNotifier;
  return StatusNotifierWatcherRunning() ? TrayKind::StatusNotifier : TrayKind::StatusIcon;
}

void InstallGtkTrayPeer() {
  SetTrayPeerFactory(
      [](TCoolTrayIcon& icon) -> std::unique_ptr<ITrayPeer> { return std::make_unique<GtkTrayPeer>(icon, ChooseTrayKind()); });
}

TrayKind GtkTrayKindOf(TCoolTrayIcon& icon) { return static_cast<GtkTrayPeer*>(icon.Peer())->Kind(); }

GtkMenu* GtkTrayMenuOf(TCoolTrayIcon& icon) { return static_cast<GtkTrayPeer*>(icon.Peer())->Menu(); }

}  // namespace km27
