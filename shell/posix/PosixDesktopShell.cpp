#include "shell/posix/PosixDesktopShell.h"
#include "common/posix/UniqueFd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "common/TextCodec.h"
#include "settings/posix/PosixFileSystem.h"
#include "shell/Main.h"
#include "shell/posix/ChildProcess.h"

namespace km27 {

namespace {

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

std::string ParentOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Makes `dir` and the folders above it; new ones only for the user.
void MakeFolders(const std::string& dir) {
  if (dir.empty()) return;
  struct stat st {};
  if (::stat(dir.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return;
    errno = ENOTDIR;
    throw ShellError(SystemError(dir));
  }
  std::string parent = ParentOf(dir);
  if (parent != dir) MakeFolders(parent);
  if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) throw ShellError(SystemError(dir));
}

// Writes the file whole or not at all: a temporary file beside it, synced,
// then renamed over it.
void WriteWhole(const std::string& path, const std::string& content, mode_t mode) {
  MakeFolders(ParentOf(path));
  std::string temp = path + ".XXXXXX";
  UniqueFd fd(::mkstemp(temp.data()));
  if (fd.get() < 0) throw ShellError(SystemError(path));
  auto fail = [&](const std::string& what) {
    std::string text = SystemError(what);
    ::unlink(temp.c_str());
    throw ShellError(text);
  };
  size_t done = 0;
  while (done < content.size()) {
    ssize_t n = ::write(fd.get(), content.data() + done, content.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) fail(path);
    done += static_cast<size_t>(n);
  }
  if (::fchmod(fd.get(), mode) != 0 || ::fsync(fd.get()) != 0) fail(path);
  if (::close(fd.release()) != 0) fail(path);
  if (::rename(temp.c_str(), path.c_str()) != 0) fail(path);
}

bool IsUtf8(const std::string& s) {
  for (size_t i = 0; i < s.size();) {
    size_t n = Utf8CharLength(s, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

// A value of a desktop entry's string type: backslash and control
// characters escaped.
std::string EntryString(const std::string& s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  return out;
}

// The desktop launcher is only started by file managers that trust it; GNOME
// keeps that mark in gio's metadata. Without a session bus gio would start
// one of its own, so it is left out then; what it answers changes nothing.
void MarkTrusted(const std::string& path) {
  const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  if (!bus || !*bus || FindOnPath("gio").empty()) return;
  try {
    FinishProgram(StartProgram({"gio", "set", "-t", "string", path, "metadata::trusted", "true"}), 2000);
  } catch (const ShellError&) {
  }
}

class DesktopEntryLink : public IShortcutLink {
 public:
  DesktopEntryLink(PosixDesktopShell& shell, std::string target) : shell_(shell), target_(std::move(target)) {}

  void Save(const std::string& path) override {
    const std::string text = DesktopEntryText(target_);
    // A launcher on the desktop must be executable to start; an autostart
    // entry is only read.
    const bool autostart = ParentOf(path) == shell_.AutostartFolder();
    WriteWhole(path, text, autostart ? 0644 : 0755);
    if (!autostart) MarkTrusted(path);
  }

 private:
  PosixDesktopShell& shell_;
  std::string target_;
};

}  // namespace

std::string DesktopExecValue(const std::string& program) {
  // Characters that make the command need quotes, and those that must be
  // escaped inside them.
  static const char kReserved[] = " \t\n\"'\\><~|&;$*?#()`";
  std::string arg;
  if (program.find_first_of(kReserved) == std::string::npos) {
    arg = program;
  } else {
    arg = "\"";
    for (char c : program) {
      if (c == '"' || c == '`' || c == '$' || c == '\\') arg += '\\';
      arg += c;
    }
    arg += '"';
  }
  std::string escaped;
  for (char c : arg) {
    escaped += c;
    if (c == '%') escaped += '%';  // not a field code
  }
  return EntryString(escaped);
}

std::string DesktopEntryText(const std::string& program) {
  if (!IsUtf8(program)) throw ShellError(program + ": the program's path is not UTF-8 text");
  std::ostringstream out;
  out << "[Desktop Entry]\n"
      << "Type=Application\n"
      << "Version=1.0\n"
      << "Name=KM-27\n"
      << "Comment=" << EntryString(TfrmMain::kApplicationTitle) << "\n"
      << "Exec=" << DesktopExecValue(program) << "\n"
      << "Icon=" << kProgramIconName << "\n"
      << "Terminal=false\n"
      << "Categories=Utility;\n";
  return out.str();
}

std::string DesktopDirFromUserDirs(const std::string& text, const std::string& home) {
  std::istringstream in(text);
  std::string line, found;
  while (std::getline(in, line)) {
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#') continue;
    static const std::string kKey = "XDG_DESKTOP_DIR=";
    if (line.compare(start, kKey.size(), kKey) != 0) continue;
    std::string value = line.substr(start + kKey.size());
    if (value.size() < 2 || value.front() != '"') continue;
    size_t close = value.find_last_of('"');
    if (close == 0) continue;
    value = value.substr(1, close - 1);
    std::string unescaped;
    for (size_t i = 0; i < value.size(); ++i) {
      if (value[i] == '\\' && i + 1 < value.size()) ++i;
      unescaped += value[i];
    }
    if (unescaped == "$HOME") {
      unescaped = home;
    } else if (unescaped.rfind("$HOME/", 0) == 0) {
      unescaped = home + unescaped.substr(5);
    } else if (unescaped.empty() || unescaped[0] != '/') {
      continue;  // only "$HOME/..." and absolute paths are allowed
    }
    while (unescaped.size() > 1 && unescaped.back() == '/') unescaped.pop_back();
    found = unescaped;  // the last one counts, as when the shell reads the file
  }
  return found;
}

PosixDesktopShell::PosixDesktopShell(UserFolders user) : user_(std::move(user)) {}

std::string PosixDesktopShell::ConfigFolder() const {
  if (!user_.configHome.empty() && user_.configHome[0] == '/') return user_.configHome;
  return user_.home.empty() ? std::string() : user_.home + "/.config";
}

std::string PosixDesktopShell::DesktopFolder() const {
  if (user_.home.empty()) return {};
  std::string config = ConfigFolder();
  std::ifstream file(config + "/user-dirs.dirs", std::ios::binary);
  if (file) {
    std::ostringstream text;
    text << file.rdbuf();
    std::string dir = DesktopDirFromUserDirs(text.str(), user_.home);
    if (!dir.empty()) return dir;
  }
  return user_.home + "/Desktop";
}

std::string PosixDesktopShell::AutostartFolder() const {
  std::string config = ConfigFolder();
  return config.empty() ? std::string() : config + "/autostart";
}

std::unique_ptr<IShortcutLink> PosixDesktopShell::CreateLink(const std::string& target) {
  if (target.empty() || target[0] != '/') throw ShellError(target + ": not an absolute path of a program");
  return std::make_unique<DesktopEntryLink>(*this, target);
}

std::string PosixDesktopShell::ShellFolder(const std::string& name) {
  if (name == "Desktop") return DesktopFolder();
  if (name == "Startup") return AutostartFolder();
  return {};
}

std::string PosixDesktopShell::ShortcutPath(ShortcutPlace place, const std::string&) {
  std::string folder = place == ShortcutPlace::Desktop ? DesktopFolder() : AutostartFolder();
  if (folder.empty()) throw ShellError("No home folder is known for the user.");
  return folder + "/" + kDesktopEntryFile;
}

bool PosixDesktopShell::FileExists(const std::string& path) {
  // A link the user put there counts, even one that leads nowhere.
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

void PosixDesktopShell::RemoveFile(const std::string& path) { ::unlink(path.c_str()); }

void PosixDesktopShell::OpenUrl(const std::string& url) {
  // xdg-open takes a leading "-" for an option of its own.
  if (url.empty() || url[0] == '-') throw ShellError(url + ": not a web address");
  LeaveRunning(StartProgram({"xdg-open", url}));
}

void InstallPosixDesktopShell() {
  static PosixDesktopShell shell(PosixUserFolders());
  SetDesktopShell(&shell);
}

}  // namespace km27
