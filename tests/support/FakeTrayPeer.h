#pragma once
// Recording stand-in for the notification area: every add, modify and delete
// with the record it was given, the menus popped up, and scripted modifier
// keys and cursor position. Install() makes every new TCoolTrayIcon get one.
#include <string>
#include <vector>

#include "shell/CoolTrayIcon.h"

namespace km27::test {

struct TrayCall {
  enum class Type { Add, Modify, Delete, Version, Popup, HideApp, RestoreApp } type = Type::Add;
  TrayIconData data;     // Add, Modify
  int version = 0;       // Version
  std::string menu;      // Popup: the menu's name
  int x = 0, y = 0;      // Popup
};

class FakeTrayPeer : public ITrayPeer {
 public:
  explicit FakeTrayPeer(TCoolTrayIcon& icon) : icon_(icon) {}

  // Makes every tray icon created from now on get a FakeTrayPeer; the
  // returned guard removes the factory again.
  struct Installation {
    Installation();
    ~Installation();
    Installation(const Installation&) = delete;
    Installation& operator=(const Installation&) = delete;
  };

  // The peer of a tray icon created while an Installation was alive.
  static FakeTrayPeer& Of(TCoolTrayIcon& icon) { return *static_cast<FakeTrayPeer*>(icon.Peer()); }

  bool AddIcon(const TrayIconData& d) override;
  bool ModifyIcon(const TrayIconData& d) override;
  bool DeleteIcon() override;
  void SetVersion(int version) override;
  ShiftState ModifierKeys() override { return modifiers; }
  TrayPoint CursorPos() override { return cursor; }
  uint32_t DoubleClickTime() override { return doubleClickMs; }
  void PopupMenu(ui::PopupMenu& menu, int x, int y) override;
  void HideApplication() override;
  void RestoreApplication() override;
  bool ClicksWithKeys() const override { return clicksWithKeys; }

  // Scripted state.
  ShiftState modifiers = 0;
  TrayPoint cursor{100, 200};
  uint32_t doubleClickMs = 500;
  bool failCalls = false;  // Add / Modify / Delete report failure
  bool clicksWithKeys = true;  // false: a shell that opens the menu by itself

  // Recorded.
  std::vector<TrayCall> calls;
  bool shown = false;     // the icon is in the notification area
  TrayIconData current;   // what the shell shows
  int Count(TrayCall::Type t) const;
  const TrayCall* Last(TrayCall::Type t) const;

  // Simulated user: the shell's callback message with this notification.
  void Send(TrayNotification n) { icon_.HandleNotification(static_cast<uint32_t>(n)); }

 private:
  TCoolTrayIcon& icon_;
};

}  // namespace km27::test
