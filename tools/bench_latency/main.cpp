// Latency of a card read over the native path: km27sim writes a "CR" frame to
// its pseudo-terminal; the POSIX port layer hands the bytes to the
// communication window, which ends the frame after ReciveBuffTime of silence,
// decodes it and arms the 10 ms output timer, whose handler types the read.
//
// The moment the frame's last byte left the simulator is taken as the earlier
// of two moments that both come after it: the simulator's reply to the swipe
// command (it replies once the frame is written) and the last arrival of the
// frame's bytes at the window. Both are a little late, so the figures are, if
// anything, a little low.
//
//   km27_bench_latency [--count N] [--recive-buff-time MS]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "device/Comm.h"
#include "device/posix/PosixCommX.h"
#include "keyboard/KeyInjector.h"
#include "settings/Define.h"
#include "tests/serial/SimProcess.h"
#include "tests/support/RealTimeToolkit.h"

namespace {

using Clock = std::chrono::steady_clock;
using km27::ByteString;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Notes the moment of the first key event; the keys themselves go nowhere.
class TimingInjector : public km27::VkKeyScanInjector {
 public:
  void KeyEvent(uint8_t, bool) override {
    if (!first) first = Clock::now();
    ++events;
  }
  int16_t VkKeyScan(char c) override {
    if (c >= '0' && c <= '9') return c;
    if (c >= 'A' && c <= 'Z') return static_cast<int16_t>(0x100 | c);
    if (c >= 'a' && c <= 'z') return static_cast<int16_t>(c - 'a' + 'A');
    return -1;
  }
  bool CapsLockOn() override { return false; }
  void UnicodeEvent(char16_t, bool up) override { KeyEvent(0, up); }
  std::optional<Clock::time_point> first;
  int events = 0;
};

struct Stats {
  double median = 0, max = 0;
};

Stats Summarize(std::vector<double> v) {
  Stats s;
  if (v.empty()) return s;
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  s.median = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
  s.max = v.back();
  return s;
}

int Usage() {
  std::fprintf(stderr, "usage: km27_bench_latency [--count N] [--recive-buff-time MS]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  int count = 30;
  int reciveBuffTime = 80;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--count" && i + 1 < argc) {
      count = std::atoi(argv[++i]);
    } else if (a == "--recive-buff-time" && i + 1 < argc) {
      reciveBuffTime = std::atoi(argv[++i]);
    } else {
      return Usage();
    }
  }
  if (count < 1 || reciveBuffTime < 1) return Usage();

  char tmpl[] = "/tmp/km27-bench-XXXXXX";
  if (!mkdtemp(tmpl)) {
    std::perror("mkdtemp");
    return 1;
  }
  const std::string dir = tmpl;
  int rc = 0;
  {
    km27::test::RealTimeToolkit tk;
    km27::ResetSettingsToBuiltIn();
    km27::General.ConnectionCheck = "111";
    km27::Serial.Port = 9;
    km27::Serial.ReciveBuffTime = reciveBuffTime;
    km27::CardData.Tracks = "1000";
    km27::CardData.TrackUse = "1000";
    km27::KeyData.BlockNum = 1;
    km27::KeyData.Blocks = {km27::TBlockData{}};
    km27::gRunning = true;
    km27::SetSerialDeviceDirectory(dir);

    km27::test::SimProcess sim(dir, 9);
    if (!sim.Ready()) {
      std::fprintf(stderr, "km27sim did not start (%s)\n", km27::test::SimProcess::Program().c_str());
      rc = 1;
    } else {
      TimingInjector keys;
      km27::SetKeyInjector(&keys);
      km27::TfrmComm comm(std::make_unique<km27::TCommX>());
      std::optional<Clock::time_point> lastArrival, decoded;
      comm.CommX1().OnReceive = [&](km27::TCustomCommX& sender, int32_t size) {
        lastArrival = Clock::now();
        comm.CommX1Receive(sender, size);
      };
      comm.OnStatusText = [&](const std::string& text) {
        if (text == "Read Response" && !decoded) decoded = Clock::now();
      };
      if (!comm.OpenPort(false)) {
        std::fprintf(stderr, "cannot open COM9 in %s\n", dir.c_str());
        rc = 1;
      } else {
        std::vector<double> toDecoder, toKey;
        int lost = 0;
        for (int i = 0; i < count; ++i) {
          lastArrival.reset();
          decoded.reset();
          keys.first.reset();
          Clock::time_point replied{};
          bool ok = false;
          char swipe[64];
          std::snprintf(swipe, sizeof swipe, "swipe 0:%08d%04d", i, 2700 + i);
          std::thread control([&] {
            ok = sim.Command(swipe).rfind("OK", 0) == 0;
            replied = Clock::now();
          });
          tk.PumpUntil([&] { return keys.first.has_value(); }, 2000);
          control.join();
          if (!ok || !decoded || !keys.first || !lastArrival) {
            ++lost;
          } else {
            const Clock::time_point left = std::min(replied, *lastArrival);
            toDecoder.push_back(Ms(*decoded - left));
            toKey.push_back(Ms(*keys.first - left));
          }
          tk.Advance(30);  // the ACK goes out; the next swipe is a frame of its own
        }
        const Stats d = Summarize(toDecoder), k = Summarize(toKey);
        std::printf("card reads over the pseudo-terminal: %zu measured, %d lost\n", toDecoder.size(), lost);
        std::printf("ReciveBuffTime                  %4d ms\n", reciveBuffTime);
        std::printf("last byte -> decoder     median %7.2f ms   max %7.2f ms   goal: median <= %d ms (ReciveBuffTime + 5)\n",
                    d.median, d.max, reciveBuffTime + 5);
        std::printf("floor ReciveBuffTime + 10       %4d ms\n", reciveBuffTime + 10);
        std::printf("last byte -> first key   median %7.2f ms   max %7.2f ms   goal: median <= %d ms (floor + 5)\n",
                    k.median, k.max, reciveBuffTime + 15);
        if (lost > 0) rc = 1;
      }
      km27::SetKeyInjector(nullptr);
    }
  }
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  return rc;
}
