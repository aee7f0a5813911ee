#pragma once
// The session's keyboard layout as xkbcommon compiles it from names (rules,
// model, layout, variant, options; empty names take XKB_DEFAULT_* from the
// environment and then xkbcommon's defaults): which evdev key, with which
// of Shift and level 3, types a keysym or a character in the first layout.
#include <cstdint>
#include <memory>
#include <string>

struct xkb_context;
struct xkb_keymap;

namespace km27 {

struct XkbLayoutNames {
  std::string rules, model, layout, variant, options;
};

struct EvdevKeyChoice {
  uint16_t code = 0;  // evdev key code (xkb keycode - 8); 0: the layout has no key for it
  bool shift = false;
  bool level3 = false;
};

class XkbLayoutKeys {
 public:
  // Null when xkbcommon cannot compile the names; `error` says so.
  static std::unique_ptr<XkbLayoutKeys> Compile(const XkbLayoutNames& names, std::string& error);
  ~XkbLayoutKeys();
  XkbLayoutKeys(const XkbLayoutKeys&) = delete;
  XkbLayoutKeys& operator=(const XkbLayoutKeys&) = delete;

  EvdevKeyChoice FindKeySym(uint32_t sym) const;
  EvdevKeyChoice FindChar(char32_t ch) const;

 private:
  XkbLayoutKeys(xkb_context* context, xkb_keymap* keymap);
  template <class Match>
  EvdevKeyChoice Find(Match match) const;
  uint32_t MaskOfKeySym(uint32_t sym) const;

  xkb_context* context_;
  xkb_keymap* keymap_;
  uint32_t shiftMask_ = 0, level3Mask_ = 0;
};

}  // namespace km27
