#pragma once
// The key code dialog: the user composes a key notation text by clicking
// named keys in a table ("[ENTER]" goes over the selection of the edit, or
// at its caret) instead of typing their names. The key data page opens it
// modally for the notation edit last entered and takes the text back when
// the dialog was closed with OK (Execute).
#include <string>

#include "ui/Form.h"

namespace km27 {

class TfrmKeyCode : public ui::Form {
 public:
  TfrmKeyCode();

  // ---- components (names are part of the language file interface) ----
  ui::ListView* lvwKeyTable;  // columns "Key" (description) and "Key Name"
  ui::Panel* pnlBottom;
  ui::Label* lblNote;
  ui::Edit* edtKeyCode;  // refuses double-byte characters (key notation input)
  ui::Button* btnOK;
  ui::Button* btnCancel;
  ui::Button* btnClear;

  // True when the dialog was last closed with OK.
  bool confirmed = false;

  // Shows the dialog modally with `text` in the edit; when it is closed with
  // OK, `text` becomes the composed text and the result is true.
  bool Execute(std::string& text);

  // ---- event handlers ----
  void FormShow();
  void lvwKeyTableClick();
  void btnOKClick();
  void btnCancelClick();
  void btnClearClick();

  // The named keys in code order, as (description, name) rows; digits and
  // letters are left out.
  static std::vector<ui::ListRow> KeyRows();
};

// The process's key code dialog (created at start-up by the program's entry).
extern TfrmKeyCode* frmKeyCode;

}  // namespace km27
