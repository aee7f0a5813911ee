#include "keyboard/KeyNotation.h"

#include <string_view>
#include <vector>

#include "common/TextHelpers.h"
#include "keyboard/KeyInjection.h"

namespace km27 {

namespace {

constexpr std::array<TKeyNameEntry, 64> kKeyNames = {{
    {0x08, "BACK"},       {0x09, "TAB"},        {0x0D, "ENTER"},      {0x10, "SHIFT"},
    {0x11, "CTRL"},       {0x12, "ALT"},        {0x13, "PAUSE"},      {0x14, "CAPS"},
    {0x15, "KANA"},       {0x19, "KANJI"},      {0x1B, "ESC"},        {0x1C, "HENKAN"},
    {0x1D, "MUHENKAN"},   {0x20, "SPACE"},      {0x21, "PAGEUP"},     {0x22, "PAGEDOWN"},
    {0x23, "END"},        {0x24, "HOME"},       {0x25, "LEFT"},       {0x26, "UP"},
    {0x27, "RIGHT"},      {0x28, "DOWN"},       {0x2C, "PRINTSCREEN"}, {0x2D, "INSERT"},
    {0x2E, "DELETE"},     {0x5B, "LWIN"},       {0x5C, "RWIN"},       {0x5D, "APPS"},
    {0x60, "10KEY0"},     {0x61, "10KEY1"},     {0x62, "10KEY2"},     {0x63, "10KEY3"},
    {0x64, "10KEY4"},     {0x65, "10KEY5"},     {0x66, "10KEY6"},     {0x67, "10KEY7"},
    {0x68, "10KEY8"},     {0x69, "10KEY9"},     {0x6A, "10KEY*"},     {0x6B, "10KEY+"},
    {0x6C, "10KEYENTER"}, {0x6D, "10KEY-"},     {0x6E, "10KEY."},     {0x6F, "10KEY/"},
    {0x70, "F1"},         {0x71, "F2"},         {0x72, "F3"},         {0x73, "F4"},
    {0x74, "F5"},         {0x75, "F6"},         {0x76, "F7"},         {0x77, "F8"},
    {0x78, "F9"},         {0x79, "F10"},        {0x7A, "F11"},        {0x7B, "F12"},
    {0x90, "NUMLOCK"},    {0x91, "SCROLL"},     {0xA0, "LSHIFT"},     {0xA1, "RSHIFT"},
    {0xA2, "LCTRL"},      {0xA3, "RCTRL"},      {0xA4, "LALT"},       {0xA5, "RALT"},
}};

// Display texts of the codes 0x00-0xDE in code page 932.
constexpr const char* kDescriptions[0xDF] = {
    "Null",  // 0x00
    "\x83}\x83" "E\x83X\x8d\xb6\x83{\x83^\x83\x93",  // 0x01
    "\x83}\x83" "E\x83X\x89" "E\x83{\x83^\x83\x93",  // 0x02
    "[Cancel]",  // 0x03
    "\x83}\x83" "E\x83X\x92\x86\x89\x9b\x83{\x83^\x83\x93",  // 0x04
    "\x83}\x83" "E\x83X X1 \x83{\x83^\x83\x93",  // 0x05
    "\x83}\x83" "E\x83X X2 \x83{\x83^\x83\x93",  // 0x06
    "\x96\xa2\x92\xe8\x8b`",  // 0x07
    "[Back space]",  // 0x08
    "[Tab]",  // 0x09
    "\x97\\\x96\xf1",  // 0x0A
    "\x97\\\x96\xf1",  // 0x0B
    "[Clear]",  // 0x0C
    "[Enter]",  // 0x0D
    "\x96\xa2\x92\xe8\x8b`",  // 0x0E
    "\x96\xa2\x92\xe8\x8b`",  // 0x0F
    "[Shift]",  // 0x10
    "[Ctrl]",  // 0x11
    "[Alt]",  // 0x12
    "[Pause]",  // 0x13
    "[Caps Lock]",  // 0x14
    "IME \x83J\x83i\x83\x82\x81[\x83h",  // 0x15
    "\x96\xa2\x92\xe8\x8b`",  // 0x16
    "",  // 0x17
    "",  // 0x18
    "IME \x8a\xbf\x8e\x9a\x83\x82\x81[\x83h",  // 0x19
    "\x96\xa2\x92\xe8\x8b`",  // 0x1A
    "[Esc]",  // 0x1B
    "IME \x95\xcf\x8a\xb7",  // 0x1C
    "IME \x96\xb3\x95\xcf\x8a\xb7",  // 0x1D
    "",  // 0x1E
    "IME \x83\x82\x81[\x83h\x95\xcf\x8dX",  // 0x1F
    "\x83X\x83y\x81[\x83X\x83L\x81[",  // 0x20
    "[Page Up]",  // 0x21
    "[Page Down]",  // 0x22
    "[End]",  // 0x23
    "[Home]",  // 0x24
    "[\x81\xa9]",  // 0x25
    "[\x81\xaa]",  // 0x26
    "[\x81\xa8]",  // 0x27
    "[\x81\xab]",  // 0x28
    "[Select]",  // 0x29
    "[Print]",  // 0x2A
    "[Execute]",  // 0x2B
    "[Print Screen]",  // 0x2C
    "[Insert]",  // 0x2D
    "[Delete]",  // 0x2E
    "[Help]",  // 0x2F
    "[0]",  // 0x30
    "[1]",  // 0x31
    "[2]",  // 0x32
    "[3]",  // 0x33
    "[4]",  // 0x34
    "[5]",  // 0x35
    "[6]",  // 0x36
    "[7]",  // 0x37
    "[8]",  // 0x38
    "[9]",  // 0x39
    "\x96\xa2\x92\xe8\x8b`",  // 0x3A
    "\x96\xa2\x92\xe8\x8b`",  // 0x3B
    "\x96\xa2\x92\xe8\x8b`",  // 0x3C
    "\x96\xa2\x92\xe8\x8b`",  // 0x3D
    "\x96\xa2\x92\xe8\x8b`",  // 0x3E
    "\x96\xa2\x92\xe8\x8b`",  // 0x3F
    "\x96\xa2\x92\xe8\x8b`",  // 0x40
    "[A]",  // 0x41
    "[B]",  // 0x42
    "[C]",  // 0x43
    "[D]",  // 0x44
    "[E]",  // 0x45
    "[F]",  // 0x46
    "[G]",  // 0x47
    "[H]",  // 0x48
    "[I]",  // 0x49
    "[J]",  // 0x4A
    "[K]",  // 0x4B
    "[L]",  // 0x4C
    "[M]",  // 0x4D
    "[N]",  // 0x4E
    "[O]",  // 0x4F
    "[P]",  // 0x50
    "[Q]",  // 0x51
    "[R]",  // 0x52
    "[S]",  // 0x53
    "[T]",  // 0x54
    "[U]",  // 0x55
    "[V]",  // 0x56
    "[W]",  // 0x57
    "[X]",  // 0x58
    "[Y]",  // 0x59
    "[Z]",  // 0x5A
    "\x8d\xb6\x82\xcc Windows \x83L\x81[",  // 0x5B
    "\x89" "E\x82\xcc Windows \x83L\x81[",  // 0x5C
    "\x83" "A\x83v\x83\x8a\x83P\x81[\x83V\x83\x87\x83\x93\x83L\x81[",  // 0x5D
    "\x97\\\x96\xf1",  // 0x5E
    "\x83R\x83\x93\x83s\x83\x85\x81[\x83^\x83X\x83\x8a\x81[\x83v\x83L\x81[",  // 0x5F
    "\x83" "e\x83\x93\x83L\x81[\x82\xcc [ 0 ]",  // 0x60
    "\x83" "e\x83\x93\x83L\x81[\x82\xcc [ 1 ]",  // 0x61
    "\x83" "e\x83\x93\x83L\x81[\x82\xcc [ 2 ]",  // 0x62
    "\x83" "e\x83\x93\x83L\x81[\x82\xcc [ 3 ]",  // 0x63
    "\x83" "e\x83\x93\x83L\x81[\x82\xcc [ 4 ]",  // 0x64
    "\x83" "e\x83\x93\x83L\x81[\x82\xcc [ 5 ]",  // 0x65
    "\x83" "e\x83\x93\x83L\x81[\x82\xcc [ 6 ]",  // 0x66
    "\x83" "e\x83\x93\x83L\x81[\x82\xcc [ 7 ]",  // 0x67
    "\x83" "e\x83\x93\x83L\x81[\x82\xcc [ 8 ]",  // 0x68
    "\x83" "e\x83\x93\x83L\x81[\x82\xcc [ 9 ]",  // 0x69
    "\x83" "e\x83\x93\x83L\x81[\x82\xcc [ * ]",  // 0x6A
    "\x83" "e\x83\x93\x83L\x81[\x82\xcc [ + ]",  // 0x6B
    "\x83" "e\x83\x93\x83L\x81[\x82\xcc [Enter]",  // 0x6C
    "\x83" "e\x83\x93\x83L\x81[\x82\xcc [ - ]",  // 0x6D
    "\x83" "e\x83\x93\x83L\x81[\x82\xcc [ . ]",  // 0x6E
    "\x83" "e\x83\x93\x83L\x81[\x82\xcc [ / ]",  // 0x6F
    "[F1]",  // 0x70
    "[F2]",  // 0x71
    "[F3]",  // 0x72
    "[F4]",  // 0x73
    "[F5]",  // 0x74
    "[F6]",  // 0x75
    "[F7]",  // 0x76
    "[F8]",  // 0x77
    "[F9]",  // 0x78
    "[F10]",  // 0x79
    "[F11]",  // 0x7A
    "[F12]",  // 0x7B
    "[F13]",  // 0x7C
    "[F14]",  // 0x7D
    "[F15]",  // 0x7E
    "[F16]",  // 0x7F
    "[F17]",  // 0x80
    "[F18]",  // 0x81
    "[F19]",  // 0x82
    "[F20]",  // 0x83
    "[F21]",  // 0x84
    "[F22]",  // 0x85
    "[F23]",  // 0x86
    "[F24]",  // 0x87
    "\x8a\x84\x82\xe8\x93\x96\x82\xc4\x82\xc8\x82\xb5",  // 0x88
    "\x8a\x84\x82\xe8\x93\x96\x82\xc4\x82\xc8\x82\xb5",  // 0x89
    "\x8a\x84\x82\xe8\x93\x96\x82\xc4\x82\xc8\x82\xb5",  // 0x8A
    "\x8a\x84\x82\xe8\x93\x96\x82\xc4\x82\xc8\x82\xb5",  // 0x8B
    "\x8a\x84\x82\xe8\x93\x96\x82\xc4\x82\xc8\x82\xb5",  // 0x8C
    "\x8a\x84\x82\xe8\x93\x96\x82\xc4\x82\xc8\x82\xb5",  // 0x8D
    "\x8a\x84\x82\xe8\x93\x96\x82\xc4\x82\xc8\x82\xb5",  // 0x8E
    "\x8a\x84\x82\xe8\x93\x96\x82\xc4\x82\xc8\x82\xb5",  // 0x8F
    "[Num Lock]",  // 0x90
    "[Scroll Lock]",  // 0x91
    "OEM \x8c\xc5\x97L\x83R\x81[\x83h",  // 0x92
    "OEM \x8c\xc5\x97L\x83R\x81[\x83h",  // 0x93
    "OEM \x8c\xc5\x97L\x83R\x81[\x83h",  // 0x94
    "OEM \x8c\xc5\x97L\x83R\x81[\x83h",  // 0x95
    "OEM \x8c\xc5\x97L\x83R\x81[\x83h",  // 0x96
    "\x8a\x84\x82\xe8\x93\x96\x82\xc4\x82\xc8\x82\xb5",  // 0x97
    "\x8a\x84\x82\xe8\x93\x96\x82\xc4\x82\xc8\x82\xb5",  // 0x98
    "\x8a\x84\x82\xe8\x93\x96\x82\xc4\x82\xc8\x82\xb5",  // 0x99
    "\x8a\x84\x82\xe8\x93\x96\x82\xc4\x82\xc8\x82\xb5",  // 0x9A
    "\x8a\x84\x82\xe8\x93\x96\x82\xc4\x82\xc8\x82\xb5",  // 0x9B
    "\x8a\x84\x82\xe8\x93\x96\x82\xc4\x82\xc8\x82\xb5",  // 0x9C
    "\x8a\x84\x82\xe8\x93\x96\x82\xc4\x82\xc8\x82\xb5",  // 0x9D
    "\x8a\x84\x82\xe8\x93\x96\x82\xc4\x82\xc8\x82\xb5",  // 0x9E
    "\x8a\x84\x82\xe8\x93\x96\x82\xc4\x82\xc8\x82\xb5",  // 0x9F
    "\x8d\xb6\x82\xcc [Shift]",  // 0xA0
    "\x89" "E\x82\xcc [Shift]",  // 0xA1
    "\x8d\xb6\x82\xcc [Ctrl]",  // 0xA2
    "\x89" "E\x82\xcc [Ctrl]",  // 0xA3
    "\x8d\xb6\x82\xcc [Alt]",  // 0xA4
    "\x89" "E\x82\xcc [Alt]",  // 0xA5
    "\x83u\x83\x89\x83" "E\x83U\x82\xcc\x81u\x96\xdf\x82\xe9\x81v\x83L\x81[",  // 0xA6
    "\x83u\x83\x89\x83" "E\x83U\x82\xcc\x81u\x8e\x9f\x82\xd6\x81v\x83L\x81[",  // 0xA7
    "\x83u\x83\x89\x83" "E\x83U\x82\xcc\x81u\x8dX\x90V\x81v\x83L\x81[",  // 0xA8
    "\x83u\x83\x89\x83" "E\x83U\x82\xcc\x81u\x92\x86\x8e~\x81v\x83L\x81[",  // 0xA9
    "\x83u\x83\x89\x83" "E\x83U\x82\xcc\x81u\x8c\x9f\x8d\xf5\x81v\x83L\x81[",  // 0xAA
    "\x83u\x83\x89\x83" "E\x83U\x82\xcc\x81u\x82\xa8\x8b" "C\x82\xc9\x93\xfc\x82\xe8\x81v\x83L\x81[",  // 0xAB
    "\x83u\x83\x89\x83" "E\x83U\x82\xcc\x81u\x83z\x81[\x83\x80\x81v\x83L\x81[",  // 0xAC
    "\x83{\x83\x8a\x83\x85\x81[\x83\x80\x82\xcc\x83~\x83\x85\x81[\x83g\x83L\x81[",  // 0xAD
    "\x83{\x83\x8a\x83\x85\x81[\x83\x80\x83_\x83" "E\x83\x93\x83L\x81[",  // 0xAE
    "\x83{\x83\x8a\x83\x85\x81[\x83\x80\x83" "A\x83" "b\x83v\x83L\x81[",  // 0xAF
    "\x81u\x8e\x9f\x82\xcc\x83g\x83\x89\x83" "b\x83N\x81v\x83L\x81[",  // 0xB0
    "\x81u\x91O\x82\xcc\x83g\x83\x89\x83" "b\x83N\x81v\x83L\x81[",  // 0xB1
    "\x81u\x83\x81\x83" "f\x83" "B\x83" "A\x92\xe2\x8e~\x81v\x83L\x81[",  // 0xB2
    "\x81u\x83\x81\x83" "f\x83" "B\x83" "A Start / Stop \x81v\x83L\x81[",  // 0xB3
    "\x81u\x83\x81\x81[\x83\x8b\x8aJ\x8en\x81v\x83L\x81[",  // 0xB4
    "\x81u\x83\x81\x83" "f\x83" "B\x83" "A\x91I\x91\xf0\x81v\x83L\x81[",  // 0xB5
    "\x81u\x83" "A\x83v\x83\x8a\x83P\x81[\x83V\x83\x87\x83\x93 1 \x8bN\x93\xae\x81v\x83L\x81[",  // 0xB6
    "\x81u\x83" "A\x83v\x83\x8a\x83P\x81[\x83V\x83\x87\x83\x93 2 \x8bN\x93\xae\x81v\x83L\x81[",  // 0xB7
    "\x97\\\x96\xf1",  // 0xB8
    "\x97\\\x96\xf1",  // 0xB9
    "U.S. \x95W\x8f\x80\x83L\x81[\x83{\x81[\x83h\x82\xc5\x82\xcd [ :; ]",  // 0xBA
    "[ + ]",  // 0xBB
    "[ , ]",  // 0xBC
    "[ - ]",  // 0xBD
    "[ . ]",  // 0xBE
    "U.S. \x95W\x8f\x80\x83L\x81[\x83{\x81[\x83h\x82\xc5\x82\xcd [ /? ]",  // 0xBF
    "U.S. \x95W\x8f\x80\x83L\x81[\x83{\x81[\x83h\x82\xc5\x82\xcd [ `~ ]",  // 0xC0
    "\x97\\\x96\xf1",  // 0xC1
    "\x97\\\x96\xf1",  // 0xC2
    "\x97\\\x96\xf1",  // 0xC3
    "\x97\\\x96\xf1",  // 0xC4
    "\x97\\\x96\xf1",  // 0xC5
    "\x97\\\x96\xf1",  // 0xC6
    "\x97\\\x96\xf1",  // 0xC7
    "\x97\\\x96\xf1",  // 0xC8
    "\x97\\\x96\xf1",  // 0xC9
    "\x97\\\x96\xf1",  // 0xCA
    "\x97\\\x96\xf1",  // 0xCB
    "\x97\\\x96\xf1",  // 0xCC
    "\x97\\\x96\xf1",  // 0xCD
    "\x97\\\x96\xf1",  // 0xCE
    "\x97\\\x96\xf1",  // 0xCF
    "\x97\\\x96\xf1",  // 0xD0
    "\x97\\\x96\xf1",  // 0xD1
    "\x97\\\x96\xf1",  // 0xD2
    "\x97\\\x96\xf1",  // 0xD3
    "\x97\\\x96\xf1",  // 0xD4
    "\x97\\\x96\xf1",  // 0xD5
    "\x97\\\x96\xf1",  // 0xD6
    "\x97\\\x96\xf1",  // 0xD7
    "\x8a\x84\x82\xe8\x93\x96\x82\xc4\x82\xc8\x82\xb5",  // 0xD8
    "\x8a\x84\x82\xe8\x93\x96\x82\xc4\x82\xc8\x82\xb5",  // 0xD9
    "\x8a\x84\x82\xe8\x93\x96\x82\xc4\x82\xc8\x82\xb5",  // 0xDA
    "U.S. \x95W\x8f\x80\x83L\x81[\x83{\x81[\x83h\x82\xc5\x82\xcd [ [{ ]",  // 0xDB
    "U.S. \x95W\x8f\x80\x83L\x81[\x83{\x81[\x83h\x82\xc5\x82\xcd [ \\| ]",  // 0xDC
    "U.S. \x95W\x8f\x80\x83L\x81[\x83{\x81[\x83h\x82\xc5\x82\xcd [ ]} ]",  // 0xDD
    "U.S. \x95W\x8f\x80\x83L\x81[\x83{\x81[\x83h\x82\xc5\x82\xcd [ '\" ]",  // 0xDE
};

NamedKeyMatch MatchNamedKeyAt(std::string_view text);

// One element of a chord: a named key (code) or a character.
struct ChordElement {
  bool isKey = false;
  uint8_t code = 0;
  unsigned char ch = 0;
};

// The elements of a chord's content, or nothing when it has none or more
// than a chord may hold.
bool ParseChord(std::string_view content, std::vector<ChordElement>& elements) {
  elements.clear();
  size_t pos = 0;
  while (pos < content.size()) {
    if (elements.size() == kMaxChordElements) return false;
    const NamedKeyMatch m = MatchNamedKeyAt(std::string_view(content).substr(pos));
    if (m.found) {
      elements.push_back({true, m.code, 0});
      pos += m.length;
    } else {
      elements.push_back({false, 0, static_cast<unsigned char>(content[pos])});
      ++pos;
    }
  }
  return !elements.empty();
}

void TypeChord(const std::vector<ChordElement>& elements) {
  // Characters are released with the modifiers they were pressed with, so a
  // Caps Lock or kana switch inside the chord cannot leave a key held down.
  std::vector<PressedChar> pressed(elements.size());
  for (size_t i = 0; i < elements.size(); ++i) {
    if (elements[i].isKey) {
      SendKeyEvent(static_cast<NamedKey>(elements[i].code), false);
    } else {
      pressed[i] = PressChar(elements[i].ch);
    }
  }
  for (size_t i = elements.size(); i-- > 0;) {
    if (elements[i].isKey) {
      SendKeyEvent(static_cast<NamedKey>(elements[i].code), true);
    } else {
      ReleaseChar(pressed[i]);
    }
  }
}

}  // namespace

const std::array<TKeyNameEntry, 64>& KeyNameTable() { return kKeyNames; }

std::string KeyName(int code) {
  for (const TKeyNameEntry& e : kKeyNames) {
    if (e.Code == code) return e.Name;
  }
  return {};
}

uint8_t KeyCodeOfName(const std::string& name) {
  if (name.empty()) return 0;
  for (const TKeyNameEntry& e : kKeyNames) {
    if (SameText(name, e.Name)) return e.Code;
  }
  return 0;
}

std::string KeyDescription(int code) {
  if (code < 0 || code >= 0xDF) return {};
  return kDescriptions[code];
}

NamedKeyMatch MatchNamedKey(const ByteString& text) { return MatchNamedKeyAt(text); }

namespace {

NamedKeyMatch MatchNamedKeyAt(std::string_view text) {
  NamedKeyMatch m;
  if (text.size() < 3 || text[0] != '[') return m;
  // The table is in code order, so the first hit is the lowest code.
  for (const TKeyNameEntry& e : kKeyNames) {
    const std::string_view name(e.Name);
    if (text.size() >= name.size() + 2 && text.compare(1, name.size(), name) == 0 &&
        text[name.size() + 1] == ']') {
      m.found = true;
      m.length = name.size() + 2;
      m.code = e.Code;
      return m;
    }
  }
  return m;
}

}  // namespace

ChordBrackets FindChord(const ByteString& text) {
  const size_t open = text.find('(');
  if (open == ByteString::npos) return {};
  const size_t close = text.find(')', open + 1);
  if (close == ByteString::npos) return {};
  return {open + 1, close + 1};
}

void TypeKeyString(const ByteString& original) {
  const ByteString text = TrimControl(original);
  std::vector<ChordElement> elements;
  // The next ")" is searched again only once the position has passed it, so
  // a long text full of "(" stays linear.
  size_t close = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    const std::string_view rest = std::string_view(text).substr(pos);
    if (rest[0] == '(') {
      if (close != ByteString::npos && close <= pos) close = text.find(')', pos + 1);
      if (close != ByteString::npos &&
          ParseChord(std::string_view(text).substr(pos + 1, close - pos - 1), elements)) {
        TypeChord(elements);
        pos = close + 1;
        continue;
      }
      // "()" and an over-long pair are not chords: the "(" is a character
      // and what follows is read on as usual.
    }
    const NamedKeyMatch m = MatchNamedKeyAt(rest);
    if (m.found) {
      SendKeyEvent(static_cast<NamedKey>(m.code), false);
      SendKeyEvent(static_cast<NamedKey>(m.code), true);
      pos += m.length;
      continue;
    }
    TypeChars(ByteString(1, rest[0]), true, true);
    ++pos;
  }
}

}  // namespace km27
