#pragma once
// Thin RAII wrappers for the serial port component: kernel handles and
// critical sections.
#include <windows.h>

namespace km27::win32 {

class CriticalSection {
 public:
  CriticalSection() { InitializeCriticalSection(&cs_); }
  ~CriticalSection() { DeleteCriticalSection(&cs_); }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;
  void Enter() { EnterCriticalSection(&cs_); }
  bool TryEnter() { return TryEnterCriticalSection(&cs_) != FALSE; }
  void Leave() { LeaveCriticalSection(&cs_); }

 private:
  CRITICAL_SECTION cs_;
};

class Locked {
 public:
  explicit Locked(CriticalSection& cs) : cs_(cs) { cs_.Enter(); }
  ~Locked() { cs_.Leave(); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;

 private:
  CriticalSection& cs_;
};

// A kernel handle closed on destruction. Empty is nullptr or INVALID_HANDLE_VALUE.
class OwnedHandle {
 public:
  OwnedHandle() = default;
  explicit OwnedHandle(HANDLE h) : h_(h) {}
  ~OwnedHandle() { Reset(); }
  OwnedHandle(OwnedHandle&& o) noexcept : h_(o.Release()) {}
  OwnedHandle& operator=(OwnedHandle&& o) noexcept {
    if (this != &o) Reset(o.Release());
    return *this;
  }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;

  HANDLE Get() const { return h_; }
  bool Valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
  HANDLE Release() {
    HANDLE h = h_;
    h_ = nullptr;
    return h;
  }
  void Reset(HANDLE h = nullptr) {
    if (Valid()) CloseHandle(h_);
    h_ = h;
  }

 private:
  HANDLE h_ = nullptr;
};

// A second handle to the same object, for a thread that closes its own.
inline HANDLE DuplicateForThread(HANDLE h) {
  HANDLE dup = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), h, GetCurrentProcess(), &dup, 0, FALSE, DUPLICATE_SAME_ACCESS))
    return nullptr;
  return dup;
}

}  // namespace km27::win32
