// The Key Data page: header, separator and terminator choices, the block
// editor's input rules, the track tabs, the two block lists kept consistent
// by Add, Update, Delete and Clear, the questions about a pending block edit,
// the key code button and the read data dialog's host, load and store.
#include "keyboard/BlockRows.h"
#include "settings/Language.h"
#include "settings/Messages.h"
#include "settings/SetupFile.h"
#include "shell/option/BlockEditor.h"
#include "shell/option/BlockLists.h"
#include "shell/option/KeyCodePanel.h"
#include "shell/option/KeyDataFormat.h"
#include "shell/option/KeyDataPicture.h"
#include "tests/settings/SettingsTestSupport.h"
#include "tests/shell_option/OptionFixture.h"

namespace km27::test {
namespace {

using ui::MsgButtons;
using ui::MsgResult;

std::vector<std::string> Column(const ui::ListView& list, size_t column) {
  std::vector<std::string> cells;
  for (const ui::ListRow& r : list.Rows()) cells.push_back(column < r.subItems.size() ? r.subItems[column] : "?");
  return cells;
}

std::vector<std::string> Captions(const ui::ListView& list) {
  std::vector<std::string> captions;
  for (const ui::ListRow& r : list.Rows()) captions.push_back(r.caption);
  return captions;
}

std::vector<int> Images(const ui::ListView& list) {
  std::vector<int> images;
  for (const ui::ListRow& r : list.Rows()) images.push_back(r.imageIndex);
  return images;
}

class KeyDataPageTest : public OptionFixture {
 protected:
  KeyDataPageTest() {
    CardData.Tracks = "1100";
    CardData.TrackUse = "1100";
    CardData.SingleTrack = false;
    KeyData = TKeyFormat{};
  }

  TKeyDataPage& Page() { return Opt().KeyDataPage(); }
  TBlockLists& Lists() { return Page().Lists(); }
  TBlockEditor& Editor() { return Page().Editor(); }
  ui::ListView& EditList() { return *Lists().lvwEditBlockData; }
  ui::ListView& Table() { return *Lists().lvwBlockData; }

  void SetBlocks(const std::vector<TBlockData>& blocks) {
    KeyData.Blocks = blocks;
    KeyData.BlockNum = static_cast<int32_t>(blocks.size());
  }
  // The dialog on the Key Data page, "Block Format" shown.
  void ShowBlocks() {
    ShowOption();
    FakeToolkit::Click(Opt(), "actKeyData");
    FakeToolkit::Select(Opt(), "PageControl3", 1);
  }
  // The action state follows a change after tmrModify.
  void Settle() { tk.Advance(250); }
  void ClickRow(int row) {
    FakeToolkit::ClickRow(Opt(), "lvwEditBlockData", row);
    Settle();
  }
  TKeyFormat Stored() {
    TOptionSettings s = TOptionSettings::FromCurrent();
    Page().Store(s);
    return s.KeyData;
  }
  std::vector<bool> ActionState() {
    return {Lists().actAddBlockData->Enabled(), Lists().actUpdateBlockData->Enabled(),
            Lists().actDeleteBlockData->Enabled(), Lists().actClearBlockData->Enabled()};
  }
};

// ---- header, separator, terminator ----

TEST(KeyChoice, StoredTextGivesTheRadioItemAndBack) {
  struct Case {
    const char* stored;
    int index;
  };
  for (const Case& c : {Case{"", 0}, Case{"  ", 0}, Case{"[ENTER]", 1}, Case{"[enter]", 1}, Case{"ENTER", 1},
                        Case{" [TAB] ", 2}, Case{"TAB]", 2}, Case{"[F1]", 3}, Case{"abc", 3}, Case{"[ENTER][TAB]", 3},
                        Case{"[", 3}, Case{"[]", 3}}) {
    EXPECT_EQ(KeyChoiceIndex(c.stored), c.index) << '"' << c.stored << '"';
  }
  EXPECT_EQ(KeyChoiceText(0, "x"), "");
  EXPECT_EQ(KeyChoiceText(-1, "x"), "");
  EXPECT_EQ(KeyChoiceText(1, "x"), "[ENTER]");
  EXPECT_EQ(KeyChoiceText(2, "x"), "[TAB]");
  EXPECT_EQ(KeyChoiceText(3, " ([CTRL]v) "), " ([CTRL]v) ");
}

TEST_F(KeyDataPageTest, FormatLoadsRadioItemsAndStoresWhatIsChosen) {
  KeyData.Header = "[enter]";
  KeyData.TrackSeparator = "/";
  KeyData.Terminator = "";
  ShowOption();
  TKeyDataFormat& f = Page().Format();
  EXPECT_EQ(f.rdgHeader->ItemIndex(), 1);
  EXPECT_EQ(f.edtHeader->Text(), "");
  EXPECT_FALSE(f.edtHeader->Enabled());
  EXPECT_EQ(f.rdgTrackSeparator->ItemIndex(), 3);
  EXPECT_EQ(f.edtTrackSeparator->Text(), "/");
  EXPECT_TRUE(f.edtTrackSeparator->Enabled());
  EXPECT_EQ(f.rdgTerminator->ItemIndex(), 0);

  FakeToolkit::Click(Opt(), "actKeyData");
  tk.ClearRecord();
  FakeToolkit::Select(Opt(), "rdgTerminator", 3);
  EXPECT_TRUE(f.edtTerminator->Enabled());
  ASSERT_FALSE(tk.events.empty());
  EXPECT_EQ(tk.events.back().component, "edtTerminator");  // focused
  FakeToolkit::EnterText(Opt(), "edtTerminator", "([CTRL]v)");
  FakeToolkit::Select(Opt(), "rdgTrackSeparator", 2);
  EXPECT_FALSE(f.edtTrackSeparator->Enabled());
  EXPECT_EQ(f.edtTrackSeparator->Text(), "/");  // kept, not stored

  FakeToolkit::Click(Opt(), "btnOK");
  EXPECT_EQ(KeyData.Header, "[ENTER]");
  EXPECT_EQ(KeyData.TrackSeparator, "[TAB]");
  EXPECT_EQ(KeyData.Terminator, "([CTRL]v)");
  EXPECT_EQ(saves, 1);
}

TEST_F(KeyDataPageTest, ShortItemListsOfALanguageFileKeepTheStoredKeys) {
  TempDir dir;
  TestFileSystem fs(dir);
  dir.Write("Kurz.rlf", "[Option.rdgHeader]\nKeine\nEingabe\n");
  LanguageFiles = {"Kurz.rlf"};
  SetLanguageForms({nullptr, nullptr, &Opt()});
  LoadLanguage(0);
  SetLanguageForms({});
  LanguageFiles.clear();
  KeyData.Header = "/";
  ShowOption();
  EXPECT_EQ(Page().Format().rdgTerminator->Items(),
            (std::vector<std::string>{"Keine", "Eingabe", "TAB Key", "Other"}));
  FakeToolkit::Click(Opt(), "btnCancel");
  EXPECT_TRUE(tk.boxes.empty());  // nothing changed
  ShowOption();
  Page().Format().rdgHeader->SetItemIndex(-1);
  FakeToolkit::Click(Opt(), "btnOK");
  EXPECT_EQ(KeyData.Header, "/");
}

// ---- the block editor ----

TEST(BlockNumber, BoxesAreHeldToOneTo200) {
  struct Case {
    const char* typed;
    const char* held;
  };
  for (const Case& c : {Case{"1", "1"}, Case{"200", "200"}, Case{"201", "200"}, Case{"250", "200"},
                        Case{"99999999999", "200"}, Case{"0", "1"}, Case{"000", "1"}, Case{"", "1"},
                        Case{"007", "007"}, Case{"12a", "1"}, Case{"-5", "1"}}) {
    EXPECT_EQ(HeldBlockNumber(c.typed), c.held) << '"' << c.typed << '"';
  }
}

TEST_F(KeyDataPageTest, NumberBoxesTakeDigitsOnlyAndHoldTheirRange) {
  ShowBlocks();
  FakeToolkit::Check(Opt(), "chkAllData", false);
  ui::Edit& start = *Editor().edtBlockStart;
  auto typeInto = [&](const std::string& keys) {
    for (char c : keys) {
      FakeToolkit::Type(Opt(), "edtBlockStart", std::string(1, c));
      FakeToolkit::KeyUp(Opt(), "edtBlockStart", static_cast<uint16_t>(c));
    }
  };
  FakeToolkit::SelectText(Opt(), "edtBlockStart", 0, 1);
  typeInto("250");
  EXPECT_EQ(start.Text(), "200");
  EXPECT_EQ(Editor().Start(), 200);
  FakeToolkit::SelectText(Opt(), "edtBlockStart", 0, 3);
  typeInto("\b");  // Backspace passes; the empty box becomes "1"
  EXPECT_EQ(start.Text(), "1");
  FakeToolkit::SelectText(Opt(), "edtBlockStart", 1, 0);
  typeInto("x-2");
  EXPECT_EQ(start.Text(), "12");
  FakeToolkit::SelectText(Opt(), "edtBlockStart", 0, 2);
  typeInto("0");
  EXPECT_EQ(start.Text(), "1");
  // An emptied box (cut with the mouse) takes the next digit alone.
  FakeToolkit::EnterText(Opt(), "edtBlockStart", "");
  typeInto("7");
  EXPECT_EQ(start.Text(), "7");
}

TEST_F(KeyDataPageTest, AllDataSwitchesTheRangeControlsAndStoresOneAndOneShownAsDashes) {
  ShowBlocks();
  // An empty table starts with All Data.
  EXPECT_TRUE(Editor().chkAllData->Checked());
  EXPECT_FALSE(Editor().edtBlockStart->Enabled());
  EXPECT_FALSE(Editor().btnSelReadData->Enabled());
  FakeToolkit::Check(Opt(), "chkAllData", false);
  EXPECT_TRUE(Editor().updBlockDigit->Enabled());
  FakeToolkit::SetPosition(Opt(), "updBlockStart", 7);
  FakeToolkit::Check(Opt(), "chkAllData", true);
  FakeToolkit::Click(Opt(), "actAddBlockData");
  EXPECT_EQ(Table().Rows()[0].subItems, (std::vector<std::string>{"1", "ON", "-", "-", " ", ""}));
  const TKeyFormat stored = Stored();
  ASSERT_EQ(stored.BlockNum, 1);
  EXPECT_TRUE(stored.Blocks[0].AllData);
  EXPECT_EQ(stored.Blocks[0].Start, 1);
  EXPECT_EQ(stored.Blocks[0].Digit, 1);
  EXPECT_EQ(stored.Blocks[0].BlockHeader, "");  // the single blank cell is an empty header
}

// ---- tabs and lists ----

TEST_F(KeyDataPageTest, TabsAreTheTracksInUseAndABlockAddedOnATabGetsItsTrack) {
  CardData.Tracks = "1110";
  CardData.TrackUse = "1010";
  SetBlocks({{1, true, 1, 1, "", ""}, {3, false, 2, 5, "<", ">"}});
  ShowBlocks();
  EXPECT_EQ(Lists().tabTracks->Items(), (std::vector<std::string>{"Track 1", "Track 3"}));
  EXPECT_EQ(Column(EditList(), kColTrack), (std::vector<std::string>{"1"}));
  FakeToolkit::Select(Opt(), "tabTracks", 1);
  EXPECT_EQ(Column(EditList(), kColTrack), (std::vector<std::string>{"3"}));
  EXPECT_EQ(Page().TrackTabCaption(), "Track 3");
  FakeToolkit::Check(Opt(), "chkAllData", false);
  FakeToolkit::EnterText(Opt(), "edtBlockHeader", "h");
  FakeToolkit::Click(Opt(), "actAddBlockData");
  EXPECT_EQ(Column(Table(), kColTrack), (std::vector<std::string>{"1", "3", "3"}));
  EXPECT_EQ(Captions(Table()), (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_EQ(Captions(EditList()), (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(Stored().Blocks[2].Track, 3);
  EXPECT_EQ(gBlockEdit[1].Track, 3);
}

TEST_F(KeyDataPageTest, ActionStateFollowsTheListTheSelectionAndTheEditor) {
  struct Step {
    const char* what;
    std::function<void()> act;
    std::vector<bool> addUpdateDeleteClear;
    std::vector<int> images;
  };
  ShowBlocks();
  std::vector<Step> steps{
      {"empty list", [] {}, {true, false, false, false}, {}},
      {"a row, none selected", [&] { FakeToolkit::Click(Opt(), "actAddBlockData"); }, {true, false, false, true}, {0}},
      {"the row selected", [&] { ClickRow(0); }, {true, false, true, true}, {1}},
      {"the editor changed", [&] { FakeToolkit::EnterText(Opt(), "edtBlockFooter", "x"); }, {true, true, true, true}, {2}},
      {"changed back", [&] { FakeToolkit::EnterText(Opt(), "edtBlockFooter", ""); }, {true, false, true, true}, {1}},
      {"a click below the rows", [&] { ClickRow(-1); }, {true, false, false, true}, {0}},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    s.act();
    Settle();
    EXPECT_EQ(ActionState(), s.addUpdateDeleteClear);
    EXPECT_EQ(Images(EditList()), s.images);
  }
  EXPECT_EQ(gSelectedBlockRow[0], -1);
  EXPECT_EQ(Lists().MarkedRow(), -1);
}

TEST_F(KeyDataPageTest, ChangedTestIgnoresSurroundingBlanksOfHeaderAndFooter) {
  SetBlocks({{1, false, 3, 4, "<", ">"}, {1, true, 1, 1, "[ENTER]", ""}});
  ShowBlocks();
  struct Case {
    int row;
    std::function<void(TBlockEditor&)> edit;
    bool changed;
  };
  auto text = [](ui::Edit* TBlockEditor::*box, const char* t) {
    return [box, t](TBlockEditor& e) { (e.*box)->SetText(t); };
  };
  std::vector<Case> cases{
      {0, [](TBlockEditor&) {}, false},
      {0, text(&TBlockEditor::edtBlockHeader, "< "), false},
      {0, text(&TBlockEditor::edtBlockFooter, "  >"), false},
      {0, text(&TBlockEditor::edtBlockHeader, "<x"), true},
      {0, [](TBlockEditor& e) { e.updBlockStart->SetPosition(5); }, true},
      {0, [](TBlockEditor& e) { e.updBlockDigit->SetPosition(5); }, true},
      {0, [](TBlockEditor& e) { e.chkAllData->SetChecked(true); }, true},
      {1, [](TBlockEditor& e) { e.updBlockStart->SetPosition(9); }, false},  // not used with all data
      {1, [](TBlockEditor& e) { e.chkAllData->SetChecked(false); }, true},
      {1, text(&TBlockEditor::edtBlockHeader, "[ENTER] "), false},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(i);
    ClickRow(cases[i].row);  // the editor takes the row again
    cases[i].edit(Editor());
    EXPECT_EQ(Lists().EditorChanged(), cases[i].changed);
  }
}

TEST_F(KeyDataPageTest, UpdateRewritesTheMarkedBlockAndKeepsItsTrack) {
  CardData.Tracks = "1100";
  SetBlocks({{2, false, 1, 2, "", ""}, {1, false, 3, 4, "a", ""}, {2, false, 5, 6, "b", "c"}});
  ShowBlocks();
  FakeToolkit::Select(Opt(), "tabTracks", 1);
  ClickRow(1);  // the second block of track 2: row 3 of the table
  FakeToolkit::CheckRow(Opt(), "lvwBlockData", 2, false);  // the user's tick does not move the mark
  EXPECT_EQ(Lists().MarkedRow(), 2);
  EXPECT_EQ(Editor().edtBlockFooter->Text(), "c");
  FakeToolkit::SetPosition(Opt(), "updBlockDigit", 9);
  Settle();
  tk.QueueAnswer(MsgResult::Cancel);
  FakeToolkit::Click(Opt(), "actUpdateBlockData");
  EXPECT_EQ(Column(Table(), kColDigit)[2], "6");
  FakeToolkit::Click(Opt(), "actUpdateBlockData");
  ASSERT_EQ(tk.boxes.size(), 2u);
  EXPECT_EQ(tk.boxes[1].text, "Update?");
  EXPECT_EQ(tk.boxes[1].buttons, MsgButtons::OKCancel);
  EXPECT_EQ(Table().Rows()[2].subItems, (std::vector<std::string>{"2", "OFF", "5", "9", "b", "c"}));
  // Still selected, no longer changed.
  Settle();
  EXPECT_EQ(EditList().SelectedIndex(), 1);
  EXPECT_EQ(ActionState(), (std::vector<bool>{true, false, true, true}));
}

TEST_F(KeyDataPageTest, AddUpdateAndDeleteRefuseWhatTheyCannotDo) {
  ShowBlocks();
  Lists().actUpdateBlockDataExecute();  // nothing selected
  Lists().actDeleteBlockDataExecute();  // empty list
  ASSERT_EQ(tk.boxes.size(), 2u);
  EXPECT_EQ(tk.boxes[0].text, "No Select");
  EXPECT_EQ(tk.boxes[1].text, "No Select");
  EXPECT_EQ(tk.boxes[1].icon, ui::MsgIcon::Confirmation);
  EXPECT_TRUE(Table().Rows().empty());
}

TEST_F(KeyDataPageTest, DeleteAsksAndRemovesTheBlockFromBothLists) {
  SetBlocks({{1, true, 1, 1, "a", ""}, {2, true, 1, 1, "b", ""}, {1, true, 1, 1, "c", ""}});
  ShowBlocks();
  ClickRow(1);
  FakeToolkit::CheckRow(Opt(), "lvwBlockData", 1, true);  // another track's block
  tk.QueueAnswer(MsgResult::Cancel);
  FakeToolkit::Click(Opt(), "actDeleteBlockData");
  EXPECT_EQ(Table().Rows().size(), 3u);
  FakeToolkit::Click(Opt(), "actDeleteBlockData");
  EXPECT_EQ(tk.boxes.back().text, "Delete?");
  EXPECT_EQ(Column(Table(), kColHeader), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(Column(EditList(), kColHeader), (std::vector<std::string>{"a"}));
  EXPECT_EQ(gSelectedBlockRow[0], -1);
  EXPECT_EQ(EditList().SelectedIndex(), -1);
}

TEST_F(KeyDataPageTest, ClearRemovesOnlyTheCurrentTracksBlocks) {
  gstrAskClearData = "Clear all blocks of <TRACK>? (<TRACK>)";
  SetBlocks({{1, true, 1, 1, "a", ""}, {2, true, 1, 1, "b", ""}, {1, true, 1, 1, "c", ""}, {2, true, 1, 1, "d", ""}});
  ShowBlocks();
  tk.QueueAnswer(MsgResult::Cancel);
  FakeToolkit::Click(Opt(), "actClearBlockData");
  EXPECT_EQ(Table().Rows().size(), 4u);
  FakeToolkit::Click(Opt(), "actClearBlockData");
  EXPECT_EQ(tk.boxes.back().text, "Clear all blocks of Track 1? (Track 1)");
  EXPECT_EQ(Column(Table(), kColHeader), (std::vector<std::string>{"b", "d"}));
  EXPECT_EQ(Captions(Table()), (std::vector<std::string>{"1", "2"}));
  EXPECT_TRUE(EditList().Rows().empty());
  Settle();
  EXPECT_EQ(ActionState(), (std::vector<bool>{true, false, false, false}));
  gstrAskClearData = "Clear data?";
}

// ---- a pending block edit ----

TEST_F(KeyDataPageTest, TabChangeAsksAboutAChangedBlock) {
  SetBlocks({{1, false, 3, 4, "<", ""}, {2, true, 1, 1, "", ""}});
  ShowBlocks();
  ClickRow(0);
  FakeToolkit::EnterText(Opt(), "edtBlockHeader", "<<");
  // Asked at once, before the action state followed the change.
  tk.QueueAnswer(MsgResult::Cancel);
  FakeToolkit::Select(Opt(), "tabTracks", 1);
  ASSERT_EQ(tk.boxes.size(), 1u);
  EXPECT_EQ(tk.boxes[0].text, "Update?");
  EXPECT_EQ(tk.boxes[0].buttons, MsgButtons::YesNoCancel);
  EXPECT_EQ(Lists().tabTracks->ItemIndex(), 0);
  EXPECT_EQ(Editor().edtBlockHeader->Text(), "<<");

  tk.QueueAnswer(MsgResult::No);
  FakeToolkit::Select(Opt(), "tabTracks", 1);
  EXPECT_EQ(Lists().tabTracks->ItemIndex(), 1);
  EXPECT_EQ(Column(Table(), kColHeader)[0], "<");  // dropped

  FakeToolkit::Select(Opt(), "tabTracks", 0);
  ClickRow(0);
  FakeToolkit::EnterText(Opt(), "edtBlockHeader", "<<");
  tk.QueueAnswer(MsgResult::Yes);
  FakeToolkit::Select(Opt(), "tabTracks", 1);
  EXPECT_EQ(tk.boxes.back().text, "Update?");
  EXPECT_EQ(tk.boxes.back().buttons, MsgButtons::YesNoCancel);  // no second question
  EXPECT_EQ(Column(Table(), kColHeader)[0], "<<");
  EXPECT_EQ(Lists().tabTracks->ItemIndex(), 1);
}

TEST_F(KeyDataPageTest, OkAndCloseAskAboutAChangedBlock) {
  SetBlocks({{1, false, 3, 4, "<", ""}});
  ShowBlocks();
  ClickRow(0);
  FakeToolkit::SetPosition(Opt(), "updBlockStart", 8);
  tk.QueueAnswer(MsgResult::Cancel);
  FakeToolkit::Click(Opt(), "btnOK");
  EXPECT_TRUE(Opt().Showing());
  EXPECT_EQ(saves, 0);
  tk.QueueAnswer(MsgResult::Yes);
  FakeToolkit::Click(Opt(), "btnOK");
  EXPECT_FALSE(Opt().Showing());
  EXPECT_EQ(KeyData.Blocks[0].Start, 8);
  EXPECT_EQ(saves, 1);

  ShowBlocks();
  ClickRow(0);
  FakeToolkit::SetPosition(Opt(), "updBlockStart", 9);
  tk.QueueAnswer(MsgResult::No);  // drop the block edit: nothing else changed
  size_t before = tk.boxes.size();
  FakeToolkit::Click(Opt(), "btnCancel");
  EXPECT_FALSE(Opt().Showing());
  EXPECT_EQ(tk.boxes.size(), before + 1);
  EXPECT_EQ(KeyData.Blocks[0].Start, 8);
}

// ---- load and store ----

TEST_F(KeyDataPageTest, SettingsFileRoundTripsThroughThePage) {
  const std::string keyData =
      "[CardData]\r\nTracks=1110\r\nTrackUse=1110\r\nSingleTrack=0\r\n\r\n"
      "[KeyData]\r\nHeader=[ENTER]\r\nTrackSeparator=/\r\nTerminator=([CTRL]v)[TAB]\r\nBlockNum=4\r\n\r\n"
      "[BlockData:1]\r\nBlockHeader=\r\nBlockFooter=.\r\nTrack=1\r\nStart=1\r\nDigit=1\r\nAllData=1\r\n\r\n"
      "[BlockData:2]\r\nBlockHeader=[F1]\r\nBlockFooter=\r\nTrack=3\r\nStart=200\r\nDigit=17\r\nAllData=0\r\n\r\n"
      "[BlockData:3]\r\nBlockHeader=x y\r\nBlockFooter=[ENTER]\r\nTrack=2\r\nStart=5\r\nDigit=1\r\nAllData=0\r\n\r\n"
      "[BlockData:4]\r\nBlockHeader=b\r\nBlockFooter=\r\nTrack=1\r\nStart=1\r\nDigit=1\r\nAllData=1\r\n\r\n";
  LoadSettings(IniFile(keyData));
  ShowBlocks();
  EXPECT_EQ(Column(Table(), kColTrack), (std::vector<std::string>{"1", "3", "2", "1"}));
  EXPECT_EQ(Column(EditList(), kColFooter), (std::vector<std::string>{".", ""}));
  FakeToolkit::Click(Opt(), "btnCancel");  // nothing changed: no question
  EXPECT_FALSE(Opt().Showing());
  EXPECT_TRUE(tk.boxes.empty());
  ShowOption();
  FakeToolkit::Click(Opt(), "btnOK");
  IniFile saved(keyData);
  SaveSettings(saved);
  EXPECT_EQ(saved.Text().substr(saved.Text().find("[CardData]"), keyData.size()), keyData);
}

TEST_F(KeyDataPageTest, AllDataBlocksWithoutARangeAskNothingOnClose) {
  LoadSettings(IniFile("[KeyData]\r\nBlockNum=2\r\n[BlockData:1]\r\nAllData=1\r\nStart=7\r\nDigit=9\r\n"));
  ShowBlocks();
  FakeToolkit::Click(Opt(), "btnCancel");
  EXPECT_FALSE(Opt().Showing());
  EXPECT_TRUE(tk.boxes.empty());
}

// ---- key code button, read data dialog, layout ----

TEST_F(KeyDataPageTest, KeyCodeButtonShowsBesideTheBoxAndComposesItsText) {
  std::vector<std::string> opened;
  Opt().Links().EditKeyCode = [&](std::string& text) {
    opened.push_back(text);
    text += "[ENTER]";
    return true;
  };
  ShowBlocks();
  TKeyCodePanel& panel = Page().KeyCode();
  ui::Edit& footer = *Editor().edtBlockFooter;
  footer.SetText("ab");
  footer.OnEnter();
  EXPECT_TRUE(panel.pnlKeyCode->Visible());
  EXPECT_EQ(panel.pnlKeyCode->Parent(), Editor().grpBlockData);
  EXPECT_EQ(panel.pnlKeyCode->Bounds().left, footer.Bounds().left + footer.Bounds().width + 4);
  EXPECT_TRUE(footer.KeyNotationInput());
  char key = static_cast<char>(0xE9);
  footer.OnKeyPress(key);
  EXPECT_EQ(key, 0);  // above 126
  footer.OnExit();
  EXPECT_FALSE(footer.KeyNotationInput());
  tk.Advance(100);
  EXPECT_TRUE(panel.pnlKeyCode->Visible());  // the click on the button arrives first
  FakeToolkit::Click(Opt(), "btnKeyCode");
  EXPECT_EQ(opened, (std::vector<std::string>{"ab"}));
  EXPECT_EQ(footer.Text(), "ab[ENTER]");
  tk.Advance(300);
  EXPECT_FALSE(panel.pnlKeyCode->Visible());

  Page().Format().edtHeader->OnEnter();
  EXPECT_EQ(panel.pnlKeyCode->Parent(), Page().tabKeyDataFormat);
  FakeToolkit::Select(Opt(), "PageControl3", 0);
  EXPECT_FALSE(panel.pnlKeyCode->Visible());  // at once
}

TEST_F(KeyDataPageTest, SelectReadDataMarksTheRangeOfTheCurrentTab) {
  Opt().Links().SelectReadData = [](IReadDataHost& host) {
    EXPECT_EQ(host.TrackTabIndex(), 1);
    EXPECT_EQ(host.TrackTabCaption(), "Track 2");
    EXPECT_EQ(host.BlockStart(), 1);
    host.SetBlockRange(5, 4);
    return true;
  };
  ShowBlocks();
  FakeToolkit::Select(Opt(), "tabTracks", 1);
  FakeToolkit::Check(Opt(), "chkAllData", false);
  FakeToolkit::Click(Opt(), "btnSelReadData");
  EXPECT_EQ(Editor().Start(), 5);
  EXPECT_EQ(Editor().Digit(), 4);
  EXPECT_EQ(Editor().edtBlockDigit->Text(), "4");
}

TEST_F(KeyDataPageTest, PictureAndFormatFollowTheSubPageAndTheSingleTrackLayout) {
  CardData.SingleTrack = true;
  ShowOption();
  TKeyDataPicture& pic = Page().Picture();
  TKeyDataFormat& f = Page().Format();
  for (ui::Control* c : {static_cast<ui::Control*>(f.rdgTrackSeparator), static_cast<ui::Control*>(f.edtTrackSeparator),
                         static_cast<ui::Control*>(f.pnlTrackSeparatorMark), static_cast<ui::Control*>(pic.lblPicTrack2),
                         static_cast<ui::Control*>(pic.lblNo2)})
    EXPECT_FALSE(c->Visible()) << c->Name();
  EXPECT_EQ(pic.lblNo3->Bounds(), pic.lblNo2->Bounds());
  EXPECT_EQ(pic.lblPicTerminator->Bounds(), pic.lblPicSeparator->Bounds());
  EXPECT_TRUE(pic.lblPicHeader->Enabled());
  EXPECT_FALSE(pic.lblPicBlockData->Enabled());
  FakeToolkit::Click(Opt(), "actKeyData");
  FakeToolkit::Select(Opt(), "PageControl3", 1);
  EXPECT_FALSE(pic.lblPicHeader->Enabled());
  EXPECT_FALSE(pic.lblPicTrack1->Enabled());
  EXPECT_TRUE(pic.lblNo5->Enabled());
  EXPECT_TRUE(pic.lblPicBlockData->Enabled());
  FakeToolkit::Click(Opt(), "btnCancel");

  CardData.SingleTrack = false;
  ShowOption();  // the first sub-page again, the two-track picture
  EXPECT_TRUE(pic.lblPicHeader->Enabled());
  EXPECT_TRUE(f.rdgTrackSeparator->Visible());
  EXPECT_TRUE(pic.lblPicTrack2->Visible());
  EXPECT_NE(pic.lblNo3->Bounds(), pic.lblNo2->Bounds());
}

}  // namespace
}  // namespace km27::test
