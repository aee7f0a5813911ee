#include "ui/win32/Win32FormPeer.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <exception>

#include "ui/win32/Win32Application.h"

namespace km27::ui {

namespace {

constexpr uint32_t kDefaultColor = 0xFFFFFFFF;
constexpr UINT kSyncShowMessage = WM_APP + 10;  // the window was shown or hidden from outside
constexpr int kDropDownHeight = 200;  // a combo box's list below its edit

std::string WindowText(HWND h) {
  int n = GetWindowTextLengthA(h);
  std::string s(static_cast<size_t>(n) + 1, '\0');
  int got = GetWindowTextA(h, s.data(), n + 1);
  s.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return s;
}

// The system's controls end a text at a 0 byte; inside a text it shows as a
// space so that nothing after it is lost.
std::string Displayable(const std::string& s) {
  std::string t = s;
  std::replace(t.begin(), t.end(), '\0', ' ');
  return t;
}

bool IsContainer(Kind k) {
  switch (k) {
    case Kind::GroupBox:
    case Kind::Panel:
    case Kind::Bevel:
    case Kind::Shape:
    case Kind::PageControl:
    case Kind::TabControl:
    case Kind::RadioGroup:
      return true;
    default:
      return false;
  }
}

int Depth(const Control& c) {
  int d = 0;
  for (const Control* p = c.Parent(); p; p = p->Parent()) ++d;
  return d;
}

int ShiftState() {
  int s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= 1;
  if (GetKeyState(VK_CONTROL) < 0) s |= 2;
  if (GetKeyState(VK_MENU) < 0) s |= 4;
  return s;
}

LRESULT Send(HWND h, UINT msg, WPARAM wp = 0, LPARAM lp = 0) { return SendMessageA(h, msg, wp, lp); }

}  // namespace

Win32FormPeer::Win32FormPeer(Win32Application& app, Form& form) : app_(&app), form_(form) { app.AddPeer(this); }

Win32FormPeer::~Win32FormPeer() {
  if (app_) app_->RemovePeer(this);
  // The components are gone already: nothing may reach them any more.
  realized_ = false;
  if (hwnd_) {
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
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
  RECT r{0, 0, form_.ClientWidth, form_.ClientHeight};
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
  return item;
}

void Win32FormPeer::CreateControlWindow(Item& item) {
  Control& c = *item.control;
  const char* cls = nullptr;
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  DWORD ex = 0;
  bool subclass = false;
  switch (c.GetKind()) {
    case Kind::Label:
      cls = "STATIC";
      style |= SS_LEFT | SS_NOTIFY;
      break;
    case Kind::Button:
      cls = "BUTTON";
      style |= WS_TABSTOP | (static_cast<Button&>(c).Default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
      break;
    case Kind::SpeedButton:
      cls = "BUTTON";
      style |= BS_CHECKBOX | BS_PUSHLIKE;
      break;
    case Kind::Edit:
      cls = "EDIT";
      style |= WS_TABSTOP | ES_AUTOHSCROLL;
      ex = WS_EX_CLIENTEDGE;
      subclass = true;
      break;
    case Kind::Memo: {
      auto& m = static_cast<Memo&>(c);
      cls = "EDIT";
      style |= WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
      if (!m.WordWrap) style |= ES_AUTOHSCROLL;
      if (m.ScrollBars) style |= WS_VSCROLL | (m.WordWrap ? 0 : WS_HSCROLL);
      ex = WS_EX_CLIENTEDGE;
      subclass = true;
      break;
    }
    case Kind::CheckBox:
      cls = "BUTTON";
      style |= WS_TABSTOP | BS_CHECKBOX;
      break;
    case Kind::RadioGroup:
    case Kind::GroupBox:
      cls = "BUTTON";
      style |= BS_GROUPBOX;
      break;
    case Kind::ComboBox:
      cls = WC_COMBOBOXA;
      style |= WS_TABSTOP | WS_VSCROLL |
               (static_cast<ComboBox&>(c).Editable ? CBS_DROPDOWN | CBS_AUTOHSCROLL : CBS_DROPDOWNLIST);
      break;
    case Kind::ListBox:
      cls = "LISTBOX";
      style |= WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
      ex = WS_EX_CLIENTEDGE;
      break;
    case Kind::ListView:
      cls = WC_LISTVIEWA;
      style |= WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | (static_cast<ListView&>(c).MultiSelect ? 0 : LVS_SINGLESEL);
      ex = WS_EX_CLIENTEDGE;
      break;
    case Kind::PageControl:
    case Kind::TabControl:
      cls = WC_TABCONTROLA;
      style |= WS_TABSTOP;
      break;
    case Kind::UpDown:
      cls = UPDOWN_CLASSA;
      style |= UDS_ARROWKEYS | UDS_NOTHOUSANDS;
      break;
    case Kind::Panel:
      cls = "STATIC";
      style |= SS_CENTER | SS_CENTERIMAGE | SS_NOTIFY;
      break;
    case Kind::Bevel:
      cls = "STATIC";
      style |= SS_ETCHEDFRAME;
      break;
    case Kind::Shape:
      cls = "STATIC";
      style |= SS_NOTIFY;
      break;
    default:
      return;  // tab sheets and components without a window
  }
  item.id = nextId_++;
  item.hwnd = CreateWindowExA(ex, cls, "", style, 0, 0, 0, 0, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(item.id)),
                              app_->Instance(), nullptr);
  if (!item.hwnd) return;
  byWindow_[item.hwnd] = &item;
  if (subclass) SetWindowSubclass(item.hwnd, ControlSubclass, 1, reinterpret_cast<DWORD_PTR>(this));
  if (c.GetKind() == Kind::ListView) {
    auto& lv = static_cast<ListView&>(c);
    DWORD exStyle = (lv.RowSelect ? LVS_EX_FULLROWSELECT : 0) | (lv.CheckBoxes ? LVS_EX_CHECKBOXES : 0);
    Send(item.hwnd, LVM_SETEXTENDEDLISTVIEWSTYLE, exStyle | LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES, exStyle);
  }
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
      break;
    case Kind::CheckBox:
    case Kind::SpeedButton:
      ApplyText(item);
      Apply(item, Prop::Checked);
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
      ApplyColumns(item);
      ApplyRows(item);
      break;
    case Kind::PageControl:
      ApplyTabs(item);
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
      if (auto* cb = dynamic_cast<CheckBox*>(&c)) {
        Send(h, BM_SETCHECK, cb->Checked() ? BST_CHECKED : BST_UNCHECKED);
      } else if (auto* sb = dynamic_cast<SpeedButton*>(&c)) {
        Send(h, BM_SETCHECK, sb->Down() ? BST_CHECKED : BST_UNCHECKED);
      } else if (c.GetKind() == Kind::ListView) {
        ApplyListSelection(item);
      }
      break;
    case Prop::Items:
      ApplyItems(item);
      break;
    case Prop::ItemIndex:
      ApplyItemIndex(item);
      break;
    case Prop::Lines:
      if (auto* m = dynamic_cast<Memo*>(&c); m && h) {
        const std::string& text = m->Text();
        if (item.mirrored <= text.size()) {
          // Appended: only the new part goes to the control, so the view
          // keeps its place and long logs stay cheap.
          // Positions past the end mean the end (and cost nothing to find).
          Send(h, EM_SETSEL, static_cast<WPARAM>(INT_MAX), static_cast<LPARAM>(INT_MAX));
          std::string tail = Displayable(text.substr(item.mirrored));
          Send(h, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(tail.c_str()));
          item.mirrored = text.size();
        } else {
          ApplyText(item);
        }
      }
      break;
    case Prop::Selection:
      if (auto* e = dynamic_cast<Edit*>(&c); e && h) {
        Send(h, EM_SETSEL, static_cast<WPARAM>(e->SelStart()), static_cast<LPARAM>(e->SelStart() + e->SelLength()));
        Send(h, EM_SCROLLCARET);
      } else if (c.GetKind() == Kind::ListView) {
        ApplyListSelection(item);
      }
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
      if (auto* ud = dynamic_cast<UpDown*>(&c); ud && h) {
        Send(h, UDM_SETRANGE32, static_cast<WPARAM>(ud->Min()), static_cast<LPARAM>(ud->Max()));
        Send(h, UDM_SETPOS32, 0, ud->Position());
      }
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
    case Kind::Memo: {
      auto& e = static_cast<Edit&>(c);
      SetWindowTextA(h, Displayable(e.Text()).c_str());
      item.mirrored = e.Text().size();
      break;
    }
    case Kind::ComboBox: {
      auto& cb = static_cast<ComboBox&>(c);
      if (cb.Editable && cb.ItemIndex() < 0) SetWindowTextA(h, cb.Text().c_str());
      break;
    }
    case Kind::PageControl:
    case Kind::TabControl:
    case Kind::ListView:
    case Kind::ListBox:
    case Kind::UpDown:
    case Kind::Shape:
    case Kind::Bevel:
      break;
    default:
      SetWindowTextA(h, c.Caption().c_str());
      break;
  }
  --updating_;
}

void Win32FormPeer::ApplyItems(Item& item) {
  HWND h = item.hwnd;
  if (!h) return;
  ++updating_;
  switch (item.control->GetKind()) {
    case Kind::ComboBox:
      Send(h, CB_RESETCONTENT);
      for (const auto& s : static_cast<ComboBox&>(*item.control).Items())
        Send(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
      break;
    case Kind::ListBox:
      Send(h, LB_RESETCONTENT);
      for (const auto& s : static_cast<ListBox&>(*item.control).Items())
        Send(h, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
      break;
    case Kind::TabControl: {
      Send(h, TCM_DELETEALLITEMS);
      int i = 0;
      for (const auto& s : static_cast<TabControl&>(*item.control).Items()) {
        TCITEMA tci{};
        tci.mask = TCIF_TEXT;
        tci.pszText = const_cast<char*>(s.c_str());
        Send(h, TCM_INSERTITEMA, static_cast<WPARAM>(i++), reinterpret_cast<LPARAM>(&tci));
      }
      break;
    }
    case Kind::RadioGroup: {
      for (HWND r : item.radios) {
        byWindow_.erase(r);
        DestroyWindow(r);
      }
      item.radios.clear();
      bool first = true;
      for (const auto& s : static_cast<RadioGroup&>(*item.control).Items()) {
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | BS_RADIOBUTTON | (first ? WS_GROUP : 0);
        first = false;
        HWND r = CreateWindowExA(0, "BUTTON", s.c_str(), style, 0, 0, 0, 0, hwnd_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(nextId_++)), app_->Instance(), nullptr);
        if (!r) continue;
        Send(r, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(item.control->EffectiveFont())), TRUE);
        EnableWindow(r, item.control->Enabled());
        item.radios.push_back(r);
        byWindow_[r] = &item;
      }
      if (realized_) {
        Layout();
        ApplyVisibility();
      }
      break;
    }
    default:
      break;
  }
  ApplyItemIndex(item);
  --updating_;
}

void Win32FormPeer::ApplyItemIndex(Item& item) {
  HWND h = item.hwnd;
  if (!h) return;
  auto* ic = dynamic_cast<ItemsControl*>(item.control);
  if (!ic) return;
  int i = ic->ItemIndex();
  ++updating_;
  switch (item.control->GetKind()) {
    case Kind::ComboBox:
      Send(h, CB_SETCURSEL, static_cast<WPARAM>(i));
      if (i < 0) ApplyText(item);
      break;
    case Kind::ListBox:
      Send(h, LB_SETCURSEL, static_cast<WPARAM>(i));
      break;
    case Kind::TabControl:
      Send(h, TCM_SETCURSEL, static_cast<WPARAM>(i));
      break;
    case Kind::RadioGroup:
      for (size_t k = 0; k < item.radios.size(); ++k)
        Send(item.radios[k], BM_SETCHECK, static_cast<int>(k) == i ? BST_CHECKED : BST_UNCHECKED);
      break;
    default:
      break;
  }
  --updating_;
}

void Win32FormPeer::ApplyColumns(Item& item) {
  HWND h = item.hwnd;
  if (!h) return;
  ++updating_;
  while (Send(h, LVM_DELETECOLUMN, 0)) {
  }
  int i = 0;
  for (const auto& col : static_cast<ListView&>(*item.control).Columns()) {
    LVCOLUMNA lvc{};
    lvc.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    lvc.cx = col.width;
    lvc.iSubItem = i;
    lvc.pszText = const_cast<char*>(col.title.c_str());
    Send(h, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i++), reinterpret_cast<LPARAM>(&lvc));
  }
  --updating_;
}

void Win32FormPeer::ApplyRows(Item& item) {
  HWND h = item.hwnd;
  if (!h) return;
  ++updating_;
  Send(h, LVM_DELETEALLITEMS);
  const auto& rows = static_cast<ListView&>(*item.control).Rows();
  for (size_t i = 0; i < rows.size(); ++i) {
    LVITEMA lvi{};
    lvi.mask = LVIF_TEXT | (rows[i].imageIndex >= 0 ? LVIF_IMAGE : 0);
    lvi.iItem = static_cast<int>(i);
    lvi.pszText = const_cast<char*>(rows[i].caption.c_str());
    lvi.iImage = rows[i].imageIndex;
    int at = static_cast<int>(Send(h, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&lvi)));
    for (size_t k = 0; k < rows[i].subItems.size(); ++k) {
      LVITEMA sub{};
      sub.iSubItem = static_cast<int>(k + 1);
      sub.pszText = const_cast<char*>(rows[i].subItems[k].c_str());
      Send(h, LVM_SETITEMTEXTA, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&sub));
    }
  }
  ApplyListSelection(item);
  --updating_;
}

void Win32FormPeer::ApplyListSelection(Item& item) {
  HWND h = item.hwnd;
  if (!h) return;
  auto& lv = static_cast<ListView&>(*item.control);
  ++updating_;
  const auto& rows = lv.Rows();
  for (size_t i = 0; i < rows.size(); ++i) {
    LVITEMA lvi{};
    lvi.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    lvi.state = rows[i].selected ? LVIS_SELECTED | LVIS_FOCUSED : 0;
    if (lv.CheckBoxes) {
      lvi.stateMask |= LVIS_STATEIMAGEMASK;
      lvi.state |= INDEXTOSTATEIMAGEMASK(rows[i].checked ? 2 : 1);
    }
    Send(h, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&lvi));
  }
  int sel = lv.SelectedIndex();
  if (sel >= 0) Send(h, LVM_ENSUREVISIBLE, static_cast<WPARAM>(sel), FALSE);
  --updating_;
}

void Win32FormPeer::ApplyTabs(Item& item) {
  HWND h = item.hwnd;
  auto* pc = dynamic_cast<PageControl*>(item.control);
  if (!h || !pc) return;
  ++updating_;
  Send(h, TCM_DELETEALLITEMS);
  item.tabs.clear();
  int selected = -1;
  for (TabSheet* page : pc->Pages()) {
    if (!page->TabVisible()) continue;
    TCITEMA tci{};
    tci.mask = TCIF_TEXT;
    tci.pszText = const_cast<char*>(page->Caption().c_str());
    Send(h, TCM_INSERTITEMA, item.tabs.size(), reinterpret_cast<LPARAM>(&tci));
    if (page == pc->ActivePage()) selected = static_cast<int>(item.tabs.size());
    item.tabs.push_back(page);
  }
  Send(h, TCM_SETCURSEL, static_cast<WPARAM>(selected));
  --updating_;
  // The display area depends on the rows of tabs.
  if (realized_) Layout();
}

void Win32FormPeer::ApplyFont(Item& item) {
  if (!item.hwnd) return;
  HFONT f = FontFor(item.control->EffectiveFont());
  if (f == item.font) return;
  item.font = f;
  Send(item.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(f), TRUE);
  for (HWND r : item.radios) Send(r, WM_SETFONT, reinterpret_cast<WPARAM>(f), TRUE);
}

void Win32FormPeer::ApplyTooltip(Item& item) {
  if (!tooltip_ || !item.hwnd) return;
  TTTOOLINFOA ti{};
  ti.cbSize = TTTOOLINFOA_V2_SIZE;
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = hwnd_;
  ti.uId = reinterpret_cast<UINT_PTR>(item.hwnd);
  Send(tooltip_, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
  const Control& c = *item.control;
  if (!c.ShowHint() || c.Hint().empty()) return;
  std::string hint = c.Hint();
  ti.lpszText = hint.data();
  Send(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}

bool Win32FormPeer::EffectiveVisible(Control& c) {
  if (!c.Visible()) return false;
  Control* p = c.Parent();
  if (!p || p == &form_) return true;
  if (p->GetKind() == Kind::TabSheet) {
    auto* pc = dynamic_cast<PageControl*>(p->Parent());
    if (pc && pc->ActivePage() != p) return false;
  }
  return EffectiveVisible(*p);
}

void Win32FormPeer::ApplyVisibility() {
  for (auto& item : items_) {
    if (!item->hwnd) continue;
    int cmd = EffectiveVisible(*item->control) ? SW_SHOWNA : SW_HIDE;
    ShowWindow(item->hwnd, cmd);
    for (HWND r : item->radios) ShowWindow(r, cmd);
  }
}

void Win32FormPeer::FixZOrder() {
  // Containers lie beneath the controls placed on them (all are siblings):
  // the outermost at the bottom.
  std::vector<Item*> containers;
  for (auto& item : items_)
    if (item->hwnd && IsContainer(item->control->GetKind())) containers.push_back(item.get());
  std::stable_sort(containers.begin(), containers.end(),
                   [](Item* a, Item* b) { return Depth(*a->control) > Depth(*b->control); });
  for (Item* item : containers)
    SetWindowPos(item->hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

RECT Win32FormPeer::ControlRect(Control& c, int& dw, int& dh) {
  Control* p = c.Parent();
  RECT pr;
  int pdw, pdh;
  if (!p || p == &form_) {
    GetClientRect(hwnd_, &pr);
    pdw = pr.right - form_.ClientWidth;
    pdh = pr.bottom - form_.ClientHeight;
  } else {
    pr = ControlRect(*p, pdw, pdh);
  }
  if (c.GetKind() == Kind::TabSheet) {
    // A sheet fills its page control's display area.
    RECT r{0, 0, pr.right - pr.left, pr.bottom - pr.top};
    if (Item* pc = p ? Find(*p) : nullptr; pc && pc->hwnd) Send(pc->hwnd, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    dw = pdw;
    dh = pdh;
    return RECT{pr.left + r.left, pr.top + r.top, pr.left + r.right, pr.top + r.bottom};
  }
  const Rect& b = c.Bounds();
  int x = b.left, y = b.top, w = b.width, h = b.height;
  if (c.Anchors & akRight) {
    if (c.Anchors & akLeft) w += pdw;
    else x += pdw;
  }
  if (c.Anchors & akBottom) {
    if (c.Anchors & akTop) h += pdh;
    else y += pdh;
  }
  w = std::max(w, 0);
  h = std::max(h, 0);
  dw = w - b.width;
  dh = h - b.height;
  return RECT{pr.left + x, pr.top + y, pr.left + x + w, pr.top + y + h};
}

void Win32FormPeer::Layout() {
  if (!hwnd_) return;
  ++updating_;
  for (auto& item : items_) {
    if (!item->hwnd) continue;
    int dw, dh;
    RECT r = ControlRect(*item->control, dw, dh);
    int w = r.right - r.left, h = r.bottom - r.top;
    if (item->control->GetKind() == Kind::ComboBox) h = std::max(h, 21) + kDropDownHeight;
    MoveWindow(item->hwnd, r.left, r.top, w, h, TRUE);
    if (!item->radios.empty()) {
      int n = static_cast<int>(item->radios.size());
      int cols = std::max(1, static_cast<RadioGroup&>(*item->control).Columns);
      int rows = (n + cols - 1) / cols;
      int cw = (w - 16) / cols;
      int rh = (h - 24) / rows;
      int bh = std::min(rh, 20);
      for (int i = 0; i < n; ++i) {
        int col = i / rows, row = i % rows;
        MoveWindow(item->radios[static_cast<size_t>(i)], r.left + 8 + col * cw, r.top + 18 + row * rh + (rh - bh) / 2,
                   cw, bh, TRUE);
      }
    }
  }
  --updating_;
}

HFONT Win32FormPeer::FontFor(const Font& f) {
  std::string key = f.name + "|" + std::to_string(f.size) + "|" + std::to_string(f.height) + "|" +
                    std::to_string(f.charSet) + "|" + (f.bold ? "b" : "") + (f.fixedPitch ? "f" : "");
  auto it = fonts_.find(key);
  if (it != fonts_.end()) return it->second;
  LOGFONTA lf{};
  if (f.height != 0) {
    lf.lfHeight = -f.height;  // character height in pixels
  } else {
    HDC dc = GetDC(nullptr);
    lf.lfHeight = -MulDiv(f.size, GetDeviceCaps(dc, LOGPIXELSY), 72);
    ReleaseDC(nullptr, dc);
  }
  lf.lfWeight = f.bold ? FW_BOLD : FW_NORMAL;
  lf.lfCharSet = static_cast<BYTE>(f.charSet);
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = f.fixedPitch ? FIXED_PITCH | FF_MODERN : DEFAULT_PITCH | FF_DONTCARE;
  lstrcpynA(lf.lfFaceName, f.name.c_str(), LF_FACESIZE);
  HFONT font = CreateFontIndirectA(&lf);
  fonts_[key] = font;
  return font;
}

HBRUSH Win32FormPeer::BrushFor(uint32_t color) {
  auto it = brushes_.find(color);
  if (it != brushes_.end()) return it->second;
  HBRUSH b = CreateSolidBrush(color);
  brushes_[color] = b;
  return b;
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

void Win32FormPeer::PlaceOnFirstShow() {
  RECT wr;
  GetWindowRect(hwnd_, &wr);
  int w = wr.right - wr.left, h = wr.bottom - wr.top;
  RECT area;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  RECT around = area;
  if (form_.position == Form::Position::MainFormCenter) {
    HWND main = app_->MainWindow();
    if (main && main != hwnd_ && IsWindowVisible(main) && !IsIconic(main)) GetWindowRect(main, &around);
  }
  int x = around.left + ((around.right - around.left) - w) / 2;
  int y = around.top + ((around.bottom - around.top) - h) / 2;
  if (form_.position == Form::Position::Designed) {
    x = form_.Bounds().left;
    y = form_.Bounds().top;
  }
  x = std::max<int>(area.left, std::min<int>(x, area.right - w));
  y = std::max<int>(area.top, std::min<int>(y, area.bottom - h));
  SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

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
    case WM_CLOSE:
      // The model decides: a close query may refuse, a dialog only hides.
      Guard([this] { form_.Close(); });
      return 0;
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
  Control* c = item->control;
  switch (c->GetKind()) {
    case Kind::Button:
    case Kind::SpeedButton:
    case Kind::CheckBox:
      if (code == BN_CLICKED) Guard([c] { c->Click(); });
      break;
    case Kind::RadioGroup:
      if (code == BN_CLICKED) {
        auto it = std::find(item->radios.begin(), item->radios.end(), ctl);
        if (it != item->radios.end()) {
          int i = static_cast<int>(it - item->radios.begin());
          auto* rg = static_cast<RadioGroup*>(c);
          Guard([rg, i] { rg->UserSelect(i); });
          ApplyItemIndex(*item);  // also when the model refused
        }
      }
      break;
    case Kind::Edit:
    case Kind::Memo:
      if (code == EN_CHANGE) {
        auto* e = static_cast<Edit*>(c);
        std::string text = WindowText(ctl);
        item->mirrored = text.size();
        Guard([e, &text] { e->UserSetText(text); });
      }
      break;
    case Kind::ComboBox: {
      auto* cb = static_cast<ComboBox*>(c);
      if (code == CBN_SELCHANGE) {
        int i = static_cast<int>(Send(ctl, CB_GETCURSEL));
        Guard([cb, i] { cb->UserSelect(i); });
      } else if (code == CBN_EDITCHANGE) {
        std::string text = WindowText(ctl);
        Guard([cb, &text] { cb->UserSetText(text); });
      }
      break;
    }
    case Kind::ListBox:
      if (code == LBN_SELCHANGE) {
        auto* lb = static_cast<ListBox*>(c);
        int i = static_cast<int>(Send(ctl, LB_GETCURSEL));
        Guard([lb, i] { lb->UserSelect(i); });
      }
      break;
    case Kind::Label:
    case Kind::Panel:
    case Kind::Shape:
      if (code == STN_CLICKED) Guard([c] { c->Click(); });
      break;
    default:
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
  Control* c = item->control;
  switch (c->GetKind()) {
    case Kind::ListView: {
      auto* lv = static_cast<ListView*>(c);
      if (nm->code == static_cast<UINT>(LVN_ITEMCHANGED)) {
        auto* n = reinterpret_cast<NMLISTVIEW*>(nm);
        if (n->iItem < 0 || !(n->uChanged & LVIF_STATE) || static_cast<size_t>(n->iItem) >= lv->Rows().size()) break;
        size_t i = static_cast<size_t>(n->iItem);
        UINT changed = n->uNewState ^ n->uOldState;
        if (lv->CheckBoxes && (changed & LVIS_STATEIMAGEMASK) && (n->uNewState & LVIS_STATEIMAGEMASK)) {
          bool checked = ((n->uNewState & LVIS_STATEIMAGEMASK) >> 12) == 2;
          if (lv->Rows()[i].checked != checked) Guard([lv, i, checked] { lv->UserCheck(i, checked); });
        }
        if (changed & LVIS_SELECTED) {
          if (n->uNewState & LVIS_SELECTED) {
            if (!lv->Rows()[i].selected) Guard([lv, n] { lv->UserSelect(n->iItem); });
          } else if (Send(nm->hwndFrom, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED) == -1 &&
                     lv->SelectedIndex() >= 0) {
            Guard([lv] { lv->UserSelect(-1); });
          }
        }
      } else if (nm->code == static_cast<UINT>(NM_DBLCLK)) {
        if (lv->OnDblClick) Guard([lv] { lv->OnDblClick(); });
      }
      break;
    }
    case Kind::PageControl: {
      auto* pc = static_cast<PageControl*>(c);
      if (nm->code == static_cast<UINT>(TCN_SELCHANGING)) {
        bool allow = true;
        if (pc->OnChanging) Guard([pc, &allow] { pc->OnChanging(allow); });
        handled = true;
        return allow ? FALSE : TRUE;
      }
      if (nm->code == static_cast<UINT>(TCN_SELCHANGE)) {
        int i = static_cast<int>(Send(nm->hwndFrom, TCM_GETCURSEL));
        if (i >= 0 && static_cast<size_t>(i) < item->tabs.size()) {
          TabSheet* page = item->tabs[static_cast<size_t>(i)];
          Guard([pc, page] { pc->SetActivePage(page); });
        }
      }
      break;
    }
    case Kind::TabControl:
      if (nm->code == static_cast<UINT>(TCN_SELCHANGE)) {
        auto* tc = static_cast<TabControl*>(c);
        int i = static_cast<int>(Send(nm->hwndFrom, TCM_GETCURSEL));
        Guard([tc, i] { tc->UserSelect(i); });
      }
      break;
    case Kind::UpDown:
      if (nm->code == static_cast<UINT>(UDN_DELTAPOS)) {
        auto* ud = static_cast<UpDown*>(c);
        auto* n = reinterpret_cast<NMUPDOWN*>(nm);
        int pos = ud->Position() + n->iDelta;
        Guard([ud, pos] { ud->UserSetPosition(pos); });
        handled = true;
        return TRUE;  // the model sets the position
      }
      break;
    default:
      break;
  }
  return 0;
}

LRESULT Win32FormPeer::OnCtlColor(UINT msg, HDC dc, HWND ctl, bool& handled) {
  Item* item = FindWindowItem(ctl);
  if (!item) return 0;
  const Control& c = *item->control;
  uint32_t text = c.EffectiveFont().color;
  uint32_t back = c.Color();
  if (text == kDefaultColor && back == kDefaultColor) return 0;
  handled = true;
  if (text != kDefaultColor) SetTextColor(dc, text);
  if (back != kDefaultColor) {
    SetBkColor(dc, back);
    return reinterpret_cast<LRESULT>(BrushFor(back));
  }
  bool window = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX;
  int sys = window ? COLOR_WINDOW : COLOR_BTNFACE;
  SetBkColor(dc, GetSysColor(sys));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(sys));
}

LRESULT CALLBACK Win32FormPeer::ControlSubclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                                DWORD_PTR ref) {
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, ControlSubclass, id);
    return DefSubclassProc(hwnd, msg, wp, lp);
  }
  auto* self = reinterpret_cast<Win32FormPeer*>(ref);
  if (!self->realized_ || !self->app_) return DefSubclassProc(hwnd, msg, wp, lp);
  Item* item = self->FindWindowItem(hwnd);
  if (!item) return DefSubclassProc(hwnd, msg, wp, lp);
  bool handled = false;
  LRESULT r = self->HandleControlMessage(*item, hwnd, msg, wp, lp, handled);
  return handled ? r : DefSubclassProc(hwnd, msg, wp, lp);
}

LRESULT Win32FormPeer::HandleControlMessage(Item& item, HWND hwnd, UINT msg, WPARAM& wp, LPARAM lp, bool& handled) {
  auto* e = dynamic_cast<Edit*>(item.control);
  if (!e) return 0;
  switch (msg) {
    case WM_GETDLGCODE: {
      // Enter and Esc reach the edit's handlers when no default or cancel
      // button takes them, as the user expects of a window without one.
      auto* m = reinterpret_cast<MSG*>(lp);
      if (m && (m->message == WM_KEYDOWN || m->message == WM_CHAR) &&
          (m->wParam == VK_RETURN || m->wParam == VK_ESCAPE) &&
          (e->OnKeyPress || e->OnKeyDown) && !HasDialogButton(m->wParam == VK_RETURN)) {
        handled = true;
        return DefSubclassProc(hwnd, msg, wp, lp) | DLGC_WANTMESSAGE;
      }
      break;
    }
    case WM_CHAR: {
      if (!e->OnKeyPress) break;
      // The handler works on the model: give it the caret the user sees.
      DWORD start = 0, end = 0;
      Send(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
      e->UserSetSelection(static_cast<int>(start), static_cast<int>(end - start));
      char key = static_cast<char>(wp);
      Guard([e, &key] { e->OnKeyPress(key); });
      if (key == 0) {
        handled = true;
        return 0;
      }
      wp = static_cast<unsigned char>(key);
      break;
    }
    case WM_KEYDOWN:
    case WM_KEYUP: {
      auto& fn = msg == WM_KEYDOWN ? e->OnKeyDown : e->OnKeyUp;
      if (!fn) break;
      uint16_t key = static_cast<uint16_t>(wp);
      int shift = ShiftState();
      Guard([&fn, &key, shift] { fn(key, shift); });
      if (key == 0) {
        handled = true;
        return 0;
      }
      wp = key;
      break;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
      auto& fn = msg == WM_SETFOCUS ? e->OnEnter : e->OnExit;
      if (fn) Guard([&fn] { fn(); });
      handled = true;
      return r;
    }
    default:
      break;
  }
  return 0;
}

}  // namespace km27::ui
