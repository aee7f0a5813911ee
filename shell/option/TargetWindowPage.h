#pragma once
// The Target Window page: records a target window (handle, class name,
// title, which of them must match) sampled from the foreground, and locks the
// choice. Reachable only in "ProbeMode" (the release mode hides its action).
//
// Hooks the frame calls (see TOptionPage): Load / Store (TargetWindow and the
// lock), PageChanged (the sampling runs only while this page is shown),
// Closed (sampling stops).
#include "shell/option/OptionPage.h"

namespace km27 {

class TfrmOption;

class TTargetWindowPage : public TOptionPage {
 public:
  TTargetWindowPage(TfrmOption& form, ui::TabSheet& sheet);

  void Store(TOptionSettings& into) override;

 private:
  TfrmOption& form_;
};

}  // namespace km27
