// km27probe: measures another program from outside under Wine: its
// resources (ProcessFigures), how fast its window answers messages, and the
// CPU time it takes while idle. The program is found by a top-level window.
//   km27probe figures <class> <title|*>
//       one line: handles, threads, GDI and USER objects, working set, CPU time
//   km27probe respond <class> <title|*> <seconds> [interval ms]
//       sends WM_NULL every interval (default 20) ms and times the answer;
//       samples the working set every second; prints the summary
//   km27probe idle <class> <title|*> <seconds>
//       the CPU time the process takes over that many seconds
// Exit status 0 when the window was found and answered throughout.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tests/soak/win32/ProcessFigures.h"

namespace {

using km27::soak::Describe;
using km27::soak::Measure;
using km27::soak::ProcessFigures;

struct Target {
  HWND window = nullptr;
  DWORD pid = 0;
  HANDLE process = nullptr;
};

bool Open(const char* cls, const char* title, Target& t) {
  t.window = FindWindowA(cls, std::strcmp(title, "*") == 0 ? nullptr : title);
  if (!t.window) {
    std::fprintf(stderr, "km27probe: no window of class %s\n", cls);
    return false;
  }
  GetWindowThreadProcessId(t.window, &t.pid);
  t.process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, t.pid);
  if (!t.process) {
    std::fprintf(stderr, "km27probe: cannot open process %lu\n", static_cast<unsigned long>(t.pid));
    return false;
  }
  return true;
}

double NowMs() {
  static LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
}

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  size_t i = static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
  return v[std::min(i, v.size() - 1)];
}

int Respond(const Target& t, double seconds, DWORD interval) {
  std::vector<double> times;
  int unanswered = 0;
  SIZE_T wsStart = 0, wsMax = 0, wsEnd = 0, prStart = 0, prMax = 0, prEnd = 0;
  const double start = NowMs();
  double nextSample = start;
  while (NowMs() - start < seconds * 1000.0) {
    if (NowMs() >= nextSample) {
      const ProcessFigures f = Measure(t.process, t.pid);
      if (wsStart == 0) {
        wsStart = f.workingSetKb;
        prStart = f.privateKb;
      }
      wsMax = std::max(wsMax, f.workingSetKb);
      prMax = std::max(prMax, f.privateKb);
      wsEnd = f.workingSetKb;
      prEnd = f.privateKb;
      nextSample += 1000.0;
    }
    const double before = NowMs();
    DWORD_PTR result = 0;
    if (SendMessageTimeoutA(t.window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result))
      times.push_back(NowMs() - before);
    else
      ++unanswered;
    Sleep(interval);
  }
  const size_t slow = static_cast<size_t>(std::count_if(times.begin(), times.end(), [](double ms) { return ms > 100.0; }));
  std::printf("respond: %zu answers, median %.2f ms, 99th percentile %.2f ms, max %.2f ms, over 100 ms %zu, "
              "unanswered %d\n",
              times.size(), Percentile(times, 0.5), Percentile(times, 0.99), Percentile(times, 1.0), slow,
              unanswered);
  std::printf("memory: working set %lu kB at the start, %lu kB at most, %lu kB at the end; private %lu / %lu / %lu kB\n",
              static_cast<unsigned long>(wsStart), static_cast<unsigned long>(wsMax),
              static_cast<unsigned long>(wsEnd), static_cast<unsigned long>(prStart),
              static_cast<unsigned long>(prMax), static_cast<unsigned long>(prEnd));
  return unanswered == 0 && !times.empty() ? 0 : 1;
}

int Idle(const Target& t, double seconds) {
  const ProcessFigures before = Measure(t.process, t.pid);
  Sleep(static_cast<DWORD>(seconds * 1000.0));
  const ProcessFigures after = Measure(t.process, t.pid);
  std::printf("idle: %.0f ms of CPU time in %.0f s (%.3f %%)\n", after.cpuMs - before.cpuMs, seconds,
              (after.cpuMs - before.cpuMs) / (seconds * 10.0));
  std::printf("before: %s\nafter:  %s\n", Describe(before).c_str(), Describe(after).c_str());
  return 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: km27probe figures <class> <title|*>\n"
               "       km27probe respond <class> <title|*> <seconds> [interval ms]\n"
               "       km27probe idle <class> <title|*> <seconds>\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return Usage();
  Target t;
  if (!Open(argv[2], argv[3], t)) return 1;
  const char* cmd = argv[1];
  if (std::strcmp(cmd, "figures") == 0) {
    std::printf("%s\n", Describe(Measure(t.process, t.pid)).c_str());
    return 0;
  }
  if (std::strcmp(cmd, "respond") == 0 && argc >= 5)
    return Respond(t, std::atof(argv[4]), argc > 5 ? static_cast<DWORD>(std::atol(argv[5])) : 20);
  if (std::strcmp(cmd, "idle") == 0 && argc >= 5) return Idle(t, std::atof(argv[4]));
  return Usage();
}
