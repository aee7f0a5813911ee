#include "shell/gtk/TrayIcons.h"

#include <gtk/gtk.h>
#include <sys/stat.h>

#include "shell/TrayIconIds.h"

namespace km27 {

namespace {

bool IsFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::string TrayIconName(int id) {
  switch (id) {
    case KM27_ICON_TRAY_STOPPED: return "km27-stopped";
    case KM27_ICON_TRAY_RUNNING: return "km27-running";
    default: return "km27";
  }
}

std::string PortableIconFolder(const std::string& executablePath) {
  size_t slash = executablePath.find_last_of('/');
  if (slash == std::string::npos) return {};
  std::string folder = executablePath.substr(0, slash) + "/icons";
  return IsFolder(folder + "/hicolor") ? folder : std::string();
}

void AddPortableIconFolder(const std::string& folder) {
  static bool added = false;
  if (added || folder.empty()) return;
  added = true;
  gtk_icon_theme_append_search_path(gtk_icon_theme_get_default(), folder.c_str());
}

std::string PortableIconFile(const std::string& folder, const std::string& name, int size) {
  if (folder.empty()) return {};
  static const int kSizes[] = {256, 128, 64, 48, 32, 24, 22, 16};
  for (int s : kSizes) {
    if (s > size) continue;
    std::string file = folder + "/hicolor/" + std::to_string(s) + "x" + std::to_string(s) + "/apps/" + name + ".png";
    if (IsFile(file)) return file;
  }
  return {};
}

}  // namespace km27
