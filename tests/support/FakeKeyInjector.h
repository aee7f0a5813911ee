#pragma once
// A key injector for tests: answers VkKeyScanA as a US keyboard layout does,
// has a Caps Lock state the test sets, and records every key event. The
// recording can be read as text ("+SHIFT +A -A -SHIFT") or replayed into the
// text an edit control would show after those keystrokes.
//
// While it lives the fake is the injector in force (KeyInjector()); the one
// that was in force before is put back when it is destroyed.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "keyboard/KeyInjector.h"

namespace km27 {

// A Unicode key event is recorded as Windows reports it: VK_PACKET with the
// character.
inline constexpr uint8_t kVkPacket = 0xE7;
struct RecordedKeyEvent {
  uint8_t vk = 0;
  bool up = false;
  char16_t unicode = 0;
  bool operator==(const RecordedKeyEvent&) const = default;
};

// VkKeyScanA of a US layout: 0x20-0x7E have a key (high byte 0x01 when Shift
// is needed), every other byte answers -1 (no key), kana included.
int16_t UsLayoutVkKeyScan(char c);

// "A", "7", "SHIFT", "ENTER", "F10", ... or "0xBA" for keys without a short name;
// a Unicode event as "U+0028".
std::string KeyEventName(uint8_t vk);
// "+SHIFT +A -A -SHIFT": "+" key down, "-" key up, separated by one space.
std::string DescribeKeyEvents(const std::vector<RecordedKeyEvent>& events);

// The text of an edit control that starts empty with the caret at the end,
// after the events (US layout, Num Lock on). Characters come from key-down
// events without Ctrl or Alt held; Caps Lock key-downs toggle Caps Lock.
// Backspace, Delete, Left, Right, Home and End edit and move the caret. A
// multi-line control takes Enter as CR LF and Tab as a tab character; a
// single-line one ignores both.
struct EditReplayOptions {
  bool capsLockOn = false;  // Caps Lock state before the first event
  bool multiLine = true;
};
std::string ReplayIntoEdit(const std::vector<RecordedKeyEvent>& events,
                           const EditReplayOptions& options = {});

class FakeKeyInjector final : public VkKeyScanInjector {
 public:
  explicit FakeKeyInjector(bool capsLockOn = false);
  ~FakeKeyInjector() override;
  FakeKeyInjector(const FakeKeyInjector&) = delete;
  FakeKeyInjector& operator=(const FakeKeyInjector&) = delete;

  void KeyEvent(uint8_t vk, bool up) override;
  int16_t VkKeyScan(char c) override;
  bool CapsLockOn() override;
  void UnicodeEvent(char16_t unit, bool up) override;

  // Takes the keys of these characters off the layout (VkKeyScan answers -1).
  void RemoveKeys(const std::string& chars) { keyless_ += chars; }

  // Sets the toggle state as if the user had switched Caps Lock.
  void SetCapsLock(bool on);

  const std::vector<RecordedKeyEvent>& Events() const { return events_; }
  // The recorded events as "+SHIFT +A -A -SHIFT".
  std::string Describe() const { return DescribeKeyEvents(events_); }
  // What an edit control shows after the recorded events; the Caps Lock
  // state set before (or between) the events is taken into account.
  std::string TypedText(bool multiLine = true) const;
  // Forgets the recorded events; Caps Lock keeps its state.
  void Clear();

 private:
  IKeyInjector* previous_;
  bool capsLock_;
  std::vector<RecordedKeyEvent> events_;
  // Caps Lock changes made by SetCapsLock: (number of events before, state).
  std::vector<std::pair<size_t, bool>> capsChanges_;
  bool capsAtStart_;
  std::string keyless_;
};

}  // namespace km27
