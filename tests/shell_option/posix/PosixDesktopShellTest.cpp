// The freedesktop shortcuts as files, in a home folder of the test's own.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "settings/posix/PosixFileSystem.h"
#include "shell/posix/PosixDesktopShell.h"

namespace km27::test {
namespace {

namespace fs = std::filesystem;

class PosixDesktopShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home = fs::temp_directory_path() / ("km27-shell-" + std::to_string(::getpid()));
    fs::remove_all(home);
    fs::create_directories(home);
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home / "conf").c_str(), 1);
    ::unsetenv("DBUS_SESSION_BUS_ADDRESS");  // no gio
  }
  void TearDown() override { fs::remove_all(home); }

  // The file as a desktop entry: every line a comment, the group header or
  // key=value; an unparseable line fails the test.
  static std::map<std::string, std::string> ReadEntry(const std::string& path) {
    std::ifstream in(path);
    std::map<std::string, std::string> keys;
    std::string line, group;
    while (std::getline(in, line)) {
      if (line.empty() || line[0] == '#') continue;
      if (line.front() == '[') {
        group = line;
        continue;
      }
      size_t eq = line.find('=');
      EXPECT_NE(eq, std::string::npos) << line;
      EXPECT_EQ(group, "[Desktop Entry]") << line;
      if (eq != std::string::npos) keys[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return keys;
  }

  fs::path home;
};

TEST_F(PosixDesktopShellTest, StartupEntryRoundTripsInTheAutostartFolder) {
  PosixDesktopShell shell(PosixUserFolders());
  const std::string path = shell.ShortcutPath(ShortcutPlace::Startup, "KM-27 Serial to Key Software");
  EXPECT_EQ(path, (home / "conf/autostart/km27.desktop").string());
  EXPECT_FALSE(shell.FileExists(path));
  shell.CreateLink("/opt/km27/km27")->Save(path);
  ASSERT_TRUE(shell.FileExists(path));
  auto keys = ReadEntry(path);
  EXPECT_EQ(keys["Exec"], "/opt/km27/km27");
  EXPECT_EQ(keys["Icon"], "km27");
  EXPECT_EQ(keys["Type"], "Application");
  EXPECT_FALSE(keys["Name"].empty());
  // The freedesktop validator, where it is installed, is a second judge.
  if (std::system("command -v desktop-file-validate >/dev/null 2>&1") == 0) {
    EXPECT_EQ(std::system(("desktop-file-validate '" + path + "'").c_str()), 0);
  }
  shell.RemoveFile(path);
  EXPECT_FALSE(shell.FileExists(path));
  EXPECT_TRUE(fs::is_empty(home / "conf/autostart"));  // no temporary file left either
}

TEST_F(PosixDesktopShellTest, DesktopLauncherGoesWhereUserDirsSayAndIsExecutable) {
  PosixDesktopShell shell(PosixUserFolders());
  EXPECT_EQ(shell.ShortcutPath(ShortcutPlace::Desktop, "KM-27"), (home / "Desktop/km27.desktop").string());
  fs::create_directories(home / "conf");
  std::ofstream(home / "conf/user-dirs.dirs") << "# written by xdg-user-dirs-update\n"
                                               << "XDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\n"
                                               << "XDG_DESKTOP_DIR=\"$HOME/Schreib tisch\"\n";
  const std::string path = shell.ShortcutPath(ShortcutPlace::Desktop, "KM-27");
  EXPECT_EQ(path, (home / "Schreib tisch/km27.desktop").string());
  shell.CreateLink("/usr/bin/km27")->Save(path);
  shell.CreateLink("/usr/bin/km27")->Save(path);  // replaced
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_TRUE(st.st_mode & S_IXUSR);
  EXPECT_EQ(ReadEntry(path)["Exec"], "/usr/bin/km27");
}

// Expected values written by hand from the rules of the Exec key: quotes
// around reserved characters, \ before " ` $ \ inside them, %% for %, and
// the string type's \\ for every backslash.
TEST_F(PosixDesktopShellTest, ExecQuotesWhatTheLauncherWouldSplitOrExpand) {
  const std::pair<std::string, std::string> rows[] = {
      {"/opt/km27/km27", "/opt/km27/km27"},
      {"/home/u/My Programs/km27", "\"/home/u/My Programs/km27\""},
      {"/tmp/100%/km27", "/tmp/100%%/km27"},
      {"/tmp/a$b/km27", "\"/tmp/a\\\\$b/km27\""},
      {"/tmp/\"q\"/km27", "\"/tmp/\\\\\"q\\\\\"/km27\""},
  };
  for (const auto& [program, exec] : rows) EXPECT_EQ(DesktopExecValue(program), exec) << program;
  EXPECT_THROW(DesktopEntryText("/tmp/\xff/km27"), ShellError);
}

TEST_F(PosixDesktopShellTest, OpenUrlHandsTheAddressOverAsItIsWithoutAShell) {
  const std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  fs::create_directories(home / "bin");
  const fs::path opener = home / "bin/xdg-open";
  std::ofstream(opener) << "#!/bin/sh\nprintf '%s' \"$1\" > \"$0.out\"\n";  // builtins only: PATH is bin/
  fs::permissions(opener, fs::perms::owner_all);
  ::setenv("PATH", (home / "bin").c_str(), 1);
  PosixDesktopShell shell(PosixUserFolders());
  const std::string url = "https://example.com/a b?x=$HOME&y=`id`;z";
  shell.OpenUrl(url);
  const fs::path out = home / "bin/xdg-open.out";
  for (int i = 0; i < 500 && !(fs::exists(out) && fs::file_size(out) >= url.size()); ++i) ::usleep(10000);
  std::stringstream got;
  got << std::ifstream(out).rdbuf();
  EXPECT_EQ(got.str(), url);
  fs::remove(opener);
  EXPECT_THROW(shell.OpenUrl(url), ShellError);  // no xdg-open: the user hears why
  ::setenv("PATH", savedPath.c_str(), 1);
}

TEST_F(PosixDesktopShellTest, UserDirsLinesThatDoNotCountAreSkipped) {
  EXPECT_EQ(DesktopDirFromUserDirs("XDG_DESKTOP_DIR=\"relative\"\n#XDG_DESKTOP_DIR=\"/x\"\n", "/h"), "");
  EXPECT_EQ(DesktopDirFromUserDirs("XDG_DESKTOP_DIR=\"/d/\"\nXDG_DESKTOP_DIR=\"$HOME\"\n", "/h"), "/h");
}

}  // namespace
}  // namespace km27::test
