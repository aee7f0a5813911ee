#pragma once
// The Communication page: the COM port (a list of the ports present, or a
// typed name), the connection test, giving the reader its own power-on
// setting back, and the communication monitor.
#include "common/ByteString.h"
#include "shell/option/OptionPage.h"

namespace km27 {

class TfrmOption;

class TCommunicationPage : public TOptionPage {
 public:
  TCommunicationPage(TfrmOption& form, ui::TabSheet& sheet);

  ui::GroupBox* grpPort;
  ui::Label* lblPort;
  ui::ComboBox* cboPort;
  ui::Button* btnConnetTest;
  ui::Label* lblConnectTest;
  ui::GroupBox* grpPowerOn;
  ui::Button* btnReturnSPSetting;
  ui::Label* lblReturnSPSetting;
  ui::Button* btnMonitor;

  void Load() override;
  void Store(TOptionSettings& into) override;

  void btnReturnSPSettingClick();
  void btnMonitorClick();

  // A reader's answer as text: bytes 32-126 and 161-223 as they are, every
  // other byte as "[" two upper-case hexadecimal digits "]".
  static std::string Printable(const ByteString& response);

 private:
  TfrmOption& form_;
};

}  // namespace km27
