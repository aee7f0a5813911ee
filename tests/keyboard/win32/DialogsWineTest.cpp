// The key code and read data dialogs as real windows under Wine: the key
// notation filter against real character messages, a row click composing
// the text, and a swipe from the reader simulator through the real serial
// port into the read data dialog, marked with the mouse and handed back.
//
// Wine's ANSI code page follows the Unix locale of the test machine (not a
// Japanese one), so the tests put in the code page 932 lead bytes through the
// program's code page interface, the one the filter asks: the character
// messages are then judged as on a Japanese system, while the messages, the
// peek for the trail byte and the beep are Windows' own.
//
// With KM27_SHOTS set (a directory), each dialog in its state of interest is
// announced there as <name>.ready and held until the running script has taken
// a screenshot and removed the file.
#include <windows.h>
#undef MessageBox
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "common/CodePage.h"
#include "device/Comm.h"
#include "keyboard/KeyCode.h"
#include "keyboard/ReadData.h"
#include "settings/Define.h"
#include "settings/Language.h"
#include "settings/Messages.h"
#include "settings/win32/Win32FileSystem.h"
#include "shell/ReadConsumers.h"
#include "tests/serial/win32/SimClient.h"
#include "tests/wine/HoldForScreenshot.h"
#include "ui/win32/Win32Application.h"
#include "ui/win32/Win32FormPeer.h"

namespace km27 {
namespace {

using test::HoldForScreenshot;

class CountingApp : public ui::Win32Application {
 public:
  CountingApp() : ui::Win32Application(GetModuleHandleA(nullptr)) {}
  void SimpleBeep() override {
    ++simpleBeeps;
    Win32Application::SimpleBeep();
  }
  int simpleBeeps = 0;
};

std::string Text(HWND h) {
  int n = GetWindowTextLengthA(h);
  std::string s(static_cast<size_t>(n) + 1, '\0');
  s.resize(static_cast<size_t>(GetWindowTextA(h, s.data(), n + 1)));
  return s;
}

// The shipped English texts (the program lies beside the language files).
void ApplyEnglish(ui::Form* keyCode, ui::Form* readData) {
  InstallWin32SettingsServices();
  LanguageForms forms;
  forms.keyCode = keyCode;
  forms.readData = readData;
  SetLanguageForms(forms);
  LanguageFiles = {"English.rlf"};
  LoadLanguage(0);
  SetLanguageForms(LanguageForms{});
}

class DialogTest : public ::testing::Test {
 protected:
  DialogTest() {
    ResetSettingsToBuiltIn();
    ResetMessageTexts();
    ui::SetApp(&app);
    SetAnsiCodePage(&cp932);
  }
  ~DialogTest() override {
    SetAnsiCodePage(nullptr);
    ui::SetApp(nullptr);
    ResetSettingsToBuiltIn();
  }
  template <typename Pred>
  bool PumpUntil(Pred pred, DWORD ms = 5000) {
    DWORD start = GetTickCount();
    while (!pred()) {
      if (GetTickCount() - start >= ms) return pred();
      app.ProcessMessages();
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
  }
  void Pump(DWORD ms) {
    DWORD start = GetTickCount();
    PumpUntil([&] { return GetTickCount() - start >= ms; }, ms + 1000);
  }
  static HWND W(ui::Form& f, const ui::Component& c) {
    return static_cast<ui::Win32FormPeer*>(f.Peer())->ControlWindow(c);
  }
  static HWND FormWindow(ui::Form& f) { return static_cast<ui::Win32FormPeer*>(f.Peer())->Hwnd(); }
  CountingApp app;
  CodePage932 cp932;
};

// ---- key code dialog ----

class KeyCodeWine : public DialogTest {
 protected:
  KeyCodeWine() {
    ApplyEnglish(&dlg, nullptr);
    dlg.edtKeyCode->SetText("AB");
    dlg.Show();
    Pump(100);
    edit = W(dlg, *dlg.edtKeyCode);
    SetFocus(edit);
    SendMessageA(edit, EM_SETSEL, 2, 2);
  }
  // Character messages waiting together, as the keyboard or the input method leaves them.
  void Chars(std::initializer_list<int> codes) {
    for (int c : codes) PostMessageA(edit, WM_CHAR, static_cast<WPARAM>(c), 1);
    Pump(50);
  }
  TfrmKeyCode dlg;
  HWND edit = nullptr;
};

TEST_F(KeyCodeWine, DoubleByteCharacterBeepsAndLeavesTheTextUnchanged) {
  ASSERT_NE(edit, nullptr);
  Chars({0x82, 0xA0});  // "あ"
  EXPECT_EQ(Text(edit), "AB");
  EXPECT_EQ(app.simpleBeeps, 1);
  Chars({0x82, 0x60});  // "Ａ": its trail byte would be a "`"
  EXPECT_EQ(Text(edit), "AB");
  EXPECT_EQ(app.simpleBeeps, 2);
  Chars({'c'});
  Chars({0x82});  // a lone lead byte; what comes later is typed
  Chars({'d', 0xB1, 0x7F});  // half-width kana and DEL are dropped without a beep
  EXPECT_EQ(Text(edit), "ABcd");
  EXPECT_EQ(app.simpleBeeps, 3);
  // The input method's double-byte character as one message.
  SendMessageA(edit, WM_IME_CHAR, 0x82A0, 1);
  EXPECT_EQ(Text(edit), "ABcd");
  EXPECT_EQ(app.simpleBeeps, 4);
  EXPECT_EQ(dlg.edtKeyCode->Text(), "ABcd");

  // Switched off, the edit takes what it is given again.
  dlg.edtKeyCode->SetKeyNotationInput(false);
  Chars({0x82, 0x60});
  EXPECT_EQ(Text(edit).size(), 6u);
  EXPECT_EQ(app.simpleBeeps, 4);
}

TEST_F(KeyCodeWine, RowClickPutsTheKeyNameAtTheCaretAndOkConfirms) {
  HWND list = W(dlg, *dlg.lvwKeyTable);
  ASSERT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 64);
  int enter = -1;
  for (size_t i = 0; i < dlg.lvwKeyTable->Rows().size(); ++i)
    if (dlg.lvwKeyTable->Rows()[i].subItems[0] == "ENTER") enter = static_cast<int>(i);
  SendMessageA(edit, EM_SETSEL, 1, 1);  // the caret between "A" and "B"
  SetFocus(list);                       // the user goes to the list
  LVITEMA state{};
  state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(enter), reinterpret_cast<LPARAM>(&state));
  NMITEMACTIVATE click{};
  click.hdr.hwndFrom = list;
  click.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(list));
  click.hdr.code = static_cast<UINT>(NM_CLICK);
  click.iItem = enter;
  SendMessageA(FormWindow(dlg), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
  Pump(50);
  EXPECT_EQ(Text(edit), "A[ENTER]B");
  EXPECT_EQ(Text(W(dlg, *dlg.btnClear)), "Clear");  // the language file reaches the dialog
  HoldForScreenshot(app, "key-code");
  SendMessageA(W(dlg, *dlg.btnOK), BM_CLICK, 0, 0);
  Pump(50);
  EXPECT_TRUE(dlg.confirmed);
  EXPECT_FALSE(IsWindowVisible(FormWindow(dlg)));
}

// ---- read data dialog ----

class Host : public IReadDataHost {
 public:
  int TrackTabIndex() override { return 1; }
  std::string TrackTabCaption() override { return "Track 2"; }
  int BlockStart() override { return start; }
  int BlockDigit() override { return digit; }
  void SetBlockRange(int s, int d) override {
    start = s;
    digit = d;
  }
  int start = 1, digit = 1;
};

TEST_F(DialogTest, ReadDataTakesASwipeAndHandsTheMarkedBlockBack) {
  test::SimClient sim;
  if (!sim.Available()) GTEST_SKIP() << "run through keyboard_dialogs_wine.sh (no simulator)";
  Serial.Port = sim.ComNumber();
  Serial.Parity = 0;  // a pseudo-terminal refuses even parity
  CardData.Tracks = "1100";
  CardData.TrackUse = "1100";
  sim.Command("silent off");

  TfrmComm comm(CreateCommX());
  TfrmReadData dlg;
  ApplyEnglish(nullptr, &dlg);
  EXPECT_EQ(dlg.lblBlockStart->Caption(), "Start Position");
  Host host;
  int mainShown = 0;
  dlg.Host = &host;
  dlg.Run.Start = [&] { gRunning = comm.OpenPort(true); };
  dlg.Run.Stop = [&] {
    comm.ClosePort();
    gRunning = false;
  };
  dlg.Run.ShowMain = [&] { ++mainShown; };
  TReadConsumers consumers;
  consumers.readData = &dlg;
  comm.readConsumers = &consumers;

  dlg.Show();
  ASSERT_TRUE(gRunning) << "the dialog did not open the port";
  Pump(100);
  HWND data = W(dlg, *dlg.edtBlockCardData);
  EXPECT_EQ(Text(W(dlg, *dlg.lblReadTrack)), "Track 2");
  EXPECT_EQ(Text(W(dlg, *dlg.lblMessage)), "No Read Data");
  ASSERT_EQ(sim.Command("swipe 0:4900123456789 0:1234567890").substr(0, 2), "OK");
  ASSERT_TRUE(PumpUntil([&] { return Text(data) == "1234567890"; })) << Text(data);
  EXPECT_EQ(Text(W(dlg, *dlg.edtBlockDigit)), "10");
  EXPECT_EQ(Text(W(dlg, *dlg.lblMessage)), "");

  // The user drags over characters 5 to 8.
  LRESULT from = SendMessageA(data, EM_POSFROMCHAR, 4, 0);
  LRESULT to = SendMessageA(data, EM_POSFROMCHAR, 8, 0);
  LPARAM a = MAKELPARAM(LOWORD(from) + 1, HIWORD(from) + 3), b = MAKELPARAM(LOWORD(to) + 1, HIWORD(to) + 3);
  PostMessageA(data, WM_LBUTTONDOWN, MK_LBUTTON, a);
  PostMessageA(data, WM_MOUSEMOVE, MK_LBUTTON, b);
  PostMessageA(data, WM_LBUTTONUP, 0, b);
  PostMessageA(data, WM_MOUSEMOVE, 0, b);
  ASSERT_TRUE(PumpUntil([&] { return Text(W(dlg, *dlg.edtBlockDigit)) == "4"; }))
      << Text(W(dlg, *dlg.edtBlockStart)) << "/" << Text(W(dlg, *dlg.edtBlockDigit));
  EXPECT_EQ(Text(W(dlg, *dlg.edtBlockStart)), "5");
  HoldForScreenshot(app, "read-data");

  SendMessageA(W(dlg, *dlg.btnOK), BM_CLICK, 0, 0);
  Pump(50);
  EXPECT_EQ(host.start, 5);
  EXPECT_EQ(host.digit, 4);
  EXPECT_FALSE(gRunning);
  EXPECT_FALSE(comm.CommX1().IsOpen());
  EXPECT_EQ(mainShown, 1);
  comm.readConsumers = nullptr;
}

}  // namespace
}  // namespace km27
