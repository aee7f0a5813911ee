#include "tests/support/FakeDesktopShell.h"

namespace km27::test {

namespace {

class FakeLink : public IShortcutLink {
 public:
  FakeLink(FakeDesktopShell& shell, std::string target) : shell_(shell), target_(std::move(target)) {}
  void Save(const std::string& path) override {
    shell_.saved.emplace_back(path, target_);
    shell_.files.insert(path);
  }

 private:
  FakeDesktopShell& shell_;
  std::string target_;
};

}  // namespace

FakeDesktopShell::FakeDesktopShell() { SetDesktopShell(this); }
FakeDesktopShell::~FakeDesktopShell() { SetDesktopShell(nullptr); }

std::unique_ptr<IShortcutLink> FakeDesktopShell::CreateLink(const std::string& target) {
  if (failCreateLink) throw ShellError("Class not registered");
  ++linksCreated;
  return std::make_unique<FakeLink>(*this, target);
}

std::string FakeDesktopShell::ShellFolder(const std::string& name) {
  auto it = folders.find(name);
  return it == folders.end() ? std::string() : it->second;
}

std::string FakeDesktopShell::ShortcutPath(ShortcutPlace place, const std::string& name) {
  return ShellFolder(place == ShortcutPlace::Desktop ? "Desktop" : "Startup") + "\\" + name + ".Lnk";
}

void FakeDesktopShell::RemoveFile(const std::string& path) {
  deleted.push_back(path);
  files.erase(path);
}

void FakeDesktopShell::OpenUrl(const std::string& url) {
  if (failOpenUrl) throw ShellError("No association");
  opened.push_back(url);
}

}  // namespace km27::test
