#include "device/win32/CommXOpen.h"

#include <new>

namespace km27::win32 {

namespace {

// Shared by the caller and the helper thread, each holding a reference: the
// caller may give up and go while the helper is still inside the driver.
struct PendingOpen {
  enum : LONG { kPending = 0, kOpened = 1, kAbandoned = 2 };
  std::string device;
  CreateFileFn createFile = nullptr;
  HANDLE result = INVALID_HANDLE_VALUE;
  HANDLE done = nullptr;  // set once createFile has returned
  volatile LONG state = kPending;
  volatile LONG refs = 2;

  void Release() {
    if (InterlockedDecrement(&refs) != 0) return;
    if (done) CloseHandle(done);
    delete this;
  }
};

HANDLE OpenNow(CreateFileFn createFile, const char* device) {
  return createFile(device, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
}

DWORD WINAPI OpenThread(LPVOID param) {
  auto* open = static_cast<PendingOpen*>(param);
  HANDLE h = OpenNow(open->createFile, open->device.c_str());
  open->result = h;
  // The caller gave up waiting: nobody takes the port, it is let go at once.
  if (InterlockedCompareExchange(&open->state, PendingOpen::kOpened, PendingOpen::kPending) ==
          PendingOpen::kAbandoned &&
      h != INVALID_HANDLE_VALUE)
    CloseHandle(h);
  SetEvent(open->done);
  open->Release();
  return 0;
}

}  // namespace

HANDLE OpenDeviceBounded(const std::string& device, CreateFileFn createFile, DWORD waitMs, void (*pump)()) {
  auto* open = new (std::nothrow) PendingOpen{};
  HANDLE thread = nullptr;
  if (open) {
    open->device = device;
    open->createFile = createFile;
    open->done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (open->done) thread = CreateThread(nullptr, 0, &OpenThread, open, 0, nullptr);
  }
  if (!thread) {
    // No helper to be had: open on this thread, as a port always was.
    if (open) {
      if (open->done) CloseHandle(open->done);
      delete open;
    }
    return OpenNow(createFile, device.c_str());
  }
  CloseHandle(thread);

  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= waitMs) break;
    const DWORD r = MsgWaitForMultipleObjects(1, &open->done, FALSE, waitMs - elapsed, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0 + 1) {
      if (pump) pump();
      continue;
    }
    break;  // opened, failed, or the time is up
  }
  HANDLE h = INVALID_HANDLE_VALUE;
  // Done (perhaps this very moment): the handle is the caller's. Otherwise the
  // helper is told that nobody waits any more.
  if (InterlockedCompareExchange(&open->state, PendingOpen::kAbandoned, PendingOpen::kPending) ==
      PendingOpen::kOpened)
    h = open->result;
  open->Release();
  return h;
}

}  // namespace km27::win32
