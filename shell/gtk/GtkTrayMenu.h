#pragma once
// The tray's popup menu as a GtkMenu made from the model's ui::PopupMenu: one
// entry per model item in order, "-" as a separator, the Default item in
// bold, disabled and invisible items as the model says; activating an entry
// runs MenuItem::Click. Sync keeps the same GtkMenuItems while the model's
// list is the same, so a menu exported over D-Bus (AppIndicator) sends only
// what changed.
#include <gtk/gtk.h>

#include <functional>
#include <string>
#include <vector>

namespace km27::ui {
class MenuItem;
class PopupMenu;
}  // namespace km27::ui

namespace km27 {

class GtkTrayMenu {
 public:
  // `report`: shows what a clicked item raised (it must not unwind through
  // GTK's C code).
  explicit GtkTrayMenu(std::function<void(const std::string&)> report);
  ~GtkTrayMenu();
  GtkTrayMenu(const GtkTrayMenu&) = delete;
  GtkTrayMenu& operator=(const GtkTrayMenu&) = delete;

  GtkMenu* Menu() const { return menu_; }

  // Makes the menu show the model's items now; captions are bytes of
  // `codePage`.
  void Sync(ui::PopupMenu& model, int codePage);

 private:
  struct Entry {
    ui::MenuItem* item = nullptr;
    GtkWidget* widget = nullptr;
    bool separator = false;
    std::string caption;  // as last shown, in the code page
    bool bold = false;
  };
  void Rebuild(ui::PopupMenu& model);
  void Activated(GtkWidget* widget);
  static void OnActivate(GtkMenuItem* widget, gpointer self);

  GtkMenu* menu_;
  std::vector<Entry> entries_;
  int codePage_ = 0;
  std::function<void(const std::string&)> report_;
};

// A Windows menu caption ("&" before the access key, "&&" for "&") in GTK's
// mnemonic form ("_" before the access key, "__" for "_").
std::string MnemonicCaption(const std::string& caption);

}  // namespace km27
