// Key notation: the name table, named keys against look-alikes, chords,
// trimming and what is typed literally.
#include "keyboard/KeyNotation.h"

#include <gtest/gtest.h>

#include <set>

#include "keyboard/KeyInjection.h"
#include "tests/support/FakeKeyInjector.h"

namespace km27 {
namespace {

TEST(KeyNameTable, NamesAndCodesConvertBothWays) {
  std::set<std::string> names;
  std::set<int> codes;
  for (const TKeyNameEntry& e : KeyNameTable()) {
    names.insert(e.Name);
    codes.insert(e.Code);
    EXPECT_EQ(KeyName(e.Code), e.Name);
    EXPECT_EQ(KeyCodeOfName(e.Name), e.Code);
  }
  EXPECT_EQ(names.size(), 64u);
  EXPECT_EQ(codes.size(), 64u);
  EXPECT_EQ(KeyName(0x0D), "ENTER");
  EXPECT_EQ(KeyName(0x2F), "");
  EXPECT_EQ(KeyName(0x41), "");
  EXPECT_EQ(KeyName(-1), "");
  EXPECT_EQ(KeyName(300), "");
  EXPECT_EQ(KeyCodeOfName("enter"), 0x0D);
  EXPECT_EQ(KeyCodeOfName("10keyEnter"), 0x6C);
  EXPECT_EQ(KeyCodeOfName("HELP"), 0);
  EXPECT_EQ(KeyCodeOfName(""), 0);
  EXPECT_EQ(KeyCodeOfName("[ENTER]"), 0);
}

TEST(KeyNameTable, Descriptions) {
  EXPECT_EQ(KeyDescription(0x00), "Null");
  EXPECT_EQ(KeyDescription(0x0D), "[Enter]");
  EXPECT_EQ(KeyDescription(0x17), "");
  EXPECT_EQ(KeyDescription(0x30), "[0]");
  EXPECT_EQ(KeyDescription(0x5A), "[Z]");
  EXPECT_EQ(KeyDescription(0x65), "\x83" "e\x83\x93\x83L\x81[\x82\xcc [ 5 ]");
  EXPECT_EQ(KeyDescription(0x70), "[F1]");
  EXPECT_EQ(KeyDescription(0x87), "[F24]");
  EXPECT_EQ(KeyDescription(0xBB), "[ + ]");
  EXPECT_EQ(KeyDescription(0xDE), "U.S. \x95W\x8f\x80\x83L\x81[\x83{\x81[\x83h\x82\xc5\x82\xcd [ '\" ]");
  EXPECT_EQ(KeyDescription(0xDF), "");
  EXPECT_EQ(KeyDescription(0xFF), "");
  EXPECT_EQ(KeyDescription(-5), "");
  for (int code = 0; code < 0xDF; ++code) {
    // Every description is valid code page 932: no lead byte without a trail byte.
    const std::string d = KeyDescription(code);
    for (size_t i = 0; i < d.size(); ++i) {
      const unsigned char b = static_cast<unsigned char>(d[i]);
      if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) {
        ASSERT_LT(i + 1, d.size()) << code;
        ++i;
      }
    }
  }
  for (const TKeyNameEntry& e : KeyNameTable()) EXPECT_NE(KeyDescription(e.Code), "") << e.Name;
}

TEST(KeyNotationParsing, MatchNamedKeyNeedsTheClosingBracketAndTheCase) {
  NamedKeyMatch m = MatchNamedKey("[F10]");
  EXPECT_TRUE(m.found);
  EXPECT_EQ(m.code, 0x79);
  EXPECT_EQ(m.length, 5u);
  m = MatchNamedKey("[F1]0");
  EXPECT_TRUE(m.found);
  EXPECT_EQ(m.code, 0x70);
  EXPECT_EQ(m.length, 4u);
  EXPECT_EQ(MatchNamedKey("[10KEY*]").code, 0x6A);
  EXPECT_FALSE(MatchNamedKey("[Enter]").found);
  EXPECT_FALSE(MatchNamedKey("[ENTER").found);
  EXPECT_FALSE(MatchNamedKey("x[ENTER]").found);
  EXPECT_FALSE(MatchNamedKey("[]").found);
  EXPECT_FALSE(MatchNamedKey("").found);
  EXPECT_EQ(MatchNamedKey("[HELP]").length, 0u);
}

TEST(KeyNotationParsing, FindChord) {
  ChordBrackets c = FindChord("ab(cd)e)");
  EXPECT_EQ(c.open, 3u);
  EXPECT_EQ(c.close, 6u);
  c = FindChord("(abc");
  EXPECT_EQ(c.open, 0u);
  EXPECT_EQ(c.close, 0u);
  EXPECT_EQ(FindChord("a)b(").open, 0u);
  EXPECT_EQ(FindChord("").open, 0u);
  c = FindChord("()");
  EXPECT_EQ(c.open, 1u);
  EXPECT_EQ(c.close, 2u);
}

class TypeKeyStringTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetKeyState(); }
  void TearDown() override { ResetKeyState(); }
  std::string Events(const ByteString& notation) {
    fake.Clear();
    TypeKeyString(notation);
    return fake.Describe();
  }
  std::string Text(const ByteString& notation) {
    fake.Clear();
    TypeKeyString(notation);
    return fake.TypedText();
  }
  FakeKeyInjector fake;
};

TEST_F(TypeKeyStringTest, NamedKeysAndLookAlikes) {
  EXPECT_EQ(Events("[TAB]"), "+TAB -TAB");
  EXPECT_EQ(Events("[F10]"), "+F10 -F10");
  EXPECT_EQ(Events("[F1]0"), "+F1 -F1 +0 -0");
  EXPECT_EQ(Events("[SHIFT]a"), "+SHIFT -SHIFT +A -A");  // a named key carries no modifier over
  EXPECT_EQ(Text("abc[ENTER]"), "abc\r\n");
  EXPECT_EQ(Text("[Enter]"), "[Enter]");
  EXPECT_EQ(Text("[HELP]"), "[HELP]");
  EXPECT_EQ(Text("[ENTER"), "[ENTER");
  EXPECT_EQ(Text("[[ENTER]]"), "[\r\n]");
}

TEST_F(TypeKeyStringTest, TrimsSpacesAndControlCharacters) {
  EXPECT_EQ(Events(" [ENTER] "), "+ENTER -ENTER");
  EXPECT_EQ(Events("   "), "");
  EXPECT_EQ(Events(""), "");
  EXPECT_EQ(Text("\t\r\n a b\x01 "), "a b");
  EXPECT_EQ(Text("[SPACE]x[SPACE]"), " x ");
}

TEST_F(TypeKeyStringTest, ChordsPressInOrderAndReleaseInReverse) {
  EXPECT_EQ(Events("([CTRL]v)"), "+CTRL +V -V -CTRL");
  EXPECT_EQ(Events("([ALT][F4])"), "+ALT +F4 -F4 -ALT");
  EXPECT_EQ(Events("(A)"), "+SHIFT +A -A -SHIFT");
  EXPECT_EQ(Events("(41h)"), "+4 +1 +H -H -1 -4");
  EXPECT_EQ(Events("([CTRL][SHIFT]a)b"), "+CTRL +SHIFT +A -A -SHIFT -CTRL +B -B");
  // The first ")" closes: the chord of "(" and "a", then the character ")".
  EXPECT_EQ(Events("((a))"), "+SHIFT +9 +A -A -9 -SHIFT +SHIFT +0 -0 -SHIFT");
  // A chord is only taken at the current position.
  EXPECT_EQ(Text("x(y)"), "xy");
}

TEST_F(TypeKeyStringTest, UnclosedAndStrayBracketsAreCharacters) {
  EXPECT_EQ(Text("(abc"), "(abc");
  EXPECT_EQ(Text("a)b"), "a)b");
  EXPECT_EQ(Text("[enter]"), "[enter]");
}

TEST_F(TypeKeyStringTest, EmptyAndOverlongChordsAreTypedAsText) {
  EXPECT_EQ(Events("()"), "+SHIFT +9 -9 -SHIFT +SHIFT +0 -0 -SHIFT");
  EXPECT_EQ(Text("a()b"), "a()b");
  EXPECT_EQ(Text("([ENTER])"), "\r\n");
  EXPECT_EQ(Text("(" + std::string(100, 'k') + ")"), std::string(100, 'k'));
  // At the limit: every key goes down before any comes up.
  fake.Clear();
  TypeKeyString("(" + std::string(100, 'k') + ")");
  ASSERT_EQ(fake.Events().size(), 200u);
  EXPECT_FALSE(fake.Events()[99].up);
  EXPECT_TRUE(fake.Events()[100].up);
  // Beyond it nothing is held down together and nothing is lost.
  const std::string overlong = "(" + std::string(50, 'k') + "[TAB]" + std::string(50, 'k') + ")";
  EXPECT_EQ(Text(overlong), "(" + std::string(50, 'k') + "\t" + std::string(50, 'k') + ")");
}

TEST_F(TypeKeyStringTest, LongTextsOfBracketsAreTypedWhole) {
  const std::string opens(200000, '(');
  EXPECT_EQ(Text(opens), opens);
  // The "(" 101 places from the end opens a chord of the last 100, closed by ")".
  EXPECT_EQ(Text(opens + ")"), std::string(199999, '('));
  EXPECT_EQ(Text("(a)(b)x(c"), "abx(c");
}

TEST_F(TypeKeyStringTest, ChordKeysAreReleasedAsTheyWerePressed) {
  // Caps Lock switched inside the chord: "a" still comes up without Shift.
  EXPECT_EQ(Events("(a[CAPS]b)"), "+A +CAPS +SHIFT +B -B -SHIFT -CAPS -A");
  fake.SetCapsLock(false);
  // Kana switched on after "1" was pressed: "1" is still released. The kana
  // "2" (0xB2, U+FF72) has no key on a US layout and goes as a Unicode event.
  EXPECT_EQ(Events("(1\x0E" "2)"),
            "+1 +CTRL +SHIFT +KANA +U+FF72 -U+FF72 -KANA -SHIFT -CTRL -1");
  EXPECT_TRUE(KeyState.KanaMode);
}

}  // namespace
}  // namespace km27
