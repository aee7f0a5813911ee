#pragma once
// The desktop shell's services the program uses: shortcuts (the shell's link
// object, the user's special folders, file tests) and opening a web address
// with the shell's open operation. The platform layer installs its own;
// tests install a recording fake. Without one, nothing can be created or
// opened (those operations raise ShellError) and no folder or file is found.
#include <memory>
#include <stdexcept>
#include <string>

namespace km27 {

// A failed shell operation; what() holds the system's own text.
class ShellError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The places the program puts a shortcut to itself: the user's desktop, and
// the programs started when the user logs on.
enum class ShortcutPlace { Desktop, Startup };

// A shortcut that points at a program; saved to the file ShortcutPath names
// (a ".Lnk" file on Windows, a desktop entry on Linux).
class IShortcutLink {
 public:
  virtual ~IShortcutLink() = default;
  // Writes the shortcut file (an existing one is replaced). Its result is not
  // reported: the user is told "Completed" either way.
  virtual void Save(const std::string& path) = 0;
};

class IDesktopShell {
 public:
  virtual ~IDesktopShell() = default;
  // A new link object whose target is `target`; raises ShellError when the
  // shell cannot make one.
  virtual std::unique_ptr<IShortcutLink> CreateLink(const std::string& target) = 0;
  // The folder of the current user's "Shell Folders" value `name` ("Desktop",
  // "Startup"); empty when there is none.
  virtual std::string ShellFolder(const std::string& name) = 0;
  // The file of the shortcut in `place`. `name` is the shortcut's name on
  // Windows (its file name without ".Lnk"); a shell whose shortcut files are
  // named after the program rather than the shortcut leaves it aside.
  virtual std::string ShortcutPath(ShortcutPlace place, const std::string& name) = 0;
  virtual bool FileExists(const std::string& path) = 0;
  virtual void RemoveFile(const std::string& path) = 0;  // result not reported
  // Opens a web address with the shell's open operation in a normal window;
  // raises ShellError when that cannot be tried at all.
  virtual void OpenUrl(const std::string& url) = 0;
};

IDesktopShell& DesktopShell();
void SetDesktopShell(IDesktopShell* shell);  // nullptr restores the empty default

}  // namespace km27
