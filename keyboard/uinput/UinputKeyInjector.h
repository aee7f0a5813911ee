#pragma once
// Key output for Wayland sessions: key events on a virtual keyboard of
// /dev/uinput, keys chosen from the session's layout as xkbcommon compiles
// it. The compositor cannot be asked to map a key for a character the
// layout lacks, so such a character is reported as not typed. Every key
// pressed is released again, at the latest when the injector goes.
#include <functional>
#include <memory>
#include <vector>

#include "keyboard/KeyInjector.h"
#include "keyboard/uinput/UinputDevice.h"
#include "keyboard/uinput/XkbLayoutKeys.h"

namespace km27 {

class UinputKeyInjector final : public IKeyInjector {
 public:
  // `codePage`: the program's code page now (the language may change it).
  UinputKeyInjector(std::unique_ptr<IUinputDevice> device, std::unique_ptr<XkbLayoutKeys> layout,
                    std::function<int()> codePage);
  ~UinputKeyInjector() override;

  void NamedKeyEvent(NamedKey key, bool up) override;
  KeyStroke CharStroke(unsigned char c) override;
  void StrokeKeyEvent(uint32_t key, bool up) override;
  void ModifierEvent(StrokeModifier modifier, bool up) override;
  bool CapsLockOn() override;
  bool TypeUnicode(char16_t unit, bool up) override;

 private:
  void Key(uint16_t code, bool up);

  std::unique_ptr<IUinputDevice> device_;
  std::unique_ptr<XkbLayoutKeys> layout_;
  std::function<int()> codePage_;
  std::vector<uint16_t> pressed_;  // in the order pressed, one entry per key-down
};

// The layout names of the session: XKB_DEFAULT_RULES, _MODEL, _LAYOUT,
// _VARIANT and _OPTIONS (empty names let xkbcommon take its defaults).
XkbLayoutNames SessionLayoutNames();

}  // namespace km27
