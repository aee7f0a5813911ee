// The tray icon in Wine's notification area: the shell accepts the record,
// the callback message reaches the component with the keys held, and the
// icon comes back after the shell forgot it ("TaskbarCreated"), and the icons
// come from the program's resources at the notification area's size.
#include <windows.h>

#include <gtest/gtest.h>

#include "shell/CoolTrayIcon.h"
#include "shell/TrayIconIds.h"
#include "shell/win32/Win32TrayPeer.h"

namespace km27 {
namespace {

void Pump(DWORD ms) {
  DWORD start = GetTickCount();
  do {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
    Sleep(10);
  } while (GetTickCount() - start < ms);
}

class TrayWine : public ::testing::Test {
 protected:
  TrayWine() {
    InstallWin32TrayPeer();
    tray = std::make_unique<TCoolTrayIcon>(nullptr);
    tray->SetIconList({KM27_ICON_TRAY_STOPPED, KM27_ICON_TRAY_RUNNING});
    tray->SetHint("KM-27 Serial to Key Software");
    tray->SetIconVisible(true);
  }
  ~TrayWine() override {
    tray.reset();
    SetTrayPeerFactory(nullptr);
  }
  // NIM_MODIFY succeeds only for an icon the shell has.
  bool ShellHasIcon() { return tray->Peer()->ModifyIcon(tray->Data()); }

  std::unique_ptr<TCoolTrayIcon> tray;
};

TEST_F(TrayWine, ShellAcceptsTheIconTipAndBalloon) {
  ASSERT_NE(TrayHandlerWindow(), nullptr);
  EXPECT_TRUE(ShellHasIcon());
  tray->SetIconIndex(1);
  tray->SetHint(std::string(300, 'h'));  // cut to 127 before the shell sees it
  EXPECT_TRUE(ShellHasIcon());
  EXPECT_TRUE(tray->ShowBalloonHint("Serial to Key Converter was started.", " ", 1, 10));
  EXPECT_TRUE(tray->HideBalloonHint());
}

TEST_F(TrayWine, TaskbarCreatedBringsTheIconBack) {
  ASSERT_TRUE(tray->Peer()->DeleteIcon());  // the shell restarted without it
  EXPECT_FALSE(ShellHasIcon());
  SendMessageA(TrayHandlerWindow(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_TRUE(ShellHasIcon());
  EXPECT_EQ(tray->Data().icon, KM27_ICON_TRAY_STOPPED);
  EXPECT_EQ(tray->Data().tip, "KM-27 Serial to Key Software");
}

TEST_F(TrayWine, CallbackMessageReportsTheKeysHeld) {
  int downs = 0;
  MouseButton button = MouseButton::Left;
  ShiftState shift = 0;
  tray->OnMouseDown = [&](TCoolTrayIcon&, MouseButton b, ShiftState s, int, int) {
    ++downs;
    button = b;
    shift = s;
  };
  keybd_event(VK_SHIFT, 0, 0, 0);
  keybd_event(VK_CONTROL, 0, 0, 0);
  Pump(100);
  PostMessageA(TrayHandlerWindow(), WM_TRAYNOTIFY, 1, WM_RBUTTONDOWN);
  Pump(200);
  keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);
  keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
  Pump(100);
  ASSERT_EQ(downs, 1);
  EXPECT_EQ(button, MouseButton::Right);
  EXPECT_EQ(shift, ss::Shift | ss::Ctrl | ss::Right);

  PostMessageA(TrayHandlerWindow(), WM_TRAYNOTIFY, 1, WM_RBUTTONDOWN);
  Pump(200);
  EXPECT_EQ(downs, 2);
  EXPECT_EQ(shift, ss::Right);  // keys released

  PostMessageA(TrayHandlerWindow(), WM_TRAYNOTIFY, 999, WM_RBUTTONDOWN);  // not our icon
  Pump(100);
  EXPECT_EQ(downs, 2);
}

TEST(TrayIcons, LoadFromTheProgramAtTheSmallIconSize) {
  for (int id : {KM27_ICON_TRAY_STOPPED, KM27_ICON_TRAY_RUNNING}) {
    HICON icon = LoadTrayIcon(id);
    ASSERT_NE(icon, nullptr);
    EXPECT_NE(icon, StockTrayIcon()) << id;
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP bm{};
    GetObjectA(info.hbmColor, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, GetSystemMetrics(SM_CXSMICON)) << id;
    EXPECT_EQ(bm.bmHeight, GetSystemMetrics(SM_CYSMICON)) << id;
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
  }
  // An id the program has no icon for still shows something.
  EXPECT_EQ(LoadTrayIcon(999), StockTrayIcon());
}

}  // namespace
}  // namespace km27
