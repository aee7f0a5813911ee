#include "keyboard/uinput/UinputKeyInjector.h"

#include <linux/input-event-codes.h>

#include <algorithm>
#include <cstdlib>

#include "common/TextCodec.h"
#include "keyboard/KeySyms.h"

namespace km27 {

namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

}  // namespace

XkbLayoutNames SessionLayoutNames() {
  return {Env("XKB_DEFAULT_RULES"), Env("XKB_DEFAULT_MODEL"), Env("XKB_DEFAULT_LAYOUT"),
          Env("XKB_DEFAULT_VARIANT"), Env("XKB_DEFAULT_OPTIONS")};
}

UinputKeyInjector::UinputKeyInjector(std::unique_ptr<IUinputDevice> device, std::unique_ptr<XkbLayoutKeys> layout,
                                     std::function<int()> codePage)
    : device_(std::move(device)), layout_(std::move(layout)), codePage_(std::move(codePage)) {}

UinputKeyInjector::~UinputKeyInjector() {
  // A read cut short must not leave a key down for everything the user types next.
  while (!pressed_.empty()) Key(pressed_.back(), true);
}

void UinputKeyInjector::Key(uint16_t code, bool up) {
  if (code == 0) return;
  if (up) {
    const auto it = std::find(pressed_.rbegin(), pressed_.rend(), code);
    if (it == pressed_.rend()) return;  // never pressed here
    pressed_.erase(std::next(it).base());
    // Another key-down of the same key still holds it.
    if (std::find(pressed_.begin(), pressed_.end(), code) != pressed_.end()) return;
  } else {
    const bool held = std::find(pressed_.begin(), pressed_.end(), code) != pressed_.end();
    pressed_.push_back(code);
    if (held) return;  // the kernel takes a second key-down as a repeat
  }
  device_->Emit(EV_KEY, code, up ? 0 : 1);
  device_->Emit(EV_SYN, SYN_REPORT, 0);
}

void UinputKeyInjector::NamedKeyEvent(NamedKey key, bool up) {
  uint32_t alternative = 0;
  const uint32_t sym = KeySymOfNamedKey(key, &alternative);
  if (sym == 0) return;
  EvdevKeyChoice choice = layout_->FindKeySym(sym);
  if (choice.code == 0 && alternative != 0) choice = layout_->FindKeySym(alternative);
  Key(choice.code, up);
}

KeyStroke UinputKeyInjector::CharStroke(unsigned char c) {
  const char32_t ch = SingleCharOfUtf8(TextCodec().ToUtf8(ByteString(1, static_cast<char>(c)), codePage_()));
  if (ch == 0) return {};
  const EvdevKeyChoice choice = layout_->FindChar(ch);
  KeyStroke stroke;
  stroke.key = choice.code;
  stroke.shift = choice.shift;
  stroke.level3 = choice.level3;
  return stroke;
}

void UinputKeyInjector::StrokeKeyEvent(uint32_t key, bool up) {
  if (key > 0 && key < KEY_MAX) Key(static_cast<uint16_t>(key), up);
}

void UinputKeyInjector::ModifierEvent(StrokeModifier modifier, bool up) {
  uint32_t sym = 0xffe1;
  switch (modifier) {
    case StrokeModifier::Shift: sym = 0xffe1; break;   // Shift_L
    case StrokeModifier::Ctrl: sym = 0xffe3; break;    // Control_L
    case StrokeModifier::Alt: sym = 0xffe9; break;     // Alt_L
    case StrokeModifier::Level3: sym = 0xfe03; break;  // ISO_Level3_Shift
  }
  Key(layout_->FindKeySym(sym).code, up);
}

bool UinputKeyInjector::CapsLockOn() { return device_->CapsLockLight(); }

bool UinputKeyInjector::TypeUnicode(char16_t, bool up) {
  // The compositor's keymap is not ours to change: a character without a key
  // cannot be typed (the core names it). Only a key-down is asked.
  return up;
}

}  // namespace km27
