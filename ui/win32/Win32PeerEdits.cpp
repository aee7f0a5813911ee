// Edits and memos: their windows, text mirroring (a memo's appended lines
// go to the control as they are, without resending the whole log), the
// selection, the user's edits, and the keys and focus changes the model's
// handlers see through the control's subclass.
#include <windows.h>
#undef MessageBox
#include <commctrl.h>

#include <climits>

#include "ui/win32/Win32Application.h"
#include "ui/win32/Win32FormPeer.h"
#include "ui/win32/Win32PeerSupport.h"

namespace km27::ui {

using namespace win32peer;

bool win32peer::EditWindowSpec(Control& c, WindowSpec& spec) {
  switch (c.GetKind()) {
    case Kind::Edit:
      spec.cls = "EDIT";
      spec.style = WS_TABSTOP | ES_AUTOHSCROLL;
      spec.ex = WS_EX_CLIENTEDGE;
      spec.subclass = true;
      return true;
    case Kind::Memo: {
      auto& m = static_cast<Memo&>(c);
      spec.cls = "EDIT";
      spec.style = WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
      if (!m.WordWrap) spec.style |= ES_AUTOHSCROLL;
      if (m.ScrollBars) spec.style |= WS_VSCROLL | (m.WordWrap ? 0 : WS_HSCROLL);
      spec.ex = WS_EX_CLIENTEDGE;
      spec.subclass = true;
      return true;
    }
    default:
      return false;
  }
}

void Win32FormPeer::ApplyEditText(Item& item) {
  HWND h = item.hwnd;
  if (!h) return;
  ++updating_;
  if (auto* cb = dynamic_cast<ComboBox*>(item.control)) {
    if (cb->Editable && cb->ItemIndex() < 0) SetWindowTextA(h, cb->Text().c_str());
  } else if (auto* e = dynamic_cast<Edit*>(item.control)) {
    SetWindowTextA(h, Displayable(e->Text()).c_str());
    item.mirrored = e->Text().size();
  }
  --updating_;
}

void Win32FormPeer::ApplyLines(Item& item) {
  HWND h = item.hwnd;
  auto* m = dynamic_cast<Memo*>(item.control);
  if (!m || !h) return;
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

void Win32FormPeer::ApplyEditSelection(Item& item) {
  HWND h = item.hwnd;
  auto* e = dynamic_cast<Edit*>(item.control);
  if (!e || !h) return;
  Send(h, EM_SETSEL, static_cast<WPARAM>(e->SelStart()), static_cast<LPARAM>(e->SelStart() + e->SelLength()));
  Send(h, EM_SCROLLCARET);
}

void Win32FormPeer::EditCommand(Item& item, HWND ctl, int code) {
  if (code != EN_CHANGE) return;
  auto* e = static_cast<Edit*>(item.control);
  std::string text = WindowText(ctl);
  item.mirrored = text.size();
  Guard([e, &text] { e->UserSetText(text); });
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
