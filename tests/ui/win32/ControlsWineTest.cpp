// The Win32 renderer under Wine: every kind of control mirrors the model, and
// user input on the real controls reaches the model's handlers.
#include <windows.h>
#undef MessageBox
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "ui/win32/Win32Application.h"
#include "ui/win32/Win32FormPeer.h"

namespace km27::ui {
namespace {

std::string Text(HWND h) {
  int n = GetWindowTextLengthA(h);
  std::string s(static_cast<size_t>(n) + 1, '\0');
  s.resize(static_cast<size_t>(GetWindowTextA(h, s.data(), n + 1)));
  return s;
}

// A window with one control of each kind.
class Gallery : public Form {
 public:
  Gallery() : Form("frmGallery") {
    SetCaption("Gallery");
    WindowClassName = "TfrmGallery";
    ClientWidth = 520;
    ClientHeight = 340;
    lblTitle = &Make<Label>("lblTitle");
    lblTitle->SetBounds(8, 8, 200, 16);
    lblTitle->SetCaption("Controls");
    edtName = &Make<Edit>("edtName");
    edtName->SetBounds(8, 28, 120, 21);
    updCount = &Make<UpDown>("updCount");
    updCount->SetBounds(130, 28, 17, 21);
    updCount->Associate = edtName;
    updCount->SetRange(0, 9);
    cboPort = &Make<ComboBox>("cboPort");
    cboPort->SetBounds(160, 28, 100, 21);
    cboPort->SetItems({"COM1", "COM2", "COM3"});
    cboPort->SetItemIndex(1);
    rdgMode = &Make<RadioGroup>("rdgMode");
    rdgMode->SetBounds(8, 60, 150, 80);
    rdgMode->SetCaption("Mode");
    rdgMode->SetItems({"RDLS-2", "RDLS-3"});
    rdgMode->SetItemIndex(0);
    grpBox = &Make<GroupBox>("grpBox");
    grpBox->SetBounds(170, 60, 150, 80);
    grpBox->SetCaption("Options");
    chkBeep = &Make<CheckBox>("chkBeep", grpBox);
    chkBeep->SetBounds(10, 20, 120, 17);
    chkBeep->SetCaption("Beep");
    spbLock = &Make<SpeedButton>("spbLock", grpBox);
    spbLock->SetBounds(10, 45, 60, 23);
    spbLock->SetCaption("Lock");
    spbLock->GroupIndex = 1;
    lvwRows = &Make<ListView>("lvwRows");
    lvwRows->SetBounds(8, 150, 312, 110);
    lvwRows->CheckBoxes = true;
    lvwRows->SetColumns({{"No", 40}, {"Data", 200}});
    lvwRows->AddRow({"1", {"first"}});
    lvwRows->AddRow({"2", {"second"}, true});
    pgcPages = &Make<PageControl>("pgcPages");
    pgcPages->SetBounds(330, 8, 180, 252);
    pgcPages->Anchors = akLeft | akTop | akRight | akBottom;
    tabA = &Make<TabSheet>("tabA", pgcPages);
    tabA->SetCaption("First");
    tabB = &Make<TabSheet>("tabB", pgcPages);
    tabB->SetCaption("Hidden");
    tabB->SetTabVisible(false);
    tabC = &Make<TabSheet>("tabC", pgcPages);
    tabC->SetCaption("Third");
    btnOnA = &Make<Button>("btnOnA", tabA);
    btnOnA->SetBounds(10, 10, 80, 25);
    btnOnA->SetCaption("On first");
    btnOnC = &Make<Button>("btnOnC", tabC);
    btnOnC->SetBounds(10, 10, 80, 25);
    btnOnC->SetCaption("On third");
    pgcPages->SetActivePage(tabA);
    memNotes = &Make<Memo>("memNotes");
    memNotes->SetBounds(8, 270, 502, 60);
    memNotes->Anchors = akLeft | akTop | akRight | akBottom;
    btnOK = &Make<Button>("btnOK");
    btnOK->SetBounds(270, 28, 50, 23);
    btnOK->SetCaption("OK");
    btnOK->Default = true;
  }
  Label* lblTitle;
  Edit* edtName;
  UpDown* updCount;
  ComboBox* cboPort;
  RadioGroup* rdgMode;
  GroupBox* grpBox;
  CheckBox* chkBeep;
  SpeedButton* spbLock;
  ListView* lvwRows;
  PageControl* pgcPages;
  TabSheet *tabA, *tabB, *tabC;
  Button *btnOnA, *btnOnC, *btnOK;
  Memo* memNotes;
};

class Controls : public ::testing::Test {
 protected:
  Controls() {
    SetApp(&app);
    form = std::make_unique<Gallery>();
    form->Show();
    Pump(50);
  }
  ~Controls() override {
    form.reset();
    SetApp(nullptr);
  }
  void Pump(uint32_t ms) {
    uint32_t start = GetTickCount();
    do {
      app.ProcessMessages();
      Sleep(5);
    } while (GetTickCount() - start < ms);
  }
  HWND W(const Component& c) { return static_cast<Win32FormPeer*>(form->Peer())->ControlWindow(c); }
  HWND Form() { return static_cast<Win32FormPeer*>(form->Peer())->Hwnd(); }
  // What the control would tell its parent.
  void Notify(HWND ctl, UINT code) {
    SendMessageA(Form(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(ctl), code), reinterpret_cast<LPARAM>(ctl));
  }
  Win32Application app;
  std::unique_ptr<Gallery> form;
};

TEST_F(Controls, ModelStateIsMirrored) {
  Gallery& g = *form;
  EXPECT_EQ(Text(Form()), "Gallery");
  EXPECT_EQ(Text(W(*g.lblTitle)), "Controls");
  EXPECT_EQ(Text(W(*g.edtName)), "0");  // the up-down's position
  EXPECT_EQ(SendMessageA(W(*g.cboPort), CB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageA(W(*g.cboPort), CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(SendMessageA(W(*g.lvwRows), LVM_GETITEMCOUNT, 0, 0), 2);
  char buf[64] = {};
  LVITEMA item{};
  item.iSubItem = 1;
  item.pszText = buf;
  item.cchTextMax = sizeof buf;
  SendMessageA(W(*g.lvwRows), LVM_GETITEMTEXTA, 1, reinterpret_cast<LPARAM>(&item));
  EXPECT_STREQ(buf, "second");
  UINT state = static_cast<UINT>(SendMessageA(W(*g.lvwRows), LVM_GETITEMSTATE, 1, LVIS_STATEIMAGEMASK));
  EXPECT_EQ(state >> 12, 2u);  // checked
  // Only the visible tabs are tabs; only the active page's controls show.
  EXPECT_EQ(SendMessageA(W(*g.pgcPages), TCM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_TRUE(IsWindowVisible(W(*g.btnOnA)));
  EXPECT_FALSE(IsWindowVisible(W(*g.btnOnC)));
  g.pgcPages->SetActivePage(g.tabC);
  EXPECT_FALSE(IsWindowVisible(W(*g.btnOnA)));
  EXPECT_TRUE(IsWindowVisible(W(*g.btnOnC)));
  EXPECT_EQ(SendMessageA(W(*g.pgcPages), TCM_GETCURSEL, 0, 0), 1);
  // Controls in a group box sit inside it, in the form's coordinates.
  RECT box, chk;
  GetWindowRect(W(*g.grpBox), &box);
  GetWindowRect(W(*g.chkBeep), &chk);
  EXPECT_EQ(chk.left - box.left, 10);
  EXPECT_EQ(chk.top - box.top, 20);
  EXPECT_EQ(GetParent(W(*g.chkBeep)), Form());

  g.chkBeep->SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(W(*g.chkBeep)));
  g.lblTitle->SetVisible(false);
  EXPECT_FALSE(IsWindowVisible(W(*g.lblTitle)));
  g.cboPort->SetItems({"COM7"});
  EXPECT_EQ(SendMessageA(W(*g.cboPort), CB_GETCOUNT, 0, 0), 1);
  EXPECT_EQ(SendMessageA(W(*g.cboPort), CB_GETCURSEL, 0, 0), -1);
  g.lvwRows->SetSelectedIndex(0);
  EXPECT_EQ(SendMessageA(W(*g.lvwRows), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 0);

  if (const char* hold = std::getenv("KM27_SCREENSHOT_HOLD_MS")) Pump(static_cast<uint32_t>(std::atoi(hold)));
}

TEST_F(Controls, UserInputReachesTheModel) {
  Gallery& g = *form;
  // Typing into an edit.
  SetFocus(W(*g.edtName));
  SendMessageA(W(*g.edtName), EM_SETSEL, 0, -1);
  for (char ch : std::string("42")) SendMessageA(W(*g.edtName), WM_CHAR, static_cast<unsigned char>(ch), 1);
  EXPECT_EQ(g.edtName->Text(), "42");
  // A key press handler may change or swallow a character.
  g.edtName->OnKeyPress = [](char& k) {
    if (k == 'x') k = 0;
    if (k == 'a') k = 'A';
  };
  for (char ch : std::string("xa")) SendMessageA(W(*g.edtName), WM_CHAR, static_cast<unsigned char>(ch), 1);
  EXPECT_EQ(g.edtName->Text(), "42A");

  // Buttons, check boxes, radio buttons, speed buttons.
  int clicks = 0;
  g.btnOK->OnClick = [&] { ++clicks; };
  SendMessageA(W(*g.btnOK), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);
  SendMessageA(W(*g.chkBeep), BM_CLICK, 0, 0);
  EXPECT_TRUE(g.chkBeep->Checked());
  EXPECT_EQ(SendMessageA(W(*g.chkBeep), BM_GETCHECK, 0, 0), BST_CHECKED);
  SendMessageA(W(*g.spbLock), BM_CLICK, 0, 0);
  EXPECT_TRUE(g.spbLock->Down());
  HWND second = GetWindow(W(*g.rdgMode), GW_HWNDFIRST);
  for (HWND h = GetWindow(Form(), GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
    if (Text(h) == "RDLS-3") second = h;
  SendMessageA(second, BM_CLICK, 0, 0);
  EXPECT_EQ(g.rdgMode->ItemIndex(), 1);

  // A combo box selection.
  SendMessageA(W(*g.cboPort), CB_SETCURSEL, 2, 0);
  Notify(W(*g.cboPort), CBN_SELCHANGE);
  EXPECT_EQ(g.cboPort->ItemIndex(), 2);
  EXPECT_EQ(g.cboPort->Text(), "COM3");

  // A list view row selected and checked by the user.
  int selects = 0;
  g.lvwRows->OnSelectItem = [&] { ++selects; };
  LVITEMA st{};
  st.stateMask = LVIS_SELECTED;
  st.state = LVIS_SELECTED;
  SendMessageA(W(*g.lvwRows), LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&st));
  EXPECT_EQ(g.lvwRows->SelectedIndex(), 1);
  EXPECT_EQ(selects, 1);
  st.stateMask = LVIS_STATEIMAGEMASK;
  st.state = INDEXTOSTATEIMAGEMASK(2);
  SendMessageA(W(*g.lvwRows), LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&st));
  EXPECT_TRUE(g.lvwRows->Rows()[0].checked);

  // A tab chosen by the user; a refused change keeps the page.
  NMHDR nm{W(*g.pgcPages), static_cast<UINT_PTR>(GetDlgCtrlID(W(*g.pgcPages))), static_cast<UINT>(TCN_SELCHANGE)};
  SendMessageA(W(*g.pgcPages), TCM_SETCURSEL, 1, 0);
  SendMessageA(Form(), WM_NOTIFY, nm.idFrom, reinterpret_cast<LPARAM>(&nm));
  EXPECT_EQ(g.pgcPages->ActivePage(), g.tabC);
  EXPECT_TRUE(IsWindowVisible(W(*g.btnOnC)));
  g.pgcPages->OnChanging = [](bool& allow) { allow = false; };
  nm.code = static_cast<UINT>(TCN_SELCHANGING);
  EXPECT_EQ(SendMessageA(Form(), WM_NOTIFY, nm.idFrom, reinterpret_cast<LPARAM>(&nm)), TRUE);

  // Enter presses the default button.
  SendMessageA(Form(), WM_COMMAND, IDOK, 0);
  EXPECT_EQ(clicks, 2);
}

TEST_F(Controls, EnterReachesAnEditWhenNoDefaultButtonTakesIt) {
  ui::Form f("frmKeys");
  auto& e = f.Make<Edit>("edtKey");
  e.SetBounds(8, 8, 100, 21);
  std::string keys;
  e.OnKeyPress = [&](char& k) {
    keys += k;
    if (k == '\r') k = 0;
  };
  f.Show();
  Pump(50);
  HWND h = static_cast<Win32FormPeer*>(f.Peer())->ControlWindow(e);
  SetFocus(h);
  PostMessageA(h, WM_KEYDOWN, VK_RETURN, 0x001C0001);
  PostMessageA(h, WM_KEYUP, VK_RETURN, static_cast<LPARAM>(0xC01C0001u));
  Pump(50);
  EXPECT_EQ(keys, "\r");
  f.Hide();
}

TEST_F(Controls, WindowShownOrHiddenFromOutsideUpdatesTheModel) {
  ui::Form f("frmOutside");
  int shows = 0;
  f.OnShow = [&] { ++shows; };
  Pump(20);  // hidden forms get their window at the next pump
  HWND h = static_cast<Win32FormPeer*>(f.Peer())->Hwnd();
  ASSERT_NE(h, nullptr);
  EXPECT_FALSE(IsWindowVisible(h));
  ShowWindow(h, SW_SHOW);
  Pump(50);
  EXPECT_TRUE(f.Showing());
  EXPECT_EQ(shows, 1);
  ShowWindow(h, SW_HIDE);
  Pump(50);
  EXPECT_FALSE(f.Showing());
}

TEST_F(Controls, AnchoredControlsFollowTheWindowSize) {
  Gallery& g = *form;
  RECT before, after;
  GetWindowRect(W(*g.memNotes), &before);
  RECT wr;
  GetWindowRect(Form(), &wr);
  SetWindowPos(Form(), nullptr, 0, 0, wr.right - wr.left + 100, wr.bottom - wr.top + 50, SWP_NOMOVE | SWP_NOZORDER);
  Pump(20);
  GetWindowRect(W(*g.memNotes), &after);
  EXPECT_EQ((after.right - after.left) - (before.right - before.left), 100);
  EXPECT_EQ((after.bottom - after.top) - (before.bottom - before.top), 50);
  RECT btnBefore = {}, btnAfter = {};
  (void)btnBefore;
  GetWindowRect(W(*g.btnOK), &btnAfter);  // anchored left and top: stays
  RECT client;
  GetClientRect(Form(), &client);
  POINT p{btnAfter.left, btnAfter.top};
  ScreenToClient(Form(), &p);
  EXPECT_EQ(p.x, 270);
  EXPECT_EQ(p.y, 28);
}

// A dialog frame: a tool bar bound to actions chooses the pages of a page
// control whose tabs are hidden; a label asks for the hand pointer.
TEST(ToolBarFrame, ButtonsRunTheirActionsAndPagesShowWithoutTabs) {
  Win32Application app;
  SetApp(&app);
  {
    Form f("frmFrame");
    f.SetCaption("Frame");
    f.ClientWidth = 300;
    f.ClientHeight = 200;
    auto& images = f.Make<ImageList>("imlPages", 16, 16);
    images.Add(Image{16, 16, std::vector<uint32_t>(256, 0xFF2060C0)});
    auto& bar = f.Make<ToolBar>("ToolBar1");
    bar.SetBounds(0, 0, 300, 44);
    bar.Images = &images;
    bar.ButtonWidth = 70;
    bar.ButtonHeight = 40;
    auto& pages = f.Make<PageControl>("PageControl1");
    pages.SetBounds(0, 44, 300, 156);
    auto& tab1 = f.Make<TabSheet>("tab1", &pages);
    auto& tab2 = f.Make<TabSheet>("tab2", &pages);
    tab1.SetTabVisible(false);
    tab2.SetTabVisible(false);
    auto& onTab2 = f.Make<Label>("lblOnTab2", &tab2);
    onTab2.SetBounds(10, 10, 100, 16);
    onTab2.SetCaption("second page");
    onTab2.SetCursor(Cursor::HandPoint);
    pages.SetActivePage(&tab1);
    std::vector<Action*> actions;
    for (int i = 0; i < 2; ++i) {
      auto& a = f.Make<Action>("act" + std::to_string(i));
      a.SetCaption(i == 0 ? "First" : "Second");
      a.SetImageIndex(0);
      TabSheet* page = i == 0 ? &tab1 : &tab2;
      a.OnExecute = [&pages, page] { pages.SetActivePage(page); };
      auto& b = f.Make<ToolButton>("tbn" + std::to_string(i), &bar);
      b.Grouped = true;
      b.SetAction(&a);
      actions.push_back(&a);
    }
    f.Show();
    app.ProcessMessages();
    auto* peer = static_cast<Win32FormPeer*>(f.Peer());
    HWND tb = peer->ControlWindow(bar);
    ASSERT_NE(tb, nullptr);
    EXPECT_EQ(SendMessageA(tb, TB_BUTTONCOUNT, 0, 0), 2);
    EXPECT_FALSE(IsWindowVisible(peer->ControlWindow(pages)));  // no tab to show
    EXPECT_FALSE(IsWindowVisible(peer->ControlWindow(onTab2)));

    // The bar reports a click on its second button to the form.
    SendMessageA(peer->Hwnd(), WM_COMMAND, MAKEWPARAM(2, BN_CLICKED), reinterpret_cast<LPARAM>(tb));
    EXPECT_EQ(pages.ActivePage(), &tab2);
    EXPECT_TRUE(IsWindowVisible(peer->ControlWindow(onTab2)));
    EXPECT_TRUE(SendMessageA(tb, TB_ISBUTTONCHECKED, 2, 0));
    EXPECT_FALSE(SendMessageA(tb, TB_ISBUTTONCHECKED, 1, 0));
    // The sheet fills the page control's place.
    RECT lbl;
    GetWindowRect(peer->ControlWindow(onTab2), &lbl);
    POINT p{lbl.left, lbl.top};
    ScreenToClient(peer->Hwnd(), &p);
    EXPECT_EQ(p.x, 10);
    EXPECT_EQ(p.y, 54);

    actions[0]->SetVisible(false);
    EXPECT_TRUE(SendMessageA(tb, TB_ISBUTTONHIDDEN, 1, 0));
    actions[1]->SetCaption("Other");
    EXPECT_EQ(SendMessageA(tb, TB_BUTTONCOUNT, 0, 0), 2);

    // Over the label the form sets the hand pointer itself.
    EXPECT_EQ(SendMessageA(peer->Hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(peer->ControlWindow(onTab2)),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_HAND));
  }
  SetApp(nullptr);
}

// Log-off and shutdown reach the main form's close query; the session's end
// then closes it without asking again.
TEST(EndOfSession, MainFormDecidesAndEndsThroughItsClosePath) {
  Win32Application app;
  SetApp(&app);
  {
    Form f("frmMainLike");
    f.IsMainForm = true;
    int queries = 0, closes = 0;
    bool allow = false;
    f.OnCloseQuery = [&](bool& canClose) {
      ++queries;
      canClose = allow;
    };
    f.OnClose = [&](CloseAction&) { ++closes; };
    f.Show();
    app.ProcessMessages();
    HWND h = static_cast<Win32FormPeer*>(f.Peer())->Hwnd();
    EXPECT_EQ(SendMessageA(h, WM_QUERYENDSESSION, 0, 0), FALSE);
    allow = true;
    EXPECT_EQ(SendMessageA(h, WM_QUERYENDSESSION, 0, 0), TRUE);
    SendMessageA(h, WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(queries, 2);
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(f.Showing());
    EXPECT_TRUE(app.Terminated());
  }
  SetApp(nullptr);
}

}  // namespace
}  // namespace km27::ui
