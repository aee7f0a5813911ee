// Edits and memos: their widgets, texts between the model's code page and
// UTF-8 (offsets in the model are bytes, in GTK characters), a memo's
// appended lines, the selection both ways, the user's edits, the keys, mouse
// moves and focus changes the model's handlers see, and typing through the
// model (key notation filter, OnKeyPress).
#include <gdk/gdkkeysyms.h>

#include <cstring>

#include "ui/gtk/GtkApplication.h"
#include "ui/gtk/GtkFormPeer.h"
#include "ui/gtk/GtkPeerSupport.h"

namespace km27::ui {

using namespace gtkpeer;

// ---- texts ----

namespace {

std::string Replace(std::string s, const std::string& from, const std::string& to) {
  for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size())) s.replace(at, from.size(), to);
  return s;
}

// User input in the code page; a memo's line breaks become CR LF.
CodePageText FromWidget(const std::string& utf8, int codePage, bool memo) {
  CodePageText t = TextCodec().FromUtf8(memo ? Replace(utf8, "\r\n", "\n") : utf8, codePage);
  if (memo) t.text = Replace(t.text, "\n", "\r\n");
  return t;
}

}  // namespace

std::string gtkpeer::ToUtf8(const std::string& bytes, int codePage) {
  std::string t = bytes;
  for (char& ch : t)
    if (ch == '\0') ch = ' ';
  return TextCodec().ToUtf8(t, codePage);
}

std::string gtkpeer::MemoToUtf8(const std::string& bytes, int codePage) {
  return ToUtf8(Replace(bytes, "\r\n", "\n"), codePage);
}

int gtkpeer::CharOffset(const std::string& bytes, int byteOffset, int codePage, bool memo) {
  const std::string prefix = bytes.substr(0, static_cast<size_t>(std::max(0, byteOffset)));
  const std::string utf8 = memo ? MemoToUtf8(prefix, codePage) : ToUtf8(prefix, codePage);
  return static_cast<int>(g_utf8_strlen(utf8.c_str(), static_cast<gssize>(utf8.size())));
}

int gtkpeer::ByteOffset(const std::string& bytes, int charOffset, int codePage, bool memo) {
  const std::string utf8 = memo ? MemoToUtf8(bytes, codePage) : ToUtf8(bytes, codePage);
  const long n = g_utf8_strlen(utf8.c_str(), static_cast<gssize>(utf8.size()));
  const char* end = g_utf8_offset_to_pointer(utf8.c_str(), std::min<long>(std::max(0, charOffset), n));
  return static_cast<int>(FromWidget(std::string(utf8.c_str(), end), codePage, memo).text.size());
}

// ---- keys ----

uint16_t gtkpeer::VirtualKey(guint keyval, guint16 hardwareKeycode) {
  // The key's own symbol, without Shift: VK codes name keys, not characters.
  guint base = keyval;
  gdk_keymap_translate_keyboard_state(gdk_keymap_get_for_display(gdk_display_get_default()), hardwareKeycode,
                                      static_cast<GdkModifierType>(0), 0, &base, nullptr, nullptr, nullptr);
  if (base >= GDK_KEY_a && base <= GDK_KEY_z) return static_cast<uint16_t>('A' + (base - GDK_KEY_a));
  if (base >= GDK_KEY_A && base <= GDK_KEY_Z) return static_cast<uint16_t>(base);
  if (base >= GDK_KEY_0 && base <= GDK_KEY_9) return static_cast<uint16_t>(base);
  if (base >= GDK_KEY_F1 && base <= GDK_KEY_F24) return static_cast<uint16_t>(0x70 + (base - GDK_KEY_F1));
  if (base >= GDK_KEY_KP_0 && base <= GDK_KEY_KP_9) return static_cast<uint16_t>(0x60 + (base - GDK_KEY_KP_0));
  switch (base) {
    case GDK_KEY_BackSpace: return 0x08;
    case GDK_KEY_Tab: case GDK_KEY_ISO_Left_Tab: return 0x09;
    case GDK_KEY_Return: case GDK_KEY_KP_Enter: return 0x0D;
    case GDK_KEY_Shift_L: case GDK_KEY_Shift_R: return 0x10;
    case GDK_KEY_Control_L: case GDK_KEY_Control_R: return 0x11;
    case GDK_KEY_Alt_L: case GDK_KEY_Alt_R: return 0x12;
    case GDK_KEY_Pause: return 0x13;
    case GDK_KEY_Caps_Lock: return 0x14;
    case GDK_KEY_Escape: return 0x1B;
    case GDK_KEY_space: return 0x20;
    case GDK_KEY_Prior: return 0x21;
    case GDK_KEY_Next: return 0x22;
    case GDK_KEY_End: return 0x23;
    case GDK_KEY_Home: return 0x24;
    case GDK_KEY_Left: return 0x25;
    case GDK_KEY_Up: return 0x26;
    case GDK_KEY_Right: return 0x27;
    case GDK_KEY_Down: return 0x28;
    case GDK_KEY_Insert: return 0x2D;
    case GDK_KEY_Delete: return 0x2E;
    case GDK_KEY_KP_Multiply: return 0x6A;
    case GDK_KEY_KP_Add: return 0x6B;
    case GDK_KEY_KP_Subtract: return 0x6D;
    case GDK_KEY_KP_Decimal: return 0x6E;
    case GDK_KEY_KP_Divide: return 0x6F;
    case GDK_KEY_semicolon: return 0xBA;
    case GDK_KEY_equal: return 0xBB;
    case GDK_KEY_comma: return 0xBC;
    case GDK_KEY_minus: return 0xBD;
    case GDK_KEY_period: return 0xBE;
    case GDK_KEY_slash: return 0xBF;
    case GDK_KEY_grave: return 0xC0;
    case GDK_KEY_bracketleft: return 0xDB;
    case GDK_KEY_backslash: return 0xDC;
    case GDK_KEY_bracketright: return 0xDD;
    case GDK_KEY_apostrophe: return 0xDE;
    default: return 0;
  }
}

int gtkpeer::ShiftState(guint state) {
  return ((state & GDK_SHIFT_MASK) ? 1 : 0) | ((state & GDK_CONTROL_MASK) ? 2 : 0) | ((state & GDK_MOD1_MASK) ? 4 : 0);
}

// ---- the widgets ----

bool GtkFormPeer::CreateEditFamily(Item& item) {
  gpointer data = &item;
  switch (item.control->GetKind()) {
    case Kind::Edit:
      item.outer = item.widget = gtk_entry_new();
      gtk_entry_set_width_chars(GTK_ENTRY(item.widget), 1);
      g_signal_connect(item.widget, "insert-text", G_CALLBACK(OnEntryInsert), data);
      g_signal_connect_swapped(item.widget, "changed", G_CALLBACK(OnEditChanged), data);
      g_signal_connect_swapped(item.widget, "notify::cursor-position", G_CALLBACK(OnSelectionNotice), data);
      g_signal_connect_swapped(item.widget, "notify::selection-bound", G_CALLBACK(OnSelectionNotice), data);
      break;
    case Kind::Memo: {
      auto& m = static_cast<Memo&>(*item.control);
      item.outer = gtk_scrolled_window_new(nullptr, nullptr);
      gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(item.outer), GTK_SHADOW_IN);
      const GtkPolicyType bars = m.ScrollBars ? GTK_POLICY_AUTOMATIC : GTK_POLICY_EXTERNAL;
      gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(item.outer), m.WordWrap ? GTK_POLICY_NEVER : bars, bars);
      item.widget = gtk_text_view_new();
      gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(item.widget), m.WordWrap ? GTK_WRAP_WORD_CHAR : GTK_WRAP_NONE);
      gtk_container_add(GTK_CONTAINER(item.outer), item.widget);
      GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(item.widget));
      g_signal_connect(buffer, "insert-text", G_CALLBACK(OnBufferInsert), data);
      g_signal_connect_swapped(buffer, "changed", G_CALLBACK(OnEditChanged), data);
      g_signal_connect_swapped(buffer, "mark-set", G_CALLBACK(OnSelectionNotice), data);
      break;
    }
    default:
      return false;
  }
  gtk_widget_add_events(item.widget, GDK_POINTER_MOTION_MASK | GDK_KEY_RELEASE_MASK);
  g_signal_connect(item.widget, "key-press-event", G_CALLBACK(OnEditKey), data);
  g_signal_connect(item.widget, "key-release-event", G_CALLBACK(OnEditKey), data);
  g_signal_connect(item.widget, "focus-in-event", G_CALLBACK(OnEditFocus), data);
  g_signal_connect(item.widget, "focus-out-event", G_CALLBACK(OnEditFocus), data);
  g_signal_connect(item.widget, "motion-notify-event", G_CALLBACK(OnEditMotion), data);
  return true;
}

std::string GtkFormPeer::WidgetText(Item& item) {
  if (GTK_IS_ENTRY(item.widget)) return gtk_entry_get_text(GTK_ENTRY(item.widget));
  if (!GTK_IS_TEXT_VIEW(item.widget)) return {};
  GtkTextBuffer* b = gtk_text_view_get_buffer(GTK_TEXT_VIEW(item.widget));
  GtkTextIter s, e;
  gtk_text_buffer_get_bounds(b, &s, &e);
  gchar* t = gtk_text_buffer_get_text(b, &s, &e, TRUE);
  std::string r = t ? t : "";
  g_free(t);
  return r;
}

void GtkFormPeer::ApplyEditText(Item& item) {
  ++updating_;
  if (auto* cb = dynamic_cast<ComboBox*>(item.control)) {
    if (cb->Editable && cb->ItemIndex() < 0 && item.widget)
      if (GtkWidget* entry = gtk_bin_get_child(GTK_BIN(item.widget)))
        gtk_entry_set_text(GTK_ENTRY(entry), Utf8(cb->Text()).c_str());
  } else if (auto* e = dynamic_cast<Edit*>(item.control); e && item.widget) {
    if (GTK_IS_ENTRY(item.widget)) {
      const std::string utf8 = Utf8(e->Text());
      if (utf8 != gtk_entry_get_text(GTK_ENTRY(item.widget))) gtk_entry_set_text(GTK_ENTRY(item.widget), utf8.c_str());
    } else {
      const std::string utf8 = MemoToUtf8(e->Text(), CodePage());
      gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(item.widget)), utf8.c_str(),
                               static_cast<gint>(utf8.size()));
    }
    item.mirrored = e->Text().size();
  }
  --updating_;
}

void GtkFormPeer::ApplyLines(Item& item) {
  auto* m = dynamic_cast<Memo*>(item.control);
  if (!m || !item.widget) return;
  const std::string& text = m->Text();
  if (item.mirrored > text.size()) {
    ApplyEditText(item);
    return;
  }
  // Appended: only the new part goes to the view, so long logs stay cheap.
  ++updating_;
  GtkTextBuffer* b = gtk_text_view_get_buffer(GTK_TEXT_VIEW(item.widget));
  GtkTextIter end;
  gtk_text_buffer_get_end_iter(b, &end);
  const std::string tail = MemoToUtf8(text.substr(item.mirrored), CodePage());
  gtk_text_buffer_insert(b, &end, tail.c_str(), static_cast<gint>(tail.size()));
  item.mirrored = text.size();
  --updating_;
}

void GtkFormPeer::ApplyEditSelection(Item& item) {
  auto* e = dynamic_cast<Edit*>(item.control);
  if (!e || !item.widget) return;
  const bool memo = e->GetKind() == Kind::Memo;
  const int start = CharOffset(e->Text(), e->SelStart(), CodePage(), memo);
  const int end = CharOffset(e->Text(), e->SelStart() + e->SelLength(), CodePage(), memo);
  ++updating_;
  if (GTK_IS_ENTRY(item.widget)) {
    gtk_editable_select_region(GTK_EDITABLE(item.widget), start, end);
  } else {
    GtkTextBuffer* b = gtk_text_view_get_buffer(GTK_TEXT_VIEW(item.widget));
    GtkTextIter s, t;
    gtk_text_buffer_get_iter_at_offset(b, &s, start);
    gtk_text_buffer_get_iter_at_offset(b, &t, end);
    gtk_text_buffer_select_range(b, &t, &s);
    gtk_text_view_scroll_mark_onscreen(GTK_TEXT_VIEW(item.widget), gtk_text_buffer_get_insert(b));
  }
  --updating_;
}

void GtkFormPeer::ApplyReadOnly(Item& item) {
  auto* e = dynamic_cast<Edit*>(item.control);
  if (!e || !item.widget) return;
  if (GTK_IS_ENTRY(item.widget)) {
    gtk_editable_set_editable(GTK_EDITABLE(item.widget), !e->ReadOnly());
  } else {
    gtk_text_view_set_editable(GTK_TEXT_VIEW(item.widget), !e->ReadOnly());
  }
}

void GtkFormPeer::SyncEditSelection(Item& item) {
  auto* e = dynamic_cast<Edit*>(item.control);
  if (!e || !item.widget) return;
  int start = 0, end = 0;
  if (GTK_IS_ENTRY(item.widget)) {
    if (!gtk_editable_get_selection_bounds(GTK_EDITABLE(item.widget), &start, &end))
      start = end = gtk_editable_get_position(GTK_EDITABLE(item.widget));
  } else {
    GtkTextBuffer* b = gtk_text_view_get_buffer(GTK_TEXT_VIEW(item.widget));
    GtkTextIter s, t;
    gtk_text_buffer_get_selection_bounds(b, &s, &t);
    start = gtk_text_iter_get_offset(&s);
    end = gtk_text_iter_get_offset(&t);
  }
  // Byte offsets of the model: the widget's text up to there, converted.
  const bool memo = e->GetKind() == Kind::Memo;
  const std::string utf8 = WidgetText(item);
  auto bytesBefore = [&](int chars) {
    const long n = g_utf8_strlen(utf8.c_str(), static_cast<gssize>(utf8.size()));
    const char* at = g_utf8_offset_to_pointer(utf8.c_str(), std::min<long>(chars, n));
    return static_cast<int>(FromWidget(std::string(utf8.c_str(), at), CodePage(), memo).text.size());
  };
  const int bs = bytesBefore(std::min(start, end)), be = bytesBefore(std::max(start, end));
  e->UserSetSelection(bs, be - bs);
}

bool GtkFormPeer::RefuseInsert(Item& item, const std::string& utf8, std::string& bytes) {
  auto* e = static_cast<Edit*>(item.control);
  const bool memo = e->GetKind() == Kind::Memo;
  CodePageText t = FromWidget(utf8, CodePage(), memo);
  bool refuse = !t.Complete();  // the code page cannot hold it: never stored as garbage
  bytes = t.text;
  if (!refuse && e->MaxLength() > 0 && !e->OnKeyPress && !e->KeyNotationInput()) {
    // MaxLength counts bytes of the code page, as the edit of Windows does.
    SyncEditSelection(item);
    const size_t after = e->Text().size() - static_cast<size_t>(e->SelLength()) + bytes.size();
    refuse = after > static_cast<size_t>(e->MaxLength());
  }
  if (refuse) Guard([this] { app_->SimpleBeep(); });
  return refuse;
}

void GtkFormPeer::TypeToModel(Item& item, const std::string& bytes) {
  // After GTK's own insertion code has run to its end (it puts the caret
  // back where it was), the model types the characters and the widget
  // shows the result.
  item.typed += bytes;
  if (g_object_get_data(G_OBJECT(item.widget), "km27-typing")) return;
  g_object_set_data(G_OBJECT(item.widget), "km27-typing", &item);
  g_idle_add_full(
      G_PRIORITY_HIGH_IDLE,
      [](gpointer w) -> gboolean {
        if (auto* it = static_cast<Item*>(RecordOf(static_cast<GtkWidget*>(w))); it && it->peer->app_) it->peer->FlushTyped(*it);
        g_object_set_data(G_OBJECT(w), "km27-typing", nullptr);
        return G_SOURCE_REMOVE;
      },
      g_object_ref(item.widget), g_object_unref);
}

void GtkFormPeer::FlushTyped(Item& item) {
  std::string bytes;
  bytes.swap(item.typed);
  if (bytes.empty()) return;
  auto* e = static_cast<Edit*>(item.control);
  SyncEditSelection(item);
  Guard([e, &bytes] { e->TypeChars(bytes); });
  if (Find(*e) != &item) return;
  ApplyEditText(item);
  ApplyEditSelection(item);
}

// ---- the user's input ----

void GtkFormPeer::OnEntryInsert(GtkEditable* w, gchar* text, gint len, gint*, gpointer data) {
  auto* item = static_cast<Item*>(data);
  GtkFormPeer* self = item->peer;
  if (self->updating_ || !self->app_) return;
  const std::string utf8(text, len < 0 ? std::strlen(text) : static_cast<size_t>(len));
  std::string bytes;
  auto* e = static_cast<Edit*>(item->control);
  if (self->RefuseInsert(*item, utf8, bytes)) {
    g_signal_stop_emission_by_name(w, "insert-text");
  } else if (e->OnKeyPress || e->KeyNotationInput()) {
    g_signal_stop_emission_by_name(w, "insert-text");
    self->TypeToModel(*item, bytes);
  }
}

void GtkFormPeer::OnBufferInsert(GtkTextBuffer* b, GtkTextIter*, gchar* text, gint len, gpointer data) {
  auto* item = static_cast<Item*>(data);
  GtkFormPeer* self = item->peer;
  if (self->updating_ || !self->app_) return;
  const std::string utf8(text, len < 0 ? std::strlen(text) : static_cast<size_t>(len));
  std::string bytes;
  auto* e = static_cast<Edit*>(item->control);
  if (self->RefuseInsert(*item, utf8, bytes)) {
    g_signal_stop_emission_by_name(b, "insert-text");
  } else if (e->OnKeyPress || e->KeyNotationInput()) {
    g_signal_stop_emission_by_name(b, "insert-text");
    // Enter in a memo is one CR for the model's typing (it makes CR LF).
    std::string typed;
    for (size_t i = 0; i < bytes.size(); ++i)
      if (!(bytes[i] == '\n' && i > 0 && bytes[i - 1] == '\r')) typed += bytes[i];
    self->TypeToModel(*item, typed);
  }
}

void GtkFormPeer::OnEditChanged(gpointer data) {
  auto* item = static_cast<Item*>(data);
  GtkFormPeer* self = item->peer;
  if (self->updating_ || !self->app_) return;
  auto* e = static_cast<Edit*>(item->control);
  CodePageText t = FromWidget(self->WidgetText(*item), self->CodePage(), e->GetKind() == Kind::Memo);
  if (!t.Complete()) {
    // Text the code page cannot hold (a U+FFFD shown for bytes it does not
    // define) never reaches the model: the model's text comes back.
    self->Guard([self] { self->app_->SimpleBeep(); });
    self->ApplyEditText(*item);
    return;
  }
  item->mirrored = t.text.size();
  self->Guard([e, &t] { e->UserSetText(t.text); });
}

void GtkFormPeer::OnSelectionNotice(gpointer data) {
  auto* item = static_cast<Item*>(data);
  if (item->peer->updating_ || !item->peer->app_ || !item->peer->realized_) return;
  item->peer->SyncEditSelection(*item);
}

gboolean GtkFormPeer::OnEditKey(GtkWidget*, GdkEventKey* ev, gpointer data) {
  auto* item = static_cast<Item*>(data);
  GtkFormPeer* self = item->peer;
  if (self->updating_ || !self->app_) return FALSE;
  auto* e = static_cast<Edit*>(item->control);
  const bool press = ev->type == GDK_KEY_PRESS;
  auto& fn = press ? e->OnKeyDown : e->OnKeyUp;
  const uint16_t vk = VirtualKey(ev->keyval, ev->hardware_keycode);
  if (fn && vk) {
    // A released key may have moved the caret or the selection.
    if (!press) self->SyncEditSelection(*item);
    uint16_t key = vk;
    const int shift = ShiftState(ev->state);
    self->Guard([&fn, &key, shift] { fn(key, shift); });
    if (key == 0) return TRUE;
  }
  if (press && (e->OnKeyPress || e->KeyNotationInput())) {
    // Keys that are characters to Windows but not to GTK's insertion.
    char ch = 0;
    if (ev->keyval == GDK_KEY_BackSpace) ch = '\b';
    if ((ev->keyval == GDK_KEY_Return || ev->keyval == GDK_KEY_KP_Enter) && e->GetKind() == Kind::Edit) ch = '\r';
    if (ch) {
      self->TypeToModel(*item, std::string(1, ch));
      return TRUE;
    }
  }
  return FALSE;
}

gboolean GtkFormPeer::OnEditFocus(GtkWidget*, GdkEventFocus* ev, gpointer data) {
  auto* item = static_cast<Item*>(data);
  GtkFormPeer* self = item->peer;
  if (!self->app_ || !self->realized_) return FALSE;
  auto* e = static_cast<Edit*>(item->control);
  // The model keeps the caret where the user left it (the key code dialog
  // inserts there when a key is clicked).
  if (!ev->in) self->SyncEditSelection(*item);
  auto& fn = ev->in ? e->OnEnter : e->OnExit;
  if (fn) self->Guard([&fn] { fn(); });
  return FALSE;
}

gboolean GtkFormPeer::OnEditMotion(GtkWidget*, GdkEventMotion* ev, gpointer data) {
  auto* item = static_cast<Item*>(data);
  GtkFormPeer* self = item->peer;
  if (!self->app_ || !self->realized_) return FALSE;
  auto* e = static_cast<Edit*>(item->control);
  if (ev->state & GDK_BUTTON1_MASK) self->SyncEditSelection(*item);
  if (e->OnMouseMove) {
    // The model counts in design pixels, as its bounds do.
    const int shift = ShiftState(ev->state), x = UnscaleLength(static_cast<int>(ev->x), self->dpi_),
              y = UnscaleLength(static_cast<int>(ev->y), self->dpi_);
    self->Guard([e, shift, x, y] { e->OnMouseMove(shift, x, y); });
  }
  return FALSE;
}

}  // namespace km27::ui
