// Page controls (tab sheets; a sheet whose tab is hidden is still shown
// when it is the active page), tab controls, up-downs: their windows, tabs,
// ranges, and the user's page changes and up-down clicks.
#include <windows.h>
#undef MessageBox
#include <commctrl.h>

#include "ui/win32/Win32Application.h"
#include "ui/win32/Win32FormPeer.h"
#include "ui/win32/Win32PeerSupport.h"

namespace km27::ui {

using namespace win32peer;

bool win32peer::PageWindowShape(Control& c, WindowShape& shape) {
  switch (c.GetKind()) {
    case Kind::PageControl:
    case Kind::TabControl:
      shape.cls = WC_TABCONTROLA;
      shape.style = WS_TABSTOP;
      return true;
    case Kind::UpDown:
      shape.cls = UPDOWN_CLASSA;
      shape.style = UDS_ARROWKEYS | UDS_NOTHOUSANDS;
      return true;
    case Kind::TabSheet:
      return true;  // no window: its controls lie on the form
    default:
      return false;
  }
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

void Win32FormPeer::ApplyTabItems(Item& item) {
  HWND h = item.hwnd;
  Send(h, TCM_DELETEALLITEMS);
  int i = 0;
  for (const auto& s : static_cast<TabControl&>(*item.control).Items()) {
    TCITEMA tci{};
    tci.mask = TCIF_TEXT;
    tci.pszText = const_cast<char*>(s.c_str());
    Send(h, TCM_INSERTITEMA, static_cast<WPARAM>(i++), reinterpret_cast<LPARAM>(&tci));
  }
}

void Win32FormPeer::ApplyTabIndex(Item& item) {
  Send(item.hwnd, TCM_SETCURSEL, static_cast<WPARAM>(static_cast<TabControl&>(*item.control).ItemIndex()));
}

void Win32FormPeer::ApplyRange(Item& item) {
  if (auto* ud = dynamic_cast<UpDown*>(item.control); ud && item.hwnd) {
    // Bound to its edit, the arrow keys of the edit step it too; the model
    // writes the number into the edit itself.
    if (ud->Associate && !reinterpret_cast<HWND>(Send(item.hwnd, UDM_GETBUDDY)))
      if (Item* buddy = EnsureItem(*ud->Associate); buddy && buddy->hwnd)
        Send(item.hwnd, UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy->hwnd));
    Send(item.hwnd, UDM_SETRANGE32, static_cast<WPARAM>(ud->Min()), static_cast<LPARAM>(ud->Max()));
    Send(item.hwnd, UDM_SETPOS32, 0, ud->Position());
  }
}

LRESULT Win32FormPeer::PageNotify(Item& item, NMHDR* nm, bool& handled) {
  Control* c = item.control;
  switch (c->GetKind()) {
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
        if (i >= 0 && static_cast<size_t>(i) < item.tabs.size()) {
          TabSheet* page = item.tabs[static_cast<size_t>(i)];
          Guard([pc, page] { pc->SetActivePage(page); });
        }
      }
      break;
    }
    case Kind::TabControl: {
      auto* tc = static_cast<TabControl*>(c);
      if (nm->code == static_cast<UINT>(TCN_SELCHANGING)) {
        bool allow = true;
        Guard([tc, &allow] { allow = tc->UserMayChange(); });
        handled = true;
        return allow ? FALSE : TRUE;
      }
      if (nm->code == static_cast<UINT>(TCN_SELCHANGE)) {
        int i = static_cast<int>(Send(nm->hwndFrom, TCM_GETCURSEL));
        Guard([tc, i] { tc->UserSelected(i); });
      }
      break;
    }
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

}  // namespace km27::ui
