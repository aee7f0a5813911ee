#include "tests/soak/win32/ProcessFigures.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace km27::soak {

namespace {

double Ms(const FILETIME& t) {
  ULARGE_INTEGER v;
  v.LowPart = t.dwLowDateTime;
  v.HighPart = t.dwHighDateTime;
  return static_cast<double>(v.QuadPart) / 10000.0;
}

DWORD CountThreads(DWORD processId) {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snap == INVALID_HANDLE_VALUE) return 0;
  THREADENTRY32 e{};
  e.dwSize = sizeof e;
  DWORD n = 0;
  for (BOOL more = Thread32First(snap, &e); more; more = Thread32Next(snap, &e))
    if (e.th32OwnerProcessID == processId) ++n;
  CloseHandle(snap);
  return n;
}

// The system's handle table (NtQuerySystemInformation class 16).
struct HandleEntry {
  ULONG ownerPid;
  BYTE objectType;
  BYTE flags;
  USHORT value;
  PVOID object;
  ULONG access;
};
struct HandleTable {
  ULONG count;
  HandleEntry entries[1];
};
using QuerySystemInformation = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

DWORD CountHandlesInTable(DWORD processId) {
  static auto query = reinterpret_cast<QuerySystemInformation>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) return 0;
  std::vector<char> buffer(1 << 16);
  for (int attempt = 0; attempt < 8; ++attempt) {
    ULONG needed = 0;
    const LONG status = query(16, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status == 0) {
      const auto* table = reinterpret_cast<const HandleTable*>(buffer.data());
      DWORD n = 0;
      for (ULONG i = 0; i < table->count; ++i)
        if (table->entries[i].ownerPid == processId) ++n;
      return n;
    }
    buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 4096));
  }
  return 0;
}

struct WindowCount {
  DWORD processId;
  DWORD count;
};

BOOL CALLBACK CountChild(HWND, LPARAM lp) {
  ++reinterpret_cast<WindowCount*>(lp)->count;
  return TRUE;
}

BOOL CALLBACK CountTop(HWND w, LPARAM lp) {
  auto* c = reinterpret_cast<WindowCount*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid == c->processId) {
    ++c->count;
    EnumChildWindows(w, CountChild, lp);
  }
  return TRUE;
}

}  // namespace

ProcessFigures Measure(HANDLE process, DWORD processId) {
  ProcessFigures f;
  if (!process) return f;
  f.ok = true;
  GetProcessHandleCount(process, &f.handles);
  if (f.handles == 0) f.handles = CountHandlesInTable(processId);
  WindowCount windows{processId, 0};
  EnumWindows(CountTop, reinterpret_cast<LPARAM>(&windows));
  f.windows = windows.count;
  // Wine runs some waits on helper threads that live a few milliseconds;
  // the lowest of a few counts is the program's own threads.
  f.threads = CountThreads(processId);
  for (int i = 0; i < 4; ++i) {
    Sleep(20);
    f.threads = std::min(f.threads, CountThreads(processId));
  }
  f.gdiObjects = GetGuiResources(process, GR_GDIOBJECTS);
  f.userObjects = GetGuiResources(process, GR_USEROBJECTS);
  PROCESS_MEMORY_COUNTERS_EX m{};
  m.cb = sizeof m;
  if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m), sizeof m)) {
    f.workingSetKb = m.WorkingSetSize / 1024;
    f.peakWorkingSetKb = m.PeakWorkingSetSize / 1024;
    f.privateKb = m.PrivateUsage / 1024;
  }
  FILETIME created, exited, kernel, user;
  if (GetProcessTimes(process, &created, &exited, &kernel, &user)) f.cpuMs = Ms(kernel) + Ms(user);
  return f;
}

ProcessFigures MeasureSelf() { return Measure(GetCurrentProcess(), GetCurrentProcessId()); }

std::string Describe(const ProcessFigures& f) {
  char buf[256];
  std::snprintf(buf, sizeof buf,
                "handles %lu threads %lu gdi %lu user %lu windows %lu ws %lu kB peak %lu kB private %lu kB cpu %.0f ms",
                static_cast<unsigned long>(f.handles), static_cast<unsigned long>(f.threads),
                static_cast<unsigned long>(f.gdiObjects), static_cast<unsigned long>(f.userObjects),
                static_cast<unsigned long>(f.windows),
                static_cast<unsigned long>(f.workingSetKb), static_cast<unsigned long>(f.peakWorkingSetKb),
                static_cast<unsigned long>(f.privateKb), f.cpuMs);
  return buf;
}

}  // namespace km27::soak
