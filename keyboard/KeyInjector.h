#pragma once
// The platform operations of keystroke injection. Windows: keybd_event,
// VkKeyScanA, GetKeyState(VK_CAPITAL) and SendInput; tests: a fake with a US layout that
// records every event.
#include <cstdint>

namespace km27 {

class IKeyInjector {
 public:
  virtual ~IKeyInjector() = default;
  // One synthetic key event of a virtual-key code (keybd_event(vk, 0, up ? KEYEVENTF_KEYUP : 0, 0)).
  virtual void KeyEvent(uint8_t vk, bool up) = 0;
  // VkKeyScanA: low byte the virtual-key code, high byte the shift state
  // (0x01 Shift, 0x02 Ctrl, 0x04 Alt, 0x08 Hankaku); -1 when the layout has no key.
  virtual int16_t VkKeyScan(char c) = 0;
  // Caps Lock toggled on (bit 0 of GetKeyState(VK_CAPITAL)).
  virtual bool CapsLockOn() = 0;
  // One synthetic key event that types the UTF-16 unit itself, whatever the
  // layout (SendInput with KEYEVENTF_UNICODE): for a character the layout
  // has no key for.
  virtual void UnicodeEvent(char16_t unit, bool up) = 0;
};

// The injector in force; the program installs the Windows one at start.
IKeyInjector& KeyInjector();
void SetKeyInjector(IKeyInjector* injector);

}  // namespace km27
