#pragma once
// The main window under the fake toolkit and virtual clock, with the real
// communication window over a scripted reader (a fake port that answers the
// commands it is sent), a recording tray peer and a scripted serial device map.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "device/Comm.h"
#include "device/Ports.h"
#include "settings/Define.h"
#include "shell/Main.h"
#include "tests/support/FakeCommPort.h"
#include "tests/support/FakeToolkit.h"
#include "tests/support/FakeTrayPeer.h"

namespace km27::test {

// A frame as the reader sends it: STX, body, ETX, exclusive-or BCC.
ByteString ReaderFrame(const std::string& body);
// The firmware version answer (long enough to count as a live reader).
ByteString VersionFrame();
inline const ByteString kAckByte("\x06", 1);

// Answers each command frame written to it after `delayMs`, from a table of
// command text -> answer bytes; commands without an entry stay unanswered.
class ScriptedReader : public FakeCommPort {
 public:
  explicit ScriptedReader(FakeToolkit& tk) : tk_(tk) {}
  bool Write(const char* data, int32_t length) override;
  void Open() override;
  void Close() override;  // raises ECommError when closeError is set

  // Closing the port fails with this message (empty: it closes).
  std::string closeError;
  // The modem lines come on with the next open (a reader that was reset).
  bool linesOnWithNextOpen = false;

  std::map<std::string, ByteString> answers;
  uint32_t delayMs = 5;
  // Called with each command text as it is written (before its answer).
  std::function<void(const std::string&)> onCommand;
  std::vector<std::string> commands;  // command texts written, in order
  int pendingAnswers = 0;             // answers scheduled but not delivered yet
  int writesWhileAnswerPending = 0;   // commands sent while another answer was due

  int Count(const std::string& command) const;

 private:
  FakeToolkit& tk_;
};

class FakeDeviceMap : public ISerialDeviceMap {
 public:
  std::vector<std::string> PortNames() override { return ports; }
  std::vector<std::string> ports{"COM1"};
};

class MainFixture : public ::testing::Test {
 protected:
  MainFixture();
  ~MainFixture() override;

  // The main window as the program creates it; `services` default to steps
  // that load `loaded` into General.
  void CreateMain();
  // Runs the start-up sequence (the first tick of tmrStartup).
  void RunStartup() { tk.Advance(1000); }
  // A converter that runs, started from a shown main window.
  void StartConverter();

  // Balloons shown at the tray icon (title, text), in order.
  std::vector<std::pair<std::string, std::string>> Balloons() const;
  std::vector<std::string> BoxTexts() const;

  FakeToolkit tk;
  FakeTrayPeer::Installation trayInstallation;
  FakeDeviceMap deviceMap;
  ScriptedReader* reader = nullptr;  // owned by comm
  std::unique_ptr<TfrmComm> comm;
  std::unique_ptr<TfrmMain> main;
  TMainServices services;
  std::vector<std::string> steps;  // start-up steps run, in order
  TGeneral loaded;                 // what LoadSetupFile "reads"
};

}  // namespace km27::test
