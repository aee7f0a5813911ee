#pragma once
// The Target Window page: records a target window (handle, class name,
// title, which of them must match) and may lock the choice. The user brings
// the wanted application to the front; while the page is shown, Timer2 looks
// at the foreground window twice a second and lists every window seen (the
// program's own windows excepted), and picking a row fills the identifiers.
// Reachable only in "ProbeMode" (the release mode hides its action).
//
// Hooks the frame calls (see TOptionPage): Load / Store (TargetWindow and the
// lock), PageChanged (the sampling runs only while this page is shown),
// Closed (sampling stops).
#include <string>

#include "shell/option/OptionPage.h"

namespace km27 {

class TfrmOption;

class TTargetWindowPage : public TOptionPage {
 public:
  TTargetWindowPage(TfrmOption& form, ui::TabSheet& sheet);

  // The longest title and class name read from a window.
  static constexpr size_t kMaxTitle = 1000;
  static constexpr size_t kMaxClassName = 255;
  static constexpr uint32_t kSampleIntervalMs = 500;

  ui::ListView* lvwHWND;
  ui::Button* btnTargetListRefresh;
  ui::GroupBox* grpTargetWindow;
  ui::CheckBox* chkHWND;
  ui::Edit* edtHWND;
  ui::CheckBox* chkClassName;
  ui::Edit* edtClassName;
  ui::CheckBox* chkWinTitle;
  ui::Edit* edtWinTitle;
  ui::Button* btnTargetClear;
  ui::ImageList* imlTargetLock;
  ui::Action* actLock;
  ui::Action* actUnLock;
  ui::SpeedButton* spbTargetLock;
  ui::SpeedButton* spbTargetUnLock;
  ui::Timer* Timer2;

  void Load() override;
  void Store(TOptionSettings& into) override;
  void PageChanged(bool shown) override;
  void Closed() override;

  void Timer2Timer();
  void lvwHWNDSelectItem();
  void btnTargetClearClick();
  void btnTargetListRefreshClick();
  void actLockExecute();
  void actUnLockExecute();

 private:
  void CreateWindowList(ui::TabSheet& sheet);
  void CreateTargetGroup(ui::TabSheet& sheet);
  void CreateLockButtons(ui::TabSheet& sheet);
  // Empties the list and samples from now on.
  void StartSampling();
  void StopSampling();
  // The lock routine: locks when an identifier is given, else says
  // "No Select" and leaves the page unlocked.
  void Lock();
  // The page's look and gTargetLocked for either state.
  void SetLocked(bool locked);
  // A class and title that belong to one of the program's own windows.
  bool IsOwnWindow(const std::string& className, const std::string& title) const;
  // A message box of this page; sampling pauses while it is open, so that
  // the box itself is never listed and ticks do not pile up behind it.
  ui::MsgResult Ask(const std::string& text, ui::MsgIcon icon, ui::MsgButtons buttons);

  TfrmOption& form_;
  bool sampling_ = false;  // the page is the one shown
};

}  // namespace km27
