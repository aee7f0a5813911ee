// km27_soak: a long run of card reads through the whole native road: the
// reader simulator on a pseudo-terminal sends numbered reads at a rate (some
// of them landing on the answer to the reader check, some spoilt if asked),
// the POSIX serial port, the protocol engine, the decoder and the key output
// type them into the fake keyboard, while the main window converts with its
// reader checks running (port presence and "VR" every 3 s). What was typed is
// compared byte for byte with what was sent. Prints its figures; exits with 1
// when a read was lost, duplicated or garbled, a typed read was not
// acknowledged exactly once, the converter stopped, or memory grew beyond a
// generous bound (the simulator's log is then kept).
//
//   km27_soak [--reads N] [--gap MIN[-MAX]] [--seed S] [--collide K]
//             [--corrupt PERCENT] [--resend N] [--recive-buff-time MS]
//   km27_soak --check FILE --reads N [--seed S] [--separator TEXT]
//             compares a file of typed text (the Wine soak's target window)
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "SoakCheck.h"
#include "device/Comm.h"
#include "device/posix/PortsDirectory.h"
#include "device/posix/PosixCommX.h"
#include "settings/Define.h"
#include "settings/Messages.h"
#include "shell/Main.h"
#include "tests/serial/SimProcess.h"
#include "tests/support/FakeKeyInjector.h"
#include "tests/support/FakeTrayPeer.h"
#include "tests/support/RealTimeToolkit.h"

namespace {

using namespace km27;
using Clock = std::chrono::steady_clock;

constexpr int kPort = 9;
const std::string kSeparator = "/";
// Memory the run may gain over its first minute's level before it counts as growth.
constexpr double kGrowthBoundMb = 16.0;

struct Options {
  int64_t reads = 10000;
  std::string gap = "150-400";
  uint32_t seed = 1;
  int collide = 20;
  int corrupt = 0;
  int resend = 0;
  int reciveBuffTime = 80;
  std::string checkFile;
  std::string separator = kSeparator;
};

int Usage() {
  std::fprintf(stderr,
               "usage: km27_soak [--reads N] [--gap MIN[-MAX]] [--seed S] [--collide K] [--corrupt PERCENT]\n"
               "                 [--resend N] [--recive-buff-time MS]\n"
               "       km27_soak --check FILE --reads N [--seed S] [--separator TEXT]\n");
  return 2;
}

double RssMb() {
  std::ifstream status("/proc/self/status");
  std::string key;
  long kb = 0;
  while (status >> key) {
    if (key == "VmRSS:") {
      status >> kb;
      break;
    }
  }
  return static_cast<double>(kb) / 1024.0;
}

// "OK reads=3 acks=2 ..." as a map of the numbers.
std::map<std::string, int64_t> ParseStats(const std::string& reply) {
  std::map<std::string, int64_t> out;
  std::istringstream in(reply);
  std::string word;
  while (in >> word) {
    const size_t eq = word.find('=');
    if (eq != std::string::npos) out[word.substr(0, eq)] = std::atoll(word.c_str() + eq + 1);
  }
  return out;
}

void PrintFigures(const soak::SoakFigures& f, int64_t expectedLost) {
  std::printf("reads sent by the reader   %lld\n", static_cast<long long>(f.sent));
  std::printf("lines typed                %lld\n", static_cast<long long>(f.lines));
  std::printf("lost                       %lld (expected %lld)\n", static_cast<long long>(f.lost),
              static_cast<long long>(expectedLost));
  std::printf("duplicated                 %lld\n", static_cast<long long>(f.duplicated));
  std::printf("garbled                    %lld\n", static_cast<long long>(f.garbled));
  std::printf("typed out of order         %lld (reads held for a check answer come later)\n",
              static_cast<long long>(f.outOfOrder));
  for (const std::string& e : f.examples) std::printf("  %s\n", e.c_str());
}

bool Passed(const soak::SoakFigures& f, int64_t expectedLost) {
  return f.lost == expectedLost && f.duplicated == 0 && f.garbled == 0;
}

int CheckFile(const Options& o) {
  std::ifstream in(o.checkFile, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", o.checkFile.c_str());
    return 2;
  }
  const std::string typed((std::istreambuf_iterator<char>(in)), {});
  const soak::SoakFigures f = soak::CheckTyped(typed, o.seed, o.reads, o.separator);
  PrintFigures(f, 0);
  const bool ok = Passed(f, 0);
  std::printf("RESULT %s\n", ok ? "PASS" : "FAIL");
  return ok ? 0 : 1;
}

class Run {
 public:
  explicit Run(const Options& o) : o_(o) {}

  int Go() {
    char tmpl[] = "/tmp/km27-soak-XXXXXX";
    if (!mkdtemp(tmpl)) return 2;
    dir_ = tmpl;
    const int rc = Inside();
    if (rc == 1) {
      // The simulator's log of every byte on the line stays for a look.
      std::printf("kept %s (sim%d.log: every byte on the line)\n", dir_.c_str(), kPort);
    } else {
      std::error_code ec;
      std::filesystem::remove_all(dir_, ec);
    }
    return rc;
  }

 private:
  void Configure() {
    ResetSettingsToBuiltIn();
    ResetMessageTexts();
    General.WizardStatus = "111";
    // A pseudo-terminal has no modem lines: the port and reader checks run.
    General.ConnectionCheck = "101";
    Serial.Port = kPort;
    Serial.ReciveBuffTime = o_.reciveBuffTime;
    CardData.Tracks = "1100";
    CardData.TrackUse = "1100";
    KeyData.Header = "";
    KeyData.TrackSeparator = kSeparator;
    KeyData.Terminator = "[ENTER]";
    KeyData.Blocks = {TBlockData{1, true, 0, 0, "", ""}, TBlockData{2, true, 0, 0, "", ""}};
    KeyData.BlockNum = 2;
  }

  int Inside() {
    test::RealTimeToolkit tk;
    test::FakeTrayPeer::Installation tray;
    FakeKeyInjector keys;
    Configure();
    SetSerialDeviceDirectory(dir_);
    DirectorySerialDeviceMap devices(dir_);
    SetSerialDeviceMap(&devices);
    test::SimProcess sim(dir_, kPort);
    if (!sim.Ready()) {
      std::fprintf(stderr, "km27sim did not start (%s)\n", test::SimProcess::Program().c_str());
      return 2;
    }
    auto comm = std::make_unique<TfrmComm>(std::make_unique<TCommX>());
    frmComm = comm.get();
    auto main = std::make_unique<TfrmMain>(TMainServices{});
    frmMain = main.get();
    int rc = Soak(tk, keys, sim, *main);
    main.reset();
    frmMain = nullptr;
    comm.reset();
    frmComm = nullptr;
    SetSerialDeviceMap(nullptr);
    return rc;
  }

  int Soak(test::RealTimeToolkit& tk, FakeKeyInjector& keys, test::SimProcess& sim, TfrmMain& main) {
    main.tmrStartupTimer();
    main.actStart->Execute();
    if (!gRunning) {
      std::fprintf(stderr, "the converter did not start: %s\n", tk.boxes.empty() ? "" : tk.boxes[0].text.c_str());
      return 1;
    }
    // The start-up check (version, power-on setting) finishes first.
    tk.PumpUntil([&] { return !main.tmrCheckSPST->Enabled() && gConnectChecked; }, 15000);

    sim.Command("resend " + std::to_string(o_.resend));
    std::string command = "swipes " + std::to_string(o_.reads) + " " + o_.gap + " seed=" + std::to_string(o_.seed);
    if (o_.collide > 0) command += " collide=" + std::to_string(o_.collide);
    if (o_.corrupt > 0) command += " corrupt=" + std::to_string(o_.corrupt);
    const std::string reply = sim.Command(command);
    if (reply.rfind("OK", 0) != 0) {
      std::fprintf(stderr, "simulator: %s\n", reply.c_str());
      return 2;
    }
    std::printf("soak: %lld numbered reads, gap %s ms, seed %u, every %d-th on a check answer, %d %% spoilt, "
                "resend %d, ReciveBuffTime %d ms\n",
                static_cast<long long>(o_.reads), o_.gap.c_str(), o_.seed, o_.collide, o_.corrupt, o_.resend,
                o_.reciveBuffTime);
    std::fflush(stdout);

    const auto start = Clock::now();
    std::string typed;
    std::map<std::string, int64_t> stats;
    bool stopped = false;
    double rssEarly = 0;
    auto lastTyped = Clock::now();
    auto lastStats = Clock::now() - std::chrono::seconds(1);
    auto lastReport = Clock::now();
    for (;;) {
      tk.ProcessMessages();
      if (!keys.Events().empty()) {
        // A read is typed whole inside one handler: between two pumps every
        // key is up and the text so far can be taken.
        typed += keys.TypedText();
        keys.Clear();
        lastTyped = Clock::now();
      }
      const auto now = Clock::now();
      if (now - lastStats < std::chrono::milliseconds(500)) continue;
      lastStats = now;
      tk.ClearRecord();
      stats = ParseStats(sim.Command("stats"));
      if (rssEarly == 0 && now - start > std::chrono::seconds(60)) rssEarly = RssMb();
      if (!gRunning) {
        stopped = true;
        break;
      }
      if (now - lastReport > std::chrono::seconds(60)) {
        lastReport = now;
        std::printf("  %4.0f s: %lld reads sent, %zu bytes typed\n", std::chrono::duration<double>(now - start).count(),
                    static_cast<long long>(stats["reads"]), typed.size());
        std::fflush(stdout);
      }
      const bool allSent = stats["left"] == 0 && stats["held"] == 0;
      if (allSent && now - lastTyped > std::chrono::seconds(2)) break;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double rssEnd = RssMb();
    if (rssEarly == 0) rssEarly = rssEnd;

    const std::string received = sim.Received();
    int64_t checks = 0;
    for (size_t at = received.find("\x02VR\x03"); at != std::string::npos; at = received.find("\x02VR\x03", at + 1))
      ++checks;
    const int64_t expectedLost = o_.resend > 0 ? 0 : stats["corrupted"];
    const soak::SoakFigures f = soak::CheckTyped(typed, o_.seed, stats["reads"], kSeparator);
    PrintFigures(f, expectedLost);
    std::printf("answers to the reader      ACK %lld, NAK %lld, 0x10 %lld; reader resent %lld, gave up %lld\n",
                static_cast<long long>(stats["acks"]), static_cast<long long>(stats["naks"]),
                static_cast<long long>(stats["dles"]), static_cast<long long>(stats["resent"]),
                static_cast<long long>(stats["dropped"]));
    std::printf("reader checks (\"VR\")       %lld; converter %s\n", static_cast<long long>(checks),
                stopped ? "STOPPED" : "still running");
    for (const auto& box : tk.boxes) std::printf("  message box: %s\n", box.text.c_str());
    std::printf("elapsed                    %.0f s (%.1f reads/s)\n", seconds, static_cast<double>(f.sent) / seconds);
    std::printf("memory (RSS)               %.1f MB after the first minute, %.1f MB at the end\n", rssEarly, rssEnd);
    // Every read that was typed was acknowledged once: a reader resends a
    // read it got no ACK for, and it would be typed twice.
    const bool acked = stats["acks"] == f.sent - expectedLost;
    if (!acked) std::printf("ACKs do not match the reads typed: a reader would resend\n");
    const bool ok = Passed(f, expectedLost) && acked && !stopped && rssEnd - rssEarly < kGrowthBoundMb;
    std::printf("RESULT %s\n", ok ? "PASS" : "FAIL");
    return ok ? 0 : 1;
  }

  Options o_;
  std::string dir_;
};

}  // namespace

int main(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (i + 1 >= argc) return Usage();
    const char* v = argv[++i];
    if (a == "--reads") o.reads = std::atoll(v);
    else if (a == "--gap") o.gap = v;
    else if (a == "--seed") o.seed = static_cast<uint32_t>(std::strtoul(v, nullptr, 10));
    else if (a == "--collide") o.collide = std::atoi(v);
    else if (a == "--corrupt") o.corrupt = std::atoi(v);
    else if (a == "--resend") o.resend = std::atoi(v);
    else if (a == "--recive-buff-time") o.reciveBuffTime = std::atoi(v);
    else if (a == "--check") o.checkFile = v;
    else if (a == "--separator") o.separator = v;
    else return Usage();
  }
  if (o.reads < 1 || o.reads > 999999 || o.reciveBuffTime < 1) return Usage();
  if (!o.checkFile.empty()) return CheckFile(o);
  return Run(o).Go();
}
