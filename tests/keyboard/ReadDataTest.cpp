// The read data dialog: what it shows of a card read, the marked range as
// start and digit, handing them back, and the converter around it.
#include <gtest/gtest.h>

#include "keyboard/ReadData.h"
#include "settings/Define.h"
#include "settings/Messages.h"
#include "shell/ReadConsumers.h"
#include "tests/protocol/CommFixture.h"
#include "tests/support/FakeKeyInjector.h"

namespace km27::test {
namespace {

class FakeHost : public IReadDataHost {
 public:
  int TrackTabIndex() override { return tab; }
  std::string TrackTabCaption() override { return "Track " + std::to_string(tab + 1); }
  int BlockStart() override { return start; }
  int BlockDigit() override { return digit; }
  void SetBlockRange(int s, int d) override {
    start = s;
    digit = d;
    ++writes;
  }
  int tab = 0, start = 3, digit = 7, writes = 0;
};

class ReadDataTest : public ::testing::Test {
 protected:
  ReadDataTest() {
    ResetSettingsToBuiltIn();
    ResetMessageTexts();
    CardData.Tracks = "1111";
    CardData.TrackUse = "1111";
    dlg.Host = &host;
    dlg.Run.Start = [this] {
      calls.push_back("start");
      gRunning = true;
    };
    dlg.Run.Stop = [this] {
      calls.push_back("stop");
      gRunning = false;
    };
    dlg.Run.ShowMain = [this] { calls.push_back("show main"); };
  }
  ~ReadDataTest() override { ResetSettingsToBuiltIn(); }
  void Read(std::array<const char*, 4> data) {
    for (size_t k = 1; k <= 4; ++k) {
      CardData.TrackData[k] = data[k - 1];
      CardData.TrackStatus[k] = *data[k - 1] ? "0" : "3";
    }
  }
  std::pair<int, int> Shown() const { return {dlg.updBlockStart->Position(), dlg.updBlockDigit->Position()}; }
  FakeToolkit tk;
  FakeHost host;
  TfrmReadData dlg;
  std::vector<std::string> calls;
};

TEST_F(ReadDataTest, ShowCopiesTheHostsBlockAndStartsTheConverter) {
  host.tab = 1;
  dlg.edtBlockCardData->SetText("old read");
  dlg.Show();
  EXPECT_EQ(dlg.edtBlockCardData->Text(), "");
  EXPECT_EQ(Shown(), (std::pair{3, 7}));
  EXPECT_EQ(dlg.edtBlockStart->Text(), "3");
  EXPECT_EQ(dlg.lblReadTrack->Caption(), "Track 2");
  EXPECT_EQ(dlg.lblMessage->Caption(), "No Read Data");
  EXPECT_EQ(calls, (std::vector<std::string>{"start"}));
}

TEST_F(ReadDataTest, ReadShowsTheSlotOfTheCurrentTabAllSelected) {
  struct Case {
    std::string tracks, use;
    int tab;
    std::string shown;
  } cases[] = {
      {"1111", "1111", 3, "slot4"},
      {"1110", "1010", 1, "slot3data"},
      {"1110", "1010", 2, ""},  // no third tab
  };
  Read({"slot1", "slot2", "slot3data", "slot4"});
  dlg.Show();
  for (const auto& c : cases) {
    CardData.Tracks = c.tracks;
    CardData.TrackUse = c.use;
    host.tab = c.tab;
    dlg.ShowReadData();
    EXPECT_EQ(dlg.edtBlockCardData->Text(), c.shown) << c.tracks << "/" << c.use << " tab " << c.tab;
    int n = static_cast<int>(c.shown.size());
    EXPECT_EQ(Shown(), (std::pair{1, n ? n : 1}));
    EXPECT_EQ(dlg.lblMessage->Caption(), n ? "" : "No Read Data");
    if (n) {
      EXPECT_EQ(dlg.edtBlockCardData->SelLength(), n);
      EXPECT_EQ(tk.events.back().component, "edtBlockCardData");  // focused
    }
  }
}

TEST_F(ReadDataTest, ErroredSlotLeavesTheEditEmptyAndTheBlockAtOne) {
  Read({"4900123", "", "", ""});
  host.tab = 1;
  dlg.Show();
  dlg.ShowReadData();
  EXPECT_EQ(dlg.edtBlockCardData->Text(), "");
  EXPECT_EQ(Shown(), (std::pair{1, 1}));
}

TEST_F(ReadDataTest, MarkedRangeBecomesStartAndDigit) {
  Read({"4900123456789", "", "", ""});
  dlg.Show();
  dlg.ShowReadData();
  FakeToolkit::SelectText(dlg, "edtBlockCardData", 4, 4);  // characters 5 to 8
  FakeToolkit::MouseMove(dlg, "edtBlockCardData");
  EXPECT_EQ(Shown(), (std::pair{5, 4}));
  FakeToolkit::SelectText(dlg, "edtBlockCardData", 10, 3);
  FakeToolkit::KeyUp(dlg, "edtBlockCardData", 0x27, 1);  // Shift+Right released
  EXPECT_EQ(Shown(), (std::pair{11, 3}));
  FakeToolkit::SelectText(dlg, "edtBlockCardData", 2, 0);  // only a caret: kept
  FakeToolkit::MouseMove(dlg, "edtBlockCardData");
  EXPECT_EQ(Shown(), (std::pair{11, 3}));
}

TEST_F(ReadDataTest, RangeBeyondTwoHundredIsHeldAndMarkedAsHandedBack) {
  std::string longRead(250, '7');
  CardData.TrackData[1] = longRead;
  dlg.Show();
  dlg.ShowReadData();
  EXPECT_EQ(Shown(), (std::pair{1, 200}));
  EXPECT_EQ(dlg.edtBlockCardData->SelStart(), 0);
  EXPECT_EQ(dlg.edtBlockCardData->SelLength(), 200);
  FakeToolkit::SelectText(dlg, "edtBlockCardData", 219, 20);  // characters 220 to 239
  FakeToolkit::MouseMove(dlg, "edtBlockCardData");
  EXPECT_EQ(Shown(), (std::pair{200, 20}));
  EXPECT_EQ(dlg.edtBlockCardData->SelStart(), 199);
  EXPECT_EQ(dlg.edtBlockCardData->SelLength(), 20);
}

TEST_F(ReadDataTest, OkHandsTheBlockBackAndClosingStopsTheConverter) {
  Read({"4900123456789", "", "", ""});
  tk.OnModal("frmReadData", [this](ui::Form&) {
    dlg.ShowReadData();
    FakeToolkit::SelectText(dlg, "edtBlockCardData", 4, 4);
    FakeToolkit::MouseMove(dlg, "edtBlockCardData");
    FakeToolkit::Click(dlg, "btnOK");
  });
  EXPECT_TRUE(dlg.Execute());
  EXPECT_EQ(host.start, 5);
  EXPECT_EQ(host.digit, 4);
  EXPECT_EQ(calls, (std::vector<std::string>{"start", "stop", "show main"}));
  EXPECT_FALSE(gRunning);

  // Cancel hands nothing back; a converter already running before the
  // dialog opened is stopped all the same.
  calls.clear();
  host.writes = 0;
  gRunning = true;
  tk.OnModal("frmReadData", [this](ui::Form&) {
    FakeToolkit::EnterText(dlg, "edtBlockStart", "9");
    FakeToolkit::Click(dlg, "btnCancel");
  });
  EXPECT_FALSE(dlg.Execute());
  EXPECT_EQ(host.writes, 0);
  EXPECT_EQ(calls, (std::vector<std::string>{"start", "stop", "show main"}));

  // The close box: a stopped converter is not stopped again.
  calls.clear();
  dlg.Run.Start = nullptr;
  gRunning = false;
  tk.OnModal("frmReadData", [this](ui::Form&) { dlg.Close(); });
  EXPECT_FALSE(dlg.Execute());
  EXPECT_EQ(calls, (std::vector<std::string>{"show main"}));
}

TEST_F(ReadDataTest, HostFoundByControlNames) {
  ui::Form option("frmOption");
  auto& tabs = option.Make<ui::TabControl>("tabTracks");
  auto& start = option.Make<ui::UpDown>("updBlockStart");
  auto& digit = option.Make<ui::UpDown>("updBlockDigit");
  for (auto* ud : {&start, &digit}) ud->SetRange(1, 200);
  tabs.SetItems({"Track 1", "Track 3"});
  tabs.SetItemIndex(1);
  start.SetPosition(4);
  digit.SetPosition(6);
  TNamedControlsReadDataHost named(option);
  EXPECT_EQ(named.TrackTabIndex(), 1);
  EXPECT_EQ(named.TrackTabCaption(), "Track 3");
  EXPECT_EQ(named.BlockStart(), 4);
  EXPECT_EQ(named.BlockDigit(), 6);
  named.SetBlockRange(12, 8);
  EXPECT_EQ(start.Position(), 12);
  EXPECT_EQ(digit.Position(), 8);

  ui::Form bare("frmBare");  // none of the controls: no tab, 1, 1
  TNamedControlsReadDataHost none(bare);
  EXPECT_EQ(none.TrackTabIndex(), -1);
  EXPECT_EQ(none.TrackTabCaption(), "");
  EXPECT_EQ(none.BlockStart(), 1);
  none.SetBlockRange(5, 5);
}

// A swipe decoded while the dialog shows goes into it and is not typed, also
// with the converter started.
class ReadDataDriverTest : public CommFixture {
 protected:
  ReadDataDriverTest() {
    CardData.Tracks = "1100";
    CardData.TrackUse = "1100";
    KeyData.Header = "<";
    gRunning = true;
    consumers.readData = &dlg;
    comm->readConsumers = &consumers;
    dlg.Host = &host;
  }
  FakeKeyInjector keys;
  FakeHost host;
  TfrmReadData dlg;
  TReadConsumers consumers;
};

TEST_F(ReadDataDriverTest, SwipeFillsTheDialogInsteadOfTyping) {
  dlg.Show();
  host.tab = 1;
  comm->DecodeFrame(Frame("CR0" "0abc\x1F" "0123456"));
  tk.Advance(10);
  EXPECT_EQ(dlg.edtBlockCardData->Text(), "123456");
  EXPECT_TRUE(keys.Events().empty());
  dlg.Hide();
  comm->DecodeFrame(Frame("CR0" "0abc"));
  tk.Advance(10);
  EXPECT_FALSE(keys.Events().empty());  // hidden again: typed as usual
  EXPECT_FALSE(consumers.WizardShowing());
}

}  // namespace
}  // namespace km27::test
