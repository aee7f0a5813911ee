// Closing the program and the tray icon's mouse handling.
#include "settings/Define.h"
#include "settings/Messages.h"
#include "tests/shell_main/MainFixture.h"

namespace km27::test {
namespace {

using CloseAndTray = MainFixture;

TEST_F(CloseAndTray, CloseAsksAndCancelKeepsRunning) {
  StartConverter();
  tk.boxes.clear();
  tk.QueueAnswer(ui::MsgResult::Cancel);
  main->mnuClose->Click();  // from the tray, window hidden
  ASSERT_EQ(tk.boxes.size(), 1u);
  EXPECT_EQ(tk.boxes[0].text, "Finish KM-27?");
  EXPECT_EQ(tk.boxes[0].icon, ui::MsgIcon::Information);
  EXPECT_EQ(tk.boxes[0].buttons, ui::MsgButtons::OKCancel);
  EXPECT_FALSE(tk.terminated);
  EXPECT_TRUE(gRunning);
  EXPECT_FALSE(gCloseRequested);

  tk.QueueAnswer(ui::MsgResult::OK);
  main->mnuClose->Click();
  EXPECT_TRUE(tk.terminated);
  EXPECT_FALSE(gCloseRequested);
}

TEST_F(CloseAndTray, EndOfSessionAsksOnlyWhileTheWindowIsShown) {
  CreateMain();
  RunStartup();
  ASSERT_TRUE(main->Showing());
  tk.QueueAnswer(ui::MsgResult::Cancel);
  EXPECT_FALSE(main->QueryClose());  // the session may not end
  ASSERT_EQ(BoxTexts(), std::vector<std::string>{"Finish KM-27?"});
  EXPECT_TRUE(main->QueryClose());
  main->CloseWithoutQuery();
  EXPECT_EQ(tk.boxes.size(), 2u);  // no second question when the session ends
  EXPECT_TRUE(tk.terminated);

  tk.boxes.clear();
  tk.terminated = false;
  main->Hide();
  EXPECT_TRUE(main->QueryClose());
  EXPECT_TRUE(tk.boxes.empty());
}

TEST_F(CloseAndTray, SpeedButtonsFollowTheirActions) {
  CreateMain();
  main->actHideMain->SetCaption("Hide window");  // a language file's "Main.Action"
  EXPECT_EQ(main->spbHideMain->Caption(), "Hide window");
  main->actStart->SetCaption("Start KM-27");
  EXPECT_EQ(main->spbStart->Caption(), "Start");  // its own caption stays
  RunStartup();
  EXPECT_FALSE(main->spbHideMain->Visible());     // "Standard" hides it for good
  main->actHideMain->SetEnabled(true);
  EXPECT_FALSE(main->spbHideMain->Visible());
  FakeToolkit::Click(*main, "spbStart");
  EXPECT_TRUE(gRunning);
  EXPECT_FALSE(main->spbStart->Enabled());
  EXPECT_TRUE(main->spbStop->Enabled());
}

TEST_F(CloseAndTray, CloseBoxOfTheShownWindowAsks) {
  CreateMain();
  RunStartup();
  ASSERT_TRUE(main->Showing());
  tk.QueueAnswer(ui::MsgResult::Cancel);
  main->Close();
  EXPECT_EQ(tk.boxes.size(), 1u);
  EXPECT_TRUE(main->Showing());
  EXPECT_FALSE(tk.terminated);
}

TEST_F(CloseAndTray, CloseOfTheHiddenWindowNotAskedForEndsWithoutQuestion) {
  StartConverter();
  tk.boxes.clear();
  main->Close();  // e.g. the user logs off
  EXPECT_TRUE(tk.boxes.empty());
  EXPECT_TRUE(tk.terminated);
}

TEST_F(CloseAndTray, NoQuestionWhileSetupIsIncomplete) {
  CreateMain();
  RunStartup();
  General.WizardStatus = "011";
  main->actClose->Execute();
  EXPECT_TRUE(tk.boxes.empty());
  EXPECT_TRUE(tk.terminated);
}

TEST_F(CloseAndTray, MonitorEntryOnlyForShiftCtrlRightClick) {
  CreateMain();
  RunStartup();
  FakeTrayPeer& tray = FakeTrayPeer::Of(main->CoolTrayIcon1());
  auto monitorShown = [&] {
    EXPECT_EQ(main->mnuShowMonitor->Visible(), main->N4->Visible());
    return main->mnuShowMonitor->Visible();
  };

  tray.modifiers = ss::Shift | ss::Ctrl;
  tray.Send(TrayNotification::RightDown);
  EXPECT_TRUE(monitorShown());
  EXPECT_EQ(tray.Count(TrayCall::Type::Popup), 1);

  tray.modifiers = 0;
  tray.Send(TrayNotification::RightDown);
  EXPECT_FALSE(monitorShown());

  tray.modifiers = ss::Shift | ss::Ctrl;
  tray.Send(TrayNotification::RightDown);
  tray.modifiers = ss::Shift | ss::Ctrl | ss::Alt;
  tray.Send(TrayNotification::RightDown);
  EXPECT_FALSE(monitorShown());

  tray.modifiers = ss::Shift | ss::Ctrl;
  tray.Send(TrayNotification::LeftDown);
  EXPECT_FALSE(monitorShown());
  tray.modifiers = ss::Ctrl;
  tray.Send(TrayNotification::RightDown);
  EXPECT_FALSE(monitorShown());

  // The entry opens the communication monitor.
  main->mnuShowMonitor->Click();
  EXPECT_TRUE(comm->Showing());
}

TEST_F(CloseAndTray, MonitorEntryFollowsProbeModeWhereTheTrayHearsNoClicks) {
  CreateMain();
  RunStartup();
  FakeTrayPeer& tray = FakeTrayPeer::Of(main->CoolTrayIcon1());
  General.Release = "ProbeMode";
  main->ApplyReleaseMode();
  EXPECT_FALSE(main->mnuShowMonitor->Visible());  // Windows: the gesture alone

  tray.clicksWithKeys = false;
  main->ApplyReleaseMode();
  EXPECT_TRUE(main->mnuShowMonitor->Visible());
  EXPECT_TRUE(main->N4->Visible());
  tray.Send(TrayNotification::RightDown);  // a click without the keys keeps it
  EXPECT_TRUE(main->mnuShowMonitor->Visible());

  General.Release = "Standard";
  main->ApplyReleaseMode();
  EXPECT_FALSE(main->mnuShowMonitor->Visible());
  EXPECT_FALSE(main->N4->Visible());
}

TEST_F(CloseAndTray, OptionAndWizardEntriesWaitForTheirWindows) {
  CreateMain();
  RunStartup();
  main->mnuShowOption->Click();
  main->ShowWizard1->Click();
  EXPECT_TRUE(tk.modalForms.empty());

  ui::Form option("frmOption"), wizard("frmWizard");
  main->OptionForm = &option;
  main->WizardForm = &wizard;
  tk.OnModal("frmWizard", [](ui::Form& f) { f.Hide(); });
  main->mnuShowOption->Click();
  EXPECT_TRUE(option.Showing());
  main->ShowWizard1->Click();
  EXPECT_EQ(tk.modalForms, std::vector<std::string>{"frmWizard"});
}

TEST_F(CloseAndTray, ReleaseModeHidesTheServiceControls) {
  CreateMain();
  ui::Form option("frmOption");
  auto& lang = option.Make<ui::Label>("lblLanguage");
  auto& monitor = option.Make<ui::Button>("btnMonitor");
  auto& target = option.Make<ui::Action>("actTargetWindow");
  int layouts = 0;
  main->OptionForm = &option;
  main->OnApplyOptionLayout = [&] { ++layouts; };

  General.Release = "ProbeMode";
  main->ApplyReleaseMode();
  EXPECT_TRUE(main->spbHideMain->Visible());
  EXPECT_TRUE(lang.Visible());
  General.Release = "Standard";
  main->ApplyReleaseMode();
  EXPECT_FALSE(main->spbHideMain->Visible());
  EXPECT_FALSE(lang.Visible());
  EXPECT_FALSE(monitor.Visible());
  EXPECT_FALSE(target.Visible());
  EXPECT_EQ(layouts, 2);
  // Showing and hiding the window does not bring the Hide button back.
  main->actShowMain->Execute();
  main->actHideMain->Execute();
  EXPECT_FALSE(main->spbHideMain->Visible());
}

}  // namespace
}  // namespace km27::test
