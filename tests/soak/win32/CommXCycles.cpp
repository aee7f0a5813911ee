// commx_cycles: the real serial port component opened and closed over and
// over under Wine against the reader simulator (KM27_SIM_COM, KM27_SIM_TCP),
// each cycle with a "VR" exchange, while this process's handles, threads,
// GDI and USER objects and working set are sampled. Prints the figures; exits
// with 1 when a cycle failed or a count grew between the first samples (after
// the first cycles have warmed everything up) and the end.
//   commx_cycles <cycles>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "device/win32/CommX.h"
#include "tests/serial/win32/SimClient.h"
#include "tests/soak/win32/ProcessFigures.h"

namespace {

using km27::soak::Describe;
using km27::soak::MeasureSelf;
using km27::soak::ProcessFigures;

const std::string kVr("\x02VR\x03\x07", 5);
constexpr int kWarmUp = 10;
// Growth that is still no leak: the C runtime and Wine keep a few handles and
// pages of their own as they go.
constexpr long kHandleSlack = 8;
constexpr long kWorkingSetSlackKb = 4096;

template <typename Pred>
bool PumpUntil(Pred pred, DWORD ms) {
  const DWORD start = GetTickCount();
  while (!pred()) {
    if (GetTickCount() - start >= ms) return pred();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
  }
  return true;
}

long Grew(unsigned long before, unsigned long after) { return static_cast<long>(after) - static_cast<long>(before); }

}  // namespace

int main(int argc, char** argv) {
  const int cycles = argc > 1 ? std::atoi(argv[1]) : 0;
  km27::test::SimClient sim;
  if (cycles <= kWarmUp || !sim.Available()) {
    std::fprintf(stderr, "usage: commx_cycles <cycles above %d> (with KM27_SIM_COM and KM27_SIM_TCP)\n", kWarmUp);
    return 2;
  }
  km27::TCommX port;
  port.SetPortNo(sim.ComNumber());
  port.SetFlowCtrl(km27::cfcNone);
  std::string received;
  port.OnReceive = [&](km27::TCustomCommX& sender, int32_t size) {
    std::string buf(static_cast<size_t>(size), '\0');
    const int32_t n = sender.Read(buf.data(), size);
    if (n > 0) received.append(buf.data(), static_cast<size_t>(n));
  };

  const ProcessFigures start = MeasureSelf();
  ProcessFigures warm;
  int failedOpens = 0, noAnswers = 0;
  const DWORD t0 = GetTickCount();
  for (int i = 1; i <= cycles; ++i) {
    try {
      port.Open();
    } catch (const km27::ECommError& e) {
      ++failedOpens;
      std::printf("cycle %d: Open raised \"%s\"\n", i, e.what());
      continue;
    }
    received.clear();
    port.WriteString(kVr);
    if (!PumpUntil([&] { return received.size() >= 21; }, 3000)) ++noAnswers;
    port.Close();
    if (i == kWarmUp) warm = MeasureSelf();
    if (i % 100 == 0 || i == cycles) {
      std::printf("  cycle %4d: %s\n", i, Describe(MeasureSelf()).c_str());
      std::fflush(stdout);
    }
  }
  // The last cycle's threads end on their own just after Close.
  PumpUntil([&] { return MeasureSelf().threads <= warm.threads; }, 3000);
  const ProcessFigures end = MeasureSelf();
  const double seconds = (GetTickCount() - t0) / 1000.0;
  std::printf("before the first open: %s\n", Describe(start).c_str());
  std::printf("after %d cycles:        %s\n", kWarmUp, Describe(warm).c_str());
  std::printf("after %d cycles:      %s\n", cycles, Describe(end).c_str());
  std::printf("%d Open/Close cycles with a VR exchange each in %.0f s: %d opens failed, %d exchanges unanswered\n",
              cycles, seconds, failedOpens, noAnswers);
  const long handles = Grew(warm.handles, end.handles), threads = Grew(warm.threads, end.threads),
             gdi = Grew(warm.gdiObjects, end.gdiObjects), user = Grew(warm.userObjects, end.userObjects),
             windows = Grew(warm.windows, end.windows),
             ws = Grew(warm.workingSetKb, end.workingSetKb);
  std::printf("growth after warm-up: handles %+ld, threads %+ld, GDI %+ld, USER %+ld, windows %+ld, working set %+ld kB\n",
              handles, threads, gdi, user, windows, ws);
  const bool ok = failedOpens == 0 && noAnswers == 0 && handles <= kHandleSlack && threads <= 0 && gdi <= 0 &&
                  user <= 0 && windows <= 0 && ws <= kWorkingSetSlackKb;
  std::printf("RESULT %s\n", ok ? "PASS" : "FAIL");
  return ok ? 0 : 1;
}
