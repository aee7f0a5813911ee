// Random notation texts and random card data through the key output: every
// key pressed is released again, and Shift, Ctrl and Alt are never left down
// after a text (a key left down would change every key the user types next).
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>

#include "keyboard/KeyInjection.h"
#include "keyboard/KeyNotation.h"
#include "keyboard/KeyOutput.h"
#include "settings/Define.h"
#include "tests/support/FakeKeyInjector.h"

namespace km27 {
namespace {

// Empty when balanced, else what went wrong.
std::string Imbalance(const std::vector<RecordedKeyEvent>& events) {
  std::map<std::pair<uint8_t, char16_t>, int> down;  // a Unicode event counts per character
  for (const RecordedKeyEvent& e : events) {
    int& n = down[{e.vk, e.unicode}];
    if (e.up && n == 0) return "released without a press: " + DescribeKeyEvents({e});
    n += e.up ? -1 : 1;
  }
  for (const auto& [key, n] : down)
    if (n != 0) return "left down: " + DescribeKeyEvents({{key.first, false, key.second}});
  return {};
}

class KeyBalance : public ::testing::Test {
 protected:
  KeyBalance() {
    ResetKeyState();
    ResetSettingsToBuiltIn();
  }
  ~KeyBalance() override {
    ResetKeyState();
    ResetSettingsToBuiltIn();
  }

  // Pieces of notation: every named key, brackets of chords, and any byte.
  std::string Notation() {
    std::string text;
    for (size_t n = Pick(12); n > 0; --n) {
      switch (Pick(5)) {
        case 0: text += std::string("[") + KeyNameTable()[Pick(KeyNameTable().size())].Name + "]"; break;
        case 1: text += '('; break;
        case 2: text += ')'; break;
        case 3: text += static_cast<char>(Pick(256)); break;
        default: text += static_cast<char>(0x20 + Pick(0x5F)); break;
      }
    }
    return text;
  }
  std::string Data() {
    std::string data;
    for (size_t n = Pick(40); n > 0; --n) data += static_cast<char>(Pick(4) == 0 ? Pick(256) : 0x20 + Pick(0x5F));
    return data;
  }
  size_t Pick(size_t n) { return static_cast<size_t>(rng_() % n); }

  std::mt19937 rng_{2718};
};

TEST_F(KeyBalance, RandomNotationTexts) {
  for (bool caps : {false, true}) {
    FakeKeyInjector keys(caps);
    if (caps) keys.RemoveKeys("()[]a");  // typed as Unicode events
    for (int i = 0; i < 3000; ++i) {
      const std::string text = Notation();
      keys.Clear();
      TypeKeyString(text);
      ASSERT_EQ(Imbalance(keys.Events()), "") << "notation \"" << text << "\"";
    }
  }
}

TEST_F(KeyBalance, RandomCardDataInRandomFormats) {
  FakeKeyInjector keys;
  CardData.Tracks = CardData.TrackUse = "1111";
  for (int i = 0; i < 1000; ++i) {
    KeyData.Header = Notation();
    KeyData.TrackSeparator = Notation();
    KeyData.Terminator = Notation();
    KeyData.Blocks.clear();
    for (int b = 0; b < 3; ++b)
      KeyData.Blocks.push_back(TBlockData{static_cast<int32_t>(1 + Pick(4)), Pick(2) == 0, static_cast<int32_t>(Pick(5)),
                                          static_cast<int32_t>(Pick(9)), Notation(), Notation()});
    KeyData.BlockNum = 3;
    for (int k = 1; k <= 4; ++k) {
      CardData.TrackStatus[k] = Pick(3) == 0 ? "1" : "0";
      CardData.TrackData[k] = Data();
    }
    keys.Clear();
    SendKeyData();
    ASSERT_EQ(Imbalance(keys.Events()), "") << "read " << i;
  }
}

}  // namespace
}  // namespace km27
