// The start-up sequence and its three outcomes.
#include "settings/Define.h"
#include "settings/Messages.h"
#include "tests/shell_main/MainFixture.h"

namespace km27::test {
namespace {

using Startup = MainFixture;

TEST_F(Startup, WindowIsCreatedHiddenWithItsDesign) {
  CreateMain();
  EXPECT_FALSE(main->Showing());
  EXPECT_EQ(main->Caption(), "ORVANE Larkway");
  EXPECT_EQ(main->WindowClassName, "TfrmMain");
  EXPECT_TRUE(main->IsMainForm);
  EXPECT_EQ(main->ClientWidth, 436);
  EXPECT_EQ(main->ClientHeight, 381);
  EXPECT_EQ(main->spbStart->Caption(), "Start");
  EXPECT_EQ(main->spbStop->Caption(), "Stop");
  EXPECT_EQ(main->lblValueList->Caption(), "Setup Values");
  EXPECT_TRUE(main->tmrStartup->Enabled());
  EXPECT_EQ(main->tmrStartup->Interval(), 1000u);
  EXPECT_FALSE(main->tmrCheckSPST->Enabled());
  EXPECT_EQ(main->tmrCheckSPST->Interval(), 1000u);
  EXPECT_FALSE(main->tmrCheckConnect->Enabled());
  EXPECT_EQ(main->tmrCheckConnect->Interval(), 1500u);
  EXPECT_TRUE(FakeTrayPeer::Of(main->CoolTrayIcon1()).shown);
  EXPECT_EQ(main->CoolTrayIcon1().IconIndex(), 0);
  EXPECT_TRUE(main->CoolTrayIcon1().LeftPopup);

  // The tray menu in its order, with the initial states.
  struct Entry {
    const char* name;
    const char* caption;
    bool enabled, visible;
  };
  const Entry expected[] = {
      {"mnuShowMonitor", "Show Monitor", true, false}, {"N4", "-", true, false},
      {"mnuShowMain", "Show Main Form", false, true}, {"mnuHideMain", "Hide Main Form", true, true},
      {"N3", "-", true, true},                         {"mnuShowOption", "Show Option", true, true},
      {"ShowWizard1", "Show Wizard", true, true},      {"N2", "-", true, true},
      {"mnuStart", "Start Larkway", true, true},       {"mnuStop", "Stop Larkway", false, true},
      {"N1", "-", true, true},                         {"mnuClose", "Close", true, true},
  };
  const auto& items = main->PopupMenu1->Items();
  ASSERT_EQ(items.size(), std::size(expected));
  for (size_t i = 0; i < items.size(); ++i) {
    SCOPED_TRACE(expected[i].name);
    EXPECT_EQ(items[i]->Name(), expected[i].name);
    EXPECT_EQ(items[i]->Caption(), expected[i].caption);
    EXPECT_EQ(items[i]->Enabled(), expected[i].enabled);
    EXPECT_EQ(items[i]->Visible(), expected[i].visible);
  }
  EXPECT_EQ(main->CoolTrayIcon1().PopupMenu, main->PopupMenu1);
}

TEST_F(Startup, CompletedSetupWithoutAutoStartShowsTheWindow) {
  CreateMain();
  tk.Advance(999);
  EXPECT_TRUE(steps.empty());
  tk.Advance(1);

  EXPECT_EQ(steps, (std::vector<std::string>{"EnsureSetupFile", "LoadSetupFile", "BuildLanguageList"}));
  EXPECT_FALSE(main->tmrStartup->Enabled());
  EXPECT_TRUE(main->Showing());
  EXPECT_FALSE(gRunning);
  EXPECT_FALSE(main->actShowMain->Enabled());
  EXPECT_TRUE(main->actHideMain->Enabled());
  EXPECT_EQ(main->lblResponse->Caption(), "Serial to Keyboard convert Software Ver 1.2.0.3 (QRL5146)");
  EXPECT_EQ(main->CoolTrayIcon1().Hint(), "KM-27 Serial to Key Software");
  EXPECT_FALSE(main->lstSetupValue->Items().empty());
  EXPECT_FALSE(main->spbHideMain->Visible());  // "Standard" release
  EXPECT_TRUE(tk.boxes.empty());
  EXPECT_TRUE(tk.modalForms.empty());

  // The sequence runs once.
  tk.Advance(5000);
  EXPECT_EQ(steps.size(), 3u);
}

TEST_F(Startup, VersionLineWithoutProductVersion) {
  EXPECT_EQ(TfrmMain::VersionLine(""), "Serial to Keyboard convert Software Ver  (QRL5146)");
}

TEST_F(Startup, AutoStartStartsTheConverterHidden) {
  loaded.AutoStart = true;
  loaded.Release = "ProbeMode";
  CreateMain();
  RunStartup();
  EXPECT_TRUE(gRunning);
  EXPECT_TRUE(reader->IsOpen());
  EXPECT_FALSE(main->Showing());
  EXPECT_EQ(main->CoolTrayIcon1().IconIndex(), 1);
  EXPECT_TRUE(main->spbHideMain->Visible());
  EXPECT_FALSE(tk.terminated);
}

TEST_F(Startup, AutoStartWithFailingPortShowsTheWindow) {
  loaded.AutoStart = true;
  reader->failOpen = true;
  CreateMain();
  RunStartup();
  EXPECT_FALSE(gRunning);
  EXPECT_TRUE(main->Showing());
  EXPECT_EQ(tk.boxes.size(), 1u);
}

TEST_F(Startup, IncompleteSetupWithoutWizardEndsQuietly) {
  loaded.WizardStatus = "000";
  loaded.AutoStart = true;
  CreateMain();
  RunStartup();
  EXPECT_TRUE(tk.terminated);
  EXPECT_TRUE(tk.boxes.empty());  // no exit question
  EXPECT_FALSE(gRunning);
  EXPECT_FALSE(gCloseRequested);
  EXPECT_FALSE(main->Showing());
}

TEST_F(Startup, WizardRunsFirstAndDecidesWhatFollows) {
  ui::Form wizard("frmWizard");
  loaded.WizardStatus = "000";
  loaded.AutoStart = true;
  tk.OnModal("frmWizard", [](ui::Form& f) {
    General.WizardStatus = "111";
    f.Hide();
  });
  CreateMain();
  main->WizardForm = &wizard;
  RunStartup();
  EXPECT_EQ(tk.modalForms, std::vector<std::string>{"frmWizard"});
  EXPECT_TRUE(gRunning);
  EXPECT_FALSE(tk.terminated);
}

TEST_F(Startup, CancelledWizardEndsTheProgram) {
  ui::Form wizard("frmWizard");
  loaded.WizardStatus = "011";
  tk.OnModal("frmWizard", [](ui::Form& f) { f.Hide(); });
  CreateMain();
  main->WizardForm = &wizard;
  RunStartup();
  EXPECT_EQ(tk.modalForms.size(), 1u);
  EXPECT_TRUE(tk.terminated);
  EXPECT_TRUE(tk.boxes.empty());
}

TEST_F(Startup, TrayStartupRestartsARunningConversion) {
  CreateMain();
  EXPECT_EQ(reader->opens, 0);  // nothing runs while the window is created
  main.reset();

  gRunning = true;
  CreateMain();
  EXPECT_EQ(reader->opens, 1);
  EXPECT_TRUE(reader->IsOpen());
  EXPECT_TRUE(gRunning);
  EXPECT_TRUE(main->actStop->Enabled());
}

}  // namespace
}  // namespace km27::test
