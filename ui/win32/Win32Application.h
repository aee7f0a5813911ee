#pragma once
// The toolkit on real Windows: message boxes, the message loop, timers on a
// hidden message window, synchronous hand-over from worker threads, modal
// loops, and a real window (Win32FormPeer) for every form.
//
//   ui::Win32Application app(instance);
//   ui::SetApp(&app);
//   ... create the forms ...
//   return app.Run();
//
// A form's window and its controls are made when the form is first shown or,
// for forms that stay hidden, at the first message the loop handles after the
// form was created (so that a hidden main window can still be found by its
// class and title).
#include <windows.h>
#undef MessageBox

#include <map>
#include <set>
#include <string>
#include <vector>

#include "ui/Application.h"
#include "ui/Form.h"

namespace km27::ui {

class Win32FormPeer;

class Win32Application : public IApplication {
 public:
  explicit Win32Application(HINSTANCE instance = nullptr);
  ~Win32Application() override;
  Win32Application(const Win32Application&) = delete;
  Win32Application& operator=(const Win32Application&) = delete;

  // ---- IApplication ----
  void ProcessMessages() override;
  uint32_t TickCount() override;
  void TimerChanged(Timer& timer) override;
  void TimerDestroyed(Timer& timer) override;
  IFormPeer* CreatePeer(Form& form) override;
  void RunModal(Form& form) override;
  void Beep() override;
  void SimpleBeep() override;
  void SetTitle(const std::string& title) override;
  void Terminate() override;
  void SendSync(std::function<void()> fn) override;
  int ScreenDpi() override { return dpi_; }

  // The main message loop: runs until Terminate (WM_QUIT); returns its exit code.
  int Run();
  bool Terminated() const override { return terminated_; }
  HINSTANCE Instance() const { return instance_; }
  const std::string& Title() const { return title_; }

  // ---- for the form peers ----
  void AddPeer(Win32FormPeer* p) { peers_.insert(p); }
  void RemovePeer(Win32FormPeer* p) { peers_.erase(p); }
  Win32FormPeer* PeerOfWindow(HWND hwnd) const;  // the peer whose top-level window holds hwnd
  HWND MainWindow() const;                       // the main form's window, if made
  // Registers (once) the window class of that name; returns the name.
  const char* FormClass(const std::string& name, WNDPROC proc);
  // Disables every other enabled form window; returns them for re-enabling.
  std::vector<HWND> DisableOtherForms(HWND except);
  // Translates and dispatches one message, with dialog keys (Tab, Enter, Esc)
  // for the form windows.
  void Dispatch(MSG& msg);
  // Runs fn, showing what it raises in a message box instead of letting it
  // unwind through the system.
  void Guard(const std::function<void()>& fn);

 protected:
  MsgResult ShowMessageBox(const std::string& text, const std::string& caption, MsgIcon icon,
                           MsgButtons buttons) override;

 private:
  static LRESULT CALLBACK ServiceProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void RealizePending();

  HINSTANCE instance_;
  DWORD uiThread_;
  int dpi_ = 96;  // the system's resolution, read once: windows are made for it
  HWND service_ = nullptr;  // message-only window: timers, SendSync, realization
  std::map<UINT_PTR, Timer*> timers_;
  std::map<Timer*, UINT_PTR> timerIds_;
  std::set<Timer*> firing_;
  UINT_PTR nextTimerId_ = 1;
  std::set<Win32FormPeer*> peers_;
  std::set<std::string> classes_;
  std::string title_;
  bool realizePosted_ = false;
  bool terminated_ = false;
};

}  // namespace km27::ui
