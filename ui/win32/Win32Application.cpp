#include "ui/win32/Win32Application.h"

#include <commctrl.h>

#include <exception>

#include "ui/win32/Win32FormPeer.h"

namespace km27::ui {

namespace {

constexpr UINT kSyncMessage = WM_APP + 1;     // lParam: std::function<void()>*
constexpr UINT kRealizeMessage = WM_APP + 2;  // forms created since the last pump get windows
constexpr const char* kServiceClass = "TKM27Service";

}  // namespace

Win32Application::Win32Application(HINSTANCE instance)
    : instance_(instance ? instance : GetModuleHandleA(nullptr)), uiThread_(GetCurrentThreadId()) {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_TAB_CLASSES |
                                            ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS | ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);

  // The manifest declares the program aware of the system's resolution, so
  // the system reports it as it is and does not stretch the windows: the
  // form peers scale the designed layouts, fonts and pictures themselves.
  if (HDC dc = GetDC(nullptr)) {
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    if (dpi > 0) dpi_ = dpi;
    ReleaseDC(nullptr, dc);
  }

  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = ServiceProc;
  wc.hInstance = instance_;
  wc.lpszClassName = kServiceClass;
  RegisterClassExA(&wc);
  service_ = CreateWindowExA(0, kServiceClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance_, nullptr);
  SetWindowLongPtrA(service_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32Application::~Win32Application() {
  for (Win32FormPeer* p : peers_) p->Detach();
  for (auto& [id, timer] : timers_) KillTimer(service_, id);
  if (service_) DestroyWindow(service_);
  if (AppOrNull() == this) SetApp(nullptr);
}

// ---- IApplication ----

MsgResult Win32Application::ShowMessageBox(const std::string& text, const std::string& caption, MsgIcon icon,
                                           MsgButtons buttons) {
  UINT flags = MB_SETFOREGROUND;
  switch (icon) {
    case MsgIcon::Information: flags |= MB_ICONINFORMATION; break;
    case MsgIcon::Confirmation: flags |= MB_ICONQUESTION; break;
    case MsgIcon::Warning: flags |= MB_ICONWARNING; break;
    case MsgIcon::None: break;
  }
  switch (buttons) {
    case MsgButtons::OK: flags |= MB_OK; break;
    case MsgButtons::OKCancel: flags |= MB_OKCANCEL; break;
    case MsgButtons::YesNoCancel: flags |= MB_YESNOCANCEL; break;
  }
  // Owned by the active form; with none (the program lives in the tray) the
  // box is task modal so that no form can be used behind it.
  HWND owner = GetActiveWindow();
  if (!owner || !PeerOfWindow(owner)) {
    owner = nullptr;
    flags |= MB_TASKMODAL;
  }
  // 0 when the box could not be made or was ended without a button.
  switch (::MessageBoxA(owner, text.c_str(), caption.c_str(), flags)) {
    case IDOK: return MsgResult::OK;
    case IDCANCEL: return MsgResult::Cancel;
    case IDYES: return MsgResult::Yes;
    case IDNO: return MsgResult::No;
    default: return MsgResult::None;
  }
}

void Win32Application::ProcessMessages() {
  MSG msg;
  // Callers pump in a loop while they wait for the reader; when nothing is
  // pending, give the processor back for up to a millisecond instead of
  // spinning a whole core.
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE))
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Left for the loop that owns it.
      terminated_ = true;
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    Dispatch(msg);
  }
}

uint32_t Win32Application::TickCount() { return GetTickCount(); }

void Win32Application::TimerChanged(Timer& timer) {
  auto it = timerIds_.find(&timer);
  if (timer.Running()) {
    UINT_PTR id;
    if (it != timerIds_.end()) {
      id = it->second;
    } else {
      id = nextTimerId_++;
      timerIds_[&timer] = id;
      timers_[id] = &timer;
    }
    // Setting an existing timer again restarts its interval.
    SetTimer(service_, id, timer.Interval(), nullptr);
  } else if (it != timerIds_.end()) {
    KillTimer(service_, it->second);
    timers_.erase(it->second);
    timerIds_.erase(it);
  }
}

void Win32Application::TimerDestroyed(Timer& timer) {
  auto it = timerIds_.find(&timer);
  if (it != timerIds_.end()) {
    KillTimer(service_, it->second);
    timers_.erase(it->second);
    timerIds_.erase(it);
  }
  firing_.erase(&timer);
}

IFormPeer* Win32Application::CreatePeer(Form& form) {
  auto* peer = new Win32FormPeer(*this, form);
  if (!realizePosted_) {
    realizePosted_ = true;
    PostMessageA(service_, kRealizeMessage, 0, 0);
  }
  return peer;
}

void Win32Application::RunModal(Form& form) {
  auto* peer = dynamic_cast<Win32FormPeer*>(form.Peer());
  if (!peer) return;
  peer->Realize();
  peer->SetDisabledForModal(DisableOtherForms(peer->Hwnd()));
  MSG msg;
  while (form.Showing()) {
    BOOL r = GetMessageA(&msg, nullptr, 0, 0);
    if (r == 0) {
      // The program ends: the modal form goes, and the quit is left for the main loop.
      terminated_ = true;
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (r < 0) break;
    Dispatch(msg);
  }
  peer->ReenableAfterModal();
  if (form.Showing()) form.Hide();
}

void Win32Application::Beep() { MessageBeep(MB_OK); }
void Win32Application::SimpleBeep() { MessageBeep(0xFFFFFFFF); }

void Win32Application::SetTitle(const std::string& title) { title_ = title; }

void Win32Application::Terminate() {
  terminated_ = true;
  PostQuitMessage(0);
}

void Win32Application::SendSync(std::function<void()> fn) {
  if (GetCurrentThreadId() == uiThread_) {
    fn();
    return;
  }
  // A sent message is handled by the user-interface thread's next look at its
  // queue (GetMessage, PeekMessage, a modal loop) while this thread waits.
  SendMessageA(service_, kSyncMessage, 0, reinterpret_cast<LPARAM>(&fn));
}

// ---- loop ----

int Win32Application::Run() {
  RealizePending();
  MSG msg;
  BOOL r;
  while ((r = GetMessageA(&msg, nullptr, 0, 0)) > 0) Dispatch(msg);
  terminated_ = true;
  return r == 0 ? static_cast<int>(msg.wParam) : 1;
}

void Win32Application::Dispatch(MSG& msg) {
  if (msg.hwnd) {
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    if (root && PeerOfWindow(root) && IsDialogMessageA(root, &msg)) return;
  }
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
}

void Win32Application::Guard(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const std::exception& e) {
    ::MessageBoxA(GetActiveWindow(), e.what(), title_.c_str(), MB_ICONWARNING | MB_OK);
  } catch (...) {
    ::MessageBoxA(GetActiveWindow(), "Unexpected error.", title_.c_str(), MB_ICONWARNING | MB_OK);
  }
}

LRESULT CALLBACK Win32Application::ServiceProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<Win32Application*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
  switch (msg) {
    case WM_TIMER: {
      auto it = self->timers_.find(wp);
      if (it == self->timers_.end()) return 0;
      Timer* timer = it->second;
      // A timer does not fire again while its own handler still runs (a
      // handler that pumps messages would otherwise re-enter itself).
      if (self->firing_.count(timer)) return 0;
      self->firing_.insert(timer);
      self->Guard([timer] { timer->Fire(); });
      self->firing_.erase(timer);
      return 0;
    }
    case kSyncMessage: {
      auto* fn = reinterpret_cast<std::function<void()>*>(lp);
      self->Guard(*fn);
      return 0;
    }
    case kRealizeMessage:
      self->RealizePending();
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

void Win32Application::RealizePending() {
  realizePosted_ = false;
  std::vector<Win32FormPeer*> peers(peers_.begin(), peers_.end());
  for (Win32FormPeer* p : peers)
    if (peers_.count(p)) p->Realize();
}

// ---- peers ----

Win32FormPeer* Win32Application::PeerOfWindow(HWND hwnd) const {
  if (!hwnd) return nullptr;
  HWND root = GetAncestor(hwnd, GA_ROOT);
  for (Win32FormPeer* p : peers_)
    if (p->Hwnd() && p->Hwnd() == root) return p;
  return nullptr;
}

HWND Win32Application::MainWindow() const {
  for (Win32FormPeer* p : peers_)
    if (p->GetForm().IsMainForm) return p->Hwnd();
  return nullptr;
}

const char* Win32Application::FormClass(const std::string& name, WNDPROC proc) {
  auto it = classes_.find(name);
  if (it != classes_.end()) return it->c_str();
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance_;
  // The program icon at the sizes of this screen (title bar and task
  // switcher), each taken from its own image of the icon group.
  auto icon = [this](int cx, int cy) {
    return static_cast<HICON>(LoadImageA(instance_, "MAINICON", IMAGE_ICON, GetSystemMetrics(cx), GetSystemMetrics(cy),
                                         LR_SHARED));
  };
  wc.hIcon = icon(SM_CXICON, SM_CYICON);
  wc.hIconSm = icon(SM_CXSMICON, SM_CYSMICON);
  if (!wc.hIcon) wc.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  it = classes_.insert(name).first;
  wc.lpszClassName = it->c_str();
  RegisterClassExA(&wc);
  return it->c_str();
}

std::vector<HWND> Win32Application::DisableOtherForms(HWND except) {
  std::vector<HWND> disabled;
  for (Win32FormPeer* p : peers_) {
    HWND h = p->Hwnd();
    if (h && h != except && IsWindowEnabled(h)) {
      EnableWindow(h, FALSE);
      disabled.push_back(h);
    }
  }
  return disabled;
}

}  // namespace km27::ui
