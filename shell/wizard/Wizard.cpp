#include "shell/wizard/Wizard.h"

#include "device/SampleRead.h"
#include "settings/Define.h"
#include "settings/Language.h"
#include "settings/Messages.h"
#include "shell/wizard/ConnectPage.h"
#include "shell/wizard/ReadCheckPage.h"
#include "shell/wizard/StartupPage.h"

namespace km27 {

TfrmWizard* frmWizard = nullptr;

namespace {

constexpr int kPageCount = 3;
constexpr int kWidth = 520;
constexpr int kButtonTop = 340;
constexpr int kButtonWidth = 96;
constexpr int kButtonHeight = 28;

// What each button state enables: Previous, Next, Cancel.
struct TButtonState {
  bool previous, next, cancel;
};
constexpr TButtonState kButtonStates[] = {
    {false, false, true},  // 0: first page, reader not found yet
    {false, true, true},   // 1: first page, reader found
    {true, false, true},   // 2: a later page whose step is not done
    {true, true, true},    // 3: the read check page, done
    {true, true, false},   // 4: last page, everything done: Next is "Complete"
};

}  // namespace

TfrmWizard::TfrmWizard(TWizardLinks links) : ui::Form("frmWizard"), links_(std::move(links)) {
  CreateFrame();
  connect_ = std::make_unique<TWizardConnectPage>(*this, *tabCommunication);
  readCheck_ = std::make_unique<TWizardReadCheckPage>(*this, *tabReadCheck);
  startup_ = std::make_unique<TWizardStartupPage>(*this, *tabGeneral);
  // Until a language file is applied the result labels come back to their
  // designed instructions.
  WizardConnectTestText = connect_->lblConnectTest->Caption();
  WizardReadCheckNoteText = readCheck_->lblReadCheckNote->Caption();
}

TfrmWizard::~TfrmWizard() {
  if (frmWizard == this) frmWizard = nullptr;
}

void TfrmWizard::CreateFrame() {
  SetCaption("Initial Setup Wizard");
  WindowClassName = "TfrmWizard";
  ClientWidth = kWidth;
  ClientHeight = kButtonTop + kButtonHeight + 12;
  position = Position::ScreenCenter;
  borderStyle = BorderStyle::Dialog;
  MinimizeBox = false;
  MaximizeBox = false;

  pnlTop = &Make<ui::Panel>("pnlTop");
  pnlTop->SetBounds(0, 0, kWidth, 48);
  pnlTop->SetColor(0xFFFFFF);
  ui::Font titleFont;
  titleFont.size = 12;
  titleFont.bold = true;
  pnlTop->SetParentFont(false);
  pnlTop->SetFont(titleFont);

  PageControl1 = &Make<ui::PageControl>("PageControl1");
  PageControl1->SetBounds(8, 56, kWidth - 16, kButtonTop - 72);
  auto sheet = [this](const char* name, const char* caption) {
    ui::TabSheet& t = Make<ui::TabSheet>(name, PageControl1);
    t.SetCaption(caption);
    t.SetTabVisible(false);
    return &t;
  };
  tabCommunication = sheet("tabCommunication", "Communication");
  tabReadCheck = sheet("tabReadCheck", "Read Check");
  tabGeneral = sheet("tabGeneral", "Startup Option");
  PageControl1->SetActivePage(tabCommunication);

  Bevel1 = &Make<ui::Panel>("Bevel1", nullptr, ui::Kind::Bevel);
  Bevel1->SetBounds(8, kButtonTop - 10, kWidth - 16, 2);

  auto button = [this](const char* name, const char* caption, int left) {
    ui::Button& b = Make<ui::Button>(name);
    b.SetBounds(left, kButtonTop, kButtonWidth, kButtonHeight);
    b.SetCaption(caption);
    return &b;
  };
  btnPrevious = button("btnPrevious", "Previous", kWidth - 3 * (kButtonWidth + 8));
  btnNext = button("btnNext", "Next", kWidth - 2 * (kButtonWidth + 8));
  btnCancel = button("btnCancel", "Cancel", kWidth - (kButtonWidth + 8));
  btnNext->Default = true;
  btnCancel->Cancel = true;
  btnPrevious->OnClick = [this] { btnPreviousClick(); };
  btnNext->OnClick = [this] { btnNextClick(); };
  btnCancel->OnClick = [this] { btnCancelClick(); };

  OnShow = [this] { FormShow(); };
  OnCloseQuery = [this](bool& canClose) { FormCloseQuery(canClose); };
  OnClose = [this](ui::CloseAction&) { FormClose(); };
}

// ---- show ----

void TfrmWizard::FormShow() {
  // 1. A fresh start: no step done, the labels' instructions back, no read.
  FWizardProgress = "000";
  FCloseDecided = false;
  busy_ = false;
  shownSelection_.Tracks = CardData.Tracks;
  shownSelection_.TrackUse = CardData.TrackUse;
  shownSelection_.SingleTrack = CardData.SingleTrack;
  readCheck_->Reset();
  // 2. The first page, tabs hidden.
  for (ui::TabSheet* t : PageControl1->Pages()) t->SetTabVisible(false);
  ShowPage(0);
  // 3. The ports; 4. no start mode.
  connect_->Reset();
  startup_->Reset();
  SetButtonState(0);
}

int TfrmWizard::PageIndex() const {
  const auto pages = PageControl1->Pages();
  for (size_t i = 0; i < pages.size(); ++i)
    if (pages[i] == PageControl1->ActivePage()) return static_cast<int>(i);
  return 0;
}

void TfrmWizard::ShowPage(int index) {
  const auto pages = PageControl1->Pages();
  if (index < 0 || index >= static_cast<int>(pages.size())) return;
  PageControl1->SetActivePage(pages[static_cast<size_t>(index)]);
  PageChange();
}

std::string TfrmWizard::TitleText(const std::string& title, int page, int pageCount) {
  return title + "  " + std::to_string(page) + "/" + std::to_string(pageCount);
}

void TfrmWizard::PageChange() {
  const int page = PageIndex();
  const std::string* titles[] = {&gstrWizardTitle1, &gstrWizardTitle2, &gstrWizardTitle3};
  pnlTop->SetCaption(TitleText(*titles[page], page + 1, kPageCount));
  int state = 0;
  switch (page) {
    case 0: state = FWizardProgress[0] == '1' ? 1 : 0; break;
    case 1: state = FWizardProgress[1] == '1' ? 3 : 2; break;
    default: state = FWizardProgress == "111" ? 4 : 2; break;
  }
  SetButtonState(state);
}

void TfrmWizard::SetButtonState(int state) {
  if (state < 0 || state > 4) return;
  buttonState_ = state;
  btnNext->SetCaption(state == 4 ? gstrWizardComplete : gstrWizardNext);
  ApplyButtons();
}

void TfrmWizard::ApplyButtons() {
  const TButtonState& s = kButtonStates[buttonState_];
  btnPrevious->SetEnabled(s.previous && !busy_);
  btnNext->SetEnabled(s.next && !busy_);
  btnCancel->SetEnabled(s.cancel && !busy_);
}

void TfrmWizard::SetBusy(bool busy) {
  busy_ = busy;
  connect_->SetBusy(busy);
  ApplyButtons();
}

void TfrmWizard::SetProgress(int position, bool done) {
  if (position < 1 || position > kPageCount) return;
  FWizardProgress[static_cast<size_t>(position - 1)] = done ? '1' : '0';
  PageChange();
}

// ---- buttons ----

void TfrmWizard::btnPreviousClick() {
  if (busy_) return;
  const int page = PageIndex();
  if (page > 0) ShowPage(page - 1);
}

void TfrmWizard::btnNextClick() {
  // Enter presses Next: it goes on only when the button would.
  if (busy_ || !btnNext->Enabled()) return;
  const int page = PageIndex();
  if (page < kPageCount - 1) {
    ShowPage(page + 1);
  } else if (FWizardProgress == "111") {
    Complete();
  }
}

void TfrmWizard::Complete() {
  General.WizardStatus = FWizardProgress;
  General.AutoStart = startup_->rdgAutoStartMode->ItemIndex() == 1;
  // The tracks checked in the list are the tracks in use, each typed whole.
  TrackUseFromList(*readCheck_->lvwReadData);
  BlocksFromList(*readCheck_->lvwReadData, true);
  if (links_.ShowSetupValues) links_.ShowSetupValues();
  if (links_.ApplyReleaseMode) links_.ApplyReleaseMode();
  if (links_.SaveSetupFile) links_.SaveSetupFile();
  FCloseDecided = true;
  Close();
}

void TfrmWizard::btnCancelClick() {
  if (busy_) return;
  Close();
}

// ---- closing ----

void TfrmWizard::FormCloseQuery(bool& canClose) {
  canClose = true;
  if (FCloseDecided || !Showing()) return;
  // A running test ends within its bounded waits; it is not left half done.
  if (busy_) {
    canClose = false;
    return;
  }
  // The close box asks as Cancel does. After a completed setup the question
  // is whether to leave without saving; on a first run, whether to end.
  const std::string& question = General.WizardStatus == "111" ? gstrWizardCancel : gstrWizardCancelEnd;
  if (ui::App().MessageBox(question, "", ui::MsgIcon::Information, ui::MsgButtons::OKCancel) != ui::MsgResult::OK) {
    canClose = false;
    return;
  }
  FCloseDecided = true;
  PutBackTrackSelection();
}

void TfrmWizard::PutBackTrackSelection() {
  const bool changed = CardData.Tracks != shownSelection_.Tracks || CardData.TrackUse != shownSelection_.TrackUse ||
                       CardData.SingleTrack != shownSelection_.SingleTrack;
  if (!changed) return;
  CardData.Tracks = shownSelection_.Tracks;
  CardData.TrackUse = shownSelection_.TrackUse;
  CardData.SingleTrack = shownSelection_.SingleTrack;
  // The single-track layout of the options dialog follows the selection.
  if (links_.ApplyReleaseMode) links_.ApplyReleaseMode();
}

void TfrmWizard::FormClose() {
  // The labels hold their instructions again, so that a language applied
  // later remembers those and not a test's result.
  connect_->lblConnectTest->SetCaption(WizardConnectTestText);
  readCheck_->lblReadCheckNote->SetCaption(WizardReadCheckNoteText);
  if (links_.ReleasePort) links_.ReleasePort();
}

// ---- read check ----

void TfrmWizard::WizardReadCheck() {
  if (Showing()) readCheck_->ReadCheck();
}

}  // namespace km27
