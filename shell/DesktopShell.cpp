#include "shell/DesktopShell.h"

namespace km27 {

namespace {

class NoDesktopShell : public IDesktopShell {
 public:
  std::unique_ptr<IShortcutLink> CreateLink(const std::string&) override {
    throw ShellError("No shell link object on this system.");
  }
  std::string ShellFolder(const std::string&) override { return {}; }
  std::string ShortcutPath(ShortcutPlace, const std::string& name) override { return name; }
  bool FileExists(const std::string&) override { return false; }
  void RemoveFile(const std::string&) override {}
  void OpenUrl(const std::string&) override { throw ShellError("No shell to open a web address."); }
};

NoDesktopShell gNoShell;
IDesktopShell* gShell = nullptr;

}  // namespace

IDesktopShell& DesktopShell() { return gShell ? *gShell : gNoShell; }
void SetDesktopShell(IDesktopShell* shell) { gShell = shell; }

}  // namespace km27
