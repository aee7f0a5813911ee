// What docs/user-guide.md promises about typing holds: its worked examples
// type exactly what it says, and its table of key names is the program's own
// table, every name and no other.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "keyboard/KeyInjection.h"
#include "keyboard/KeyNotation.h"
#include "keyboard/KeyOutput.h"
#include "settings/Define.h"
#include "tests/keyboard/Blocks.h"
#include "tests/support/FakeKeyInjector.h"

namespace km27 {
namespace {

using test::AllOf;
using test::PartOf;

class GuideExample : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSettingsToBuiltIn();
    ResetKeyState();
  }
  void TearDown() override { ResetSettingsToBuiltIn(); }
  void Format(const char* tracks, const char* header, const char* separator, const char* terminator,
              std::vector<TBlockData> blocks) {
    CardData.Tracks = CardData.TrackUse = tracks;
    KeyData.Header = header;
    KeyData.TrackSeparator = separator;
    KeyData.Terminator = terminator;
    KeyData.BlockNum = static_cast<int32_t>(blocks.size());
    KeyData.Blocks = std::move(blocks);
  }
  // One card read: status and data of each slot.
  std::string Swipe(std::initializer_list<std::pair<const char*, const char*>> slots) {
    for (int k = 1; k <= 4; ++k) CardData.TrackStatus[k] = CardData.TrackData[k] = "";
    int k = 1;
    for (const auto& [status, data] : slots) {
      CardData.TrackStatus[k] = status;
      CardData.TrackData[k] = data;
      ++k;
    }
    fake.Clear();
    SendKeyData();
    return fake.TypedText();
  }
  FakeKeyInjector fake;
};

TEST_F(GuideExample, OneTrackAndEnter) {
  Format("0100", "", "", "[ENTER]", {AllOf(2)});
  EXPECT_EQ(Swipe({{"", ""}, {"0", "6011000990139424"}}), "6011000990139424\r\n");
}

TEST_F(GuideExample, HeaderBlocksSeparatorAndTerminator) {
  Format("1100", "H", "/", "[ENTER]", {AllOf(1, "a", "."), PartOf(2, 3, 4, "b")});
  EXPECT_EQ(Swipe({{"0", "4900123456789"}, {"0", "1234567890"}}), "Ha4900123456789./b3456\r\n");
}

TEST_F(GuideExample, OneFieldPerTrackKeepsItsColumnAfterAReadError) {
  Format("1110", "", "[TAB]", "[ENTER]", {AllOf(1), AllOf(2), AllOf(3)});
  EXPECT_EQ(Swipe({{"0", "JOHN SMITH"}, {"0", "4242"}, {"0", "007"}}), "JOHN SMITH\t4242\t007\r\n");
  EXPECT_EQ(Swipe({{"0", "JOHN SMITH"}, {"3", ""}, {"0", "007"}}), "JOHN SMITH\t\t007\r\n");
  EXPECT_EQ(Swipe({{"1", ""}, {"3", ""}, {"2", ""}}), "");  // nothing read well: nothing at all
}

TEST_F(GuideExample, BlockPartsBeyondTheData) {
  Format("1000", "", "", "", {PartOf(1, 5, 4)});
  EXPECT_EQ(Swipe({{"0", "1234567"}}), "567");
  Format("1000", "", "", "", {PartOf(1, 8, 4, "<", ">")});
  EXPECT_EQ(Swipe({{"0", "1234567"}}), "<>");
}

TEST_F(GuideExample, KeyChords) {
  Format("1000", "([CTRL]a)", "", "([ALT]s)", {AllOf(1)});
  Swipe({{"0", "7"}});
  EXPECT_EQ(fake.Describe(), "+CTRL +A -A -CTRL +7 -7 +ALT +S -S -ALT");
}

// The names in backquotes of the guide's section "Key names", as "[NAME]".
std::set<std::string> GuideKeyNames() {
  std::ifstream in(std::string(KM27_SOURCE_DIR) + "/docs/user-guide.md");
  std::stringstream all;
  all << in.rdbuf();
  const std::string text = all.str();
  const size_t from = text.find("\n## Key names");
  const size_t to = text.find("\n## ", from + 1);
  std::set<std::string> names;
  if (from == std::string::npos) return names;
  const std::string section = text.substr(from, to == std::string::npos ? std::string::npos : to - from);
  std::istringstream lines(section);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("| `[", 0) != 0) continue;  // rows of the table only
    for (size_t open = line.find("`["); open != std::string::npos; open = line.find("`[", open + 1)) {
      const size_t close = line.find("]`", open);
      if (close == std::string::npos) break;
      names.insert(line.substr(open + 1, close - open));
    }
  }
  return names;
}

TEST(UserGuide, KeyNameTableHasEveryNameAndNoOther) {
  const std::set<std::string> inGuide = GuideKeyNames();
  ASSERT_FALSE(inGuide.empty()) << "no key name table in docs/user-guide.md";
  std::set<std::string> inProgram;
  for (const TKeyNameEntry& e : KeyNameTable()) inProgram.insert("[" + std::string(e.Name) + "]");
  for (const std::string& name : inProgram) EXPECT_TRUE(inGuide.count(name)) << name << " is missing from the guide";
  for (const std::string& name : inGuide) EXPECT_TRUE(inProgram.count(name)) << name << " is not a key name";
}

}  // namespace
}  // namespace km27
