#include "keyboard/KeyInjection.h"

#include <utility>

#include "common/CodePage.h"
#include "keyboard/KeyInjector.h"

namespace km27 {

TKeyState KeyState;

namespace {

constexpr uint8_t kVkKana = static_cast<uint8_t>(NamedKey::Kana);

// Keys for the control characters 0x00-0x1F; 0 types nothing. F6-F12 sit at
// 0x14-0x1A so that 0x06-0x0D keep Ctrl, Backspace, Tab, Delete, End, Home, Enter.
constexpr uint8_t kControlKeys[32] = {
    0x00, 0x70, 0x71, 0x72, 0x73, 0x74, 0xA2, 0xA3,  // NUL F1-F5 LCtrl RCtrl
    0x08, 0x09, 0x2E, 0x23, 0x24, 0x0D, kVkKana, kVkKana,  // BS Tab Del End Home Enter SO SI
    0x21, 0x22, 0x2D, 0x00, 0x75, 0x76, 0x77, 0x78,  // PgUp PgDn Ins - F6-F9
    0x79, 0x7A, 0x7B, 0x1B, 0x27, 0x25, 0x26, 0x28,  // F10-F12 Esc Right Left Up Down
};

bool IsAsciiLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

std::string gTypedAsUnicode;
std::string gNotTyped;

// The byte CharToKey types for a printable `c` (kana mode moves 0x21-0x7E up
// by 0x80); 0 for control characters and bytes that are never typed.
unsigned char TypedByte(unsigned char c, bool kanaMode) {
  if (c < 0x20 || c >= 0x7F) return 0;
  return kanaMode && c != 0x20 ? static_cast<unsigned char>(c + 0x80) : c;
}

// The character a typed byte stands for, for a byte the layout has no key
// for: ASCII as itself, the half-width katakana of code page 932 (0xA1-0xDF)
// as U+FF61-U+FF9F; 0 for anything else.
char16_t UnicodeWithoutKey(unsigned char c, bool kanaMode) {
  const unsigned char b = TypedByte(c, kanaMode);
  if (b >= 0x20 && b < 0x7F) return b;
  if (b >= 0xA1 && b <= 0xDF) return static_cast<char16_t>(0xFF61 + (b - 0xA1));
  return 0;
}

void NoteChar(std::string& list, unsigned char c, bool kanaMode) {
  const char byte = static_cast<char>(TypedByte(c, kanaMode));
  if (list.find(byte) == std::string::npos) list += byte;
}

// Maps `c` for typing: its key, or else the character to type as Unicode.
PressedChar MapChar(unsigned char c) {
  PressedChar p;
  p.key = CharKeyOf(c, KeyState);
  if (p.key.key == 0) {
    p.unicode = UnicodeWithoutKey(c, KeyState.KanaMode);
    return p;
  }
  p.shift = KeyState.Shift;
  p.ctrl = KeyState.Ctrl;
  p.alt = KeyState.Alt;
  p.level3 = KeyState.Level3;
  return p;
}

void ModifierEvent(StrokeModifier m, bool up) { KeyInjector().ModifierEvent(m, up); }

}  // namespace

CharKey CharKeyOf(unsigned char c, TKeyState& state) {
  state.Shift = state.Ctrl = state.Alt = state.Level3 = state.Hankaku = false;
  if (c < 0x20) {
    if (c == 0x0E || c == 0x0F) {
      state.Shift = state.Ctrl = true;
      state.KanaMode = (c == 0x0E);
    }
    return {true, kControlKeys[c], kControlKeys[c]};
  }
  if (c >= 0x7F) return {};

  // In kana mode 0x21-0x5F stand for the half-width katakana 0xA1-0xDF
  // (the 7-bit kana convention); the space stays a space.
  if (state.KanaMode && c != 0x20) {
    c = static_cast<unsigned char>(c + 0x80);
    // Those bytes are katakana only in code page 932; elsewhere (1252: "±"
    // for the kana "A") a key of the layout would type another character,
    // so the katakana goes out as a character of its own.
    if (!AnsiCodePage().IsLeadByte(0x81)) return {};
  }

  IKeyInjector& injector = KeyInjector();
  const KeyStroke stroke = injector.CharStroke(c);
  if (stroke.key == 0) return {};
  state.Shift = stroke.shift;
  state.Ctrl = stroke.ctrl;
  state.Alt = stroke.alt;
  state.Level3 = stroke.level3;
  state.Hankaku = stroke.hankaku;
  // The layout's Shift state is the one for Caps Lock off; with it on, a
  // letter needs the opposite to come out in the case asked for.
  if (IsAsciiLetter(c) && injector.CapsLockOn()) state.Shift = !state.Shift;
  return {false, stroke.key, stroke.vk};
}

uint8_t CharToKey(unsigned char c, TKeyState& state) {
  return CharKeyOf(c, state).vk;
}

void SendKeyEvent(NamedKey key, bool up) { KeyInjector().NamedKeyEvent(key, up); }

namespace {

void KeyEventOf(const CharKey& key, bool up) {
  if (key.named) {
    SendKeyEvent(static_cast<NamedKey>(key.key), up);
  } else {
    KeyInjector().StrokeKeyEvent(key.key, up);
  }
}

}  // namespace

PressedChar PressChar(unsigned char c) {
  PressedChar p = MapChar(c);
  if (p.unicode != 0) {
    // Dropping it would type a different text than the card holds; where
    // even that is impossible, the user is told.
    if (KeyInjector().TypeUnicode(p.unicode, false)) {
      NoteChar(gTypedAsUnicode, c, KeyState.KanaMode);
    } else {
      NoteChar(gNotTyped, c, KeyState.KanaMode);
      p.unicode = 0;
    }
    return p;
  }
  if (p.key.key == 0) {
    // A character of the card that the kana mode turned into a byte with
    // neither a key nor a character to stand for.
    if (TypedByte(c, KeyState.KanaMode) != 0) NoteChar(gNotTyped, c, KeyState.KanaMode);
    return p;
  }
  if (p.ctrl) ModifierEvent(StrokeModifier::Ctrl, false);
  if (p.shift) ModifierEvent(StrokeModifier::Shift, false);
  if (p.alt) ModifierEvent(StrokeModifier::Alt, false);
  if (p.level3) ModifierEvent(StrokeModifier::Level3, false);
  KeyEventOf(p.key, false);
  return p;
}

void ReleaseChar(const PressedChar& p) {
  if (p.unicode != 0) KeyInjector().TypeUnicode(p.unicode, true);
  if (p.key.key == 0) return;
  KeyEventOf(p.key, true);
  if (p.level3) ModifierEvent(StrokeModifier::Level3, true);
  if (p.alt) ModifierEvent(StrokeModifier::Alt, true);
  if (p.shift) ModifierEvent(StrokeModifier::Shift, true);
  if (p.ctrl) ModifierEvent(StrokeModifier::Ctrl, true);
}

void TypeChars(const ByteString& text, bool down, bool up) {
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = ByteAt(text, i);
    if (down) {
      const PressedChar p = PressChar(c);
      if (up) ReleaseChar(p);
    } else if (up) {
      ReleaseChar(MapChar(c));
    }
  }
}

void ResetKeyState() { KeyState = TKeyState{}; }

std::string TakeCharsTypedAsUnicode() { return std::exchange(gTypedAsUnicode, {}); }

std::string TakeCharsNotTyped() { return std::exchange(gNotTyped, {}); }

}  // namespace km27
