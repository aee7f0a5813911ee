#include "keyboard/KeySyms.h"

namespace km27 {

namespace {

struct NamedKeySym {
  NamedKey key;
  uint32_t sym, alternative;
};

// Keysym numbers of X11's keysymdef.h (xkbcommon's xkbcommon-keysyms.h).
constexpr NamedKeySym kNamedKeySyms[] = {
    {NamedKey::Back, 0xff08, 0},        {NamedKey::Tab, 0xff09, 0},
    {NamedKey::Enter, 0xff0d, 0},       {NamedKey::Shift, 0xffe1, 0},     // Shift_L
    {NamedKey::Ctrl, 0xffe3, 0},        {NamedKey::Alt, 0xffe9, 0},       // Control_L, Alt_L
    {NamedKey::Pause, 0xff13, 0},       {NamedKey::Caps, 0xffe5, 0},      // Caps_Lock
    // The kana key of a Japanese keyboard; its Kanji key is the
    // half-width/full-width key there.
    {NamedKey::Kana, 0xff27, 0xff2e},   {NamedKey::Kanji, 0xff2a, 0xff21},  // Hiragana_Katakana/Kana_Lock, Zenkaku_Hankaku/Kanji
    {NamedKey::Esc, 0xff1b, 0},         {NamedKey::Henkan, 0xff23, 0},    // Henkan_Mode
    {NamedKey::Muhenkan, 0xff22, 0},    {NamedKey::Space, 0x0020, 0},
    {NamedKey::PageUp, 0xff55, 0},      {NamedKey::PageDown, 0xff56, 0},
    {NamedKey::End, 0xff57, 0},         {NamedKey::Home, 0xff50, 0},
    {NamedKey::Left, 0xff51, 0},        {NamedKey::Up, 0xff52, 0},
    {NamedKey::Right, 0xff53, 0},       {NamedKey::Down, 0xff54, 0},
    {NamedKey::PrintScreen, 0xff61, 0}, {NamedKey::Insert, 0xff63, 0},
    {NamedKey::Delete, 0xffff, 0},      {NamedKey::LWin, 0xffeb, 0},      // Super_L
    {NamedKey::RWin, 0xffec, 0},        {NamedKey::Apps, 0xff67, 0},      // Super_R, Menu
    {NamedKey::PadMultiply, 0xffaa, 0}, {NamedKey::PadAdd, 0xffab, 0},
    {NamedKey::PadEnter, 0xff8d, 0},    {NamedKey::PadSubtract, 0xffad, 0},
    {NamedKey::PadDecimal, 0xffae, 0},  {NamedKey::PadDivide, 0xffaf, 0},
    {NamedKey::NumLock, 0xff7f, 0},     {NamedKey::Scroll, 0xff14, 0},
    {NamedKey::LShift, 0xffe1, 0},      {NamedKey::RShift, 0xffe2, 0},
    {NamedKey::LCtrl, 0xffe3, 0},       {NamedKey::RCtrl, 0xffe4, 0},
    // The right Alt is AltGr on many layouts: Windows' VK_RMENU is then AltGr too.
    {NamedKey::LAlt, 0xffe9, 0},        {NamedKey::RAlt, 0xffea, 0xfe03},  // Alt_R, ISO_Level3_Shift
};

}  // namespace

uint32_t KeySymOfNamedKey(NamedKey key, uint32_t* alternative) {
  if (alternative) *alternative = 0;
  const auto v = static_cast<uint8_t>(key);
  if (v >= static_cast<uint8_t>(NamedKey::Pad0) && v <= static_cast<uint8_t>(NamedKey::Pad9))
    return 0xffb0 + (v - static_cast<uint8_t>(NamedKey::Pad0));  // KP_0..KP_9
  if (v >= static_cast<uint8_t>(NamedKey::F1) && v <= static_cast<uint8_t>(NamedKey::F12))
    return 0xffbe + (v - static_cast<uint8_t>(NamedKey::F1));  // F1..F12
  for (const NamedKeySym& k : kNamedKeySyms) {
    if (k.key != key) continue;
    if (alternative) *alternative = k.alternative;
    return k.sym;
  }
  return 0;
}

uint32_t KeySymOfUnicode(char32_t ch) {
  if (ch < 0x20 || (ch >= 0x7F && ch < 0xA0) || (ch >= 0xD800 && ch <= 0xDFFF) || ch > 0x10FFFF) return 0;
  if (ch < 0x100) return ch;
  return 0x01000000u + ch;
}

char32_t SingleCharOfUtf8(const std::string& utf8) {
  if (utf8.empty()) return 0;
  const auto b0 = static_cast<unsigned char>(utf8[0]);
  size_t n = b0 < 0x80 ? 1 : (b0 >> 5) == 0x6 ? 2 : (b0 >> 4) == 0xE ? 3 : (b0 >> 3) == 0x1E ? 4 : 0;
  if (n == 0 || utf8.size() != n) return 0;
  char32_t ch = n == 1 ? b0 : b0 & (0x7F >> n);
  for (size_t i = 1; i < n; ++i) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    if ((b & 0xC0) != 0x80) return 0;
    ch = (ch << 6) | (b & 0x3F);
  }
  return ch == 0xFFFD ? 0 : ch;
}

}  // namespace km27
