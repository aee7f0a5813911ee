#include "ui/win32/Win32FormPeer.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>

#include "ui/FormLayout.h"
#include "ui/win32/Win32Application.h"
#include "ui/win32/Win32PeerSupport.h"

namespace km27::ui {

using namespace win32peer;

namespace {

constexpr UINT kSyncShowMessage = WM_APP + 10;  // the window was shown or hidden from outside

}  // namespace

Win32FormPeer::Win32FormPeer(Win32Application& app, Form& form) : app_(&app), form_(form), dpi_(app.ScreenDpi()) {
  app.AddPeer(this);
}

Win32FormPeer::~Win32FormPeer() {
  if (app_) app_->RemovePeer(this);
  // The components are gone already: nothing may reach them any more.
  realized_ = false;
  if (hwnd_) {
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
  for (auto& item : items_)
    if (item->images) ImageList_Destroy(item->images);
  for (auto& [key, font] : fonts_) DeleteObject(font);
  for (auto& [color, brush] : brushes_) DeleteObject(brush);
}

// ---- creation ----

void Win32FormPeer::Realize() {
  if (!app_) return;
  if (!hwnd_) CreateFormWindow();
  if (!hwnd_) return;
  for (const auto& c : form_.Components())
    if (auto* ctl = dynamic_cast<Control*>(c.get())) EnsureItem(*ctl);
  if (!realized_) {
    realized_ = true;
    ApplyVisibility();
    FixZOrder();
    Layout();
  }
}

void Win32FormPeer::CreateFormWindow() {
  DWORD style = 0, ex = 0;
  switch (form_.borderStyle) {
    case Form::BorderStyle::Sizeable:
      style = WS_OVERLAPPEDWINDOW;
      if (!form_.MaximizeBox) style &= ~static_cast<DWORD>(WS_MAXIMIZEBOX);
      if (!form_.MinimizeBox) style &= ~static_cast<DWORD>(WS_MINIMIZEBOX);
      break;
    case Form::BorderStyle::Single:
      style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
      if (form_.MinimizeBox) style |= WS_MINIMIZEBOX;
      if (form_.MaximizeBox) style |= WS_MAXIMIZEBOX;
      break;
    case Form::BorderStyle::Dialog:
      style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
      ex = WS_EX_DLGMODALFRAME;
      break;
  }
  const Rect client = ScaledClientArea(form_, dpi_);
  RECT r{0, 0, client.width, client.height};
  AdjustWindowRectEx(&r, style, FALSE, ex);
  const char* cls = app_->FormClass(form_.WindowClassName.empty() ? "TKM27Form" : form_.WindowClassName, FormProc);
  CreateWindowExA(ex, cls, form_.Caption().c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left,
                  r.bottom - r.top, nullptr, nullptr, app_->Instance(), this);
  if (!hwnd_) return;
  tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, app_->Instance(), nullptr);
  if (tooltip_) Send(tooltip_, TTM_SETMAXTIPWIDTH, 0, 400);
}

Win32FormPeer::Item* Win32FormPeer::EnsureItem(Control& c) {
  if (Item* it = Find(c)) return it;
  if (c.Parent() && c.Parent() != &form_) EnsureItem(*c.Parent());
  auto owned = std::make_unique<Item>();
  Item* item = owned.get();
  item->control = &c;
  items_.push_back(std::move(owned));
  byComponent_[&c] = item;
  CreateControlWindow(*item);
  ApplyAll(*item);
  if (c.GetKind() == Kind::TabSheet && c.Parent())
    if (Item* pc = Find(*c.Parent())) ApplyTabs(*pc);
  if (c.GetKind() == Kind::ToolButton && c.Parent())
    if (Item* bar = Find(*c.Parent())) ApplyToolButtons(*bar);
  return item;
}

void Win32FormPeer::CreateControlWindow(Item& item) {
  Control& c = *item.control;
  WindowShape shape;
  if (!ButtonWindowShape(c, shape) && !EditWindowShape(c, shape) && !ListWindowShape(c, shape) && !PageWindowShape(c, shape) &&
      !ToolBarWindowShape(c, shape))
    return;
  if (!shape.cls) return;  // tab sheets and components without a window
  item.id = nextId_++;
  item.hwnd = CreateWindowExA(shape.ex, shape.cls, "", WS_CHILD | WS_CLIPSIBLINGS | shape.style, 0, 0, 0, 0, hwnd_,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(item.id)), app_->Instance(), nullptr);
  if (!item.hwnd) return;
  byWindow_[item.hwnd] = &item;
  if (shape.subclass) SetWindowSubclass(item.hwnd, ControlSubclass, 1, reinterpret_cast<DWORD_PTR>(this));
  if (c.GetKind() == Kind::GroupBox || c.GetKind() == Kind::RadioGroup)
    SetWindowSubclass(item.hwnd, GroupSubclass, 1, reinterpret_cast<DWORD_PTR>(this));
  if (c.GetKind() == Kind::Memo) Send(item.hwnd, EM_SETLIMITTEXT, 0, 0);  // as much as the control can hold
}

// ---- mirroring the model ----

void Win32FormPeer::Changed(Component& c, Prop p) {
  if (!app_ || !realized_ || !hwnd_) return;
  if (&c == &form_) {
    if (p == Prop::Caption) SetWindowTextA(hwnd_, form_.Caption().c_str());
    if (p == Prop::Font)
      for (auto& item : items_) ApplyFont(*item);
    return;
  }
  Item* item = Find(c);
  if (!item) {
    auto* ctl = dynamic_cast<Control*>(&c);
    if (!ctl) return;  // timers, actions and menus have no window
    EnsureItem(*ctl);
    ApplyVisibility();
    FixZOrder();
    Layout();
    return;
  }
  Apply(*item, p);
}

void Win32FormPeer::ApplyAll(Item& item) {
  ++updating_;
  Control& c = *item.control;
  if (item.hwnd) {
    ApplyFont(item);
    EnableWindow(item.hwnd, c.Enabled());
  }
  switch (c.GetKind()) {
    case Kind::Edit:
    case Kind::Memo:
      ApplyText(item);
      Apply(item, Prop::ReadOnly);
      Apply(item, Prop::MaxLength);
      ApplyInputFilter(item);
      break;
    case Kind::CheckBox:
      ApplyText(item);
      Apply(item, Prop::Checked);
      break;
    case Kind::SpeedButton:
      ApplyText(item);
      Apply(item, Prop::Checked);
      ApplyButtonImage(item);
      break;
    case Kind::RadioGroup:
      ApplyText(item);
      ApplyItems(item);
      break;
    case Kind::ComboBox:
    case Kind::ListBox:
    case Kind::TabControl:
      ApplyItems(item);
      break;
    case Kind::ListView:
      if (item.hwnd) {
        ApplyListStyle(item);
        ApplySmallImages(item);
      }
      ApplyColumns(item);
      ApplyRows(item);
      break;
    case Kind::PageControl:
      ApplyTabs(item);
      break;
    case Kind::ToolBar:
      ApplyToolButtons(item);
      break;
    case Kind::UpDown:
      Apply(item, Prop::Range);
      break;
    default:
      ApplyText(item);
      break;
  }
  ApplyTooltip(item);
  --updating_;
}

void Win32FormPeer::Apply(Item& item, Prop p) {
  Control& c = *item.control;
  HWND h = item.hwnd;
  if (c.GetKind() == Kind::ToolButton || (c.GetKind() == Kind::ToolBar && p != Prop::Visible && p != Prop::Bounds)) {
    // A button is drawn by its bar: the bar is made again.
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
      if (h) EnableWindow(h, c.Enabled());
      for (HWND r : item.radios) EnableWindow(r, c.Enabled());
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
      Layout();
      break;
    case Prop::Font:
      for (auto& other : items_) ApplyFont(*other);
      break;
    case Prop::Color:
      if (h) InvalidateRect(h, nullptr, TRUE);
      break;
    case Prop::Checked:
    case Prop::Down:
      if (c.GetKind() == Kind::ListView)
        ApplyListSelection(item);
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
      if (auto* e = dynamic_cast<Edit*>(&c); e && h) Send(h, EM_SETREADONLY, e->ReadOnly());
      break;
    case Prop::MaxLength:
      if (auto* e = dynamic_cast<Edit*>(&c); e && h)
        Send(h, EM_SETLIMITTEXT, static_cast<WPARAM>(std::max(0, e->MaxLength())));
      break;
    case Prop::Columns:
      ApplyColumns(item);
      break;
    case Prop::Rows:
      ApplyRows(item);
      break;
    case Prop::Range:
    case Prop::Position:
      ApplyRange(item);
      break;
    case Prop::CheckBoxes:
      if (h) ApplyListStyle(item);
      break;
    case Prop::Images:
      if (h) ApplySmallImages(item);
      break;
    case Prop::ImageIndex:
      if (h && c.GetKind() == Kind::ListView) ApplyRowImages(item);
      if (c.GetKind() == Kind::SpeedButton) ApplyButtonImage(item);
      break;
    case Prop::InputFilter:
      ApplyInputFilter(item);
      break;
    case Prop::Pen:
      if (h) {
        Layout();  // a wider pen needs a wider window across a flat line
        InvalidateRect(h, nullptr, TRUE);
      }
      break;
    case Prop::Parent:
      // Positions, visibility, stacking and the inherited font follow the new parent.
      ApplyFont(item);
      ApplyVisibility();
      FixZOrder();
      Layout();
      break;
    default:
      break;
  }
  --updating_;
}

void Win32FormPeer::ApplyText(Item& item) {
  HWND h = item.hwnd;
  if (!h) return;
  Control& c = *item.control;
  ++updating_;
  switch (c.GetKind()) {
    case Kind::Edit:
    case Kind::Memo:
    case Kind::ComboBox:
      ApplyEditText(item);
      break;
    case Kind::PageControl:
    case Kind::TabControl:
    case Kind::ListView:
    case Kind::ListBox:
    case Kind::UpDown:
    case Kind::Shape:
    case Kind::Bevel:
    case Kind::Line:
      break;
    default:
      SetWindowTextA(h, c.Caption().c_str());
      break;
  }
  --updating_;
}

void Win32FormPeer::ApplyItems(Item& item) {
  if (!item.hwnd) return;
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

void Win32FormPeer::ApplyItemIndex(Item& item) {
  if (!item.hwnd || !dynamic_cast<ItemsControl*>(item.control)) return;
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

Win32FormPeer::Item* Win32FormPeer::Find(const Component& c) {
  auto it = byComponent_.find(&c);
  return it == byComponent_.end() ? nullptr : it->second;
}

Win32FormPeer::Item* Win32FormPeer::FindWindowItem(HWND hwnd) {
  auto it = byWindow_.find(hwnd);
  return it == byWindow_.end() ? nullptr : it->second;
}

HWND Win32FormPeer::ControlWindow(const Component& c) const {
  auto it = byComponent_.find(&c);
  return it == byComponent_.end() ? nullptr : it->second->hwnd;
}

// ---- show, focus, menus ----

void Win32FormPeer::ShowChanged(bool showing) {
  if (!app_) return;
  if (showing) {
    Realize();
    if (!hwnd_) return;
    if (form_.Modal()) activeBeforeModal_ = GetActiveWindow();
    if (!placed_) {
      PlaceOnFirstShow();
      placed_ = true;
    }
    ++showing_;
    ShowWindow(hwnd_, SW_SHOW);
    --showing_;
    SetForegroundWindow(hwnd_);
  } else if (hwnd_) {
    // The owner comes back before the modal window goes, so that activation
    // returns to it rather than to another program.
    if (form_.Modal()) ReenableAfterModal();
    ++showing_;
    ShowWindow(hwnd_, SW_HIDE);
    --showing_;
    if (activeBeforeModal_ && IsWindow(activeBeforeModal_) && IsWindowVisible(activeBeforeModal_))
      SetActiveWindow(activeBeforeModal_);
    activeBeforeModal_ = nullptr;
  }
}

void Win32FormPeer::ReenableAfterModal() {
  for (HWND h : disabledForModal_)
    if (IsWindow(h)) EnableWindow(h, TRUE);
  disabledForModal_.clear();
}

void Win32FormPeer::BringToFront() {
  if (!app_) return;
  Realize();
  if (!hwnd_) return;
  if (IsIconic(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
  SetForegroundWindow(hwnd_);
  BringWindowToTop(hwnd_);
}

void Win32FormPeer::SetFocus(Control& c) {
  if (!app_ || !realized_) return;
  if (Item* item = Find(c); item && item->hwnd) ::SetFocus(item->hwnd);
}

void Win32FormPeer::Popup(PopupMenu& m, int x, int y) {
  if (!app_) return;
  Realize();
  if (!hwnd_) return;
  HMENU menu = CreatePopupMenu();
  std::vector<MenuItem*> commands;
  for (MenuItem* mi : m.Items()) {
    if (!mi->Visible()) continue;
    if (mi->Caption() == "-") {
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    commands.push_back(mi);
    UINT id = static_cast<UINT>(commands.size());
    AppendMenuA(menu, MF_STRING | (mi->Enabled() ? 0 : MF_GRAYED), id, mi->Caption().c_str());
    if (mi->Default) SetMenuDefaultItem(menu, id, FALSE);
  }
  // The owner must be in the foreground or the menu does not close when the
  // user clicks elsewhere (a tray menu's owner is usually hidden).
  SetForegroundWindow(hwnd_);
  UINT cmd = static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, x, y, 0, hwnd_, nullptr));
  PostMessageA(hwnd_, WM_NULL, 0, 0);
  DestroyMenu(menu);
  if (cmd > 0 && cmd <= commands.size()) {
    MenuItem* mi = commands[cmd - 1];
    Guard([mi] { mi->Click(); });
  }
}

void Win32FormPeer::Minimize() {
  if (hwnd_) ShowWindow(hwnd_, SW_MINIMIZE);
}

void Win32FormPeer::Restore() {
  if (hwnd_) ShowWindow(hwnd_, SW_RESTORE);
}

size_t Win32FormPeer::TextLimit(Control& c) {
  Item* item = Find(c);
  if (!item || !item->hwnd) return 0;
  return static_cast<size_t>(Send(item->hwnd, EM_GETLIMITTEXT));
}

void Win32FormPeer::Guard(const std::function<void()>& fn) {
  if (app_) {
    app_->Guard(fn);
    return;
  }
  try {
    fn();
  } catch (...) {
  }
}

// ---- user input ----

LRESULT CALLBACK Win32FormPeer::FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<Win32FormPeer*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->hwnd_ = hwnd;
  }
  auto* self = reinterpret_cast<Win32FormPeer*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self || !self->app_) return DefWindowProcA(hwnd, msg, wp, lp);
  return self->HandleMessage(msg, wp, lp);
}

LRESULT Win32FormPeer::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (realized_) OnCommand(wp, lp);
      return 0;
    case WM_NOTIFY: {
      bool handled = false;
      LRESULT r = realized_ ? OnNotify(reinterpret_cast<NMHDR*>(lp), handled) : 0;
      if (handled) return r;
      break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX: {
      bool handled = false;
      LRESULT r = realized_ ? OnCtlColor(msg, reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp), handled) : 0;
      if (handled) return r;
      break;
    }
    case WM_SHOWWINDOW:
      // Shown or hidden by someone else (a second copy of the program
      // bringing this one forward): the model follows once it is done.
      if (realized_ && !showing_ && lp == 0) PostMessageA(hwnd_, kSyncShowMessage, 0, 0);
      break;
    case kSyncShowMessage: {
      bool visible = IsWindowVisible(hwnd_) != FALSE;
      if (visible != form_.Showing()) Guard([this, visible] { visible ? form_.Show() : form_.Hide(); });
      return 0;
    }
    case WM_QUERYENDSESSION: {
      // Log-off or shutdown: the main window's close query decides (it may
      // ask the user); the other windows let the session end.
      if (!form_.IsMainForm) return TRUE;
      bool canEnd = true;
      Guard([this, &canEnd] { canEnd = form_.QueryClose(); });
      return canEnd ? TRUE : FALSE;
    }
    case WM_ENDSESSION:
      // The session ends: the program ends through its close path, without
      // asking again.
      if (wp && form_.IsMainForm) Guard([this] { form_.CloseWithoutQuery(); });
      return 0;
    case WM_CLOSE:
      // The model decides: a close query may refuse, a dialog only hides.
      Guard([this] { form_.Close(); });
      return 0;
    case WM_SETCURSOR:
      if (realized_ && OnSetCursor(reinterpret_cast<HWND>(wp))) return TRUE;
      break;
    case WM_SIZE:
      if (realized_ && wp != SIZE_MINIMIZED) Layout();
      break;
    case WM_SYSCOMMAND:
      switch (wp & 0xFFF0) {
        case SC_MINIMIZE:
          Guard([this] { form_.Minimize(); });
          return 0;
        case SC_RESTORE:
          if (IsIconic(hwnd_)) {
            Guard([this] { form_.Restore(); });
            return 0;
          }
          break;
      }
      break;
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) {
        HWND f = GetFocus();
        if (f && IsChild(hwnd_, f)) lastFocus_ = f;
      } else if (!HIWORD(wp)) {
        HWND f = lastFocus_;
        if (!f || !IsWindow(f) || !IsChild(hwnd_, f) || !IsWindowVisible(f) || !IsWindowEnabled(f))
          f = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
        if (f) {
          ::SetFocus(f);
          return 0;
        }
      }
      break;
    case DM_GETDEFID:
      for (auto& item : items_) {
        auto* b = dynamic_cast<Button*>(item->control);
        if (b && b->Default && b->Enabled() && EffectiveVisible(*b)) return MAKELRESULT(item->id, DC_HASDEFID);
      }
      return 0;
  }
  return DefWindowProcA(hwnd_, msg, wp, lp);
}

bool Win32FormPeer::HasDialogButton(bool isDefault) {
  for (auto& item : items_) {
    auto* b = dynamic_cast<Button*>(item->control);
    if (b && (isDefault ? b->Default : b->Cancel) && b->Enabled() && EffectiveVisible(*b)) return true;
  }
  return false;
}

void Win32FormPeer::OnCommand(WPARAM wp, LPARAM lp) {
  HWND ctl = reinterpret_cast<HWND>(lp);
  int code = HIWORD(wp);
  int id = LOWORD(wp);
  if (!ctl) {
    // Enter and Esc, from the dialog keys: the default and the cancel button.
    if (id != IDOK && id != IDCANCEL) return;
    for (auto& item : items_) {
      auto* b = dynamic_cast<Button*>(item->control);
      if (b && (id == IDOK ? b->Default : b->Cancel) && b->Enabled() && EffectiveVisible(*b)) {
        Guard([b] { b->Click(); });
        return;
      }
    }
    return;
  }
  if (updating_) return;  // echoes of the model's own changes
  Item* item = FindWindowItem(ctl);
  if (!item) return;
  switch (item->control->GetKind()) {
    case Kind::ToolBar:
      ToolBarCommand(*item, id);
      break;
    case Kind::Edit:
    case Kind::Memo:
      EditCommand(*item, ctl, code);
      break;
    case Kind::ComboBox:
    case Kind::ListBox:
      ListCommand(*item, ctl, code);
      break;
    default:
      ButtonCommand(*item, ctl, code);
      break;
  }
}

LRESULT Win32FormPeer::OnNotify(NMHDR* nm, bool& handled) {
  Item* item = FindWindowItem(nm->hwndFrom);
  if (!item) return 0;
  if (updating_) {
    handled = nm->code == static_cast<UINT>(TCN_SELCHANGING) || nm->code == static_cast<UINT>(UDN_DELTAPOS);
    return 0;
  }
  if (item->control->GetKind() == Kind::ListView) return ListViewNotify(*item, nm, handled);
  return PageNotify(*item, nm, handled);
}

LRESULT Win32FormPeer::OnCtlColor(UINT msg, HDC dc, HWND ctl, bool& handled) {
  Item* item = FindWindowItem(ctl);
  if (!item) return 0;
  const Control& c = *item->control;
  uint32_t text = c.EffectiveFont().color;
  uint32_t back = c.GetKind() == Kind::Line ? static_cast<const TLine&>(c).GetPen().color : c.Color();
  // The body of a page control with tabs is drawn in the window colour: the
  // labels, group captions and buttons on its pages take that colour too.
  const bool onTabbedPage = msg == WM_CTLCOLORSTATIC && OnTabbedPage(c);
  if (text == kDefaultColor && back == kDefaultColor && !onTabbedPage) return 0;
  handled = true;
  if (text != kDefaultColor) SetTextColor(dc, text);
  if (back != kDefaultColor) {
    SetBkColor(dc, back);
    return reinterpret_cast<LRESULT>(BrushFor(back));
  }
  bool window = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX || onTabbedPage;
  int sys = window ? COLOR_WINDOW : COLOR_BTNFACE;
  SetBkColor(dc, GetSysColor(sys));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(sys));
}

bool Win32FormPeer::OnTabbedPage(const Control& c) {
  for (const Control* p = c.Parent(); p; p = p->Parent()) {
    if (p->GetKind() != Kind::TabSheet) continue;
    const Item* pc = p->Parent() ? Find(*p->Parent()) : nullptr;
    return pc && !pc->tabs.empty();
  }
  return false;
}

bool Win32FormPeer::OnSetCursor(HWND ctl) {
  Item* item = FindWindowItem(ctl);
  if (!item || item->control->GetCursor() != Cursor::HandPoint) return false;
  SetCursor(LoadCursor(nullptr, IDC_HAND));
  return true;
}

}  // namespace km27::ui
