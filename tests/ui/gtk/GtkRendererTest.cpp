// The GTK renderer under Xvfb: the program's real windows (ProgramWindows)
// laid out at 96 and 144 dpi, clicks and keys sent through the X server
// (XTEST) into the model, message boxes answered from a timer, timers of the
// main loop, and a Japanese language file on screen.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>

#include "app/ProgramWindows.h"
#include "common/posix/PosixServices.h"
#include "device/Comm.h"
#include "keyboard/KeyCode.h"
#include "keyboard/ReadData.h"
#include "settings/FileLocations.h"
#include "settings/Language.h"
#include "settings/posix/PosixFileSystem.h"
#include "shell/Main.h"
#include "shell/option/Option.h"
#include "shell/wizard/Wizard.h"
#include "tests/support/FakeCommPort.h"
#include "ui/FormLayout.h"
#include "ui/gtk/GtkApplication.h"
#include "ui/gtk/GtkFormPeer.h"

// X11 last: its macros (None, Bool) would clash with the names above.
#include <X11/extensions/XTest.h>
#include <gdk/gdkx.h>
#undef None

namespace km27 {
namespace {

using ui::GtkApplication;

// The toolkit at a chosen resolution; its message box is reachable directly.
class TestApp : public GtkApplication {
 public:
  explicit TestApp(int dpi) : GtkApplication(nullptr, nullptr), dpi_(dpi) {}
  int ScreenDpi() override { return dpi_; }
  using GtkApplication::ShowMessageBox;

 private:
  int dpi_;
};

bool PumpUntil(const std::function<bool()>& done, int ms = 3000) {
  const gint64 end = g_get_monotonic_time() + ms * 1000;
  while (!done()) {
    if (g_get_monotonic_time() > end) return false;
    ui::App().ProcessMessages();
  }
  return true;
}
void Pump(int ms) { PumpUntil([] { return false; }, ms); }

GtkWidget* WidgetOf(ui::Form& form, const ui::Component& c) {
  auto* peer = dynamic_cast<ui::GtkFormPeer*>(form.Peer());
  return peer ? peer->InputWidget(c) : nullptr;
}

// The centre of a widget on the screen.
void ScreenCentre(GtkWidget* w, int& x, int& y) {
  GtkAllocation a;
  gtk_widget_get_allocation(w, &a);
  gdk_window_get_origin(gtk_widget_get_window(gtk_widget_get_toplevel(w)), &x, &y);
  int wx = 0, wy = 0;
  gtk_widget_translate_coordinates(w, gtk_widget_get_toplevel(w), a.width / 2, a.height / 2, &wx, &wy);
  x += wx;
  y += wy;
}

Display* Xdisplay() { return gdk_x11_display_get_xdisplay(gdk_display_get_default()); }

void ClickAt(GtkWidget* w) {
  int x, y;
  ScreenCentre(w, x, y);
  XTestFakeMotionEvent(Xdisplay(), -1, x, y, 0);
  XTestFakeButtonEvent(Xdisplay(), 1, True, 0);
  XTestFakeButtonEvent(Xdisplay(), 1, False, 0);
  XFlush(Xdisplay());
}

void TypeKeys(const char* keysyms[], size_t n) {
  for (size_t i = 0; i < n; ++i) {
    const KeyCode code = XKeysymToKeycode(Xdisplay(), XStringToKeysym(keysyms[i]));
    XTestFakeKeyEvent(Xdisplay(), code, True, 0);
    XTestFakeKeyEvent(Xdisplay(), code, False, 0);
  }
  XFlush(Xdisplay());
}

class ProgramWindowsTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    InstallPosixServices();
    InstallPosixSettingsServices();
    const std::string data = std::string(std::getenv("KM27_SOURCE_DIR") ? std::getenv("KM27_SOURCE_DIR") : ".") + "/data/";
    SetFileLocations(FileLocations{testing::TempDir() + "km27-gtk-test.ini", data + "KM27.ni", data});
    app_ = std::make_unique<TestApp>(GetParam());
    ui::SetApp(app_.get());
    windows_ = std::make_unique<ProgramWindows>(std::make_unique<test::FakeCommPort>());
    // The start-up sequence and the reader checks stay off: the test opens
    // the windows itself.
    for (ui::Form* f : Forms())
      for (const auto& c : f->Components())
        if (auto* t = dynamic_cast<ui::Timer*>(c.get())) t->SetEnabled(false);
  }
  void TearDown() override {
    windows_.reset();
    app_.reset();
    SetFileLocations(std::nullopt);
  }
  std::vector<ui::Form*> Forms() { return {frmMain, frmComm, frmOption, frmKeyCode, frmReadData, frmWizard}; }

  // Every shown control lies inside the allocation of the container it was
  // placed in, at its designed bounds scaled to the screen.
  void ExpectLaidOutAsDesigned(ui::Form& form) {
    const int dpi = GetParam();
    int checked = 0;
    for (const auto& comp : form.Components()) {
      auto* c = dynamic_cast<ui::Control*>(comp.get());
      auto* peer = dynamic_cast<ui::GtkFormPeer*>(form.Peer());
      GtkWidget* w = c ? peer->ControlWidget(*c) : nullptr;
      if (!w || !gtk_widget_is_visible(w) || c->GetKind() == ui::Kind::TabSheet || c->GetKind() == ui::Kind::Line) continue;
      GtkAllocation a, p;
      gtk_widget_get_allocation(w, &a);
      gtk_widget_get_allocation(gtk_widget_get_parent(w), &p);
      const ui::Rect want = ui::ScaleRect(c->Bounds(), dpi);
      const std::string where = form.Name() + "." + c->Name() + " at " + std::to_string(dpi) + " dpi";
      const ui::Rect got{a.x - p.x, a.y - p.y, a.width, a.height};
      EXPECT_EQ(got, want) << where;
      EXPECT_TRUE(a.x >= p.x && a.y >= p.y && a.x + a.width <= p.x + p.width && a.y + a.height <= p.y + p.height)
          << where << " lies outside its container";
      ++checked;
    }
    EXPECT_GT(checked, 0) << form.Name() << " shows no control";
  }

  std::unique_ptr<TestApp> app_;
  std::unique_ptr<ProgramWindows> windows_;
};

TEST_P(ProgramWindowsTest, EveryWindowAndPageOpensWithItsControlsInside) {
  for (ui::Form* form : Forms()) {
    form->Show();
    GtkWidget* window = dynamic_cast<ui::GtkFormPeer*>(form->Peer())->Window();
    ASSERT_TRUE(PumpUntil([window] { return gtk_widget_get_mapped(window); })) << form->Name();
    Pump(100);
    GtkAllocation root;
    gtk_widget_get_allocation(gtk_bin_get_child(GTK_BIN(window)), &root);
    const ui::Rect client = ui::ScaledClientArea(*form, GetParam());
    EXPECT_EQ(root.width, client.width) << form->Name();
    EXPECT_EQ(root.height, client.height) << form->Name();
    std::vector<ui::PageControl*> pagers;
    for (const auto& c : form->Components())
      if (auto* pc = dynamic_cast<ui::PageControl*>(c.get())) pagers.push_back(pc);
    if (pagers.empty()) ExpectLaidOutAsDesigned(*form);
    for (ui::PageControl* pc : pagers)
      for (ui::TabSheet* page : pc->Pages()) {
        pc->SetActivePage(page);
        Pump(100);
        ExpectLaidOutAsDesigned(*form);
      }
    form->Hide();
  }
}

TEST_P(ProgramWindowsTest, JapaneseLanguageFileShowsAsUnicode) {
  LanguageFiles = {"Japanese.rlf"};
  LoadLanguage(0);
  EXPECT_EQ(app_->CodePage(), 932);
  frmWizard->Show();
  GtkWidget* window = dynamic_cast<ui::GtkFormPeer*>(frmWizard->Peer())->Window();
  ASSERT_TRUE(PumpUntil([window] { return gtk_widget_get_mapped(window); }));
  Pump(100);
  EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(window)), "初期設定ウィザード");
  GtkWidget* button = WidgetOf(*frmWizard, *frmWizard->Find<ui::Button>("btnConnetTest"));
  ASSERT_TRUE(button);
  EXPECT_STREQ(gtk_label_get_text(GTK_LABEL(gtk_bin_get_child(GTK_BIN(button)))), "接続テスト");
  ExpectLaidOutAsDesigned(*frmWizard);
}

INSTANTIATE_TEST_SUITE_P(Dpi, ProgramWindowsTest, ::testing::Values(96, 144));

// ---- input, boxes, timers, texts on one small form ----

class GtkInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallPosixServices();
    app_ = std::make_unique<TestApp>(96);
    ui::SetApp(app_.get());
    form_ = std::make_unique<ui::Form>("frmTest");
    form_->SetBounds(0, 0, 300, 200);
    form_->ClientWidth = 300;
    form_->ClientHeight = 200;
    edit_ = &form_->Make<ui::Edit>("edtTest");
    edit_->SetBounds(10, 10, 200, 21);
    button_ = &form_->Make<ui::Button>("btnTest");
    button_->SetBounds(10, 50, 75, 25);
    button_->SetCaption("Press");
    form_->Show();
    window_ = dynamic_cast<ui::GtkFormPeer*>(form_->Peer())->Window();
    ASSERT_TRUE(PumpUntil([this] { return gtk_widget_get_mapped(window_); }));
    Pump(200);
  }
  void TearDown() override {
    form_.reset();
    app_.reset();
  }
  std::unique_ptr<TestApp> app_;
  std::unique_ptr<ui::Form> form_;
  ui::Edit* edit_ = nullptr;
  ui::Button* button_ = nullptr;
  GtkWidget* window_ = nullptr;
};

TEST_F(GtkInputTest, ClicksAndTypingReachTheModelThroughX) {
  int clicks = 0;
  button_->OnClick = [&clicks] { ++clicks; };
  ClickAt(WidgetOf(*form_, *button_));
  EXPECT_TRUE(PumpUntil([&clicks] { return clicks == 1; }));

  ClickAt(WidgetOf(*form_, *edit_));
  ASSERT_TRUE(PumpUntil([this] { return gtk_widget_has_focus(WidgetOf(*form_, *edit_)); }));
  const char* keys[] = {"a", "b", "c"};
  TypeKeys(keys, 3);
  EXPECT_TRUE(PumpUntil([this] { return edit_->Text() == "abc"; })) << edit_->Text();
  EXPECT_EQ(edit_->SelStart(), 3);

  // Typing through the model: the key press handler sees each character and
  // may change it; the key notation filter drops what is not ASCII.
  std::string seen;
  edit_->OnKeyPress = [&seen](char& k) {
    seen += k;
    if (k == 'x') k = 'y';
  };
  edit_->SetKeyNotationInput(true);
  const char* more[] = {"x", "BackSpace", "z"};
  TypeKeys(more, 3);
  EXPECT_TRUE(PumpUntil([this] { return edit_->Text() == "abcz"; })) << edit_->Text();
  EXPECT_EQ(seen, "x\bz");
  EXPECT_STREQ(gtk_entry_get_text(GTK_ENTRY(WidgetOf(*form_, *edit_))), "abcz");
}

TEST_F(GtkInputTest, InputTheCodePageCannotHoldIsRefusedAndLengthsAreBytes) {
  GtkEditable* entry = GTK_EDITABLE(WidgetOf(*form_, *edit_));
  gint at = 0;
  gtk_editable_insert_text(entry, "\xC3\xA9", -1, &at);  // é: one byte of code page 1252
  EXPECT_EQ(edit_->Text(), "\xE9");
  gtk_editable_insert_text(entry, "\xE3\x81\x82", -1, &at);  // あ: none of 1252's
  EXPECT_EQ(edit_->Text(), "\xE9");
  EXPECT_STREQ(gtk_entry_get_text(GTK_ENTRY(entry)), "\xC3\xA9");

  app_->SetCodePage(932);
  edit_->SetText("");
  edit_->SetMaxLength(3);
  at = 0;
  gtk_editable_insert_text(entry, "\xE3\x81\x82", -1, &at);  // あ: two bytes of 932
  gtk_editable_insert_text(entry, "\xE3\x81\x84", -1, &at);  // い would make four
  gtk_editable_insert_text(entry, "a", -1, &at);
  EXPECT_EQ(edit_->Text(), "\x82\xA0" "a");
  // A selection made in the widget reaches the model in bytes.
  gtk_editable_select_region(entry, 1, 2);
  EXPECT_EQ(edit_->SelStart(), 2);
  EXPECT_EQ(edit_->SelLength(), 1);
}

TEST_F(GtkInputTest, MessageBoxesGiveTheButtonTheUserChose) {
  struct Row {
    ui::MsgButtons buttons;
    gint response;  // 0: the box is destroyed
    ui::MsgResult want;
  } rows[] = {{ui::MsgButtons::OK, GTK_RESPONSE_OK, ui::MsgResult::OK},
              {ui::MsgButtons::OKCancel, GTK_RESPONSE_CANCEL, ui::MsgResult::Cancel},
              {ui::MsgButtons::YesNoCancel, GTK_RESPONSE_YES, ui::MsgResult::Yes},
              {ui::MsgButtons::YesNoCancel, GTK_RESPONSE_NO, ui::MsgResult::No},
              {ui::MsgButtons::YesNoCancel, 0, ui::MsgResult::None}};
  for (const Row& row : rows) {
    static gint response;
    response = row.response;
    g_timeout_add(200, [](gpointer) -> gboolean {
      GList* all = gtk_window_list_toplevels();
      for (GList* l = all; l; l = l->next)
        if (GTK_IS_MESSAGE_DIALOG(l->data)) {
          if (response) gtk_dialog_response(GTK_DIALOG(l->data), response);
          else gtk_widget_destroy(GTK_WIDGET(l->data));
        }
      g_list_free(all);
      return G_SOURCE_REMOVE;
    }, nullptr);
    EXPECT_EQ(app_->ShowMessageBox("Save data?", "KM27", ui::MsgIcon::Confirmation, row.buttons), row.want)
        << row.response;
  }
}

TEST_F(GtkInputTest, APopupMenuRunsTheChosenItem) {
  auto& menu = form_->Make<ui::PopupMenu>("pmnTest");
  auto& first = form_->Make<ui::MenuItem>("mnuFirst", &menu);
  first.SetCaption("First");
  form_->Make<ui::MenuItem>("mnuLine", &menu).SetCaption("-");
  auto& second = form_->Make<ui::MenuItem>("mnuSecond", &menu);
  second.SetCaption("Second");
  second.Default = true;
  int chosen = 0;
  first.OnClick = [&chosen] { chosen = 1; };
  second.OnClick = [&chosen] { chosen = 2; };
  // The user picks the third entry (after the separator) while the menu is up.
  g_timeout_add(300, [](gpointer) -> gboolean {
    GList* all = gtk_window_list_toplevels();
    for (GList* l = all; l; l = l->next)
      if (GtkWidget* m = gtk_bin_get_child(GTK_BIN(l->data)); m && GTK_IS_MENU(m) && gtk_widget_get_mapped(m)) {
        GList* items = gtk_container_get_children(GTK_CONTAINER(m));
        gtk_menu_shell_activate_item(GTK_MENU_SHELL(m), GTK_WIDGET(g_list_nth_data(items, 2)), TRUE);
        g_list_free(items);
      }
    g_list_free(all);
    return G_SOURCE_REMOVE;
  }, nullptr);
  form_->PopupMenuAt(menu, 100, 100);
  EXPECT_EQ(chosen, 2);
}

TEST_F(GtkInputTest, TimersFireOnTheMainLoopAndNeverInsideThemselves) {
  auto& repeating = form_->Make<ui::Timer>("tmrRepeat", 20, true);
  auto& once = form_->Make<ui::Timer>("tmrOnce", 20, true);
  int fired = 0, onceFired = 0, inside = 0, depth = 0;
  repeating.OnTimer = [&] {
    ++fired;
    if (depth++) ++inside;
    if (fired == 1) Pump(100);  // a handler that pumps while it waits
    --depth;
  };
  once.OnTimer = [&] {
    ++onceFired;
    once.SetEnabled(false);  // stopped inside its own handler
  };
  EXPECT_TRUE(PumpUntil([&] { return fired >= 3; }));
  Pump(100);
  EXPECT_EQ(inside, 0);
  EXPECT_EQ(onceFired, 1);
}


}  // namespace
}  // namespace km27
