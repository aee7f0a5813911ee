#include "shell/option/InformationPage.h"

#include <exception>

#include "keyboard/CharacterTable.h"
#include "settings/Define.h"
#include "settings/Version.h"
#include "shell/DesktopShell.h"
#include "shell/option/Option.h"

namespace km27 {

namespace {
constexpr int32_t kAnswerTimeoutMs = 1000;
constexpr uint32_t kLinkBlue = 0x00CC3300;  // 0x00BBGGRR
}  // namespace

TInformationPage::TInformationPage(TfrmOption& form, ui::TabSheet& sheet) : TOptionPage(sheet), form_(form) {
  PageControl2 = &form.Make<ui::PageControl>("PageControl2", &sheet);
  PageControl2->SetBounds(8, 8, kOptionPageWidth - 16, kOptionPageHeight - 16);
  tabAbout = &form.Make<ui::TabSheet>("tabAbout", PageControl2);
  tabAbout->SetCaption("About Larkway");
  tabKeyCodeList = &form.Make<ui::TabSheet>("tabKeyCodeList", PageControl2);
  tabKeyCodeList->SetCaption("Key Code List");
  PageControl2->SetActivePage(tabAbout);

  int top = 16;
  auto line = [&](const char* name, int height, int gap) {
    ui::Label& l = form.Make<ui::Label>(name, tabAbout);
    l.SetBounds(24, top, 520, height);
    top += height + gap;
    return &l;
  };
  lblProgramTitle = line("lblProgramTitle", 22, 6);
  ui::Font title;
  title.size = 12;
  title.bold = true;
  lblProgramTitle->SetFont(title);
  lblForSeries = line("lblForSeries", 32, 8);
  lblProgramName = line("lblProgramName", 16, 4);
  lblVersion = line("lblVersion", 16, 4);
  lblFileDate = line("lblFileDate", 16, 4);
  lblCopyright = line("lblCopyright", 16, 4);
  lblApplIDNo = line("lblApplIDNo", 16, 10);
  lblApplIDNo->SetCaption("Program No. QRL5146");
  lblURL = line("lblURL", 16, 18);
  lblURL->SetCaption(kHomePage);
  ui::Font link;
  link.color = kLinkBlue;
  lblURL->SetFont(link);
  lblURL->SetCursor(ui::Cursor::HandPoint);
  lblURL->OnClick = [this] { lblURLClick(); };

  spbFirmVersion = &form.Make<ui::SpeedButton>("spbFirmVersion", tabAbout);
  spbFirmVersion->SetBounds(20, top, 150, 26);
  spbFirmVersion->Flat = true;
  spbFirmVersion->SetCaption("Firmware Version");
  spbFirmVersion->OnClick = [this] { spbFirmVersionClick(); };
  lblResponse = &form.Make<ui::Label>("lblResponse", tabAbout);
  lblResponse->SetBounds(180, top + 5, 360, 16);

  lvwKeyTable = &form.Make<ui::ListView>("lvwKeyTable", tabKeyCodeList);
  lvwKeyTable->SetBounds(6, 6, kOptionPageWidth - 40, kOptionPageHeight - 60);
  lvwKeyTable->SetColumns({{"ASCII", 110}, {"Shift State", 160}, {"Key", 240}});
}

void TInformationPage::ShowFirstSubPage() { PageControl2->SetActivePage(tabAbout); }

void TInformationPage::Load() {
  lblURL->SetCursor(ui::Cursor::HandPoint);
  lblProgramTitle->SetCaption(VersionInfo.FileDescription);
  lblForSeries->SetCaption(General.Series);
  lblProgramName->SetCaption("Product name   " + VersionInfo.OriginalFileName);
  lblVersion->SetCaption("Version  " + VersionInfo.ProductVersion);
  lblCopyright->SetCaption(VersionInfo.LegalCopyright);
  lblFileDate->SetCaption("Date  " + VersionInfo.FileDate);
  lblApplIDNo->SetCaption("Program No. QRL5146");
  FillKeyTable();
}

void TInformationPage::FillKeyTable() {
  std::vector<ui::ListRow> rows;
  for (const TCharacterTableRow& r : CharacterTableRows()) rows.push_back({r.Ascii, {r.ShiftState, r.Key}});
  lvwKeyTable->SetRows(rows);
}

std::string TInformationPage::FirmwareLine(const std::string& response) {
  if (response.size() < 3 || response.compare(1, 2, "VR") != 0) return {};
  auto part = [&](size_t from, size_t n) { return from < response.size() ? response.substr(from, n) : std::string(); };
  return "Firmware Version : " + part(3, 10) + "    Date: " + part(13, 6);
}

void TInformationPage::spbFirmVersionClick() {
  TExchange exchange(form_);
  if (!exchange.Held()) return;
  TOptionLinks& link = form_.Links();
  try {
    if (!link.SendCommand || !link.WaitResponse) return;
    link.SendCommand("VR");
    const ByteString response = link.WaitResponse(kAnswerTimeoutMs);
    if (ui::App().Terminated()) return;
    if (response.empty()) {
      lblResponse->SetCaption("No Response!");
      return;
    }
    const std::string text = FirmwareLine(response);
    if (!text.empty()) lblResponse->SetCaption(text);
  } catch (const std::exception& e) {
    ui::App().MessageBox(e.what(), "", ui::MsgIcon::None, ui::MsgButtons::OK);
  }
}

void TInformationPage::lblURLClick() {
  try {
    DesktopShell().OpenUrl(kHomePage);
  } catch (const std::exception&) {
    ui::App().MessageBox("Can't open home page of ORVANE", "", ui::MsgIcon::None, ui::MsgButtons::OK);
  }
}

}  // namespace km27
