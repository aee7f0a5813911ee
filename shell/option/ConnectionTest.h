#pragma once
// The connection test: looks for the reader on every port of a port box (or
// only on the port typed in it), shows each port it tries and the result,
// and leaves the port that answered open and configured. The options dialog
// runs it with its own box; the setup wizard with its box, its manual-search
// flag and its result label (TfrmOption::ConnectionTest).
#include <functional>
#include <string>

#include "shell/option/OptionPage.h"

namespace km27 {

struct TConnectionTestBox;

class TConnectionTest {
 public:
  // links: the device link and main window operations it uses; dialogLabel:
  // the dialog's own result label (always shown); reload: after a reader
  // answered, the start mode and key data pages are read again.
  TConnectionTest(TOptionLinks& links, ui::Control& dialogLabel, std::function<void()> reload);

  // Sets gConnectChecked when a reader answered "VR".
  void Run(const TConnectionTestBox& box);

  // "Checking..." and the port name between double quotes.
  static std::string CheckingText(const std::string& portName);

 private:
  void Show(const TConnectionTestBox& box, const std::string& text, const std::string& wizardText);
  bool TryPort(ui::ComboBox& portBox);

  TOptionLinks& links_;
  ui::Control& dialogLabel_;
  std::function<void()> reload_;
};

}  // namespace km27
