// km27sink: the window KM27.exe types into during soak runs and benchmarks
// under Wine: a top-level window with one focused multi-line edit control.
// Each line typed into the control (ended by Enter) is taken out of it, so
// runs of any length keep the control small.
//
//   km27sink record <file>
//       appends every line, with its CR LF, to <file> as it is completed
//   km27sink bench <short reads> <long reads> <file>
//       drives the reader simulator (KM27_SIM_TCP) itself: short reads one at a
//       time for the time from the swipe to the first keystroke, then long reads
//       (tracks of 79 and 40 characters, the longest a card has) for the typing
//       speed; KM27.exe must be typing "track 1/track 2" and
//       Enter. Prints the figures, writes every sample to <file>.
//
// Class "KM27Sink", title "KM27 Sink". The window takes the foreground and
// the focus when it starts.
#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/serial/win32/SimClient.h"

namespace {

HWND gFrame = nullptr;
HWND gEdit = nullptr;
bool gTaking = false;  // the control is being emptied (its own EN_CHANGE)

struct Line {
  std::string text;
  double firstKeyMs = -1;  // the line's first WM_KEYDOWN taken from the queue
  double doneMs = 0;       // Enter arrived in the control
  int keyDowns = 0;
};
std::vector<Line> gLines;
Line gCurrent;
std::function<void(const Line&)> gOnLine;

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

std::string EditText() {
  const int n = GetWindowTextLengthA(gEdit);
  std::string text(static_cast<size_t>(n) + 1, '\0');
  GetWindowTextA(gEdit, text.data(), n + 1);
  text.resize(static_cast<size_t>(n));
  return text;
}

// Takes every completed line out of the control.
void TakeLines() {
  std::string text = EditText();
  size_t nl = text.find("\r\n");
  if (nl == std::string::npos) return;
  while (nl != std::string::npos) {
    gCurrent.text = text.substr(0, nl);
    gCurrent.doneMs = NowMs();
    if (gOnLine) gOnLine(gCurrent);
    gCurrent = Line{};
    text.erase(0, nl + 2);
    nl = text.find("\r\n");
  }
  gTaking = true;
  SetWindowTextA(gEdit, text.c_str());
  SendMessageA(gEdit, EM_SETSEL, text.size(), text.size());
  gTaking = false;
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (reinterpret_cast<HWND>(lp) == gEdit && HIWORD(wp) == EN_CHANGE && !gTaking) TakeLines();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wp) != WA_INACTIVE && gEdit) SetFocus(gEdit);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

bool CreateSink() {
  HINSTANCE inst = GetModuleHandleA(nullptr);
  WNDCLASSA wc{};
  wc.lpfnWndProc = WndProc;
  wc.hInstance = inst;
  wc.lpszClassName = "KM27Sink";
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  RegisterClassA(&wc);
  gFrame = CreateWindowExA(0, "KM27Sink", "KM27 Sink", WS_OVERLAPPEDWINDOW, 60, 60, 520, 300, nullptr, nullptr, inst,
                           nullptr);
  gEdit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                          WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL, 0, 0,
                          500, 260, gFrame, nullptr, inst, nullptr);
  if (!gFrame || !gEdit) return false;
  SendMessageA(gEdit, EM_SETLIMITTEXT, 0, 0);
  ShowWindow(gFrame, SW_SHOWNORMAL);
  SetForegroundWindow(gFrame);
  SetActiveWindow(gFrame);
  SetFocus(gEdit);
  return true;
}

// One message; false once the window is gone.
bool Dispatch(const MSG& m) {
  if (m.message == WM_QUIT) return false;
  if (m.message == WM_KEYDOWN && m.hwnd == gEdit) {
    if (gCurrent.firstKeyMs < 0) gCurrent.firstKeyMs = NowMs();
    ++gCurrent.keyDowns;
  }
  TranslateMessage(&m);
  DispatchMessageA(&m);
  return true;
}

// Runs the message loop until done() holds or ms have passed.
bool Pump(double ms, const std::function<bool()>& done) {
  const double end = NowMs() + ms;
  for (;;) {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
      if (!Dispatch(m)) return false;
    if (done && done()) return true;
    const double left = end - NowMs();
    if (left <= 0) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min(left, 5.0)) + 1, QS_ALLINPUT);
  }
}

int Record(const char* path) {
  FILE* out = std::fopen(path, "ab");
  if (!out) return 1;
  gOnLine = [out](const Line& l) {
    std::fwrite(l.text.data(), 1, l.text.size(), out);
    std::fwrite("\r\n", 1, 2, out);
    std::fflush(out);
  };
  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0) > 0) Dispatch(m);
  std::fclose(out);
  return 0;
}

struct Stats {
  double median = 0, min = 0, max = 0;
};

Stats Summarize(std::vector<double> v) {
  Stats s;
  if (v.empty()) return s;
  std::sort(v.begin(), v.end());
  s.median = v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
  s.min = v.front();
  s.max = v.back();
  return s;
}

std::string Pattern(const char* alphabet, size_t n, size_t shift) {
  std::string s;
  const size_t k = std::strlen(alphabet);
  for (size_t i = 0; i < n; ++i) s += alphabet[(i * 7 + shift) % k];
  return s;
}

// Lines that came after their read was given up: typed late, not lost.
int gLate = 0;

void CountLate() {
  for (const Line& l : gLines) {
    ++gLate;
    std::printf("a line came late: \"%s\"\n", l.text.c_str());
  }
  gLines.clear();
}

// One swipe typed as "track1/track2"; false when it did not arrive in time.
bool Swipe(km27::test::SimClient& sim, const std::string& t1, const std::string& t2, double& sentMs, Line& got) {
  CountLate();
  sentMs = NowMs();
  if (sim.Command("swipe 0:" + t1 + " 0:" + t2).rfind("OK", 0) != 0) return false;
  if (!Pump(10000, [] { return !gLines.empty(); })) return false;
  got = gLines.front();
  gLines.erase(gLines.begin());
  return true;
}

int Bench(int shortReads, int longReads, const char* path) {
  km27::test::SimClient sim;
  if (!sim.Available()) {
    std::fprintf(stderr, "km27sink: no simulator (KM27_SIM_TCP)\n");
    return 2;
  }
  FILE* out = std::fopen(path, "wb");
  if (!out) return 2;
  gOnLine = [](const Line& l) { gLines.push_back(l); };
  Pump(500, nullptr);
  std::fprintf(out, "kind,index,first_key_ms,typing_ms,characters,key_downs,ok\n");

  std::vector<double> latency;
  int lost = 0, wrong = 0;
  for (int i = 0; i < shortReads; ++i) {
    char t1[32];
    std::snprintf(t1, sizeof t1, "S%06d", i);
    const std::string track1 = std::string(t1) + Pattern("abcXYZ", 6, static_cast<size_t>(i));
    const std::string track2 = Pattern("0123456789", 8, static_cast<size_t>(i));
    double sent = 0;
    Line got;
    if (!Swipe(sim, track1, track2, sent, got)) {
      ++lost;
      std::fprintf(out, "short,%d,,,,,lost\n", i);
      std::printf("short read %d (%s) not typed within 10 s\n", i, track1.c_str());
    } else {
      const bool ok = got.text == track1 + "/" + track2;
      if (!ok) ++wrong;
      if (ok && got.firstKeyMs >= 0) latency.push_back(got.firstKeyMs - sent);
      std::fprintf(out, "short,%d,%.2f,%.2f,%zu,%d,%d\n", i, got.firstKeyMs - sent, got.doneMs - got.firstKeyMs,
                   got.text.size(), got.keyDowns, ok ? 1 : 0);
    }
    Pump(150 + (i * 37) % 200, nullptr);  // the next read is a frame of its own
  }

  std::vector<double> rate, keyRate;
  size_t characters = 0;
  for (int i = 0; i < longReads; ++i) {
    // The longest tracks 1 and 2 of a card: 79 and 40 characters.
    const std::string track1 = "L" + Pattern("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", 78,
                                             static_cast<size_t>(i));
    const std::string track2 = Pattern("0123456789", 40, static_cast<size_t>(i));
    double sent = 0;
    Line got;
    if (!Swipe(sim, track1, track2, sent, got)) {
      ++lost;
      std::fprintf(out, "long,%d,,,,,lost\n", i);
      std::printf("long read %d not typed within 10 s\n", i);
      continue;
    }
    const bool ok = got.text == track1 + "/" + track2;
    if (!ok) ++wrong;
    const double typing = got.doneMs - got.firstKeyMs;
    characters = got.text.size() + 1;  // and Enter
    if (ok && typing > 0) {
      rate.push_back(static_cast<double>(characters) * 1000.0 / typing);
      keyRate.push_back(static_cast<double>(got.keyDowns) * 1000.0 / typing);
    }
    std::fprintf(out, "long,%d,%.2f,%.2f,%zu,%d,%d\n", i, got.firstKeyMs - sent, typing, got.text.size(),
                 got.keyDowns, ok ? 1 : 0);
    Pump(300, nullptr);
  }
  std::fclose(out);

  const Stats l = Summarize(latency), r = Summarize(rate), k = Summarize(keyRate);
  std::printf("swipe to first keystroke: %zu reads, median %.1f ms, max %.1f ms, min %.1f ms\n", latency.size(),
              l.median, l.max, l.min);
  std::printf("typing into an edit control: %zu reads of %zu keystrokes, median %.0f characters/s "
              "(%.0f to %.0f), %.0f key presses/s with Shift\n",
              rate.size(), characters, r.median, r.min, r.max, k.median);
  Pump(2000, nullptr);
  CountLate();
  std::printf("not typed within 10 s %d (of them typed later %d), typed wrong %d\n", lost, gLate, wrong);
  return lost == gLate && wrong == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: km27sink record <file> | km27sink bench <short reads> <long reads> <file>\n");
    return 2;
  }
  if (!CreateSink()) return 1;
  if (std::strcmp(argv[1], "record") == 0) return Record(argv[2]);
  if (std::strcmp(argv[1], "bench") == 0 && argc == 5) return Bench(std::atoi(argv[2]), std::atoi(argv[3]), argv[4]);
  return 2;
}
