// Card data typed through the XTEST injector arrives in an X window as the
// text sent, on the layout set with setxkbmap: characters by their own key
// and level, what the layout lacks through a spare keycode, and no key left
// down afterwards.
// GoogleTest before Xlib, whose macros (None, Bool) clash with its names.
#include <gtest/gtest.h>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <xkbcommon/xkbcommon.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

#include "common/posix/IconvTextCodec.h"
#include "keyboard/KeyInjection.h"
#include "keyboard/KeyNotation.h"
#include "keyboard/x11/LinuxKeyInjector.h"
#include "keyboard/x11/X11KeyInjector.h"

namespace km27 {
namespace {

const bool kThreads = XInitThreads() != 0;

// The display of xvfb-run may still be starting on a busy machine.
Display* OpenDisplay() {
  for (int i = 0; i < 100; ++i) {
    if (Display* d = XOpenDisplay(nullptr)) return d;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  std::abort();
}

// Xvfb starts afresh (its keymap too) whenever its last client leaves: one
// connection stays open while the tests run.
Display* const kKeepServer = OpenDisplay();

std::string Utf8Of(char32_t ch) {
  std::string s;
  if (ch < 0x80) {
    s += static_cast<char>(ch);
  } else if (ch < 0x800) {
    s += static_cast<char>(0xC0 | (ch >> 6));
    s += static_cast<char>(0x80 | (ch & 0x3F));
  } else {
    s += static_cast<char>(0xE0 | (ch >> 12));
    s += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (ch & 0x3F));
  }
  return s;
}

// A focused window on a connection of its own, read on a thread of its own
// as a client reads its events: the text of its key presses (the keysym the
// server's map gives, as a character) and the presses and releases by keysym.
class RecordingWindow {
 public:
  RecordingWindow() : display_(OpenDisplay()) {
    window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 200, 100, 0, 0, 0);
    XSelectInput(display_, window_, KeyPressMask | KeyReleaseMask | StructureNotifyMask);
    XMapWindow(display_, window_);
    for (XEvent e;;) {
      XNextEvent(display_, &e);
      if (e.type == MapNotify) break;
    }
    XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
    XSync(display_, False);
    thread_ = std::thread([this] { Run(); });
  }
  ~RecordingWindow() {
    stop_ = true;
    thread_.join();
    XCloseDisplay(display_);
  }
  template <class F>
  auto Settled(F read) {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    std::lock_guard<std::mutex> lock(mutex_);
    return read();
  }
  // What arrived once the window has caught up with everything sent so far.
  std::string Text() { return Settled([this] { return text_; }); }
  std::string Events() { return Settled([this] { return events_; }); }
  void Clear() {
    Settled([] { return 0; });
    std::lock_guard<std::mutex> lock(mutex_);
    text_.clear();
    events_.clear();
  }

 private:
  void Run() {
    while (!stop_) {
      if (XPending(display_) == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        continue;
      }
      XEvent e;
      XNextEvent(display_, &e);
      if (e.type == MappingNotify) XRefreshKeyboardMapping(&e.xmapping);
      if (e.type != KeyPress && e.type != KeyRelease) continue;
      char buf[16];
      KeySym sym = NoSymbol;
      XLookupString(&e.xkey, buf, sizeof buf, &sym, nullptr);
      std::lock_guard<std::mutex> lock(mutex_);
      const char* name = XKeysymToString(sym);
      events_ += std::string(e.type == KeyPress ? "+" : "-") + (name ? name : "?") + " ";
      const char32_t ch = xkb_keysym_to_utf32(static_cast<uint32_t>(sym));
      if (e.type == KeyPress && ch >= 0x20 && (e.xkey.state & (ControlMask | Mod1Mask)) == 0) text_ += Utf8Of(ch);
    }
  }

  Display* display_;
  Window window_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::string text_, events_;
};

bool NoKeyDown() {
  Display* d = OpenDisplay();
  char keys[32];
  XQueryKeymap(d, keys);
  XCloseDisplay(d);
  for (char k : keys)
    if (k != 0) return false;
  return true;
}

class X11Typing : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(kThreads);
    SetTextCodec(&codec_);
    ResetKeyState();
  }
  void TearDown() override {
    SetKeyInjector(nullptr);
    SetTextCodec(nullptr);
    ResetKeyState();
  }
  // A generous restore delay: the recording thread shares the machine.
  std::unique_ptr<X11KeyInjector> Injector(int codePage) {
    auto injector = std::make_unique<X11KeyInjector>(DisplayPtr(OpenDisplay()),
                                                     [codePage] { return codePage; }, 300);
    SetKeyInjector(injector.get());
    return injector;
  }
  IconvTextCodec codec_;
};

struct TypingRow {
  const char* layout;
  int codePage;
  const char* sent;      // card data, code page bytes
  const char* expected;  // the same text in UTF-8
};

TEST_F(X11Typing, CardDataArrivesAsSentOnEachLayout) {
  const std::string ascii = [] {
    std::string s;
    for (int c = 0x20; c < 0x7F; ++c) s += static_cast<char>(c);
    return s;
  }();
  const TypingRow rows[] = {
      {"us", 932, ascii.c_str(), ascii.c_str()},
      // The layout has no kana: the kana mode's half-width katakana come
      // through a spare keycode.
      {"us", 932, "A\x0E" "1\x0F" "B", "A\xEF\xBD\xB1" "B"},
      // Level 3 (AltGr) and the letters German keyboards swap.
      {"de", 1252, "@{[]}\\|~ yz YZ", "@{[]}\\|~ yz YZ"},
      {"fr", 1252, "azerty AZERTY 1234567890", "azerty AZERTY 1234567890"},
  };
  for (const TypingRow& row : rows) {
    ASSERT_EQ(std::system((std::string("setxkbmap ") + row.layout).c_str()), 0) << row.layout;
    RecordingWindow window;
    {
      auto injector = Injector(row.codePage);
      TypeChars(row.sent, true, true);
      EXPECT_EQ(TakeCharsNotTyped(), "") << row.layout;
      EXPECT_EQ(window.Text(), row.expected) << row.layout;
    }
    EXPECT_TRUE(NoKeyDown()) << row.layout;
  }
}

TEST_F(X11Typing, ChordsAndNamedKeysArriveAsKeyEvents) {
  ASSERT_EQ(std::system("setxkbmap us"), 0);
  RecordingWindow window;
  auto injector = Injector(932);
  TypeKeyString("([CTRL]v)");
  EXPECT_EQ(window.Events(), "+Control_L +v -v -Control_L ");
  window.Clear();
  TypeKeyString("a[TAB]([SHIFT]b)");
  EXPECT_EQ(window.Events(), "+a -a +Tab -Tab +Shift_L +B -B -Shift_L ");
  window.Clear();
  TypeKeyString("[10KEY5][10KEY.]");  // the keypad types digits whatever Num Lock says
  EXPECT_EQ(window.Text(), "5.");
  injector.reset();
  EXPECT_TRUE(NoKeyDown());
}

TEST_F(X11Typing, CapsLockOnStillTypesTheCaseAskedFor) {
  ASSERT_EQ(std::system("setxkbmap us"), 0);
  RecordingWindow window;
  auto injector = Injector(932);
  TypeKeyString("[CAPS]");
  window.Clear();
  ASSERT_TRUE(KeyInjector().CapsLockOn());
  TypeChars("aB1!", true, true);
  EXPECT_EQ(window.Text(), "aB1!");
  TypeKeyString("[CAPS]");
  EXPECT_FALSE(KeyInjector().CapsLockOn());
}

}  // namespace
}  // namespace km27

namespace km27 {
namespace {

TEST(LinuxKeyOutput, AnX11SessionTypesThroughXtestAndWaylandWithoutUinputSaysHowToFixIt) {
  LinuxSession x11;
  x11.wayland = false;
  LinuxKeyOutputChoice choice = InstallLinuxKeyInjector([] { return 932; }, x11);
  EXPECT_EQ(choice.output, LinuxKeyOutput::X11);
  EXPECT_EQ(choice.message, "");

  LinuxSession wayland;
  wayland.wayland = true;
  wayland.uinputPath = "/nonexistent/uinput";
  choice = InstallLinuxKeyInjector([] { return 932; }, wayland);
  // XWayland still takes XTEST's keys, for X11 programs only.
  EXPECT_EQ(choice.output, LinuxKeyOutput::X11);
  EXPECT_NE(choice.message.find("KERNEL==\"uinput\", GROUP=\"input\", MODE=\"0660\""), std::string::npos);
  EXPECT_NE(choice.message.find("/nonexistent/uinput: No such file or directory"), std::string::npos);
  SetKeyInjector(nullptr);
}

}  // namespace
}  // namespace km27
