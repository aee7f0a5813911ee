// The Key Data page of the options dialog as real windows under Wine, with
// the shipped English texts: the picture's lines drawn corner to corner in
// their pen and only there, the key code button beside the box being edited,
// a tab change refused from the real tab control, and the sub-pages with the
// two-track and the single-track picture for a person to look at.
//
// With KM27_SHOTS set (a directory), each state of interest is announced
// there and held for the script's screenshot (tests/wine/HoldForScreenshot.h).
#include <windows.h>
#undef MessageBox
#include <commctrl.h>

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "settings/Define.h"
#include "settings/Language.h"
#include "settings/Messages.h"
#include "settings/win32/Win32FileSystem.h"
#include "shell/option/BlockEditor.h"
#include "shell/option/BlockLists.h"
#include "shell/option/KeyCodePanel.h"
#include "shell/option/KeyDataFormat.h"
#include "shell/option/KeyDataPage.h"
#include "shell/option/KeyDataPicture.h"
#include "shell/option/Option.h"
#include "tests/wine/HoldForScreenshot.h"
#include "ui/win32/Win32Application.h"
#include "ui/win32/Win32FormPeer.h"

namespace km27 {
namespace {

using test::HoldForScreenshot;

// Message boxes answered from a script instead of waiting for a person.
class ScriptedApp : public ui::Win32Application {
 public:
  ScriptedApp() : ui::Win32Application(GetModuleHandleA(nullptr)) {}
  std::deque<ui::MsgResult> answers;
  std::vector<std::string> boxes;

 protected:
  ui::MsgResult ShowMessageBox(const std::string& text, const std::string&, ui::MsgIcon, ui::MsgButtons) override {
    boxes.push_back(text);
    if (answers.empty()) return ui::MsgResult::OK;
    ui::MsgResult a = answers.front();
    answers.pop_front();
    return a;
  }
};

class KeyDataWine : public ::testing::Test {
 protected:
  KeyDataWine() {
    ResetSettingsToBuiltIn();
    ResetMessageTexts();
    ui::SetApp(&app);
    CardData.Tracks = "1100";
    CardData.TrackUse = "1100";
    KeyData.Header = "[ENTER]";
    KeyData.TrackSeparator = "/";
    KeyData.Blocks = {{1, true, 1, 1, "", "."}, {1, false, 3, 4, "<", ">"}, {2, false, 1, 6, "", "[TAB]"}};
    KeyData.BlockNum = 3;
    TOptionLinks links;
    links.ApplyReleaseMode = [this] { dlg->ApplyOptionLayout(); };
    dlg = std::make_unique<TfrmOption>(links);
    // The shipped English texts (the program lies beside the language files).
    InstallWin32SettingsServices();
    LanguageForms forms;
    forms.option = dlg.get();
    SetLanguageForms(forms);
    LanguageFiles = {"English.rlf"};
    LoadLanguage(0);
    SetLanguageForms(LanguageForms{});
    gOptionPage = 3;
  }
  ~KeyDataWine() override {
    dlg.reset();
    ui::SetApp(nullptr);
    ResetSettingsToBuiltIn();
  }
  void Show() {
    dlg->Show();
    Pump(200);
  }
  void Pump(DWORD ms) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
      app.ProcessMessages();
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
  }
  HWND W(const ui::Component& c) { return static_cast<ui::Win32FormPeer*>(dlg->Peer())->ControlWindow(c); }
  RECT ScreenRect(const ui::Component& c) {
    RECT r{};
    GetWindowRect(W(c), &r);
    return r;
  }
  // The user clicks the tab control's tab `index` with the mouse.
  void ClickTab(ui::TabControl& tabs, int index) {
    HWND h = W(tabs);
    RECT r{};
    SendMessageA(h, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(h, WM_LBUTTONUP, 0, at);
    Pump(100);
  }
  TKeyDataPage& Page() { return dlg->KeyDataPage(); }

  ScriptedApp app;
  std::unique_ptr<TfrmOption> dlg;
};

TEST_F(KeyDataWine, PictureLinesAreDrawnCornerToCornerAndNothingBeside) {
  Show();
  TKeyDataPicture& pic = Page().Picture();
  HDC screen = GetDC(nullptr);
  for (ui::TLine* line : {pic.Line1, pic.Line2}) {
    SCOPED_TRACE(line->Name());
    // Points of the line in screen coordinates (both lines run flatter than
    // 45 degrees: a step across the line is a step up or down).
    RECT panel = ScreenRect(*pic.pnlPicture);
    auto at = [&](double t, int dy) {
      return POINT{panel.left + line->X1() + static_cast<int>((line->X2() - line->X1()) * t + 0.5),
                   panel.top + line->Y1() + static_cast<int>((line->Y2() - line->Y1()) * t + 0.5) + dy};
    };
    auto nearPen = [&](POINT p) {
      for (int dy = -1; dy <= 1; ++dy)
        if (GetPixel(screen, p.x, p.y + dy) == line->GetPen().color) return true;
      return false;
    };
    for (double t : {0.0, 0.25, 0.5, 0.75, 1.0}) EXPECT_TRUE(nearPen(at(t, 0))) << "t=" << t;
    // Beside the middle of the line lies the picture, and a click there
    // reaches what lies beneath: the window holds only the line.
    POINT off = at(0.5, 6);
    EXPECT_EQ(GetPixel(screen, off.x, off.y), pic.pnlPicture->Color());
    EXPECT_NE(WindowFromPoint(off), W(*line));
  }
  ReleaseDC(nullptr, screen);
  HoldForScreenshot(app, "keydata-format");
}

TEST_F(KeyDataWine, SubPagesAndTheKeyCodeButtonBesideTheBox) {
  Show();
  ui::PageControl& pages = *Page().PageControl3;
  pages.SetActivePage(Page().tabBlockFormat);
  ui::ListView& list = *Page().Lists().lvwEditBlockData;
  list.UserClick(1);
  Page().Editor().edtBlockFooter->SetText(">>");
  SetFocus(W(*Page().Editor().edtBlockFooter));
  Pump(300);
  ui::Button& button = *Page().KeyCode().btnKeyCode;
  EXPECT_TRUE(IsWindowVisible(W(button)));
  RECT box = ScreenRect(*Page().Editor().edtBlockFooter), b = ScreenRect(button);
  EXPECT_GE(b.left, box.right);
  EXPECT_LT(b.left, box.right + 12);
  EXPECT_LT(b.top, box.bottom);
  EXPECT_GT(b.bottom, box.top);
  // On a page with tabs the group's inside has the page's window colour
  // (beside "All Data", where nothing else is drawn).
  RECT group = ScreenRect(*Page().Editor().grpBlockData);
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(GetPixel(screen, group.right - 10, group.top + 30), GetSysColor(COLOR_WINDOW));
  ReleaseDC(nullptr, screen);
  HoldForScreenshot(app, "keydata-blocks");

  pages.SetActivePage(Page().tabDatatable);
  Pump(100);
  EXPECT_FALSE(IsWindowVisible(W(button)));
  EXPECT_TRUE(IsWindowVisible(W(*Page().Lists().lvwBlockData)));
  HoldForScreenshot(app, "keydata-table");
}

TEST_F(KeyDataWine, RefusedTabChangeKeepsTheRealTab) {
  Show();
  Page().PageControl3->SetActivePage(Page().tabBlockFormat);
  Pump(100);
  ui::TabControl& tabs = *Page().Lists().tabTracks;
  Page().Lists().lvwEditBlockData->UserClick(0);
  Page().Editor().edtBlockHeader->SetText("changed");
  app.answers = {ui::MsgResult::Cancel};
  ClickTab(tabs, 1);
  ASSERT_EQ(app.boxes, (std::vector<std::string>{"Update?"}));
  EXPECT_EQ(tabs.ItemIndex(), 0);
  EXPECT_EQ(SendMessageA(W(tabs), TCM_GETCURSEL, 0, 0), 0);
  app.answers = {ui::MsgResult::No};
  ClickTab(tabs, 1);
  EXPECT_EQ(tabs.ItemIndex(), 1);
  EXPECT_EQ(SendMessageA(W(tabs), TCM_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(Page().Lists().lvwEditBlockData->Rows().size(), 1u);
}

TEST_F(KeyDataWine, SingleTrackPicture) {
  CardData.Tracks = "1000";
  CardData.TrackUse = "1000";
  CardData.SingleTrack = true;
  Show();
  TKeyDataPicture& pic = Page().Picture();
  EXPECT_FALSE(IsWindowVisible(W(*pic.lblPicTrack2)));
  EXPECT_FALSE(IsWindowVisible(W(*Page().Format().rdgTrackSeparator)));
  EXPECT_EQ(ScreenRect(*pic.lblPicTerminator).left, ScreenRect(*pic.lblPicSeparator).left);
  HoldForScreenshot(app, "keydata-single-track");
}

}  // namespace
}  // namespace km27
