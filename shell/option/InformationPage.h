#pragma once
// The Information page (caption "About"): the program's name, version, date
// and maker with a link to the maker's home page, the reader's firmware
// version (service mode), and the table of the keys each character 0-127 is
// typed with on the current keyboard layout.
#include "shell/option/OptionPage.h"

namespace km27 {

class TfrmOption;

class TInformationPage : public TOptionPage {
 public:
  TInformationPage(TfrmOption& form, ui::TabSheet& sheet);

  ui::PageControl* PageControl2;
  ui::TabSheet* tabAbout;
  ui::TabSheet* tabKeyCodeList;
  ui::Label* lblProgramTitle;
  ui::Label* lblForSeries;
  ui::Label* lblProgramName;
  ui::Label* lblVersion;
  ui::Label* lblFileDate;
  ui::Label* lblCopyright;
  ui::Label* lblApplIDNo;
  ui::Label* lblURL;
  ui::SpeedButton* spbFirmVersion;
  ui::Label* lblResponse;
  ui::ListView* lvwKeyTable;

  static constexpr const char* kHomePage = "https://www.orvane.co.jp/";

  void ShowFirstSubPage() override;
  void Load() override;

  void spbFirmVersionClick();
  void lblURLClick();
  // The firmware line for a "VR" answer; empty when "VR" is not at its place.
  static std::string FirmwareLine(const std::string& response);

 private:
  void FillKeyTable();
  TfrmOption& form_;
};

}  // namespace km27
