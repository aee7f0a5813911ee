#include "shell/option/ConnectionTest.h"

#include <exception>

#include "common/TextHelpers.h"
#include "device/Ports.h"
#include "settings/Define.h"
#include "settings/Messages.h"
#include "shell/option/Option.h"

namespace km27 {

TConnectionTest::TConnectionTest(TOptionLinks& links, ui::Control& dialogLabel, std::function<void()> reload)
    : links_(links), dialogLabel_(dialogLabel), reload_(std::move(reload)) {}

std::string TConnectionTest::CheckingText(const std::string& portName) {
  return gstrCommCheck_Checking + "  \"" + portName + "\"";
}

void TConnectionTest::Show(const TConnectionTestBox& box, const std::string& text, const std::string& wizardText) {
  dialogLabel_.SetCaption(text);
  if (box.wizardShowing && box.resultLabel) box.resultLabel->SetCaption(wizardText);
}

bool TConnectionTest::TryPort(ui::ComboBox& portBox) {
  Serial.Port = PortNumberOf(portBox.Text());
  try {
    if (links_.ClosePort) links_.ClosePort();
    if (!links_.OpenPort || !links_.OpenPort(false)) return false;
    if (!links_.CheckFirmware) return false;
    // Right after the port opens, a USB adapter may still be settling and a
    // reader fed by the port's lines still starting: a port that opened is
    // asked a second time before the search moves on.
    return links_.CheckFirmware() || (!ui::App().Terminated() && links_.CheckFirmware());
  } catch (const std::exception&) {
    // A port that fails in any way is a port where no reader answered.
    return false;
  }
}

void TConnectionTest::Run(const TConnectionTestBox& box) {
  ui::ComboBox& portBox = *box.portBox;
  gConnectChecked = false;
  gSPSettingChanged = false;

  int remembered = -1;
  const std::string rememberedText = portBox.Text();
  if (!box.manual) {
    remembered = portBox.ItemIndex();
    ListSerialPortsSelecting(portBox, Serial.Port);
    if (portBox.Items().empty()) return;
  } else if (PortNumberOf(portBox.Text()) <= 0) {
    // A typed name that is no port: nothing to open, nothing is sent, and
    // the configured port stays as it is.
    Show(box, gstrCommCheck_Err, gstrCommCheck_Err);
    return;
  }

  const int32_t savedPort = Serial.Port;
  Serial.Port = PortNumberOf(portBox.Text());
  bool answered = false;
  std::string result;
  int32_t lastTried = Serial.Port;
  for (size_t i = 0; box.manual ? i < 1 : i < portBox.Items().size(); ++i) {
    // Exit during the search: the program ends without trying more ports.
    if (ui::App().Terminated()) break;
    if (!box.manual) portBox.SetItemIndex(static_cast<int>(i));
    const std::string name = portBox.Text();
    const std::string checking = CheckingText(name);
    Show(box, checking, checking);
    const bool ok = TryPort(portBox);
    lastTried = Serial.Port;
    if (ok) {
      result = ReplaceAll(gstrCommCheck_OK, "<COM>", name);
      if (box.wizardShowing) result += gstrCommCheck_Next;
      gConnectChecked = true;
      if (links_.ApplyReleaseMode) links_.ApplyReleaseMode();
      if (links_.CheckPowerOnSetting) links_.CheckPowerOnSetting();
      if (reload_) reload_();
      answered = true;
      break;
    }
    if (box.manual) break;
  }
  Serial.Port = savedPort;

  if (!answered) {
    result = gstrCommCheck_Err;
    if (!box.manual) {
      // What the box showed comes back, also a port that is not present
      // just now (no entry was selected then).
      portBox.SetItemIndex(remembered);
      if (remembered < 0) portBox.SetText(rememberedText);
    }
  }
  std::string wizardText = result;
  if (gSPSettingChanged) wizardText += "\r\n" + gstrSetSPSetting + gstrWizardReturnSP;
  Show(box, result, wizardText);
  if (!box.manual) SelectComboItem(portBox, portBox.Text());
  if (answered) {
    // The port that answered is the configured one, and it stays open.
    Serial.Port = lastTried;
    return;
  }
  // No reader answered: the port in use stays the configured one, and a
  // running converter gets it back (the search closed it).
  if (links_.ClosePort) links_.ClosePort();
  if (gRunning && !ui::App().Terminated() && links_.OpenPort) links_.OpenPort(false);
}

}  // namespace km27
