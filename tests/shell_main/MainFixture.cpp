#include "tests/shell_main/MainFixture.h"

#include "settings/Define.h"
#include "settings/Messages.h"

namespace km27::test {

ByteString ReaderFrame(const std::string& body) {
  ByteString frame = "\x02" + body + "\x03";
  return frame + TfrmComm::MakeBcc(frame, 1, 2, 1);
}

ByteString VersionFrame() { return ReaderFrame("VRKM27 V1.00241108"); }

bool ScriptedReader::Write(const char* data, int32_t length) {
  bool ok = FakeCommPort::Write(data, length);
  ByteString bytes(data, static_cast<size_t>(length));
  // A command frame: STX, command text, ETX, BCC.
  if (bytes.size() < 4 || bytes[0] != '\x02') return ok;
  size_t etx = bytes.find('\x03', 1);
  if (etx == ByteString::npos) return ok;
  std::string command = bytes.substr(1, etx - 1);
  commands.push_back(command);
  if (onCommand) onCommand(command);
  if (pendingAnswers > 0) ++writesWhileAnswerPending;
  auto it = answers.find(command);
  if (it == answers.end()) return ok;
  ByteString answer = it->second;
  ++pendingAnswers;
  tk_.At(delayMs, [this, answer] {
    --pendingAnswers;
    Deliver(answer);
  });
  return ok;
}

void ScriptedReader::Open() {
  FakeCommPort::Open();
  if (linesOnWithNextOpen) cts = dsr = true;
  linesOnWithNextOpen = false;
}

void ScriptedReader::Close() {
  if (!closeError.empty()) throw ECommError(closeError);
  FakeCommPort::Close();
}

int ScriptedReader::Count(const std::string& command) const {
  int n = 0;
  for (const auto& c : commands) n += c == command;
  return n;
}

MainFixture::MainFixture() {
  ResetSettingsToBuiltIn();
  ResetMessageTexts();
  SetSerialDeviceMap(&deviceMap);
  auto port = std::make_unique<ScriptedReader>(tk);
  reader = port.get();
  comm = std::make_unique<TfrmComm>(std::move(port));
  frmComm = comm.get();

  loaded.WizardStatus = "111";
  loaded.ConnectionCheck = "111";
  loaded.Release = "Standard";
  loaded.SPSetting = "SP0FF";
  services.EnsureSetupFile = [this] { steps.push_back("EnsureSetupFile"); };
  services.LoadSetupFile = [this] {
    steps.push_back("LoadSetupFile");
    General = loaded;
  };
  services.BuildLanguageList = [this] { steps.push_back("BuildLanguageList"); };
  services.ProductVersion = [] { return std::string("1.2.0.3"); };
}

MainFixture::~MainFixture() {
  main.reset();
  frmMain = nullptr;
  comm.reset();
  frmComm = nullptr;
  SetSerialDeviceMap(nullptr);
  ResetSettingsToBuiltIn();
}

void MainFixture::CreateMain() {
  main = std::make_unique<TfrmMain>(services);
  frmMain = main.get();
}

void MainFixture::StartConverter() {
  CreateMain();
  RunStartup();
  ASSERT_TRUE(main->Showing());
  FakeToolkit::Click(*main, "spbStart");
  ASSERT_TRUE(gRunning);
}

std::vector<std::pair<std::string, std::string>> MainFixture::Balloons() const {
  std::vector<std::pair<std::string, std::string>> out;
  for (const TrayCall& c : FakeTrayPeer::Of(main->CoolTrayIcon1()).calls)
    if (c.type == TrayCall::Type::Modify && c.data.balloon && !c.data.balloonText.empty())
      out.emplace_back(c.data.balloonTitle, c.data.balloonText);
  return out;
}

std::vector<std::string> MainFixture::BoxTexts() const {
  std::vector<std::string> out;
  for (const auto& b : tk.boxes) out.push_back(b.text);
  return out;
}

}  // namespace km27::test
