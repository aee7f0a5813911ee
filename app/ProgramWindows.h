#pragma once
// The program's windows, made in their fixed order and wired to each other
// (main window, communication window, options dialog, key code dialog, read
// data dialog, setup wizard), and taken down in reverse order. Each entry
// (Windows, Linux) installs its platform services and toolkit first, then
// keeps one of these for as long as its message loop runs.
#include <memory>

#include "device/CommX.h"
#include "shell/ReadConsumers.h"

namespace km27 {

class TfrmMain;
class TfrmComm;
class TfrmOption;
class TfrmKeyCode;
class TfrmReadData;
class TfrmWizard;

class ProgramWindows {
 public:
  // The windows are made hidden; `port` becomes the communication window's.
  explicit ProgramWindows(std::unique_ptr<TCustomCommX> port);
  ~ProgramWindows();
  ProgramWindows(const ProgramWindows&) = delete;
  ProgramWindows& operator=(const ProgramWindows&) = delete;

 private:
  std::unique_ptr<TfrmMain> main_;
  std::unique_ptr<TfrmComm> comm_;
  std::unique_ptr<TfrmOption> option_;
  std::unique_ptr<TfrmKeyCode> keyCode_;
  std::unique_ptr<TfrmReadData> readData_;
  std::unique_ptr<TfrmWizard> wizard_;
  TReadConsumers readConsumers_;
};

}  // namespace km27
