#pragma once
// The tray's balloons as desktop notifications (libnotify). A notification
// goes out only once the notification service has answered on the session
// bus (asked without waiting for the answer; a service that is only
// activatable is started by the question), so a desktop without one never
// blocks the program; without a session bus nothing is asked at all (that
// would start a bus). What fails is said once on stderr.
#include <gio/gio.h>

#include <memory>
#include <string>

typedef struct _NotifyNotification NotifyNotification;

namespace km27 {

// Whether the session bus can be reached without starting one: its address
// is set, or the per-user bus socket exists (X11 autolaunch would start a
// bus for a program that only wanted to ask).
bool SessionBusReachable();

class TrayNotifier {
 public:
  TrayNotifier();
  ~TrayNotifier();
  TrayNotifier(const TrayNotifier&) = delete;
  TrayNotifier& operator=(const TrayNotifier&) = delete;

  // Shows the balloon (UTF-8 title and text; icon type 0 none, 1 information,
  // 2 warning, 3 error; timeout 0: the service's default); it replaces the
  // one shown before. `programIcon`: the icon name or file of a balloon
  // without a type.
  void Show(const std::string& title, const std::string& text, int iconType, unsigned timeoutMs,
            const std::string& programIcon);

 private:
  struct Pending;
  static void OnOwner(GObject* source, GAsyncResult* result, gpointer data);
  void Send(const Pending& p);
  static void ReportOnce(const std::string& what);

  NotifyNotification* notification_ = nullptr;
  GCancellable* cancel_;
};

}  // namespace km27
