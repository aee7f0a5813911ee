#include "keyboard/x11/X11KeyInjector.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "common/TextCodec.h"
#include "keyboard/KeySyms.h"

namespace km27 {

namespace {

bool gXFailed = false;
int NoteXError(Display*, XErrorEvent*) {
  gXFailed = true;
  return 0;
}

// A request the server may refuse (a keycode taken meanwhile): Xlib's own
// handler would end the program.
template <class F>
bool Checked(Display* display, F request) {
  XSync(display, False);
  gXFailed = false;
  auto* previous = XSetErrorHandler(NoteXError);
  request();
  XSync(display, False);
  XSetErrorHandler(previous);
  return !gXFailed;
}

bool IsAsciiLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

X11KeyInjector::X11KeyInjector(DisplayPtr display, std::function<int()> codePage, int restoreDelayMs)
    : display_(std::move(display)),
      codePage_(std::move(codePage)),
      restoreDelayMs_(restoreDelayMs),
      keymap_(display_.get()) {}

X11KeyInjector::~X11KeyInjector() {
  // A read cut short must not leave a key down for everything the user types next.
  while (!pressed_.empty()) Key(*pressed_.begin(), true);
  borrowed_.clear();
  named_.clear();
  RestoreSpares();
  XSync(display_.get(), False);
}

std::unique_ptr<X11KeyInjector> X11KeyInjector::Open(const std::string& displayName,
                                                     std::function<int()> codePage, std::string& error) {
  DisplayPtr display(XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str()));
  if (!display) {
    error = "Cannot open the X display \"" + std::string(XDisplayName(displayName.empty() ? nullptr : displayName.c_str())) + "\"";
    return nullptr;
  }
  int event = 0, errorBase = 0, major = 0, minor = 0;
  if (!XTestQueryExtension(display.get(), &event, &errorBase, &major, &minor)) {
    error = "The X server has no XTEST extension";
    return nullptr;
  }
  auto injector = std::make_unique<X11KeyInjector>(std::move(display), std::move(codePage));
  if (!injector->keymap_.Usable()) {
    error = "The X server has no XKB keyboard map";
    return nullptr;
  }
  return injector;
}

void X11KeyInjector::Key(KeyCode keycode, bool up) {
  if (keycode == 0) return;
  // A key-up for a key this injector did not press would release one the
  // user holds.
  if (up && pressed_.erase(keycode) == 0) return;
  if (!up) pressed_.insert(keycode);
  XTestFakeKeyEvent(display_.get(), keycode, up ? False : True, CurrentTime);
  XFlush(display_.get());
}

void X11KeyInjector::NamedKeyEvent(NamedKey key, bool up) {
  if (up) {
    for (auto it = named_.rbegin(); it != named_.rend(); ++it) {
      if (it->key != key) continue;
      const NamedPress press = *it;
      named_.erase(std::next(it).base());
      Key(press.keycode, true);
      if (press.level3) ModifierEvent(StrokeModifier::Level3, true);
      if (press.shift) ModifierEvent(StrokeModifier::Shift, true);
      return;
    }
    return;
  }
  uint32_t alternative = 0;
  const uint32_t sym = KeySymOfNamedKey(key, &alternative);
  if (sym == 0) return;
  keymap_.Update();
  X11KeyChoice choice = keymap_.FindKeySym(sym, true);
  if (choice.keycode == 0 && alternative != 0) choice = keymap_.FindKeySym(alternative, true);
  NamedPress press{key, choice.keycode, choice.shift, choice.level3, false};
  if (press.keycode == 0) {
    // The layout lacks the key (the kana key on a US keyboard): its keysym
    // still reaches the target, and an input method that knows it.
    press.keycode = BorrowSpare(sym);
    press.spare = true;
    if (press.keycode == 0) return;
  }
  // A keypad digit with Num Lock off is the keypad's Shift level, as
  // Windows types the digit of VK_NUMPAD0-9 whatever Num Lock says.
  if (press.shift) ModifierEvent(StrokeModifier::Shift, false);
  if (press.level3) ModifierEvent(StrokeModifier::Level3, false);
  named_.push_back(press);
  Key(press.keycode, false);
}

KeyStroke X11KeyInjector::CharStroke(unsigned char c) {
  const char32_t ch = SingleCharOfUtf8(TextCodec().ToUtf8(ByteString(1, static_cast<char>(c)), codePage_()));
  if (ch == 0) return {};
  keymap_.Update();
  // The core turns Shift round for ASCII letters when Caps Lock is on; for
  // any other character the choice takes Caps Lock into account itself.
  const X11KeyChoice choice = keymap_.FindChar(ch, !IsAsciiLetter(c));
  KeyStroke stroke;
  stroke.key = choice.keycode;
  stroke.shift = choice.shift;
  stroke.level3 = choice.level3;
  stroke.vk = VirtualKeyOfKeySym(keymap_.BaseKeySym(choice.keycode));
  return stroke;
}

void X11KeyInjector::StrokeKeyEvent(uint32_t key, bool up) {
  if (key <= 0xFF) Key(static_cast<KeyCode>(key), up);
}

KeyCode X11KeyInjector::ModifierKey(StrokeModifier modifier, unsigned* mask) {
  uint32_t sym = XK_Shift_L;
  switch (modifier) {
    case StrokeModifier::Shift: sym = XK_Shift_L; break;
    case StrokeModifier::Ctrl: sym = XK_Control_L; break;
    case StrokeModifier::Alt: sym = XK_Alt_L; break;
    case StrokeModifier::Level3: sym = XK_ISO_Level3_Shift; break;
  }
  const KeyCode keycode = keymap_.FindKeySym(sym, true).keycode;
  *mask = keycode ? keymap_.ModifiersOf(keycode) : 0;
  if (modifier == StrokeModifier::Level3) *mask = keymap_.Level3Mask();
  return keycode;
}

bool X11KeyInjector::HeldByUser(unsigned modifierMask) {
  if (modifierMask == 0) return false;
  char keys[32] = {};
  XQueryKeymap(display_.get(), keys);
  for (int kc = 8; kc < 256; ++kc) {
    if ((keys[kc / 8] & (1 << (kc % 8))) == 0) continue;
    if (pressed_.count(static_cast<KeyCode>(kc)) != 0) continue;
    if (keymap_.ModifiersOf(static_cast<KeyCode>(kc)) & modifierMask) return true;
  }
  return false;
}

void X11KeyInjector::ModifierEvent(StrokeModifier modifier, bool up) {
  unsigned mask = 0;
  const KeyCode keycode = ModifierKey(modifier, &mask);
  if (keycode == 0) return;
  // The core presses a modifier once per character and releases it in
  // reverse order: a modifier the user (or an outer character) already
  // holds is neither pressed nor released here.
  std::vector<bool>& pressedHere = heldStack_[static_cast<int>(modifier)];
  if (!up) {
    const bool press = pressed_.count(keycode) == 0 && !HeldByUser(mask);
    pressedHere.push_back(press);
    if (press) Key(keycode, false);
    return;
  }
  if (pressedHere.empty()) return;
  const bool release = pressedHere.back();
  pressedHere.pop_back();
  if (release) Key(keycode, true);
}

bool X11KeyInjector::CapsLockOn() {
  Bool on = False;
  const Atom caps = XInternAtom(display_.get(), "Caps Lock", False);
  if (XkbGetNamedIndicator(display_.get(), caps, nullptr, &on, nullptr, nullptr)) return on == True;
  keymap_.Update();
  return keymap_.CapsLockOn();
}

bool X11KeyInjector::TypeUnicode(char16_t unit, bool up) {
  if (up) {
    for (auto it = borrowed_.rbegin(); it != borrowed_.rend(); ++it) {
      if (it->first != unit) continue;
      const KeyCode keycode = it->second;
      borrowed_.erase(std::next(it).base());
      Key(keycode, true);
      return true;
    }
    return false;
  }
  const uint32_t sym = KeySymOfUnicode(unit);
  if (sym == 0) return false;
  const KeyCode spare = BorrowSpare(sym);
  if (spare == 0) return false;
  borrowed_.emplace_back(unit, spare);
  Key(spare, false);
  return true;
}

bool X11KeyInjector::SpareInUse(KeyCode keycode) const {
  return pressed_.count(keycode) != 0 ||
         std::any_of(borrowed_.begin(), borrowed_.end(), [&](const auto& b) { return b.second == keycode; }) ||
         std::any_of(named_.begin(), named_.end(), [&](const NamedPress& p) { return p.spare && p.keycode == keycode; });
}

KeyCode X11KeyInjector::BorrowSpare(uint32_t sym) {
  const auto use = [&](size_t i) {
    auto entry = mapped_[i];
    mapped_.erase(mapped_.begin() + static_cast<std::ptrdiff_t>(i));
    mapped_.push_back(entry);
    return entry.first;
  };
  for (size_t i = 0; i < mapped_.size(); ++i)
    if (mapped_[i].second == sym && !SpareInUse(mapped_[i].first)) return use(i);

  // The same keysym on both levels: a Shift the user holds changes nothing.
  KeySym syms[2] = {sym, sym};
  const auto map = [&](KeyCode keycode) {
    return Checked(display_.get(), [&] { XChangeKeyboardMapping(display_.get(), keycode, 2, syms, 1); });
  };
  keymap_.Update();
  for (KeyCode keycode : keymap_.SpareKeycodes()) {
    if (SpareInUse(keycode) ||
        std::any_of(mapped_.begin(), mapped_.end(), [&](const auto& m) { return m.first == keycode; }))
      continue;
    if (map(keycode)) {
      mapped_.emplace_back(keycode, sym);
      return keycode;
    }
  }
  for (size_t i = 0; i < mapped_.size(); ++i) {
    if (SpareInUse(mapped_[i].first)) continue;
    // Its last key may still be on its way through the target's queue.
    XSync(display_.get(), False);
    std::this_thread::sleep_for(std::chrono::milliseconds(restoreDelayMs_));
    if (!map(mapped_[i].first)) return 0;
    mapped_[i].second = sym;
    return use(i);
  }
  return 0;
}

void X11KeyInjector::RestoreSpares() {
  if (mapped_.empty()) return;
  XSync(display_.get(), False);
  std::this_thread::sleep_for(std::chrono::milliseconds(restoreDelayMs_));
  KeySym none = NoSymbol;
  for (const auto& m : mapped_)
    Checked(display_.get(), [&] { XChangeKeyboardMapping(display_.get(), m.first, 1, &none, 1); });
  mapped_.clear();
}

}  // namespace km27
