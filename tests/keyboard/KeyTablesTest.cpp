// Every row of the control-character table and every code of the formula
// ranges of the key description table.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "keyboard/KeyInjection.h"
#include "keyboard/KeyNotation.h"
#include "tests/support/FakeKeyInjector.h"

namespace km27 {
namespace {

// The keys of the control characters by the names of the key name table:
// F1-F5 at 0x01-0x05 and F6-F12 at 0x14-0x1A, so that 0x06-0x0D keep the
// left and right Ctrl, Backspace, Tab, Delete, End, Home and Enter.
TEST(KeyTables, ControlCharacterTableRowByRow) {
  FakeKeyInjector fake;
  std::map<int, std::string> named = {
      {0x06, "LCTRL"},  {0x07, "RCTRL"},    {0x08, "BACK"},   {0x09, "TAB"},   {0x0A, "DELETE"},
      {0x0B, "END"},    {0x0C, "HOME"},     {0x0D, "ENTER"},  {0x0E, "KANA"},  {0x0F, "KANA"},
      {0x10, "PAGEUP"}, {0x11, "PAGEDOWN"}, {0x12, "INSERT"}, {0x1B, "ESC"},   {0x1C, "RIGHT"},
      {0x1D, "LEFT"},   {0x1E, "UP"},       {0x1F, "DOWN"}};
  for (int f = 1; f <= 5; ++f) named[f] = "F" + std::to_string(f);
  for (int f = 6; f <= 12; ++f) named[0x14 + f - 6] = "F" + std::to_string(f);
  ASSERT_EQ(named.size(), 30u) << "every control character but 0x00 and 0x13";
  for (int c = 0; c < 0x20; ++c) {
    TKeyState state;
    state.KanaMode = (c == 0x0F);
    const auto it = named.find(c);
    EXPECT_EQ(CharToKey(static_cast<unsigned char>(c), state), it == named.end() ? 0 : KeyCodeOfName(it->second))
        << "char " << c;
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
