#include "keyboard/x11/X11Keymap.h"

#include <X11/keysym.h>
#include <xkbcommon/xkbcommon.h>

namespace km27 {

namespace {

bool IsKeypadSym(uint32_t sym) { return sym >= XK_KP_Space && sym <= XK_KP_Equal; }

}  // namespace

X11Keymap::X11Keymap(Display* display) : display_(display) {
  int opcode = 0, errorBase = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
  if (!XkbQueryExtension(display_, &opcode, &eventBase_, &errorBase, &major, &minor)) return;
  // Map changes (another layout chosen, a spare keycode mapped) arrive as
  // events on this connection; until one does, the map read last is good.
  const unsigned mask = XkbMapNotifyMask | XkbNewKeyboardNotifyMask;
  XkbSelectEvents(display_, XkbUseCoreKbd, mask, mask);
  Read();
}

X11Keymap::~X11Keymap() {
  if (xkb_) XkbFreeKeyboard(xkb_, 0, True);
}

void X11Keymap::Read() {
  if (xkb_) XkbFreeKeyboard(xkb_, 0, True);
  xkb_ = XkbGetMap(display_, XkbAllClientInfoMask, XkbUseCoreKbd);
  level3Mask_ = XkbKeysymToModifiers(display_, XK_ISO_Level3_Shift);
  stale_ = false;
}

void X11Keymap::Update() {
  if (eventBase_ == 0 && !xkb_) return;
  while (XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    if (event.type == eventBase_) stale_ = true;
  }
  if (stale_) Read();
  XkbStateRec state{};
  if (XkbGetState(display_, XkbUseCoreKbd, &state) == Success) {
    group_ = state.group;
    lockedMods_ = state.locked_mods;
  }
}

int X11Keymap::GroupOf(KeyCode keycode) const {
  const int groups = XkbKeyNumGroups(xkb_, keycode);
  if (groups == 0) return -1;
  // A group beyond the key's own wraps around, as the server does by default.
  return group_ < groups ? group_ : group_ % groups;
}

int X11Keymap::LevelFor(KeyCode keycode, int group, unsigned mods) const {
  const XkbKeyTypePtr type = XkbKeyKeyType(xkb_, keycode, group);
  const unsigned relevant = mods & type->mods.mask;
  for (int i = 0; i < type->map_count; ++i) {
    if (type->map[i].active && type->map[i].mods.mask == relevant) return type->map[i].level;
  }
  return 0;
}

X11KeyChoice X11Keymap::ChoiceFor(KeyCode keycode, int group, int level, bool lock) const {
  // Num Lock (and Caps Lock where asked) stay as the user set them; Shift
  // and level 3 are what may be pressed.
  const unsigned locked = lockedMods_ & ~(lock ? 0u : static_cast<unsigned>(LockMask));
  const unsigned tries[] = {0u, static_cast<unsigned>(ShiftMask), level3Mask_, ShiftMask | level3Mask_};
  for (unsigned pressed : tries) {
    if (LevelFor(keycode, group, pressed | locked) != level) continue;
    return {keycode, (pressed & ShiftMask) != 0, level3Mask_ != 0 && (pressed & level3Mask_) != 0};
  }
  return {};
}

template <class Match>
X11KeyChoice X11Keymap::Find(Match match, bool lock) const {
  if (!xkb_) return {};
  // The lowest level wins (a character typed without Shift where it can
  // be), then the lowest keycode.
  for (int level = 0; level < XkbMaxShiftLevel; ++level) {
    for (int kc = xkb_->min_key_code; kc <= xkb_->max_key_code; ++kc) {
      const auto keycode = static_cast<KeyCode>(kc);
      const int group = GroupOf(keycode);
      if (group < 0 || level >= XkbKeyGroupWidth(xkb_, keycode, group)) continue;
      const uint32_t sym = static_cast<uint32_t>(XkbKeySymEntry(xkb_, keycode, level, group));
      if (sym == NoSymbol || !match(sym)) continue;
      const X11KeyChoice choice = ChoiceFor(keycode, group, level, lock);
      if (choice.keycode != 0) return choice;
    }
  }
  return {};
}

X11KeyChoice X11Keymap::FindKeySym(uint32_t sym, bool lock) const {
  return Find([sym](uint32_t s) { return s == sym; }, lock);
}

X11KeyChoice X11Keymap::FindChar(char32_t ch, bool lock) const {
  // The keypad's digits would type the character only with Num Lock on.
  return Find([ch](uint32_t s) { return !IsKeypadSym(s) && xkb_keysym_to_utf32(s) == ch; }, lock);
}

std::vector<KeyCode> X11Keymap::SpareKeycodes() const {
  std::vector<KeyCode> spare;
  if (!xkb_) return spare;
  for (int kc = xkb_->min_key_code; kc <= xkb_->max_key_code; ++kc) {
    if (XkbKeyNumSyms(xkb_, kc) == 0) spare.push_back(static_cast<KeyCode>(kc));
  }
  return spare;
}

unsigned X11Keymap::ModifiersOf(KeyCode keycode) const {
  return xkb_ && xkb_->map && xkb_->map->modmap ? xkb_->map->modmap[keycode] : 0;
}

}  // namespace km27
