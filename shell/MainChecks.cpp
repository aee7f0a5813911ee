// Watching the reader while converting: the firmware version check, the
// power-on setting check and adjustment, the start-up check that runs them
// after Start, and the connection check with its three tolerances.
//
// Both checking timers switch themselves off for the length of a tick, and a
// tick that comes while the other timer's tick still waits for the reader is
// put off to the next one: waiting runs the message loop, and two exchanges
// nested in each other would take each other's answers. While the setup
// wizard shows, its search and test read have the port: the ticks are put
// off until it closes (a check would reopen the port under the search, or
// judge the reader lost while the search tries other ports).
#include <exception>

#include "common/TextHelpers.h"
#include "device/Comm.h"
#include "device/Ports.h"
#include "settings/Define.h"
#include "settings/Messages.h"
#include "shell/Main.h"

namespace km27 {

namespace {

constexpr int32_t kAnswerTimeoutMs = 1000;
const ByteString kAck("\x06", 1);

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// Marks a checking tick as exchanging with the reader for its lifetime.
class BusyGuard {
 public:
  explicit BusyGuard(bool& flag) : flag_(flag) { flag_ = true; }
  ~BusyGuard() { flag_ = false; }
  BusyGuard(const BusyGuard&) = delete;
  BusyGuard& operator=(const BusyGuard&) = delete;

 private:
  bool& flag_;
};

std::string PortName() { return "COM" + std::to_string(Serial.Port); }

bool LinesOn() { return frmComm && (frmComm->CommX1().CTS() || frmComm->CommX1().DSR()); }

}  // namespace

std::string TfrmMain::ConnectionCheckFlags() {
  std::string flags = General.ConnectionCheck.substr(0, 3);
  flags.resize(3, '1');
  return flags;
}

bool TfrmMain::WizardHasPort() const { return WizardForm && WizardForm->Showing(); }

int TfrmMain::CheckLimit(char c) { return (c >= '0' && c <= '9') ? c - '0' : 1; }

bool TfrmMain::CheckFirmware() {
  if (!frmComm) return false;
  frmComm->SendCommand("VR");
  ByteString response = frmComm->WaitResponse(kAnswerTimeoutMs);
  if (response.find("VR") != CommFormat.Header.size()) return false;
  int64_t minimum = static_cast<int64_t>(CommFormat.Header.size()) + static_cast<int64_t>(CommFormat.EndCode.size()) +
                    CommFormat.BCCByte + 12;
  return static_cast<int64_t>(response.size()) > minimum;
}

int TfrmMain::CheckPowerOnSetting() {
  int result = 0;
  // A check of the running converter ends when the user stops it during a
  // wait: the missing answer is the closed port's, not the reader's.
  // Neither is a check of a program that is ending: its power-on setting is
  // not switched then, when it could no longer be given back.
  const bool running = gRunning;
  auto stopped = [running] { return (running && !gRunning) || ui::App().Terminated(); };
  try {
    if (!frmComm) return 0;
    if (stopped()) return 0;
    frmComm->SendCommand("SP");
    ByteString response = frmComm->WaitResponse(kAnswerTimeoutMs);
    if (stopped()) return 0;
    if (response.empty()) {
      // The start-up check asks again; a check made while stopped (the
      // options dialog's connection test) must not start it.
      if (gRunning) tmrCheckSPST->SetEnabled(true);
      return 0;
    }
    if (response.find("SP") != 1) return 0;
    std::string answer = response.substr(1, 5);
    result = 1;
    bool differs = answer != General.SPSetting;
    SetOptionControlEnabled("lblReturnSPSetting", differs);
    SetOptionControlEnabled("btnReturnSPSetting", differs);
    if (StartsWith(answer, "SP1")) return 2;
    if (!StartsWith(answer, "SP0")) return 1;

    // The reader starts without its power-on setting: switch it on and store
    // the original so that it can be given back (options dialog).
    result = 3;
    General.SPSetting = answer;
    frmComm->SendCommand("SP1" + answer.substr(3, 2));
    response = frmComm->WaitResponse(kAnswerTimeoutMs);
    if (stopped()) return result;
    std::string title, text;
    if (response == kAck) {
      result = 4;
      frmComm->SendCommand("PR");
      response = frmComm->WaitResponse(kAnswerTimeoutMs);
      if (stopped()) return result;
      if (response == kAck) {
        SetOptionControlCaption("lblReturnSPSetting", gstrSetSPSetting);
        SetOptionControlEnabled("lblReturnSPSetting", true);
        SetOptionControlEnabled("btnReturnSPSetting", true);
        gSPSettingChanged = true;
        title.clear();
        text = gstrChangeSPSetting;
        result = 5;
      }
    }
    if (response.empty()) {
      title = gstrCommError_NoRes1;
      text = gstrCommError_NoRes2;
    } else if (response != kAck) {
      title = gstrCommError_ErrRes1;
      text = gstrCommError_ErrRes2;
    }
    bool wizardShowing = WizardForm && WizardForm->Showing();
    if (!wizardShowing) {
      if (Showing())
        ui::App().MessageBox(text, "", ui::MsgIcon::Confirmation, ui::MsgButtons::OK);
      else
        ShowBalloon(title, text);
    }
    return result;
  } catch (const std::exception&) {
    return result;
  }
}

void TfrmMain::tmrCheckSPSTTimer() {
  tmrCheckSPST->SetEnabled(false);
  if (ui::App().Terminated()) return;
  if (checkBusy_ || WizardHasPort() || (frmComm && frmComm->ExchangeBusy())) {
    tmrCheckSPST->SetEnabled(true);
    return;
  }
  BusyGuard busy(checkBusy_);
  try {
    if (!gConnectChecked) {
      if (CheckFirmware()) {
        SetOptionControlCaption("lblConnectTest", ReplaceAll(gstrCommCheck_OK, "<COM>", PortName()));
        gConnectChecked = true;
        ApplyReleaseMode();
        StartupCheckFailures = 0;
      } else {
        ++StartupCheckFailures;
      }
    }
    // Stopped by the user, or the program ending, while waiting for the
    // reader: the check is over.
    if (!gRunning || ui::App().Terminated()) return;
    if (StartupCheckFailures > 2) {
      StopWithReaderError([] { StartupCheckFailures = 0; });
      return;
    }
    if (CheckPowerOnSetting() == 0 && gRunning) tmrCheckSPST->SetEnabled(true);
  } catch (const std::exception&) {
    if (gRunning) tmrCheckSPST->SetEnabled(true);
  }
}

bool TfrmMain::ReopenPort() {
  // Stopped while the tick waited for the reader: the port stays closed.
  if (!frmComm || !gRunning || ui::App().Terminated()) return false;
  try {
    frmComm->ClosePort();
    return frmComm->OpenPort(false);
  } catch (const std::exception&) {
    return false;
  }
}

void TfrmMain::ConnectionLost() {
  StopWithReaderError([] { PortCheckFailures = LineCheckFailures = FirmwareCheckFailures = FirmwareCheckTick = 0; });
}

void TfrmMain::tmrCheckConnectTimer() {
  tmrCheckConnect->SetEnabled(false);
  if (ui::App().Terminated()) return;
  if (checkBusy_ || WizardHasPort() || (frmComm && frmComm->ExchangeBusy())) {
    tmrCheckConnect->SetEnabled(true);
    return;
  }
  BusyGuard busy(checkBusy_);
  const std::string flags = ConnectionCheckFlags();
  bool lost = false;
  try {
    if (flags[0] != '0') {
      if (SerialPortPresent(PortName()))
        PortCheckFailures = 0;
      else
        ++PortCheckFailures;
      if (PortCheckFailures > CheckLimit(flags[0])) {
        lost = true;
        if (ReopenPort() && SerialPortPresent(PortName())) {
          lost = false;
          PortCheckFailures = 0;
        }
      }
    }
    if (!lost && flags[1] != '0') {
      if (LinesOn())
        LineCheckFailures = 0;
      else
        ++LineCheckFailures;
      if (LineCheckFailures > CheckLimit(flags[1])) {
        lost = true;
        if (ReopenPort() && LinesOn()) {
          lost = false;
          LineCheckFailures = 0;
        }
      }
    }
    if (!lost && flags[2] != '0') {
      ++FirmwareCheckTick;
      if (FirmwareCheckTick > 1) {
        if (CheckFirmware())
          FirmwareCheckFailures = 0;
        else
          ++FirmwareCheckFailures;
        if (FirmwareCheckFailures > CheckLimit(flags[2])) {
          lost = true;
          if (ReopenPort() && CheckFirmware()) {
            lost = false;
            FirmwareCheckFailures = 0;
          }
        }
        FirmwareCheckTick = 0;
      }
    }
  } catch (const std::exception&) {
    // An exchange that failed with an error is judged again at the next tick.
  }
  // Stopped by the user, or the program ending, while waiting for the
  // reader: nothing left to watch.
  if (!gRunning || ui::App().Terminated()) return;
  if (lost) {
    ConnectionLost();
    return;
  }
  tmrCheckConnect->SetEnabled(true);
}

}  // namespace km27
