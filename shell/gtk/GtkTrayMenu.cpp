#include "shell/gtk/GtkTrayMenu.h"

#include <exception>

#include "common/TextCodec.h"
#include "ui/Components.h"

namespace km27 {

std::string MnemonicCaption(const std::string& caption) {
  std::string out;
  for (size_t i = 0; i < caption.size(); ++i) {
    char c = caption[i];
    if (c == '&') {
      if (i + 1 < caption.size() && caption[i + 1] == '&') {
        out += '&';
        ++i;
      } else if (i + 1 < caption.size()) {
        out += '_';
      }
    } else if (c == '_') {
      out += "__";
    } else {
      out += c;
    }
  }
  return out;
}

GtkTrayMenu::GtkTrayMenu(std::function<void(const std::string&)> report)
    : menu_(GTK_MENU(gtk_menu_new())), report_(std::move(report)) {
  g_object_ref_sink(menu_);
}

GtkTrayMenu::~GtkTrayMenu() {
  gtk_widget_destroy(GTK_WIDGET(menu_));
  g_object_unref(menu_);
}

void GtkTrayMenu::Rebuild(ui::PopupMenu& model) {
  for (Entry& e : entries_) gtk_widget_destroy(e.widget);
  entries_.clear();
  for (ui::MenuItem* item : model.Items()) {
    Entry e;
    e.item = item;
    e.separator = item->Caption() == "-";
    if (e.separator) {
      e.widget = gtk_separator_menu_item_new();
    } else {
      e.widget = gtk_menu_item_new_with_mnemonic("");
      g_signal_connect(e.widget, "activate", G_CALLBACK(&GtkTrayMenu::OnActivate), this);
    }
    gtk_menu_shell_append(GTK_MENU_SHELL(menu_), e.widget);
    entries_.push_back(e);
  }
}

void GtkTrayMenu::Sync(ui::PopupMenu& model, int codePage) {
  const auto& items = model.Items();
  bool same = items.size() == entries_.size();
  for (size_t i = 0; same && i < items.size(); ++i)
    same = entries_[i].item == items[i] && entries_[i].separator == (items[i]->Caption() == "-");
  if (!same) Rebuild(model);
  // Another language: the same bytes may now be other characters.
  if (codePage != codePage_) {
    codePage_ = codePage;
    for (Entry& e : entries_) e.caption.clear();
  }

  for (Entry& e : entries_) {
    ui::MenuItem& item = *e.item;
    gtk_widget_set_visible(e.widget, item.Visible());
    if (e.separator) continue;
    gtk_widget_set_sensitive(e.widget, item.Enabled());
    GtkLabel* label = GTK_LABEL(gtk_bin_get_child(GTK_BIN(e.widget)));
    if (!label) continue;
    if (e.caption != item.Caption() || e.caption.empty()) {
      e.caption = item.Caption();
      std::string text = MnemonicCaption(TextCodec().ToUtf8(e.caption, codePage));
      gtk_label_set_text_with_mnemonic(label, text.c_str());
    }
    // Bold through the label's attributes rather than markup: a menu sent
    // over D-Bus carries the label's text, which must stay plain.
    if (e.bold != item.Default || !gtk_label_get_attributes(label)) {
      e.bold = item.Default;
      PangoAttrList* attrs = pango_attr_list_new();
      if (e.bold) pango_attr_list_insert(attrs, pango_attr_weight_new(PANGO_WEIGHT_BOLD));
      gtk_label_set_attributes(label, attrs);
      pango_attr_list_unref(attrs);
    }
  }
}

void GtkTrayMenu::OnActivate(GtkMenuItem* widget, gpointer self) {
  static_cast<GtkTrayMenu*>(self)->Activated(GTK_WIDGET(widget));
}

void GtkTrayMenu::Activated(GtkWidget* widget) {
  for (const Entry& e : entries_) {
    if (e.widget != widget) continue;
    // The model decides: an entry the host still showed enabled may have
    // been disabled since.
    if (!e.item->Enabled() || !e.item->Visible()) return;
    try {
      e.item->Click();
    } catch (const std::exception& ex) {
      if (report_) report_(ex.what());
    } catch (...) {
      if (report_) report_("Unexpected error.");
    }
    return;
  }
}

}  // namespace km27
