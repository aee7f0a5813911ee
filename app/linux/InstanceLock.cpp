#include "InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace km27 {

InstanceLock::InstanceLock(std::string folder) {
  if (folder.empty()) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') {
      path_ = std::string(runtime) + "/km27.lock";
    } else {
      // Without a run-time folder the shared temporary folder serves; the
      // user id keeps two users' copies apart.
      path_ = "/tmp/km27-" + std::to_string(getuid()) + ".lock";
    }
  } else {
    path_ = folder + "/km27.lock";
  }
}

InstanceLock::~InstanceLock() {
  if (fd_ >= 0) ::close(fd_);
}

bool InstanceLock::Acquire() {
  if (fd_ >= 0) return true;
  int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return true;
  int r;
  do {
    r = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (r != 0 && errno == EINTR);
  if (r != 0) {
    const bool held = errno == EWOULDBLOCK;
    ::close(fd);
    return !held;
  }
  fd_ = fd;
  return true;
}

}  // namespace km27
