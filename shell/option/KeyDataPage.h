#pragma once
// The Key Data page: header, track separator and terminator keys and the
// block list, on three sub-pages ("Key Data Format", "Block Format" and, in
// "ProbeMode" only, "Data table") under a picture of the output layout.
//
// Files:
//   KeyDataPage       the page: sub-pages, hooks of the frame, the read data host
//   KeyDataPicture    the picture of the output layout and the area colours
//   KeyDataFormat     header, separator and terminator ("Key Data Format")
//   KeyCodePanel      the key edit boxes' filter and the key code button
//   BlockEditor       one block: all data or start and digit, header, footer
//   BlockLists        track tabs, edit list, data table and the block actions
//
// Hooks the frame calls (see TOptionPage): ShowFirstSubPage, Load (also after
// a successful connection test), Store (KeyData and its blocks),
// KeepPendingEdit (the "Update?" question of a changed block), ApplyLayout
// (single-track layout).
#include <memory>
#include <string>

#include "keyboard/ReadData.h"
#include "shell/option/OptionPage.h"

namespace km27 {

class TfrmOption;
class TKeyDataPicture;
class TKeyDataFormat;
class TKeyCodePanel;
class TBlockEditor;
class TBlockLists;

class TKeyDataPage : public TOptionPage, public IReadDataHost {
 public:
  TKeyDataPage(TfrmOption& form, ui::TabSheet& sheet);
  ~TKeyDataPage() override;

  ui::PageControl* PageControl3;
  ui::TabSheet* tabKeyDataFormat;
  ui::TabSheet* tabBlockFormat;
  ui::TabSheet* tabDatatable;

  TKeyDataPicture& Picture() { return *picture_; }
  TKeyDataFormat& Format() { return *format_; }
  TKeyCodePanel& KeyCode() { return *keyCode_; }
  TBlockEditor& Editor() { return *editor_; }
  TBlockLists& Lists() { return *lists_; }

  // ---- TOptionPage ----
  void ShowFirstSubPage() override;
  void Load() override;
  void Store(TOptionSettings& into) override;
  bool KeepPendingEdit() override;
  void ApplyLayout() override;

  // ---- IReadDataHost: the read data dialog marks a block of the current tab ----
  int TrackTabIndex() override;
  std::string TrackTabCaption() override;
  int BlockStart() override;
  int BlockDigit() override;
  void SetBlockRange(int start, int digit) override;

  // ---- event handlers ----
  void PageControl3Change();
  void btnSelReadDataClick();

 private:
  // Whether "Key Data Format" is on screen (the page and the sub-page shown).
  bool FormatShown() const;

  TfrmOption& form_;
  std::unique_ptr<TKeyDataPicture> picture_;
  std::unique_ptr<TKeyDataFormat> format_;
  std::unique_ptr<TKeyCodePanel> keyCode_;
  std::unique_ptr<TBlockEditor> editor_;
  std::unique_ptr<TBlockLists> lists_;
};

}  // namespace km27
