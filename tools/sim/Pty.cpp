#include "Pty.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace km27sim {

namespace {

std::string Errno(const std::string& what) { return what + ": " + std::strerror(errno); }

}  // namespace

bool Pty::Open(const std::string& link, std::string& error) {
  Close();
  int m = posix_openpt(O_RDWR | O_NOCTTY);
  if (m < 0) {
    error = Errno("posix_openpt");
    return false;
  }
  if (grantpt(m) != 0 || unlockpt(m) != 0) {
    error = Errno("grantpt/unlockpt");
    ::close(m);
    return false;
  }
  const char* name = ptsname(m);
  if (!name) {
    error = Errno("ptsname");
    ::close(m);
    return false;
  }
  std::string slave = name;
  int s = ::open(slave.c_str(), O_RDWR | O_NOCTTY);
  if (s < 0) {
    error = Errno("open " + slave);
    ::close(m);
    return false;
  }
  termios t{};
  if (tcgetattr(s, &t) == 0) {
    cfmakeraw(&t);
    cfsetispeed(&t, B9600);
    cfsetospeed(&t, B9600);
    tcsetattr(s, TCSANOW, &t);
  }
  fcntl(m, F_SETFL, fcntl(m, F_GETFL) | O_NONBLOCK);
  fcntl(m, F_SETFD, FD_CLOEXEC);
  fcntl(s, F_SETFD, FD_CLOEXEC);

  if (!link.empty()) {
    struct stat st{};
    if (lstat(link.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
      error = "refusing to replace " + link + ": it exists and is not a symbolic link";
      ::close(s);
      ::close(m);
      return false;
    }
    // A new link under a temporary name renamed over the old one: the host
    // never sees the name missing or half made.
    std::string tmp = link + ".km27sim." + std::to_string(getpid());
    ::unlink(tmp.c_str());
    if (symlink(slave.c_str(), tmp.c_str()) != 0 || rename(tmp.c_str(), link.c_str()) != 0) {
      error = Errno("link " + link + " -> " + slave);
      ::unlink(tmp.c_str());
      ::close(s);
      ::close(m);
      return false;
    }
  }
  master_ = m;
  slaveHold_ = s;
  slavePath_ = slave;
  link_ = link;
  return true;
}

size_t Pty::Unread() const {
  int n = 0;
  if (slaveHold_ < 0 || ioctl(slaveHold_, FIONREAD, &n) != 0 || n < 0) return 0;
  return static_cast<size_t>(n);
}

void Pty::Close() {
  if (!link_.empty()) {
    char target[PATH_MAX];
    ssize_t n = readlink(link_.c_str(), target, sizeof target - 1);
    if (n >= 0 && std::string(target, static_cast<size_t>(n)) == slavePath_) ::unlink(link_.c_str());
    link_.clear();
  }
  if (slaveHold_ >= 0) ::close(slaveHold_);
  if (master_ >= 0) ::close(master_);
  slaveHold_ = master_ = -1;
  slavePath_.clear();
}

}  // namespace km27sim
