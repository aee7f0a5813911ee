#pragma once
// Key output on X11 through XTEST, on a display connection of its own. A
// character becomes the keycode and level that type it in the current XKB
// group; a character or named key the layout lacks is typed through a spare
// keycode (one without keysyms) mapped to its keysym for that key press and
// restored afterwards. Every key this injector pressed is released when it
// is destroyed; a modifier the user holds is used as it is, never pressed
// or released for him.
#include <X11/Xlib.h>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "keyboard/KeyInjector.h"
#include "keyboard/x11/X11Keymap.h"

namespace km27 {

struct DisplayCloser {
  void operator()(Display* d) const { XCloseDisplay(d); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

class X11KeyInjector final : public IKeyInjector {
 public:
  // `codePage`: the program's code page now (the language may change it).
  // `restoreDelayMs`: how long the map stays unchanged after a key sent on a
  // spare keycode before that keycode gets another keysym (or its nothing
  // back, at the end), so that the target has read the map it was sent with.
  X11KeyInjector(DisplayPtr display, std::function<int()> codePage, int restoreDelayMs = 100);
  ~X11KeyInjector() override;

  // Opens the display ($DISPLAY when empty) and checks XTEST and XKB; on
  // failure returns null and says why in `error`.
  static std::unique_ptr<X11KeyInjector> Open(const std::string& displayName, std::function<int()> codePage,
                                              std::string& error);

  void NamedKeyEvent(NamedKey key, bool up) override;
  KeyStroke CharStroke(unsigned char c) override;
  void StrokeKeyEvent(uint32_t key, bool up) override;
  void ModifierEvent(StrokeModifier modifier, bool up) override;
  bool CapsLockOn() override;
  bool TypeUnicode(char16_t unit, bool up) override;

 private:
  void Key(KeyCode keycode, bool up);
  bool HeldByUser(unsigned modifierMask);
  KeyCode ModifierKey(StrokeModifier modifier, unsigned* mask);
  // A spare keycode that gives `sym` for a key-down: one that already does,
  // else a free one, else the one used longest ago, mapped to it; 0 when
  // every spare keycode is down or the server refused.
  KeyCode BorrowSpare(uint32_t sym);
  bool SpareInUse(KeyCode keycode) const;
  // Gives every borrowed spare keycode its nothing back.
  void RestoreSpares();

  DisplayPtr display_;
  std::function<int()> codePage_;
  int restoreDelayMs_;
  X11Keymap keymap_;
  std::set<KeyCode> pressed_;       // by this injector, not yet released
  std::vector<bool> heldStack_[4];  // per modifier: whether each key-down was pressed here
  std::vector<std::pair<char16_t, KeyCode>> borrowed_;  // character, spare keycode
  struct NamedPress {
    NamedKey key;
    KeyCode keycode;
    bool shift, level3, spare;
  };
  std::vector<NamedPress> named_;  // named keys down, in the order pressed
  // Spare keycodes holding a keysym of ours, the one used longest ago first.
  // They keep it while the program types: a target that reads the changed
  // map late (a busy machine) still finds the keysym of a key it was sent.
  std::vector<std::pair<KeyCode, uint32_t>> mapped_;
};

}  // namespace km27
