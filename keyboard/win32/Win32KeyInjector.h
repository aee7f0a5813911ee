#pragma once
// Key injection through user32: keybd_event, VkKeyScanA, the Caps Lock
// toggle of GetKeyState and SendInput's Unicode events. Events reach
// whichever window has the focus.
#include "keyboard/KeyInjector.h"

namespace km27 {

class Win32KeyInjector final : public VkKeyScanInjector {
 public:
  void KeyEvent(uint8_t vk, bool up) override;
  int16_t VkKeyScan(char c) override;
  bool CapsLockOn() override;
  void UnicodeEvent(char16_t unit, bool up) override;
};

// Makes the process-wide Windows injector the one in force.
void InstallWin32KeyInjector();

}  // namespace km27
