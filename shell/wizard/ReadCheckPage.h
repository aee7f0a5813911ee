#pragma once
// The wizard's Read Check page: a card read while the wizard shows is listed
// track by track (length and data, or the track's error), checked rows are
// the tracks to be typed, and a note says what to do next.
#include <string>

#include "ui/Form.h"

namespace km27 {

class TfrmWizard;

class TWizardReadCheckPage {
 public:
  TWizardReadCheckPage(TfrmWizard& wizard, ui::TabSheet& sheet);

  ui::Label* lblReadCheckNote;
  ui::ListView* lvwReadData;  // columns "Track", "Digit", "Read Data"

  // Every show: the instructions back and the list emptied.
  void Reset();
  // A card read arrived (CardData): tracks detected, list filled, tracks in
  // use taken from it, the note set; the progress follows.
  void ReadCheck();
  // The user checked or unchecked a row.
  void lvwReadDataCheck(size_t row);

  // The note for a read: single track or not, a track failed, data arrived.
  static std::string NoteText(bool singleTrack, bool error, bool data);

 private:
  // A test read is done when it delivered data and at least one of its rows
  // is checked (a converter without tracks would type nothing).
  void UpdateProgress();

  TfrmWizard& wizard_;
  bool readData_ = false;  // the last read delivered data
};

}  // namespace km27
