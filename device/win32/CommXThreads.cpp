#include "device/win32/CommXThreads.h"

namespace km27 {

namespace {

// A write the driver does not end by its own time-out gets this much longer;
// once cancelled it gets kCancelGraceMs to end before it is left to the driver.
constexpr DWORD kWriteGraceMs = 2000;
constexpr DWORD kCancelGraceMs = 1000;

}  // namespace

// ---- transmit thread ----

DWORD WINAPI TCommTransThread::Execute(LPVOID self) {
  auto* t = static_cast<TCommTransThread*>(self);
  t->Run();
  t->Release();
  return 0;
}

void TCommTransThread::Release() {
  if (InterlockedDecrement(&refs) == 0) delete this;
}

void TCommTransThread::Fail() {
  if (InterlockedExchange(&stuck, 1) == 0) PostMessageA(window, CM_COMM_FAILED, 0, session);
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

// False when the driver kept the write: the block and the overlapped record
// stay with it and must not be freed.
bool TCommTransThread::WriteBlock(const char* data, DWORD size) {
  auto* ov = new OVERLAPPED{};
  ov->hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!ov->hEvent) {
    delete ov;
    return true;
  }
  while (size > 0) {
    ResetEvent(ov->hEvent);
    ov->Offset = ov->OffsetHigh = 0;
    DWORD written = 0;
    BOOL ok;
    {
      win32::Locked lock(writeLock);
      ok = WriteFile(port, data, size, &written, ov);
    }
    if (ok) break;
    if (GetLastError() != ERROR_IO_PENDING) {
      ReportLineErrors(port, window, true);
      break;
    }
    // Waits in slices, so that a purge, Close or a completion whose event
    // went missing (seen under Wine) is noticed. A write that outlives the
    // driver's time-out, or that is to stop, is cancelled; one that does not
    // end even then is left to the driver, and the port counts as failed.
    const DWORD start = GetTickCount();
    const DWORD limit = static_cast<DWORD>(timeOutTrans > 0 ? timeOutTrans : 0) + kWriteGraceMs;
    bool cancelled = false;
    DWORD cancelledAt = 0;
    BOOL done;
    for (;;) {
      WaitForSingleObject(ov->hEvent, 50);
      written = 0;
      done = GetOverlappedResult(port, ov, &written, FALSE);
      if (done || GetLastError() != ERROR_IO_INCOMPLETE) break;
      const DWORD now = GetTickCount();
      if (!cancelled && (abort || terminated || now - start >= limit)) {
        driver.cancel(port);
        cancelled = true;
        cancelledAt = now;
      } else if (cancelled && now - cancelledAt >= kCancelGraceMs) {
        Fail();
        return false;
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
  CloseHandle(ov->hEvent);
  delete ov;
  return true;
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
      bool release = true;
      // Once a write was left to the driver the port takes nothing more:
      // later blocks are only counted off.
      if (!abort && !terminated && !stuck) {
        if (!lineRaised) {
          lineRaised = true;
          SwitchLine(true);
        }
        release = WriteBlock(block, size);
      }
      if (release) delete[] block;
      win32::Locked lock(counterLock);
      pendingBytes -= static_cast<int32_t>(size);
      if (pendingBytes < 0) pendingBytes = 0;
      if (queuedBlocks > 0) --queuedBlocks;
    }
    if (lineRaised && !stuck) SwitchLine(false);
  }
  // Blocks still queued belong to this thread: free them.
  while (PeekMessageA(&msg, nullptr, CM_TRANS_BLOCK, CM_TRANS_BLOCK, PM_REMOVE)) {
    if (msg.hwnd == nullptr) delete[] reinterpret_cast<char*>(msg.lParam);
  }
  // A write left to the driver ends when the last handle of the port closes.
  CloseHandle(port);
  Sleep(100);
}

// ---- receive thread ----

DWORD WINAPI TCommReceiveThread::Execute(LPVOID self) {
  auto* t = static_cast<TCommReceiveThread*>(self);
  t->Run();
  delete t;
  return 0;
}

namespace {

// How often a pending event wait also looks at the input queue itself: a
// safety net, rarely, while the wait reports what arrives; often, for the rest
// of the open, once the wait left bytes unreported (under Wine it was seen to
// stay silent for seconds with a read in the queue, see docs/performance.md).
constexpr DWORD kSafetyLookMs = 3000;
constexpr DWORD kMissedLookMs = 50;
// How long a look that found bytes gives the wait to report them.
constexpr DWORD kLateEventMs = 500;

// The overlapped record of the event wait and the mask it fills in. On the
// heap: a wait that the driver never ends (seen under Wine after CancelIo)
// keeps it, and it is then left behind rather than freed under the driver.
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
  DWORD lookMs = kSafetyLookMs;
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
        DWORD r = WaitForSingleObject(wake, lookMs);
        if (terminated) break;
        bool seen = false;  // bytes the look found
        if (r != WAIT_OBJECT_0) {
          DWORD e = 0;
          COMSTAT stat{};
          if (!ClearCommError(port, &e, &stat)) continue;
          errors |= e & kCommLineErrors;
          seen = stat.cbInQue > 0;
          if (!seen && !errors) continue;
          // The wait may report them a moment later (under Wine up to a few
          // hundred milliseconds after they are in the queue); one that stays
          // silent missed them: handled as if it had reported them, and from
          // now on the look comes often. The wait stays pending and is not
          // started again (setting the mask again did not end it under Wine).
          if (lookMs == kMissedLookMs || WaitForSingleObject(wake, kLateEventMs) != WAIT_OBJECT_0) {
            lookMs = kMissedLookMs;
            if (seen) events |= EV_RXCHAR;
            break;
          }
          if (terminated) break;
        }
        DWORD unused = 0;
        if (GetOverlappedResult(port, &ov, &unused, FALSE)) {
          pending = false;
          events |= wait->mask;
          break;
        }
        if (GetLastError() == ERROR_IO_INCOMPLETE) {
          // Woken by a wait that had completed at once: keep waiting, unless
          // the look found something.
          if (!seen && !errors) continue;
          if (seen) events |= EV_RXCHAR;
          break;
        }
        pending = false;
        failed = true;
        break;
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
    // Bytes waiting are handed on whatever woke the thread: a wait that
    // fails at once (seen under Wine with a read in the queue) reports none.
    if (ClearCommError(port, &e, &stat) && stat.cbInQue > 0) events |= EV_RXCHAR;
    errors |= e & kCommLineErrors;
    if (errors) Send(CM_COMM_ERROR, static_cast<LPARAM>(errors));
    if (events & EV_BREAK) Send(CM_COMM_BREAK, static_cast<LPARAM>(events));
    if (events & EV_RXCHAR) Send(CM_COMM_RECEIVE, 0);
  }
  // An empty mask ends a wait still pending; the overlapped record must
  // outlive it.
  SetCommMask(port, 0);
  if (pending) {
    CancelIo(port);
    for (int i = 0; i < 50 && !HasOverlappedIoCompleted(&ov); ++i) WaitForSingleObject(wake, 10);
  }
  if (!pending || HasOverlappedIoCompleted(&ov)) delete wait;
  // The port first: a Close inside a notification opens it again at once.
  CloseHandle(port);
  Sleep(100);
  CloseHandle(wake);
}

void TCommReceiveThread::Send(UINT message, LPARAM lParam) {
  // Told to end (possibly by the very notification before): nothing more.
  if (!terminated) SendMessageA(window, message, 0, lParam);
}

}  // namespace km27
