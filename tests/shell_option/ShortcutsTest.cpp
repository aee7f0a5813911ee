// The desktop and start-up shortcuts against the recording shell.
#include "settings/Messages.h"
#include "shell/option/Shortcuts.h"
#include "tests/shell_option/OptionFixture.h"

namespace km27::test {
namespace {

using ui::MsgResult;

class ShortcutsTest : public OptionFixture {
 protected:
  const std::string desktop = "C:\\Users\\u\\Desktop\\KM-27.Lnk";
  const std::string startup = "C:\\Users\\u\\Start Menu\\Programs\\Startup\\KM-27 Serial to Key Software.Lnk";
};

TEST_F(ShortcutsTest, DesktopShortcutIsWrittenEveryTime) {
  Opt().btnSetDesktpClick();
  Opt().btnSetDesktpClick();
  ASSERT_EQ(shell.saved.size(), 2u);
  EXPECT_EQ(shell.saved[0].first, desktop);
  EXPECT_EQ(shell.saved[1].first, desktop);
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Set desktop icon?", "", "Set desktop icon?", ""}));
  EXPECT_EQ(tk.boxes[0].buttons, ui::MsgButtons::OKCancel);
  EXPECT_EQ(tk.boxes[0].icon, ui::MsgIcon::Information);
}

TEST_F(ShortcutsTest, StartupShortcutIsCreatedOnlyWhenAbsentAndDeletedOnlyWhenPresent) {
  Opt().SetStartup(true);
  Opt().SetStartup(true);
  ASSERT_EQ(shell.saved.size(), 1u);  // the first file is left as it is
  EXPECT_EQ(shell.saved[0].first, startup);
  Opt().SetStartup(false);
  Opt().SetStartup(false);
  EXPECT_EQ(shell.deleted, std::vector<std::string>{startup});
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Set to start up?", "Completed", "Set to start up?", "Completed",
                                                  "Cancel start up?", "Completed", "Cancel start up?", "Completed"}));
}

TEST_F(ShortcutsTest, CancelChangesNothing) {
  for (int i = 0; i < 3; ++i) tk.QueueAnswer(MsgResult::Cancel);
  shell.files.insert(startup);
  Opt().btnSetDesktpClick();
  Opt().SetStartup(true);
  Opt().SetStartup(false);
  EXPECT_EQ(shell.linksCreated, 0);
  EXPECT_TRUE(shell.saved.empty());
  EXPECT_TRUE(shell.deleted.empty());
  EXPECT_EQ(tk.boxes.size(), 3u);
}

TEST_F(ShortcutsTest, AMissingFolderGivesAPathFromTheRoot) {
  shell.folders.clear();
  Opt().btnSetDesktpClick();
  ASSERT_EQ(shell.saved.size(), 1u);
  EXPECT_EQ(shell.saved[0].first, "\\KM-27.Lnk");
}

TEST_F(ShortcutsTest, NoLinkObjectReportsTheErrorAndWritesNothing) {
  shell.failCreateLink = true;
  EXPECT_THROW(Opt().SetStartup(true), ShellError);
  EXPECT_TRUE(shell.saved.empty());
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Set to start up?"});
}

TEST_F(ShortcutsTest, GeneralPageButtonsRunTheRoutines) {
  FakeToolkit::Click(Opt(), "btnSetStartup");
  FakeToolkit::Click(Opt(), "btnSetDesktp");
  FakeToolkit::Click(Opt(), "btnDeleteStartup");
  EXPECT_EQ(shell.saved.size(), 2u);
  EXPECT_EQ(shell.deleted.size(), 1u);
}

}  // namespace
}  // namespace km27::test
