#pragma once
// The lowest layer of keyboard output: one 8-bit character to a virtual key
// with the modifiers the keyboard layout needs for it, and the key events
// that type it. Everything the program types ends here.
#include <cstdint>
#include <string>

#include "common/ByteString.h"

namespace km27 {

// The modifiers the last mapped character needs, and the kana mode that
// 0x0E switches on and 0x0F off. KanaMode keeps its value across texts and
// card reads.
struct TKeyState {
  bool Shift = false;
  bool Ctrl = false;
  bool Alt = false;
  bool Hankaku = false;  // reported by the layout, never pressed
  bool KanaMode = false;
};

extern TKeyState KeyState;

// Virtual-key code for `c` (0 = nothing to type); sets the modifier fields of
// `state` and, for 0x0E and 0x0F, its kana mode. A character the keyboard
// layout has no key for gives 0.
uint8_t CharToKey(unsigned char c, TKeyState& state);

// Types every character of `text` with the process-wide KeyState. `down`
// sends the key-down half (Ctrl, Shift, Alt, then the key), `up` the key-up
// half (the key, then Alt, Shift, Ctrl).
void TypeChars(const ByteString& text, bool down, bool up);

// One synthetic key event through the injector in force.
void SendKeyEvent(uint8_t code, bool up);

// A character pressed with its modifiers, kept so that it can be released
// exactly as it was pressed even if Caps Lock or the kana mode changed in
// between (a chord that holds several keys).
struct PressedChar {
  uint8_t code = 0;
  char16_t unicode = 0;  // typed as this character: the layout has no key for it
  bool shift = false, ctrl = false, alt = false;
};
PressedChar PressChar(unsigned char c);
void ReleaseChar(const PressedChar& pressed);

// Kana mode off and no modifiers (process start; tests).
void ResetKeyState();

// The characters typed as Unicode key events since the last call, each once
// and in the order first typed (code page bytes), so that the user can be
// told; empty when every character had a key.
std::string TakeCharsTypedAsUnicode();

}  // namespace km27
