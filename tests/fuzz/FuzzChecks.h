#pragma once
// Checks shared by the fuzz targets: a failed check stops the run as a
// finding, and the balance of the key events the fake keyboard recorded.
#include <cstdint>
#include <map>
#include <vector>

#include "tests/support/FakeKeyInjector.h"

namespace km27::fuzz {

inline void Check(bool ok) {
  if (!ok) __builtin_trap();
}

// Every key pressed is released: the count of presses of each key never
// stays above its releases (a release of a key not pressed counts nothing).
inline bool KeysBalanced(const std::vector<RecordedKeyEvent>& events) {
  std::map<uint8_t, int> down;
  for (const auto& e : events) {
    int& n = down[e.vk];
    n = e.up ? (n > 0 ? n - 1 : 0) : n + 1;
  }
  for (const auto& [vk, n] : down)
    if (n != 0) return false;
  return true;
}

}  // namespace km27::fuzz
