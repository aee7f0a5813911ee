// The window KM27.exe types into during the end-to-end tests: a top-level
// window with one focused multi-line edit control. Every change of the text
// is written to the file named on the command line (whole text, replaced
// atomically), so a script can read what arrived without touching the focus.
//   km27target <output file> [title]
// Class "KM27Target", title "KM27 Target" unless another is given. The window takes the foreground
// and the focus when it starts and whenever it receives WM_USER (winctl post).
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

HWND gEdit = nullptr;
std::string gOut;

void Save() {
  int n = GetWindowTextLengthA(gEdit);
  std::string text(static_cast<size_t>(n) + 1, '\0');
  GetWindowTextA(gEdit, text.data(), n + 1);
  text.resize(static_cast<size_t>(n));
  std::string tmp = gOut + ".tmp";
  FILE* f = std::fopen(tmp.c_str(), "wb");
  if (!f) return;
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
  MoveFileExA(tmp.c_str(), gOut.c_str(), MOVEFILE_REPLACE_EXISTING);
}

void TakeFocus(HWND frame) {
  ShowWindow(frame, SW_SHOWNORMAL);
  SetForegroundWindow(frame);
  SetActiveWindow(frame);
  SetFocus(gEdit);
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (reinterpret_cast<HWND>(lp) == gEdit && HIWORD(wp) == EN_CHANGE) Save();
      return 0;
    case WM_USER:
      TakeFocus(hwnd);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wp) != WA_INACTIVE && gEdit) SetFocus(gEdit);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: km27target <output file> [title]\n");
    return 2;
  }
  gOut = argv[1];
  HINSTANCE inst = GetModuleHandleA(nullptr);
  WNDCLASSA wc{};
  wc.lpfnWndProc = WndProc;
  wc.hInstance = inst;
  wc.lpszClassName = "KM27Target";
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  RegisterClassA(&wc);
  const char* title = argc > 2 ? argv[2] : "KM27 Target";
  HWND frame = CreateWindowExA(0, "KM27Target", title, WS_OVERLAPPEDWINDOW, 40, 40, 520, 300, nullptr, nullptr, inst,
                               nullptr);
  gEdit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                          WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL, 0,
                          0, 500, 260, frame, nullptr, inst, nullptr);
  if (!frame || !gEdit) return 1;
  Save();
  TakeFocus(frame);
  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  return 0;
}
