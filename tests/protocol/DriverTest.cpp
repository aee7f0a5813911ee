// Where a decoded card read goes when the output timer fires: the wizard,
// the read data dialog, the keyboard, or nowhere.
#include "tests/protocol/CommFixture.h"
#include "tests/support/FakeForegroundWindow.h"
#include "tests/support/FakeKeyInjector.h"

namespace km27::test {
namespace {

class FakeReadConsumers : public IReadConsumers {
 public:
  bool WizardShowing() override { return wizardShowing; }
  void WizardReadCheck() override { wizardReads.push_back(CardData.TrackData[1]); }
  bool ReadDataShowing() override { return readDataShowing; }
  void ShowReadData() override { dialogReads.push_back(CardData.TrackData[1]); }
  bool wizardShowing = false;
  bool readDataShowing = false;
  std::vector<std::string> wizardReads, dialogReads;
};

class DriverTest : public CommFixture {
 protected:
  DriverTest() {
    CardData.Tracks = "1100";
    CardData.TrackUse = "1100";
    KeyData.Header = "<";
    KeyData.TrackSeparator = "[TAB]";
    KeyData.Terminator = "[ENTER]";
    KeyData.BlockNum = 2;
    KeyData.Blocks = {TBlockData{1, true, 0, 0, "", ""}, TBlockData{2, false, 2, 3, "", ">"}};
    gRunning = true;
    comm->readConsumers = &consumers;
  }
  void DecodeRead(const ByteString& body) { comm->DecodeFrame(Frame("CR0" + body)); }
  FakeKeyInjector keys;
  FakeReadConsumers consumers;
};

// Windows drops keys sent to a program running as administrator without an
// error: the user is told (balloon, monitor line), and the read is typed all
// the same in case the program in front was misjudged.
TEST_F(DriverTest, ProgramInFrontThatRefusesKeysIsTold) {
  FakeForegroundWindow front;
  int refused = 0;
  comm->OnKeysRefused = [&] { ++refused; };
  comm->Show();
  front.elevated = true;
  DecodeRead("0abc");
  tk.Advance(10);
  EXPECT_EQ(refused, 1);
  EXPECT_EQ(comm->memMonitor->Lines().back(),
            "< The program in front runs as administrator: the keys do not reach it >");
  EXPECT_EQ(keys.TypedText(), "<abc\t\r\n");

  // A read with nothing to type asks nothing; a program that takes keys says nothing.
  DecodeRead("1abc");
  tk.Advance(10);
  front.elevated = false;
  DecodeRead("0def");
  tk.Advance(10);
  EXPECT_EQ(refused, 1);
  EXPECT_EQ(front.asked, 2);
  // Neither while stopped nor for the dialogs that take reads.
  gRunning = false;
  front.elevated = true;
  DecodeRead("0ghi");
  tk.Advance(10);
  EXPECT_EQ(front.asked, 2);
}

// A character the keyboard layout has no key for is typed all the same, and
// the monitor says which.
TEST_F(DriverTest, CharactersWithoutAKeyArriveAndTheMonitorSaysSo) {
  keys.RemoveKeys("()");
  comm->Show();
  DecodeRead("0f(x)");
  tk.Advance(10);
  EXPECT_EQ(keys.TypedText(), "<f(x)\t\r\n");
  EXPECT_NE(comm->memMonitor->Lines().back().find("\"()\""), std::string::npos);
}

TEST_F(DriverTest, ReadIsTypedOnceAfterTenMs) {
  DecodeRead("0abc\x1F" "0123456");
  tk.Advance(9);
  EXPECT_TRUE(keys.Events().empty());
  tk.Advance(1);
  EXPECT_EQ(keys.TypedText(), "<abc\t234>\r\n");
  EXPECT_FALSE(comm->tmrSendKeyData->Enabled());
  keys.Clear();
  tk.Advance(100);
  EXPECT_TRUE(keys.Events().empty());
}

TEST_F(DriverTest, TwoReadsBeforeTheTimerTypeOnlyTheSecond) {
  DecodeRead("0first");
  tk.Advance(5);
  DecodeRead("0second");
  tk.Advance(5);  // arming an armed timer does not restart it
  EXPECT_EQ(keys.TypedText(), "<second\t\r\n");  // slot 2 in use, not read
}

TEST_F(DriverTest, AnotherFrameBeforeTheTimerTypesNothing) {
  DecodeRead("0abc");
  comm->DecodeFrame(Frame("AE01"));
  tk.Advance(20);
  EXPECT_TRUE(keys.Events().empty());
  DecodeRead("0abc");
  comm->DecodeFrame(Bytes({0x06}));
  tk.Advance(20);
  EXPECT_TRUE(keys.Events().empty());
}

TEST_F(DriverTest, StoppedConverterTypesNothing) {
  gRunning = false;
  DecodeRead("0abc");
  tk.Advance(20);
  EXPECT_TRUE(keys.Events().empty());
  EXPECT_FALSE(comm->tmrSendKeyData->Enabled());
}

TEST_F(DriverTest, WizardBeforeReadDataDialogBeforeKeyboard) {
  consumers.wizardShowing = true;
  consumers.readDataShowing = true;
  DecodeRead("0one");
  tk.Advance(10);
  consumers.wizardShowing = false;
  DecodeRead("0two");
  tk.Advance(10);
  gRunning = false;
  DecodeRead("0three");  // the dialog takes reads also while stopped
  tk.Advance(10);
  EXPECT_EQ(consumers.wizardReads, std::vector<std::string>{"one"});
  EXPECT_EQ(consumers.dialogReads, (std::vector<std::string>{"two", "three"}));
  EXPECT_TRUE(keys.Events().empty());
  // Without the windows nothing is showing.
  comm->readConsumers = nullptr;
  gRunning = true;
  DecodeRead("0four");
  tk.Advance(10);
  EXPECT_EQ(keys.TypedText(), "<four\t\r\n");
}

TEST_F(DriverTest, ReadWithoutGoodSlotTypesNothing) {
  DecodeRead("3abc\x1F" "1def");
  tk.Advance(10);
  EXPECT_TRUE(keys.Events().empty());
}

TEST_F(DriverTest, ReceivedReadIsAcknowledgedAndTyped) {
  port->Deliver(Frame("CR00xyz\x1F" "0" "98765"));
  tk.Advance(static_cast<uint32_t>(Serial.ReciveBuffTime));
  EXPECT_EQ(port->writes, std::vector<ByteString>{Bytes({0x06})});
  EXPECT_TRUE(keys.Events().empty());
  tk.Advance(10);
  EXPECT_EQ(keys.TypedText(), "<xyz\t876>\r\n");
}

}  // namespace
}  // namespace km27::test
