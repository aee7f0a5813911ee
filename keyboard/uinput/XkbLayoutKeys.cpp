#include "keyboard/uinput/XkbLayoutKeys.h"

#include <xkbcommon/xkbcommon.h>

namespace km27 {

namespace {

constexpr uint32_t kEvdevOffset = 8;  // xkb keycodes are evdev codes + 8

bool IsKeypadSym(uint32_t sym) { return sym >= XKB_KEY_KP_Space && sym <= XKB_KEY_KP_Equal; }

const char* NameOrNull(const std::string& s) { return s.empty() ? nullptr : s.c_str(); }

}  // namespace

std::unique_ptr<XkbLayoutKeys> XkbLayoutKeys::Compile(const XkbLayoutNames& names, std::string& error) {
  xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
  if (!context) {
    error = "xkbcommon cannot start";
    return nullptr;
  }
  const xkb_rule_names rmlvo = {NameOrNull(names.rules), NameOrNull(names.model), NameOrNull(names.layout),
                                NameOrNull(names.variant), NameOrNull(names.options)};
  xkb_keymap* keymap = xkb_keymap_new_from_names(context, &rmlvo, XKB_KEYMAP_COMPILE_NO_FLAGS);
  if (!keymap) {
    xkb_context_unref(context);
    error = "xkbcommon cannot compile the keyboard layout \"" + names.layout + "\"";
    return nullptr;
  }
  return std::unique_ptr<XkbLayoutKeys>(new XkbLayoutKeys(context, keymap));
}

XkbLayoutKeys::XkbLayoutKeys(xkb_context* context, xkb_keymap* keymap) : context_(context), keymap_(keymap) {
  shiftMask_ = MaskOfKeySym(XKB_KEY_Shift_L);
  level3Mask_ = MaskOfKeySym(XKB_KEY_ISO_Level3_Shift);
}

XkbLayoutKeys::~XkbLayoutKeys() {
  xkb_keymap_unref(keymap_);
  xkb_context_unref(context_);
}

// The modifiers a key of this keysym sets while it is held: the keymap's
// own answer to which real modifier Shift and level 3 are.
uint32_t XkbLayoutKeys::MaskOfKeySym(uint32_t sym) const {
  for (xkb_keycode_t kc = xkb_keymap_min_keycode(keymap_); kc <= xkb_keymap_max_keycode(keymap_); ++kc) {
    const xkb_keysym_t* syms = nullptr;
    if (xkb_keymap_key_get_syms_by_level(keymap_, kc, 0, 0, &syms) != 1 || syms[0] != sym) continue;
    xkb_state* state = xkb_state_new(keymap_);
    if (!state) return 0;
    xkb_state_update_key(state, kc, XKB_KEY_DOWN);
    const uint32_t mask = xkb_state_serialize_mods(state, XKB_STATE_MODS_DEPRESSED);
    xkb_state_unref(state);
    return mask;
  }
  return 0;
}

template <class Match>
EvdevKeyChoice XkbLayoutKeys::Find(Match match) const {
  // The lowest level wins, then the lowest key; a level is taken only when
  // Shift and level 3 alone reach it.
  for (xkb_level_index_t level = 0; level < 8; ++level) {
    for (xkb_keycode_t kc = xkb_keymap_min_keycode(keymap_); kc <= xkb_keymap_max_keycode(keymap_); ++kc) {
      if (kc <= kEvdevOffset || level >= xkb_keymap_num_levels_for_key(keymap_, kc, 0)) continue;
      const xkb_keysym_t* syms = nullptr;
      if (xkb_keymap_key_get_syms_by_level(keymap_, kc, 0, level, &syms) != 1 || !match(syms[0])) continue;
      const uint16_t code = static_cast<uint16_t>(kc - kEvdevOffset);
      if (level == 0) return {code, false, false};
      xkb_mod_mask_t masks[16];
      const size_t n = xkb_keymap_key_get_mods_for_level(keymap_, kc, 0, level, masks, 16);
      for (size_t i = 0; i < n; ++i) {
        if (masks[i] == 0 || (masks[i] & ~(shiftMask_ | level3Mask_)) != 0) continue;
        return {code, (masks[i] & shiftMask_) != 0, (masks[i] & level3Mask_) != 0};
      }
    }
  }
  return {};
}

EvdevKeyChoice XkbLayoutKeys::FindKeySym(uint32_t sym) const {
  return Find([sym](xkb_keysym_t s) { return s == sym; });
}

EvdevKeyChoice XkbLayoutKeys::FindChar(char32_t ch) const {
  return Find([ch](xkb_keysym_t s) { return !IsKeypadSym(s) && xkb_keysym_to_utf32(s) == ch; });
}

}  // namespace km27
