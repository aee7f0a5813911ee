#include "ui/Application.h"

namespace km27::ui {

MsgResult IApplication::MessageBox(const std::string& text, const std::string& caption, MsgIcon icon,
                                   MsgButtons buttons) {
  const MsgResult answer = ShowMessageBox(text, caption, icon, buttons);
  if (answer != MsgResult::None) return answer;
  return buttons == MsgButtons::OK ? MsgResult::OK : MsgResult::Cancel;
}

}  // namespace km27::ui
