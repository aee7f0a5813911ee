#include "keyboard/CharacterTable.h"

#include "common/TextHelpers.h"
#include "keyboard/KeyInjection.h"
#include "keyboard/KeyNotation.h"

namespace km27 {

std::vector<TCharacterTableRow> CharacterTableRows() {
  std::vector<TCharacterTableRow> rows;
  rows.reserve(0x80);
  // A state of its own: 0x0E in the table must not switch typing to kana.
  TKeyState state;
  for (int c = 0; c < 0x80; ++c) {
    state.KanaMode = false;
    const uint8_t code = CharToKey(static_cast<unsigned char>(c), state);
    TCharacterTableRow row;
    const char shown = (c >= 0x20 && c <= 0x7E) ? static_cast<char>(c) : ' ';
    row.Ascii = std::string(1, shown) + "    (" + HexByte(static_cast<unsigned char>(c)) + "h)";
    std::string mods;
    if (state.Shift) mods += "[Shift]";
    if (state.Ctrl) mods += " [Ctrl]";
    if (state.Alt) mods += " [Alt]";
    if (state.Level3) mods += " [AltGr]";
    if (state.Hankaku) mods += " [hankaku]";
    row.ShiftState = TrimSpaces(mods);
    // A printable character the layout has no key for shows no key (code 0
    // would read "Null", the name of the key-less control character).
    const bool untypable = code == 0 && c >= 0x20 && c <= 0x7E;
    row.Key = untypable ? std::string() : KeyDescription(code);
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace km27
