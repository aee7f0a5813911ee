#include "device/win32/CommXThreads.h"

#include "device/win32/CommX.h"

namespace km27 {

// ---- transmit thread ----

DWORD WINAPI TCommTransThread::Execute(LPVOID self) {
  auto* t = static_cast<TCommTransThread*>(self);
  t->Run();
  delete t;
  return 0;
}

void TCommTransThread::SwitchLine(bool raise) {
  LONG flow = flowCtrl;
  if (flow != cfcHalfHigh && flow != cfcHalfLow) return;
  if (raise) {
    Sleep(50);
    EscapeCommFunction(port, flow == cfcHalfHigh ? SETRTS : CLRRTS);
    Sleep(static_cast<DWORD>(charTime));
  } else {
    Sleep(static_cast<DWORD>(charTime));
    EscapeCommFunction(port, flow == cfcHalfHigh ? CLRRTS : SETRTS);
  }
}

void TCommTransThread::WriteBlock(const char* data, DWORD size) {
  OVERLAPPED ov{};
  ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!ov.hEvent) return;
  while (size > 0) {
    ResetEvent(ov.hEvent);
    ov.Offset = ov.OffsetHigh = 0;
    DWORD written = 0;
    BOOL ok;
    {
      win32::Locked lock(owner->writeLock_);
      ok = WriteFile(port, data, size, &written, &ov);
    }
    if (ok) break;
    if (GetLastError() != ERROR_IO_PENDING) {
      ReportLineErrors(port, window, true);
      break;
    }
    // Waits in slices: a purge or Close cancels the write instead of waiting
    // for a port that no longer takes anything, and a completion whose event
    // went missing (seen under Wine) is still noticed.
    BOOL done;
    for (;;) {
      WaitForSingleObject(ov.hEvent, 50);
      written = 0;
      done = GetOverlappedResult(port, &ov, &written, FALSE);
      if (done || GetLastError() != ERROR_IO_INCOMPLETE) break;
      if (abort || terminated) {
        CancelIo(port);
        WaitForSingleObject(ov.hEvent, 1000);
      }
    }
    if (done) break;
    ReportLineErrors(port, window, true);
    // The rest goes again only when the failed write got some bytes out: a
    // port that takes nothing any more (unplugged) would otherwise be
    // written to for ever.
    if (written == 0 || written >= size || abort || terminated) break;
    data += written;
    size -= written;
  }
  CloseHandle(ov.hEvent);
}

void TCommTransThread::Run() {
  MSG msg;
  PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // creates the queue
  SetEvent(queueReady);
  while (!terminated) {
    bool lineRaised = false;
    WaitMessage();
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.hwnd != nullptr || msg.message != CM_TRANS_BLOCK) continue;
      char* block = reinterpret_cast<char*>(msg.lParam);
      DWORD size = static_cast<DWORD>(msg.wParam);
      if (!abort && !terminated) {
        if (!lineRaised) {
          lineRaised = true;
          SwitchLine(true);
        }
        WriteBlock(block, size);
      }
      delete[] block;
      win32::Locked lock(owner->counterLock_);
      owner->pendingBytes_ -= static_cast<int32_t>(size);
      if (owner->pendingBytes_ < 0) owner->pendingBytes_ = 0;
      if (owner->queuedBlocks_ > 0) --owner->queuedBlocks_;
    }
    if (lineRaised) SwitchLine(false);
  }
  // Blocks still queued belong to this thread: free them.
  while (PeekMessageA(&msg, nullptr, CM_TRANS_BLOCK, CM_TRANS_BLOCK, PM_REMOVE)) {
    if (msg.hwnd == nullptr) delete[] reinterpret_cast<char*>(msg.lParam);
  }
  Sleep(100);
  CloseHandle(port);
}

// ---- receive thread ----

DWORD WINAPI TCommReceiveThread::Execute(LPVOID self) {
  auto* t = static_cast<TCommReceiveThread*>(self);
  t->Run();
  delete t;
  return 0;
}

namespace {

// The overlapped record of the event wait and the mask it fills in. On the
// heap: a wait that the driver never ends (seen under Wine after CancelIo)
// keeps it, and it is then left behind rather than freed under the driver.
// How often a pending event wait also looks at the input queue itself.
constexpr DWORD kBackupPollMs = 50;

struct EventWait {
  OVERLAPPED ov{};
  DWORD mask = 0;
};

}  // namespace

void TCommReceiveThread::Run() {
  auto* wait = new EventWait;
  OVERLAPPED& ov = wait->ov;
  ov.hEvent = wake;
  bool pending = false;
  while (!terminated) {
    DWORD events = 0;
    DWORD errors = 0;
    bool failed = false;
    if (!pending) {
      wait->mask = 0;
      if (WaitCommEvent(port, &wait->mask, &ov)) events = wait->mask;
      else if (GetLastError() == ERROR_IO_PENDING) pending = true;
      else failed = true;
    }
    if (pending) {
      for (;;) {
        DWORD r = WaitForSingleObject(wake, kBackupPollMs);
        if (terminated) break;
        if (r == WAIT_OBJECT_0) {
          DWORD unused = 0;
          if (GetOverlappedResult(port, &ov, &unused, FALSE)) {
            pending = false;
            events = wait->mask;
            break;
          }
          // Woken by a wait that had completed at once: keep waiting.
          if (GetLastError() == ERROR_IO_INCOMPLETE) continue;
          pending = false;
          failed = true;
          break;
        }
        // Bytes or line errors that the pending wait did not report (Wine
        // was seen to miss some): handled as if it had. The wait stays
        // pending and is not started again.
        DWORD e = 0;
        COMSTAT stat{};
        if (ClearCommError(port, &e, &stat)) {
          errors |= e & kCommLineErrors;
          if (stat.cbInQue > 0) events |= EV_RXCHAR;
          if (events || errors) break;
        }
      }
      if (terminated) break;
    }
    if (failed) {
      // The port fails (unplugged): pause instead of spinning on a wait
      // that fails at once; Close still wakes the thread at once.
      WaitForSingleObject(wake, 100);
      if (terminated) break;
    }
    DWORD e = 0;
    COMSTAT stat{};
    ClearCommError(port, &e, &stat);
    errors |= e & kCommLineErrors;
    if (errors) SendMessageA(window, CM_COMM_ERROR, 0, static_cast<LPARAM>(errors));
    if (events & EV_BREAK) SendMessageA(window, CM_COMM_BREAK, 0, static_cast<LPARAM>(events));
    if (events & EV_RXCHAR) SendMessageA(window, CM_COMM_RECEIVE, 0, 0);
  }
  // An empty mask ends a wait still pending; the overlapped record must
  // outlive it.
  SetCommMask(port, 0);
  if (pending) {
    CancelIo(port);
    for (int i = 0; i < 50 && !HasOverlappedIoCompleted(&ov); ++i) WaitForSingleObject(wake, 10);
  }
  if (!pending || HasOverlappedIoCompleted(&ov)) delete wait;
  Sleep(100);
  CloseHandle(wake);
  CloseHandle(port);
}

}  // namespace km27
