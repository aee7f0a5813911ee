#pragma once
// Small helpers shared by the files of the GTK form peer: the container that
// places its children at exactly the rectangles the layout gave them, texts
// between the model's code page and GTK's UTF-8 (with byte and character
// offsets), per-widget CSS, Windows virtual-key codes, and pictures.
#include <gtk/gtk.h>

#include <cstdint>
#include <string>

#include "common/TextCodec.h"
#include "ui/Components.h"

namespace km27::ui::gtkpeer {

constexpr uint32_t kDefaultColor = 0xFFFFFFFF;

// A GtkFixed that gives each child the rectangle set with Place, whatever
// the child would ask for: windows are designed in pixels, and a GTK widget's
// own minimum (a label's whole text, an entry's width in characters) must not
// push the design apart. Its own minimum size is its size request only.
GtkWidget* NewFixed();
// Puts `child` into `fixed` (once) and sets its rectangle relative to it.
void Place(GtkWidget* fixed, GtkWidget* child, const Rect& r);

// ---- texts ----
// The model's bytes for display; a byte sequence the code page does not
// define shows as U+FFFD, a 0 byte as a space (GTK ends texts there).
std::string ToUtf8(const std::string& bytes, int codePage);
// A memo's text for display: CR LF becomes one line break.
std::string MemoToUtf8(const std::string& bytes, int codePage);
// Characters before byte offset `byteOffset` of `bytes` (a double-byte
// character of code page 932 counts once; in a memo CR LF counts once).
int CharOffset(const std::string& bytes, int byteOffset, int codePage, bool memo);
// The byte offset of character `charOffset`.
int ByteOffset(const std::string& bytes, int charOffset, int codePage, bool memo);

// ---- looks ----
// The widget's own style: font (family chosen among the installed ones, size
// in pixels of this screen), text colour and background colour (0x00BBGGRR,
// kDefaultColor: the theme's). Replaces what was set before.
void SetWidgetStyle(GtkWidget* w, const std::string& css);
std::string ColorCss(uint32_t bgr);

// ---- input ----
// The Windows virtual-key code of a GDK key (0 when it has none) and the
// shift state bits of the model (1 Shift, 2 Ctrl, 4 Alt).
uint16_t VirtualKey(guint keyval, guint16 hardwareKeycode);
int ShiftState(guint state);

// A picture of the model (0xAARRGGBB, rows from the top) as a pixbuf.
GdkPixbuf* PixbufOf(const Image& image);

// The peer's record of the widget (set by the peer on each widget it makes).
inline void SetRecord(GtkWidget* w, void* record) { g_object_set_data(G_OBJECT(w), "km27-record", record); }
inline void* RecordOf(GtkWidget* w) { return g_object_get_data(G_OBJECT(w), "km27-record"); }

}  // namespace km27::ui::gtkpeer
