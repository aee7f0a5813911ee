#include "shell/option/Shortcuts.h"

#include "settings/FileSystem.h"
#include "settings/Messages.h"
#include "shell/DesktopShell.h"
#include "shell/Main.h"
#include "ui/Application.h"

namespace km27 {

namespace {

bool Ask(const std::string& question) {
  return ui::App().MessageBox(question, "", ui::MsgIcon::Information, ui::MsgButtons::OKCancel) == ui::MsgResult::OK;
}

void Tell(const std::string& text) { ui::App().MessageBox(text, "", ui::MsgIcon::Information, ui::MsgButtons::OK); }

}  // namespace

std::string DesktopShortcutPath() { return DesktopShell().ShortcutPath(ShortcutPlace::Desktop, "KM-27"); }

std::string StartupShortcutPath() {
  return DesktopShell().ShortcutPath(ShortcutPlace::Startup, TfrmMain::kApplicationTitle);
}

void CreateDesktopShortcut() {
  if (!Ask(gstrAskRegisterDesktop)) return;
  // The link object first: when the shell cannot make one, the error goes to
  // the user and nothing is written.
  auto link = DesktopShell().CreateLink(Files().ExecutablePath());
  link->Save(DesktopShortcutPath());
  Tell(gstrRegistered);
}

void SetStartupShortcut(bool create) {
  if (!Ask(create ? gstrAskRegisterStartup : gstrAskCancelRegStartup)) return;
  auto link = DesktopShell().CreateLink(Files().ExecutablePath());
  const std::string path = StartupShortcutPath();
  IDesktopShell& shell = DesktopShell();
  if (create) {
    // A shortcut already there (perhaps edited by the user) is kept.
    if (!shell.FileExists(path)) link->Save(path);
    Tell(gstrCompleteRegisterStartup);
  } else {
    if (shell.FileExists(path)) shell.RemoveFile(path);
    Tell(gstrCompleteCancelRegStartup);
  }
}

}  // namespace km27
