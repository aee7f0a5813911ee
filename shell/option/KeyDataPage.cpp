#include "shell/option/KeyDataPage.h"

#include "shell/option/Option.h"

namespace km27 {

TKeyDataPage::TKeyDataPage(TfrmOption& form, ui::TabSheet& sheet) : TOptionPage(sheet), form_(form) {
  PageControl3 = &form.Make<ui::PageControl>("PageControl3", &sheet);
  PageControl3->SetBounds(8, 8, kOptionPageWidth - 16, kOptionPageHeight - 16);
  auto sub = [&](const char* name, const char* caption) {
    ui::TabSheet& t = form.Make<ui::TabSheet>(name, PageControl3);
    t.SetCaption(caption);
    return &t;
  };
  tabKeyDataFormat = sub("tabKeyDataFormat", "Key Data Format");
  tabBlockFormat = sub("tabBlockFormat", "Block Format");
  tabDatatable = sub("tabDatatable", "Data table");
  PageControl3->SetActivePage(tabKeyDataFormat);
}

void TKeyDataPage::ShowFirstSubPage() { PageControl3->SetActivePage(tabKeyDataFormat); }

}  // namespace km27
