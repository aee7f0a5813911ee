// Small Windows-side helper for the Wine test scripts: finds top-level windows
// and sends them messages, so a script can wait for a program's window, read a
// control's text and close it the way a user would.
//   winctl wait <class> <title|*> <timeout ms>   exit 0 when the window exists
//   winctl close <class> [title|*]                 posts WM_CLOSE
//   winctl gone <class> <title|*> <timeout ms>    exit 0 when no such window is left
//   winctl text <class> [title|*]                  prints the window's text
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

HWND Find(const char* cls, const char* title) {
  const char* t = (title && std::strcmp(title, "*") != 0) ? title : nullptr;
  return FindWindowA(cls, t);
}

int Usage() {
  std::fprintf(stderr, "usage: winctl wait|gone <class> <title|*> <ms> | close|text <class> [title|*]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const char* cmd = argv[1];
  const char* cls = argv[2];
  const char* title = argc > 3 ? argv[3] : "*";
  if (std::strcmp(cmd, "wait") == 0 || std::strcmp(cmd, "gone") == 0) {
    if (argc < 5) return Usage();
    bool wantPresent = std::strcmp(cmd, "wait") == 0;
    DWORD limit = static_cast<DWORD>(std::atol(argv[4]));
    DWORD start = GetTickCount();
    for (;;) {
      bool present = Find(cls, title) != nullptr;
      if (present == wantPresent) return 0;
      if (GetTickCount() - start > limit) return 1;
      Sleep(50);
    }
  }
  HWND w = Find(cls, title);
  if (!w) {
    std::fprintf(stderr, "winctl: no window of class %s\n", cls);
    return 1;
  }
  if (std::strcmp(cmd, "close") == 0) return PostMessageA(w, WM_CLOSE, 0, 0) ? 0 : 1;
  if (std::strcmp(cmd, "text") == 0) {
    char buf[4096] = {};
    GetWindowTextA(w, buf, sizeof buf);
    std::printf("%s\n", buf);
    return 0;
  }
  return Usage();
}
