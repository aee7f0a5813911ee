#pragma once
// The desktop shell of native tests: folders from a table, files as a set of
// paths, every link saved and every address opened recorded; link creation
// and opening can be made to fail. Installs itself while it lives.
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "shell/DesktopShell.h"

namespace km27::test {

class FakeDesktopShell : public IDesktopShell {
 public:
  FakeDesktopShell();
  ~FakeDesktopShell() override;

  std::unique_ptr<IShortcutLink> CreateLink(const std::string& target) override;
  std::string ShellFolder(const std::string& name) override;
  // As the Windows shell names them: folder, "\", name, ".Lnk".
  std::string ShortcutPath(ShortcutPlace place, const std::string& name) override;
  bool FileExists(const std::string& path) override { return files.count(path) > 0; }
  void RemoveFile(const std::string& path) override;
  void OpenUrl(const std::string& url) override;

  std::map<std::string, std::string> folders{{"Desktop", "C:\\Users\\u\\Desktop"},
                                             {"Startup", "C:\\Users\\u\\Start Menu\\Programs\\Startup"}};
  std::set<std::string> files;
  std::vector<std::pair<std::string, std::string>> saved;  // (path, target) of every save
  std::vector<std::string> deleted;
  std::vector<std::string> opened;
  int linksCreated = 0;
  bool failCreateLink = false;
  bool failOpenUrl = false;
};

}  // namespace km27::test
