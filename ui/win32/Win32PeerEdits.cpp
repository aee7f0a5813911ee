// Edits and memos: their windows, text mirroring (a memo's appended lines
// go to the control as they are, without resending the whole log), the
// selection both ways, the user's edits, the keys, mouse moves and focus
// changes the model's handlers see through the control's subclass, and the
// key notation filter that wraps an edit's window procedure while it is on.
#include <windows.h>
#undef MessageBox
#include <commctrl.h>

#include <windowsx.h>

#include <climits>

#include "ui/win32/Win32Application.h"
#include "ui/win32/Win32FormPeer.h"
#include "ui/win32/Win32PeerSupport.h"

namespace km27::ui {

using namespace win32peer;

bool win32peer::EditWindowShape(Control& c, WindowShape& shape) {
  switch (c.GetKind()) {
    case Kind::Edit:
      shape.cls = "EDIT";
      shape.style = WS_TABSTOP | ES_AUTOHSCROLL;
      shape.ex = WS_EX_CLIENTEDGE;
      shape.subclass = true;
      return true;
    case Kind::Memo: {
      auto& m = static_cast<Memo&>(c);
      shape.cls = "EDIT";
      shape.style = WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
      if (!m.WordWrap) shape.style |= ES_AUTOHSCROLL;
      if (m.ScrollBars) shape.style |= WS_VSCROLL | (m.WordWrap ? 0 : WS_HSCROLL);
      shape.ex = WS_EX_CLIENTEDGE;
      shape.subclass = true;
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

void Win32FormPeer::SyncEditSelection(Edit& e, HWND hwnd) {
  DWORD start = 0, end = 0;
  Send(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  e.UserSetSelection(static_cast<int>(start), static_cast<int>(end - start));
}

namespace {

constexpr UINT_PTR kNotationFilterId = 2;  // the control's own subclass is 1

// The character of a WM_CHAR or WM_IME_CHAR as bytes of the ANSI code page:
// one byte, two for a double-byte character, none when the code page has no
// such character. A subclassed control is a Unicode window and gets UTF-16
// characters, a double-byte character as one message; an ANSI window gets
// bytes, a double-byte character as a lead and a trail byte message (or one
// WM_IME_CHAR with the lead byte in the high byte).
std::string AnsiBytes(HWND hwnd, UINT msg, WPARAM wp) {
  if (!IsWindowUnicode(hwnd)) {
    if (msg == WM_IME_CHAR && (wp & 0xFF00)) return {static_cast<char>((wp >> 8) & 0xFF), static_cast<char>(wp & 0xFF)};
    return std::string(1, static_cast<char>(wp & 0xFF));
  }
  WCHAR w = static_cast<WCHAR>(wp & 0xFFFF);
  char bytes[8];
  BOOL usedDefault = FALSE;
  int n = WideCharToMultiByte(CP_ACP, 0, &w, 1, bytes, sizeof bytes, nullptr, &usedDefault);
  if (n <= 0 || usedDefault) return {};
  return std::string(bytes, static_cast<size_t>(n));
}

// A byte of the ANSI code page as the character parameter of the window.
WPARAM CharParam(HWND hwnd, char c) {
  if (!IsWindowUnicode(hwnd)) return static_cast<unsigned char>(c);
  WCHAR w = 0;
  MultiByteToWideChar(CP_ACP, 0, &c, 1, &w, 1);
  return w;
}

// Removes the next waiting character message for the window when it is a
// trail byte.
void TakeTrailByte(HWND hwnd) {
  MSG next;
  bool unicode = IsWindowUnicode(hwnd) != FALSE;
  auto peek = unicode ? PeekMessageW : PeekMessageA;
  if (!peek(&next, hwnd, WM_CHAR, WM_CHAR, PM_NOREMOVE | PM_NOYIELD)) return;
  std::string bytes = AnsiBytes(hwnd, WM_CHAR, next.wParam);
  if (bytes.size() == 1 && IsTrailByte(static_cast<unsigned char>(bytes[0])))
    peek(&next, hwnd, WM_CHAR, WM_CHAR, PM_REMOVE | PM_NOYIELD);
}

}  // namespace

void Win32FormPeer::ApplyInputFilter(Item& item) {
  auto* e = dynamic_cast<Edit*>(item.control);
  if (!e || !item.hwnd) return;
  // Installed after the control's own subclass, the filter sees every
  // character first, so that no handler sees a refused one.
  if (e->KeyNotationInput())
    SetWindowSubclass(item.hwnd, NotationFilter, kNotationFilterId, reinterpret_cast<DWORD_PTR>(this));
  else
    RemoveWindowSubclass(item.hwnd, NotationFilter, kNotationFilterId);
}

void Win32FormPeer::RefusedTyping() {
  if (app_) Guard([this] { app_->SimpleBeep(); });
}

LRESULT CALLBACK Win32FormPeer::NotationFilter(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                               DWORD_PTR ref) {
  auto* self = reinterpret_cast<Win32FormPeer*>(ref);
  switch (msg) {
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, NotationFilter, id);
      break;
    case WM_CHAR:
    case WM_IME_CHAR: {
      std::string bytes = AnsiBytes(hwnd, msg, wp);
      if (bytes.empty()) return 0;  // no character of the code page: above 126
      if (bytes.size() > 1) {       // a double-byte character in one message
        self->RefusedTyping();
        return 0;
      }
      switch (ClassifyNotationChar(static_cast<unsigned char>(bytes[0]))) {
        case NotationChar::LeadByte:
          // A lead byte on its own: its trail byte waits right behind it
          // when the character came from the keyboard or the input method.
          if (msg == WM_CHAR) TakeTrailByte(hwnd);
          self->RefusedTyping();
          return 0;
        case NotationChar::Drop:
          return 0;
        case NotationChar::Type:
          break;
      }
      break;
    }
    default:
      break;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
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
      // The handler sees the byte of the ANSI code page (the lead byte of a
      // double-byte character, which then goes or stays whole).
      std::string bytes = AnsiBytes(hwnd, msg, wp);
      if (bytes.empty()) break;
      char key = bytes[0];
      Guard([e, &key] { e->OnKeyPress(key); });
      if (key == 0) {
        handled = true;
        return 0;
      }
      if (bytes.size() == 1 && key != bytes[0]) wp = CharParam(hwnd, key);
      break;
    }
    case WM_KEYDOWN:
    case WM_KEYUP: {
      auto& fn = msg == WM_KEYDOWN ? e->OnKeyDown : e->OnKeyUp;
      if (!fn) break;
      // A released key may have moved the caret or the selection.
      if (msg == WM_KEYUP) SyncEditSelection(*e, hwnd);
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
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP: {
      // The control moves the selection first; the handler sees the new one.
      LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
      SyncEditSelection(*e, hwnd);
      if (msg == WM_MOUSEMOVE && e->OnMouseMove) {
        // The model counts in design pixels, as its bounds do.
        int shift = ShiftState(), x = UnscaleLength(GET_X_LPARAM(lp), dpi_), y = UnscaleLength(GET_Y_LPARAM(lp), dpi_);
        Guard([e, shift, x, y] { e->OnMouseMove(shift, x, y); });
      }
      handled = true;
      return r;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
      // The model keeps the caret where the user left it (the key code
      // dialog inserts there when a key is clicked).
      if (msg == WM_KILLFOCUS) SyncEditSelection(*e, hwnd);
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
