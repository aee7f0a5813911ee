#pragma once
// Key notation: the texts of header, separator, terminator, block header and
// block footer. Plain characters, named keys such as "[ENTER]" (names upper
// case as in the key name table, matched with case) and chords in round
// brackets, "([CTRL]v)", whose elements are pressed in order and released in
// reverse order.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/ByteString.h"

namespace km27 {

struct TKeyNameEntry {
  uint8_t Code;
  const char* Name;
};

// The 64 named keys in code order.
const std::array<TKeyNameEntry, 64>& KeyNameTable();

// The name of the key with this code, or "" for a code without a name.
std::string KeyName(int code);
// The code of a name, compared without regard to case; 0 for an unknown name.
uint8_t KeyCodeOfName(const std::string& name);
// Display text of a virtual-key code (code page 932); "" above 0xDE.
std::string KeyDescription(int code);

struct NamedKeyMatch {
  bool found = false;
  size_t length = 0;  // of the whole "[NAME]"
  uint8_t code = 0;
};
// Whether `text` begins with "[" + a key name + "]".
NamedKeyMatch MatchNamedKey(const ByteString& text);

struct ChordBrackets {
  size_t open = 0;   // 1-based position of the first "(", 0 when there is no pair
  size_t close = 0;  // 1-based position of the first ")" after it
};
ChordBrackets FindChord(const ByteString& text);

// A chord holds at most this many keys; a bracket pair with more, or with
// none, is not a chord and its characters are typed as they stand.
constexpr size_t kMaxChordElements = 100;

// Types a notation text. Characters 0x20 and below are trimmed from both
// ends; a space wanted there is written "[SPACE]".
void TypeKeyString(const ByteString& text);

}  // namespace km27
