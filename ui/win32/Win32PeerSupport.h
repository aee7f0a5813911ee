#pragma once
// Small helpers shared by the files of the form peer (Win32FormPeer*.cpp and
// Win32Peer*.cpp): message sending, window texts, and the window class and
// styles of each family of controls.
#include <windows.h>
#undef MessageBox
#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "ui/Components.h"

namespace km27::ui::win32peer {

constexpr uint32_t kDefaultColor = 0xFFFFFFFF;

inline LRESULT Send(HWND h, UINT msg, WPARAM wp = 0, LPARAM lp = 0) { return SendMessageA(h, msg, wp, lp); }

inline std::string WindowText(HWND h) {
  int n = GetWindowTextLengthA(h);
  std::string s(static_cast<size_t>(n) + 1, '\0');
  int got = GetWindowTextA(h, s.data(), n + 1);
  s.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return s;
}

// The system's controls end a text at a 0 byte; inside a text it shows as a
// space so that nothing after it is lost.
inline std::string Displayable(const std::string& s) {
  std::string t = s;
  std::replace(t.begin(), t.end(), '\0', ' ');
  return t;
}

// Shift state bits of the keyboard now: 1 Shift, 2 Ctrl, 4 Alt.
inline int ShiftState() {
  int s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= 1;
  if (GetKeyState(VK_CONTROL) < 0) s |= 2;
  if (GetKeyState(VK_MENU) < 0) s |= 4;
  return s;
}

// The child window a control is made of.
struct WindowShape {
  const char* cls = nullptr;  // nullptr: the control has no window of its own
  DWORD style = 0;            // added to WS_CHILD | WS_CLIPSIBLINGS
  DWORD ex = 0;
  bool subclass = false;      // keys and focus go through the peer
};

// Each family of controls tells how its kinds are made; false when the kind
// is not one of the family's.
bool ButtonWindowShape(Control& c, WindowShape& shape);  // labels, buttons, check boxes, groups, panels
bool EditWindowShape(Control& c, WindowShape& shape);    // edits and memos
bool ListWindowShape(Control& c, WindowShape& shape);    // combo boxes, list boxes, list views
bool PageWindowShape(Control& c, WindowShape& shape);    // page and tab controls, up-downs
bool ToolBarWindowShape(Control& c, WindowShape& shape); // tool bars and their buttons

// The pictures of an image list as a system image list with their alpha
// channel (tool bars, list view rows), at their size on a screen of `dpi`;
// with `only` a valid index, a list of that one picture (a speed button's).
// nullptr when it cannot be made.
HIMAGELIST MakeImageList(const ImageList& list, int dpi, int only = -1);

}  // namespace km27::ui::win32peer
