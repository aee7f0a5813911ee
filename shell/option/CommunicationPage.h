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
  // What the port box shows for the configured port when it is not present.
  static std::string AbsentPortText(int32_t port);

 private:
  TfrmOption& form_;
  // The configured port the last load showed as not present, and its text.
  std::string absentShown_;
  int32_t absentPort_ = 0;
};

}  // namespace km27
