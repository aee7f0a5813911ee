// Labels, buttons, speed buttons, check boxes, group boxes, radio groups and
// panels: their windows, their checked state, speed button pictures, the
// buttons of a radio group, and their clicks.
#include <algorithm>
#include <cstdlib>

#include "ui/win32/Win32Application.h"
#include "ui/win32/Win32FormPeer.h"
#include "ui/win32/Win32PeerSupport.h"

namespace km27::ui {

using namespace win32peer;

bool win32peer::ButtonWindowShape(Control& c, WindowShape& shape) {
  switch (c.GetKind()) {
    case Kind::Label:
      shape.cls = "STATIC";
      shape.style = SS_NOTIFY | (static_cast<Label&>(c).Alignment == Label::Align::Center ? SS_CENTER | SS_CENTERIMAGE
                                                                                       : SS_LEFT);
      return true;
    case Kind::Line:
      // Painted in the pen's colour (OnCtlColor) and cut to the line's own
      // pixels (ApplyLineShape): what lies beside the line stays visible
      // and clickable.
      shape.cls = "STATIC";
      shape.style = SS_LEFT;
      return true;
    case Kind::Button:
      shape.cls = "BUTTON";
      shape.style = WS_TABSTOP | (static_cast<Button&>(c).Default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
      return true;
    case Kind::SpeedButton:
      shape.cls = "BUTTON";
      shape.style = BS_CHECKBOX | BS_PUSHLIKE | (static_cast<SpeedButton&>(c).Flat ? BS_FLAT : 0);
      return true;
    case Kind::CheckBox:
      shape.cls = "BUTTON";
      shape.style = WS_TABSTOP | BS_CHECKBOX;
      return true;
    case Kind::RadioGroup:
    case Kind::GroupBox:
      shape.cls = "BUTTON";
      shape.style = BS_GROUPBOX;
      return true;
    case Kind::Panel:
      shape.cls = "STATIC";
      shape.style = SS_CENTER | SS_CENTERIMAGE | SS_NOTIFY;
      return true;
    case Kind::Bevel:
      shape.cls = "STATIC";
      shape.style = SS_ETCHEDFRAME;
      return true;
    case Kind::Shape:
      shape.cls = "STATIC";
      shape.style = SS_NOTIFY;
      return true;
    default:
      return false;
  }
}

void Win32FormPeer::ApplyChecked(Item& item) {
  HWND h = item.hwnd;
  if (!h) return;
  if (auto* cb = dynamic_cast<CheckBox*>(item.control)) {
    Send(h, BM_SETCHECK, cb->Checked() ? BST_CHECKED : BST_UNCHECKED);
  } else if (auto* sb = dynamic_cast<SpeedButton*>(item.control)) {
    Send(h, BM_SETCHECK, sb->Down() ? BST_CHECKED : BST_UNCHECKED);
  }
}

// A speed button's picture stands left of its caption (the button's own
// image list, replaced whenever the picture changes).
void Win32FormPeer::ApplyButtonImage(Item& item) {
  auto* sb = dynamic_cast<SpeedButton*>(item.control);
  if (!item.hwnd || !sb) return;
  HIMAGELIST old = item.images;
  const int index = sb->ImageIndex();
  item.images = sb->Images && index >= 0 && static_cast<size_t>(index) < sb->Images->Images().size()
                    ? MakeImageList(*sb->Images, dpi_, index)
                    : nullptr;
  if (!item.images && !old) return;
  BUTTON_IMAGELIST bil{};
  bil.himl = item.images;
  bil.margin = RECT{Scale(6), 0, Scale(2), 0};
  bil.uAlign = BUTTON_IMAGELIST_ALIGN_LEFT;
  Send(item.hwnd, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&bil));
  InvalidateRect(item.hwnd, nullptr, TRUE);
  if (old) ImageList_Destroy(old);
}

void Win32FormPeer::ApplyRadioItems(Item& item) {
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
    // New windows go beneath their siblings: the group box goes down again.
    FixZOrder();
    Layout();
    ApplyVisibility();
  }
}

void Win32FormPeer::ApplyRadioIndex(Item& item) {
  int i = static_cast<RadioGroup&>(*item.control).ItemIndex();
  for (size_t k = 0; k < item.radios.size(); ++k)
    Send(item.radios[k], BM_SETCHECK, static_cast<int>(k) == i ? BST_CHECKED : BST_UNCHECKED);
}

void Win32FormPeer::LayoutRadios(Item& item, const RECT& r) {
  int w = r.right - r.left, h = r.bottom - r.top;
  int n = static_cast<int>(item.radios.size());
  int cols = std::max(1, static_cast<RadioGroup&>(*item.control).Columns);
  int rows = (n + cols - 1) / cols;
  int cw = (w - Scale(16)) / cols;
  int rh = (h - Scale(24)) / rows;
  int bh = std::min(rh, Scale(20));
  for (int i = 0; i < n; ++i) {
    int col = i / rows, row = i % rows;
    MoveWindow(item.radios[static_cast<size_t>(i)], r.left + Scale(8) + col * cw,
               r.top + Scale(18) + row * rh + (rh - bh) / 2, cw, bh, TRUE);
  }
}

void Win32FormPeer::ButtonCommand(Item& item, HWND ctl, int code) {
  Control* c = item.control;
  switch (c->GetKind()) {
    case Kind::Button:
    case Kind::SpeedButton:
    case Kind::CheckBox:
      if (code == BN_CLICKED) Guard([c] { c->Click(); });
      break;
    case Kind::RadioGroup:
      if (code == BN_CLICKED) {
        auto it = std::find(item.radios.begin(), item.radios.end(), ctl);
        if (it != item.radios.end()) {
          int i = static_cast<int>(it - item.radios.begin());
          auto* rg = static_cast<RadioGroup*>(c);
          Guard([rg, i] { rg->UserSelect(i); });
          ApplyItemIndex(item);  // also when the model refused
        }
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

LRESULT CALLBACK Win32FormPeer::GroupSubclass(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                              DWORD_PTR ref) {
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, GroupSubclass, id);
    return DefSubclassProc(hwnd, msg, wp, lp);
  }
  if (msg != WM_ERASEBKGND) return DefSubclassProc(hwnd, msg, wp, lp);
  // The group box leaves its inside to what lies beneath, the dialog's face
  // colour; on a page with tabs the body is the window colour, and so are
  // the captions of the controls placed on the group (OnCtlColor).
  auto* self = reinterpret_cast<Win32FormPeer*>(ref);
  Item* item = self->realized_ ? self->FindWindowItem(hwnd) : nullptr;
  if (!item || !self->OnTabbedPage(*item->control)) return DefSubclassProc(hwnd, msg, wp, lp);
  RECT r;
  GetClientRect(hwnd, &r);
  FillRect(reinterpret_cast<HDC>(wp), &r, GetSysColorBrush(COLOR_WINDOW));
  return 1;
}

int Win32FormPeer::LinePenWidth(const TLine& line) const { return std::max(1, Scale(line.GetPen().width)); }

RECT Win32FormPeer::LineRect(const TLine& line, const RECT& r) const {
  // Both end points are drawn: the window reaches a pen's width past the
  // right and bottom ones (a flat line still has the pen's room across it).
  const int pen = LinePenWidth(line);
  RECT w = r;
  w.right += pen;
  w.bottom += pen;
  return w;
}

void Win32FormPeer::ApplyLineShape(Item& item) {
  auto* line = dynamic_cast<TLine*>(item.control);
  if (!line || !item.hwnd) return;
  RECT wr;
  GetClientRect(item.hwnd, &wr);
  const int w = wr.right, h = wr.bottom;
  const int pen = LinePenWidth(*line);
  // The end points inside the window, from the corner the line starts at.
  const LineStart s = line->StartPos();
  const bool left = s == lsLeftTop || s == lsLeftBottom, top = s == lsLeftTop || s == lsRightTop;
  int x0 = left ? 0 : w - pen, y0 = top ? 0 : h - pen;
  const int x1 = left ? w - pen : 0, y1 = top ? h - pen : 0;
  // One pen-sized square per step of the line (Bresenham).
  HRGN shape = CreateRectRgn(0, 0, 0, 0);
  const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  for (;;) {
    HRGN dot = CreateRectRgn(x0, y0, x0 + pen, y0 + pen);
    CombineRgn(shape, shape, dot, RGN_OR);
    DeleteObject(dot);
    if (x0 == x1 && y0 == y1) break;
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
  // The window owns the region from here on.
  if (!SetWindowRgn(item.hwnd, shape, TRUE)) DeleteObject(shape);
}

}  // namespace km27::ui
