#include "shell/option/TargetWindowPage.h"

#include "settings/Define.h"
#include "shell/option/Option.h"

namespace km27 {

TTargetWindowPage::TTargetWindowPage(TfrmOption& form, ui::TabSheet& sheet) : TOptionPage(sheet), form_(form) {}

void TTargetWindowPage::Store(TOptionSettings& into) {
  // The working lock state goes back with the other target values.
  into.TargetWindow.TargetLock = gTargetLocked;
}

}  // namespace km27
