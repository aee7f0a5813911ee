#include "settings/Language.h"

#include <gtest/gtest.h>

#include "settings/Define.h"
#include "settings/Messages.h"
#include "tests/settings/SettingsTestSupport.h"
#include "ui/Form.h"

namespace km27 {
namespace {

using test::TempDir;
using test::TestFileSystem;

// Windows with the components the language files address.
struct FakeForms {
  ui::Form main{"frmMain"}, comm{"frmComm"}, option{"frmOption"}, keyCode{"frmKeyCode"}, readData{"frmReadData"},
      wizard{"frmWizard"};
  FakeForms() {
    main.SetCaption("ORVANE Larkway");
    main.SetFont(ui::Font{"Tahoma", 9, 0, 1, true});
    main.Make<ui::Action>("actStart").SetCaption("Start Larkway");
    auto& start = main.Make<ui::SpeedButton>("spbStart");
    start.SetCaption("Start");
    start.SetFont(ui::Font{"Tahoma", 9, 21, 1, true});
    main.Make<ui::SpeedButton>("spbStop").SetCaption("Stop");
    main.Make<ui::Label>("lblValueList").SetCaption("Setup Values");

    comm.Make<ui::Button>("btnClear").SetCaption("Clear");
    readData.Make<ui::Label>("lblReadTrack").SetFont(ui::Font{"Courier New", 10, 0, 1, true});

    option.Make<ui::ComboBox>("cboLanguage");
    option.Make<ui::Button>("btnMonitor").SetCaption("Monitor");
    option.Make<ui::RadioGroup>("rdgAutoStartMode").SetItems({"Auto", "Manual"});
    for (const char* g : {"rdgHeader", "rdgTrackSeparator", "rdgTerminator"}) {
      auto& r = option.Make<ui::RadioGroup>(g);
      r.SetCaption(std::string(g).substr(3));
      r.SetItems({"None", "Text"});
    }
    option.Make<ui::GroupBox>("grpBlockData").SetCaption("Block Data");
    option.Make<ui::ListView>("lvwKeyTable").SetColumns({{"Key"}, {"Code"}, {"Note"}});

    wizard.SetFont(ui::Font{"Tahoma", 9, 0, 1, false});
    wizard.Make<ui::Label>("lblConnectTest").SetCaption("Test the connection");
    wizard.Make<ui::Label>("lblReadCheckNote").SetCaption("Read a card");
    wizard.Make<ui::RadioGroup>("rdgAutoStartMode").SetItems({"Auto", "Manual"});
    wizard.Make<ui::ListView>("lvwReadData").SetColumns({{"Track"}, {"Status"}, {"Data"}});
    SetLanguageForms({&main, &comm, &option, &keyCode, &readData, &wizard});
  }
  ~FakeForms() { SetLanguageForms({}); }
  template <typename T>
  T& Get(ui::Form& f, const char* name) {
    T* c = f.Find<T>(name);
    EXPECT_NE(c, nullptr) << name;
    return *c;
  }
};

class LanguageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSettingsToBuiltIn();
    ResetMessageTexts();
    LanguageFiles.clear();
  }
  // Writes the file and applies it.
  void Apply(const std::string& name, const std::string& text) {
    dir.Write(name, text);
    LanguageFiles = {name};
    LoadLanguage(0);
  }
  TempDir dir;
  TestFileSystem fs{dir};
  FakeForms forms;
};

TEST(SplitLanguageLine, NameAndValueTrimmedAndExpanded) {
  EXPECT_EQ(SplitLanguageLine(" actStart = Start\\nnow = x ", true), "actStart");
  EXPECT_EQ(SplitLanguageLine(" actStart = Start\\nnow = x ", false), "Start\r\nnow = x");
  EXPECT_EQ(SplitLanguageLine("just a value", true), "");
  EXPECT_EQ(SplitLanguageLine("just a value", false), "just a value");
  EXPECT_EQ(SplitLanguageLine("=", false), "");
}

TEST_F(LanguageTest, FontsFollowTheMainWindowExceptTheWizardAndTheBigButtons) {
  Apply("Big.rlf", "[General]\nFontName=Verdana\nFontSize=12\nFontCharSet=128\n");
  const ui::Font main = forms.main.GetFont();
  EXPECT_EQ(main, (ui::Font{"Verdana", 12, 0, 128, true}));
  for (ui::Form* f : {&forms.option, &forms.keyCode, &forms.comm, &forms.readData})
    EXPECT_EQ(f->GetFont(), (ui::Font{"Verdana", 12, 0, 128, false})) << f->Name();
  EXPECT_EQ(forms.wizard.GetFont(), (ui::Font{"Tahoma", 9, 0, 1, false}));
  EXPECT_EQ(forms.Get<ui::Control>(forms.main, "spbStart").GetFont(), (ui::Font{"Verdana", 9, 21, 128, true}));
  EXPECT_EQ(forms.Get<ui::Control>(forms.readData, "lblReadTrack").GetFont(), (ui::Font{"Verdana", 10, 0, 128, true}));

  Apply("Bad.rlf", "[General]\nFontSize=big\nFontCharSet=x\n");
  EXPECT_EQ(forms.main.GetFont(), (ui::Font{"Arial", 9, 0, 1, true}));
  Apply("Huge.rlf", "[General]\nFontSize=100000\n");
  EXPECT_EQ(forms.main.GetFont().size, 9);
}

TEST_F(LanguageTest, WindowTitlesTakeTheirDefaultsWhenMissing) {
  Apply("T.rlf", "[Form.Caption]\nfrmOption=Optionen\\n\nfrmComm=\n");
  EXPECT_EQ(forms.main.Caption(), "ORVANE KM-27");
  EXPECT_EQ(forms.option.Caption(), "Optionen\\n");  // titles are used as read
  EXPECT_EQ(forms.comm.Caption(), "");
  EXPECT_EQ(forms.keyCode.Caption(), "Key Code");
  EXPECT_EQ(forms.readData.Caption(), "Read Data");
  EXPECT_EQ(forms.wizard.Caption(), "Initial Setup Wizard");
}

TEST_F(LanguageTest, NamedControlsByComponentNameAnyCase) {
  Apply("N.rlf",
        "[Main.Action]\nACTSTART=Go\\nnow\nactStrat=misspelt\nno equals sign\n=nameless\n"
        "[Main.SpeedButton]\nspbStop=Halt\nactStart=via another section\n"
        "[Option.Button.Hint]\nbtnMonitor=Shows the monitor\n"
        "[Comm.Button]\nbtnClear=Leeren\n");
  EXPECT_EQ(forms.Get<ui::Action>(forms.main, "actStart").Caption(), "via another section");
  EXPECT_EQ(forms.Get<ui::Control>(forms.main, "spbStop").Caption(), "Halt");
  auto& monitor = forms.Get<ui::Control>(forms.option, "btnMonitor");
  EXPECT_EQ(monitor.Hint(), "Shows the monitor");
  EXPECT_TRUE(monitor.ShowHint());
  EXPECT_EQ(monitor.Caption(), "Monitor");
  EXPECT_EQ(forms.Get<ui::Control>(forms.comm, "btnClear").Caption(), "Leeren");

  Apply("M.rlf", "[Main.Action]\nactStart=Go\\nnow\n");
  EXPECT_EQ(forms.Get<ui::Action>(forms.main, "actStart").Caption(), "Go\r\nnow");
}

TEST_F(LanguageTest, EverySectionReachesItsOwnWindowAndProperty) {
  // Every window has a control named after each section; only the section's
  // own window may take the text, as its caption or as its hint.
  const struct {
    const char* section;
    ui::Form* window;
    bool hint;
  } sections[] = {{"Main.Action", &forms.main, false},      {"Main.SpeedButton", &forms.main, false},
                  {"Main.Label", &forms.main, false},       {"Wizard.Label", &forms.wizard, false},
                  {"Wizard.Button", &forms.wizard, false},  {"Wizard.TabSheet", &forms.wizard, false},
                  {"Wizard.CheckBox", &forms.wizard, false}, {"Wizard.RadioGroup", &forms.wizard, false},
                  {"Option.Action", &forms.option, false},  {"Option.Button", &forms.option, false},
                  {"Option.Button.Hint", &forms.option, true}, {"Option.CheckBox", &forms.option, false},
                  {"Option.TabSheet", &forms.option, false}, {"Option.RadioGroup", &forms.option, false},
                  {"Option.GroupBox", &forms.option, false}, {"Option.Label", &forms.option, false},
                  {"Option.Edit.Hint", &forms.option, true}, {"KeyCode.Button", &forms.keyCode, false},
                  {"KeyCode.Label", &forms.keyCode, false}, {"Comm.Button", &forms.comm, false},
                  {"ReadData.Label", &forms.readData, false}};
  ui::Form* windows[] = {&forms.main, &forms.wizard, &forms.option, &forms.keyCode, &forms.comm, &forms.readData};
  std::string file;
  for (const auto& s : sections) {
    for (ui::Form* w : windows) w->Make<ui::Button>(s.section).SetCaption("design");
    file += std::string("[") + s.section + "]\n" + s.section + "=text\n";
  }
  file += "[Option.GroupBox]\ngrpBlockData=Blocks\n";
  forms.option.Make<ui::ListView>("lvwEditBlockData").SetColumns({{"No"}, {"Track"}});
  forms.keyCode.Make<ui::ListView>("lvwKeyTable").SetColumns({{"Key"}, {"Code"}});
  file += "[Option.rdgAutoStartMode]\nAt start\n[Option.lvwEditBlockData]\nNr.\n[KeyCode.lvwKeyTable]\nTaste\n";
  Apply("S.rlf", file);
  for (const auto& s : sections) {
    for (ui::Form* w : windows) {
      const auto& c = forms.Get<ui::Control>(*w, s.section);
      const bool own = w == s.window;
      EXPECT_EQ(c.Caption(), own && !s.hint ? "text" : "design") << s.section << " on " << w->Name();
      EXPECT_EQ(c.Hint(), own && s.hint ? "text" : "") << s.section << " on " << w->Name();
      EXPECT_EQ(c.ShowHint(), own && s.hint) << s.section << " on " << w->Name();
    }
  }
  // The room for the colour mark comes after the group box texts.
  EXPECT_EQ(forms.Get<ui::Control>(forms.option, "grpBlockData").Caption(), "   Blocks");
  EXPECT_EQ(forms.Get<ui::RadioGroup>(forms.option, "rdgAutoStartMode").Items(),
            (std::vector<std::string>{"At start", "Manual"}));  // the built-in text where the file is short
  EXPECT_EQ(forms.Get<ui::RadioGroup>(forms.wizard, "rdgAutoStartMode").Items(),
            (std::vector<std::string>{"Auto", "Manual"}));
  EXPECT_EQ(forms.Get<ui::ListView>(forms.option, "lvwEditBlockData").Columns()[0].title, "Nr.");
  EXPECT_EQ(forms.Get<ui::ListView>(forms.keyCode, "lvwKeyTable").Columns()[0].title, "Taste");
  EXPECT_EQ(forms.Get<ui::ListView>(forms.option, "lvwKeyTable").Columns()[0].title, "Key");
}

TEST_F(LanguageTest, OrderedListsAndColumnTitles) {
  Apply("L.rlf",
        "[Option.rdgHeader]\na=One\nb=Two\nThree\n"
        "[Wizard.rdgAutoStartMode]\n"
        "[Option.lvwKeyTable]\nx=Taste\n"
        "[Wizard.lvwReadData]\n1=T\n2=S\n3=D\n4=extra\n");
  const std::vector<std::string> three = {"One", "Two", "Three"};
  for (const char* g : {"rdgHeader", "rdgTrackSeparator", "rdgTerminator"})
    EXPECT_EQ(forms.Get<ui::RadioGroup>(forms.option, g).Items(), three) << g;
  EXPECT_EQ(forms.Get<ui::RadioGroup>(forms.wizard, "rdgAutoStartMode").Items(),
            (std::vector<std::string>{"Auto", "Manual"}));
  const auto& keys = forms.Get<ui::ListView>(forms.option, "lvwKeyTable").Columns();
  EXPECT_EQ(keys[0].title, "Taste");
  EXPECT_EQ(keys[1].title, "Code");
  const auto& read = forms.Get<ui::ListView>(forms.wizard, "lvwReadData").Columns();
  ASSERT_EQ(read.size(), 3u);
  EXPECT_EQ(read[2].title, "D");
}

TEST_F(LanguageTest, SeparatorAndTerminatorCopyTheHeaderItemsEvenWithoutASection) {
  forms.Get<ui::RadioGroup>(forms.option, "rdgHeader").SetItems({"H1", "H2", "H3"});
  Apply("E.rlf", "[General]\n");
  EXPECT_EQ(forms.Get<ui::RadioGroup>(forms.option, "rdgTerminator").Items(),
            (std::vector<std::string>{"H1", "H2", "H3"}));
}

TEST_F(LanguageTest, MarkRoomIsAddedOnceHoweverOftenALanguageIsApplied) {
  Apply("R.rlf", "[Option.RadioGroup]\nrdgHeader=Header\n");
  Apply("R.rlf", "[Option.RadioGroup]\nrdgHeader=Header\n");
  EXPECT_EQ(forms.Get<ui::Control>(forms.option, "rdgHeader").Caption(), "   Header");
  EXPECT_EQ(forms.Get<ui::Control>(forms.option, "rdgTerminator").Caption(), "   Terminator");
  EXPECT_EQ(forms.Get<ui::Control>(forms.option, "grpBlockData").Caption(), "   Block Data");
}

TEST_F(LanguageTest, WizardTextsAreCopiedAfterTheWizardSections) {
  Apply("W.rlf", "[Wizard.Label]\nlblConnectTest=Connect\\nnow\n");
  EXPECT_EQ(WizardConnectTestText, "Connect\r\nnow");
  EXPECT_EQ(WizardReadCheckNoteText, "Read a card");
}

TEST_F(LanguageTest, MessagesTakeDefaultsWhenMissingAndExpandLineBreaks) {
  EXPECT_EQ(gstrNotFoundIniFile, "Setup file is not found.");
  Apply("A.rlf", "[Messages]\ngstrAskEnd=Wirklich\\nbeenden?\ngstrStart=\ngstrStop=Gestoppt\n");
  EXPECT_EQ(gstrAskEnd, "Wirklich\r\nbeenden?");
  EXPECT_EQ(gstrStart, "");
  EXPECT_EQ(gstrStop, "Gestoppt");
  EXPECT_EQ(gstrCommError_ErrRes1, "Error Response! ");

  Apply("B.rlf", "[Messages]\ngstrAskEnd=Quit?\n");
  EXPECT_EQ(gstrStop, "Serial to Key Converter was stopped");  // back to its default
  EXPECT_EQ(gstrStart, "Serial to Key Converter was started.");
}

TEST_F(LanguageTest, MessageDefaultsAreExact) {
  ASSERT_EQ(MessageTexts().size(), 58u);
  int empty = 0;
  for (const auto& m : MessageTexts()) {
    EXPECT_EQ(*m.text, m.defaultText) << m.key;
    if (std::string(m.defaultText).empty()) ++empty;
  }
  EXPECT_EQ(empty, 11);
  EXPECT_EQ(gstrStop, "Serial to Key Converter was stopped");
  EXPECT_EQ(gstrCommError_ErrRes2, "Error Response! ");
  EXPECT_EQ(gstrCommError_OpenErr, "Error! Port open eror!");
  EXPECT_EQ(gstrSerialConnectError, "* Open error. COM");
}

TEST_F(LanguageTest, BuildListsEveryFileAndAppliesOnlyAnExactNameMatch) {
  dir.Write("English.rlf", "[General]\nLanguageName=English\n[Messages]\ngstrAskEnd=Quit KM-27?\n");
  dir.Write("Deutsch.rlf", "[General]\nLanguageName=Deutsch\n[Messages]\ngstrAskEnd=Beenden?\n");
  dir.Write("notes.txt", "[General]\nLanguageName=no\n");

  General.LanguageFile = "english.rlf";
  BuildLanguageList();
  ASSERT_EQ(LanguageFiles.size(), 2u);
  auto& combo = forms.Get<ui::ComboBox>(forms.option, "cboLanguage");
  ASSERT_EQ(combo.Items().size(), 2u);
  for (size_t i = 0; i < 2; ++i) EXPECT_EQ(combo.Items()[i] + ".rlf", LanguageFiles[i]);
  EXPECT_EQ(gstrAskEnd, "Finish KM-27?");
  EXPECT_EQ(forms.main.Caption(), "ORVANE Larkway");
  EXPECT_EQ(combo.ItemIndex(), -1);

  General.LanguageFile = "Deutsch.rlf";
  BuildLanguageList();
  EXPECT_EQ(gstrAskEnd, "Beenden?");
  EXPECT_EQ(combo.Items()[static_cast<size_t>(combo.ItemIndex())], "Deutsch");
}

TEST_F(LanguageTest, MissingWindowsAndUnreadableFilesAreSkipped) {
  SetLanguageForms({&forms.main, nullptr, nullptr, nullptr, nullptr, nullptr});
  Apply("P.rlf", "[Option.rdgHeader]\nx\n[Wizard.Label]\nlblConnectTest=y\n[Main.Label]\nlblValueList=Werte\n");
  EXPECT_EQ(forms.Get<ui::Control>(forms.main, "lblValueList").Caption(), "Werte");

  LanguageFiles = {"Gone.rlf", ""};
  LoadLanguage(0);
  LoadLanguage(1);
  LoadLanguage(7);
  LoadLanguage(-1);
  EXPECT_EQ(forms.Get<ui::Control>(forms.main, "lblValueList").Caption(), "Werte");
}

TEST_F(LanguageTest, BadFilesApplyWhatTheyCanAndNothingElse) {
  std::string garbage;
  for (int i = 0; i < 50000; ++i) garbage += static_cast<char>((i * 2654435761u) >> 24);
  Apply("G.rlf", garbage);
  EXPECT_EQ(gstrAskEnd, "Finish KM-27?");
  EXPECT_EQ(forms.main.Caption(), "ORVANE KM-27");

  static const char withNul[] = "[Messages]\0\ngstrAskEnd=Quit\0?\n[Main.Label]\nlblValueList=\0";
  Apply("N.rlf", std::string(withNul, sizeof withNul - 1));
  EXPECT_EQ(gstrAskEnd, std::string("Quit\0?", 6));
  EXPECT_EQ(forms.Get<ui::Control>(forms.main, "lblValueList").Caption(), "");

  const std::string big(1 << 20, 'x');
  Apply("B.rlf", "[Messages]\ngstrStart=" + big + "\n[Option.rdgHeader]\n" + big + "\n[General]\nFontName=" + big);
  EXPECT_EQ(gstrStart.size(), big.size());
  EXPECT_EQ(forms.Get<ui::RadioGroup>(forms.option, "rdgTerminator").Items(), (std::vector<std::string>{big, "Text"}));
  EXPECT_EQ(forms.main.GetFont().name, big.substr(0, 31));  // longer face names do not exist

  test::BoxRecorder boxes;
  Apply("U.rlf", "\xEF\xBB\xBF[Form.Caption]\r\nfrmMain=UTF-8\r\n");
  Apply("W.rlf", std::string("\xFF\xFE[\0M\0", 6));
  EXPECT_EQ(forms.main.Caption(), "UTF-8");  // its first section read; nothing of the UTF-16 file
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_NE(boxes.boxes[0].text.find(dir.Path("W.rlf")), std::string::npos);
}

}  // namespace
}  // namespace km27
