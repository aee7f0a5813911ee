#pragma once
// One copy of the program per user session: an exclusive lock on a file in
// $XDG_RUNTIME_DIR (the user's own run-time folder, cleared at log-out). The
// lock goes with the process, however it ends, so a crash never leaves a
// stale one behind.
#include <string>

namespace km27 {

class InstanceLock {
 public:
  // `folder` empty: $XDG_RUNTIME_DIR, else the temporary folder with the
  // user id in the file name.
  explicit InstanceLock(std::string folder = {});
  ~InstanceLock();
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;

  // False when another copy holds the lock. A lock file that cannot be made
  // at all does not keep the program from running.
  bool Acquire();
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  int fd_ = -1;
};

}  // namespace km27
