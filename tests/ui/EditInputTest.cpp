// Key notation input, the caret and mouse of an edit, up-downs bound to an
// edit, and clicks on list view rows.
#include <gtest/gtest.h>

#include "common/CodePage.h"
#include "tests/support/FakeToolkit.h"
#include "ui/Form.h"

namespace km27::ui {
namespace {

using test::FakeToolkit;

class EditInputTest : public ::testing::Test {
 protected:
  EditInputTest() { edit.SetKeyNotationInput(true); }
  ~EditInputTest() override { SetAnsiCodePage(nullptr); }
  FakeToolkit tk;
  Form form{"frmX"};
  Edit& edit = form.Make<Edit>("edtKeyCode");
};

TEST_F(EditInputTest, DoubleByteCharactersAreRefusedWithABeep) {
  static const CodePage932 cp932;
  SetAnsiCodePage(&cp932);
  struct Case {
    std::string typed, text;
    int beeps;
  } cases[] = {
      {"ab", "ab", 0},
      {"a\x82\xA0" "b", "ab", 1},     // "あ": lead and trail go
      {"a\x82\x60" "b", "ab", 1},     // "Ａ": its trail byte 0x60 is no "`"
      {"\x82", "", 1},                // a lone lead byte
      {"\x82\x31", "1", 1},           // 0x31 cannot end the character: it is typed
      {"\xB1\x7E\x7F", "~", 0},       // half-width kana and DEL are dropped quietly
      {"\x81\x40\x81\x40", "", 2},    // two full-width blanks
  };
  for (const auto& c : cases) {
    edit.SetText("");
    tk.beeps = 0;
    FakeToolkit::Type(form, "edtKeyCode", c.typed);
    EXPECT_EQ(edit.Text(), c.text) << c.typed;
    EXPECT_EQ(tk.beeps, c.beeps) << c.typed;
  }
  // A lead byte typed on its own does not swallow what is typed later.
  edit.SetText("");
  FakeToolkit::Type(form, "edtKeyCode", "\x82");
  FakeToolkit::Type(form, "edtKeyCode", "a");
  EXPECT_EQ(edit.Text(), "a");
}

TEST_F(EditInputTest, SingleByteCodePageHasNoLeadBytes) {
  FakeToolkit::Type(form, "edtKeyCode", "a\x82\x60");
  EXPECT_EQ(edit.Text(), "a`");
  EXPECT_EQ(tk.beeps, 0);
  edit.SetKeyNotationInput(false);
  FakeToolkit::Type(form, "edtKeyCode", "\xE9");
  EXPECT_EQ(edit.Text(), "a`\xE9");
  EXPECT_TRUE(tk.Changed("frmX", "edtKeyCode", Prop::InputFilter));
}

TEST_F(EditInputTest, SelectionAndMouseMoveReachTheHandlers) {
  edit.SetText("ABCDEFGH");
  std::vector<std::pair<int, int>> seen;
  edit.OnMouseMove = [&](int, int, int) { seen.emplace_back(edit.SelStart(), edit.SelLength()); };
  FakeToolkit::SelectText(form, "edtKeyCode", 4, 4);
  FakeToolkit::MouseMove(form, "edtKeyCode", 10, 5);
  FakeToolkit::SelectText(form, "edtKeyCode", 6, 50);  // held to the text
  FakeToolkit::MouseMove(form, "edtKeyCode");
  EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{4, 4}, {6, 2}}));
  edit.InsertAtCaret("[TAB]");
  EXPECT_EQ(edit.Text(), "ABCDEF[TAB]");
  EXPECT_EQ(edit.SelStart(), 11);
}

TEST(UpDown, ATypedNumberIsThePositionWithinTheRange) {
  FakeToolkit tk;
  Form f("frmX");
  auto& e = f.Make<Edit>("edtBlockStart");
  auto& ud = f.Make<UpDown>("updBlockStart");
  ud.Associate = &e;
  ud.SetRange(1, 200);
  ud.SetPosition(7);
  FakeToolkit::EnterText(f, "edtBlockStart", "57");
  EXPECT_EQ(ud.Position(), 57);
  FakeToolkit::EnterText(f, "edtBlockStart", "250");
  EXPECT_EQ(ud.Position(), 200);
  FakeToolkit::EnterText(f, "edtBlockStart", "x");  // no number: the last position
  EXPECT_EQ(ud.Position(), 7);
  FakeToolkit::EnterText(f, "edtBlockStart", "12");
  ud.UserSetPosition(ud.Position() + 1);  // an arrow click steps from the typed number
  EXPECT_EQ(e.Text(), "13");
}

TEST(ListView, ClicksOnRowsCheckBoxesAndPictures) {
  FakeToolkit tk;
  Form f("frmX");
  auto& lv = f.Make<ListView>("lvwKeyTable");
  auto& images = f.Make<ImageList>("imlRows", 16, 16);
  lv.SetRows({{"a", {}}, {"b", {}}});
  std::vector<int> clicks;
  lv.OnClick = [&] { clicks.push_back(lv.SelectedIndex()); };
  FakeToolkit::ClickRow(f, "lvwKeyTable", 1);
  FakeToolkit::ClickRow(f, "lvwKeyTable", 1);  // the same row again is another click
  FakeToolkit::ClickRow(f, "lvwKeyTable", -1);
  EXPECT_EQ(clicks, (std::vector<int>{1, 1, -1}));

  lv.SetCheckBoxes(true);
  lv.SetSmallImages(&images);
  lv.SetRowImage(0, 2);
  lv.SetRowImage(5, 2);
  EXPECT_EQ(lv.Rows()[0].imageIndex, 2);
  EXPECT_TRUE(tk.Changed("frmX", "lvwKeyTable", Prop::CheckBoxes));
  EXPECT_TRUE(tk.Changed("frmX", "lvwKeyTable", Prop::Images));
  EXPECT_EQ(tk.CountChanges("frmX", "lvwKeyTable", Prop::ImageIndex), 1u);
}

}  // namespace
}  // namespace km27::ui
