// wine_latency_parts: where the time of a read goes under Wine, measured
// inside one program. First, with the real serial port component, toolkit
// and protocol engine (the keys go to a recorder, not to a window): the
// simulator's reply to the swipe, the first and last arrival the port
// reports, the decoded frame, the first key event. Then the keyboard side:
// 400 characters typed by the real injector into an edit control of this
// program, the time to send the events and the time until the control holds
// them all. A benchmark that prints its figures.
//   wine_latency_parts <reads>     (KM27_SIM_COM, KM27_SIM_TCP: the simulator)
#include <winsock2.h>
#include <windows.h>
#undef MessageBox

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "common/win32/Win32CodePage.h"
#include "device/Comm.h"
#include "keyboard/KeyInjection.h"
#include "keyboard/KeyInjector.h"
#include "keyboard/win32/Win32KeyInjector.h"
#include "settings/Define.h"
#include "tests/serial/win32/SimClient.h"
#include "ui/win32/Win32Application.h"

namespace {

using namespace km27;

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

// Notes the first key event; types nothing.
class FirstKey : public VkKeyScanInjector {
 public:
  void KeyEvent(uint8_t, bool) override {
    if (first < 0) first = NowMs();
  }
  int16_t VkKeyScan(char c) override { return static_cast<int16_t>(static_cast<unsigned char>(c)); }
  bool CapsLockOn() override { return false; }
  void UnicodeEvent(char16_t, bool up) override { KeyEvent(0, up); }
  double first = -1;
};

struct Part {
  std::vector<double> v;
  void Add(double x) { v.push_back(x); }
  void Print(const char* what) {
    if (v.empty()) return;
    std::sort(v.begin(), v.end());
    std::printf("%-34s median %6.1f ms   max %6.1f ms   min %6.1f ms\n", what, v[v.size() / 2], v.back(), v.front());
  }
};

// The real injector typing into an edit control of this program.
void TypingIntoOwnEdit(ui::Win32Application& app) {
  HINSTANCE inst = GetModuleHandleA(nullptr);
  HWND frame = CreateWindowExA(0, "STATIC", "typing", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 520, 300, nullptr,
                               nullptr, inst, nullptr);
  HWND edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL, 0,
                              0, 500, 260, frame, nullptr, inst, nullptr);
  SetForegroundWindow(frame);
  SetFocus(edit);
  const double settle = NowMs() + 500;
  while (NowMs() < settle) app.ProcessMessages();
  InstallWin32KeyInjector();
  std::string text;
  for (int i = 0; i < 400; ++i) text += "abcdefghijklmnopqrstuvwxyz0123456789"[i % 36];
  const double start = NowMs();
  TypeChars(text, true, true);
  const double sent = NowMs();
  while (GetWindowTextLengthA(edit) < 400 && NowMs() - sent < 20000) app.ProcessMessages();
  const double held = NowMs();
  std::printf("400 characters (800 key events) into an edit control of this program: sent in %.1f ms "
              "(%.0f events/s), all in the control after %.1f ms (%.0f characters/s)\n",
              sent - start, 800000.0 / (sent - start), held - start, 400000.0 / (held - start));
  SetKeyInjector(nullptr);
  DestroyWindow(frame);
}

}  // namespace

int main(int argc, char** argv) {
  const int reads = argc > 1 ? std::atoi(argv[1]) : 0;
  test::SimClient sim;
  if (reads < 1 || !sim.Available()) {
    std::fprintf(stderr, "usage: wine_latency_parts <reads> (with KM27_SIM_COM and KM27_SIM_TCP)\n");
    return 2;
  }
  ui::Win32Application app(GetModuleHandleA(nullptr));
  ui::SetApp(&app);
  Win32CodePage codePage;
  SetAnsiCodePage(&codePage);
  FirstKey keys;
  SetKeyInjector(&keys);
  ResetSettingsToBuiltIn();
  Serial.Port = sim.ComNumber();
  Serial.Parity = 0;
  CardData.Tracks = "1000";
  CardData.TrackUse = "1000";
  KeyData.Blocks = {TBlockData{1, true, 0, 0, "", ""}};
  KeyData.BlockNum = 1;
  gRunning = true;

  Part reply, firstArrival, lastArrival, decoded, firstKey;
  int lost = 0;
  {
    TfrmComm comm(CreateCommX());
    double arrivalFirst = -1, arrivalLast = -1, decodedAt = -1;
    comm.CommX1().OnReceive = [&](TCustomCommX& sender, int32_t size) {
      arrivalLast = NowMs();
      if (arrivalFirst < 0) arrivalFirst = arrivalLast;
      comm.CommX1Receive(sender, size);
    };
    comm.OnStatusText = [&](const std::string& t) {
      if (t == "Read Response" && decodedAt < 0) decodedAt = NowMs();
    };
    if (!comm.OpenPort(false)) {
      std::printf("cannot open COM%d\n", Serial.Port);
      return 1;
    }
    for (int i = 0; i < reads; ++i) {
      arrivalFirst = arrivalLast = decodedAt = keys.first = -1;
      const double sent = NowMs();
      const bool ok = sim.Command("swipe 0:S" + std::to_string(100000 + i)).rfind("OK", 0) == 0;
      const double replied = NowMs();
      const double end = replied + 3000;
      while (keys.first < 0 && NowMs() < end) {
        app.ProcessMessages();
      }
      if (!ok || keys.first < 0 || decodedAt < 0) {
        ++lost;
      } else {
        reply.Add(replied - sent);
        firstArrival.Add(arrivalFirst - sent);
        lastArrival.Add(arrivalLast - sent);
        decoded.Add(decodedAt - sent);
        firstKey.Add(keys.first - sent);
      }
      const double pause = NowMs() + 150 + (i * 37) % 150;
      while (NowMs() < pause) app.ProcessMessages();
    }
    comm.ClosePort();
  }
  std::printf("%d reads (%d lost), times from sending the swipe command to the simulator:\n", reads, lost);
  reply.Print("simulator's reply");
  firstArrival.Print("first arrival reported by the port");
  lastArrival.Print("last arrival reported by the port");
  decoded.Print("frame decoded (ReciveBuffTime 80)");
  firstKey.Print("first key event");
  SetKeyInjector(nullptr);
  TypingIntoOwnEdit(app);
  ui::SetApp(nullptr);
  return lost == 0 ? 0 : 1;
}
