// Entry of KM27.exe. For now: a hidden top-level window and the message loop;
// the single-instance rule, the windows and the start-up sequence join here.
#include <windows.h>

namespace {

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = MainWndProc;
  wc.hInstance = instance;
  wc.lpszClassName = "TfrmMain";
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  if (!RegisterClassA(&wc)) return 1;
  HWND hwnd = CreateWindowExA(0, "TfrmMain", "ORVANE Larkway", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                              CW_USEDEFAULT, 436, 381, nullptr, nullptr, instance, nullptr);
  if (!hwnd) return 1;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
