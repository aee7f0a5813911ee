// Page controls (GtkNotebook of empty pages; each sheet is a fixed laid over
// the notebook's page area, shown while it is the active page), tab
// controls, and up-downs: their tabs, the user's page changes (the model
// decides: OnChanging may refuse) and the up-down arrows.
#include <algorithm>

#include "ui/gtk/GtkApplication.h"
#include "ui/gtk/GtkFormPeer.h"
#include "ui/gtk/GtkPeerSupport.h"

namespace km27::ui {

using namespace gtkpeer;

namespace {

GtkWidget* NewNotebook() {
  GtkWidget* nb = gtk_notebook_new();
  gtk_notebook_set_scrollable(GTK_NOTEBOOK(nb), FALSE);
  return nb;
}

void AddPage(GtkWidget* nb, const std::string& caption, std::vector<GtkWidget*>& pages) {
  GtkWidget* page = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  gtk_widget_show(page);
  gtk_notebook_append_page(GTK_NOTEBOOK(nb), page, gtk_label_new(caption.c_str()));
  pages.push_back(page);
}

}  // namespace

bool GtkFormPeer::CreatePageFamily(Item& item) {
  gpointer data = &item;
  switch (item.control->GetKind()) {
    case Kind::PageControl:
    case Kind::TabControl:
      // The notebook lies beneath the sheets (or, for a tab control, the
      // shared controls) in the control's fixed: GTK's notebook would give
      // each page a child of its own, while the tab control's controls
      // stay whatever tab is chosen.
      item.outer = item.box = NewFixed();
      item.widget = NewNotebook();
      Place(item.box, item.widget, Rect{0, 0, 1, 1});
      g_signal_connect(item.widget, "switch-page", G_CALLBACK(OnSwitchPage), data);
      g_signal_connect(item.widget, "size-allocate", G_CALLBACK(OnNotebookAllocate), data);
      return true;
    case Kind::TabSheet:
      item.outer = item.box = NewFixed();
      return true;
    case Kind::UpDown: {
      // Two arrow buttons beside the model's own edit: GTK's spin button
      // would bring an entry of its own, but the bound edit is a control of
      // the design with its own text and handlers.
      item.outer = item.widget = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
      gtk_box_set_homogeneous(GTK_BOX(item.widget), TRUE);
      gtk_style_context_add_class(gtk_widget_get_style_context(item.widget), "km27-updown");
      for (int step : {1, -1}) {
        GtkWidget* b = gtk_button_new_from_icon_name(step > 0 ? "pan-up-symbolic" : "pan-down-symbolic",
                                                     GTK_ICON_SIZE_MENU);
        gtk_widget_set_can_focus(b, FALSE);
        g_object_set_data(G_OBJECT(b), "km27-step", GINT_TO_POINTER(step));
        g_signal_connect(b, "clicked", G_CALLBACK(OnUpDown), data);
        gtk_box_pack_start(GTK_BOX(item.widget), b, TRUE, TRUE, 0);
        gtk_widget_show(b);
      }
      return true;
    }
    default:
      return false;
  }
}

void GtkFormPeer::ApplyTabs(Item& item) {
  auto* pc = dynamic_cast<PageControl*>(item.control);
  if (!pc || !item.widget) return;
  ++updating_;
  std::vector<TabSheet*> tabs;
  for (TabSheet* page : pc->Pages())
    if (page->TabVisible()) tabs.push_back(page);
  GtkNotebook* nb = GTK_NOTEBOOK(item.widget);
  if (tabs != item.tabs) {
    while (gtk_notebook_get_n_pages(nb) > 0) gtk_notebook_remove_page(nb, -1);
    item.pages.clear();
    for (TabSheet* page : tabs) AddPage(item.widget, Utf8(page->Caption()), item.pages);
    item.tabs = tabs;
    item.style.clear();
    ApplyStyle(item);
  } else {
    for (size_t i = 0; i < tabs.size(); ++i)
      gtk_notebook_set_tab_label_text(nb, item.pages[i], Utf8(tabs[i]->Caption()).c_str());
  }
  auto at = std::find(tabs.begin(), tabs.end(), pc->ActivePage());
  if (at != tabs.end()) gtk_notebook_set_current_page(nb, static_cast<gint>(at - tabs.begin()));
  --updating_;
  if (realized_) {
    ApplyVisibility();
    Layout();
  }
}

void GtkFormPeer::ApplyTabItems(Item& item) {
  if (!item.widget) return;
  ++updating_;
  GtkNotebook* nb = GTK_NOTEBOOK(item.widget);
  const auto& items = static_cast<TabControl&>(*item.control).Items();
  if (item.pages.size() != items.size()) {
    while (gtk_notebook_get_n_pages(nb) > 0) gtk_notebook_remove_page(nb, -1);
    item.pages.clear();
    for (const auto& s : items) AddPage(item.widget, Utf8(s), item.pages);
    item.style.clear();
    ApplyStyle(item);
  } else {
    for (size_t i = 0; i < items.size(); ++i)
      gtk_notebook_set_tab_label_text(nb, item.pages[i], Utf8(items[i]).c_str());
  }
  --updating_;
}

void GtkFormPeer::ApplyTabIndex(Item& item) {
  if (!item.widget) return;
  ++updating_;
  const int i = static_cast<TabControl&>(*item.control).ItemIndex();
  if (i >= 0 && i < gtk_notebook_get_n_pages(GTK_NOTEBOOK(item.widget)))
    gtk_notebook_set_current_page(GTK_NOTEBOOK(item.widget), i);
  --updating_;
}

Rect GtkFormPeer::SheetArea(Item& pages, const Rect& r) {
  // Without a tab to show, the sheet takes the whole control (the page
  // control is then only the frame that holds its pages).
  if (pages.tabs.empty()) return r;
  Rect inset = pages.sheetArea;  // left, top, right and bottom insets
  if (inset == Rect{}) {
    // Not measured yet: the tab strip is about a line of text high.
    const int tab = FontPixelHeight(pages.control->EffectiveFont(), dpi_) + Scale(12);
    inset = Rect{1, tab, 1, 1};
  }
  return Rect{r.left + inset.left, r.top + inset.top, std::max(0, r.width - inset.left - inset.width),
              std::max(0, r.height - inset.top - inset.height)};
}

void GtkFormPeer::OnNotebookAllocate(GtkWidget* w, GdkRectangle* a, gpointer data) {
  auto* item = static_cast<Item*>(data);
  if (item->control->GetKind() != Kind::PageControl || item->pages.empty()) return;
  const gint current = gtk_notebook_get_current_page(GTK_NOTEBOOK(w));
  if (current < 0) return;
  GtkAllocation pa;
  gtk_widget_get_allocation(gtk_notebook_get_nth_page(GTK_NOTEBOOK(w), current), &pa);
  if (pa.width <= 1 || pa.height <= 1) return;
  // The page area GTK gives under its tabs: the sheets go exactly there.
  const Rect inset{pa.x - a->x, pa.y - a->y, a->x + a->width - (pa.x + pa.width), a->y + a->height - (pa.y + pa.height)};
  if (inset == item->sheetArea) return;
  item->sheetArea = inset;
  item->peer->QueueLayout();
}

void GtkFormPeer::OnSwitchPage(GtkNotebook* nb, GtkWidget*, guint index, gpointer data) {
  auto* item = static_cast<Item*>(data);
  GtkFormPeer* self = item->peer;
  if (self->updating_ || !self->app_ || !self->realized_) return;
  // The model decides whether and where the page changes; the notebook
  // shows it when the model says so.
  g_signal_stop_emission_by_name(nb, "switch-page");
  if (auto* pc = dynamic_cast<PageControl*>(item->control)) {
    if (index >= item->tabs.size()) return;
    TabSheet* page = item->tabs[index];
    self->Guard([pc, page] { pc->UserSelect(page); });
    if (self->Find(*pc) == item) self->ApplyTabs(*item);
  } else if (auto* tc = dynamic_cast<TabControl*>(item->control)) {
    const int i = static_cast<int>(index);
    self->Guard([tc, i] { tc->UserSelect(i); });
    if (self->Find(*tc) == item) self->ApplyTabIndex(*item);
  }
}

void GtkFormPeer::OnUpDown(GtkWidget* w, gpointer data) {
  auto* item = static_cast<Item*>(data);
  GtkFormPeer* self = item->peer;
  if (self->updating_ || !self->app_) return;
  auto* ud = static_cast<UpDown*>(item->control);
  const int pos = ud->Position() + GPOINTER_TO_INT(g_object_get_data(G_OBJECT(w), "km27-step"));
  self->Guard([ud, pos] { ud->UserSetPosition(pos); });
}

}  // namespace km27::ui
