// Combo boxes, list boxes and list views: their widgets, items, rows (check
// boxes and pictures in the first column of a report view), selection, and
// the user's picks, ticks, clicks and double clicks.
#include <algorithm>

#include "ui/gtk/GtkApplication.h"
#include "ui/gtk/GtkFormPeer.h"
#include "ui/gtk/GtkPeerSupport.h"

namespace km27::ui {

using namespace gtkpeer;

namespace {

// A list view's store: the tick, the picture, then one text per column.
constexpr int kCheckColumn = 0, kPictureColumn = 1, kFirstText = 2;

int RowOfPath(GtkTreePath* path) {
  const gint* idx = path ? gtk_tree_path_get_indices(path) : nullptr;
  return idx ? idx[0] : -1;
}

int SelectedRow(GtkTreeView* view) {
  GtkTreeModel* model = nullptr;
  GList* rows = gtk_tree_selection_get_selected_rows(gtk_tree_view_get_selection(view), &model);
  const int row = rows ? RowOfPath(static_cast<GtkTreePath*>(rows->data)) : -1;
  g_list_free_full(rows, reinterpret_cast<GDestroyNotify>(gtk_tree_path_free));
  return row;
}

GtkWidget* NewScrolledView(GtkWidget*& view) {
  GtkWidget* sw = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(sw), GTK_SHADOW_IN);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(sw), GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
  view = gtk_tree_view_new();
  gtk_container_add(GTK_CONTAINER(sw), view);
  return sw;
}

}  // namespace

bool GtkFormPeer::CreateListFamily(Item& item) {
  gpointer data = &item;
  switch (item.control->GetKind()) {
    case Kind::ComboBox:
      item.outer = item.widget = static_cast<ComboBox&>(*item.control).Editable ? gtk_combo_box_text_new_with_entry()
                                                                               : gtk_combo_box_text_new();
      g_signal_connect(item.widget, "changed", G_CALLBACK(OnComboChanged), data);
      return true;
    case Kind::ListBox:
    case Kind::ListView: {
      item.outer = NewScrolledView(item.widget);
      GtkTreeView* view = GTK_TREE_VIEW(item.widget);
      if (item.control->GetKind() == Kind::ListBox) {
        item.store = gtk_list_store_new(1, G_TYPE_STRING);
        gtk_tree_view_set_model(view, GTK_TREE_MODEL(item.store));
        gtk_tree_view_set_headers_visible(view, FALSE);
        gtk_tree_view_append_column(view, gtk_tree_view_column_new_with_attributes("", gtk_cell_renderer_text_new(),
                                                                                   "text", 0, nullptr));
      } else {
        auto& lv = static_cast<ListView&>(*item.control);
        gtk_tree_view_set_grid_lines(view, lv.GridLines ? GTK_TREE_VIEW_GRID_LINES_BOTH : GTK_TREE_VIEW_GRID_LINES_NONE);
        gtk_tree_selection_set_mode(gtk_tree_view_get_selection(view),
                                    lv.MultiSelect ? GTK_SELECTION_MULTIPLE : GTK_SELECTION_SINGLE);
        g_signal_connect(view, "button-release-event", G_CALLBACK(OnListRelease), data);
        g_signal_connect(view, "row-activated", G_CALLBACK(OnRowActivated), data);
      }
      g_signal_connect(gtk_tree_view_get_selection(view), "changed", G_CALLBACK(OnListSelection), data);
      return true;
    }
    default:
      return false;
  }
}

void GtkFormPeer::ApplyListItems(Item& item) {
  ++updating_;
  const auto& items = static_cast<ItemsControl&>(*item.control).Items();
  if (item.control->GetKind() == Kind::ComboBox) {
    gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(item.widget));
    for (const auto& s : items) gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(item.widget), Utf8(s).c_str());
  } else if (item.store) {
    gtk_list_store_clear(item.store);
    for (const auto& s : items) gtk_list_store_insert_with_values(item.store, nullptr, -1, 0, Utf8(s).c_str(), -1);
  }
  --updating_;
}

void GtkFormPeer::ApplyListIndex(Item& item) {
  ++updating_;
  const int i = static_cast<ItemsControl&>(*item.control).ItemIndex();
  if (item.control->GetKind() == Kind::ComboBox) {
    gtk_combo_box_set_active(GTK_COMBO_BOX(item.widget), i);
    if (i < 0) ApplyEditText(item);
  } else {
    GtkTreeSelection* sel = gtk_tree_view_get_selection(GTK_TREE_VIEW(item.widget));
    gtk_tree_selection_unselect_all(sel);
    if (i >= 0) {
      GtkTreePath* path = gtk_tree_path_new_from_indices(i, -1);
      gtk_tree_selection_select_path(sel, path);
      gtk_tree_path_free(path);
    }
  }
  --updating_;
}

void GtkFormPeer::ApplyColumns(Item& item) {
  auto* lv = dynamic_cast<ListView*>(item.control);
  if (!lv || !item.widget) return;
  ++updating_;
  GtkTreeView* view = GTK_TREE_VIEW(item.widget);
  while (GtkTreeViewColumn* col = gtk_tree_view_get_column(view, 0)) gtk_tree_view_remove_column(view, col);
  const size_t n = std::max<size_t>(1, lv->Columns().size());
  std::vector<GType> types{G_TYPE_BOOLEAN, GDK_TYPE_PIXBUF};
  types.insert(types.end(), n, G_TYPE_STRING);
  GtkListStore* store = gtk_list_store_newv(static_cast<gint>(types.size()), types.data());
  gtk_tree_view_set_model(view, GTK_TREE_MODEL(store));
  if (item.store) g_object_unref(item.store);
  item.store = store;
  gtk_tree_view_set_headers_visible(view, !lv->Columns().empty());
  for (size_t k = 0; k < n; ++k) {
    GtkTreeViewColumn* col = gtk_tree_view_column_new();
    if (k < lv->Columns().size()) {
      gtk_tree_view_column_set_title(col, Utf8(lv->Columns()[k].title).c_str());
      gtk_tree_view_column_set_sizing(col, GTK_TREE_VIEW_COLUMN_FIXED);
      gtk_tree_view_column_set_fixed_width(col, std::max(1, Scale(lv->Columns()[k].width)));
      gtk_tree_view_column_set_resizable(col, TRUE);
    }
    if (k == 0) {
      if (lv->CheckBoxes) {
        GtkCellRenderer* tick = gtk_cell_renderer_toggle_new();
        gtk_tree_view_column_pack_start(col, tick, FALSE);
        gtk_tree_view_column_add_attribute(col, tick, "active", kCheckColumn);
        g_signal_connect(tick, "toggled", G_CALLBACK(OnRowToggled), &item);
      }
      if (lv->SmallImages()) {
        GtkCellRenderer* pic = gtk_cell_renderer_pixbuf_new();
        gtk_tree_view_column_pack_start(col, pic, FALSE);
        gtk_tree_view_column_add_attribute(col, pic, "pixbuf", kPictureColumn);
      }
    }
    GtkCellRenderer* text = gtk_cell_renderer_text_new();
    gtk_tree_view_column_pack_start(col, text, TRUE);
    gtk_tree_view_column_add_attribute(col, text, "text", kFirstText + static_cast<int>(k));
    gtk_tree_view_append_column(view, col);
  }
  --updating_;
}

void GtkFormPeer::ApplyRows(Item& item) {
  auto* lv = dynamic_cast<ListView*>(item.control);
  if (!lv || !item.store) return;
  ++updating_;
  const auto& rows = lv->Rows();
  const int columns = gtk_tree_model_get_n_columns(GTK_TREE_MODEL(item.store)) - kFirstText;
  std::vector<GdkPixbuf*> pictures;
  if (lv->SmallImages())
    for (size_t k = 0; k < lv->SmallImages()->Images().size(); ++k)
      pictures.push_back(Picture(lv->SmallImages(), static_cast<int>(k)));
  // Rows are rewritten in place while their number stays: the view keeps
  // its scroll position.
  if (gtk_tree_model_iter_n_children(GTK_TREE_MODEL(item.store), nullptr) != static_cast<int>(rows.size()))
    gtk_list_store_clear(item.store);
  GtkTreeIter it;
  bool have = gtk_tree_model_get_iter_first(GTK_TREE_MODEL(item.store), &it);
  for (const ListRow& row : rows) {
    if (!have) gtk_list_store_append(item.store, &it);
    GdkPixbuf* pic = row.imageIndex >= 0 && static_cast<size_t>(row.imageIndex) < pictures.size()
                         ? pictures[static_cast<size_t>(row.imageIndex)]
                         : nullptr;
    gtk_list_store_set(item.store, &it, kCheckColumn, row.checked, kPictureColumn, pic, -1);
    for (int k = 0; k < columns; ++k) {
      const std::string& s = k == 0 ? row.caption
                             : static_cast<size_t>(k - 1) < row.subItems.size() ? row.subItems[static_cast<size_t>(k - 1)]
                                                                                : std::string();
      gtk_list_store_set(item.store, &it, kFirstText + k, Utf8(s).c_str(), -1);
    }
    have = have && gtk_tree_model_iter_next(GTK_TREE_MODEL(item.store), &it);
  }
  for (GdkPixbuf* p : pictures)
    if (p) g_object_unref(p);
  ApplyListSelection(item);
  --updating_;
}

void GtkFormPeer::ApplyListSelection(Item& item) {
  auto* lv = dynamic_cast<ListView*>(item.control);
  if (!lv || !item.widget) return;
  ++updating_;
  GtkTreeSelection* sel = gtk_tree_view_get_selection(GTK_TREE_VIEW(item.widget));
  gtk_tree_selection_unselect_all(sel);
  for (size_t i = 0; i < lv->Rows().size(); ++i) {
    if (!lv->Rows()[i].selected) continue;
    GtkTreePath* path = gtk_tree_path_new_from_indices(static_cast<gint>(i), -1);
    gtk_tree_selection_select_path(sel, path);
    gtk_tree_path_free(path);
  }
  --updating_;
}

// ---- the user's input ----

void GtkFormPeer::OnComboChanged(GtkComboBox* w, gpointer data) {
  auto* item = static_cast<Item*>(data);
  GtkFormPeer* self = item->peer;
  if (self->updating_ || !self->app_) return;
  auto* cb = static_cast<ComboBox*>(item->control);
  const int i = gtk_combo_box_get_active(w);
  if (i >= 0) {
    self->Guard([cb, i] { cb->UserSelect(i); });
  } else if (cb->Editable) {
    GtkWidget* entry = gtk_bin_get_child(GTK_BIN(w));
    CodePageText t = TextCodec().FromUtf8(gtk_entry_get_text(GTK_ENTRY(entry)), self->CodePage());
    if (!t.Complete()) {
      // Never stored as garbage: the model's text comes back.
      self->Guard([self] { self->app_->SimpleBeep(); });
      self->ApplyEditText(*item);
      return;
    }
    self->Guard([cb, &t] { cb->UserSetText(t.text); });
  }
}

void GtkFormPeer::OnListSelection(GtkTreeSelection* sel, gpointer data) {
  auto* item = static_cast<Item*>(data);
  GtkFormPeer* self = item->peer;
  if (self->updating_ || !self->app_) return;
  const int row = SelectedRow(gtk_tree_selection_get_tree_view(sel));
  if (item->control->GetKind() == Kind::ListBox) {
    auto* lb = static_cast<ListBox*>(item->control);
    if (row != lb->ItemIndex()) self->Guard([lb, row] { lb->UserSelect(row); });
    return;
  }
  auto* lv = static_cast<ListView*>(item->control);
  if (row != lv->SelectedIndex()) self->Guard([lv, row] { lv->UserSelect(row); });
  if (self->Find(*lv) == item) self->ApplyListSelection(*item);  // the model decides
}

void GtkFormPeer::OnRowToggled(GtkCellRendererToggle*, gchar* path, gpointer data) {
  auto* item = static_cast<Item*>(data);
  GtkFormPeer* self = item->peer;
  auto* lv = static_cast<ListView*>(item->control);
  const int row = std::atoi(path);
  if (self->updating_ || !self->app_ || row < 0 || static_cast<size_t>(row) >= lv->Rows().size()) return;
  const bool checked = !lv->Rows()[static_cast<size_t>(row)].checked;
  self->Guard([lv, row, checked] { lv->UserCheck(static_cast<size_t>(row), checked); });
  if (self->Find(*lv) == item) self->ApplyRows(*item);
}

gboolean GtkFormPeer::OnListRelease(GtkWidget* w, GdkEventButton* ev, gpointer data) {
  auto* item = static_cast<Item*>(data);
  GtkFormPeer* self = item->peer;
  if (ev->button != 1 || !self->app_ || ev->window != gtk_tree_view_get_bin_window(GTK_TREE_VIEW(w))) return FALSE;
  GtkTreePath* path = nullptr;
  int row = -1;
  if (gtk_tree_view_get_path_at_pos(GTK_TREE_VIEW(w), static_cast<gint>(ev->x), static_cast<gint>(ev->y), &path,
                                    nullptr, nullptr, nullptr)) {
    row = RowOfPath(path);
    gtk_tree_path_free(path);
  }
  // The selection has changed already (the press did it).
  auto* lv = static_cast<ListView*>(item->control);
  self->Guard([lv, row] { lv->UserClick(row); });
  return FALSE;
}

void GtkFormPeer::OnRowActivated(GtkTreeView*, GtkTreePath*, GtkTreeViewColumn*, gpointer data) {
  auto* item = static_cast<Item*>(data);
  auto* lv = static_cast<ListView*>(item->control);
  if (item->peer->app_ && lv->OnDblClick) item->peer->Guard([lv] { lv->OnDblClick(); });
}

}  // namespace km27::ui
