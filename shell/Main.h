#pragma once
// The main window: the user's control panel and the owner of the tray icon.
// It lists the setup values, starts and stops the converter (opening and
// closing the port through the communication window), watches the reader
// while converting (start-up check and connection check), and runs the
// start-up sequence one second after the message loop has started.
//
// Implementation files:
//   Main.cpp         components, actions, run control, showing and hiding, closing
//   MainStartup.cpp  the start-up sequence (tmrStartupTimer)
//   MainChecks.cpp   CheckFirmware, CheckPowerOnSetting and the two checking timers
//   SetupValues.cpp  ShowSetupValues
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "shell/CoolTrayIcon.h"
#include "shell/TrayIconIds.h"
#include "ui/Form.h"

namespace km27 {

// The settings steps of the start-up sequence. The program uses
// DefaultMainServices() (the settings file, the language files and the
// version information); tests put in their own. An empty step is skipped.
struct TMainServices {
  std::function<void()> EnsureSetupFile;
  std::function<void()> LoadSetupFile;
  std::function<void()> BuildLanguageList;  // also applies General.LanguageFile
  std::function<std::string()> ProductVersion;
};
TMainServices DefaultMainServices();

class TfrmMain : public ui::Form {
 public:
  explicit TfrmMain(TMainServices services = DefaultMainServices());
  ~TfrmMain() override;

  // ---- components (names are part of the language file interface) ----
  ui::SpeedButton* spbStart;
  ui::SpeedButton* spbStop;
  ui::SpeedButton* spbOption;
  ui::SpeedButton* spbClose;
  ui::SpeedButton* spbHideMain;
  ui::Label* lblValueList;
  ui::ListBox* lstSetupValue;
  ui::Panel* Bevel1;
  ui::Label* lblResponse;

  ui::Action* actShowMonitor;
  ui::Action* actShowMain;
  ui::Action* actHideMain;
  ui::Action* actShowOption;
  ui::Action* actWizard;
  ui::Action* actStart;
  ui::Action* actStop;
  ui::Action* actClose;

  ui::PopupMenu* PopupMenu1;
  ui::MenuItem* mnuShowMonitor;
  ui::MenuItem* N4;
  ui::MenuItem* mnuShowMain;
  ui::MenuItem* mnuHideMain;
  ui::MenuItem* N3;
  ui::MenuItem* mnuShowOption;
  ui::MenuItem* ShowWizard1;
  ui::MenuItem* N2;
  ui::MenuItem* mnuStart;
  ui::MenuItem* mnuStop;
  ui::MenuItem* N1;
  ui::MenuItem* mnuClose;

  ui::Timer* tmrStartup;       // 1000 ms, runs the start-up sequence once
  ui::Timer* tmrCheckSPST;     // 1000 ms, start-up check while converting
  ui::Timer* tmrCheckConnect;  // 1500 ms, connection check while converting

  TCoolTrayIcon& CoolTrayIcon1() { return *coolTrayIcon1_; }
  // Icon ids of the tray icon's list (icon resources of the executable).
  static constexpr int kStoppedIcon = KM27_ICON_TRAY_STOPPED;  // index 0
  static constexpr int kRunningIcon = KM27_ICON_TRAY_RUNNING;  // index 1
  static constexpr const char* kApplicationTitle = "KM-27 Serial to Key Software";

  // The other windows this one drives, set by the program's entry once they
  // exist. Until then the actions that need them do nothing, a missing wizard
  // counts as cancelled and the options dialog's controls are left alone.
  ui::Form* OptionForm = nullptr;
  ui::Form* WizardForm = nullptr;
  // The options dialog's single-track layout, sub-page handling and highlight
  // panels (the last steps of ApplyReleaseMode).
  std::function<void()> OnApplyOptionLayout;

  // ---- run control and reader checks ----
  bool RunControl(bool start);
  bool CheckFirmware();
  int CheckPowerOnSetting();
  void ShowSetupValues();
  void ApplyReleaseMode();

  // ---- event handlers ----
  void tmrStartupTimer();
  void tmrCheckSPSTTimer();
  void tmrCheckConnectTimer();
  void actStartExecute();
  void actStopExecute();
  void actShowMainExecute();
  void actHideMainExecute();
  void actShowOptionExecute();
  void actWizardExecute();
  void actShowMonitorExecute();
  void actCloseExecute();
  void FormCloseQuery(bool& canClose);
  void FormMinimize();
  void CoolTrayIcon1MouseDown(TCoolTrayIcon& sender, MouseButton button, ShiftState shift, int x, int y);
  void CoolTrayIcon1Startup(TCoolTrayIcon& sender, bool& showMainForm);

  bool ShownWhileRunning() const { return shownWhileRunning_; }

  // The version line shown in lblResponse after start-up.
  static std::string VersionLine(const std::string& productVersion);
  // General.ConnectionCheck as three characters: a short value is filled up
  // with "1" (the built-in tolerance), characters beyond the third are ignored.
  static std::string ConnectionCheckFlags();
  // The tolerance of one check character: its digit, 1 for anything else.
  static int CheckLimit(char c);

  // Asked once the language is applied at start: a problem the platform
  // found that the user must hear of (the keys cannot reach this desktop's
  // windows), said in the monitor and as a tray balloon; empty: none.
  std::function<std::string()> StartupNotice;

 private:
  void CreateComponents();
  void SetRunState(bool running);
  bool StartOrStop(bool start, bool& superseded);
  bool PortOpen() const;
  // The setup wizard shows: its search and test read have the port.
  bool WizardHasPort() const;
  void StopWithReaderError(const std::function<void()>& resetCounters);
  void PortFailed();
  void ConnectCommWindow();
  void ShowBalloon(const std::string& title, const std::string& text);
  bool ReopenPort();
  void ConnectionLost();
  void SetOptionControlEnabled(const std::string& name, bool enabled);
  void SetOptionControlCaption(const std::string& name, const std::string& caption);

  TMainServices services_;
  std::unique_ptr<TCoolTrayIcon> coolTrayIcon1_;
  bool shownWhileRunning_ = false;
  // A checking tick is exchanging with the reader. The two checking timers
  // share it so that neither starts an exchange inside the other's wait.
  bool checkBusy_ = false;
  // Counts every change of the run state: what a modal box returns to is
  // stale once a newer Start or Stop has run while the box was up.
  uint64_t runGeneration_ = 0;
};

// The process's main window (created first by the program's entry).
extern TfrmMain* frmMain;

}  // namespace km27
