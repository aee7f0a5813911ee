// The window km27 types into during the Linux end-to-end tests: a top-level
// window with one focused text view. Every change of the text is written to
// the file named on the command line (whole text, UTF-8, replaced
// atomically), so a script can read what arrived without touching the focus.
//   km27target_gtk <output file> [title]
#include <gtk/gtk.h>

#include <cstdio>
#include <string>

namespace {

std::string gOut;

void Save(GtkTextBuffer* buffer) {
  GtkTextIter start, end;
  gtk_text_buffer_get_bounds(buffer, &start, &end);
  gchar* text = gtk_text_buffer_get_text(buffer, &start, &end, FALSE);
  const std::string tmp = gOut + ".tmp";
  if (std::FILE* f = std::fopen(tmp.c_str(), "wb")) {
    std::fwrite(text, 1, std::char_traits<char>::length(text), f);
    std::fclose(f);
    std::rename(tmp.c_str(), gOut.c_str());
  }
  g_free(text);
}

}  // namespace

int main(int argc, char** argv) {
  gtk_init(&argc, &argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: km27target_gtk <output file> [title]\n");
    return 2;
  }
  gOut = argv[1];
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window), argc > 2 ? argv[2] : "KM27 Target");
  gtk_window_set_default_size(GTK_WINDOW(window), 480, 240);
  GtkWidget* view = gtk_text_view_new();
  gtk_container_add(GTK_CONTAINER(window), view);
  GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(view));
  g_signal_connect(buffer, "changed", G_CALLBACK(+[](GtkTextBuffer* b, gpointer) { Save(b); }), nullptr);
  g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
  Save(buffer);
  gtk_widget_show_all(window);
  gtk_widget_grab_focus(view);
  gtk_window_present(GTK_WINDOW(window));
  gtk_main();
  return 0;
}
