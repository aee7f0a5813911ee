#pragma once
// The platform operations of keystroke injection. The core decides what is
// pressed and in which order (modifiers around a key, chords, the kana mode,
// Caps Lock); the platform answers how a character is typed on the user's
// layout and sends the events. Windows: keybd_event, VkKeyScanA,
// GetKeyState(VK_CAPITAL) and SendInput; X11: XTEST with the XKB keymap;
// Wayland: a uinput keyboard with an xkbcommon keymap; tests: a fake with a
// US layout that records every event.
#include <cstdint>

namespace km27 {

// A key of the key name table (keyboard/KeyNotation). Its value is the
// Windows virtual-key code the table lists, so a named key reads the same in
// settings, recordings and the Windows injector.
enum class NamedKey : uint8_t {
  Back = 0x08, Tab = 0x09, Enter = 0x0D, Shift = 0x10, Ctrl = 0x11, Alt = 0x12, Pause = 0x13,
  Caps = 0x14, Kana = 0x15, Kanji = 0x19, Esc = 0x1B, Henkan = 0x1C, Muhenkan = 0x1D,
  Space = 0x20, PageUp = 0x21, PageDown = 0x22, End = 0x23, Home = 0x24, Left = 0x25, Up = 0x26,
  Right = 0x27, Down = 0x28, PrintScreen = 0x2C, Insert = 0x2D, Delete = 0x2E, LWin = 0x5B,
  RWin = 0x5C, Apps = 0x5D,
  Pad0 = 0x60, Pad9 = 0x69, PadMultiply = 0x6A, PadAdd = 0x6B, PadEnter = 0x6C, PadSubtract = 0x6D,
  PadDecimal = 0x6E, PadDivide = 0x6F,
  F1 = 0x70, F12 = 0x7B,
  NumLock = 0x90, Scroll = 0x91, LShift = 0xA0, RShift = 0xA1, LCtrl = 0xA2, RCtrl = 0xA3,
  LAlt = 0xA4, RAlt = 0xA5,
};

// How the layout types one character: the platform's own key (a virtual-key
// code on Windows, a keycode on X11 and uinput) and the modifiers to hold
// while it is pressed. key 0: the layout has no key for the character.
struct KeyStroke {
  uint32_t key = 0;
  bool shift = false, ctrl = false, alt = false;
  bool level3 = false;   // AltGr: ISO_Level3_Shift on X11; Windows says Ctrl + Alt instead
  bool hankaku = false;  // reported by the layout, never pressed
};

enum class StrokeModifier : uint8_t { Shift, Ctrl, Alt, Level3 };

class IKeyInjector {
 public:
  virtual ~IKeyInjector() = default;
  // One synthetic key event of a named key.
  virtual void NamedKeyEvent(NamedKey key, bool up) = 0;
  // How the character `c` (a byte of the program's code page) is typed, as
  // if Caps Lock were off; Caps Lock is the core's business.
  virtual KeyStroke CharStroke(unsigned char c) = 0;
  // One synthetic key event of a key that CharStroke answered.
  virtual void StrokeKeyEvent(uint32_t key, bool up) = 0;
  // One synthetic key event of a modifier that CharStroke asked for.
  virtual void ModifierEvent(StrokeModifier modifier, bool up) = 0;
  // Caps Lock toggled on.
  virtual bool CapsLockOn() = 0;
  // One synthetic key event that types the UTF-16 unit itself, whatever the
  // layout: for a character the layout has no key for. false when the
  // character cannot be typed at all (the core then reports it); a
  // key-down that answered false gets no key-up.
  virtual bool TypeUnicode(char16_t unit, bool up) = 0;
};

// The injector in force; the program installs its platform's one at start.
IKeyInjector& KeyInjector();
void SetKeyInjector(IKeyInjector* injector);

// An injector shaped like the Windows API (keybd_event and VkKeyScanA): named
// keys, keys and modifiers are all virtual-key codes. The Windows injector
// and the recording fakes of the tests are built on it.
class VkKeyScanInjector : public IKeyInjector {
 public:
  // keybd_event(vk, 0, up ? KEYEVENTF_KEYUP : 0, 0).
  virtual void KeyEvent(uint8_t vk, bool up) = 0;
  // VkKeyScanA: low byte the virtual-key code, high byte the shift state
  // (0x01 Shift, 0x02 Ctrl, 0x04 Alt, 0x08 Hankaku); -1 when the layout has no key.
  virtual int16_t VkKeyScan(char c) = 0;
  // SendInput with KEYEVENTF_UNICODE; never refused.
  virtual void UnicodeEvent(char16_t unit, bool up) = 0;

  void NamedKeyEvent(NamedKey key, bool up) override;
  KeyStroke CharStroke(unsigned char c) override;
  void StrokeKeyEvent(uint32_t key, bool up) override;
  void ModifierEvent(StrokeModifier modifier, bool up) override;
  bool TypeUnicode(char16_t unit, bool up) override;
};

}  // namespace km27
