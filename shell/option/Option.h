#pragma once
// The options dialog: the one place where the user edits the converter's
// settings. A tool bar chooses among five pages (their own tabs are hidden);
// every show reloads the controls from the settings, OK writes them back and
// saves, and closing with changes asks "Save data?". Shown modeless; the
// converter keeps running while it is open.
//
// Files:
//   Option.cpp             the frame: components, pages, show, OK, Cancel, closing
//   OptionSettings.cpp     the edited settings, the comparison, the default links
//   OptionImages.cpp       the tool bar's pictures
//   GeneralPage            start mode, language, shortcut buttons
//   CommunicationPage      port, connection test, power-on setting, monitor
//   ConnectionTest         the connection test (also run by the setup wizard)
//   TargetWindowPage       the target window (sampling, lock)
//   KeyDataPage            header, separator, terminator and the block list
//   InformationPage        about the program, firmware version, key table
//   Shortcuts              the desktop and start-up shortcuts
//
// A page is a TOptionPage (OptionPage.h): the frame runs its Load in the
// show sequence, its Store on OK and for the close question, its
// KeepPendingEdit before OK and closing, and PageChanged after every page
// change.
#include <memory>
#include <string>
#include <vector>

#include "shell/option/OptionPage.h"
#include "ui/Form.h"

namespace km27 {

class TGeneralPage;
class TCommunicationPage;
class TTargetWindowPage;
class TKeyDataPage;
class TInformationPage;
class TConnectionTest;

// Index of the page shown last; survives between showings.
extern int gOptionPage;

// Where one run of the connection test reads and shows: the port box it
// searches, whether only the port typed in it is tried (manual search), the
// wizard's result label and whether the wizard is showing (its label then
// gets every text the dialog's own label gets).
struct TConnectionTestBox {
  ui::ComboBox* portBox = nullptr;
  bool manual = false;
  ui::Control* resultLabel = nullptr;
  bool wizardShowing = false;
};

class TfrmOption : public ui::Form {
 public:
  explicit TfrmOption(TOptionLinks links = DefaultOptionLinks());
  ~TfrmOption() override;

  // ---- frame components (names are part of the language file interface) ----
  ui::ImageList* ImageList1;
  ui::ToolBar* ToolBar1;
  ui::ToolButton* tbnGeneral;
  ui::ToolButton* tbnCommunication;
  ui::ToolButton* tbnTargetWindow;
  ui::ToolButton* tbnKeyData;
  ui::ToolButton* tbnInformation;
  ui::Action* actGeneral;
  ui::Action* actCommunication;
  ui::Action* actTargetWindow;
  ui::Action* actKeyData;
  ui::Action* actInformation;
  ui::PageControl* PageControl1;
  ui::TabSheet* tabGeneral;
  ui::TabSheet* tabCommunication;
  ui::TabSheet* tabTargetWindow;
  ui::TabSheet* tabKeyData;
  ui::TabSheet* tabInformation;
  ui::Button* btnOK;
  ui::Button* btnCancel;

  TGeneralPage& GeneralPage() { return *general_; }
  TCommunicationPage& CommunicationPage() { return *communication_; }
  TTargetWindowPage& TargetWindowPage() { return *targetWindow_; }
  TKeyDataPage& KeyDataPage() { return *keyData_; }
  TInformationPage& InformationPage() { return *information_; }
  TOptionLinks& Links() { return links_; }

  // ---- event handlers ----
  void FormShow();
  void FormCloseQuery(bool& canClose);
  void FormClose();
  void btnOKClick();
  void btnCancelClick();
  // A tool bar action: shows the page whose index is the action's picture index.
  void PageActionExecute(ui::Action& action);
  // The page-change handling: every page hears whether it is the one shown.
  void PageChange();
  // The single-track layout and the pages' own layouts (hooked into the main
  // window's ApplyReleaseMode).
  void ApplyOptionLayout();

  // ---- connection test, also run by the setup wizard with its own box ----
  void btnConnetTestClick();
  // Runs the connection test over `box`; false when a test or another
  // exchange with the reader is already running (a second click while the
  // first waits for an answer), and nothing was done.
  bool ConnectionTest(const TConnectionTestBox& box);

  // ---- shortcuts, also run by the setup wizard ----
  void btnSetDesktpClick();
  void SetStartup(bool create);

  // One exchange with the reader at a time from this dialog: the waits pump
  // messages, so a click could otherwise start an exchange inside another
  // and take its answers. False (and nothing done) when one is running. The
  // port is held for the exchange, so the main window's checks wait too.
  bool BeginExchange();
  void EndExchange();

  bool CloseDecided() const { return FCloseDecided; }

 private:
  void CreateFrame();
  // OK's work without the close: pending edits, the controls into the
  // settings, the setup values and the save. False when the user cancelled
  // a pending edit.
  bool SaveFromControls();
  bool KeepPendingEdits();
  std::vector<TOptionPage*> Pages() const;

  TOptionLinks links_;
  std::unique_ptr<TGeneralPage> general_;
  std::unique_ptr<TCommunicationPage> communication_;
  std::unique_ptr<TTargetWindowPage> targetWindow_;
  std::unique_ptr<TKeyDataPage> keyData_;
  std::unique_ptr<TInformationPage> information_;
  std::unique_ptr<TConnectionTest> connectionTest_;
  bool FCloseDecided = false;
  bool exchangeBusy_ = false;
  // The pending-edit question was answered in this OK or close: it is not
  // asked a second time when the close question's Yes runs OK.
  bool pendingEditSettled_ = false;
};

// Holds the dialog's one exchange with the reader for its lifetime; Held() is
// false when another exchange was already running.
class TExchange {
 public:
  explicit TExchange(TfrmOption& form) : form_(form), held_(form.BeginExchange()) {}
  ~TExchange() {
    if (held_) form_.EndExchange();
  }
  TExchange(const TExchange&) = delete;
  TExchange& operator=(const TExchange&) = delete;
  bool Held() const { return held_; }

 private:
  TfrmOption& form_;
  bool held_;
};

// The process's options dialog (created at start-up after the communication window).
extern TfrmOption* frmOption;

}  // namespace km27
