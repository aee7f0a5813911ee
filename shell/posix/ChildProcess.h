#pragma once
// Other programs the desktop shell starts (xdg-open, gio): found on PATH and
// started directly, never through a shell, with no descriptor of ours but
// the standard output and error (the serial port and the X connection stay
// ours) and standard input from /dev/null.
#include <sys/types.h>

#include <string>
#include <vector>

namespace km27 {

// Starts argv[0] with the arguments argv[1..]. Throws ShellError ("<program>:
// <the system's text>") when it cannot be started, a missing program included.
pid_t StartProgram(const std::vector<std::string>& argv);

// Leaves a started program to run on: it is collected by a later call of
// CollectEndedPrograms (each StartProgram makes one), so none stays a zombie
// for long and none is waited for.
void LeaveRunning(pid_t pid);
void CollectEndedPrograms();

// Waits at most `ms` milliseconds for a started program; one still running
// then is killed. Returns its exit status, or -1 when it did not exit by
// itself.
int FinishProgram(pid_t pid, int ms);

// The absolute path of `program` on PATH; empty when there is none.
std::string FindOnPath(const std::string& program);

}  // namespace km27
