// Every row of the control-character table and every code of the formula
// ranges of the key description table.
#include <gtest/gtest.h>

#include <string>

#include "keyboard/KeyInjection.h"
#include "keyboard/KeyNotation.h"
#include "tests/support/FakeKeyInjector.h"

namespace km27 {
namespace {

TEST(KeyTables, ControlCharacterTableRowByRow) {
  FakeKeyInjector fake;
  // 0x00-0x1F in order; 0 = no key.
  const uint8_t expected[32] = {
      0x00, 0x70, 0x71, 0x72, 0x73, 0x74, 0xA2, 0xA3,  // -, F1-F5, left Ctrl, right Ctrl
      0x08, 0x09, 0x2E, 0x23, 0x24, 0x0D, 0x15, 0x15,  // Backspace Tab Delete End Home Enter Kana Kana
      0x21, 0x22, 0x2D, 0x00, 0x75, 0x76, 0x77, 0x78,  // Page Up, Page Down, Insert, -, F6-F9
      0x79, 0x7A, 0x7B, 0x1B, 0x27, 0x25, 0x26, 0x28,  // F10-F12 Esc Right Left Up Down
  };
  for (int c = 0; c < 0x20; ++c) {
    TKeyState state;
    state.KanaMode = (c == 0x0F);
    EXPECT_EQ(CharToKey(static_cast<unsigned char>(c), state), expected[c]) << "char " << c;
    const bool kanaKey = (c == 0x0E || c == 0x0F);
    EXPECT_EQ(state.Shift, kanaKey) << "char " << c;
    EXPECT_EQ(state.Ctrl, kanaKey) << "char " << c;
    EXPECT_FALSE(state.Alt || state.Hankaku) << "char " << c;
    EXPECT_EQ(state.KanaMode, c == 0x0E) << "char " << c;
  }
}

TEST(KeyTables, DescriptionFormulaRanges) {
  for (int code = 0x30; code <= 0x39; ++code) {
    EXPECT_EQ(KeyDescription(code), "[" + std::string(1, static_cast<char>(code)) + "]") << code;
  }
  for (int code = 0x41; code <= 0x5A; ++code) {
    EXPECT_EQ(KeyDescription(code), "[" + std::string(1, static_cast<char>(code)) + "]") << code;
  }
  // "テンキーの " in code page 932.
  const std::string tenKey = "\x83" "e\x83\x93\x83L\x81[\x82\xcc ";
  for (int code = 0x60; code <= 0x69; ++code) {
    EXPECT_EQ(KeyDescription(code), tenKey + "[ " + std::to_string(code - 0x60) + " ]") << code;
  }
  EXPECT_EQ(KeyDescription(0x6A), tenKey + "[ * ]");
  EXPECT_EQ(KeyDescription(0x6B), tenKey + "[ + ]");
  EXPECT_EQ(KeyDescription(0x6C), tenKey + "[Enter]");
  EXPECT_EQ(KeyDescription(0x6D), tenKey + "[ - ]");
  EXPECT_EQ(KeyDescription(0x6E), tenKey + "[ . ]");
  EXPECT_EQ(KeyDescription(0x6F), tenKey + "[ / ]");
  for (int code = 0x70; code <= 0x87; ++code) {
    EXPECT_EQ(KeyDescription(code), "[F" + std::to_string(code - 0x6F) + "]") << code;
  }
}

}  // namespace
}  // namespace km27
