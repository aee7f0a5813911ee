#include "shell/gtk/TrayNotifier.h"

#include <libnotify/notify.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>

namespace km27 {

namespace {

constexpr const char* kService = "org.freedesktop.Notifications";

const char* TypeIcon(int iconType) {
  switch (iconType) {
    case 1: return "dialog-information";
    case 2: return "dialog-warning";
    case 3: return "dialog-error";
    default: return nullptr;
  }
}

}  // namespace

bool SessionBusReachable() {
  const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  if (address && *address) return true;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (!runtime || !*runtime) return false;
  struct stat st {};
  return ::stat((std::string(runtime) + "/bus").c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

struct TrayNotifier::Pending {
  TrayNotifier* self;
  std::string title, text, icon;
  unsigned timeoutMs;
};

TrayNotifier::TrayNotifier() : cancel_(g_cancellable_new()) {}

TrayNotifier::~TrayNotifier() {
  // A question still on its way must not come back to a notifier that is gone.
  g_cancellable_cancel(cancel_);
  g_object_unref(cancel_);
  if (notification_) g_object_unref(notification_);
}

void TrayNotifier::ReportOnce(const std::string& what) {
  static bool reported = false;
  if (reported) return;
  reported = true;
  std::fprintf(stderr, "km27: desktop notifications are not shown: %s\n", what.c_str());
}

void TrayNotifier::Show(const std::string& title, const std::string& text, int iconType, unsigned timeoutMs,
                        const std::string& programIcon) {
  if (!SessionBusReachable()) {
    ReportOnce("no session bus");
    return;
  }
  const char* typeIcon = TypeIcon(iconType);
  auto* p = new Pending{this, title.empty() ? "KM-27" : title, text, typeIcon ? typeIcon : programIcon, timeoutMs};
  // Asking the service itself starts one that is only activatable, and tells
  // whether there is one at all, without waiting here for the answer.
  GError* error = nullptr;
  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, cancel_, &error);
  if (!bus) {
    ReportOnce(error ? error->message : "the session bus cannot be reached");
    if (error) g_error_free(error);
    delete p;
    return;
  }
  g_dbus_connection_call(bus, kService, "/org/freedesktop/Notifications", kService, "GetServerInformation",
                         nullptr, G_VARIANT_TYPE("(ssss)"), G_DBUS_CALL_FLAGS_NONE, 3000, cancel_,
                         &TrayNotifier::OnOwner, p);
  g_object_unref(bus);
}

void TrayNotifier::OnOwner(GObject* source, GAsyncResult* result, gpointer data) {
  std::unique_ptr<Pending> p(static_cast<Pending*>(data));
  GError* error = nullptr;
  GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
  if (reply) {
    g_variant_unref(reply);
    p->self->Send(*p);
    return;
  }
  bool cancelled = g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED);
  if (!cancelled) ReportOnce(error->message);
  g_error_free(error);
}

void TrayNotifier::Send(const Pending& p) {
  static bool initialised = false;
  if (!initialised && !notify_init("km27")) {
    ReportOnce("libnotify could not start");
    return;
  }
  initialised = true;
  // The service may read the body as markup.
  gchar* body = g_markup_escape_text(p.text.c_str(), -1);
  const char* icon = p.icon.empty() ? nullptr : p.icon.c_str();
  if (!notification_) {
    notification_ = notify_notification_new(p.title.c_str(), body, icon);
  } else {
    notify_notification_update(notification_, p.title.c_str(), body, icon);
  }
  g_free(body);
  notify_notification_set_timeout(notification_, p.timeoutMs ? static_cast<gint>(p.timeoutMs) : NOTIFY_EXPIRES_DEFAULT);
  GError* error = nullptr;
  if (!notify_notification_show(notification_, &error)) {
    ReportOnce(error ? error->message : "the notification was refused");
    if (error) g_error_free(error);
  }
}

}  // namespace km27
