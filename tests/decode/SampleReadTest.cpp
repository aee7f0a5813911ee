// A sample read as the setup wizard lists it and the track selection and
// blocks taken back from the list.
#include <gtest/gtest.h>

#include "device/SampleRead.h"
#include "settings/Define.h"
#include "ui/Form.h"

namespace km27::test {
namespace {

class SampleReadTest : public ::testing::Test {
 protected:
  SampleReadTest() { ResetSettingsToBuiltIn(); }
  ~SampleReadTest() override { ResetSettingsToBuiltIn(); }
  void Read(std::array<const char*, 4> data, std::array<const char*, 4> status, int separators) {
    for (size_t k = 1; k <= 4; ++k) {
      CardData.TrackData[k] = data[k - 1];
      CardData.TrackStatus[k] = status[k - 1];
    }
    CardData.SeparatorCount = separators;
  }
  ui::Form form{"frmWizard"};
  ui::ListView& list = form.Make<ui::ListView>("lvwReadData");
};

TEST_F(SampleReadTest, DetectTracksFindsTheSlotsThatDelivered) {
  Read({"4900", "", "", ""}, {"0", "", "", ""}, 0);
  DetectTracks();
  EXPECT_EQ(CardData.Tracks, "1000");
  EXPECT_TRUE(CardData.SingleTrack);

  Read({"4900", "1234", "", ""}, {"0", "0", "", ""}, 2);
  DetectTracks();
  EXPECT_EQ(CardData.Tracks, "1100");
  EXPECT_FALSE(CardData.SingleTrack);

  // A slot with only an error status counts as delivered.
  Read({"", "", "", ""}, {"", "", "", "3"}, 3);
  DetectTracks();
  EXPECT_EQ(CardData.Tracks, "0001");
  EXPECT_TRUE(CardData.SingleTrack);
}

TEST_F(SampleReadTest, FillReadListShowsKanaErrorsAndEmptySlots) {
  // Slot 1 with kana between SO and SI, slot 2 a parity error, slot 3 read
  // without data, slot 4 not delivered.
  Read({"A\x0E\x31\x32\x0F" "B", "", "", ""}, {"0", "3", "0", ""}, 3);
  DetectTracks();
  FillReadList(list, true, true);
  EXPECT_TRUE(list.CheckBoxes);
  ASSERT_EQ(list.Rows().size(), 3u);
  const auto& r = list.Rows();
  EXPECT_EQ(r[0].caption, "1");
  EXPECT_EQ(r[0].subItems, (std::vector<std::string>{"6", "A\x0E\xB1\xB2\x0F" "B"}));
  EXPECT_TRUE(r[0].checked);
  EXPECT_EQ(r[1].caption, "2");
  EXPECT_EQ(r[1].subItems, (std::vector<std::string>{" ", "Parity Error"}));
  EXPECT_FALSE(r[1].checked);
  EXPECT_EQ(r[2].caption, "3");
  EXPECT_TRUE(r[2].subItems.empty());
  EXPECT_TRUE(r[2].checked);

  // Only the slots in use, when asked for; the list is cleared first.
  CardData.TrackUse = "0100";
  FillReadList(list, false, true);
  ASSERT_EQ(list.Rows().size(), 1u);
  EXPECT_EQ(list.Rows()[0].caption, "2");
}

TEST_F(SampleReadTest, SingleTrackHidesTheCheckBoxes) {
  Read({"12345", "", "", ""}, {"0", "", "", ""}, 0);
  DetectTracks();
  FillReadList(list, true, true);
  EXPECT_FALSE(list.CheckBoxes);
  ASSERT_EQ(list.Rows().size(), 1u);
  EXPECT_TRUE(list.Rows()[0].checked);
  Read({"12345", "67", "", ""}, {"0", "0", "", ""}, 1);
  DetectTracks();
  FillReadList(list, true, false);
  EXPECT_FALSE(list.CheckBoxes);
}

TEST_F(SampleReadTest, KanaShiftLastsToSiOrTheEnd) {
  EXPECT_EQ(KanaForDisplay("\x0E\x31"), "\x0E\xB1");
  EXPECT_EQ(KanaForDisplay("\x31\x0F\x31"), "\x31\x0F\x31");
  EXPECT_EQ(KanaForDisplay(""), "");
}

TEST_F(SampleReadTest, TrackUseAndBlocksFromTheCheckedRows) {
  Read({"4900123", "", "1234567890", ""}, {"0", "5", "0", ""}, 3);
  DetectTracks();
  FillReadList(list, true, true);
  TrackUseFromList(list);
  EXPECT_EQ(CardData.TrackUse, "1010");  // the errored slot 2 is unchecked

  list.UserCheck(0, false);  // the user leaves slot 1 out
  TrackUseFromList(list);
  EXPECT_EQ(CardData.TrackUse, "0010");

  list.UserCheck(1, true);
  BlocksFromList(list, true);
  ASSERT_EQ(KeyData.BlockNum, 2);
  ASSERT_EQ(KeyData.Blocks.size(), 2u);
  EXPECT_EQ(KeyData.Blocks[0].Track, 2);
  EXPECT_EQ(KeyData.Blocks[1].Track, 3);
  for (const auto& b : KeyData.Blocks) {
    EXPECT_TRUE(b.AllData);
    EXPECT_EQ(b.Start, 1);
    EXPECT_EQ(b.Digit, 1);
    EXPECT_TRUE(b.BlockHeader.empty());
    EXPECT_TRUE(b.BlockFooter.empty());
  }
  // Without all data the digit is the row's length; a blank one counts 1.
  BlocksFromList(list, false);
  EXPECT_EQ(KeyData.Blocks[0].Digit, 1);
  EXPECT_EQ(KeyData.Blocks[1].Digit, 10);
}

TEST_F(SampleReadTest, TrackUseIsLeftAloneForMoreThanFourRows) {
  CardData.TrackUse = "1100";
  for (int i = 0; i < 5; ++i) list.AddRow(ui::ListRow{"1", {}, true});
  TrackUseFromList(list);
  EXPECT_EQ(CardData.TrackUse, "1100");
  // A caption that is no slot number changes nothing.
  list.SetRows({ui::ListRow{"9", {}, true}, ui::ListRow{"x", {}, true}});
  TrackUseFromList(list);
  EXPECT_EQ(CardData.TrackUse, "0000");
}

}  // namespace
}  // namespace km27::test
