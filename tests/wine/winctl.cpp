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
//   winctl box-utf8 <caption|*> <timeout ms>       the same, the texts as UTF-8 (as shown)
//   winctl boxok <caption|*>                       presses the message box's OK button
//   winctl foreground                              prints class<TAB>title of the foreground window
//   winctl click <class> <title|*> <text>           presses the window's button with that text
//                                                  (BM_CLICK, posted)
//   winctl origin <class> [title|*]                prints the screen position x y of the
//                                                  window's client area
//   winctl command <class> <title|*> <child class> <id>   posts WM_COMMAND(id) from the window's
//                                                  first child of that class (a tool bar button)
//   winctl front <class> <title|*>                 brings the window to the foreground
//   winctl rows <class> <title|*>                  one line per row of the window's first list
//                                                  view: its cells separated by tabs
//   winctl select <class> <title|*> <row>          selects that row of the window's first list view
//   winctl rect <class> [title|*]                  prints the window's screen rectangle
//                                                  x y width height (frame included)
//   winctl dpi                                     prints the screen's dots per inch
//   winctl settext <class> <title|*> <after> <text>   sets the text of the first edit that
//                                                  follows the child with the text <after>
//                                                  (its label), as a paste would
//   winctl type <class> <title|*> <text>           posts the characters of <text> as WM_CHAR
//                                                  to the control with the focus in that window
// A text written hex:<bytes> (hex:8349 ...) is those bytes of the ANSI code
// page: Wine hands a command line to the program through the Unix locale,
// which may lack the characters (Japanese captions on a C locale).
#include <windows.h>
#include <commctrl.h>

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

// Texts read as UTF-16 and printed as UTF-8 (box-utf8): what the user sees,
// whatever the ANSI code page.
bool gUtf8 = false;

std::string TextOf(HWND w) {
  if (gUtf8) {
    wchar_t wide[4096] = {};
    SendMessageTimeoutW(w, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(wide), SMTO_ABORTIFHUNG, 2000, nullptr);
    char utf8[4096 * 3] = {};
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof utf8, nullptr, nullptr);
    return utf8;
  }
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
               "       | front <class> <title|*> | rows <class> <title|*> | select <class> <title|*> <row>\n"
               "       | rect <class> [title|*] | dpi\n"
               "       | settext <class> <title|*> <after> <text> | type <class> <title|*> <text>\n");
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

// The first edit after the child whose text is `after`, in the order the
// children were made (a label and then the box it names).
struct EditAfterCtx {
  std::string after;
  bool seen = false;
  HWND found = nullptr;
};

BOOL CALLBACK FindEditAfter(HWND w, LPARAM lp) {
  auto* c = reinterpret_cast<EditAfterCtx*>(lp);
  if (!c->seen) {
    c->seen = TextOf(w) == c->after;
    return TRUE;
  }
  if (ClassOf(w) != "Edit") return TRUE;
  c->found = w;
  return FALSE;
}

BOOL CALLBACK FindChild(HWND w, LPARAM lp) {
  auto* c = reinterpret_cast<ChildCtx*>(lp);
  if ((c->cls.empty() || ClassOf(w) == c->cls) && (c->text.empty() || TextOf(w) == c->text)) {
    c->found = w;
    return FALSE;
  }
  return TRUE;
}

// Memory inside another process, for the list view messages that carry a
// pointer (the list view reads and writes it in its own address space).
class RemoteBuffer {
 public:
  RemoteBuffer(HWND w, size_t size) : size_(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_) at_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
  }
  ~RemoteBuffer() {
    if (at_) VirtualFreeEx(process_, at_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;
  bool Ok() const { return at_ != nullptr; }
  char* At(size_t offset = 0) const { return static_cast<char*>(at_) + offset; }
  bool Write(size_t offset, const void* data, size_t n) {
    return WriteProcessMemory(process_, At(offset), data, n, nullptr);
  }
  bool Read(size_t offset, void* data, size_t n) { return ReadProcessMemory(process_, At(offset), data, n, nullptr); }

 private:
  size_t size_;
  HANDLE process_ = nullptr;
  void* at_ = nullptr;
};

HWND FirstListView(HWND w) {
  ChildCtx c;
  c.cls = WC_LISTVIEWA;
  EnumChildWindows(w, FindChild, reinterpret_cast<LPARAM>(&c));
  return c.found;
}

int PrintRows(HWND lv) {
  const int rows = static_cast<int>(SendMessageA(lv, LVM_GETITEMCOUNT, 0, 0));
  HWND header = reinterpret_cast<HWND>(SendMessageA(lv, LVM_GETHEADER, 0, 0));
  const int columns = header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
  constexpr size_t kText = 2048;
  RemoteBuffer remote(lv, sizeof(LVITEMA) + kText);
  if (!remote.Ok()) return 1;
  for (int r = 0; r < rows; ++r) {
    for (int col = 0; col < columns; ++col) {
      LVITEMA item{};
      item.iSubItem = col;
      item.pszText = remote.At(sizeof(LVITEMA));
      item.cchTextMax = kText;
      char text[kText] = {};
      if (!remote.Write(0, &item, sizeof item)) return 1;
      SendMessageA(lv, LVM_GETITEMTEXTA, static_cast<WPARAM>(r), reinterpret_cast<LPARAM>(remote.At()));
      remote.Read(sizeof(LVITEMA), text, kText - 1);
      std::printf("%s%s", col ? "\t" : "", text);
    }
    std::printf("\n");
  }
  return 0;
}

int SelectRow(HWND lv, int row) {
  RemoteBuffer remote(lv, sizeof(LVITEMA));
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  if (!remote.Ok() || !remote.Write(0, &item, sizeof item)) return 1;
  return SendMessageA(lv, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.At())) ? 0 : 1;
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
  gUtf8 = std::strcmp(cmd, "box-utf8") == 0;
  if (std::strcmp(cmd, "box") == 0 || gUtf8) {
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
  if (std::strcmp(cmd, "front") == 0) {
    ShowWindow(w, SW_SHOWNORMAL);
    return SetForegroundWindow(w) ? 0 : 1;
  }
  if (std::strcmp(cmd, "rows") == 0 || std::strcmp(cmd, "select") == 0) {
    HWND lv = FirstListView(w);
    if (!lv) {
      std::fprintf(stderr, "winctl: no list view\n");
      return 1;
    }
    if (cmd[0] == 'r') return PrintRows(lv);
    if (argc < 5) return Usage();
    return SelectRow(lv, std::atoi(argv[4]));
  }
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
  if (std::strcmp(cmd, "settext") == 0) {
    if (argc < 6) return Usage();
    EditAfterCtx c;
    c.after = TextArg(argv[4]);
    EnumChildWindows(w, FindEditAfter, reinterpret_cast<LPARAM>(&c));
    if (!c.found) {
      std::fprintf(stderr, "winctl: no edit after %s\n", argv[4]);
      return 1;
    }
    DWORD_PTR result = 0;
    const std::string text = TextArg(argv[5]);
    return SendMessageTimeoutA(c.found, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000,
                               &result) && result
               ? 0
               : 1;
  }
  if (std::strcmp(cmd, "type") == 0) {
    if (argc < 5) return Usage();
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(w, nullptr), &gui) || !gui.hwndFocus) {
      std::fprintf(stderr, "winctl: nothing has the focus\n");
      return 1;
    }
    for (char ch : TextArg(argv[4]))
      if (!PostMessageA(gui.hwndFocus, WM_CHAR, static_cast<unsigned char>(ch), 1)) return 1;
    return 0;
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
