// Blocks as list rows, the row operations of the block lists and the slot
// behind a track tab.
#include <gtest/gtest.h>

#include <set>

#include "keyboard/BlockRows.h"
#include "ui/Form.h"

namespace km27::test {
namespace {

using Cells = std::vector<std::string>;

class BlockRowsTest : public ::testing::Test {
 protected:
  BlockRowsTest() { ResetSettingsToBuiltIn(); }
  ~BlockRowsTest() override { ResetSettingsToBuiltIn(); }
  std::vector<std::string> Captions() const {
    std::vector<std::string> c;
    for (const auto& r : list.Rows()) c.push_back(r.caption);
    return c;
  }
  std::vector<std::string> Tracks() const {
    std::vector<std::string> t;
    for (const auto& r : list.Rows()) t.push_back(r.subItems[kColTrack]);
    return t;
  }
  ui::Form form{"frmOption"};
  ui::ListView& list = form.Make<ui::ListView>("lvwBlockData");
};

TEST_F(BlockRowsTest, RowFormatAndItsInverse) {
  struct Case {
    TBlockData block;
    Cells cells;
  } cases[] = {
      {{2, true, 7, 9, "", "[TAB]"}, {"2", "ON", "-", "-", " ", "[TAB]"}},
      {{3, false, 5, 12, "[ENTER]", ""}, {"3", "OFF", "5", "12", "[ENTER]", ""}},
  };
  for (const auto& c : cases) {
    ui::ListRow row = BlockRow(c.block);
    EXPECT_EQ(row.subItems, c.cells);
    TBlockData back = BlockFromRow(row);
    EXPECT_EQ(back.Track, c.block.Track);
    EXPECT_EQ(back.AllData, c.block.AllData);
    // A block taking all data shows "-", which reads back as 1.
    EXPECT_EQ(back.Start, c.block.AllData ? 1 : c.block.Start);
    EXPECT_EQ(back.Digit, c.block.AllData ? 1 : c.block.Digit);
    EXPECT_EQ(back.BlockHeader, c.block.BlockHeader);
    EXPECT_EQ(back.BlockFooter, c.block.BlockFooter);
  }
  // "on" in any case takes all data; a cell that is no number counts 1.
  TBlockData odd = BlockFromRow(ui::ListRow{"1", {"4", "on", "x", "", "  ", "F"}});
  EXPECT_TRUE(odd.AllData);
  EXPECT_EQ(odd.Start, 1);
  EXPECT_EQ(odd.Digit, 1);
  EXPECT_EQ(odd.BlockHeader, "  ");  // only the single blank stands for empty
}

TEST_F(BlockRowsTest, AddUpdateDeleteKeepTheRowsNumbered) {
  AddBlockRow(list, {1, true, 1, 1, "", ""});
  AddBlockRow(list, {2, false, 3, 4, "H", "F"});
  AddBlockRow(list, {1, false, 5, 6, "", ""});
  EXPECT_EQ(Captions(), (Cells{"1", "2", "3"}));
  for (const auto& r : list.Rows()) EXPECT_EQ(r.imageIndex, 0);

  // Update keeps the track, whatever the block says.
  UpdateBlockRow(list, 1, {4, true, 9, 9, "", "x"});
  EXPECT_EQ(list.Rows()[1].subItems, (Cells{"2", "ON", "-", "-", " ", "x"}));
  UpdateBlockRow(list, -1, {4, true, 9, 9, "", "y"});
  UpdateBlockRow(list, 3, {4, true, 9, 9, "", "y"});
  EXPECT_EQ(list.Rows()[1].subItems[kColFooter], "x");

  DeleteBlockRow(list, 0);
  DeleteBlockRow(list, -1);
  DeleteBlockRow(list, 7);
  EXPECT_EQ(Captions(), (Cells{"1", "2"}));
  EXPECT_EQ(Tracks(), (Cells{"2", "1"}));
}

TEST_F(BlockRowsTest, DeleteTrackRowsRemovesOnlyTheTabsTrack) {
  CardData.Tracks = "1110";
  CardData.TrackUse = "1010";
  for (int track : {1, 3, 1, 2, 3}) AddBlockRow(list, {track, true, 1, 1, "", ""});
  DeleteTrackRows(list, 2);  // the second tab shows slot 3
  EXPECT_EQ(Tracks(), (Cells{"1", "1", "2"}));
  EXPECT_EQ(Captions(), (Cells{"1", "2", "3"}));
  DeleteTrackRows(list, 3);  // no third tab: nothing goes
  EXPECT_EQ(list.Rows().size(), 3u);
}

TEST_F(BlockRowsTest, TrackOfTabCountsTheSlotsInUse) {
  struct Case {
    std::string tracks, use;
    std::vector<int> slots;  // of tabs 1, 2, 3, 4, 5
  } cases[] = {
      {"1111", "1111", {1, 2, 3, 4, 0}},
      {"1110", "1010", {1, 3, 0, 0, 0}},
      {"0000", "1111", {0, 0, 0, 0, 0}},
      {"1111", "01", {2, 0, 0, 0, 0}},  // a short TrackUse leaves the rest unused
  };
  for (const auto& c : cases) {
    CardData.Tracks = c.tracks;
    CardData.TrackUse = c.use;
    for (int n = 1; n <= 5; ++n) EXPECT_EQ(TrackOfTab(n), c.slots[static_cast<size_t>(n - 1)]) << c.tracks << "/" << c.use << " tab " << n;
    EXPECT_EQ(TrackOfTab(0), 0);
    EXPECT_EQ(TrackOfTab(-1), 0);
  }
}

TEST_F(BlockRowsTest, RowPicturesAreThreeOfTheListsSize) {
  ui::ImageList& images = form.Make<ui::ImageList>("imlBlockRows", 16, 16);
  AddBlockRowImages(images);
  ASSERT_EQ(images.Images().size(), 3u);
  EXPECT_NE(images.Images()[1].pixels, images.Images()[2].pixels);
  // On a 144 dpi screen the rows want 24 pixels: the pictures are drawn
  // again at that size, sharp (only their own colours, no blended edges).
  const std::vector<ui::Image> larger = images.ImagesAt(24, 24);
  ASSERT_EQ(larger.size(), 3u);
  for (size_t i = 0; i < larger.size(); ++i) {
    const std::set<uint32_t> palette(images.Images()[i].pixels.begin(), images.Images()[i].pixels.end());
    const std::set<uint32_t> used(larger[i].pixels.begin(), larger[i].pixels.end());
    EXPECT_EQ(used, palette) << i;
  }
  // The arrow's tip stays at the middle of the right side.
  const ui::Image& arrow = larger[1];
  EXPECT_NE(arrow.pixels[12 * 24 + 20], 0u);
  EXPECT_EQ(arrow.pixels[5 * 24 + 20], 0u);
}

}  // namespace
}  // namespace km27::test
