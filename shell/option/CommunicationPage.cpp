#include "shell/option/CommunicationPage.h"

#include <exception>

#include "common/TextHelpers.h"
#include "device/Ports.h"
#include "settings/Define.h"
#include "settings/Messages.h"
#include "shell/option/Option.h"

namespace km27 {

namespace {
constexpr int32_t kAnswerTimeoutMs = 1000;
const ByteString kAck("\x06", 1);
}  // namespace

TCommunicationPage::TCommunicationPage(TfrmOption& form, ui::TabSheet& sheet) : TOptionPage(sheet), form_(form) {
  grpPort = &form.Make<ui::GroupBox>("grpPort", &sheet);
  grpPort->SetBounds(16, 16, 560, 150);
  grpPort->SetCaption("COM Port");
  lblPort = &form.Make<ui::Label>("lblPort", grpPort);
  lblPort->SetBounds(16, 30, 90, 16);
  lblPort->SetCaption("Port No.");
  cboPort = &form.Make<ui::ComboBox>("cboPort", grpPort);
  cboPort->SetBounds(110, 26, 140, 21);
  cboPort->Editable = true;
  btnConnetTest = &form.Make<ui::Button>("btnConnetTest", grpPort);
  btnConnetTest->SetBounds(270, 24, 150, 28);
  btnConnetTest->SetCaption("Connect Test");
  btnConnetTest->OnClick = [&form] { form.btnConnetTestClick(); };
  lblConnectTest = &form.Make<ui::Label>("lblConnectTest", grpPort);
  lblConnectTest->SetBounds(16, 66, 528, 72);

  grpPowerOn = &form.Make<ui::GroupBox>("grpPowerOn", &sheet);
  grpPowerOn->SetBounds(16, 180, 560, 96);
  grpPowerOn->SetCaption("Power ON Setting");
  btnReturnSPSetting = &form.Make<ui::Button>("btnReturnSPSetting", grpPowerOn);
  btnReturnSPSetting->SetBounds(16, 24, 190, 28);
  btnReturnSPSetting->SetCaption("Return SP Setting");
  btnReturnSPSetting->OnClick = [this] { btnReturnSPSettingClick(); };
  lblReturnSPSetting = &form.Make<ui::Label>("lblReturnSPSetting", grpPowerOn);
  lblReturnSPSetting->SetBounds(16, 60, 528, 30);
  lblReturnSPSetting->SetCaption("The reader keeps its own power-on setting.");
  // Enabled when the reader's setting differs from the one it had before the
  // program changed it (the main window's power-on setting check).
  btnReturnSPSetting->SetEnabled(false);
  lblReturnSPSetting->SetEnabled(false);

  btnMonitor = &form.Make<ui::Button>("btnMonitor", &sheet);
  btnMonitor->SetBounds(16, 292, 250, 28);
  btnMonitor->SetCaption("Show Communication Monitor");
  btnMonitor->OnClick = [this] { btnMonitorClick(); };
}

std::string TCommunicationPage::AbsentPortText(int32_t port) {
  return "COM" + std::to_string(port) + " " + gstrCommPortAbsent;
}

void TCommunicationPage::Load() {
  ListSerialPortsSelecting(*cboPort, Serial.Port);
  // A configured port that is away just now (an unplugged adapter) stays the
  // configured one: the box says it is missing instead of offering another.
  absentShown_.clear();
  if (Serial.Port > 0 && cboPort->ItemIndex() < 0) {
    absentShown_ = AbsentPortText(Serial.Port);
    absentPort_ = Serial.Port;
    cboPort->SetText(absentShown_);
  }
}

void TCommunicationPage::Store(TOptionSettings& into) {
  // Compared with the text shown, not made again: the language may have
  // changed since.
  const std::string text = cboPort->Text();
  into.Port = !absentShown_.empty() && text == absentShown_ ? absentPort_ : PortNumberOf(text);
}

std::string TCommunicationPage::Printable(const ByteString& response) {
  std::string text;
  for (char ch : response) {
    const auto b = static_cast<unsigned char>(ch);
    if ((b >= 32 && b <= 126) || (b >= 161 && b <= 223))
      text += ch;
    else
      text += "[" + HexByte(b) + "]";
  }
  return text;
}

void TCommunicationPage::btnReturnSPSettingClick() {
  TExchange exchange(form_);
  if (!exchange.Held()) return;
  TOptionLinks& link = form_.Links();
  std::string message;
  try {
    if (!link.OpenPort || !link.OpenPort(true)) {
      message = gstrCommError_OpenErr;
    } else {
      link.SendCommand(General.SPSetting);
      ByteString response = link.WaitResponse(kAnswerTimeoutMs);
      // Exit while waiting: the program ends without another command or box.
      if (ui::App().Terminated()) return;
      if (response == kAck) {
        link.SendCommand("PR");
        response = link.WaitResponse(kAnswerTimeoutMs);
        if (response == kAck) {
          lblReturnSPSetting->SetCaption(gstrReturnSPSetting);
          btnReturnSPSetting->SetEnabled(false);
        }
      }
      if (response.empty())
        message = gstrCommError_NoRes2;
      else if (response != kAck)
        message = gstrCommError_ErrRes2 + Printable(response);
    }
  } catch (const std::exception& e) {
    message = e.what();
  }
  if (!message.empty() && !ui::App().Terminated())
    ui::App().MessageBox(message, "", ui::MsgIcon::Confirmation, ui::MsgButtons::OK);
}

void TCommunicationPage::btnMonitorClick() {
  if (form_.Links().ShowMonitor) form_.Links().ShowMonitor();
}

}  // namespace km27
