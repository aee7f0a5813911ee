// The window model: name lookup, edits and memos, lists, pages, actions and
// menus, as the windows of the program use them.
#include <gtest/gtest.h>

#include "tests/support/FakeToolkit.h"
#include "ui/Form.h"

namespace km27::ui {
namespace {

using test::FakeToolkit;

TEST(Form, FindsComponentsByNameWithoutRegardToCase) {
  FakeToolkit tk;
  Form f("frmX");
  auto& b = f.Make<Button>("btnOK");
  auto& l = f.Make<Label>("lblInfo");
  auto& t = f.Make<Timer>("tmrTick", 100, false);
  EXPECT_EQ(f.FindComponent("BTNok"), &b);
  EXPECT_EQ(f.Find<Label>("lblinfo"), &l);
  EXPECT_EQ(f.Find<Timer>("TMRTICK"), &t);
  EXPECT_EQ(f.Find<Button>("lblInfo"), nullptr);  // wrong kind
  EXPECT_EQ(f.FindComponent(""), nullptr);
  EXPECT_EQ(f.FindComponent("btnCancel"), nullptr);
}

TEST(Form, ShowHideCloseAndCloseQuery) {
  FakeToolkit tk;
  Form f("frmX");
  int shows = 0;
  f.OnShow = [&] { ++shows; };
  f.Show();
  f.Show();  // already showing: brought forward, no second OnShow
  EXPECT_EQ(shows, 1);
  EXPECT_TRUE(f.Visible());
  bool allow = false;
  f.OnCloseQuery = [&](bool& canClose) { canClose = allow; };
  f.Close();
  EXPECT_TRUE(f.Showing());
  allow = true;
  f.Close();
  EXPECT_FALSE(f.Showing());
  EXPECT_FALSE(tk.terminated);

  f.Show();
  f.OnClose = [](CloseAction& a) { a = CloseAction::None; };
  f.Close();
  EXPECT_TRUE(f.Showing());

  Form main("frmMain");
  main.IsMainForm = true;
  main.Show();
  main.Close();
  EXPECT_FALSE(main.Showing());
  EXPECT_TRUE(tk.terminated);  // closing the main form ends the program
}

TEST(Edit, TypingSelectionAndMaxLength) {
  FakeToolkit tk;
  Form f("frmX");
  auto& e = f.Make<Edit>("edtValue");
  e.SetMaxLength(4);
  FakeToolkit::Type(f, "edtValue", "123456");
  EXPECT_EQ(e.Text(), "1234");  // a full edit refuses more
  e.SetSelection(1, 2);
  FakeToolkit::Type(f, "edtValue", "x");
  EXPECT_EQ(e.Text(), "1x4");
  EXPECT_EQ(e.SelStart(), 2);
  EXPECT_EQ(e.SelLength(), 0);
  FakeToolkit::Type(f, "edtValue", "\b\b");
  EXPECT_EQ(e.Text(), "4");
  FakeToolkit::Type(f, "edtValue", "\r");  // Enter does not go into a one-line edit
  EXPECT_EQ(e.Text(), "4");
  e.SetSelection(-5, 99);  // clamped
  EXPECT_EQ(e.SelStart(), 0);
  EXPECT_EQ(e.SelLength(), 1);
  e.SetReadOnly(true);
  FakeToolkit::Type(f, "edtValue", "z");
  EXPECT_EQ(e.Text(), "4");
  int changes = 0;
  e.OnChange = [&] { ++changes; };
  e.SetText("4");
  e.SetText("5");
  EXPECT_EQ(changes, 1);
}

TEST(Memo, LinesFollowTheListOfLinesView) {
  FakeToolkit tk;
  Form f("frmX");
  auto& m = f.Make<Memo>("memLog");
  EXPECT_TRUE(m.Lines().empty());
  m.SetText("a\r\nb");
  EXPECT_EQ(m.Lines(), (std::vector<std::string>{"a", "b"}));
  m.SetText("a\r\n");
  EXPECT_EQ(m.Lines(), (std::vector<std::string>{"a"}));
  m.SetText("a\r\n\r\n");
  EXPECT_EQ(m.Lines(), (std::vector<std::string>{"a", ""}));
  m.SetLines({"x", "y"});
  EXPECT_EQ(m.Text(), "x\r\ny\r\n");
}

TEST(Memo, AddLineAppendsEndsATypedLineAndRefusesWhenFull) {
  FakeToolkit tk;
  Form f("frmX");
  auto& m = f.Make<Memo>("memLog");
  EXPECT_TRUE(m.AddLine("one"));
  FakeToolkit::Type(f, "memLog", "typed");
  EXPECT_TRUE(m.AddLine("two"));
  EXPECT_EQ(m.Text(), "one\r\ntyped\r\ntwo\r\n");
  EXPECT_EQ(m.SelStart(), static_cast<int>(m.Text().size()));
  EXPECT_EQ(tk.CountChanges("frmX", "memLog", Prop::Lines), 2u);

  m.Capacity = m.Text().size() + 5;
  EXPECT_TRUE(m.AddLine("abc"));   // exactly fills it
  EXPECT_FALSE(m.AddLine(""));     // no room even for a line break
  EXPECT_EQ(m.Text().size(), m.Capacity);
}

TEST(Memo, EnterInsertsALineBreakUnlessTheHandlerSwallowsIt) {
  FakeToolkit tk;
  Form f("frmX");
  auto& m = f.Make<Memo>("memLog");
  FakeToolkit::Type(f, "memLog", "a\rb");
  EXPECT_EQ(m.Text(), "a\r\nb");
  m.OnKeyPress = [](char& k) {
    if (k == '\r') k = 0;
  };
  FakeToolkit::Type(f, "memLog", "\r");
  EXPECT_EQ(m.Text(), "a\r\nb");
}

TEST(CheckBoxAndSpeedButton, ClicksToggleAndFireOnce) {
  FakeToolkit tk;
  Form f("frmX");
  auto& c = f.Make<CheckBox>("chkOn");
  int clicks = 0;
  c.OnClick = [&] { ++clicks; };
  FakeToolkit::Click(f, "chkOn");
  EXPECT_TRUE(c.Checked());
  FakeToolkit::Check(f, "chkOn", true);  // already checked: nothing
  EXPECT_EQ(clicks, 1);
  c.SetEnabled(false);
  FakeToolkit::Click(f, "chkOn");
  EXPECT_TRUE(c.Checked());

  auto& s = f.Make<SpeedButton>("spbLock");
  s.GroupIndex = 1;
  FakeToolkit::Click(f, "spbLock");
  EXPECT_TRUE(s.Down());
  FakeToolkit::Click(f, "spbLock");
  EXPECT_FALSE(s.Down());
  s.AllowAllUp = false;
  FakeToolkit::Click(f, "spbLock");
  FakeToolkit::Click(f, "spbLock");
  EXPECT_TRUE(s.Down());
}

TEST(SpeedButton, OneOfAGroupIsDownAndThePictureFollowsTheAction) {
  FakeToolkit tk;
  Form f("frmX");
  auto& panel = f.Make<Panel>("pnlLock");
  auto& lock = f.Make<SpeedButton>("spbLock", &panel);
  auto& unlock = f.Make<SpeedButton>("spbUnlock", &panel);
  auto& elsewhere = f.Make<SpeedButton>("spbElsewhere");
  for (SpeedButton* b : {&lock, &unlock, &elsewhere}) b->GroupIndex = 1;
  elsewhere.SetDown(true);
  unlock.SetDown(true);
  FakeToolkit::Click(f, "spbLock");
  EXPECT_TRUE(lock.Down());
  EXPECT_FALSE(unlock.Down());
  EXPECT_TRUE(elsewhere.Down());  // another parent, another group

  auto& act = f.Make<Action>("actLock");
  act.SetImageIndex(2);
  lock.SetAction(&act);
  EXPECT_EQ(lock.ImageIndex(), 2);
  act.SetImageIndex(3);
  EXPECT_EQ(lock.ImageIndex(), 3);
  EXPECT_TRUE(tk.Changed("frmX", "spbLock", Prop::ImageIndex));
  unlock.SetAction(&act, Control::alCaption);
  EXPECT_EQ(unlock.ImageIndex(), -1);
}

TEST(ItemsControls, IndexTextAndUserSelection) {
  FakeToolkit tk;
  Form f("frmX");
  auto& rg = f.Make<RadioGroup>("rdgMode");
  rg.SetItems({"A", "B", "C"});
  rg.SetItemIndex(2);
  rg.SetItems({"A", "B"});  // index no longer valid
  EXPECT_EQ(rg.ItemIndex(), -1);
  rg.SetItemIndex(5);
  EXPECT_EQ(rg.ItemIndex(), -1);
  int changes = 0;
  rg.OnClick = [&] { ++changes; };
  FakeToolkit::Select(f, "rdgMode", 1);
  EXPECT_EQ(rg.ItemIndex(), 1);
  EXPECT_EQ(changes, 1);

  auto& cb = f.Make<ComboBox>("cboPort");
  cb.SetItems({"COM1", "COM2"});
  cb.SetItemIndex(1);
  EXPECT_EQ(cb.Text(), "COM2");
  cb.SetText("COM9");
  EXPECT_EQ(cb.ItemIndex(), -1);
  FakeToolkit::EnterText(f, "cboPort", "COM1");
  EXPECT_EQ(cb.ItemIndex(), 0);
  cb.ClearItems();
  EXPECT_EQ(cb.Text(), "");
  EXPECT_EQ(cb.ItemIndex(), -1);
}

TEST(ItemsControls, ComboTextFollowsTheItemAtAKeptIndex) {
  FakeToolkit tk;
  Form f("frmX");
  auto& cb = f.Make<ComboBox>("cboPort");
  cb.SetItems({"COM1", "COM2"});
  cb.SetItemIndex(1);
  cb.SetItems({"COM3", "COM4", "COM5"});  // index 1 still valid: the control shows COM4
  EXPECT_EQ(cb.ItemIndex(), 1);
  EXPECT_EQ(cb.Text(), "COM4");
}

TEST(ListView, RowsSelectionAndChecks) {
  FakeToolkit tk;
  Form f("frmX");
  auto& lv = f.Make<ListView>("lvwBlocks");
  lv.CheckBoxes = true;
  lv.SetColumns({{"No", 30}, {"Data", 200}});
  lv.SetColumnTitle(1, "Track data");
  lv.SetColumnTitle(7, "ignored");
  EXPECT_EQ(lv.Columns()[1].title, "Track data");
  lv.AddRow({"1", {"abc"}});
  lv.AddRow({"2", {"def"}});
  EXPECT_EQ(lv.SelectedIndex(), -1);
  int selects = 0;
  std::vector<size_t> checked;
  lv.OnSelectItem = [&] { ++selects; };
  lv.OnCheck = [&](size_t i) { checked.push_back(i); };
  FakeToolkit::Select(f, "lvwBlocks", 1);
  EXPECT_EQ(lv.SelectedIndex(), 1);
  EXPECT_EQ(selects, 1);
  FakeToolkit::CheckRow(f, "lvwBlocks", 0, true);
  FakeToolkit::CheckRow(f, "lvwBlocks", 9, true);  // no such row
  EXPECT_TRUE(lv.Rows()[0].checked);
  EXPECT_EQ(checked, std::vector<size_t>{0});
  lv.DeleteRow(0);
  EXPECT_EQ(lv.Rows().size(), 1u);
  EXPECT_EQ(lv.SelectedIndex(), 0);
  lv.DeleteRow(5);
  lv.ClearRows();
  EXPECT_EQ(lv.SelectedIndex(), -1);
}

TEST(PageControl, PagesHiddenTabsAndRefusedChange) {
  FakeToolkit tk;
  Form f("frmX");
  auto& pc = f.Make<PageControl>("pgcOptions");
  auto& a = f.Make<TabSheet>("tabGeneral", &pc);
  auto& b = f.Make<TabSheet>("tabProbe", &pc);
  auto& c = f.Make<TabSheet>("tabKeys", &pc);
  EXPECT_EQ(pc.Pages(), (std::vector<TabSheet*>{&a, &b, &c}));
  pc.SetActivePage(&a);
  b.SetTabVisible(false);
  FakeToolkit::Select(f, "pgcOptions", 1);  // counts visible tabs: tabKeys
  EXPECT_EQ(pc.ActivePage(), &c);
  pc.OnChanging = [](bool& allow) { allow = false; };
  FakeToolkit::Select(f, "pgcOptions", 0);
  EXPECT_EQ(pc.ActivePage(), &c);
  EXPECT_THROW(FakeToolkit::Select(f, "pgcOptions", 2), std::invalid_argument);
}

TEST(UpDown, PositionIsClampedAndShownInItsEdit) {
  FakeToolkit tk;
  Form f("frmX");
  auto& e = f.Make<Edit>("edtCount");
  auto& ud = f.Make<UpDown>("updCount");
  ud.Associate = &e;
  ud.SetRange(1, 10);
  EXPECT_EQ(ud.Position(), 1);
  EXPECT_EQ(e.Text(), "1");
  FakeToolkit::SetPosition(f, "updCount", 42);
  EXPECT_EQ(ud.Position(), 10);
  EXPECT_EQ(e.Text(), "10");
  ud.SetRange(1, 5);
  EXPECT_EQ(ud.Position(), 5);
}

TEST(Action, BoundControlsAndMenuItemsFollowIt) {
  FakeToolkit tk;
  Form f("frmX");
  auto& act = f.Make<Action>("actStart");
  auto& btn = f.Make<Button>("btnStart");
  auto& menu = f.Make<PopupMenu>("mnuTray");
  auto& mi = f.Make<MenuItem>("mnuStart", &menu);
  auto& sep = f.Make<MenuItem>("mnuSep", &menu);
  sep.SetCaption("-");
  int runs = 0;
  act.OnExecute = [&] { ++runs; };
  act.SetCaption("Start");
  btn.SetAction(&act);
  mi.SetAction(&act);
  EXPECT_EQ(btn.Caption(), "Start");
  EXPECT_EQ(mi.Caption(), "Start");
  EXPECT_EQ(menu.Items().size(), 2u);
  FakeToolkit::Click(f, "btnStart");
  FakeToolkit::Click(f, "mnuStart");
  EXPECT_EQ(runs, 2);
  act.SetEnabled(false);
  EXPECT_FALSE(btn.Enabled());
  EXPECT_FALSE(mi.Enabled());
  FakeToolkit::Click(f, "actStart");
  EXPECT_EQ(runs, 2);
  act.SetVisible(false);
  EXPECT_FALSE(btn.Visible());
  // Rebinding leaves the old action.
  auto& other = f.Make<Action>("actStop");
  other.SetCaption("Stop");
  mi.SetAction(&other);
  act.SetCaption("Start again");
  EXPECT_EQ(mi.Caption(), "Stop");
  EXPECT_EQ(btn.Caption(), "Start again");

  f.PopupMenuAt(menu, 10, 20);
  ASSERT_FALSE(tk.events.empty());
  EXPECT_EQ(tk.events.back().type, test::PeerEvent::Type::Popup);
  EXPECT_EQ(tk.events.back().component, "mnuTray");
}

TEST(Action, LinksCanBeLimitedToSomeProperties) {
  FakeToolkit tk;
  Form f("frmX");
  auto& act = f.Make<Action>("actHide");
  auto& spb = f.Make<SpeedButton>("spbHide");
  act.SetCaption("Hide");
  spb.SetAction(&act, Control::alCaption | Control::alEnabled);
  spb.SetVisible(false);  // a visibility of its own
  act.SetEnabled(false);
  act.SetCaption("Hide window");
  EXPECT_EQ(spb.Caption(), "Hide window");
  EXPECT_FALSE(spb.Enabled());
  EXPECT_FALSE(spb.Visible());
  act.SetVisible(true);
  EXPECT_FALSE(spb.Visible());
}

TEST(ToolBar, ButtonsFollowTheirActionsAndOneOfAGroupIsDown) {
  FakeToolkit tk;
  Form f("frmX");
  auto& images = f.Make<ImageList>("imlPages", 2, 2);
  EXPECT_EQ(images.Add(Image{2, 2, {1, 2, 3, 4}}), 0);
  EXPECT_EQ(images.Add(Image{3, 2, {1, 2, 3, 4, 5, 6}}), -1);  // not the list's size
  EXPECT_EQ(images.Add(Image{2, 2, {1, 2}}), -1);              // too few pixels
  auto& bar = f.Make<ToolBar>("ToolBar1");
  bar.Images = &images;
  std::vector<int> ran;
  std::vector<ToolButton*> buttons;
  for (int i = 0; i < 3; ++i) {
    auto& a = f.Make<Action>("act" + std::to_string(i));
    a.SetCaption("Page " + std::to_string(i));
    a.SetImageIndex(i);
    a.OnExecute = [&ran, i] { ran.push_back(i); };
    auto& b = f.Make<ToolButton>("tbn" + std::to_string(i), &bar);
    b.Grouped = true;
    b.SetAction(&a);
    buttons.push_back(&b);
  }
  ASSERT_EQ(bar.Buttons().size(), 3u);
  EXPECT_EQ(buttons[2]->Caption(), "Page 2");
  EXPECT_EQ(buttons[2]->ImageIndex(), 2);
  f.Find<Action>("act1")->SetImageIndex(0);
  EXPECT_EQ(buttons[1]->ImageIndex(), 0);

  FakeToolkit::Click(f, "tbn1");
  FakeToolkit::Click(f, "tbn2");
  EXPECT_EQ(ran, (std::vector<int>{1, 2}));
  EXPECT_FALSE(buttons[1]->Down());
  EXPECT_TRUE(buttons[2]->Down());
  f.Find<Action>("act0")->SetVisible(false);
  EXPECT_FALSE(buttons[0]->Visible());
  f.Find<Action>("act0")->SetEnabled(false);
  FakeToolkit::Click(f, "tbn0");
  EXPECT_EQ(ran.size(), 2u);
  EXPECT_TRUE(buttons[2]->Down());
}

TEST(Control, CursorIsRecorded) {
  FakeToolkit tk;
  Form f("frmX");
  auto& l = f.Make<Label>("lblURL");
  l.SetCursor(Cursor::HandPoint);
  l.SetCursor(Cursor::HandPoint);
  EXPECT_EQ(tk.CountChanges("frmX", "lblURL", Prop::Cursor), 1u);
}

TEST(Control, FontIsInheritedUntilSetAndAnchorsDefaultToTopLeft) {
  FakeToolkit tk;
  Form f("frmX");
  auto& g = f.Make<GroupBox>("grpBox");
  auto& l = f.Make<Label>("lblIn", &g);
  Font big;
  big.name = "MS UI Gothic";
  big.charSet = 128;
  f.SetFont(big);
  EXPECT_EQ(l.EffectiveFont().name, "MS UI Gothic");
  Font own;
  own.bold = true;
  g.SetFont(own);
  EXPECT_TRUE(l.EffectiveFont().bold);
  EXPECT_EQ(l.Parent(), &g);
  EXPECT_EQ(g.Children(), std::vector<Control*>{&l});
  EXPECT_EQ(l.Anchors, akLeft | akTop);
}

TEST(TLine, EndPointsFollowTheDiagonalOfItsStartCorner) {
  FakeToolkit tk;
  Form f("frmX");
  auto& line = f.Make<TLine>("Line1");
  line.SetBounds(10, 20, 30, 40);
  struct Case {
    LineStart start;
    int x1, y1, x2, y2;
  };
  for (const Case& c : {Case{lsLeftTop, 10, 20, 40, 60}, Case{lsLeftBottom, 10, 60, 40, 20},
                        Case{lsRightBottom, 40, 60, 10, 20}, Case{lsRightTop, 40, 20, 10, 60}}) {
    SCOPED_TRACE(c.start);
    line.SetStartPos(c.start);
    EXPECT_EQ((std::vector<int>{line.X1(), line.Y1(), line.X2(), line.Y2()}), (std::vector<int>{c.x1, c.y1, c.x2, c.y2}));
    // Setting the same points again keeps the line as it is.
    line.SetPoints(c.x1, c.y1, c.x2, c.y2);
    EXPECT_EQ(line.StartPos(), c.start);
    EXPECT_EQ(line.Bounds(), (Rect{10, 20, 30, 40}));
  }
  // One end point moved past the other: the bounds and the start corner follow.
  line.SetStartPos(lsLeftTop);
  line.SetX2(0);
  EXPECT_EQ(line.Bounds(), (Rect{0, 20, 10, 40}));
  EXPECT_EQ(line.StartPos(), lsRightTop);
  line.SetY1(90);
  EXPECT_EQ(line.StartPos(), lsRightBottom);
  EXPECT_EQ(line.Bounds(), (Rect{0, 60, 10, 30}));
  // A flat line.
  line.SetPoints(5, 7, 50, 7);
  EXPECT_EQ(line.Bounds(), (Rect{5, 7, 45, 0}));
  tk.ClearRecord();
  line.SetPen(Pen{0x00FF0000, 2});
  EXPECT_TRUE(tk.Changed("frmX", "Line1", Prop::Pen));
}

TEST(TabControl, OnChangingMayKeepTheTab) {
  FakeToolkit tk;
  Form f("frmX");
  auto& tabs = f.Make<TabControl>("tabTracks");
  tabs.SetItems({"Track 1", "Track 2"});
  tabs.SetItemIndex(0);
  bool allow = false;
  int changes = 0;
  tabs.OnChanging = [&](bool& a) { a = allow; };
  tabs.OnChange = [&] { ++changes; };
  FakeToolkit::Select(f, "tabTracks", 1);
  EXPECT_EQ(tabs.ItemIndex(), 0);
  EXPECT_EQ(changes, 0);
  allow = true;
  FakeToolkit::Select(f, "tabTracks", 1);
  EXPECT_EQ(tabs.ItemIndex(), 1);
  EXPECT_EQ(changes, 1);
}

TEST(Control, SetParentMovesTheControlBetweenParents) {
  FakeToolkit tk;
  Form f("frmX");
  auto& a = f.Make<GroupBox>("grpA");
  auto& b = f.Make<GroupBox>("grpB");
  auto& p = f.Make<Panel>("pnlMoving", &a);
  auto& inner = f.Make<Button>("btnInner", &p);
  tk.ClearRecord();
  p.SetParent(&b);
  EXPECT_EQ(p.Parent(), &b);
  EXPECT_TRUE(a.Children().empty());
  EXPECT_EQ(b.Children(), (std::vector<Control*>{&p}));
  EXPECT_EQ(inner.Parent(), &p);
  EXPECT_EQ(tk.CountChanges("frmX", "pnlMoving", Prop::Parent), 1u);
  p.SetParent(&inner);  // never beneath itself
  EXPECT_EQ(p.Parent(), &b);
  p.SetParent(nullptr);  // onto the form
  EXPECT_EQ(p.Parent(), &f);
}

}  // namespace
}  // namespace km27::ui
