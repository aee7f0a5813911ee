#pragma once
// Rows of the options dialog's character table: how each character 0x00-0x7F
// is typed with the current keyboard layout and Caps Lock state.
#include <string>
#include <vector>

namespace km27 {

struct TCharacterTableRow {
  std::string Ascii;       // "A    (41h)"; a blank stands for a control character
  std::string ShiftState;  // "[Shift] [Ctrl] [Alt] [hankaku]" for the modifiers needed
  std::string Key;         // description of the key
};

// 128 rows, codes 0x00-0x7F in order. Kana mode is taken as off, and building
// the table leaves the kana mode of typing as it was.
std::vector<TCharacterTableRow> CharacterTableRows();

}  // namespace km27
