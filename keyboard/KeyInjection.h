#pragma once
// The lowest layer of keyboard output: one 8-bit character to a virtual key
// with the modifiers the keyboard layout needs for it, and the key events
// that type it. Everything the program types ends here.
#include <cstdint>
#include <string>

#include "common/ByteString.h"
#include "keyboard/KeyInjector.h"

namespace km27 {

// The modifiers the last mapped character needs, and the kana mode that
// 0x0E switches on and 0x0F off. KanaMode keeps its value across texts and
// card reads.
struct TKeyState {
  bool Shift = false;
  bool Ctrl = false;
  bool Alt = false;
  bool Level3 = false;   // AltGr (X11, uinput)
  bool Hankaku = false;  // reported by the layout, never pressed
  bool KanaMode = false;
};

extern TKeyState KeyState;

// How one character is typed: a named key (the control characters), a key of
// the layout (KeyStroke::key), or nothing (key 0).
struct CharKey {
  bool named = false;
  uint32_t key = 0;  // named: the NamedKey's value
};

// The key for `c`; sets the modifier fields of `state` and, for 0x0E and
// 0x0F, its kana mode. A character the keyboard layout has no key for gives
// key 0.
CharKey CharKeyOf(unsigned char c, TKeyState& state);

// CharKeyOf as a Windows virtual-key code (0 = nothing to type), for the
// character table; the injector's own key where the platform's keys are not
// virtual-key codes.
uint8_t CharToKey(unsigned char c, TKeyState& state);

// Types every character of `text` with the process-wide KeyState. `down`
// sends the key-down half (Ctrl, Shift, Alt, then the key), `up` the key-up
// half (the key, then Alt, Shift, Ctrl).
void TypeChars(const ByteString& text, bool down, bool up);

// One synthetic key event of a named key through the injector in force.
void SendKeyEvent(NamedKey key, bool up);

// A character pressed with its modifiers, kept so that it can be released
// exactly as it was pressed even if Caps Lock or the kana mode changed in
// between (a chord that holds several keys).
struct PressedChar {
  CharKey key;
  char16_t unicode = 0;  // typed as this character: the layout has no key for it
  bool shift = false, ctrl = false, alt = false, level3 = false;
};
PressedChar PressChar(unsigned char c);
void ReleaseChar(const PressedChar& pressed);

// Kana mode off and no modifiers (process start; tests).
void ResetKeyState();

// The characters typed as Unicode key events since the last call, each once
// and in the order first typed (code page bytes), so that the user can be
// told; empty when every character had a key.
std::string TakeCharsTypedAsUnicode();

// The characters that could not be typed at all since the last call (the
// platform had neither a key nor a way to type the character itself), each
// once and in the order first met (code page bytes); empty when every
// character was typed.
std::string TakeCharsNotTyped();

}  // namespace km27
