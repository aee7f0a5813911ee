#pragma once
// The read data dialog: the user marks a block in a real card read instead
// of counting characters. Showing it starts the converter; a read that
// arrives meanwhile is shown (the slot of the options dialog's current track
// tab) instead of typed; the marked range becomes the block's start position
// and digit count, which OK hands back to the options dialog. Closing stops
// the converter and brings up the main window.
#include <functional>
#include <string>

#include "ui/Form.h"

namespace km27 {

// What the dialog needs of the window that opens it (the key data page of
// the options dialog): its current track tab and the start and digit
// up-downs of the block being edited.
class IReadDataHost {
 public:
  virtual ~IReadDataHost() = default;
  // Index (from 0) of the selected track tab; -1 when there is none.
  virtual int TrackTabIndex() = 0;
  virtual std::string TrackTabCaption() = 0;
  virtual int BlockStart() = 0;
  virtual int BlockDigit() = 0;
  virtual void SetBlockRange(int start, int digit) = 0;
};

// A host that finds those controls on a form by their names: the track tabs
// "tabTracks" (a tab control, or a page control's visible pages) and the
// up-downs "updBlockStart" and "updBlockDigit". A control the form does not
// have reads as no tab, start 1, digit 1, and is not written.
class TNamedControlsReadDataHost : public IReadDataHost {
 public:
  explicit TNamedControlsReadDataHost(ui::Form& form) : form_(form) {}
  int TrackTabIndex() override;
  std::string TrackTabCaption() override;
  int BlockStart() override;
  int BlockDigit() override;
  void SetBlockRange(int start, int digit) override;

 private:
  ui::Form& form_;
};

// The main window's run control as the dialog uses it (its start, stop and
// show actions). An empty link is skipped.
struct TReadDataRunLinks {
  std::function<void()> Start;
  std::function<void()> Stop;
  std::function<void()> ShowMain;
};

class TfrmReadData : public ui::Form {
 public:
  TfrmReadData();

  // ---- components (names are part of the language file interface) ----
  ui::Label* lblReadTrack;  // caption of the options dialog's current track tab
  ui::Label* lblMessage;
  ui::Label* lblCardData;
  ui::Edit* edtBlockCardData;  // the read data; the user marks the block in it
  ui::Label* lblBlockStart;
  ui::Edit* edtBlockStart;
  ui::UpDown* updBlockStart;
  ui::Label* lblBlockDigit;
  ui::Edit* edtBlockDigit;
  ui::UpDown* updBlockDigit;
  ui::Label* lblNote;
  ui::Button* btnOK;
  ui::Button* btnCancel;

  // Start and digit are held to 1..kMaxPosition (the block limits).
  static constexpr int kMaxPosition = 200;

  IReadDataHost* Host = nullptr;
  TReadDataRunLinks Run;
  // True when the dialog was last closed with OK.
  bool confirmed = false;

  // Shows the dialog modally; true when it was closed with OK (the host has
  // the new start and digit then).
  bool Execute();

  // A card read arrived while the dialog is showing (the output driver).
  void ShowReadData();

  // ---- event handlers ----
  void FormShow();
  void FormClose(ui::CloseAction& action);
  void edtBlockCardDataKeyUp(uint16_t& key, int shift);
  void edtBlockCardDataMouseMove(int shift, int x, int y);
  void btnOKClick();
  void btnCancelClick();

 private:
  // The marked range becomes start and digit; beyond the limits both are
  // held to them, and the edit then marks what will be handed back.
  void TakeSelection();
};

// The process's read data dialog (created at start-up by the program's entry).
extern TfrmReadData* frmReadData;

}  // namespace km27
