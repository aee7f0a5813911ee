#pragma once
// The five key edit boxes of the Key Data page (header, track separator,
// terminator, block header, block footer) and the key code button that shows
// right of the one being edited. While a box has the focus it refuses what a
// key notation cannot hold (characters above 126, double-byte characters
// with the simple beep); "Key Code" opens the key code dialog with the box's
// text and puts the composed text back on OK.
#include <functional>
#include <string>

#include "ui/Form.h"

namespace km27 {

class TKeyCodePanel {
 public:
  // `editKeyCode` shows the key code dialog with a text; true when it was
  // closed with OK (the text is then the composed one).
  TKeyCodePanel(ui::Form& form, ui::Control& parent, std::function<bool(std::string&)> editKeyCode);

  ui::Panel* pnlKeyCode;
  ui::Button* btnKeyCode;
  ui::Timer* tmrExitEdit;  // 300 ms, one shot: hides the panel after the box lost the focus

  // A key edit box gets the handlers below.
  void Attach(ui::Edit& edit);
  // Hides the panel at once (the sub-page changed).
  void Hide();
  // The box that received the focus last; nullptr before the first.
  ui::Edit* KeyEdit() const { return FKeyEdit; }

  void edtHeaderEnter(ui::Edit& edit);
  void edtHeaderExit(ui::Edit& edit);
  void edtHeaderKeyPress(char& key);
  void btnKeyCodeClick();
  void tmrExitEditTimer();

 private:
  ui::Form& form_;
  std::function<bool(std::string&)> editKeyCode_;
  ui::Edit* FKeyEdit = nullptr;
};

}  // namespace km27
