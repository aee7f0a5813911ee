// The fake injector is what every end-to-end test compares typed text with,
// so its layout and its edit replay are checked on their own.
#include "tests/support/FakeKeyInjector.h"

#include <gtest/gtest.h>

namespace km27 {
namespace {

TEST(FakeKeyInjector, UsLayoutAnswers) {
  EXPECT_EQ(UsLayoutVkKeyScan('a'), 0x41);
  EXPECT_EQ(UsLayoutVkKeyScan('A'), 0x141);
  EXPECT_EQ(UsLayoutVkKeyScan('1'), 0x31);
  EXPECT_EQ(UsLayoutVkKeyScan('!'), 0x131);
  EXPECT_EQ(UsLayoutVkKeyScan('('), 0x139);
  EXPECT_EQ(UsLayoutVkKeyScan(';'), 0xBA);
  EXPECT_EQ(UsLayoutVkKeyScan('"'), 0x1DE);
  EXPECT_EQ(UsLayoutVkKeyScan(' '), 0x20);
  EXPECT_EQ(UsLayoutVkKeyScan('\r'), -1);
  EXPECT_EQ(UsLayoutVkKeyScan('\x7F'), -1);
  EXPECT_EQ(UsLayoutVkKeyScan('\xB1'), -1);
  // Every printable character has exactly one key with its Shift state.
  for (int c = 0x20; c <= 0x7E; ++c) {
    const int scan = UsLayoutVkKeyScan(static_cast<char>(c));
    ASSERT_GE(scan, 0) << c;
    FakeKeyInjector fake;
    if (scan & 0x100) fake.KeyEvent(0x10, false);
    fake.KeyEvent(static_cast<uint8_t>(scan), false);
    fake.KeyEvent(static_cast<uint8_t>(scan), true);
    if (scan & 0x100) fake.KeyEvent(0x10, true);
    EXPECT_EQ(fake.TypedText(), std::string(1, static_cast<char>(c))) << c;
  }
}

TEST(FakeKeyInjector, InstallsItselfWhileItLives) {
  IKeyInjector* before = &KeyInjector();
  {
    FakeKeyInjector fake(true);
    EXPECT_EQ(&KeyInjector(), &fake);
    EXPECT_TRUE(KeyInjector().CapsLockOn());
    KeyInjector().NamedKeyEvent(NamedKey::Shift, false);
    KeyInjector().StrokeKeyEvent(0x41, false);
    KeyInjector().StrokeKeyEvent(0x41, true);
    KeyInjector().NamedKeyEvent(NamedKey::Shift, true);
    EXPECT_EQ(fake.Describe(), "+SHIFT +A -A -SHIFT");
    EXPECT_EQ(fake.TypedText(), "a");  // Shift with Caps Lock on
  }
  EXPECT_EQ(&KeyInjector(), before);
}

TEST(FakeKeyInjector, ReplayEditsLikeAnEditControl) {
  const std::vector<RecordedKeyEvent> events = {
      {0x41, false}, {0x41, true}, {0x0D, false}, {0x0D, true},  // a Enter
      {0x42, false}, {0x42, true}, {0x09, false}, {0x09, true},  // b Tab
      {0x08, false}, {0x08, true},                               // Backspace removes the tab
      {0x24, false}, {0x43, false}, {0x25, false}, {0x08, false},  // Home c Left Back: CR LF goes
      {0x11, false}, {0x44, false}, {0x11, true},                // Ctrl+D types nothing
      {0x14, false}, {0x14, true}, {0x45, false},                // Caps Lock then E
      {0x23, false}, {0x61, false}, {0x6B, false},               // End, keypad 1 and +
  };
  EXPECT_EQ(ReplayIntoEdit(events), "aEcb1+");
  EXPECT_EQ(ReplayIntoEdit({{0x0D, false}, {0x09, false}, {0x41, false}}, {false, false}), "a");
  EXPECT_EQ(ReplayIntoEdit({{0x41, false}}, {true, true}), "A");
}

TEST(FakeKeyInjector, CapsLockChangesBetweenEventsAreReplayed) {
  FakeKeyInjector fake;
  fake.KeyEvent(0x41, false);
  fake.SetCapsLock(true);
  fake.KeyEvent(0x41, false);
  fake.KeyEvent(0x14, false);  // the key toggles it back off
  EXPECT_FALSE(fake.CapsLockOn());
  fake.KeyEvent(0x41, false);
  EXPECT_EQ(fake.TypedText(), "aAa");
  fake.Clear();
  EXPECT_TRUE(fake.Events().empty());
  EXPECT_EQ(fake.TypedText(), "");
}

}  // namespace
}  // namespace km27
