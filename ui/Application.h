#pragma once
// The toolkit's process-wide services: message boxes, the message pump, the
// millisecond clock, timers, modal loops and the beep. The Win32 renderer
// implements them with real windows; tests install the fake toolkit
// (tests/support/FakeToolkit.h) with its virtual clock. Window logic reaches
// the platform only through App().
#include <cstdint>
#include <functional>
#include <string>

// <windows.h> maps MessageBox to MessageBoxA; the toolkit's member keeps its name.
#ifdef MessageBox
#undef MessageBox
#endif

namespace km27::ui {

class Form;
class Timer;

enum class MsgIcon { None, Information, Confirmation, Warning };
enum class MsgButtons { OK, OKCancel, YesNoCancel };
// None: the box gave no button (it could not be shown, or the system ended it).
enum class MsgResult { None, OK, Cancel, Yes, No };

class IFormPeer;

class IApplication {
 public:
  virtual ~IApplication() = default;

  // Modal message box; returns the button the user chose. A box that gave no
  // button counts as the answer that changes nothing: Cancel where the box
  // has it, else OK. So no question goes ahead that the user did not answer.
  MsgResult MessageBox(const std::string& text, const std::string& caption, MsgIcon icon, MsgButtons buttons);

  // Handles every pending message (arrivals from the serial port, timers,
  // user input) and returns. What WaitResponse pumps while it waits.
  virtual void ProcessMessages() = 0;

  // Milliseconds since some start; wraps like GetTickCount.
  virtual uint32_t TickCount() = 0;

  // Timer bookkeeping: called by Timer whenever its interval or enabled state
  // changes. A timer runs while enabled with an interval above 0.
  virtual void TimerChanged(Timer& timer) = 0;
  virtual void TimerDestroyed(Timer& timer) = 0;

  // Creates the platform peer of a form (real window, or a recorder).
  virtual IFormPeer* CreatePeer(Form& form) = 0;

  // Runs a modal loop for a form that is already showing; returns when it is hidden.
  virtual void RunModal(Form& form) = 0;

  // The default system beep.
  virtual void Beep() = 0;
  // The simple beep (MessageBeep(-1)) of refused typing; where the platform
  // has only one beep, the default one.
  virtual void SimpleBeep() { Beep(); }

  // The application title (taskbar, tray hint).
  virtual void SetTitle(const std::string& title) = 0;

  // Dots per inch of the screen the windows are made for (the system's
  // setting when the program started); windows are designed at 96.
  virtual int ScreenDpi() { return 96; }

  // Ends the message loop of the program (the main window closed).
  virtual void Terminate() = 0;
  // The program is ending: loops that pump messages while they wait for the
  // reader stop waiting, and nothing new is sent to it.
  virtual bool Terminated() const { return false; }

  // Runs fn on the user-interface thread and returns when it has run. Called
  // by worker threads (the POSIX serial port's receive thread) to hand an
  // event over synchronously; fn runs inside ProcessMessages or the main loop.
  virtual void SendSync(std::function<void()> fn) = 0;

 protected:
  // The platform's box: the button chosen, or None.
  virtual MsgResult ShowMessageBox(const std::string& text, const std::string& caption, MsgIcon icon,
                                   MsgButtons buttons) = 0;
};

// The toolkit in force. Must be installed before any form is created.
IApplication& App();
IApplication* AppOrNull();  // nullptr before a toolkit is installed
void SetApp(IApplication* app);

}  // namespace km27::ui
