#pragma once
// The core keyboard's XKB map as the X server holds it now: which keycode,
// in the current group, types a keysym or a character and with which of
// Shift and level 3; the keycodes without any keysym (spare ones); which
// keys are modifiers. Read again whenever the server says the map changed.
#include <X11/Xlib.h>
#include <X11/XKBlib.h>

#include <cstdint>
#include <vector>

namespace km27 {

struct X11KeyChoice {
  KeyCode keycode = 0;  // 0: the current group has no key for it
  bool shift = false;
  bool level3 = false;
};

class X11Keymap {
 public:
  explicit X11Keymap(Display* display);
  ~X11Keymap();
  X11Keymap(const X11Keymap&) = delete;
  X11Keymap& operator=(const X11Keymap&) = delete;

  // False when the server has no XKB: nothing can be looked up.
  bool Usable() const { return xkb_ != nullptr; }

  // Reads the map again if the server announced a change since the last
  // read, and the group and lock state every time.
  void Update();

  // The key that types `sym` (keypad keys only for a keypad keysym). `lock`:
  // take Caps Lock into account (Shift is then chosen for what Caps Lock does).
  X11KeyChoice FindKeySym(uint32_t sym, bool lock) const;
  // The key that types the character, whatever keysym the layout names it by.
  X11KeyChoice FindChar(char32_t ch, bool lock) const;

  // Keycodes that have no keysym in any group (free for a character the
  // layout lacks), lowest first.
  std::vector<KeyCode> SpareKeycodes() const;

  // The real modifier bits a keycode sets (its modifier map), and the bits
  // of level 3 (ISO_Level3_Shift).
  unsigned ModifiersOf(KeyCode keycode) const;
  unsigned Level3Mask() const { return level3Mask_; }

  bool CapsLockOn() const { return (lockedMods_ & LockMask) != 0; }

 private:
  void Read();
  int GroupOf(KeyCode keycode) const;
  int LevelFor(KeyCode keycode, int group, unsigned mods) const;
  X11KeyChoice ChoiceFor(KeyCode keycode, int group, int level, bool lock) const;
  template <class Match>
  X11KeyChoice Find(Match match, bool lock) const;

  Display* display_;
  XkbDescPtr xkb_ = nullptr;
  int eventBase_ = 0;
  int group_ = 0;
  unsigned lockedMods_ = 0;
  unsigned level3Mask_ = 0;
  bool stale_ = true;
};

}  // namespace km27
