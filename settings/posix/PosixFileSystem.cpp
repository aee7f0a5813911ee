#include "settings/posix/PosixFileSystem.h"
#include "common/posix/UniqueFd.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>

#include "common/TextHelpers.h"

namespace km27 {

namespace {

FileError Error(const std::string& what, const std::string& path, int err) {
  return FileError(what + " " + path + ": " + std::strerror(err));
}

bool EndsWithNoCase(const std::string& name, const std::string& ext) {
  return name.size() > ext.size() && SameText(name.substr(name.size() - ext.size()), ext);
}

}  // namespace

PosixFileSystem::PosixFileSystem(std::string exePath) : exePath_(std::move(exePath)) {}

std::string PosixFileSystem::ExecutablePath() {
  if (!exePath_.empty()) return exePath_;
  std::string buf(4096, '\0');
  ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
  return n > 0 ? buf.substr(0, static_cast<size_t>(n)) : std::string();
}

bool PosixFileSystem::FileExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

ByteString PosixFileSystem::ReadWholeFile(const std::string& path) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) throw Error("Cannot open", path, errno);
  ByteString out;
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd.get(), buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw Error("Cannot read", path, errno);
    }
    if (n == 0) break;
    out.append(buf, static_cast<size_t>(n));
  }
  return out;
}

std::string PosixFileSystem::WriteTemp(const std::string& path, const ByteString& content, unsigned mode) {
  std::string temp = path + ".XXXXXX";
  UniqueFd fd(::mkstemp(temp.data()));
  if (fd.get() < 0) throw Error("Cannot create a file beside", path, errno);
  auto fail = [&](const char* what) {
    int err = errno;
    ::unlink(temp.c_str());
    return Error(what, temp, err);
  };
  size_t done = 0;
  while (done < content.size()) {
    ssize_t n = ::write(fd.get(), content.data() + done, content.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw fail("Cannot write");
    }
    done += static_cast<size_t>(n);
  }
  if (::fchmod(fd.get(), mode) != 0 || ::fsync(fd.get()) != 0) throw fail("Cannot write");
  if (::close(fd.release()) != 0) throw fail("Cannot write");
  return temp;
}

void PosixFileSystem::RenameOver(const std::string& temp, const std::string& path) {
  if (::rename(temp.c_str(), path.c_str()) != 0) throw Error("Cannot replace", path, errno);
}

void PosixFileSystem::WriteFileAtomic(const std::string& path, const ByteString& content) {
  struct stat st {};
  unsigned mode = ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
  const std::string temp = WriteTemp(path, content, mode);
  try {
    RenameOver(temp, path);
  } catch (...) {
    ::unlink(temp.c_str());
    throw;
  }
}

bool PosixFileSystem::CopyNoOverwrite(const std::string& from, const std::string& to) {
  if (FileExists(to)) return false;
  const ByteString content = ReadWholeFile(from);
  const std::string temp = WriteTemp(to, content, 0644);
  // link() never replaces an existing name, so a file that appeared meanwhile stays.
  int rc = ::link(temp.c_str(), to.c_str());
  int err = errno;
  if (rc != 0 && err != EEXIST && !FileExists(to)) {
    // File systems without hard links: a rename, checked just before.
    rc = ::rename(temp.c_str(), to.c_str());
    err = errno;
  }
  ::unlink(temp.c_str());
  if (rc != 0) {
    if (err == EEXIST) return false;
    throw Error("Cannot create", to, err);
  }
  return true;
}

std::vector<std::string> PosixFileSystem::ListFiles(const std::string& dir, const std::string& ext) {
  std::vector<std::string> out;
  std::unique_ptr<DIR, int (*)(DIR*)> d(::opendir(dir.empty() ? "." : dir.c_str()), ::closedir);
  if (!d) return out;
  while (dirent* e = ::readdir(d.get())) {
    std::string name = e->d_name;
    if (!EndsWithNoCase(name, ext)) continue;
    if (FileExists((dir.empty() ? "./" : dir) + name)) out.push_back(name);
  }
  return out;
}

std::optional<LocalDate> PosixFileSystem::LastWriteDate(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return std::nullopt;
  std::tm tm{};
  time_t t = st.st_mtime;
  if (!::localtime_r(&t, &tm)) return std::nullopt;
  return LocalDate{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
}

bool PosixFileSystem::FolderWritable(const std::string& dir) {
  struct stat st {};
  return !dir.empty() && ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
         ::access(dir.c_str(), W_OK | X_OK) == 0;
}

void PosixFileSystem::CreateFolders(const std::string& dir) {
  for (size_t pos = 0; pos != std::string::npos;) {
    pos = dir.find('/', pos + 1);
    const std::string part = dir.substr(0, pos);
    if (part.empty()) continue;
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) throw Error("Cannot create", part, errno);
    struct stat st {};
    if (::stat(part.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) throw Error("Cannot create", part, ENOTDIR);
  }
}

UserFolders PosixUserFolders() {
  UserFolders user;
  if (const char* config = std::getenv("XDG_CONFIG_HOME")) user.configHome = config;
  if (const char* home = std::getenv("HOME")) user.home = home;
  if (user.home.empty()) {
    std::string buf(16384, '\0');
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buf.data(), buf.size(), &found) == 0 && found && found->pw_dir)
      user.home = found->pw_dir;
  }
#ifdef KM27_INSTALLED_DATA_DIR
  user.installedData = KM27_INSTALLED_DATA_DIR;
#endif
  return user;
}

void InstallPosixSettingsServices() {
  static PosixFileSystem fs;
  SetFileSystem(&fs);
}

}  // namespace km27
