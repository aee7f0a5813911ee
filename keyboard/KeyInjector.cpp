// The injector in force. Until the program installs the Windows one, key
// events go nowhere and no character has a key, so nothing can be typed by
// accident from a tool or a test that forgot to install one.
#include "keyboard/KeyInjector.h"

namespace km27 {

namespace {

class NullKeyInjector final : public IKeyInjector {
 public:
  void KeyEvent(uint8_t, bool) override {}
  int16_t VkKeyScan(char) override { return -1; }
  bool CapsLockOn() override { return false; }
  void UnicodeEvent(char16_t, bool) override {}
};

NullKeyInjector gNullInjector;
IKeyInjector* gInjector = &gNullInjector;

}  // namespace

IKeyInjector& KeyInjector() { return *gInjector; }

void SetKeyInjector(IKeyInjector* injector) { gInjector = injector ? injector : &gNullInjector; }

}  // namespace km27
