#pragma once
// The Key Data page: header, track separator and terminator keys and the
// block list, on three sub-pages ("Key Data Format", "Block Format" and, in
// "ProbeMode" only, "Data table") under a picture of the output layout.
//
// Hooks the frame calls (see TOptionPage): ShowFirstSubPage, Load (also after
// a successful connection test), Store (KeyData and its blocks),
// KeepPendingEdit (the "Update?" question of a changed block), ApplyLayout
// (single-track layout).
#include "shell/option/OptionPage.h"

namespace km27 {

class TfrmOption;

class TKeyDataPage : public TOptionPage {
 public:
  TKeyDataPage(TfrmOption& form, ui::TabSheet& sheet);

  ui::PageControl* PageControl3;
  ui::TabSheet* tabKeyDataFormat;
  ui::TabSheet* tabBlockFormat;
  ui::TabSheet* tabDatatable;

  void ShowFirstSubPage() override;

 private:
  TfrmOption& form_;
};

}  // namespace km27
