#pragma once
// What the output driver asks about the window that is to receive the keys.
// Windows: the foreground window's process and its token; tests: a fake.
namespace km27 {

class IForegroundWindow {
 public:
  virtual ~IForegroundWindow() = default;
  // The foreground window belongs to a process with more rights than this
  // one (running as administrator, or of a higher integrity that this process
  // may not even open). Windows drops synthetic keys sent to it, without an
  // error.
  virtual bool RefusesSyntheticKeys() = 0;
};

// The service in force; until the program installs the Windows one, every
// window takes keys.
IForegroundWindow& ForegroundWindow();
void SetForegroundWindowService(IForegroundWindow* service);

// What a process's token says. Denied: the process could not even be opened
// or its token read for lack of rights (it runs with more rights than the
// asker). Unknown: the question has no answer (Windows before Vista knows no
// elevation, a process that is gone).
enum class ProcessRights { Normal, Elevated, Denied, Unknown };

// Whether Windows drops synthetic keys that a process with `self` rights
// sends to the window of a process with `front` rights.
bool KeysRefused(ProcessRights self, ProcessRights front);

}  // namespace km27
