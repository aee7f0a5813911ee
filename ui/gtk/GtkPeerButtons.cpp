// Labels, buttons, speed buttons, check boxes, group boxes, radio groups,
// panels, bevels, shapes and lines: their widgets, their checked state,
// speed button pictures, the buttons of a radio group, and their clicks.
#include <algorithm>

#include "ui/gtk/GtkApplication.h"
#include "ui/gtk/GtkFormPeer.h"
#include "ui/gtk/GtkPeerSupport.h"

namespace km27::ui {

using namespace gtkpeer;

namespace {

GtkWidget* NewFace(float xalign, float yalign) {
  GtkWidget* l = gtk_label_new(nullptr);
  gtk_label_set_xalign(GTK_LABEL(l), xalign);
  gtk_label_set_yalign(GTK_LABEL(l), yalign);
  gtk_widget_show(l);
  return l;
}

// A box that takes clicks and can paint a background of its own.
GtkWidget* NewClickBox() {
  GtkWidget* b = gtk_event_box_new();
  gtk_event_box_set_visible_window(GTK_EVENT_BOX(b), TRUE);
  gtk_widget_add_events(b, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK);
  return b;
}

}  // namespace

bool GtkFormPeer::CreateButtonFamily(Item& item) {
  Control& c = *item.control;
  gpointer data = &item;
  switch (c.GetKind()) {
    case Kind::Label: {
      const bool center = static_cast<Label&>(c).Alignment == Label::Align::Center;
      item.outer = NewClickBox();
      item.face = NewFace(center ? 0.5f : 0.0f, center ? 0.5f : 0.0f);
      // Static texts of Windows break between words when the bounds are too narrow.
      gtk_label_set_line_wrap(GTK_LABEL(item.face), TRUE);
      gtk_label_set_line_wrap_mode(GTK_LABEL(item.face), PANGO_WRAP_WORD_CHAR);
      if (center) gtk_label_set_justify(GTK_LABEL(item.face), GTK_JUSTIFY_CENTER);
      gtk_container_add(GTK_CONTAINER(item.outer), item.face);
      g_signal_connect(item.outer, "button-release-event", G_CALLBACK(OnBoxClick), data);
      return true;
    }
    case Kind::Button:
      item.outer = item.widget = gtk_button_new();
      item.face = NewFace(0.5f, 0.5f);
      gtk_container_add(GTK_CONTAINER(item.widget), item.face);
      g_signal_connect(item.widget, "clicked", G_CALLBACK(OnClicked), data);
      return true;
    case Kind::SpeedButton: {
      item.outer = item.widget = gtk_toggle_button_new();
      if (static_cast<SpeedButton&>(c).Flat) gtk_button_set_relief(GTK_BUTTON(item.widget), GTK_RELIEF_NONE);
      GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, Scale(4));
      gtk_widget_set_halign(row, GTK_ALIGN_CENTER);
      GtkWidget* image = gtk_image_new();
      g_object_set_data(G_OBJECT(item.widget), "km27-image", image);
      gtk_box_pack_start(GTK_BOX(row), image, FALSE, FALSE, 0);
      item.face = NewFace(0.5f, 0.5f);
      gtk_box_pack_start(GTK_BOX(row), item.face, FALSE, FALSE, 0);
      gtk_widget_show(row);
      gtk_container_add(GTK_CONTAINER(item.widget), row);
      g_signal_connect(item.widget, "clicked", G_CALLBACK(OnToggled), data);
      return true;
    }
    case Kind::CheckBox:
      item.outer = item.widget = gtk_check_button_new();
      item.face = NewFace(0.0f, 0.5f);
      gtk_container_add(GTK_CONTAINER(item.widget), item.face);
      g_signal_connect(item.widget, "clicked", G_CALLBACK(OnToggled), data);
      return true;
    case Kind::GroupBox:
    case Kind::RadioGroup:
    case Kind::Bevel:
      // The frame lies beneath the controls of the group, in the same fixed,
      // so that their designed bounds count from the group's outer corner.
      item.outer = item.box = NewFixed();
      item.widget = gtk_frame_new(nullptr);
      gtk_frame_set_label_align(GTK_FRAME(item.widget), 0.0f, 0.5f);
      if (c.GetKind() == Kind::Bevel) gtk_frame_set_shadow_type(GTK_FRAME(item.widget), GTK_SHADOW_ETCHED_IN);
      Place(item.box, item.widget, Rect{0, 0, 1, 1});
      return true;
    case Kind::Panel:
    case Kind::Shape:
      item.outer = item.box = NewFixed();
      item.widget = NewClickBox();
      if (c.GetKind() == Kind::Panel) {
        item.face = NewFace(0.5f, 0.5f);
        gtk_container_add(GTK_CONTAINER(item.widget), item.face);
      }
      g_signal_connect(item.widget, "button-release-event", G_CALLBACK(OnBoxClick), data);
      Place(item.box, item.widget, Rect{0, 0, 1, 1});
      return true;
    case Kind::Line:
      // Drawn without a window of its own: what lies beside the line stays
      // visible and takes the clicks, as the line's window region does on
      // Windows.
      item.outer = item.widget = gtk_drawing_area_new();
      gtk_widget_set_has_window(item.widget, FALSE);
      g_signal_connect(item.widget, "draw", G_CALLBACK(OnDrawLine), data);
      return true;
    default:
      return false;
  }
}

void GtkFormPeer::ApplyChecked(Item& item) {
  if (!item.widget) return;
  ++updating_;
  if (auto* cb = dynamic_cast<CheckBox*>(item.control))
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(item.widget), cb->Checked());
  else if (auto* sb = dynamic_cast<SpeedButton*>(item.control))
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(item.widget), sb->Down());
  --updating_;
}

void GtkFormPeer::ApplyButtonImage(Item& item) {
  auto* sb = dynamic_cast<SpeedButton*>(item.control);
  if (!sb || !item.widget) return;
  auto* image = static_cast<GtkWidget*>(g_object_get_data(G_OBJECT(item.widget), "km27-image"));
  if (!image) return;
  GdkPixbuf* pb = Picture(sb->Images, sb->ImageIndex());
  gtk_image_set_from_pixbuf(GTK_IMAGE(image), pb);
  gtk_widget_set_visible(image, pb != nullptr);
  if (pb) g_object_unref(pb);
}

void GtkFormPeer::ApplyRadioItems(Item& item) {
  ++updating_;
  for (GtkWidget* r : item.radios) gtk_widget_destroy(r);
  item.radios.clear();
  GSList* group = nullptr;
  auto add = [&](const std::string& text) {
    GtkWidget* r = gtk_radio_button_new_with_label(group, Utf8(text).c_str());
    group = gtk_radio_button_get_group(GTK_RADIO_BUTTON(r));
    Track(item, r);
    g_signal_connect(r, "toggled", G_CALLBACK(OnRadioToggled), &item);
    Place(item.box, r, Rect{0, 0, 1, 1});
    item.radios.push_back(r);
    return r;
  };
  for (const auto& s : static_cast<RadioGroup&>(*item.control).Items()) gtk_widget_show(add(s));
  // A GTK radio group always has one button on; the model's group may have
  // none (no stored choice): then this hidden extra button is the one on.
  add("");
  item.style.clear();
  ApplyStyle(item);
  if (realized_) Layout();
  --updating_;
}

void GtkFormPeer::ApplyRadioIndex(Item& item) {
  if (item.radios.empty()) return;
  ++updating_;
  const int i = static_cast<RadioGroup&>(*item.control).ItemIndex();
  const size_t on = i >= 0 && static_cast<size_t>(i) + 1 < item.radios.size() ? static_cast<size_t>(i) : item.radios.size() - 1;
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(item.radios[on]), TRUE);
  --updating_;
}

void GtkFormPeer::LayoutRadios(Item& item, const Rect& r) {
  const int n = static_cast<int>(item.radios.size()) - 1;  // without the hidden one
  if (n <= 0) return;
  const int cols = std::max(1, static_cast<RadioGroup&>(*item.control).Columns);
  const int rows = (n + cols - 1) / cols;
  const int cw = (r.width - Scale(16)) / cols;
  const int rh = (r.height - Scale(24)) / rows;
  const int bh = std::min(rh, Scale(20));
  for (int i = 0; i < n; ++i) {
    const int col = i / rows, row = i % rows;
    Place(item.box, item.radios[static_cast<size_t>(i)],
          Rect{r.left + Scale(8) + col * cw, r.top + Scale(18) + row * rh + (rh - bh) / 2, cw, bh});
  }
}

void GtkFormPeer::OnClicked(GtkWidget*, gpointer data) {
  auto* item = static_cast<Item*>(data);
  GtkFormPeer* self = item->peer;
  if (self->updating_ || !self->app_) return;
  Control* c = item->control;
  self->Guard([c] { c->Click(); });
}

void GtkFormPeer::OnToggled(GtkWidget*, gpointer data) {
  auto* item = static_cast<Item*>(data);
  GtkFormPeer* self = item->peer;
  if (self->updating_ || !self->app_) return;
  Control* c = item->control;
  self->Guard([c] { c->Click(); });
  // The button turned itself; the model decides what it shows.
  if (self->Find(*c) == item) self->ApplyChecked(*item);
}

void GtkFormPeer::OnRadioToggled(GtkWidget* w, gpointer data) {
  auto* item = static_cast<Item*>(data);
  GtkFormPeer* self = item->peer;
  if (self->updating_ || !self->app_ || !gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(w))) return;
  auto it = std::find(item->radios.begin(), item->radios.end(), w);
  if (it == item->radios.end() || it + 1 == item->radios.end()) return;
  const int i = static_cast<int>(it - item->radios.begin());
  auto* rg = static_cast<RadioGroup*>(item->control);
  self->Guard([rg, i] { rg->UserSelect(i); });
  self->ApplyRadioIndex(*item);  // also when the model refused
}

gboolean GtkFormPeer::OnBoxClick(GtkWidget*, GdkEventButton* ev, gpointer data) {
  auto* item = static_cast<Item*>(data);
  GtkFormPeer* self = item->peer;
  if (ev->button != 1 || !self->app_ || !self->realized_) return FALSE;
  Control* c = item->control;
  if (!c->OnClick) return FALSE;
  self->Guard([c] { c->Click(); });
  return TRUE;
}

int GtkFormPeer::LinePenWidth(const TLine& line) const { return std::max(1, Scale(line.GetPen().width)); }

gboolean GtkFormPeer::OnDrawLine(GtkWidget* w, cairo_t* cr, gpointer data) {
  auto* item = static_cast<Item*>(data);
  auto* line = dynamic_cast<TLine*>(item->control);
  if (!line || !item->peer->realized_) return FALSE;
  const int pen = item->peer->LinePenWidth(*line);
  const double wdt = gtk_widget_get_allocated_width(w) - pen, hgt = gtk_widget_get_allocated_height(w) - pen;
  const LineStart s = line->StartPos();
  const bool left = s == lsLeftTop || s == lsLeftBottom, top = s == lsLeftTop || s == lsRightTop;
  // Pen-sized squares at both end points and along the way, as Windows draws.
  const double x0 = left ? 0 : wdt, y0 = top ? 0 : hgt, x1 = left ? wdt : 0, y1 = top ? hgt : 0;
  const uint32_t col = line->GetPen().color;
  cairo_set_source_rgb(cr, (col & 0xFF) / 255.0, ((col >> 8) & 0xFF) / 255.0, ((col >> 16) & 0xFF) / 255.0);
  cairo_set_line_width(cr, pen);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
  cairo_move_to(cr, x0 + pen / 2.0, y0 + pen / 2.0);
  cairo_line_to(cr, x1 + pen / 2.0, y1 + pen / 2.0);
  cairo_stroke(cr);
  return FALSE;
}

}  // namespace km27::ui
