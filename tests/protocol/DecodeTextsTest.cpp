// Every row of the reader's code tables and the boundaries between them.
#include "device/DecodeTexts.h"

#include <gtest/gtest.h>

#include <map>

namespace km27 {
namespace {

TEST(DecodeTexts, TrackStatusText) {
  EXPECT_EQ(TrackStatusText("", false), "");
  EXPECT_EQ(TrackStatusText("0", false), "Read OK");
  EXPECT_EQ(TrackStatusText("0", true), "Write OK");
  const std::map<std::string, std::string> rows = {
      {"1", "STX Error"},         {"2", "ETX Error"},         {"3", "Parity Error"}, {"4", "LRC Error"},
      {"5", "Data Format Error"}, {"6", "Not Defined Error"}, {"7", "Write Error"},  {"8", ""},
      {"9", ""},                  {"10", ""},                 {"00", "Read OK"}};
  for (const auto& [status, text] : rows) {
    EXPECT_EQ(TrackStatusText(status, false), text) << status;
    if (status != "0" && status != "00") {
      EXPECT_EQ(TrackStatusText(status, true), text) << status;
    }
  }
  EXPECT_EQ(TrackStatusText("?", false), "Unknown Error (3Fh)");
  EXPECT_EQ(TrackStatusText("A", true), "Unknown Error (41h)");
  EXPECT_EQ(TrackStatusText(std::string(1, '\0'), false), "Unknown Error (00h)");
  EXPECT_EQ(TrackStatusText("\xFF", false), "Unknown Error (FFh)");
  EXPECT_EQ(TrackStatusText("99999999999999999999", false), "");
}

TEST(DecodeTexts, EventText) {
  const std::map<int, std::string> rows = {
      {1, "Finished read operation of a card."},
      {2, "Finished write operation of a card."},
      {3, "Finished pass operation of a card."},
      {4, "The card was inserted."},
      {5, "Finished pull in operation of a card."},
      {6, "Finished eject operation of a card."},
      {7, "Shutter operation (opened/closed)"},
      {8, "Closed a shutter."},
      {9, "The card was inserted in shutter."},
      {10, "The card was connected to IC connector."},
      {13, "The power supply of product was turned off."},
      {14, "The card was pull out."},
      {20, "Card dispense complete event."},
      {21, "Card selector ejection complete event."},
      {22, "Card thickness set complete event."},
      {23, "Pressure transporting mechanism reset complete event."},
      {24, "Cartridge set event."},
      {25, "Cartridge not set event."},
      {26, "100 cards remain in the cartridge."},
      {27, "Card dispense alert event."},
      {28, "Card ejection from card selector alert event."}};
  for (int code = -1; code <= 30; ++code) {
    auto it = rows.find(code);
    EXPECT_EQ(EventText(std::to_string(code)), it == rows.end() ? "" : it->second) << code;
  }
  EXPECT_EQ(EventText("01"), rows.at(1));
  EXPECT_EQ(EventText("11"), "");
  EXPECT_EQ(EventText("x1"), "");  // not a number: 0
  EXPECT_EQ(EventText(""), "");
}

TEST(DecodeTexts, ErrorEventText) {
  const std::map<int, std::string> rows = {
      {1, "The unit is holding a card internally."},
      {2, "Shutter movement error."},
      {3, "Card transportation error."},
      {4, "Card insertion error."},
      {5, "There is no card to move inside the unit."},
      {6, "Dispenser card transportation error."},
      {7, "Card selector unusual operation error."},
      {8, "Card thickness changer unusual operation error."},
      {9, "Pressure transporting mechanism position error."}};
  for (int code = -1; code <= 12; ++code) {
    auto it = rows.find(code);
    EXPECT_EQ(ErrorEventText(std::to_string(code)), it == rows.end() ? "" : it->second) << code;
  }
  EXPECT_EQ(ErrorEventText("09"), rows.at(9));
  EXPECT_EQ(ErrorEventText("A1"), "");
}

TEST(DecodeTexts, ErrorResponseText) {
  const std::map<int, std::string> rows = {
      {1, "Command error!"},
      {2, "Command parameter error!"},
      {4, "No read data"},
      {5, "There is no card to move inside the unit."},
      {6, "The unit is holding a card internally."},
      {7, "No cartridge card error."},
      {8, "Dispenser pressure transporting mechanism position error."},
      {9, "There is a card in a cartridge."},
      {201, "Dispenser alert count is not cleared."},
      {202, "Card selector ejection alert count is not cleared."}};
  for (int code = -1; code <= 300; ++code) {
    std::string expected;
    if (auto it = rows.find(code); it != rows.end()) {
      expected = it->second;
    } else if (code >= 10 && code <= 39) {
      expected = "IC card access error.";
    } else if (code >= 90 && code <= 109) {
      expected = "IC card control error.";
    }
    EXPECT_EQ(ErrorResponseText(std::to_string(code)), expected) << code;
  }
  EXPECT_EQ(ErrorResponseText("001"), "Command error!");
  EXPECT_EQ(ErrorResponseText("040"), "");
  EXPECT_EQ(ErrorResponseText("099"), "IC card control error.");
  EXPECT_EQ(ErrorResponseText("0x1"), "");
}

}  // namespace
}  // namespace km27
