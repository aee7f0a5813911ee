// The injector in force. Until the program installs its platform's one, key
// events go nowhere and no character has a key, so nothing can be typed by
// accident from a tool or a test that forgot to install one.
#include "keyboard/KeyInjector.h"

namespace km27 {

namespace {

class NullKeyInjector final : public IKeyInjector {
 public:
  void NamedKeyEvent(NamedKey, bool) override {}
  KeyStroke CharStroke(unsigned char) override { return {}; }
  void StrokeKeyEvent(uint32_t, bool) override {}
  void ModifierEvent(StrokeModifier, bool) override {}
  bool CapsLockOn() override { return false; }
  bool TypeUnicode(char16_t, bool) override { return true; }
};

NullKeyInjector gNullInjector;
IKeyInjector* gInjector = &gNullInjector;

}  // namespace

IKeyInjector& KeyInjector() { return *gInjector; }

void SetKeyInjector(IKeyInjector* injector) { gInjector = injector ? injector : &gNullInjector; }

void VkKeyScanInjector::NamedKeyEvent(NamedKey key, bool up) { KeyEvent(static_cast<uint8_t>(key), up); }

KeyStroke VkKeyScanInjector::CharStroke(unsigned char c) {
  const int scan = VkKeyScan(static_cast<char>(c));
  // -1 means the layout has no key for it: sending 0xFF with every modifier
  // would only press Ctrl, Shift and Alt for nothing.
  if (scan == -1 || (scan & 0xFF) == 0xFF) return {};
  const unsigned high = (static_cast<unsigned>(scan) >> 8) & 0xFF;
  KeyStroke stroke;
  stroke.key = static_cast<uint32_t>(scan & 0xFF);
  stroke.shift = (high & 0x01) != 0;
  stroke.ctrl = (high & 0x02) != 0;
  stroke.alt = (high & 0x04) != 0;
  stroke.hankaku = (high & 0x08) != 0;
  return stroke;
}

void VkKeyScanInjector::StrokeKeyEvent(uint32_t key, bool up) { KeyEvent(static_cast<uint8_t>(key), up); }

void VkKeyScanInjector::ModifierEvent(StrokeModifier modifier, bool up) {
  // VkKeyScanA never asks for level 3 (it says Ctrl + Alt); were it asked,
  // the right Alt is AltGr on the layouts that have one.
  constexpr uint8_t kVk[] = {0x10, 0x11, 0x12, 0xA5};
  KeyEvent(kVk[static_cast<int>(modifier)], up);
}

bool VkKeyScanInjector::TypeUnicode(char16_t unit, bool up) {
  UnicodeEvent(unit, up);
  return true;
}

}  // namespace km27
