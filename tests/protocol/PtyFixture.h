#pragma once
// The communication window over the POSIX port layer, talking to the reader
// simulator on a pseudo-terminal, on the real clock.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "device/Comm.h"
#include "device/posix/PosixCommX.h"
#include "keyboard/KeyInjection.h"
#include "settings/Define.h"
#include "settings/Messages.h"
#include "tests/serial/SimProcess.h"
#include "tests/support/RealTimeToolkit.h"

namespace km27::test {

struct TempDir {
  std::string path;
  TempDir() {
    char tmpl[] = "/tmp/km27-protocol-XXXXXX";
    const char* made = mkdtemp(tmpl);
    path = made ? made : "/tmp";
  }
  ~TempDir() {
    std::error_code ec;
    if (path != "/tmp") std::filesystem::remove_all(path, ec);
  }
};

// A simulator on <dir>/COM<portNo> and a communication window with the port open.
class SimulatedReader {
 public:
  explicit SimulatedReader(int portNo, std::vector<std::string> simArgs = {}) {
    ResetSettingsToBuiltIn();
    ResetMessageTexts();
    ResetKeyState();
    General.ConnectionCheck = "111";
    SetSerialDeviceDirectory(dir.path);
    Serial.Port = portNo;
    sim = std::make_unique<SimProcess>(dir.path, portNo, std::move(simArgs));
    comm = std::make_unique<TfrmComm>(std::make_unique<TCommX>());
    comm->OnStatusText = [this](const std::string& t) { statusTexts.push_back(t); };
  }
  ~SimulatedReader() {
    comm.reset();
    sim.reset();
    ResetSettingsToBuiltIn();
  }
  bool Ready() const { return sim->Ready(); }
  // Pumps until the simulator has received bytes that contain `bytes`.
  bool SimReceived(const std::string& bytes, uint32_t ms = 2000) {
    return tk.PumpUntil([&] { return sim->Received().find(bytes) != std::string::npos; }, ms);
  }

  RealTimeToolkit tk;
  TempDir dir;
  std::unique_ptr<SimProcess> sim;
  std::unique_ptr<TfrmComm> comm;
  std::vector<std::string> statusTexts;
};

}  // namespace km27::test
