#pragma once
// The setup wizard: leads a first-time user through three pages (find the
// reader's COM port, read a test card, choose the start mode) and, on
// Complete, stores the port, the start mode, the tracks in use and one block
// per chosen track, and saves the settings file. Shown modally: at start-up
// while setup is not complete, from the main window's "Show Wizard" and from
// the options dialog's "Return To Default".
//
// Files:
//   Wizard.cpp         the frame: pages, progress, title, buttons, Complete, Cancel
//   WizardLinks.cpp    the operations of other windows the wizard calls
//   ConnectPage        the Communication page: the connection test over the ports
//   ReadCheckPage      the Read Check page: a test read listed track by track
//   StartupPage        the Startup Option page: start mode and shortcuts
//
// The pages change only by the buttons (their tabs are hidden). Progress is
// three "0"/"1" characters: the reader answered, a test read delivered data,
// a start mode was chosen; only "111" allows Complete. Every show starts on
// the first page with "000".
#include <functional>
#include <memory>
#include <string>

#include "ui/Form.h"

namespace km27 {

class TWizardConnectPage;
class TWizardReadCheckPage;
class TWizardStartupPage;
struct TConnectionTestBox;

// The operations of the options dialog, the main window and the settings file
// that the wizard calls. The program uses DefaultWizardLinks(); tests replace
// single entries. An empty entry does nothing (and answers false).
struct TWizardLinks {
  // The options dialog's connection test over the wizard's box; false when
  // it could not run (another exchange with the reader was under way).
  std::function<bool(const TConnectionTestBox&)> ConnectionTest;
  std::function<void()> CreateDesktopShortcut;
  std::function<void(bool create)> SetStartup;
  std::function<void()> ShowSetupValues;
  std::function<void()> ApplyReleaseMode;
  std::function<void()> SaveSetupFile;
  // The wizard closed: the port its search left open is given back unless
  // the converter runs on it.
  std::function<void()> ReleasePort;
};
TWizardLinks DefaultWizardLinks();

class TfrmWizard : public ui::Form {
 public:
  explicit TfrmWizard(TWizardLinks links = DefaultWizardLinks());
  ~TfrmWizard() override;

  // ---- frame components (names are part of the language file interface) ----
  ui::Panel* pnlTop;  // title and page number
  ui::PageControl* PageControl1;
  ui::TabSheet* tabCommunication;
  ui::TabSheet* tabReadCheck;
  ui::TabSheet* tabGeneral;
  ui::Panel* Bevel1;  // line above the buttons
  ui::Button* btnPrevious;
  ui::Button* btnNext;
  ui::Button* btnCancel;

  TWizardConnectPage& ConnectPage() { return *connect_; }
  TWizardReadCheckPage& ReadCheckPage() { return *readCheck_; }
  TWizardStartupPage& StartupPage() { return *startup_; }
  TWizardLinks& Links() { return links_; }

  // ---- state ----
  const std::string& Progress() const { return FWizardProgress; }
  // Position 1..3 of the progress becomes "1" (done) or "0"; then the
  // page-change handling runs.
  void SetProgress(int position, bool done);
  int PageIndex() const;
  int ButtonState() const { return buttonState_; }

  // ---- event handlers ----
  void FormShow();
  void FormCloseQuery(bool& canClose);
  void FormClose();
  // The page-change handling: title and button state of the page shown.
  void PageChange();
  void SetButtonState(int state);
  void btnPreviousClick();
  void btnNextClick();
  void btnCancelClick();
  // A card read arrived while the wizard shows (the output driver).
  void WizardReadCheck();

  // A connection test runs: the buttons that would leave the page or start
  // another test wait, and the wizard cannot be closed.
  void SetBusy(bool busy);
  bool Busy() const { return busy_; }

  // "Initial Wizard Window  1/3": the page's title, two blanks, page and count.
  static std::string TitleText(const std::string& title, int page, int pageCount);

 private:
  void CreateFrame();
  void ShowPage(int index);
  void ApplyButtons();
  void Complete();
  void PutBackTrackSelection();

  TWizardLinks links_;
  std::unique_ptr<TWizardConnectPage> connect_;
  std::unique_ptr<TWizardReadCheckPage> readCheck_;
  std::unique_ptr<TWizardStartupPage> startup_;
  std::string FWizardProgress = "000";
  int buttonState_ = 0;
  bool busy_ = false;
  // Completed, or the cancel question answered with OK: the close goes ahead.
  bool FCloseDecided = false;
  // CardData's track selection when the wizard was shown: the test reads
  // change it in the running settings, and a cancelled wizard puts it back
  // (the converter keeps typing the tracks it was set up for).
  struct {
    std::string Tracks, TrackUse;
    bool SingleTrack = false;
  } shownSelection_;
};

// The process's setup wizard (created at start-up, last of the windows).
extern TfrmWizard* frmWizard;

}  // namespace km27
