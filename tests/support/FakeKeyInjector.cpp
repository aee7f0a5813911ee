#include "tests/support/FakeKeyInjector.h"

#include <algorithm>
#include <cstdio>

namespace km27 {

namespace {

constexpr uint8_t kShift = 0x10, kCtrl = 0x11, kAlt = 0x12, kCaps = 0x14;

bool IsShiftKey(uint8_t vk) { return vk == kShift || vk == 0xA0 || vk == 0xA1; }
bool IsCtrlKey(uint8_t vk) { return vk == kCtrl || vk == 0xA2 || vk == 0xA3; }
bool IsAltKey(uint8_t vk) { return vk == kAlt || vk == 0xA4 || vk == 0xA5; }

// The character a US layout gives for a key, or 0.
char UsCharOfKey(uint8_t vk, bool shift, bool caps) {
  if (vk >= 'A' && vk <= 'Z') {
    return (shift != caps) ? static_cast<char>(vk) : static_cast<char>(vk + 0x20);
  }
  if (vk >= 0x60 && vk <= 0x69) return static_cast<char>('0' + vk - 0x60);
  switch (vk) {
    case 0x6A: return '*';
    case 0x6B: return '+';
    case 0x6D: return '-';
    case 0x6E: return '.';
    case 0x6F: return '/';
    default: break;
  }
  for (int c = 0x20; c <= 0x7E; ++c) {
    if (c >= 'A' && c <= 'Z') continue;
    if (c >= 'a' && c <= 'z') continue;
    const int scan = UsLayoutVkKeyScan(static_cast<char>(c));
    if ((scan & 0xFF) == vk && ((scan & 0x100) != 0) == shift) return static_cast<char>(c);
  }
  return 0;
}

class EditModel {
 public:
  explicit EditModel(bool multiLine) : multiLine_(multiLine) {}

  void Insert(const std::string& s) {
    text_.insert(caret_, s);
    caret_ += s.size();
  }
  void Back() {
    if (caret_ == 0) return;
    const size_t n = AtLineBreak(caret_ - 2) ? 2 : 1;
    text_.erase(caret_ - n, n);
    caret_ -= n;
  }
  void Delete() {
    if (caret_ >= text_.size()) return;
    text_.erase(caret_, AtLineBreak(caret_) ? 2 : 1);
  }
  void Left() {
    if (caret_ > 0) caret_ -= AtLineBreak(caret_ - 2) ? 2 : 1;
  }
  void Right() {
    if (caret_ < text_.size()) caret_ += AtLineBreak(caret_) ? 2 : 1;
  }
  void Home() {
    while (caret_ > 0 && !AtLineBreak(caret_ - 2)) --caret_;
  }
  void End() {
    while (caret_ < text_.size() && !AtLineBreak(caret_)) ++caret_;
  }
  bool multiLine() const { return multiLine_; }
  const std::string& text() const { return text_; }

 private:
  // A CR LF pair begins at position pos (pos may be "negative" as size_t wraps).
  bool AtLineBreak(size_t pos) const {
    return multiLine_ && pos < text_.size() && pos + 1 < text_.size() && text_[pos] == '\r' &&
           text_[pos + 1] == '\n';
  }
  bool multiLine_;
  std::string text_;
  size_t caret_ = 0;
};

std::string Replay(const std::vector<RecordedKeyEvent>& events, bool capsAtStart, bool multiLine,
                   const std::vector<std::pair<size_t, bool>>& capsChanges) {
  EditModel edit(multiLine);
  bool caps = capsAtStart;
  int shift = 0, ctrl = 0, alt = 0;
  size_t nextChange = 0;
  for (size_t i = 0; i < events.size(); ++i) {
    while (nextChange < capsChanges.size() && capsChanges[nextChange].first <= i) {
      caps = capsChanges[nextChange++].second;
    }
    const RecordedKeyEvent& e = events[i];
    const int step = e.up ? -1 : 1;
    if (IsShiftKey(e.vk)) {
      shift = std::max(0, shift + step);
      continue;
    }
    if (IsCtrlKey(e.vk)) {
      ctrl = std::max(0, ctrl + step);
      continue;
    }
    if (IsAltKey(e.vk)) {
      alt = std::max(0, alt + step);
      continue;
    }
    if (e.up) continue;
    if (e.unicode != 0) {
      // The character itself: ASCII, or a half-width katakana as its code page 932 byte.
      if (ctrl == 0 && alt == 0 && e.unicode < 0x7F) edit.Insert(std::string(1, static_cast<char>(e.unicode)));
      if (ctrl == 0 && alt == 0 && e.unicode >= 0xFF61 && e.unicode <= 0xFF9F)
        edit.Insert(std::string(1, static_cast<char>(0xA1 + (e.unicode - 0xFF61))));
      continue;
    }
    if (e.vk == kCaps) {
      caps = !caps;
      continue;
    }
    if (alt > 0) continue;
    switch (e.vk) {
      case 0x08: if (ctrl == 0) edit.Back(); continue;
      case 0x2E: edit.Delete(); continue;
      case 0x25: edit.Left(); continue;
      case 0x27: edit.Right(); continue;
      case 0x24: edit.Home(); continue;
      case 0x23: edit.End(); continue;
      case 0x0D:
        if (ctrl == 0 && edit.multiLine()) edit.Insert("\r\n");
        continue;
      case 0x09:
        if (ctrl == 0 && edit.multiLine()) edit.Insert("\t");
        continue;
      default: break;
    }
    if (ctrl > 0) continue;
    if (const char c = UsCharOfKey(e.vk, shift > 0, caps)) edit.Insert(std::string(1, c));
  }
  return edit.text();
}

}  // namespace

int16_t UsLayoutVkKeyScan(char ch) {
  const unsigned char c = static_cast<unsigned char>(ch);
  constexpr int16_t S = 0x100;
  if (c >= 'a' && c <= 'z') return static_cast<int16_t>(c - 0x20);
  if (c >= 'A' && c <= 'Z') return static_cast<int16_t>(S | c);
  if (c >= '0' && c <= '9') return c;
  static const char kShiftedDigits[] = ")!@#$%^&*(";
  for (int d = 0; d < 10; ++d) {
    if (kShiftedDigits[d] == ch) return static_cast<int16_t>(S | ('0' + d));
  }
  struct Oem {
    char plain, shifted;
    uint8_t vk;
  };
  static const Oem kOem[] = {{';', ':', 0xBA}, {'=', '+', 0xBB}, {',', '<', 0xBC}, {'-', '_', 0xBD},
                             {'.', '>', 0xBE}, {'/', '?', 0xBF}, {'`', '~', 0xC0}, {'[', '{', 0xDB},
                             {'\\', '|', 0xDC}, {']', '}', 0xDD}, {'\'', '"', 0xDE}};
  for (const Oem& o : kOem) {
    if (o.plain == ch) return o.vk;
    if (o.shifted == ch) return static_cast<int16_t>(S | o.vk);
  }
  if (c == ' ') return 0x20;
  return -1;
}

std::string KeyEventName(uint8_t vk) {
  if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) return std::string(1, static_cast<char>(vk));
  char buf[8];
  if (vk >= 0x70 && vk <= 0x87) {
    std::snprintf(buf, sizeof buf, "F%d", vk - 0x6F);
    return buf;
  }
  if (vk >= 0x60 && vk <= 0x69) {
    std::snprintf(buf, sizeof buf, "NUM%d", vk - 0x60);
    return buf;
  }
  switch (vk) {
    case 0x08: return "BACK";
    case 0x09: return "TAB";
    case 0x0D: return "ENTER";
    case 0x10: return "SHIFT";
    case 0x11: return "CTRL";
    case 0x12: return "ALT";
    case 0x13: return "PAUSE";
    case 0x14: return "CAPS";
    case 0x15: return "KANA";
    case 0x1B: return "ESC";
    case 0x20: return "SPACE";
    case 0x21: return "PAGEUP";
    case 0x22: return "PAGEDOWN";
    case 0x23: return "END";
    case 0x24: return "HOME";
    case 0x25: return "LEFT";
    case 0x26: return "UP";
    case 0x27: return "RIGHT";
    case 0x28: return "DOWN";
    case 0x2D: return "INSERT";
    case 0x2E: return "DELETE";
    case 0xA0: return "LSHIFT";
    case 0xA1: return "RSHIFT";
    case 0xA2: return "LCTRL";
    case 0xA3: return "RCTRL";
    case 0xA4: return "LALT";
    case 0xA5: return "RALT";
    default: break;
  }
  std::snprintf(buf, sizeof buf, "0x%02X", vk);
  return buf;
}

std::string DescribeKeyEvents(const std::vector<RecordedKeyEvent>& events) {
  std::string out;
  for (const RecordedKeyEvent& e : events) {
    if (!out.empty()) out += ' ';
    out += e.up ? '-' : '+';
    if (e.unicode != 0) {
      char buf[16];
      std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(e.unicode));
      out += buf;
      continue;
    }
    out += KeyEventName(e.vk);
  }
  return out;
}

std::string ReplayIntoEdit(const std::vector<RecordedKeyEvent>& events, const EditReplayOptions& options) {
  return Replay(events, options.capsLockOn, options.multiLine, {});
}

FakeKeyInjector::FakeKeyInjector(bool capsLockOn)
    : previous_(&KeyInjector()), capsLock_(capsLockOn), capsAtStart_(capsLockOn) {
  SetKeyInjector(this);
}

FakeKeyInjector::~FakeKeyInjector() {
  if (&KeyInjector() == this) SetKeyInjector(previous_);
}

void FakeKeyInjector::KeyEvent(uint8_t vk, bool up) {
  events_.push_back({vk, up});
  if (vk == kCaps && !up) capsLock_ = !capsLock_;
}

int16_t FakeKeyInjector::VkKeyScan(char c) {
  return keyless_.find(c) != std::string::npos ? int16_t{-1} : UsLayoutVkKeyScan(c);
}

void FakeKeyInjector::UnicodeEvent(char16_t unit, bool up) { events_.push_back({kVkPacket, up, unit}); }

bool FakeKeyInjector::CapsLockOn() { return capsLock_; }

void FakeKeyInjector::SetCapsLock(bool on) {
  capsLock_ = on;
  if (events_.empty()) {
    capsAtStart_ = on;
  } else {
    capsChanges_.emplace_back(events_.size(), on);
  }
}

std::string FakeKeyInjector::TypedText(bool multiLine) const {
  return Replay(events_, capsAtStart_, multiLine, capsChanges_);
}

void FakeKeyInjector::Clear() {
  events_.clear();
  capsChanges_.clear();
  capsAtStart_ = capsLock_;
}

}  // namespace km27
