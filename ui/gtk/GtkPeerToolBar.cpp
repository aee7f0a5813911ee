// Tool bars: a row of buttons with a picture and a caption each, every button
// following its action (caption, enabled, visible, picture) and showing the
// current choice of its group pressed in; and the pictures of image lists,
// drawn again at this screen's size.
#include "ui/Scaling.h"
#include "ui/gtk/GtkApplication.h"
#include "ui/gtk/GtkFormPeer.h"
#include "ui/gtk/GtkPeerSupport.h"

namespace km27::ui {

using namespace gtkpeer;

GdkPixbuf* gtkpeer::PixbufOf(const Image& image) {
  if (image.width <= 0 || image.height <= 0 ||
      image.pixels.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height))
    return nullptr;
  GdkPixbuf* pb = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, image.width, image.height);
  if (!pb) return nullptr;
  guchar* rows = gdk_pixbuf_get_pixels(pb);
  const int stride = gdk_pixbuf_get_rowstride(pb);
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      const uint32_t p = image.pixels[static_cast<size_t>(y) * static_cast<size_t>(image.width) + static_cast<size_t>(x)];
      guchar* d = rows + y * stride + x * 4;
      d[0] = static_cast<guchar>((p >> 16) & 0xFF);
      d[1] = static_cast<guchar>((p >> 8) & 0xFF);
      d[2] = static_cast<guchar>(p & 0xFF);
      d[3] = static_cast<guchar>((p >> 24) & 0xFF);
    }
  return pb;
}

GdkPixbuf* GtkFormPeer::Picture(const ImageList* list, int index) {
  if (!list || index < 0 || static_cast<size_t>(index) >= list->Images().size()) return nullptr;
  const std::vector<Image> images = list->ImagesAt(Scale(list->Width()), Scale(list->Height()));
  return static_cast<size_t>(index) < images.size() ? PixbufOf(images[static_cast<size_t>(index)]) : nullptr;
}

bool GtkFormPeer::CreateToolBarFamily(Item& item) {
  switch (item.control->GetKind()) {
    case Kind::ToolBar:
      item.outer = item.widget = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
      return true;
    case Kind::ToolButton:
      return true;  // made by its tool bar
    default:
      return false;
  }
}

void GtkFormPeer::ApplyToolButtons(Item& item) {
  auto* bar = dynamic_cast<ToolBar*>(item.control);
  if (!bar || !item.widget) return;
  ++updating_;
  const std::vector<ToolButton*> buttons = bar->Buttons();
  if (buttons.size() != item.toolButtons.size()) {
    for (GtkWidget* w : item.toolButtons) gtk_widget_destroy(w);
    item.toolButtons.clear();
    for (ToolButton* b : buttons) {
      GtkWidget* w = gtk_toggle_button_new();
      gtk_button_set_relief(GTK_BUTTON(w), GTK_RELIEF_NONE);
      gtk_widget_set_can_focus(w, FALSE);
      gtk_style_context_add_class(gtk_widget_get_style_context(w), "km27-toolbutton");
      gtk_widget_set_size_request(w, Scale(bar->ButtonWidth), Scale(bar->ButtonHeight));
      GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, Scale(2));
      gtk_widget_set_valign(column, GTK_ALIGN_CENTER);
      GtkWidget* image = gtk_image_new();
      GtkWidget* label = gtk_label_new(nullptr);
      gtk_box_pack_start(GTK_BOX(column), image, FALSE, FALSE, 0);
      gtk_box_pack_start(GTK_BOX(column), label, FALSE, FALSE, 0);
      gtk_widget_show_all(column);
      gtk_container_add(GTK_CONTAINER(w), column);
      g_object_set_data(G_OBJECT(w), "km27-tool", b);
      g_object_set_data(G_OBJECT(w), "km27-image", image);
      g_object_set_data(G_OBJECT(w), "km27-label", label);
      SetRecord(w, &item);
      g_signal_connect(w, "clicked", G_CALLBACK(OnToolClicked), &item);
      gtk_box_pack_start(GTK_BOX(item.widget), w, FALSE, FALSE, 0);
      item.toolButtons.push_back(w);
    }
    item.style.clear();
    ApplyStyle(item);
  }
  for (size_t i = 0; i < buttons.size(); ++i) {
    ToolButton& b = *buttons[i];
    GtkWidget* w = item.toolButtons[i];
    auto* label = static_cast<GtkWidget*>(g_object_get_data(G_OBJECT(w), "km27-label"));
    auto* image = static_cast<GtkWidget*>(g_object_get_data(G_OBJECT(w), "km27-image"));
    gtk_label_set_text(GTK_LABEL(label), bar->ShowCaptions ? Utf8(b.Caption()).c_str() : "");
    gtk_widget_set_visible(label, bar->ShowCaptions);
    GdkPixbuf* pb = Picture(bar->Images, b.ImageIndex());
    gtk_image_set_from_pixbuf(GTK_IMAGE(image), pb);
    if (pb) g_object_unref(pb);
    gtk_widget_set_sensitive(w, b.Enabled());
    gtk_widget_set_visible(w, b.Visible());
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(w), b.Down());
    if (b.ShowHint() && !b.Hint().empty())
      gtk_widget_set_tooltip_text(w, Utf8(b.Hint()).c_str());
    else
      gtk_widget_set_has_tooltip(w, FALSE);
  }
  --updating_;
}

void GtkFormPeer::OnToolClicked(GtkWidget* w, gpointer data) {
  auto* item = static_cast<Item*>(data);
  GtkFormPeer* self = item->peer;
  if (self->updating_ || !self->app_) return;
  auto* b = static_cast<ToolButton*>(g_object_get_data(G_OBJECT(w), "km27-tool"));
  if (!b || !b->Visible()) return;  // a hidden button cannot be pressed
  self->Guard([b] { b->Click(); });
  // The button turned itself; the model decides what it shows.
  if (self->Find(*item->control) == item) self->ApplyToolButtons(*item);
}

}  // namespace km27::ui
