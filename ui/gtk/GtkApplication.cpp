#include "ui/gtk/GtkApplication.h"

#include <gdk/gdkx.h>
#include <pango/pangocairo.h>
// X11 names that clash with the model's.
#undef None
#undef Status

#include <algorithm>
#include <cstdlib>
#include <exception>

#include "common/CodePage.h"
#include "common/TextCodec.h"
#include "ui/gtk/GtkFormPeer.h"
#include "ui/gtk/GtkPeerSupport.h"

namespace km27::ui {

namespace {

// Windows are designed for 8-9 pt fonts in tight bounds; the theme's roomy
// paddings and minimum heights would not fit them. Every control gets small
// paddings and no minimum size of its own: the layout gives each its bounds.
constexpr const char* kCompactCss = R"CSS(
button { padding: 0 4px; min-height: 0; min-width: 0; }
button.image-button { padding: 0; }
entry { padding: 0 3px; min-height: 0; }
spinbutton button { padding: 0; min-width: 0; }
combobox button, combobox entry { padding-top: 0; padding-bottom: 0; min-height: 0; }
checkbutton, radiobutton { padding: 0; min-height: 0; }
check, radio { min-width: 12px; min-height: 12px; margin: 0 4px 0 0; }
notebook > header > tabs > tab { padding: 1px 6px; min-height: 0; min-width: 0; }
notebook > header.top > tabs > tab { margin: 0; }
treeview.view header button { padding: 0 4px; min-height: 0; }
frame > label { margin: 0 2px; }
toolbar { padding: 0; }
.km27-toolbutton { padding: 0; }
.km27-updown button { padding: 0; min-height: 0; min-width: 0; }
)CSS";

// Shift-JIS lead bytes for the model while the program's code page is 932.
const CodePage932 kCodePage932;

struct TimerSource {
  GtkApplication* app;
  Timer* timer;
  guint id = 0;
};

int ReadScreenDpi() {
  // A resolution set for this program (screenshots, tests) wins.
  if (const char* forced = std::getenv("KM27_SCREEN_DPI")) {
    int v = std::atoi(forced);
    if (v >= 48 && v <= 480) return v;
  }
  GdkDisplay* display = gdk_display_get_default();
  if (display && GDK_IS_X11_DISPLAY(display)) {
    // Xft.dpi is the resolution the desktop chose for fonts; GDK's integer
    // scale factor is applied apart from it (GtkFormPeer::LayoutDpi).
    if (const char* xft = XGetDefault(gdk_x11_display_get_xdisplay(display), "Xft", "dpi")) {
      double v = std::atof(xft);
      if (v >= 48 && v <= 480) return static_cast<int>(v + 0.5);
    }
  }
  double r = gdk_screen_get_resolution(gdk_screen_get_default());
  if (r >= 48 && r <= 480) return static_cast<int>(r + 0.5);
  return 96;
}

}  // namespace

GtkApplication::GtkApplication(int* argc, char*** argv) : uiThread_(std::this_thread::get_id()) {
  // XTEST, EWMH and WM_CLASS are X11's; a Wayland session has XWayland.
  gdk_set_allowed_backends("x11");
  if (!gtk_init_check(argc, argv)) {
    const char* name = std::getenv("DISPLAY");
    throw DisplayError(std::string("Cannot open the X display") + (name && *name ? std::string(" ") + name : "") +
                       (name && *name ? "" : " (DISPLAY is not set)") + ": the program needs an X11 or XWayland session.");
  }
  dpi_ = ReadScreenDpi();
  css_ = gtk_css_provider_new();
  gtk_css_provider_load_from_data(css_, kCompactCss, -1, nullptr);
  gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(css_),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

GtkApplication::~GtkApplication() {
  for (GtkFormPeer* p : peers_) p->Detach();
  for (auto& [timer, slot] : timers_)
    if (slot.source) g_source_remove(slot.source);
  timers_.clear();
  if (realizeSource_) g_source_remove(realizeSource_);
  if (css_) {
    gtk_style_context_remove_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(css_));
    g_object_unref(css_);
  }
  if (AppOrNull() == this) SetApp(nullptr);
  SetAnsiCodePage(nullptr);
}

int GtkApplication::Run() {
  while (!terminated_) g_main_context_iteration(nullptr, TRUE);
  return exitCode_;
}

void GtkApplication::SetCodePage(int codePage) {
  if (codePage == codePage_) return;
  codePage_ = codePage;
  SetAnsiCodePage(codePage == 932 ? &kCodePage932 : nullptr);
  // Every text on screen was converted from the old code page.
  for (GtkFormPeer* p : peers_) p->ApplyAllTexts();
}

// ---- IApplication ----

void GtkApplication::ProcessMessages() {
  // Callers pump in a loop while they wait for the reader: when nothing is
  // pending, wait up to a millisecond for something instead of spinning.
  if (!g_main_context_pending(nullptr)) {
    guint wake = g_timeout_add(1, [](gpointer) -> gboolean { return G_SOURCE_REMOVE; }, nullptr);
    g_main_context_iteration(nullptr, TRUE);
    if (GSource* s = g_main_context_find_source_by_id(nullptr, wake)) g_source_destroy(s);
  }
  for (int i = 0; i < 1000 && g_main_context_iteration(nullptr, FALSE); ++i) {
  }
}

uint32_t GtkApplication::TickCount() { return static_cast<uint32_t>(g_get_monotonic_time() / 1000); }

void GtkApplication::StopTimer(Timer& timer) {
  auto it = timers_.find(&timer);
  if (it == timers_.end() || !it->second.source) return;
  // Safe inside the timer's own callback: GLib ends the source when it returns.
  if (GSource* s = g_main_context_find_source_by_id(nullptr, it->second.source)) g_source_destroy(s);
  it->second.source = 0;
}

void GtkApplication::TimerChanged(Timer& timer) {
  StopTimer(timer);
  if (!timer.Running()) {
    auto it = timers_.find(&timer);
    if (it != timers_.end() && !it->second.firing) timers_.erase(it);
    return;
  }
  // Setting a running timer again restarts its interval, as on Windows.
  auto* src = new TimerSource{this, &timer};
  src->id = g_timeout_add_full(G_PRIORITY_DEFAULT, timer.Interval(), OnTimer, src,
                               [](gpointer p) { delete static_cast<TimerSource*>(p); });
  timers_[&timer].source = src->id;
}

void GtkApplication::TimerDestroyed(Timer& timer) {
  StopTimer(timer);
  timers_.erase(&timer);
}

gboolean GtkApplication::OnTimer(gpointer data) {
  auto* src = static_cast<TimerSource*>(data);
  GtkApplication* self = src->app;
  auto it = self->timers_.find(src->timer);
  if (it == self->timers_.end() || it->second.source != src->id) return G_SOURCE_REMOVE;
  // A handler that pumps messages must not see its own timer fire again.
  if (it->second.firing) return G_SOURCE_CONTINUE;
  it->second.firing = true;
  Timer* timer = src->timer;
  const guint id = src->id;
  self->Guard([timer] { timer->Fire(); });
  // The handler may have stopped, restarted or destroyed its timer.
  it = self->timers_.find(timer);
  if (it == self->timers_.end()) return G_SOURCE_REMOVE;
  it->second.firing = false;
  if (it->second.source != id) {
    if (!it->second.source && !timer->Running()) self->timers_.erase(it);
    return G_SOURCE_REMOVE;
  }
  return G_SOURCE_CONTINUE;
}

IFormPeer* GtkApplication::CreatePeer(Form& form) {
  auto* peer = new GtkFormPeer(*this, form);
  // Forms that stay hidden get their (unmapped) window at the next turn of
  // the loop, so a hidden main window can still be found by its class.
  if (!realizeSource_)
    realizeSource_ = g_idle_add(
        [](gpointer p) -> gboolean {
          auto* self = static_cast<GtkApplication*>(p);
          self->realizeSource_ = 0;
          self->RealizePending();
          return G_SOURCE_REMOVE;
        },
        this);
  return peer;
}

void GtkApplication::RealizePending() {
  std::vector<GtkFormPeer*> peers(peers_.begin(), peers_.end());
  for (GtkFormPeer* p : peers)
    if (peers_.count(p)) p->Realize();
}

void GtkApplication::RunModal(Form& form) {
  auto* peer = dynamic_cast<GtkFormPeer*>(form.Peer());
  if (!peer) return;
  peer->Realize();
  // The other forms take no input meanwhile, as on Windows.
  std::vector<GtkWidget*> disabled;
  for (GtkFormPeer* p : peers_) {
    GtkWidget* w = p->Window();
    if (p == peer || !w || !gtk_widget_get_sensitive(w)) continue;
    gtk_widget_set_sensitive(w, FALSE);
    g_object_ref(w);
    disabled.push_back(w);
  }
  while (form.Showing() && !terminated_) g_main_context_iteration(nullptr, TRUE);
  for (GtkWidget* w : disabled) {
    gtk_widget_set_sensitive(w, TRUE);
    g_object_unref(w);
  }
  if (form.Showing()) form.Hide();
}

void GtkApplication::Beep() { gdk_display_beep(gdk_display_get_default()); }

void GtkApplication::SimpleBeep() { Beep(); }

void GtkApplication::SetTitle(const std::string& title) {
  title_ = title;
  g_set_application_name(gtkpeer::ToUtf8(title, codePage_).c_str());
}

void GtkApplication::Terminate() {
  terminated_ = true;
  g_main_context_wakeup(nullptr);
}

void GtkApplication::SendSync(std::function<void()> fn) {
  if (std::this_thread::get_id() == uiThread_) {
    fn();
    return;
  }
  struct Call {
    GtkApplication* app = nullptr;
    std::function<void()>* fn = nullptr;
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
  } call;
  call.app = this;
  call.fn = &fn;
  g_main_context_invoke(
      nullptr,
      [](gpointer p) -> gboolean {
        auto* c = static_cast<Call*>(p);
        c->app->Guard(*c->fn);
        std::lock_guard<std::mutex> lock(c->m);
        c->done = true;
        c->cv.notify_one();
        return G_SOURCE_REMOVE;
      },
      &call);
  std::unique_lock<std::mutex> lock(call.m);
  call.cv.wait(lock, [&call] { return call.done; });
}

MsgResult GtkApplication::ShowMessageBox(const std::string& text, const std::string& caption, MsgIcon icon,
                                         MsgButtons buttons) {
  GtkMessageType type = GTK_MESSAGE_OTHER;
  switch (icon) {
    case MsgIcon::Information: type = GTK_MESSAGE_INFO; break;
    case MsgIcon::Confirmation: type = GTK_MESSAGE_QUESTION; break;
    case MsgIcon::Warning: type = GTK_MESSAGE_WARNING; break;
    case MsgIcon::None: break;
  }
  GtkWindow* owner = ActiveWindow();
  GtkWidget* box = gtk_message_dialog_new(owner, GTK_DIALOG_MODAL, type, GTK_BUTTONS_NONE, "%s",
                                          gtkpeer::ToUtf8(text, codePage_).c_str());
  if (!box) return MsgResult::None;
  gtk_window_set_title(GTK_WINDOW(box), gtkpeer::ToUtf8(caption, codePage_).c_str());
  gtk_window_set_position(GTK_WINDOW(box), owner ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
  gtk_window_set_keep_above(GTK_WINDOW(box), owner == nullptr);
  GtkDialog* d = GTK_DIALOG(box);
  switch (buttons) {
    case MsgButtons::OK:
      gtk_dialog_add_button(d, "_OK", GTK_RESPONSE_OK);
      break;
    case MsgButtons::OKCancel:
      gtk_dialog_add_buttons(d, "_OK", GTK_RESPONSE_OK, "_Cancel", GTK_RESPONSE_CANCEL, nullptr);
      break;
    case MsgButtons::YesNoCancel:
      gtk_dialog_add_buttons(d, "_Yes", GTK_RESPONSE_YES, "_No", GTK_RESPONSE_NO, "_Cancel", GTK_RESPONSE_CANCEL,
                             nullptr);
      break;
  }
  gtk_dialog_set_default_response(d, buttons == MsgButtons::YesNoCancel ? GTK_RESPONSE_YES : GTK_RESPONSE_OK);
  // Destroyed from outside while it runs (the program ends): no button.
  g_object_ref(box);
  const gint response = gtk_dialog_run(d);
  gtk_widget_destroy(box);
  g_object_unref(box);
  switch (response) {
    case GTK_RESPONSE_OK: return MsgResult::OK;
    case GTK_RESPONSE_CANCEL: return MsgResult::Cancel;
    case GTK_RESPONSE_YES: return MsgResult::Yes;
    case GTK_RESPONSE_NO: return MsgResult::No;
    default: return MsgResult::None;
  }
}

// ---- for the peers ----

GtkWindow* GtkApplication::MainWindow() const {
  for (GtkFormPeer* p : peers_)
    if (p->GetForm().IsMainForm && p->Window()) return GTK_WINDOW(p->Window());
  return nullptr;
}

GtkWindow* GtkApplication::ActiveWindow() const {
  for (GtkFormPeer* p : peers_)
    if (p->Window() && gtk_widget_get_visible(p->Window()) && gtk_window_is_active(GTK_WINDOW(p->Window())))
      return GTK_WINDOW(p->Window());
  for (GtkFormPeer* p : peers_)
    if (p->Window() && p->GetForm().Modal() && gtk_widget_get_visible(p->Window())) return GTK_WINDOW(p->Window());
  return nullptr;
}

const std::vector<std::string>& GtkApplication::InstalledFamilies() {
  if (!families_.empty()) return families_;
  PangoFontFamily** list = nullptr;
  int n = 0;
  pango_font_map_list_families(pango_cairo_font_map_get_default(), &list, &n);
  for (int i = 0; i < n; ++i) families_.push_back(pango_font_family_get_name(list[i]));
  g_free(list);
  if (families_.empty()) families_.push_back("Sans");
  return families_;
}

void GtkApplication::Guard(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const std::exception& e) {
    MessageBox(e.what(), title_, MsgIcon::Warning, MsgButtons::OK);
  } catch (...) {
    MessageBox("Unexpected error", title_, MsgIcon::Warning, MsgButtons::OK);
  }
}

}  // namespace km27::ui
