#include "shell/wizard/ReadCheckPage.h"

#include "device/SampleRead.h"
#include "settings/Define.h"
#include "settings/Language.h"
#include "settings/Messages.h"
#include "shell/wizard/Wizard.h"

namespace km27 {

TWizardReadCheckPage::TWizardReadCheckPage(TfrmWizard& wizard, ui::TabSheet& sheet) : wizard_(wizard) {
  lblReadCheckNote = &wizard.Make<ui::Label>("lblReadCheckNote", &sheet);
  lblReadCheckNote->SetBounds(16, 12, 472, 64);
  lblReadCheckNote->SetCaption(
      "Swipe a card through the reader.\r\n"
      "Its data is listed here track by track; nothing is typed anywhere yet.");

  lvwReadData = &wizard.Make<ui::ListView>("lvwReadData", &sheet);
  lvwReadData->SetBounds(16, 84, 472, 168);
  lvwReadData->CheckBoxes = true;
  lvwReadData->GridLines = true;
  lvwReadData->SetColumns({{"Track", 64}, {"Digit", 56}, {"Read Data", 346}});
  lvwReadData->OnCheck = [this](size_t row) { lvwReadDataCheck(row); };
}

void TWizardReadCheckPage::Reset() {
  lblReadCheckNote->SetCaption(WizardReadCheckNoteText);
  lvwReadData->ClearRows();
  readData_ = false;
}

std::string TWizardReadCheckPage::NoteText(bool singleTrack, bool error, bool data) {
  if (singleTrack) return error ? gstrWizardReadTrackErr : gstrWizardReadTrackOK + "\r\n" + gstrWizardReadTrackNext;
  if (!error) return gstrWizardReadTrackOK + "\r\n" + gstrWizardReadTrack + "\r\n" + gstrWizardReadTrackNext;
  return data ? gstrWizardReadTrackErr2 + "\r\n" + gstrWizardReadTrackNext : gstrWizardReadTrackErr;
}

void TWizardReadCheckPage::ReadCheck() {
  DetectTracks();
  FillReadList(*lvwReadData, true, true);
  TrackUseFromList(*lvwReadData);

  bool error = false;
  ByteString joined;
  for (size_t k = 1; k <= 4; ++k) {
    const ByteString& status = CardData.TrackStatus[k];
    if (!status.empty() && status != "0") error = true;
    joined += CardData.TrackData[k];
  }
  readData_ = !joined.empty();
  lblReadCheckNote->SetCaption(NoteText(CardData.SingleTrack, error, readData_));

  // A frame without any track says nothing about the reader's tracks.
  if (lvwReadData->Rows().empty()) return;
  UpdateProgress();
}

void TWizardReadCheckPage::lvwReadDataCheck(size_t) {
  if (lvwReadData->Rows().empty()) return;
  UpdateProgress();
}

void TWizardReadCheckPage::UpdateProgress() {
  bool anyChecked = false;
  for (const ui::ListRow& row : lvwReadData->Rows()) anyChecked = anyChecked || row.checked;
  wizard_.SetProgress(2, readData_ && anyChecked);
}

}  // namespace km27
