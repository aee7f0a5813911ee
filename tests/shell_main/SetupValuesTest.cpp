// The list of setup values: line formats and block numbering.
#include "settings/Define.h"
#include "tests/shell_main/MainFixture.h"

namespace km27::test {
namespace {

class SetupValues : public MainFixture {
 protected:
  SetupValues() { CreateMain(); }
  const std::vector<std::string>& Lines() {
    main->ShowSetupValues();
    return main->lstSetupValue->Items();
  }
  static TBlockData Block(int track, bool all, int start = 0, int digit = 0, std::string header = "",
                          std::string footer = "") {
    TBlockData b;
    b.Track = track;
    b.AllData = all;
    b.Start = start;
    b.Digit = digit;
    b.BlockHeader = std::move(header);
    b.BlockFooter = std::move(footer);
    return b;
  }
};

TEST_F(SetupValues, BuiltInSettingsGiveModeAndPortOnly) {
  EXPECT_EQ(Lines(), (std::vector<std::string>{"Auto Start Mode=OFF", "Port=COM1"}));
}

TEST_F(SetupValues, EveryLineFormat) {
  General.AutoStart = true;
  Serial.Port = 12;
  TargetWindow.WindowTitle = "Untitled - Notepad";
  TargetWindow.ClassName = "Notepad";
  KeyData.Header = "[F2]";
  KeyData.TrackSeparator = "[TAB]";
  KeyData.Terminator = "[ENTER]";
  CardData.Tracks = "1100";
  CardData.TrackUse = "1100";
  KeyData.Blocks = {Block(1, true), Block(2, false, 3, 8, "(+a)", "[ENTER]")};
  KeyData.BlockNum = 2;
  EXPECT_EQ(Lines(), (std::vector<std::string>{
                         "Auto Start Mode=ON",
                         "Port=COM12",
                         "Target Window=Untitled - Notepad (Notepad)",
                         "Key Data Format=Header:[F2],Track Separator:[TAB],Terminator:[ENTER]",
                         "Block Data Format 1=Track:1,Send All Data ",
                         "Block Data Format 2=Track:2,Start:3,Digit:8,Header:(+a),Footer:[ENTER]",
                     }));
}

TEST_F(SetupValues, PartialTextsDropOnlyTheirOwnParts) {
  KeyData.Terminator = "[ENTER]";
  TargetWindow.ClassName = "Edit";
  auto lines = Lines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[2], "Target Window= (Edit)");
  EXPECT_EQ(lines[3], "Key Data Format=Terminator:[ENTER]");

  // The separator is not part of a single-track format.
  KeyData.Terminator.clear();
  KeyData.TrackSeparator = "[TAB]";
  CardData.SingleTrack = true;
  EXPECT_EQ(Lines().size(), 3u);
  CardData.SingleTrack = false;
  EXPECT_EQ(Lines().back(), "Key Data Format=Track Separator:[TAB]");
}

TEST_F(SetupValues, BlocksAreNumberedInTrackOrderForTracksInUse) {
  CardData.Tracks = "1110";
  CardData.TrackUse = "1101";  // track 3 read but not used; track 4 used but not read
  KeyData.Blocks = {Block(2, true), Block(1, true), Block(3, true), Block(2, false, 1, 4), Block(4, true)};
  KeyData.BlockNum = 5;
  auto lines = Lines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[2], "Block Data Format 1=Track:1,Send All Data ");
  EXPECT_EQ(lines[3], "Block Data Format 2=Track:2,Send All Data ");
  EXPECT_EQ(lines[4], "Block Data Format 3=Track:2,Start:1,Digit:4");
}

TEST_F(SetupValues, ShortTrackFlagsCountAsUnused) {
  CardData.Tracks = "1";
  CardData.TrackUse = "";
  KeyData.Blocks = {Block(1, true)};
  KeyData.BlockNum = 1;
  EXPECT_EQ(Lines().size(), 2u);
}

TEST_F(SetupValues, RebuildingReplacesTheList) {
  Lines();
  Serial.Port = 3;
  EXPECT_EQ(Lines(), (std::vector<std::string>{"Auto Start Mode=OFF", "Port=COM3"}));
}

}  // namespace
}  // namespace km27::test
