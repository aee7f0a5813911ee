// The settings the options dialog edits, their comparison for the close
// question, and the operations of the other windows the dialog calls.
#include "device/Comm.h"
#include "keyboard/KeyCode.h"
#include "keyboard/ReadData.h"
#include "settings/Define.h"
#include "settings/Language.h"
#include "settings/SetupFile.h"
#include "shell/Main.h"
#include "shell/option/OptionPage.h"

namespace km27 {

TOptionSettings TOptionSettings::FromCurrent() {
  TOptionSettings s;
  s.LanguageFile = General.LanguageFile;
  s.AutoStart = General.AutoStart;
  s.Port = Serial.Port;
  s.TargetWindow = km27::TargetWindow;
  s.KeyData = km27::KeyData;
  return s;
}

void TOptionSettings::ApplyToCurrent() const {
  General.LanguageFile = LanguageFile;
  General.AutoStart = AutoStart;
  Serial.Port = Port;
  km27::TargetWindow = TargetWindow;
  km27::KeyData = KeyData;
}

namespace {

// An all-data block uses no range: the page stores its start and digit as 1,
// while a file may hold anything there (the loader gives 0 for a block
// section that is missing), and that is no edit of the user's.
bool SameBlock(const TBlockData& a, const TBlockData& b) {
  const bool sameRange = a.AllData || (a.Start == b.Start && a.Digit == b.Digit);
  return a.Track == b.Track && a.AllData == b.AllData && sameRange && a.BlockHeader == b.BlockHeader &&
         a.BlockFooter == b.BlockFooter;
}

// CheckHWND is left out: the page always matches the handle and offers no
// way to change that, so a stored 0 never comes from an edit of the user's.
bool SameTarget(const TTargetWindow& a, const TTargetWindow& b) {
  return a.CheckClassName == b.CheckClassName &&
         a.CheckWindowTitle == b.CheckWindowTitle && a.HWND == b.HWND && a.ClassName == b.ClassName &&
         a.WindowTitle == b.WindowTitle && a.TargetLock == b.TargetLock;
}

}  // namespace

bool OptionSettingsDiffer(const TOptionSettings& a, const TOptionSettings& b, bool withTarget) {
  if (a.AutoStart != b.AutoStart || a.Port != b.Port) return true;
  if (withTarget && !SameTarget(a.TargetWindow, b.TargetWindow)) return true;
  const TKeyFormat& x = a.KeyData;
  const TKeyFormat& y = b.KeyData;
  if (x.Header != y.Header || x.TrackSeparator != y.TrackSeparator || x.Terminator != y.Terminator ||
      x.BlockNum != y.BlockNum || x.Blocks.size() != y.Blocks.size())
    return true;
  for (size_t i = 0; i < x.Blocks.size(); ++i)
    if (!SameBlock(x.Blocks[i], y.Blocks[i])) return true;
  return false;
}

TOptionLinks DefaultOptionLinks() {
  TOptionLinks l;
  l.ClosePort = [] {
    if (frmComm) frmComm->ClosePort();
  };
  l.OpenPort = [](bool showError) { return frmComm && frmComm->OpenPort(showError); };
  l.SendCommand = [](const std::string& command) {
    if (frmComm) frmComm->SendCommand(command);
  };
  l.WaitResponse = [](int32_t ms) { return frmComm ? frmComm->WaitResponse(ms) : ByteString(); };
  l.HoldExchange = [](bool held) {
    if (frmComm) frmComm->HoldExchange(held);
  };
  l.ApplyReleaseMode = [] {
    if (frmMain) frmMain->ApplyReleaseMode();
  };
  l.CheckFirmware = [] { return frmMain && frmMain->CheckFirmware(); };
  l.CheckPowerOnSetting = [] { return frmMain ? frmMain->CheckPowerOnSetting() : 0; };
  l.ShowSetupValues = [] {
    if (frmMain) frmMain->ShowSetupValues();
  };
  l.ShowMonitor = [] {
    if (frmComm) frmComm->Show();
  };
  l.ShowWizard = [] {
    if (frmMain) frmMain->actWizardExecute();
  };
  l.SaveSetupFile = [] { SaveSetupFile(); };
  l.LoadLanguage = [](int index) { LoadLanguage(index); };
  l.EditKeyCode = [](std::string& text) { return frmKeyCode && frmKeyCode->Execute(text); };
  l.SelectReadData = [](IReadDataHost& host) {
    if (!frmReadData) return false;
    // Reads that arrive while the dialog shows are shown for this host's tab.
    IReadDataHost* before = frmReadData->Host;
    frmReadData->Host = &host;
    const bool ok = frmReadData->Execute();
    frmReadData->Host = before;
    return ok;
  };
  return l;
}

}  // namespace km27
