#include <windows.h>
// windows.h maps VkKeyScan to VkKeyScanA, which would rename the interface's
// method in this file only.
#undef VkKeyScan

#include "keyboard/win32/Win32KeyInjector.h"

namespace km27 {

void Win32KeyInjector::KeyEvent(uint8_t vk, bool up) {
  // No scan code and never the extended flag: the target sees the event as
  // a typed key of that virtual-key code.
  keybd_event(vk, 0, up ? KEYEVENTF_KEYUP : 0, 0);
}

int16_t Win32KeyInjector::VkKeyScan(char c) { return static_cast<int16_t>(VkKeyScanA(c)); }

bool Win32KeyInjector::CapsLockOn() { return (GetKeyState(VK_CAPITAL) & 1) != 0; }

void Win32KeyInjector::UnicodeEvent(char16_t unit, bool up) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wScan = unit;
  input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
  SendInput(1, &input, sizeof input);
}

void InstallWin32KeyInjector() {
  static Win32KeyInjector injector;
  SetKeyInjector(&injector);
}

}  // namespace km27
