// Typing into a real edit control: the Windows injector sends the events,
// the system turns them into characters for the focused control, and the
// control's text is compared with what was meant.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "keyboard/KeyInjection.h"
#include "keyboard/KeyNotation.h"
#include "keyboard/KeyOutput.h"
#include "keyboard/win32/Win32ForegroundWindow.h"
#include "keyboard/win32/Win32KeyInjector.h"
#include "settings/Define.h"

namespace km27 {
namespace {

class EditWindow {
 public:
  EditWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "KM27KeyTypingTest";
    RegisterClassA(&wc);
    frame_ = CreateWindowExA(0, wc.lpszClassName, "Typing test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                             600, 400, nullptr, nullptr, wc.hInstance, nullptr);
    edit_ = CreateWindowExA(0, "EDIT", "",
                            WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL |
                                ES_AUTOHSCROLL,
                            0, 0, 580, 360, frame_, nullptr, wc.hInstance, nullptr);
    ShowWindow(frame_, SW_SHOW);
    SetForegroundWindow(frame_);
    SetActiveWindow(frame_);
    SetFocus(edit_);
    Pump(200);
  }
  ~EditWindow() { DestroyWindow(frame_); }

  bool Ready() const { return frame_ && edit_ && GetFocus() == edit_; }

  // Empties the control and takes the focus back, should another window
  // have come up in between.
  void Clear() {
    SetWindowTextA(edit_, "");
    SetForegroundWindow(frame_);
    SetFocus(edit_);
    Pump(50);
  }

  // Runs the message loop until the control's text has not changed for a
  // while, so every queued key event has been handled.
  std::string Text() {
    std::string last = Read();
    DWORD stableSince = GetTickCount();
    const DWORD start = stableSince;
    while (GetTickCount() - stableSince < 300 && GetTickCount() - start < 10000) {
      Pump(20);
      const std::string now = Read();
      if (now != last) {
        last = now;
        stableSince = GetTickCount();
      }
    }
    return last;
  }

 private:
  static void Pump(DWORD ms) {
    const DWORD start = GetTickCount();
    do {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
      Sleep(5);
    } while (GetTickCount() - start < ms);
  }
  std::string Read() const {
    const int n = GetWindowTextLengthA(edit_);
    std::string s(static_cast<size_t>(n) + 1, '\0');
    const int got = GetWindowTextA(edit_, s.data(), n + 1);
    s.resize(static_cast<size_t>(got > 0 ? got : 0));
    return s;
  }

  HWND frame_ = nullptr;
  HWND edit_ = nullptr;
};

class WineTyping : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    InstallWin32KeyInjector();
    window = new EditWindow;
  }
  static void TearDownTestSuite() {
    delete window;
    window = nullptr;
    SetKeyInjector(nullptr);
  }
  void SetUp() override {
    ResetKeyState();
    ResetSettingsToBuiltIn();
    window->Clear();
    ASSERT_TRUE(window->Ready()) << "the edit control did not get the focus";
  }
  void TearDown() override { ResetSettingsToBuiltIn(); }
  static EditWindow* window;
};

EditWindow* WineTyping::window = nullptr;

TEST_F(WineTyping, EveryPrintableCharacterArrives) {
  // Wine on a bare X server reports some characters (the round brackets
  // among them) as having no key; those go as Unicode key events.
  std::string all, keyless;
  for (int c = 0x20; c <= 0x7E; ++c) {
    all += static_cast<char>(c);
    if (VkKeyScanA(static_cast<char>(c)) == -1) keyless += static_cast<char>(c);
  }
  TakeCharsTypedAsUnicode();
  TypeChars(all, true, true);
  EXPECT_EQ(window->Text(), all);
  EXPECT_EQ(TakeCharsTypedAsUnicode(), keyless);
}

TEST_F(WineTyping, ControlCharactersAndBytesWithoutAKey) {
  // Backspace, Enter, Tab, Left and Home are keys; 0x00, 0x13 and 0x80-0xFF
  // are skipped. The caret goes back before "E", then to the line's start.
  TypeChars(std::string("ab\x08" "c\r" "d\xE9\x80\tE\x00\x13" "f\x1D\x1D" "G\x0C" "H", 18), true, true);
  EXPECT_EQ(window->Text(), "ac\r\nHd\tGEf");
}

TEST_F(WineTyping, CapsLockOnStillTypesTheCaseAskedFor) {
  const bool before = (GetKeyState(VK_CAPITAL) & 1) != 0;
  TypeKeyString("[CAPS]");
  window->Text();  // lets the toggle reach this thread's key state
  const bool after = (GetKeyState(VK_CAPITAL) & 1) != 0;
  TypeChars("aB1!", true, true);
  const std::string typed = window->Text();
  TypeKeyString("[CAPS]");
  window->Text();
  EXPECT_NE(before, after) << "Caps Lock did not toggle";
  EXPECT_EQ(typed, "aB1!");
}

TEST_F(WineTyping, NotationWithNamedKeysAndChords) {
  TypeKeyString(" Ab1![TAB]x([SHIFT]yz)[ENTER]([SHIFT]q)[Enter][SPACE]end([LEFT])([BACK])D ");
  EXPECT_EQ(window->Text(), "Ab1!\txYZ\r\nQ[Enter] eDd");
}

TEST_F(WineTyping, FormattedCardRead) {
  CardData.Tracks = "1110";
  CardData.TrackUse = "1110";
  CardData.TrackStatus[1] = "0";
  CardData.TrackData[1] = "%B1234567890^DOE/JOHN^2512?";
  CardData.TrackStatus[2] = "3";
  CardData.TrackData[2] = "";
  CardData.TrackStatus[3] = "0";
  CardData.TrackData[3] = ";0123456789=2512?";
  KeyData.Header = "[HOME]Card:";
  KeyData.TrackSeparator = "[TAB]";
  KeyData.Terminator = "[ENTER]";
  TBlockData name;
  name.Track = 1;
  name.AllData = false;
  name.Start = 14;
  name.Digit = 8;
  name.BlockHeader = "(N)=";
  TBlockData all3;
  all3.Track = 3;
  all3.BlockHeader = "<";
  all3.BlockFooter = ">";
  KeyData.Blocks = {name, all3};
  KeyData.BlockNum = 2;
  SendKeyData();
  EXPECT_EQ(window->Text(), "Card:N=DOE/JOHN\t\t<;0123456789=2512?>\r\n");
}

// Random card data and notation texts: afterwards Windows itself sees Shift,
// Ctrl and Alt up (a key left down would change every key the user types).
TEST_F(WineTyping, ModifiersAreAllUpAfterTyping) {
  std::mt19937 rng(17);
  const char* const tokens[] = {"a", "Z", "7", "!", "~", "[TAB]", "[ENTER]", "[SHIFT]", "[CTRL]", "[LEFT]",
                                "([SHIFT]x)", "([CTRL][HOME])", "(AB)", "([SHIFT]", "x)", "(", "[SHIFT]q"};
  auto pick = [&](size_t n) { return static_cast<size_t>(rng() % n); };
  for (int round = 0; round < 20; ++round) {
    std::string notation;
    for (size_t n = pick(8); n > 0; --n) notation += tokens[pick(std::size(tokens))];
    TypeKeyString(notation);
    std::string data;
    for (size_t n = pick(30); n > 0; --n) data += static_cast<char>(0x20 + pick(0x5F));
    TypeChars(data, true, true);
  }
  window->Text();  // every event handled
  for (int vk : {VK_SHIFT, VK_CONTROL, VK_MENU}) EXPECT_EQ(GetAsyncKeyState(vk) & 0x8000, 0) << "key " << vk;
}

// The tokens can be read here (Wine runs every program elevated), and the
// window in front, this test's own, takes the keys it was just sent.
TEST_F(WineTyping, RightsOfTheWindowInFront) {
  const ProcessRights own = Win32ForegroundWindow::OwnRights();
  std::printf("[ note ] this process runs %s\n", own == ProcessRights::Elevated ? "elevated" : "not elevated");
  EXPECT_TRUE(own == ProcessRights::Elevated || own == ProcessRights::Normal);
  EXPECT_EQ(Win32ForegroundWindow::RightsOfWindow(GetForegroundWindow()), own);
  EXPECT_EQ(Win32ForegroundWindow::RightsOfWindow(nullptr), ProcessRights::Unknown);
  EXPECT_FALSE(Win32ForegroundWindow().RefusesSyntheticKeys());
}

}  // namespace
}  // namespace km27
