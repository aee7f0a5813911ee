// Small Windows-side helper for the Wine test scripts: finds top-level windows
// and sends them messages, so a script can wait for a program's window, read a
// control's text and close it the way a user would.
//   winctl wait <class> <title|*> <timeout ms>   exit 0 when the window exists
//   winctl close <class> [title|*]                 posts WM_CLOSE
//   winctl gone <class> <title|*> <timeout ms>    exit 0 when no such window is left
//   winctl text <class> [title|*]                  prints the window's text
//   winctl visible <class> [title|*]               exit 0 when the window is visible
//   winctl children <class> [title|*]              one line per child:
//                                                  class<TAB>text<TAB>enabled|disabled<TAB>visible|hidden
//   winctl post <class> <title|*> <msg> <wparam> <lparam>   posts a message (numbers: 0x.. or decimal)
//   winctl count <class>                           prints how many windows (top-level or
//                                                  child) have that class
//   winctl box <caption|*> <timeout ms>            waits for a message box; prints its
//                                                  caption, then the texts of its controls
//   winctl boxok <caption|*>                       presses the message box's OK button
//   winctl foreground                              prints class<TAB>title of the foreground window
//   winctl click <class> <title|*> <text>           presses the window's button with that text
//                                                  (BM_CLICK, posted)
//   winctl origin <class> [title|*]                prints the screen position x y of the
//                                                  window's client area
//   winctl command <class> <title|*> <child class> <id>   posts WM_COMMAND(id) from the window's
//                                                  first child of that class (a tool bar button)
//   winctl rect <class> [title|*]                  prints the window's screen rectangle
//                                                  x y width height (frame included)
//   winctl dpi                                     prints the screen's dots per inch
// A text written hex:<bytes> (hex:8349 ...) is those bytes of the ANSI code
// page: Wine hands a command line to the program through the Unix locale,
// which may lack the characters (Japanese captions on a C locale).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

HWND Find(const char* cls, const char* title) {
  const char* t = (title && std::strcmp(title, "*") != 0) ? title : nullptr;
  return FindWindowA(cls, t);
}

std::string ClassOf(HWND w) {
  char buf[256] = {};
  GetClassNameA(w, buf, sizeof buf);
  return buf;
}

std::string TextOf(HWND w) {
  char buf[4096] = {};
  // WM_GETTEXT reaches controls of other processes too.
  SendMessageTimeoutA(w, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 2000, nullptr);
  return buf;
}

int Usage() {
  std::fprintf(stderr,
               "usage: winctl wait|gone <class> <title|*> <ms> | close|text|visible|children <class> [title|*]\n"
               "       | post <class> <title|*> <msg> <wparam> <lparam> | count <class>\n"
               "       | box <caption|*> <ms> | boxok <caption|*> | foreground\n"
               "       | origin <class> [title|*] | click <class> <title|*> <text> | command <class> <title|*> <child class> <id>\n"
               "       | rect <class> [title|*] | dpi\n");
  return 2;
}

long Number(const char* s) { return std::strtol(s, nullptr, 0); }

std::string TextArg(const char* s) {
  if (std::strncmp(s, "hex:", 4) != 0) return s;
  std::string out;
  for (const char* p = s + 4; p[0] && p[1]; p += 2) {
    const char pair[3] = {p[0], p[1], 0};
    out += static_cast<char>(std::strtol(pair, nullptr, 16));
  }
  return out;
}

struct CountCtx {
  std::string cls;
  int count = 0;
};

BOOL CALLBACK CountChild(HWND w, LPARAM lp) {
  auto* c = reinterpret_cast<CountCtx*>(lp);
  if (ClassOf(w) == c->cls) ++c->count;
  return TRUE;
}

BOOL CALLBACK CountTop(HWND w, LPARAM lp) {
  CountChild(w, lp);
  EnumChildWindows(w, CountChild, lp);
  return TRUE;
}

BOOL CALLBACK PrintChild(HWND w, LPARAM) {
  std::printf("%s\t%s\t%s\t%s\n", ClassOf(w).c_str(), TextOf(w).c_str(), IsWindowEnabled(w) ? "enabled" : "disabled",
              IsWindowVisible(w) ? "visible" : "hidden");
  return TRUE;
}

HWND FindBox(const char* caption) { return Find("#32770", caption); }

struct ChildCtx {
  std::string cls, text;
  HWND found = nullptr;
};

BOOL CALLBACK FindChild(HWND w, LPARAM lp) {
  auto* c = reinterpret_cast<ChildCtx*>(lp);
  if ((c->cls.empty() || ClassOf(w) == c->cls) && (c->text.empty() || TextOf(w) == c->text)) {
    c->found = w;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  // Positions and sizes as they are on the screen, also on a screen of more
  // than 96 dpi (where the system would scale them for an unaware program).
  SetProcessDPIAware();
  const char* cmd = argv[1];
  if (std::strcmp(cmd, "dpi") == 0) {
    HDC dc = GetDC(nullptr);
    std::printf("%d\n", GetDeviceCaps(dc, LOGPIXELSY));
    ReleaseDC(nullptr, dc);
    return 0;
  }
  if (std::strcmp(cmd, "foreground") == 0) {
    HWND w = GetForegroundWindow();
    if (!w) return 1;
    std::printf("%s\t%s\n", ClassOf(w).c_str(), TextOf(w).c_str());
    return 0;
  }
  if (argc < 3) return Usage();
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
  if (std::strcmp(cmd, "count") == 0) {
    CountCtx c;
    c.cls = cls;
    EnumWindows(CountTop, reinterpret_cast<LPARAM>(&c));
    std::printf("%d\n", c.count);
    return 0;
  }
  if (std::strcmp(cmd, "box") == 0) {
    // Here the second word is the caption.
    if (argc < 4) return Usage();
    DWORD limit = static_cast<DWORD>(std::atol(argv[3]));
    DWORD start = GetTickCount();
    HWND box = nullptr;
    while (!(box = FindBox(argv[2]))) {
      if (GetTickCount() - start > limit) return 1;
      Sleep(50);
    }
    Sleep(100);  // let the box finish creating its controls
    std::printf("%s\n", TextOf(box).c_str());
    EnumChildWindows(box, PrintChild, 0);
    return 0;
  }
  if (std::strcmp(cmd, "boxok") == 0) {
    HWND box = FindBox(argv[2]);
    if (!box) return 1;
    return PostMessageA(box, WM_COMMAND, IDOK, 0) ? 0 : 1;
  }
  HWND w = Find(cls, title);
  if (!w) {
    std::fprintf(stderr, "winctl: no window of class %s\n", cls);
    return 1;
  }
  if (std::strcmp(cmd, "close") == 0) return PostMessageA(w, WM_CLOSE, 0, 0) ? 0 : 1;
  if (std::strcmp(cmd, "text") == 0) {
    std::printf("%s\n", TextOf(w).c_str());
    return 0;
  }
  if (std::strcmp(cmd, "visible") == 0) return IsWindowVisible(w) ? 0 : 1;
  if (std::strcmp(cmd, "origin") == 0) {
    POINT p{0, 0};
    ClientToScreen(w, &p);
    std::printf("%ld %ld\n", static_cast<long>(p.x), static_cast<long>(p.y));
    return 0;
  }
  if (std::strcmp(cmd, "rect") == 0) {
    RECT r;
    if (!GetWindowRect(w, &r)) return 1;
    std::printf("%ld %ld %ld %ld\n", static_cast<long>(r.left), static_cast<long>(r.top),
                static_cast<long>(r.right - r.left), static_cast<long>(r.bottom - r.top));
    return 0;
  }
  if (std::strcmp(cmd, "children") == 0) {
    EnumChildWindows(w, PrintChild, 0);
    return 0;
  }
  if (std::strcmp(cmd, "click") == 0 || std::strcmp(cmd, "command") == 0) {
    bool click = std::strcmp(cmd, "click") == 0;
    if (argc < (click ? 5 : 6)) return Usage();
    ChildCtx c;
    if (click)
      c.text = TextArg(argv[4]);
    else
      c.cls = argv[4];
    EnumChildWindows(w, FindChild, reinterpret_cast<LPARAM>(&c));
    if (!c.found) {
      std::fprintf(stderr, "winctl: no child %s\n", argv[4]);
      return 1;
    }
    if (click) return IsWindowEnabled(c.found) && PostMessageA(c.found, BM_CLICK, 0, 0) ? 0 : 1;
    return PostMessageA(w, WM_COMMAND, MAKEWPARAM(std::atoi(argv[5]), BN_CLICKED), reinterpret_cast<LPARAM>(c.found))
               ? 0
               : 1;
  }
  if (std::strcmp(cmd, "post") == 0) {
    if (argc < 7) return Usage();
    return PostMessageA(w, static_cast<UINT>(Number(argv[4])), static_cast<WPARAM>(Number(argv[5])),
                        static_cast<LPARAM>(Number(argv[6])))
               ? 0
               : 1;
  }
  return Usage();
}
