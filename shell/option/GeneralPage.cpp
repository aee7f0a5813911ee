#include "shell/option/GeneralPage.h"

#include "settings/Define.h"
#include "settings/Language.h"
#include "shell/option/Option.h"

namespace km27 {

TGeneralPage::TGeneralPage(TfrmOption& form, ui::TabSheet& sheet) : TOptionPage(sheet), form_(form) {
  rdgAutoStartMode = &form.Make<ui::RadioGroup>("rdgAutoStartMode", &sheet);
  rdgAutoStartMode->SetBounds(16, 16, 300, 76);
  rdgAutoStartMode->SetCaption("Start Mode");
  rdgAutoStartMode->SetItems({"Manual Start Mode", "Auto Start Mode"});

  lblLanguage = &form.Make<ui::Label>("lblLanguage", &sheet);
  lblLanguage->SetBounds(16, 112, 110, 16);
  lblLanguage->SetCaption("Language");
  cboLanguage = &form.Make<ui::ComboBox>("cboLanguage", &sheet);
  cboLanguage->SetBounds(130, 108, 186, 21);
  cboLanguage->OnChange = [this] { cboLanguageChange(); };

  grpShortcut = &form.Make<ui::GroupBox>("grpShortcut", &sheet);
  grpShortcut->SetBounds(16, 148, 300, 136);
  grpShortcut->SetCaption("Shortcut");
  auto button = [&](const char* name, const char* caption, int top) {
    ui::Button& b = form.Make<ui::Button>(name, grpShortcut);
    b.SetBounds(16, top, 268, 28);
    b.SetCaption(caption);
    return &b;
  };
  btnSetDesktp = button("btnSetDesktp", "Set Desktp Shortcut Icon", 22);
  btnSetStartup = button("btnSetStartup", "Set Startup Application", 58);
  btnDeleteStartup = button("btnDeleteStartup", "Delete Startup", 94);
  btnSetDesktp->OnClick = [&form] { form.btnSetDesktpClick(); };
  btnSetStartup->OnClick = [&form] { form.SetStartup(true); };
  btnDeleteStartup->OnClick = [&form] { form.SetStartup(false); };

  btnDefault = &form.Make<ui::Button>("btnDefault", &sheet);
  btnDefault->SetBounds(16, 304, 300, 28);
  btnDefault->SetCaption("Return To Default");
  btnDefault->OnClick = [this] { btnDefaultClick(); };
}

void TGeneralPage::Load() { rdgAutoStartMode->SetItemIndex(General.AutoStart ? 1 : 0); }

void TGeneralPage::Store(TOptionSettings& into) {
  // The language is not stored here: it changes when the user picks one
  // (cboLanguageChange), and a box left alone keeps the file configured.
  // No item chosen leaves the start mode as it was.
  if (rdgAutoStartMode->ItemIndex() >= 0) into.AutoStart = rdgAutoStartMode->ItemIndex() == 1;
}

void TGeneralPage::cboLanguageChange() {
  const int index = cboLanguage->ItemIndex();
  if (index < 0) return;
  if (form_.Links().LoadLanguage) form_.Links().LoadLanguage(index);
  // The entry's own file name: a display name need not be its file's name
  // ("German" in Deutsch.rlf), and the next start looks for the file.
  const auto entry = static_cast<size_t>(index);
  if (entry < LanguageFiles.size()) General.LanguageFile = LanguageFiles[entry];
}

void TGeneralPage::btnDefaultClick() {
  // The main window's "Show Wizard" closes this dialog first.
  if (form_.Links().ShowWizard) form_.Links().ShowWizard();
}

}  // namespace km27
