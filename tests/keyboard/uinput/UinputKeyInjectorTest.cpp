// The uinput injector writes the evdev codes a keyboard of the layout sends
// for the text (codes from linux/input-event-codes.h), every key-down with
// its key-up, and names what the layout cannot type.
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <cctype>
#include <map>
#include <string>
#include <vector>

#include "common/posix/IconvTextCodec.h"
#include "keyboard/KeyInjection.h"
#include "keyboard/KeyNotation.h"
#include "keyboard/uinput/UinputKeyInjector.h"

namespace km27 {
namespace {

struct Recorded {
  std::vector<std::pair<int, int>> keys;  // (code, 1 down / 0 up), EV_KEY only
  int reports = 0;                         // EV_SYN SYN_REPORT
};

class RecordingDevice final : public IUinputDevice {
 public:
  explicit RecordingDevice(Recorded& out) : out_(out) {}
  void Emit(uint16_t type, uint16_t code, int32_t value) override {
    if (type == EV_KEY) out_.keys.emplace_back(code, value);
    if (type == EV_SYN && code == SYN_REPORT) ++out_.reports;
  }
  bool CapsLockLight() override { return false; }

 private:
  Recorded& out_;
};

class UinputTyping : public ::testing::Test {
 protected:
  void SetUp() override { SetTextCodec(&codec_); }
  void TearDown() override {
    injector_.reset();
    SetKeyInjector(nullptr);
    SetTextCodec(nullptr);
    ResetKeyState();
  }
  void Use(const char* layout, int codePage = 1252) {
    std::string error;
    auto keys = XkbLayoutKeys::Compile({"evdev", "pc105", layout, "", ""}, error);
    ASSERT_TRUE(keys) << error;
    injector_ = std::make_unique<UinputKeyInjector>(std::make_unique<RecordingDevice>(recorded_), std::move(keys),
                                                    [codePage] { return codePage; });
    SetKeyInjector(injector_.get());
  }
  IconvTextCodec codec_;
  Recorded recorded_;
  std::unique_ptr<UinputKeyInjector> injector_;
};

using Keys = std::vector<std::pair<int, int>>;

TEST_F(UinputTyping, CharactersBecomeTheLayoutsKeys) {
  struct Row {
    const char* layout;
    const char* text;
    Keys keys;
  } rows[] = {
      {"us", "a", {{KEY_A, 1}, {KEY_A, 0}}},
      {"us", "A", {{KEY_LEFTSHIFT, 1}, {KEY_A, 1}, {KEY_A, 0}, {KEY_LEFTSHIFT, 0}}},
      {"us", "1!", {{KEY_1, 1}, {KEY_1, 0}, {KEY_LEFTSHIFT, 1}, {KEY_1, 1}, {KEY_1, 0}, {KEY_LEFTSHIFT, 0}}},
      {"us", "\t", {{KEY_TAB, 1}, {KEY_TAB, 0}}},
      {"de", "z", {{KEY_Y, 1}, {KEY_Y, 0}}},
      {"de", "@", {{KEY_RIGHTALT, 1}, {KEY_Q, 1}, {KEY_Q, 0}, {KEY_RIGHTALT, 0}}},
      {"fr", "a", {{KEY_Q, 1}, {KEY_Q, 0}}},
  };
  for (const Row& row : rows) {
    Use(row.layout);
    recorded_ = {};
    TypeChars(row.text, true, true);
    EXPECT_EQ(recorded_.keys, row.keys) << row.layout << " " << row.text;
    EXPECT_EQ(recorded_.reports, static_cast<int>(row.keys.size())) << "one report per key event";
    // The character table names a letter's key as Windows does: VK_A to VK_Z.
    TKeyState state;
    const unsigned char first = static_cast<unsigned char>(row.text[0]);
    if (std::isalpha(first)) {
      EXPECT_EQ(CharToKey(first, state), std::toupper(first)) << row.layout;
    }
  }
}

TEST_F(UinputTyping, ChordsAndNamedKeys) {
  Use("us");
  TypeKeyString("([CTRL]v)[ENTER]");
  EXPECT_EQ(recorded_.keys, (Keys{{KEY_LEFTCTRL, 1}, {KEY_V, 1}, {KEY_V, 0}, {KEY_LEFTCTRL, 0},
                                  {KEY_ENTER, 1}, {KEY_ENTER, 0}}));
}

TEST_F(UinputTyping, EveryKeyDownGetsItsKeyUpAndTheRestIsNamed) {
  Use("us", 932);
  // Chords holding one key twice, modifiers inside and around, a key the
  // layout lacks, and the kana mode (its key is not on a US keyboard).
  TypeKeyString("(AA)([SHIFT]a[SHIFT]B)([CTRL]([ALT]x)[KANA]");
  TypeChars("ab\x0E" "1\x0F" "c", true, true);
  std::map<int, int> down;
  for (const auto& [code, value] : recorded_.keys) {
    down[code] += value ? 1 : -1;
    EXPECT_GE(down[code], 0) << "key-up before key-down: " << code;
    EXPECT_LE(down[code], 1) << "second key-down: " << code;
  }
  for (const auto& [code, n] : down) EXPECT_EQ(n, 0) << "left down: " << code;
  EXPECT_EQ(TakeCharsNotTyped(), "\xB1");  // the kana character: no key, and no way to map one
}

}  // namespace
}  // namespace km27
