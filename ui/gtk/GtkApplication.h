#pragma once
// The toolkit on Linux: GTK 3 on X11. Message boxes, the main loop, timers,
// synchronous hand-over from worker threads, modal loops, and a real window
// (GtkFormPeer) for every form. The model's texts are bytes of the program's
// code page (1252 unless the main form's font asks for another); every text
// is converted to UTF-8 at the edge.
//
//   ui::GtkApplication app(&argc, &argv);  // throws DisplayError without a display
//   ui::SetApp(&app);
//   ... create the forms ...
//   return app.Run();
#include <gtk/gtk.h>

#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "ui/Application.h"
#include "ui/Form.h"

namespace km27::ui {

class GtkFormPeer;

// No X display could be opened (none set, or it refused the connection).
class DisplayError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class GtkApplication : public IApplication {
 public:
  GtkApplication(int* argc, char*** argv);
  ~GtkApplication() override;
  GtkApplication(const GtkApplication&) = delete;
  GtkApplication& operator=(const GtkApplication&) = delete;

  // The main loop: runs until Terminate; returns the exit code.
  int Run();

  // The code page of every text of the model (1252 by default). Follows the
  // main form's font character set.
  void SetCodePage(int codePage);
  int CodePage() const { return codePage_; }
  const std::string& Title() const { return title_; }

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
  int ScreenDpi() override { return dpi_; }
  void Terminate() override;
  bool Terminated() const override { return terminated_; }
  void SendSync(std::function<void()> fn) override;

 protected:
  MsgResult ShowMessageBox(const std::string& text, const std::string& caption, MsgIcon icon,
                           MsgButtons buttons) override;

 private:
  friend class GtkFormPeer;
  struct TimerSlot {
    guint source = 0;
    bool firing = false;
  };
  static gboolean OnTimer(gpointer data);
  void StopTimer(Timer& timer);
  void AddPeer(GtkFormPeer* p) { peers_.insert(p); }
  void RemovePeer(GtkFormPeer* p) { peers_.erase(p); }
  GtkWindow* MainWindow() const;  // the main form's window, when made
  GtkWindow* ActiveWindow() const;
  // Family names of the installed fonts (read once).
  const std::vector<std::string>& InstalledFamilies();
  // Runs fn, showing what it raises in a message box instead of letting it
  // unwind through GTK's C code.
  void Guard(const std::function<void()>& fn);
  void RealizePending();

  int dpi_ = 96;
  int codePage_ = 1252;
  std::string title_;
  bool terminated_ = false;
  int exitCode_ = 0;
  std::thread::id uiThread_;
  GMainLoop* mainLoop_ = nullptr;
  std::vector<GMainLoop*> modalLoops_;
  std::map<Timer*, TimerSlot> timers_;
  std::set<GtkFormPeer*> peers_;
  std::vector<std::string> families_;
  guint realizeSource_ = 0;
  GtkCssProvider* css_ = nullptr;
};

}  // namespace km27::ui
