// Combo boxes, list boxes and report-style list views: their windows, items,
// selection, columns, rows with their pictures and check boxes, and the
// user's picks and clicks.
#include <windows.h>
#undef MessageBox
#include <commctrl.h>

#include "ui/win32/Win32Application.h"
#include "ui/win32/Win32FormPeer.h"
#include "ui/win32/Win32PeerSupport.h"

namespace km27::ui {

using namespace win32peer;

bool win32peer::ListWindowShape(Control& c, WindowShape& shape) {
  switch (c.GetKind()) {
    case Kind::ComboBox:
      shape.cls = WC_COMBOBOXA;
      shape.style = WS_TABSTOP | WS_VSCROLL |
                   (static_cast<ComboBox&>(c).Editable ? CBS_DROPDOWN | CBS_AUTOHSCROLL : CBS_DROPDOWNLIST);
      return true;
    case Kind::ListBox:
      shape.cls = "LISTBOX";
      shape.style = WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
      shape.ex = WS_EX_CLIENTEDGE;
      return true;
    case Kind::ListView:
      shape.cls = WC_LISTVIEWA;
      // The row pictures belong to the peer, not to the control.
      shape.style = WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS |
                   (static_cast<ListView&>(c).MultiSelect ? 0 : LVS_SINGLESEL);
      shape.ex = WS_EX_CLIENTEDGE;
      return true;
    default:
      return false;
  }
}

void Win32FormPeer::ApplyListItems(Item& item) {
  HWND h = item.hwnd;
  if (item.control->GetKind() == Kind::ComboBox) {
    Send(h, CB_RESETCONTENT);
    for (const auto& s : static_cast<ComboBox&>(*item.control).Items())
      Send(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
  } else {
    Send(h, LB_RESETCONTENT);
    for (const auto& s : static_cast<ListBox&>(*item.control).Items())
      Send(h, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
  }
}

void Win32FormPeer::ApplyListIndex(Item& item) {
  HWND h = item.hwnd;
  int i = static_cast<ItemsControl&>(*item.control).ItemIndex();
  if (item.control->GetKind() == Kind::ComboBox) {
    Send(h, CB_SETCURSEL, static_cast<WPARAM>(i));
    if (i < 0) ApplyText(item);
  } else {
    Send(h, LB_SETCURSEL, static_cast<WPARAM>(i));
  }
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
    lvc.cx = Scale(col.width);
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
    lvi.mask = LVIF_TEXT | LVIF_IMAGE;
    lvi.iItem = static_cast<int>(i);
    std::string caption = Displayable(rows[i].caption);
    lvi.pszText = caption.data();
    lvi.iImage = rows[i].imageIndex >= 0 ? rows[i].imageIndex : I_IMAGENONE;
    int at = static_cast<int>(Send(h, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&lvi)));
    for (size_t k = 0; k < rows[i].subItems.size(); ++k) {
      LVITEMA sub{};
      sub.iSubItem = static_cast<int>(k + 1);
      std::string text = Displayable(rows[i].subItems[k]);
      sub.pszText = text.data();
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

void Win32FormPeer::ApplyListStyle(Item& item) {
  auto& lv = static_cast<ListView&>(*item.control);
  constexpr DWORD kMask = LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES | LVS_EX_GRIDLINES;
  DWORD exStyle = (lv.RowSelect ? LVS_EX_FULLROWSELECT : 0) | (lv.CheckBoxes ? LVS_EX_CHECKBOXES : 0) |
                  (lv.GridLines ? LVS_EX_GRIDLINES : 0);
  ++updating_;
  Send(item.hwnd, LVM_SETEXTENDEDLISTVIEWSTYLE, kMask, exStyle);
  --updating_;
  // Boxes that just appeared show the rows' marks.
  if (lv.CheckBoxes) ApplyListSelection(item);
}

void Win32FormPeer::ApplySmallImages(Item& item) {
  auto& lv = static_cast<ListView&>(*item.control);
  HIMAGELIST old = item.images;
  item.images = lv.SmallImages() ? MakeImageList(*lv.SmallImages(), dpi_) : nullptr;
  Send(item.hwnd, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(item.images));
  if (old) ImageList_Destroy(old);
}

void Win32FormPeer::ApplyRowImages(Item& item) {
  const auto& rows = static_cast<ListView&>(*item.control).Rows();
  ++updating_;
  for (size_t i = 0; i < rows.size(); ++i) {
    LVITEMA lvi{};
    lvi.mask = LVIF_IMAGE;
    lvi.iItem = static_cast<int>(i);
    lvi.iImage = rows[i].imageIndex >= 0 ? rows[i].imageIndex : I_IMAGENONE;
    Send(item.hwnd, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&lvi));
  }
  --updating_;
}

void Win32FormPeer::ListCommand(Item& item, HWND ctl, int code) {
  if (auto* cb = dynamic_cast<ComboBox*>(item.control)) {
    if (code == CBN_SELCHANGE) {
      int i = static_cast<int>(Send(ctl, CB_GETCURSEL));
      Guard([cb, i] { cb->UserSelect(i); });
    } else if (code == CBN_EDITCHANGE) {
      std::string text = WindowText(ctl);
      Guard([cb, &text] { cb->UserSetText(text); });
    }
  } else if (auto* lb = dynamic_cast<ListBox*>(item.control)) {
    if (code == LBN_SELCHANGE) {
      int i = static_cast<int>(Send(ctl, LB_GETCURSEL));
      Guard([lb, i] { lb->UserSelect(i); });
    }
  }
}

LRESULT Win32FormPeer::ListViewNotify(Item& item, NMHDR* nm, bool&) {
  auto* lv = static_cast<ListView*>(item.control);
  if (nm->code == static_cast<UINT>(LVN_ITEMCHANGED)) {
    auto* n = reinterpret_cast<NMLISTVIEW*>(nm);
    if (n->iItem < 0 || !(n->uChanged & LVIF_STATE) || static_cast<size_t>(n->iItem) >= lv->Rows().size()) return 0;
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
  } else if (nm->code == static_cast<UINT>(NM_CLICK)) {
    // The selection has changed already (LVN_ITEMCHANGED comes first).
    int row = reinterpret_cast<NMITEMACTIVATE*>(nm)->iItem;
    Guard([lv, row] { lv->UserClick(row); });
  } else if (nm->code == static_cast<UINT>(NM_DBLCLK)) {
    if (lv->OnDblClick) Guard([lv] { lv->OnDblClick(); });
  }
  return 0;
}

}  // namespace km27::ui
