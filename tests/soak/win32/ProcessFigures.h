#pragma once
// What a Windows process holds, as the Windows API reports it: kernel
// handles, threads, GDI and USER objects, working set, private bytes and CPU
// time. Under Wine some of these are not kept (the report says so).
#include <windows.h>

#include <string>

namespace km27::soak {

struct ProcessFigures {
  bool ok = false;
  // GetProcessHandleCount; where it says nothing (Wine), the process's
  // entries in the system's handle table.
  DWORD handles = 0;
  DWORD threads = 0;
  DWORD gdiObjects = 0;   // GetGuiResources (Wine keeps no count: 0)
  DWORD userObjects = 0;  // GetGuiResources (Wine keeps no count: 0)
  DWORD windows = 0;      // the process's windows, top-level and child
  SIZE_T workingSetKb = 0;
  SIZE_T peakWorkingSetKb = 0;
  SIZE_T privateKb = 0;
  double cpuMs = 0;  // user and kernel time together
};

// `process` needs PROCESS_QUERY_INFORMATION and PROCESS_VM_READ.
ProcessFigures Measure(HANDLE process, DWORD processId);
ProcessFigures MeasureSelf();

// "handles 123 threads 4 gdi 0 user 0 windows 3 ws 5120 kB peak 6000 kB private 3000 kB cpu 120 ms"
std::string Describe(const ProcessFigures& f);

}  // namespace km27::soak
