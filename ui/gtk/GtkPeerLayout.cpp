// Where the controls of a form go and how they look: the fixed containers,
// anchoring (ui/FormLayout.h, as the Win32 renderer places its windows),
// visibility (pages not shown hide their controls), fonts and colours through
// per-widget CSS, hints, the hand pointer, and the window's place on its
// first show.
#include <algorithm>
#include <cstdio>

#include "ui/FontFamilies.h"
#include "ui/FormLayout.h"
#include "ui/gtk/GtkApplication.h"
#include "ui/gtk/GtkFormPeer.h"
#include "ui/gtk/GtkPeerSupport.h"

// ---- the fixed container ----

namespace {

struct KmFixed {
  GtkFixed parent;
};
struct KmFixedClass {
  GtkFixedClass parent_class;
};

G_DEFINE_TYPE(KmFixed, km_fixed, GTK_TYPE_FIXED)

const char* const kRectKey = "km27-rect";

void km_fixed_min(GtkWidget*, gint* minimum, gint* natural) { *minimum = *natural = 0; }

void km_fixed_allocate(GtkWidget* w, GtkAllocation* a) {
  gtk_widget_set_allocation(w, a);
  GList* children = gtk_container_get_children(GTK_CONTAINER(w));
  for (GList* l = children; l; l = l->next) {
    auto* child = GTK_WIDGET(l->data);
    if (!gtk_widget_get_visible(child)) continue;
    const auto* r = static_cast<const km27::ui::Rect*>(g_object_get_data(G_OBJECT(child), kRectKey));
    // GTK wants every child measured before it is allocated; the design
    // decides the size all the same.
    GtkRequisition ignored;
    gtk_widget_get_preferred_size(child, &ignored, nullptr);
    GtkAllocation c{a->x, a->y, 1, 1};
    if (r) c = GtkAllocation{a->x + r->left, a->y + r->top, std::max(1, r->width), std::max(1, r->height)};
    gtk_widget_size_allocate(child, &c);
  }
  g_list_free(children);
  // Nothing is drawn outside the container's own rectangle.
  gtk_widget_set_clip(w, a);
}

void km_fixed_class_init(KmFixedClass* cls) {
  auto* wc = GTK_WIDGET_CLASS(cls);
  wc->get_preferred_width = km_fixed_min;
  wc->get_preferred_height = km_fixed_min;
  wc->size_allocate = km_fixed_allocate;
}

void km_fixed_init(KmFixed*) {}

}  // namespace

namespace km27::ui {

using namespace gtkpeer;

GtkWidget* gtkpeer::NewFixed() { return GTK_WIDGET(g_object_new(km_fixed_get_type(), nullptr)); }

void gtkpeer::Place(GtkWidget* fixed, GtkWidget* child, const Rect& r) {
  auto* old = static_cast<Rect*>(g_object_get_data(G_OBJECT(child), kRectKey));
  if (old && *old == r && gtk_widget_get_parent(child) == fixed) return;
  g_object_set_data_full(G_OBJECT(child), kRectKey, new Rect(r), [](gpointer p) { delete static_cast<Rect*>(p); });
  if (gtk_widget_get_parent(child) != fixed) gtk_fixed_put(GTK_FIXED(fixed), child, r.left, r.top);
  gtk_widget_queue_resize(fixed);
}

void gtkpeer::SetWidgetStyle(GtkWidget* w, const std::string& css) {
  auto* old = static_cast<GtkCssProvider*>(g_object_get_data(G_OBJECT(w), "km27-css"));
  GtkStyleContext* sc = gtk_widget_get_style_context(w);
  if (old) gtk_style_context_remove_provider(sc, GTK_STYLE_PROVIDER(old));
  if (css.empty()) {
    g_object_set_data(G_OBJECT(w), "km27-css", nullptr);
    return;
  }
  GtkCssProvider* p = gtk_css_provider_new();
  gtk_css_provider_load_from_data(p, css.c_str(), -1, nullptr);
  // Above the application's compact style.
  gtk_style_context_add_provider(sc, GTK_STYLE_PROVIDER(p), GTK_STYLE_PROVIDER_PRIORITY_APPLICATION + 1);
  g_object_set_data_full(G_OBJECT(w), "km27-css", p, g_object_unref);
}

std::string gtkpeer::ColorCss(uint32_t bgr) {
  char s[16];
  std::snprintf(s, sizeof s, "#%02x%02x%02x", bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
  return s;
}

// ---- texts ----

int GtkFormPeer::CodePage() const { return app_ ? app_->CodePage() : 1252; }

std::string GtkFormPeer::Utf8(const std::string& bytes) const { return ToUtf8(bytes, CodePage()); }

// ---- looks ----

std::string GtkFormPeer::FontCss(const Font& f) {
  std::string family = "Sans";
  if (app_) family = ChooseFontFamily(FontFamilies(f.name, CodePage()), app_->InstalledFamilies());
  if (f.fixedPitch && family == "Sans") family = "Monospace";
  std::string css = "font-family: \"" + family + "\"; font-size: " + std::to_string(FontPixelHeight(f, dpi_)) +
                    "px; font-weight: " + (f.bold ? "bold" : "normal") + ";";
  if (f.color != kDefaultColor) css += " color: " + ColorCss(f.color) + ";";
  return css;
}

void GtkFormPeer::ApplyStyle(Item& item) {
  Control& c = *item.control;
  const std::string font = FontCss(c.EffectiveFont());
  const uint32_t back = c.GetKind() == Kind::Line ? kDefaultColor : c.Color();
  // The widget that paints the control's face takes its background colour.
  GtkWidget* face = c.GetKind() == Kind::Label ? item.outer : item.widget;
  const std::string key = font + "|" + std::to_string(back);
  if (key == item.style) return;
  item.style = key;
  auto style = [&](GtkWidget* w) {
    if (!w) return;
    const char* node = gtk_widget_class_get_css_name(GTK_WIDGET_GET_CLASS(w));
    std::string css = std::string(node) + " { " + font + " }";
    if (w == face && back != kDefaultColor) {
      const std::string bg = "{ background-color: " + ColorCss(back) + "; background-image: none; }";
      css += std::string(" ") + node + " " + bg + " " + node + " text " + bg;
    }
    SetWidgetStyle(w, css);
  };
  style(item.widget);
  if (item.face != item.widget) style(item.face);
  if (face != item.widget && face != item.face) style(face);
  for (GtkWidget* r : item.radios) style(r);
  for (GtkWidget* b : item.toolButtons) style(b);
}

void GtkFormPeer::ApplyTooltip(Item& item) {
  const Control& c = *item.control;
  GtkWidget* w = item.widget ? item.widget : item.outer;
  if (!w) return;
  if (!c.ShowHint() || c.Hint().empty()) {
    gtk_widget_set_has_tooltip(w, FALSE);
    return;
  }
  gtk_widget_set_tooltip_text(w, Utf8(c.Hint()).c_str());
}

void GtkFormPeer::ApplyCursor(Item& item) {
  GtkWidget* w = item.widget ? item.widget : item.outer;
  if (!w) return;
  if (!gtk_widget_get_realized(w)) {
    // The pointer belongs to the widget's window, made when it is realized.
    if (!g_object_get_data(G_OBJECT(w), "km27-cursor-wait")) {
      g_object_set_data(G_OBJECT(w), "km27-cursor-wait", w);
      g_signal_connect(w, "realize", G_CALLBACK(+[](GtkWidget* w, gpointer) {
                         if (auto* it = static_cast<Item*>(RecordOf(w)); it && it->peer->realized_) it->peer->ApplyCursor(*it);
                       }),
                       nullptr);
    }
    return;
  }
  GdkWindow* win = GTK_IS_BUTTON(w) ? gtk_button_get_event_window(GTK_BUTTON(w))
                   : GTK_IS_EVENT_BOX(w) || gtk_widget_get_has_window(w) ? gtk_widget_get_window(w)
                                                                        : nullptr;
  if (!win) return;
  GdkCursor* cursor = item.control->GetCursor() == Cursor::HandPoint
                          ? gdk_cursor_new_from_name(gtk_widget_get_display(w), "pointer")
                          : nullptr;
  gdk_window_set_cursor(win, cursor);
  if (cursor) g_object_unref(cursor);
}

// ---- visibility and places ----

bool GtkFormPeer::ShownByModel(Control& c) {
  if (!c.Visible()) return false;
  if (c.GetKind() == Kind::TabSheet)
    if (auto* pc = dynamic_cast<PageControl*>(c.Parent())) return pc->ActivePage() == &c;
  return true;
}

void GtkFormPeer::ApplyVisibility() {
  for (auto& item : items_) {
    if (!item->outer) continue;
    gtk_widget_set_visible(item->outer, ShownByModel(*item->control));
    // A page control whose tabs are all hidden shows only its pages.
    if (item->control->GetKind() == Kind::PageControl && item->widget)
      gtk_widget_set_visible(item->widget, !item->tabs.empty());
  }
}

void GtkFormPeer::Layout() {
  if (!root_) return;
  GtkAllocation a;
  gtk_widget_get_allocation(root_, &a);
  const Rect client = ScaledClientArea(form_, dpi_);
  const int w = a.width > 1 ? a.width : client.width, h = a.height > 1 ? a.height : client.height;
  laidWidth_ = w;
  laidHeight_ = h;
  FormLayout layout(form_, dpi_, w, h);
  layout.SheetArea = [this](const Control& pages, const Rect& r) {
    Item* pc = Find(pages);
    return pc ? SheetArea(*pc, r) : r;
  };
  ++updating_;
  for (auto& item : items_) {
    if (!item->outer) continue;
    const Control& c = *item->control;
    Rect r = layout.Place(c);
    // Bounds are relative to the nearest container that has a fixed.
    Rect origin;
    for (Control* p = c.Parent(); p && p != &form_; p = p->Parent())
      if (Item* it = Find(*p); it && it->box) {
        origin = layout.Place(*p);
        break;
      }
    if (auto* line = dynamic_cast<const TLine*>(&c)) {
      // Both end points are drawn: room for the pen past the right and bottom.
      r.width += LinePenWidth(*line);
      r.height += LinePenWidth(*line);
    }
    Place(gtk_widget_get_parent(item->outer), item->outer, Rect{r.left - origin.left, r.top - origin.top, r.width, r.height});
    if (item->box && item->widget && item->widget != item->box && c.GetKind() != Kind::ToolBar)
      Place(item->box, item->widget, Rect{0, 0, r.width, r.height});
    if (!item->radios.empty()) LayoutRadios(*item, Rect{0, 0, r.width, r.height});
  }
  --updating_;
  gtk_widget_queue_resize(root_);
}

void GtkFormPeer::PlaceOnFirstShow() {
  const Rect client = ScaledClientArea(form_, dpi_);
  int w = client.width, h = client.height;
  GdkDisplay* display = gdk_display_get_default();
  GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
  if (!monitor) monitor = gdk_display_get_monitor(display, 0);
  GdkRectangle area{0, 0, 1024, 768};
  if (monitor) gdk_monitor_get_workarea(monitor, &area);
  GdkRectangle around = area;
  if (form_.position == Form::Position::MainFormCenter) {
    GtkWindow* main = app_->MainWindow();
    if (main && GTK_WIDGET(main) != window_ && gtk_widget_get_visible(GTK_WIDGET(main))) {
      gtk_window_get_position(main, &around.x, &around.y);
      gtk_window_get_size(main, &around.width, &around.height);
    }
  }
  int x = around.x + (around.width - w) / 2, y = around.y + (around.height - h) / 2;
  if (form_.position == Form::Position::Designed) {
    x = Scale(form_.Bounds().left);  // design pixels, like every other position
    y = Scale(form_.Bounds().top);
  }
  x = std::max(area.x, std::min(x, area.x + area.width - w));
  y = std::max(area.y, std::min(y, area.y + area.height - h));
  gtk_window_move(GTK_WINDOW(window_), x, y);
}

}  // namespace km27::ui
