// The Target Window page: sampling the foreground window while the page is
// shown, picking a row, the lock, and the page's values through show, OK and
// the close question.
#include <algorithm>

#include "settings/Messages.h"
#include "shell/option/OptionImages.h"
#include "shell/option/TargetWindowPage.h"
#include "tests/shell_option/OptionFixture.h"
#include "tests/support/FakeWindowService.h"

namespace km27::test {
namespace {

using ui::MsgResult;

class TargetWindowPageTest : public OptionFixture {
 protected:
  TargetWindowPageTest() {
    loaded.Release = "ProbeMode";
    Serial.Port = 1;  // the port the device map lists: no change to ask about
  }

  // The options dialog shown from the main window, on the Target Window page.
  void ShowTargetPage() {
    ShowOption();
    FakeToolkit::Click(*option, "actTargetWindow");
  }

  TTargetWindowPage& Page() { return option->TargetWindowPage(); }
  std::vector<std::vector<std::string>> Rows() {
    std::vector<std::vector<std::string>> rows;
    for (const ui::ListRow& r : Page().lvwHWND->Rows()) {
      rows.push_back({r.caption});
      rows.back().insert(rows.back().end(), r.subItems.begin(), r.subItems.end());
    }
    return rows;
  }
  // `window` comes to the front and stays there for one sampling tick.
  void Front(WindowHandle window, const std::string& className, const std::string& title) {
    windows.Front(window, className, title);
    tk.Advance(TTargetWindowPage::kSampleIntervalMs);
  }
  bool Locked() {
    return Page().spbTargetLock->Down() && !Page().spbTargetUnLock->Down() && !Page().grpTargetWindow->Enabled() &&
           !Page().edtWinTitle->Enabled() && !Page().btnTargetClear->Enabled() && gTargetLocked;
  }
  bool Unlocked() {
    return !Page().spbTargetLock->Down() && Page().spbTargetUnLock->Down() && Page().grpTargetWindow->Enabled() &&
           Page().edtWinTitle->Enabled() && Page().btnTargetClear->Enabled() && !gTargetLocked;
  }
  std::vector<std::string> BoxesSaying(const std::string& text) {
    std::vector<std::string> all = BoxTexts();
    all.erase(std::remove_if(all.begin(), all.end(), [&](const std::string& t) { return t != text; }), all.end());
    return all;
  }

  FakeWindowService windows;
};

TEST_F(TargetWindowPageTest, TheProgramsOwnWindowsAreNeverListed) {
  ShowTargetPage();
  // Class and current caption together make a window the program's own.
  Front(10, "TfrmOption", option->Caption());
  Front(11, "TfrmMain", main->Caption());
  Front(12, "TfrmComm", comm->Caption());
  EXPECT_TRUE(Rows().empty());
  Front(13, "TfrmMain", "Another program's main window");
  Front(14, "#32770", option->Caption());
  EXPECT_EQ(Rows(), (std::vector<std::vector<std::string>>{{"1", "13", "TfrmMain", "Another program's main window"},
                                                           {"2", "14", "#32770", "Option"}}));
  // A caption from a language file counts from the moment it is set.
  option->SetCaption("Options of KM-27");
  Front(15, "TfrmOption", "Options of KM-27");
  Front(16, "TfrmOption", "Option");
  ASSERT_EQ(Rows().size(), 3u);
  EXPECT_EQ(Rows()[2][1], "16");
}

TEST_F(TargetWindowPageTest, WindowsTakingTurnsInFrontAreListedOnceEach) {
  ShowTargetPage();
  for (int i = 0; i < 8; ++i) {
    Front(0xFFFFFFF0u, "  Notepad\t", " Untitled - Notepad ");
    Front(0x2004C, "KM27Target", "KM27 Target");
  }
  // Handle as unsigned decimal, class trimmed, title as read.
  EXPECT_EQ(Rows(), (std::vector<std::vector<std::string>>{{"1", "4294967280", "Notepad", " Untitled - Notepad "},
                                                           {"2", "131148", "KM27Target", "KM27 Target"}}));
  EXPECT_EQ(windows.titleLimits.back(), 1000u);
  EXPECT_EQ(windows.classLimits.back(), 255u);
  // No foreground window, or one that closed while it was read, adds nothing.
  windows.foreground = 0;
  tk.Advance(500);
  windows.foreground = 77;
  tk.Advance(500);
  EXPECT_EQ(Rows().size(), 2u);
}

TEST_F(TargetWindowPageTest, SamplingRunsOnlyWhileThePageIsShown) {
  ShowTargetPage();
  Front(20, "Notepad", "a.txt - Notepad");
  ASSERT_EQ(Rows().size(), 1u);
  FakeToolkit::Click(*option, "actGeneral");
  EXPECT_FALSE(Page().Timer2->Enabled());

  // Showing the page again starts over with an empty list, as does Refresh.
  FakeToolkit::Click(*option, "actTargetWindow");
  EXPECT_TRUE(Rows().empty());
  Front(21, "Notepad", "b.txt - Notepad");
  EXPECT_EQ(Rows().size(), 1u);
  FakeToolkit::Click(*option, "btnTargetListRefresh");
  EXPECT_TRUE(Rows().empty());
  Front(21, "Notepad", "b.txt - Notepad");
  EXPECT_EQ(Rows().size(), 1u);

  FakeToolkit::Click(*option, "btnCancel");
  ASSERT_FALSE(option->Showing());
  EXPECT_FALSE(Page().Timer2->Enabled());
}

TEST_F(TargetWindowPageTest, AWindowThatCannotBeReadIsReportedAndSamplingGoesOn) {
  ShowTargetPage();
  windows.failNextRead = "Access is denied.";
  Front(30, "Notepad", "a.txt - Notepad");
  ASSERT_EQ(tk.boxes.size(), 1u);
  EXPECT_EQ(tk.boxes[0].text, "Access is denied.");
  EXPECT_EQ(tk.boxes[0].icon, ui::MsgIcon::None);
  EXPECT_TRUE(Rows().empty());
  EXPECT_TRUE(Page().Timer2->Enabled());
  Front(30, "Notepad", "a.txt - Notepad");
  EXPECT_EQ(Rows().size(), 1u);
}

TEST_F(TargetWindowPageTest, PickingFillsTheIdentifiersUnlessLocked) {
  ShowTargetPage();
  Front(40, "Notepad", "a.txt - Notepad");
  Front(41, "KM27Target", "KM27 Target");
  FakeToolkit::Select(*option, "lvwHWND", 0);
  EXPECT_EQ(Page().edtHWND->Text(), "40");
  EXPECT_EQ(Page().edtClassName->Text(), "Notepad");
  EXPECT_EQ(Page().edtWinTitle->Text(), "a.txt - Notepad");
  EXPECT_EQ(Page().grpTargetWindow->Caption(), gstrTargetUnLock);

  FakeToolkit::Click(*option, "spbTargetLock");
  EXPECT_TRUE(Locked());
  EXPECT_TRUE(tk.boxes.empty());
  EXPECT_EQ(Page().grpTargetWindow->Caption(), "Target Window Lock ( Locked! )");
  EXPECT_EQ(Page().spbTargetLock->ImageIndex(), kLockImageLocked);
  EXPECT_EQ(Page().spbTargetUnLock->ImageIndex(), kUnlockImageLocked);
  FakeToolkit::Select(*option, "lvwHWND", 1);
  EXPECT_EQ(Page().edtHWND->Text(), "40");
  EXPECT_EQ(Page().edtWinTitle->Text(), "a.txt - Notepad");

  // Unlocking asks; Cancel keeps the lock.
  tk.QueueAnswer(MsgResult::Cancel);
  FakeToolkit::Click(*option, "spbTargetUnLock");
  ASSERT_EQ(tk.boxes.size(), 1u);
  EXPECT_EQ(tk.boxes[0].text, "Unlock?");
  EXPECT_EQ(tk.boxes[0].icon, ui::MsgIcon::Information);
  EXPECT_EQ(tk.boxes[0].buttons, ui::MsgButtons::OKCancel);
  EXPECT_TRUE(Locked());
  tk.QueueAnswer(MsgResult::OK);
  FakeToolkit::Click(*option, "spbTargetUnLock");
  EXPECT_TRUE(Unlocked());
  EXPECT_EQ(Page().grpTargetWindow->Caption(), "Target Window Lock ( Unlock )");
  EXPECT_EQ(Page().spbTargetLock->ImageIndex(), kLockImage);
  EXPECT_EQ(Page().spbTargetUnLock->ImageIndex(), kUnlockImage);
  EXPECT_FALSE(Page().chkHWND->Enabled());
  EXPECT_TRUE(Page().chkHWND->Checked());
  FakeToolkit::Select(*option, "lvwHWND", 1);
  EXPECT_EQ(Page().edtHWND->Text(), "41");

  // A language applied on another page leaves the lock's caption to the page.
  FakeToolkit::Click(*option, "actGeneral");
  Page().grpTargetWindow->SetCaption("Target Window");
  FakeToolkit::Click(*option, "actTargetWindow");
  EXPECT_EQ(Page().grpTargetWindow->Caption(), "Target Window Lock ( Unlock )");

  // Clicking the button of the state in force does nothing.
  FakeToolkit::Click(*option, "spbTargetUnLock");
  EXPECT_EQ(tk.boxes.size(), 2u);
  EXPECT_TRUE(Unlocked());
}

TEST_F(TargetWindowPageTest, LockWithoutAnIdentifierSaysNoSelect) {
  ShowTargetPage();
  FakeToolkit::Click(*option, "btnTargetClear");
  FakeToolkit::Click(*option, "spbTargetLock");
  ASSERT_EQ(tk.boxes.size(), 1u);
  EXPECT_EQ(tk.boxes[0].text, "No Select");
  EXPECT_EQ(tk.boxes[0].icon, ui::MsgIcon::Confirmation);
  EXPECT_TRUE(Unlocked());
  // One identifier is enough.
  FakeToolkit::EnterText(*option, "edtClassName", "Notepad");
  FakeToolkit::Click(*option, "spbTargetLock");
  EXPECT_TRUE(Locked());
}

TEST_F(TargetWindowPageTest, AStoredLockWithoutValuesSaysNoSelectOnShowAndStartsUnlocked) {
  TargetWindow.TargetLock = true;
  gTargetLocked = true;
  ShowTargetPage();
  EXPECT_EQ(BoxesSaying("No Select").size(), 1u);
  EXPECT_TRUE(Unlocked());
  EXPECT_EQ(Page().grpTargetWindow->Caption(), gstrTargetUnLock);
  FakeToolkit::Click(*option, "btnOK");
  EXPECT_FALSE(TargetWindow.TargetLock);

  // With a value the stored lock holds without a word.
  TargetWindow.TargetLock = true;
  TargetWindow.WindowTitle = "KM27 Target";
  tk.boxes.clear();
  ShowTargetPage();
  EXPECT_TRUE(tk.boxes.empty());
  EXPECT_TRUE(Locked());
  EXPECT_EQ(Page().edtWinTitle->Text(), "KM27 Target");
}

TEST_F(TargetWindowPageTest, OKStoresTheTargetAndTheMainWindowShowsIt) {
  TargetWindow.CheckHWND = false;
  TargetWindow.CheckClassName = true;
  TargetWindow.HWND = "9";
  TargetWindow.ClassName = "Old";
  ShowTargetPage();
  EXPECT_TRUE(Page().chkHWND->Checked());
  EXPECT_TRUE(Page().chkClassName->Checked());
  EXPECT_FALSE(Page().chkWinTitle->Checked());
  EXPECT_EQ(Page().edtClassName->Text(), "Old");

  Front(50, "KM27Target", "KM27 Target");
  FakeToolkit::Select(*option, "lvwHWND", 0);
  FakeToolkit::Check(*option, "chkClassName", false);
  FakeToolkit::Check(*option, "chkWinTitle", true);
  FakeToolkit::Click(*option, "spbTargetLock");
  FakeToolkit::Click(*option, "btnOK");
  ASSERT_FALSE(option->Showing());
  EXPECT_EQ(saves, 1);
  EXPECT_TRUE(TargetWindow.CheckHWND);
  EXPECT_FALSE(TargetWindow.CheckClassName);
  EXPECT_TRUE(TargetWindow.CheckWindowTitle);
  EXPECT_EQ(TargetWindow.HWND, "50");
  EXPECT_EQ(TargetWindow.ClassName, "KM27Target");
  EXPECT_EQ(TargetWindow.WindowTitle, "KM27 Target");
  EXPECT_TRUE(TargetWindow.TargetLock);
  const auto& values = main->lstSetupValue->Items();
  EXPECT_NE(std::find_if(values.begin(), values.end(),
                         [](const std::string& v) { return v.find("KM27 Target (KM27Target)") != std::string::npos; }),
            values.end());

  // The next show brings the same values back, locked.
  ShowTargetPage();
  EXPECT_TRUE(Locked());
  EXPECT_TRUE(Page().chkWinTitle->Checked());
  EXPECT_EQ(Page().edtHWND->Text(), "50");
}

TEST_F(TargetWindowPageTest, TheCloseQuestionLooksAtTheTargetOnlyOnItsPage) {
  ShowTargetPage();
  // Nothing changed (the handle's box is always checked, whatever was stored).
  FakeToolkit::Click(*option, "btnCancel");
  EXPECT_FALSE(option->Showing());
  EXPECT_TRUE(BoxesSaying("Save data?").empty());

  ShowTargetPage();
  FakeToolkit::EnterText(*option, "edtWinTitle", "Edited");
  FakeToolkit::Click(*option, "actGeneral");
  FakeToolkit::Click(*option, "btnCancel");
  EXPECT_FALSE(option->Showing());
  EXPECT_TRUE(BoxesSaying("Save data?").empty());

  ShowTargetPage();
  FakeToolkit::EnterText(*option, "edtWinTitle", "Edited");
  tk.QueueAnswer(MsgResult::Yes);
  FakeToolkit::Click(*option, "btnCancel");
  EXPECT_EQ(BoxesSaying("Save data?").size(), 1u);
  EXPECT_FALSE(option->Showing());
  EXPECT_EQ(TargetWindow.WindowTitle, "Edited");
}

// A 64-bit program sees the handles a 32-bit one sees, sign-extended: both
// builds keep the same number (and so list and store the same text), and
// hand Windows back the handle in their own width.
TEST(WindowHandleTest, BothBuildsKeepTheSameNumberForAWindow) {
  const struct { uint32_t bits32; uint64_t bits64; } handles[] = {
      {0x0002004Cu, 0x000000000002004Cull}, {0x80001234u, 0xFFFFFFFF80001234ull}, {0xFFFFFFF0u, 0xFFFFFFFFFFFFFFF0ull}};
  for (const auto& h : handles) {
    EXPECT_EQ(WindowHandleFromBits(h.bits32), WindowHandleFromBits(h.bits64));
    EXPECT_EQ(static_cast<uint64_t>(WindowHandleBits(WindowHandleFromBits(h.bits64))), h.bits64);
    EXPECT_EQ(static_cast<uint32_t>(WindowHandleBits(WindowHandleFromBits(h.bits32))), h.bits32);
  }
}

}  // namespace
}  // namespace km27::test
