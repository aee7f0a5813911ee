#include "shell/posix/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "shell/DesktopShell.h"

extern char** environ;

namespace km27 {

namespace {

std::vector<pid_t>& Running() {
  static std::vector<pid_t> pids;
  return pids;
}

// The attributes and file actions of one spawn, released with it.
class SpawnSetup {
 public:
  SpawnSetup() {
    posix_spawn_file_actions_init(&actions_);
    posix_spawnattr_init(&attr_);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions_);
    posix_spawnattr_destroy(&attr_);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;
  posix_spawn_file_actions_t* actions() { return &actions_; }
  posix_spawnattr_t* attr() { return &attr_; }

 private:
  posix_spawn_file_actions_t actions_;
  posix_spawnattr_t attr_;
};

}  // namespace

pid_t StartProgram(const std::vector<std::string>& argv) {
  if (argv.empty()) throw ShellError("No program to start.");
  CollectEndedPrograms();
  const std::string program = argv[0].find('/') == std::string::npos ? FindOnPath(argv[0]) : argv[0];
  if (program.empty()) throw ShellError(argv[0] + ": " + std::strerror(ENOENT));
  SpawnSetup setup;
  posix_spawn_file_actions_addopen(setup.actions(), 0, "/dev/null", O_RDONLY, 0);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
  posix_spawn_file_actions_addclosefrom_np(setup.actions(), 3);
#endif
  // The program gets the default signal handling and mask, not the toolkit's.
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(setup.attr(), &none);
  posix_spawnattr_setsigdefault(setup.attr(), &all);
  posix_spawnattr_setflags(setup.attr(), POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  int rc = posix_spawn(&pid, program.c_str(), setup.actions(), setup.attr(), args.data(), environ);
  if (rc != 0) throw ShellError(argv[0] + ": " + std::strerror(rc));
  return pid;
}

void LeaveRunning(pid_t pid) {
  if (pid > 0) Running().push_back(pid);
}

void CollectEndedPrograms() {
  auto& pids = Running();
  for (size_t i = 0; i < pids.size();) {
    int status = 0;
    pid_t r = ::waitpid(pids[i], &status, WNOHANG);
    // Ended, or not ours any more (someone else collected it).
    if (r == pids[i] || (r < 0 && errno == ECHILD)) {
      pids.erase(pids.begin() + static_cast<long>(i));
    } else {
      ++i;
    }
  }
}

int FinishProgram(pid_t pid, int ms) {
  const timespec step{0, 10 * 1000 * 1000};
  for (int waited = 0;; waited += 10) {
    int status = 0;
    pid_t r = ::waitpid(pid, &status, WNOHANG);
    if (r == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (r < 0 && errno != EINTR) return -1;
    if (waited >= ms) break;
    ::nanosleep(&step, nullptr);
  }
  ::kill(pid, SIGKILL);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return -1;
}

std::string FindOnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string dir = dirs.substr(start, end - start);
    start = end + 1;
    if (dir.empty() || dir[0] != '/') continue;  // the current folder is never searched
    std::string candidate = dir + "/" + program;
    struct stat st {};
    if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
      return candidate;
  }
  return {};
}

}  // namespace km27
