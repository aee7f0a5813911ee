// The window km27 types into when scripts/run.sh shows it at work: a GTK
// window with one focused multi-line text view. Every change of the text is
// written to the file named on the command line (the whole text, as UTF-8,
// replaced by a rename), so a script reads what arrived without taking the
// focus away; Enter arrives as a line feed.
//   km27target <output file> [title]
// Title "KM27 Target" unless another is given.
#include <gtk/gtk.h>

#include <cstdio>
#include <string>

namespace {

std::string gOut;

void Save(GtkTextBuffer* buffer, gpointer) {
  GtkTextIter start, end;
  gtk_text_buffer_get_bounds(buffer, &start, &end);
  gchar* text = gtk_text_buffer_get_text(buffer, &start, &end, FALSE);
  const std::string tmp = gOut + ".tmp";
  if (FILE* f = std::fopen(tmp.c_str(), "wb")) {
    std::fputs(text, f);
    if (std::fclose(f) == 0) std::rename(tmp.c_str(), gOut.c_str());
  }
  g_free(text);
}

}  // namespace

int main(int argc, char** argv) {
  gtk_init(&argc, &argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <output file> [title]\n", argv[0]);
    return 2;
  }
  gOut = argv[1];
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window), argc > 2 ? argv[2] : "KM27 Target");
  gtk_window_set_default_size(GTK_WINDOW(window), 480, 200);
  GtkWidget* view = gtk_text_view_new();
  gtk_container_add(GTK_CONTAINER(window), view);
  GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(view));
  g_signal_connect(buffer, "changed", G_CALLBACK(Save), nullptr);
  g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
  Save(buffer, nullptr);  // the empty file says the window is there
  gtk_widget_show_all(window);
  gtk_widget_grab_focus(view);
  gtk_main();
  return 0;
}
