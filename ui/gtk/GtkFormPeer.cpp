#include "ui/gtk/GtkFormPeer.h"

#include <gdk/gdkkeysyms.h>

#include <algorithm>

#include "common/TextCodec.h"
#include "ui/FormLayout.h"
#include "ui/gtk/GtkApplication.h"
#include "ui/gtk/GtkPeerSupport.h"

namespace km27::ui {

using namespace gtkpeer;

namespace {

// GDK's integer scale factor already doubles every logical pixel on a
// "2x" screen: the designed layout is scaled by what is left of the DPI.
int LayoutDpi(GtkApplication& app) {
  int scale = 1;
  if (GdkScreen* screen = gdk_screen_get_default())
    if (GdkWindow* root = gdk_screen_get_root_window(screen)) scale = std::max(1, gdk_window_get_scale_factor(root));
  return std::max(24, app.ScreenDpi() / scale);
}

}  // namespace

GtkFormPeer::GtkFormPeer(GtkApplication& app, Form& form) : app_(&app), form_(form), dpi_(LayoutDpi(app)) {
  app.AddPeer(this);
}

GtkFormPeer::~GtkFormPeer() {
  if (app_) app_->RemovePeer(this);
  // The components are gone already: nothing may reach them any more.
  realized_ = false;
  ++updating_;
  if (layoutSource_) g_source_remove(layoutSource_);
  for (auto& item : items_) {
    for (GtkWidget* w : {item->outer, item->widget, item->box, item->face})
      if (w) SetRecord(w, nullptr);
    if (item->store) g_object_unref(item->store);
  }
  if (window_) {
    g_signal_handlers_disconnect_by_data(window_, this);
    if (root_) g_signal_handlers_disconnect_by_data(root_, this);
    gtk_widget_destroy(window_);
  }
}

// ---- creation ----

void GtkFormPeer::Realize() {
  if (!app_) return;
  if (!window_) CreateFormWindow();
  for (const auto& c : form_.Components())
    if (auto* ctl = dynamic_cast<Control*>(c.get())) EnsureItem(*ctl);
  if (!realized_) {
    realized_ = true;
    for (auto& item : items_) ApplyAll(*item);
    ApplyVisibility();
    Layout();
    // The X window exists from here on, unmapped: it carries WM_CLASS.
    gtk_widget_realize(window_);
    ApplyWindowFunctions();
  }
}

void GtkFormPeer::CreateFormWindow() {
  window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  g_object_ref_sink(window_);
  // The target-window page tells the program's own windows by their class
  // (WM_CLASS), as Windows tells them by the window class name.
  const std::string cls = form_.WindowClassName.empty() ? "TKM27Form" : form_.WindowClassName;
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  gtk_window_set_wmclass(GTK_WINDOW(window_), cls.c_str(), cls.c_str());
  G_GNUC_END_IGNORE_DEPRECATIONS
  gtk_window_set_title(GTK_WINDOW(window_), Utf8(form_.Caption()).c_str());
  const bool sizeable = form_.borderStyle == Form::BorderStyle::Sizeable;
  gtk_window_set_resizable(GTK_WINDOW(window_), sizeable);
  if (form_.borderStyle == Form::BorderStyle::Dialog)
    gtk_window_set_type_hint(GTK_WINDOW(window_), GDK_WINDOW_TYPE_HINT_DIALOG);
  root_ = NewFixed();
  const Rect client = ScaledClientArea(form_, dpi_);
  gtk_widget_set_size_request(root_, client.width, client.height);
  gtk_container_add(GTK_CONTAINER(window_), root_);
  gtk_widget_show(root_);
  gtk_window_set_default_size(GTK_WINDOW(window_), client.width, client.height);
  g_signal_connect(window_, "delete-event", G_CALLBACK(OnDelete), this);
  g_signal_connect(window_, "key-press-event", G_CALLBACK(OnWindowKey), this);
  g_signal_connect(window_, "window-state-event", G_CALLBACK(OnWindowState), this);
  g_signal_connect(root_, "size-allocate", G_CALLBACK(OnRootAllocate), this);
}

void GtkFormPeer::ApplyWindowFunctions() {
  GdkWindow* w = window_ ? gtk_widget_get_window(window_) : nullptr;
  if (!w) return;
  // The window manager offers only the buttons the form has.
  int functions = GDK_FUNC_MOVE | GDK_FUNC_CLOSE;
  if (form_.borderStyle == Form::BorderStyle::Sizeable) functions |= GDK_FUNC_RESIZE;
  if (form_.MinimizeBox && form_.borderStyle != Form::BorderStyle::Dialog) functions |= GDK_FUNC_MINIMIZE;
  if (form_.MaximizeBox && form_.borderStyle == Form::BorderStyle::Sizeable) functions |= GDK_FUNC_MAXIMIZE;
  gdk_window_set_functions(w, static_cast<GdkWMFunction>(functions));
}

GtkFormPeer::Item* GtkFormPeer::EnsureItem(Control& c) {
  if (Item* it = Find(c)) return it;
  if (c.Parent() && c.Parent() != &form_) EnsureItem(*c.Parent());
  auto owned = std::make_unique<Item>();
  Item* item = owned.get();
  item->peer = this;
  item->control = &c;
  items_.push_back(std::move(owned));
  byComponent_[&c] = item;
  CreateControlWidget(*item);
  if (realized_) ApplyAll(*item);
  if (c.GetKind() == Kind::TabSheet && c.Parent())
    if (Item* pc = Find(*c.Parent()); pc && realized_) ApplyTabs(*pc);
  if (c.GetKind() == Kind::ToolButton && c.Parent())
    if (Item* bar = Find(*c.Parent()); bar && realized_) ApplyToolButtons(*bar);
  return item;
}

void GtkFormPeer::CreateControlWidget(Item& item) {
  if (!CreateButtonFamily(item) && !CreateEditFamily(item) && !CreateListFamily(item) && !CreatePageFamily(item) &&
      !CreateToolBarFamily(item))
    return;
  if (!item.outer) return;  // drawn by another control (tool buttons)
  for (GtkWidget* w : {item.outer, item.widget, item.box, item.face})
    if (w) Track(item, w);
  Place(ContainerOf(*item.control), item.outer, Rect{0, 0, 1, 1});
  if (item.widget && item.widget != item.outer) gtk_widget_show(item.widget);
}

void GtkFormPeer::Track(Item& item, GtkWidget* w) { SetRecord(w, &item); }

GtkWidget* GtkFormPeer::ContainerOf(const Control& c) {
  for (Control* p = c.Parent(); p && p != &form_; p = p->Parent())
    if (Item* it = Find(*p); it && it->box) return it->box;
  return root_;
}

// ---- mirroring the model ----

void GtkFormPeer::Changed(Component& c, Prop p) {
  if (!app_ || !realized_ || !window_) return;
  if (&c == &form_) {
    if (p == Prop::Caption) gtk_window_set_title(GTK_WINDOW(window_), Utf8(form_.Caption()).c_str());
    if (p == Prop::Font) {
      // The main window's font tells the program's code page (a language
      // file's FontCharSet); the application converts every text again.
      if (form_.IsMainForm) app_->SetCodePage(CodePageOfCharSet(form_.GetFont().charSet));
      for (auto& item : items_) ApplyStyle(*item);
    }
    return;
  }
  Item* item = Find(c);
  if (!item) {
    auto* ctl = dynamic_cast<Control*>(&c);
    if (!ctl) {
      // An action changed: its tool buttons follow it.
      if (c.GetKind() == Kind::Action)
        for (auto& it : items_)
          if (it->control->GetKind() == Kind::ToolBar) ApplyToolButtons(*it);
      return;
    }
    EnsureItem(*ctl);
    ApplyVisibility();
    Layout();
    return;
  }
  Apply(*item, p);
}

void GtkFormPeer::ApplyAllTexts() {
  if (!realized_ || !window_) return;
  gtk_window_set_title(GTK_WINDOW(window_), Utf8(form_.Caption()).c_str());
  for (auto& item : items_) {
    ++updating_;
    ApplyText(*item);
    ApplyItems(*item);
    ApplyStyle(*item);  // the font family follows the code page
    ApplyTooltip(*item);
    switch (item->control->GetKind()) {
      case Kind::ListView: ApplyColumns(*item); ApplyRows(*item); break;
      case Kind::PageControl: ApplyTabs(*item); break;
      case Kind::ToolBar: ApplyToolButtons(*item); break;
      default: break;
    }
    --updating_;
  }
}

void GtkFormPeer::ApplyAll(Item& item) {
  ++updating_;
  Control& c = *item.control;
  if (item.outer) gtk_widget_set_sensitive(item.outer, c.Enabled());
  ApplyStyle(item);
  switch (c.GetKind()) {
    case Kind::Edit:
    case Kind::Memo:
      ApplyText(item);
      ApplyReadOnly(item);
      ApplyEditSelection(item);
      break;
    case Kind::CheckBox:
    case Kind::SpeedButton:
      ApplyText(item);
      ApplyChecked(item);
      ApplyButtonImage(item);
      break;
    case Kind::RadioGroup:
    case Kind::ComboBox:
    case Kind::ListBox:
    case Kind::TabControl:
      ApplyText(item);
      ApplyItems(item);
      break;
    case Kind::ListView:
      ApplyColumns(item);
      ApplyRows(item);
      break;
    case Kind::PageControl:
      ApplyTabs(item);
      break;
    case Kind::ToolBar:
      ApplyToolButtons(item);
      break;
    default:
      ApplyText(item);
      break;
  }
  ApplyTooltip(item);
  ApplyCursor(item);
  --updating_;
}

void GtkFormPeer::Apply(Item& item, Prop p) {
  Control& c = *item.control;
  if (c.GetKind() == Kind::ToolButton || (c.GetKind() == Kind::ToolBar && p != Prop::Visible && p != Prop::Bounds)) {
    Item* bar = c.GetKind() == Kind::ToolBar ? &item : (c.Parent() ? Find(*c.Parent()) : nullptr);
    if (bar) ApplyToolButtons(*bar);
    if (p != Prop::Font) return;
  }
  ++updating_;
  switch (p) {
    case Prop::Caption:
    case Prop::Text:
      if (c.GetKind() == Kind::TabSheet) {
        if (Item* pc = c.Parent() ? Find(*c.Parent()) : nullptr) ApplyTabs(*pc);
      } else {
        ApplyText(item);
      }
      break;
    case Prop::Hint:
    case Prop::ShowHint:
      ApplyTooltip(item);
      break;
    case Prop::Enabled:
      if (item.outer) gtk_widget_set_sensitive(item.outer, c.Enabled());
      break;
    case Prop::TabVisible:
    case Prop::ActivePage:
      if (c.GetKind() == Kind::PageControl) {
        ApplyTabs(item);
      } else if (Item* pc = c.Parent() ? Find(*c.Parent()) : nullptr) {
        ApplyTabs(*pc);
      }
      ApplyVisibility();
      break;
    case Prop::Visible:
      ApplyVisibility();
      break;
    case Prop::Bounds:
    case Prop::Pen:
      Layout();
      if (item.widget) gtk_widget_queue_draw(item.widget);
      break;
    case Prop::Font:
      for (auto& other : items_) ApplyStyle(*other);
      break;
    case Prop::Color:
      ApplyStyle(item);
      break;
    case Prop::Cursor:
      ApplyCursor(item);
      break;
    case Prop::Checked:
    case Prop::Down:
      if (c.GetKind() == Kind::ListView)
        ApplyRows(item);
      else
        ApplyChecked(item);
      break;
    case Prop::Items:
      ApplyItems(item);
      break;
    case Prop::ItemIndex:
      ApplyItemIndex(item);
      break;
    case Prop::Lines:
      ApplyLines(item);
      break;
    case Prop::Selection:
      if (c.GetKind() == Kind::ListView)
        ApplyListSelection(item);
      else
        ApplyEditSelection(item);
      break;
    case Prop::ReadOnly:
      ApplyReadOnly(item);
      break;
    case Prop::Columns:
      ApplyColumns(item);
      ApplyRows(item);
      break;
    case Prop::Rows:
    case Prop::CheckBoxes:
    case Prop::Images:
      if (c.GetKind() == Kind::ListView) {
        ApplyColumns(item);
        ApplyRows(item);
      }
      break;
    case Prop::ImageIndex:
      if (c.GetKind() == Kind::ListView) ApplyRows(item);
      if (c.GetKind() == Kind::SpeedButton) ApplyButtonImage(item);
      break;
    case Prop::Parent:
      // The widget moves into the new parent's container.
      if (item.outer) {
        GtkWidget* to = ContainerOf(c);
        if (gtk_widget_get_parent(item.outer) != to) {
          g_object_ref(item.outer);
          gtk_container_remove(GTK_CONTAINER(gtk_widget_get_parent(item.outer)), item.outer);
          Place(to, item.outer, Rect{0, 0, 1, 1});
          g_object_unref(item.outer);
        }
      }
      ApplyStyle(item);
      ApplyVisibility();
      Layout();
      break;
    default:  // MaxLength, InputFilter, Range, Position: the model checks them
      break;
  }
  --updating_;
}

void GtkFormPeer::ApplyText(Item& item) {
  Control& c = *item.control;
  ++updating_;
  switch (c.GetKind()) {
    case Kind::Edit:
    case Kind::Memo:
    case Kind::ComboBox:
      ApplyEditText(item);
      break;
    case Kind::Label:
    case Kind::Panel:
      if (item.face) gtk_label_set_text(GTK_LABEL(item.face), Utf8(c.Caption()).c_str());
      break;
    case Kind::GroupBox:
    case Kind::RadioGroup:
      if (item.widget) {
        const std::string caption = Utf8(c.Caption());
        gtk_frame_set_label(GTK_FRAME(item.widget), caption.empty() ? nullptr : caption.c_str());
      }
      break;
    case Kind::Button:
    case Kind::SpeedButton:
    case Kind::CheckBox:
      if (item.face) gtk_label_set_text(GTK_LABEL(item.face), Utf8(c.Caption()).c_str());
      break;
    default:
      break;
  }
  --updating_;
}

void GtkFormPeer::ApplyItems(Item& item) {
  ++updating_;
  switch (item.control->GetKind()) {
    case Kind::ComboBox:
    case Kind::ListBox:
      ApplyListItems(item);
      break;
    case Kind::TabControl:
      ApplyTabItems(item);
      break;
    case Kind::RadioGroup:
      ApplyRadioItems(item);
      break;
    default:
      break;
  }
  ApplyItemIndex(item);
  --updating_;
}

void GtkFormPeer::ApplyItemIndex(Item& item) {
  ++updating_;
  switch (item.control->GetKind()) {
    case Kind::ComboBox:
    case Kind::ListBox:
      ApplyListIndex(item);
      break;
    case Kind::TabControl:
      ApplyTabIndex(item);
      break;
    case Kind::RadioGroup:
      ApplyRadioIndex(item);
      break;
    default:
      break;
  }
  --updating_;
}

// ---- lookups ----

GtkFormPeer::Item* GtkFormPeer::Find(const Component& c) const {
  auto it = byComponent_.find(&c);
  return it == byComponent_.end() ? nullptr : it->second;
}

GtkWidget* GtkFormPeer::ControlWidget(const Component& c) const {
  Item* item = Find(c);
  return item ? item->outer : nullptr;
}

GtkWidget* GtkFormPeer::InputWidget(const Component& c) const {
  Item* item = Find(c);
  if (!item) return nullptr;
  return item->widget ? item->widget : item->outer;
}

// ---- show, focus, menus ----

void GtkFormPeer::ShowChanged(bool showing) {
  if (!app_) return;
  if (showing) {
    Realize();
    if (!window_) return;
    if (!placed_) {
      PlaceOnFirstShow();
      placed_ = true;
    }
    ++showing_;
    gtk_window_set_modal(GTK_WINDOW(window_), form_.Modal());
    if (form_.Modal()) {
      if (GtkWindow* main = app_->MainWindow(); main && GTK_WIDGET(main) != window_ && gtk_widget_get_visible(GTK_WIDGET(main)))
        gtk_window_set_transient_for(GTK_WINDOW(window_), main);
    }
    gtk_widget_show(window_);
    gtk_window_present(GTK_WINDOW(window_));
    --showing_;
  } else if (window_) {
    ++showing_;
    gtk_widget_hide(window_);
    gtk_window_set_modal(GTK_WINDOW(window_), FALSE);
    gtk_window_set_transient_for(GTK_WINDOW(window_), nullptr);
    --showing_;
  }
  g_main_context_wakeup(nullptr);  // a modal loop waiting for this form looks again
}

void GtkFormPeer::BringToFront() {
  if (!app_) return;
  Realize();
  if (!window_ || !gtk_widget_get_visible(window_)) return;
  gtk_window_deiconify(GTK_WINDOW(window_));
  gtk_window_present(GTK_WINDOW(window_));
}

void GtkFormPeer::SetFocus(Control& c) {
  if (!app_ || !realized_) return;
  if (GtkWidget* w = InputWidget(c)) gtk_widget_grab_focus(w);
}

void GtkFormPeer::Popup(PopupMenu& m, int x, int y) {
  if (!app_) return;
  GtkWidget* menu = gtk_menu_new();
  for (MenuItem* mi : m.Items()) {
    if (!mi->Visible()) continue;
    if (mi->Caption() == "-") {
      gtk_menu_shell_append(GTK_MENU_SHELL(menu), gtk_separator_menu_item_new());
      continue;
    }
    GtkWidget* w = gtk_menu_item_new_with_label(Utf8(mi->Caption()).c_str());
    if (mi->Default) {
      // The default command stands out in bold, as on Windows.
      GtkWidget* label = gtk_bin_get_child(GTK_BIN(w));
      char* markup = g_markup_printf_escaped("<b>%s</b>", Utf8(mi->Caption()).c_str());
      gtk_label_set_markup(GTK_LABEL(label), markup);
      g_free(markup);
    }
    gtk_widget_set_sensitive(w, mi->Enabled());
    g_object_set_data(G_OBJECT(w), "km27-menu-item", mi);
    g_signal_connect(w, "activate", G_CALLBACK(+[](GtkWidget* w, gpointer self) {
                       auto* mi = static_cast<MenuItem*>(g_object_get_data(G_OBJECT(w), "km27-menu-item"));
                       auto* peer = static_cast<GtkFormPeer*>(self);
                       if (mi && peer->app_) peer->Guard([mi] { mi->Click(); });
                     }),
                     this);
    gtk_menu_shell_append(GTK_MENU_SHELL(menu), w);
  }
  gtk_widget_show_all(menu);
  g_object_ref_sink(menu);
  // The menu runs until it closes, as TrackPopupMenu does.
  GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  gulong done = g_signal_connect_swapped(menu, "deactivate", G_CALLBACK(g_main_loop_quit), loop);
  GdkRectangle at{x, y, 1, 1};
  gtk_menu_popup_at_rect(GTK_MENU(menu), gdk_get_default_root_window(), &at, GDK_GRAVITY_NORTH_WEST,
                         GDK_GRAVITY_NORTH_WEST, nullptr);
  if (gtk_widget_get_visible(menu)) g_main_loop_run(loop);
  g_signal_handler_disconnect(menu, done);
  g_main_loop_unref(loop);
  // Activation comes after deactivate: let it run before the menu goes.
  for (int i = 0; i < 100 && g_main_context_iteration(nullptr, FALSE); ++i) {
  }
  gtk_widget_destroy(menu);
  g_object_unref(menu);
}

void GtkFormPeer::Minimize() {
  if (!window_) return;
  ++showing_;
  gtk_window_iconify(GTK_WINDOW(window_));
  --showing_;
}

void GtkFormPeer::Restore() {
  if (!window_) return;
  ++showing_;
  gtk_window_deiconify(GTK_WINDOW(window_));
  --showing_;
}

size_t GtkFormPeer::TextLimit(Control& c) {
  // A text view has no limit of its own, but each append to a huge buffer
  // costs more: the monitor starts over at 1 MiB, as a full edit control of
  // Windows makes it do.
  return c.GetKind() == Kind::Memo ? size_t{1} << 20 : 0;
}

void GtkFormPeer::Guard(const std::function<void()>& fn) {
  if (app_) {
    app_->Guard(fn);
    return;
  }
  try {
    fn();
  } catch (...) {
  }
}

// ---- the window's own input ----

gboolean GtkFormPeer::OnDelete(GtkWidget*, GdkEvent*, gpointer data) {
  auto* self = static_cast<GtkFormPeer*>(data);
  // The model decides: a close query may refuse, a dialog only hides.
  if (self->app_) self->Guard([self] { self->form_.Close(); });
  return TRUE;
}

Button* GtkFormPeer::DialogButton(bool isDefault) {
  for (auto& item : items_) {
    auto* b = dynamic_cast<Button*>(item->control);
    if (b && (isDefault ? b->Default : b->Cancel) && b->Enabled() && item->outer &&
        gtk_widget_is_visible(item->outer))
      return b;
  }
  return nullptr;
}

gboolean GtkFormPeer::OnWindowKey(GtkWidget*, GdkEventKey* ev, gpointer data) {
  auto* self = static_cast<GtkFormPeer*>(data);
  if (!self->app_ || !self->realized_) return FALSE;
  const bool enter = ev->keyval == GDK_KEY_Return || ev->keyval == GDK_KEY_KP_Enter;
  const bool esc = ev->keyval == GDK_KEY_Escape;
  if (!enter && !esc) return FALSE;
  // Enter presses the default button and Esc the cancel button, as the
  // dialog keys of Windows do; a focused button or memo keeps Enter.
  GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(self->window_));
  if (enter && focus && (GTK_IS_BUTTON(focus) || GTK_IS_TEXT_VIEW(focus))) return FALSE;
  Button* b = self->DialogButton(enter);
  if (!b) return FALSE;
  self->Guard([b] { b->Click(); });
  return TRUE;
}

gboolean GtkFormPeer::OnWindowState(GtkWidget*, GdkEventWindowState* ev, gpointer data) {
  auto* self = static_cast<GtkFormPeer*>(data);
  if (!self->app_ || self->showing_ || !(ev->changed_mask & GDK_WINDOW_STATE_ICONIFIED)) return FALSE;
  // Minimized or restored by the window manager: the model follows.
  const bool iconified = (ev->new_window_state & GDK_WINDOW_STATE_ICONIFIED) != 0;
  if (iconified != self->form_.Minimized())
    self->Guard([self, iconified] { iconified ? self->form_.Minimize() : self->form_.Restore(); });
  return FALSE;
}

void GtkFormPeer::OnRootAllocate(GtkWidget*, GdkRectangle* a, gpointer data) {
  auto* self = static_cast<GtkFormPeer*>(data);
  if (!self->realized_ || (a->width == self->laidWidth_ && a->height == self->laidHeight_)) return;
  // The window grew or shrank: anchored controls follow.
  self->QueueLayout();
}

void GtkFormPeer::QueueLayout() {
  if (layoutSource_) return;
  layoutSource_ = g_idle_add(
      [](gpointer p) -> gboolean {
        auto* s = static_cast<GtkFormPeer*>(p);
        s->layoutSource_ = 0;
        s->Layout();
        return G_SOURCE_REMOVE;
      },
      this);
}

}  // namespace km27::ui
