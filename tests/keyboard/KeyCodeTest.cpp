// The key code dialog: the table of named keys, composing a notation text by
// clicking rows, and what the caller gets back.
#include <gtest/gtest.h>

#include "common/CodePage.h"
#include "keyboard/KeyCode.h"
#include "tests/support/FakeToolkit.h"

namespace km27::test {
namespace {

class KeyCodeTest : public ::testing::Test {
 protected:
  ~KeyCodeTest() override { SetAnsiCodePage(nullptr); }
  int RowOf(const std::string& name) const {
    const auto& rows = dlg.lvwKeyTable->Rows();
    for (size_t i = 0; i < rows.size(); ++i)
      if (rows[i].subItems[0] == name) return static_cast<int>(i);
    return -1;
  }
  // Opens the dialog with `text`, runs `user` while it shows; the text the caller gets.
  std::pair<bool, std::string> Run(std::string text, std::function<void()> user) {
    tk.OnModal("frmKeyCode", [user](ui::Form&) { user(); });
    bool ok = dlg.Execute(text);
    return {ok, text};
  }
  FakeToolkit tk;
  TfrmKeyCode dlg;
};

TEST_F(KeyCodeTest, TableListsTheNamedKeysWithoutDigitsOrLetters) {
  dlg.Show();
  const auto& rows = dlg.lvwKeyTable->Rows();
  ASSERT_EQ(rows.size(), 64u);  // no named key lies among the digits and letters
  EXPECT_EQ(rows.front().caption, "[Back space]");
  EXPECT_EQ(rows.front().subItems[0], "BACK");
  EXPECT_EQ(rows.back().caption, "\x89\x45\x82\xCC [Alt]");  // "右の [Alt]"
  EXPECT_EQ(rows.back().subItems[0], "RALT");
  for (const auto& r : rows) EXPECT_FALSE(r.subItems[0].size() == 1) << r.subItems[0];
  // Showing again does not add the rows twice; the list has the focus.
  dlg.Hide();
  dlg.Show();
  EXPECT_EQ(dlg.lvwKeyTable->Rows().size(), 64u);
  EXPECT_EQ(tk.events.back().component, "lvwKeyTable");
}

TEST_F(KeyCodeTest, ClickedKeyGoesAtTheCaretOrOverTheSelection) {
  auto [ok, text] = Run("ABC", [this] {
    FakeToolkit::ClickRow(dlg, "lvwKeyTable", RowOf("ENTER"));  // the caret is after the text handed in
    FakeToolkit::SelectText(dlg, "edtKeyCode", 0, 0);
    FakeToolkit::ClickRow(dlg, "lvwKeyTable", RowOf("TAB"));
    FakeToolkit::ClickRow(dlg, "lvwKeyTable", RowOf("TAB"));  // the same row again
    FakeToolkit::Click(dlg, "btnOK");
  });
  EXPECT_TRUE(ok);
  EXPECT_EQ(text, "[TAB][TAB]ABC[ENTER]");

  std::tie(ok, text) = Run("ABC", [this] {
    FakeToolkit::SelectText(dlg, "edtKeyCode", 1, 2);  // "BC"
    FakeToolkit::ClickRow(dlg, "lvwKeyTable", RowOf("ENTER"));
    FakeToolkit::ClickRow(dlg, "lvwKeyTable", -1);  // below the rows: nothing
    FakeToolkit::Click(dlg, "btnOK");
  });
  EXPECT_EQ(text, "A[ENTER]");
}

TEST_F(KeyCodeTest, CancelCloseBoxAndClear) {
  auto [ok, text] = Run("keep", [this] {
    FakeToolkit::Type(dlg, "edtKeyCode", "xyz");
    FakeToolkit::Click(dlg, "btnCancel");
  });
  EXPECT_FALSE(ok);
  EXPECT_EQ(text, "keep");

  std::tie(ok, text) = Run("keep", [this] { dlg.Close(); });  // the close box
  EXPECT_FALSE(ok);
  EXPECT_FALSE(dlg.confirmed);

  std::tie(ok, text) = Run("gone", [this] {
    FakeToolkit::Click(dlg, "btnClear");
    FakeToolkit::Click(dlg, "btnOK");
  });
  EXPECT_TRUE(ok);
  EXPECT_EQ(text, "");
}

TEST_F(KeyCodeTest, EditRefusesDoubleByteCharacters) {
  static const CodePage932 cp932;
  SetAnsiCodePage(&cp932);
  auto [ok, text] = Run("", [this] {
    FakeToolkit::Type(dlg, "edtKeyCode", "a\x82\xA0" "b\x82");  // "a", "あ", "b", a lone lead byte
    FakeToolkit::Click(dlg, "btnOK");
  });
  EXPECT_EQ(text, "ab");
  EXPECT_EQ(tk.beeps, 2);
}

}  // namespace
}  // namespace km27::test
