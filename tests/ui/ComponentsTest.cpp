// The window model: name lookup, edits and memos, lists, actions.
#include <gtest/gtest.h>

#include "tests/support/FakeToolkit.h"
#include "ui/Form.h"

namespace km27::ui {
namespace {

TEST(Form, FindsComponentsByNameWithoutRegardToCase) {
  test::FakeToolkit tk;
  Form f("frmX");
  auto& b = f.Make<Button>("btnOK");
  auto& l = f.Make<Label>("lblInfo");
  EXPECT_EQ(f.FindComponent("BTNok"), &b);
  EXPECT_EQ(f.Find<Label>("lblinfo"), &l);
  EXPECT_EQ(f.Find<Button>("lblInfo"), nullptr);
  EXPECT_EQ(f.FindComponent(""), nullptr);
  EXPECT_EQ(f.FindComponent("btnCancel"), nullptr);
}

}  // namespace
}  // namespace km27::ui
