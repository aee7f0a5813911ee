#include "shell/win32/Win32TrayPeer.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <map>
#include <vector>

#include "ui/Components.h"

namespace km27 {

namespace {

constexpr const char* kHandlerClass = "TCoolTrayIconHandler";

// The hidden window shared by all tray icons: it receives their callback
// messages and the shell's "TaskbarCreated" broadcast (a top-level window,
// since message-only windows miss broadcasts). Created with the first icon,
// destroyed with the last.
class TrayHandler {
 public:
  static TrayHandler& Get() {
    static TrayHandler h;
    return h;
  }

  UINT Register(TCoolTrayIcon& icon) {
    if (icons_.empty()) Create();
    UINT id = nextId_++;
    icons_[id] = &icon;
    return id;
  }

  void Unregister(UINT id) {
    icons_.erase(id);
    if (icons_.empty()) Destroy();
  }

  HWND Window() const { return hwnd_; }

 private:
  void Create() {
    HINSTANCE inst = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    if (!GetClassInfoA(inst, kHandlerClass, &wc)) {
      wc = WNDCLASSA{};
      wc.lpfnWndProc = &TrayHandler::WndProc;
      wc.hInstance = inst;
      wc.lpszClassName = kHandlerClass;
      RegisterClassA(&wc);
    }
    taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
    nextId_ = 1;
    hwnd_ = CreateWindowExA(WS_EX_TOOLWINDOW, kHandlerClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, inst,
                            nullptr);
  }

  void Destroy() {
    if (hwnd_) DestroyWindow(hwnd_);
    hwnd_ = nullptr;
  }

  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    TrayHandler& h = Get();
    if (msg == WM_TRAYNOTIFY) {
      auto it = h.icons_.find(static_cast<UINT>(wp));
      if (it != h.icons_.end()) it->second->HandleNotification(static_cast<uint32_t>(lp));
      return 0;
    }
    if (msg != 0 && msg == h.taskbarCreated_) {
      // Handlers may delete icons; walk a copy.
      std::vector<TCoolTrayIcon*> icons;
      for (auto& [id, icon] : h.icons_) icons.push_back(icon);
      for (TCoolTrayIcon* icon : icons) icon->TaskbarCreated();
      return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
  }

  std::map<UINT, TCoolTrayIcon*> icons_;
  UINT nextId_ = 1;
  UINT taskbarCreated_ = 0;
  HWND hwnd_ = nullptr;
};

class Win32TrayPeer : public ITrayPeer {
 public:
  explicit Win32TrayPeer(TCoolTrayIcon& icon) : id_(TrayHandler::Get().Register(icon)) {}

  ~Win32TrayPeer() override {
    for (auto& [id, h] : icons_)
      if (h.owned) DestroyIcon(h.handle);
    TrayHandler::Get().Unregister(id_);
  }

  bool AddIcon(const TrayIconData& d) override { return Notify(NIM_ADD, d); }
  bool ModifyIcon(const TrayIconData& d) override { return Notify(NIM_MODIFY, d); }
  bool DeleteIcon() override {
    NOTIFYICONDATAA nid = Base();
    return Shell_NotifyIconA(NIM_DELETE, &nid) != FALSE;
  }

  void SetVersion(int version) override {
    NOTIFYICONDATAA nid = Base();
    nid.uVersion = static_cast<UINT>(version);
    Shell_NotifyIconA(NIM_SETVERSION, &nid);
  }

  // The keys held right now: the tray's notifications come from the shell,
  // so this thread's own key state may lag behind the user's hand.
  ShiftState ModifierKeys() override {
    ShiftState s = 0;
    if (GetAsyncKeyState(VK_SHIFT) < 0) s |= ss::Shift;
    if (GetAsyncKeyState(VK_CONTROL) < 0) s |= ss::Ctrl;
    if (GetAsyncKeyState(VK_MENU) < 0) s |= ss::Alt;
    return s;
  }

  TrayPoint CursorPos() override {
    POINT p{};
    GetCursorPos(&p);
    return {p.x, p.y};
  }

  uint32_t DoubleClickTime() override { return GetDoubleClickTime(); }

  void PopupMenu(ui::PopupMenu& menu, int x, int y) override {
    if (menu.OnPopup) menu.OnPopup();
    HMENU h = CreatePopupMenu();
    if (!h) return;
    std::vector<ui::MenuItem*> items;
    for (ui::MenuItem* item : menu.Items()) {
      if (!item->Visible()) continue;
      if (item->Caption() == "-") {
        AppendMenuA(h, MF_SEPARATOR, 0, nullptr);
        continue;
      }
      items.push_back(item);
      UINT flags = MF_STRING | (item->Enabled() ? MF_ENABLED : MF_GRAYED);
      AppendMenuA(h, flags, items.size(), item->Caption().c_str());
      if (item->Default) SetMenuDefaultItem(h, static_cast<UINT>(items.size()), FALSE);
    }
    // The menu's window must be in front, or the menu does not close when
    // the user clicks elsewhere; the null message afterwards lets it go.
    HWND owner = TrayHandler::Get().Window();
    SetForegroundWindow(owner);
    UINT cmd = static_cast<UINT>(
        TrackPopupMenu(h, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, x, y, 0, owner, nullptr));
    PostMessageA(owner, WM_NULL, 0, 0);
    DestroyMenu(h);
    if (cmd >= 1 && cmd <= items.size()) items[cmd - 1]->Click();
  }

  // Every form has its own taskbar button: there is no separate application
  // window to hide or restore.
  void HideApplication() override {}
  void RestoreApplication() override {}

 private:
  struct IconHandle {
    HICON handle = nullptr;
    bool owned = false;  // loaded for this icon; the stock icon is shared
  };

  HICON IconFor(int id) {
    auto it = icons_.find(id);
    if (it != icons_.end()) return it->second.handle;
    IconHandle h;
    h.handle = LoadTrayIcon(id);
    h.owned = h.handle && h.handle != StockTrayIcon();
    icons_[id] = h;
    return h.handle;
  }

  NOTIFYICONDATAA Base() const {
    NOTIFYICONDATAA nid{};
    nid.cbSize = NOTIFYICONDATAA_V2_SIZE;
    nid.hWnd = TrayHandler::Get().Window();
    nid.uID = id_;
    return nid;
  }

  static void Copy(char* dst, size_t cap, const std::string& s) {
    size_t n = s.size() < cap - 1 ? s.size() : cap - 1;
    std::memcpy(dst, s.data(), n);
    dst[n] = '\0';
  }

  bool Notify(DWORD what, const TrayIconData& d) {
    NOTIFYICONDATAA nid = Base();
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = WM_TRAYNOTIFY;
    nid.hIcon = IconFor(d.icon);
    Copy(nid.szTip, sizeof nid.szTip, d.tip);
    if (d.balloon) {
      nid.uFlags |= NIF_INFO;
      Copy(nid.szInfo, sizeof nid.szInfo, d.balloonText);
      Copy(nid.szInfoTitle, sizeof nid.szInfoTitle, d.balloonTitle);
      nid.uTimeout = d.balloonTimeoutMs;
      nid.dwInfoFlags = static_cast<DWORD>(d.balloonIcon);
    }
    return Shell_NotifyIconA(what, &nid) != FALSE;
  }

  UINT id_;
  std::map<int, IconHandle> icons_;
};

}  // namespace

HICON StockTrayIcon() { return LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION)); }

HICON LoadTrayIcon(int id) {
  // The notification area shows small icons; the .ico holds one for each
  // common display scaling, and LoadImage picks the size asked for.
  HICON icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  return icon ? icon : StockTrayIcon();
}

HWND TrayHandlerWindow() { return TrayHandler::Get().Window(); }

void InstallWin32TrayPeer() {
  SetTrayPeerFactory([](TCoolTrayIcon& icon) { return std::make_unique<Win32TrayPeer>(icon); });
}

}  // namespace km27
