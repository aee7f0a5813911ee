// Whole card reads through SendKeyData: which slots and separators are
// typed, blocks and their portions, kana mode after a slot, and the radio
// choices of the stored format texts.
#include "keyboard/KeyOutput.h"

#include <gtest/gtest.h>

#include <climits>

#include "keyboard/KeyInjection.h"
#include "settings/Define.h"
#include "tests/keyboard/Blocks.h"
#include "tests/support/FakeKeyInjector.h"

namespace km27 {
namespace {

using test::AllOf;
using test::PartOf;

class SendKeyDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSettingsToBuiltIn();
    ResetKeyState();
    CardData.Tracks = "1110";
    CardData.TrackUse = "1110";
  }
  void TearDown() override {
    ResetSettingsToBuiltIn();
    ResetKeyState();
  }
  void Read(std::initializer_list<std::pair<const char*, const char*>> slots) {
    int k = 1;
    for (const auto& [status, data] : slots) {
      CardData.TrackStatus[k] = status;
      CardData.TrackData[k] = data;
      ++k;
    }
  }
  void Blocks(std::vector<TBlockData> blocks) {
    KeyData.BlockNum = static_cast<int32_t>(blocks.size());
    KeyData.Blocks = std::move(blocks);
  }
  std::string Typed() {
    fake.Clear();
    SendKeyData();
    return fake.TypedText();
  }
  FakeKeyInjector fake;
};

TEST_F(SendKeyDataTest, EmptyFormatTypesNothing) {
  Read({{"0", "1234"}});
  EXPECT_EQ(Typed(), "");
  EXPECT_TRUE(fake.Events().empty());
}

TEST_F(SendKeyDataTest, HeaderTracksSeparatorsTerminator) {
  Read({{"0", "AB"}, {"0", "cd"}, {"0", "12"}});
  Blocks({AllOf(1), AllOf(2), AllOf(3)});
  KeyData.Header = "[HOME]>";
  KeyData.TrackSeparator = "[TAB]";
  KeyData.Terminator = "[ENTER]";
  EXPECT_EQ(Typed(), ">AB\tcd\t12\r\n");
}

TEST_F(SendKeyDataTest, SeparatorsStandBetweenSlotsInUseWhateverTheirStatus) {
  Blocks({AllOf(1), AllOf(2), AllOf(3)});
  KeyData.TrackSeparator = "[TAB]";
  // Slot 2 read but not in use: typed, without a separator before it.
  CardData.Tracks = "1110";
  CardData.TrackUse = "1010";
  Read({{"0", "D1"}, {"0", "D2"}, {"0", "D3"}});
  EXPECT_EQ(Typed(), "D1D2\tD3");
  // Slot 2 in use with an error: both separators, no data.
  CardData.TrackUse = "1110";
  KeyData.Header = "H";
  KeyData.Terminator = "T";
  Read({{"0", "D1"}, {"3", "D2"}, {"0", "D3"}});
  EXPECT_EQ(Typed(), "HD1\t\tD3T");
  // Slot 1 in use with an error: the separator after it still comes.
  Read({{"1", "D1"}, {"0", "D2"}, {"0", "D3"}});
  EXPECT_EQ(Typed(), "H\tD2\tD3T");
  // A short selection counts the missing slots as not in use.
  CardData.Tracks = "1";
  Read({{"0", "D1"}, {"0", "D2"}, {"0", "D3"}});
  EXPECT_EQ(Typed(), "HD1D2D3T");
}

TEST_F(SendKeyDataTest, NoSlotReadWellTypesNothingAtAll) {
  Blocks({AllOf(1)});
  KeyData.Header = "H";
  KeyData.TrackSeparator = "S";
  KeyData.Terminator = "[ENTER]";
  Read({{"3", "D1"}, {"", "D2"}, {"1", ""}, {"00", "D4"}});
  EXPECT_EQ(Typed(), "");
  EXPECT_TRUE(fake.Events().empty());
  Read({{"3", "D1"}, {"", ""}, {"", ""}, {"0", "D4"}});  // slot 4 has no block
  EXPECT_EQ(Typed(), "HSS\r\n");
}

TEST_F(SendKeyDataTest, BlockPortionsAreCutAtTheEndOfTheData) {
  Read({{"0", "1234567"}});
  Blocks({PartOf(1, 5, 4, "<", ">")});
  EXPECT_EQ(Typed(), "<567>");
  Blocks({PartOf(1, 8, 4, "<", ">")});
  EXPECT_EQ(Typed(), "<>");
  Blocks({PartOf(1, 2, 0, "<", ">"), PartOf(1, 0, 3, "[", "]"), PartOf(1, -1, 3)});
  EXPECT_EQ(Typed(), "<>[]");
  Blocks({PartOf(1, INT_MAX, INT_MAX), PartOf(1, 1, INT_MAX)});
  EXPECT_EQ(Typed(), "1234567");
  Blocks({PartOf(1, 1, 1), PartOf(1, 7, 1)});
  EXPECT_EQ(Typed(), "17");
}

TEST_F(SendKeyDataTest, BlocksAreTypedPerSlotInArrayOrder) {
  Read({{"0", "XYZ"}, {"0", "12345"}});
  KeyData.TrackSeparator = "/";
  Blocks({PartOf(2, 1, 2, "a"), AllOf(1, "b", "[TAB]"), PartOf(2, 3, 10, "c"), AllOf(5, "never"),
          AllOf(0, "never"), AllOf(1, "d")});
  EXPECT_EQ(Typed(), "bXYZ\tdXYZ/a12c345/");  // slot 3 is in use but empty
}

TEST_F(SendKeyDataTest, BlockNumLimitsTheBlocksTyped) {
  Read({{"0", "XYZ"}});
  Blocks({AllOf(1, "a"), AllOf(1, "b")});
  KeyData.BlockNum = 1;
  EXPECT_EQ(Typed(), "aXYZ");
  KeyData.BlockNum = 5;  // more than there are: those there are
  EXPECT_EQ(Typed(), "aXYZbXYZ");
  KeyData.BlockNum = -1;
  EXPECT_EQ(Typed(), "");
}

TEST_F(SendKeyDataTest, KanaModeIsClosedAfterEachSlot) {
  Read({{"0", "A\x0E" "1"}, {"0", "2"}});
  Blocks({AllOf(1), AllOf(2)});
  fake.Clear();
  SendKeyData();
  EXPECT_EQ(fake.Describe(),
            "+SHIFT +A -A -SHIFT +CTRL +SHIFT +KANA -KANA -SHIFT -CTRL +U+FF71 -U+FF71 "
            "+CTRL +SHIFT +KANA -KANA -SHIFT -CTRL +2 -2");
  EXPECT_FALSE(KeyState.KanaMode);
  // Data that close kana mode themselves get no extra SI.
  Read({{"0", "\x0E\x0F" "3"}});
  Blocks({AllOf(1)});
  fake.Clear();
  SendKeyData();
  EXPECT_EQ(fake.Describe(),
            "+CTRL +SHIFT +KANA -KANA -SHIFT -CTRL +CTRL +SHIFT +KANA -KANA -SHIFT -CTRL +3 -3");
}

TEST_F(SendKeyDataTest, EveryByteOfTheDataIsTypedAsACharacter) {
  // Card data are not notation: brackets and names are typed as they stand.
  Read({{"0", "([ENTER])a "}});
  Blocks({AllOf(1)});
  EXPECT_EQ(Typed(), "([ENTER])a ");
}

TEST(TypeFormatPart, KindsOutsideOneToThreeTypeNothing) {
  ResetSettingsToBuiltIn();
  FakeKeyInjector fake;
  KeyData.Header = "h";
  KeyData.TrackSeparator = "s";
  KeyData.Terminator = "t";
  for (int kind : {0, 4, -1, 1, 2, 3}) TypeFormatPart(kind);
  EXPECT_EQ(fake.TypedText(), "hst");
  ResetSettingsToBuiltIn();
}

TEST(KeyTextChoice, ClassifyAndBack) {
  EXPECT_EQ(ClassifyKeyText(""), 0);
  EXPECT_EQ(ClassifyKeyText(" \t"), 0);
  EXPECT_EQ(ClassifyKeyText("[]"), 0);
  EXPECT_EQ(ClassifyKeyText("["), 0);
  EXPECT_EQ(ClassifyKeyText("[ENTER]"), 1);
  EXPECT_EQ(ClassifyKeyText(" [ENTER] "), 1);
  EXPECT_EQ(ClassifyKeyText("enter"), 1);
  EXPECT_EQ(ClassifyKeyText("[tab]"), 2);
  EXPECT_EQ(ClassifyKeyText("[ENTER]x"), 3);
  EXPECT_EQ(ClassifyKeyText("[ENTER][TAB]"), 3);
  EXPECT_EQ(ClassifyKeyText("ABC"), 3);
  EXPECT_EQ(ClassifyKeyText("[SPACE]"), 3);
  for (int choice : {0, 1, 2}) EXPECT_EQ(ClassifyKeyText(KeyTextOfChoice(choice, "x")), choice);
  EXPECT_EQ(KeyTextOfChoice(3, " ([CTRL]v) "), " ([CTRL]v) ");
  EXPECT_EQ(KeyTextOfChoice(4, "x"), "");
  EXPECT_EQ(KeyTextOfChoice(-1, "x"), "");
}

}  // namespace
}  // namespace km27
