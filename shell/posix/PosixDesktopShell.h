#pragma once
// The desktop shell of a freedesktop.org desktop (Linux). A shortcut is a
// desktop entry named after the program, "km27.desktop": a launcher in the
// user's desktop folder (XDG_DESKTOP_DIR of user-dirs.dirs, else ~/Desktop;
// executable, and marked trusted through gio where a session bus runs) or an
// autostart entry in <config>/autostart. Web addresses open with xdg-open,
// which is not waited for.
#include <memory>
#include <string>

#include "settings/FileLocations.h"
#include "shell/DesktopShell.h"

namespace km27 {

// The file name of both shortcuts.
inline constexpr char kDesktopEntryFile[] = "km27.desktop";
// The program's icon in the freedesktop icon theme.
inline constexpr char kProgramIconName[] = "km27";

class PosixDesktopShell : public IDesktopShell {
 public:
  // `user`: the home and configuration folders (PosixUserFolders()).
  explicit PosixDesktopShell(UserFolders user);

  std::unique_ptr<IShortcutLink> CreateLink(const std::string& target) override;
  // "Desktop" and "Startup" (the autostart folder); empty for other names
  // and when no home is known.
  std::string ShellFolder(const std::string& name) override;
  std::string ShortcutPath(ShortcutPlace place, const std::string& name) override;
  bool FileExists(const std::string& path) override;
  void RemoveFile(const std::string& path) override;
  void OpenUrl(const std::string& url) override;

  std::string DesktopFolder() const;
  std::string AutostartFolder() const;

 private:
  std::string ConfigFolder() const;
  UserFolders user_;
};

// The desktop entry that starts `program` (an absolute path). Throws
// ShellError for a path a desktop entry cannot hold (not UTF-8 text).
std::string DesktopEntryText(const std::string& program);

// `program` as the command of a desktop entry's Exec key: quoted where it
// holds a reserved character, field codes and escapes doubled.
std::string DesktopExecValue(const std::string& program);

// XDG_DESKTOP_DIR from the text of a user-dirs.dirs file ("$HOME/..." or an
// absolute path, in double quotes); empty when the file does not set one.
std::string DesktopDirFromUserDirs(const std::string& text, const std::string& home);

// Makes DesktopShell() the freedesktop shell of the user running the program.
void InstallPosixDesktopShell();

}  // namespace km27
