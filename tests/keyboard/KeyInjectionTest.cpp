// Characters to key events: Shift and Caps Lock, the control-character keys,
// kana mode, characters without a key and the two halves used by chords.
#include "keyboard/KeyInjection.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/CodePage.h"
#include "keyboard/CharacterTable.h"
#include "tests/support/FakeKeyInjector.h"

namespace km27 {
namespace {

class KeyInjectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetKeyState();
    TakeCharsTypedAsUnicode();
  }
  void TearDown() override { ResetKeyState(); }
  std::string Typed(const ByteString& text) {
    fake.Clear();
    TypeChars(text, true, true);
    return fake.Describe();
  }
  FakeKeyInjector fake;
};

TEST_F(KeyInjectionTest, ShiftFollowsTheLayoutAndCapsLockInvertsLettersOnly) {
  EXPECT_EQ(Typed("a"), "+A -A");
  EXPECT_EQ(Typed("A"), "+SHIFT +A -A -SHIFT");
  EXPECT_EQ(Typed("1"), "+1 -1");
  EXPECT_EQ(Typed("!"), "+SHIFT +1 -1 -SHIFT");
  fake.SetCapsLock(true);
  EXPECT_EQ(Typed("a"), "+SHIFT +A -A -SHIFT");
  EXPECT_EQ(Typed("A"), "+A -A");
  EXPECT_EQ(Typed("1"), "+1 -1");
  EXPECT_EQ(Typed("!"), "+SHIFT +1 -1 -SHIFT");
  EXPECT_EQ(Typed("{"), "+SHIFT +0xDB -0xDB -SHIFT");
}

TEST_F(KeyInjectionTest, EveryPrintableCharacterArrivesInTheEditWithEitherCapsLock) {
  std::string all;
  for (int c = 0x20; c <= 0x7E; ++c) all += static_cast<char>(c);
  for (bool caps : {false, true}) {
    fake.SetCapsLock(caps);
    Typed(all);
    EXPECT_EQ(fake.TypedText(), all) << "Caps Lock " << caps;
  }
}

TEST_F(KeyInjectionTest, ControlCharactersTypeTheirKeys) {
  EXPECT_EQ(Typed("\r"), "+ENTER -ENTER");
  EXPECT_EQ(Typed("\t"), "+TAB -TAB");
  EXPECT_EQ(Typed("\x08"), "+BACK -BACK");
  EXPECT_EQ(Typed("\x1C\x1D\x1E\x1F"), "+RIGHT -RIGHT +LEFT -LEFT +UP -UP +DOWN -DOWN");
  EXPECT_EQ(Typed("\x01\x05"), "+F1 -F1 +F5 -F5");
  // F6-F12 follow at 0x14, after Ctrl, Backspace, Tab, Delete, End, Home and Enter.
  EXPECT_EQ(Typed("\x14\x1A"), "+F6 -F6 +F12 -F12");
  EXPECT_EQ(Typed("\x06\x07"), "+LCTRL -LCTRL +RCTRL -RCTRL");
  EXPECT_EQ(Typed("\x0A\x0B\x0C"), "+DELETE -DELETE +END -END +HOME -HOME");
  EXPECT_EQ(Typed("\x10\x11\x12\x1B"), "+PAGEUP -PAGEUP +PAGEDOWN -PAGEDOWN +INSERT -INSERT +ESC -ESC");
}

TEST_F(KeyInjectionTest, BytesThatAreNoCharactersTypeNothing) {
  EXPECT_EQ(Typed(std::string("\x00\x13\x7F\x80\xA1\xE9\xFF", 7)), "");
  EXPECT_EQ(Typed("a\xB1" "b"), "+A -A +B -B");
  EXPECT_EQ(TakeCharsTypedAsUnicode(), "");
}

// "(" is U+0028 and ")" U+0029: a layout without them still gets them.
TEST_F(KeyInjectionTest, ACharacterTheLayoutLacksIsTypedAsItselfAndNoted) {
  fake.RemoveKeys("()");
  EXPECT_EQ(Typed("f(x)"), "+F -F +U+0028 -U+0028 +X -X +U+0029 -U+0029");
  EXPECT_EQ(fake.TypedText(), "f(x)");
  EXPECT_EQ(TakeCharsTypedAsUnicode(), "()");
  EXPECT_EQ(TakeCharsTypedAsUnicode(), "");
}

TEST_F(KeyInjectionTest, EditingKeysReplayLikeTheRealControl) {
  // The same text gives this in a Windows edit control under Wine.
  Typed(std::string("ab\x08" "c\r" "d\xE9\x80\tE\x00\x13" "f\x1D\x1D" "G\x0C" "H", 18));
  EXPECT_EQ(fake.TypedText(), "ac\r\nHd\tGEf");
}

TEST_F(KeyInjectionTest, KanaModeSwitchesAndShiftsPrintableCharacters) {
  EXPECT_EQ(Typed("\x0E"), "+CTRL +SHIFT +KANA -KANA -SHIFT -CTRL");
  EXPECT_TRUE(KeyState.KanaMode);
  // "1" is now the kana 0xB1 (U+FF71 in code page 932), which a US layout
  // has no key for; a space stays.
  EXPECT_EQ(Typed("1 "), "+U+FF71 -U+FF71 +SPACE -SPACE");
  EXPECT_EQ(TakeCharsTypedAsUnicode(), "\xB1");
  EXPECT_TRUE(KeyState.KanaMode);  // persists across texts
  EXPECT_EQ(Typed("\x0F"), "+CTRL +SHIFT +KANA -KANA -SHIFT -CTRL");
  EXPECT_FALSE(KeyState.KanaMode);
  EXPECT_EQ(Typed("1"), "+1 -1");
}

// A layout with keys for the kana and for characters behind Ctrl and Alt.
class RecordingLayout final : public VkKeyScanInjector {
 public:
  void KeyEvent(uint8_t vk, bool up) override { events.push_back({vk, up}); }
  int16_t VkKeyScan(char c) override {
    asked.push_back(static_cast<unsigned char>(c));
    if (c == 'x') return 0x0758;  // Ctrl + Shift + Alt + X
    if (c == 'y') return 0x0859;  // Hankaku + Y
    if (static_cast<unsigned char>(c) == 0xB1) return 0x0033;
    return UsLayoutVkKeyScan(c);
  }
  bool CapsLockOn() override { return false; }
  void UnicodeEvent(char16_t unit, bool up) override { events.push_back({kVkPacket, up, unit}); }
  std::vector<RecordedKeyEvent> events;
  std::vector<unsigned char> asked;
};

TEST_F(KeyInjectionTest, ModifiersGoDownCtrlShiftAltAndUpInReverse) {
  RecordingLayout layout;
  SetKeyInjector(&layout);
  TypeChars("xy", true, true);
  SetKeyInjector(&fake);
  EXPECT_EQ(DescribeKeyEvents(layout.events),
            "+CTRL +SHIFT +ALT +X -X -ALT -SHIFT -CTRL +Y -Y");  // Hankaku is never pressed
  TKeyState state;
  SetKeyInjector(&layout);
  EXPECT_EQ(CharToKey('y', state), 0x59);
  SetKeyInjector(&fake);
  EXPECT_TRUE(state.Hankaku);
  EXPECT_FALSE(state.Shift || state.Ctrl || state.Alt);
}

// Code page 932 has the kana bytes, so a Japanese layout is asked for them;
// elsewhere the byte is another character ("±" in 1252), so none is asked
// for it and the katakana goes out as itself.
TEST_F(KeyInjectionTest, KanaModeLooksUpTheKanaCode) {
  RecordingLayout layout;
  SetKeyInjector(&layout);
  TypeChars("\x0E" "1 \x0F" "1", true, true);
  EXPECT_EQ(layout.asked, (std::vector<unsigned char>{0x20, 0x31}));
  EXPECT_EQ(TakeCharsTypedAsUnicode(), "\xB1");
  layout.asked.clear();
  layout.events.clear();
  static const CodePage932 shiftJis;
  SetAnsiCodePage(&shiftJis);
  TypeChars("\x0E" "1 \x0F" "1", true, true);
  SetAnsiCodePage(nullptr);
  SetKeyInjector(&fake);
  EXPECT_EQ(layout.asked, (std::vector<unsigned char>{0xB1, 0x20, 0x31}));
  EXPECT_EQ(DescribeKeyEvents(layout.events),
            "+CTRL +SHIFT +KANA -KANA -SHIFT -CTRL +3 -3 +SPACE -SPACE "
            "+CTRL +SHIFT +KANA -KANA -SHIFT -CTRL +1 -1");
}

TEST_F(KeyInjectionTest, DownAndUpHalvesForChords) {
  fake.Clear();
  TypeChars("A", true, false);
  EXPECT_EQ(fake.Describe(), "+SHIFT +A");
  fake.Clear();
  TypeChars("A", false, true);
  EXPECT_EQ(fake.Describe(), "-A -SHIFT");
  fake.Clear();
  TypeChars("A", false, false);
  EXPECT_EQ(fake.Describe(), "");
}

TEST_F(KeyInjectionTest, CharacterTableRows) {
  KeyState.KanaMode = true;
  auto rows = CharacterTableRows();
  EXPECT_TRUE(KeyState.KanaMode);  // building the table does not touch typing
  ASSERT_EQ(rows.size(), 128u);
  EXPECT_EQ(rows[0x41].Ascii, "A    (41h)");
  EXPECT_EQ(rows[0x41].ShiftState, "[Shift]");
  EXPECT_EQ(rows[0x41].Key, "[A]");
  EXPECT_EQ(rows[0x61].Ascii, "a    (61h)");
  EXPECT_EQ(rows[0x61].ShiftState, "");
  EXPECT_EQ(rows[0x31].Key, "[1]");  // not the kana code
  EXPECT_EQ(rows[0x0D].Ascii, "     (0Dh)");
  EXPECT_EQ(rows[0x0D].Key, "[Enter]");
  EXPECT_EQ(rows[0x0E].ShiftState, "[Shift] [Ctrl]");
  EXPECT_EQ(rows[0x0E].Key, "IME \x83J\x83i\x83\x82\x81[\x83h");
  EXPECT_EQ(rows[0x7F].Ascii, "     (7Fh)");
  EXPECT_EQ(rows[0x7F].Key, "Null");
  EXPECT_EQ(rows[0x20].Key, "\x83X\x83y\x81[\x83X\x83L\x81[");
  fake.SetCapsLock(true);
  rows = CharacterTableRows();
  EXPECT_EQ(rows[0x41].ShiftState, "");
  EXPECT_EQ(rows[0x61].ShiftState, "[Shift]");
}

// A layout without "(" and ")" (VkKeyScanA answers -1).
class NoParenthesesLayout : public VkKeyScanInjector {
 public:
  NoParenthesesLayout() { SetKeyInjector(this); }
  ~NoParenthesesLayout() override { SetKeyInjector(nullptr); }
  void KeyEvent(uint8_t, bool) override {}
  int16_t VkKeyScan(char c) override { return c == '(' || c == ')' ? -1 : UsLayoutVkKeyScan(c); }
  bool CapsLockOn() override { return false; }
  void UnicodeEvent(char16_t, bool) override {}
};

TEST(CharacterTable, ACharacterTheLayoutCannotTypeShowsNoKey) {
  NoParenthesesLayout layout;
  auto rows = CharacterTableRows();
  EXPECT_EQ(rows['('].Key, "");
  EXPECT_EQ(rows['('].ShiftState, "");
  EXPECT_EQ(rows[')'].Key, "");
  EXPECT_EQ(rows['*'].Key, "[8]");
  EXPECT_EQ(rows[0x00].Key, "Null");  // the control character without a key keeps its name
}

}  // namespace
}  // namespace km27
