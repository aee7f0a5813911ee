#include "device/win32/CommX.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>
#include <string>

#include "device/win32/CommXOpen.h"
#include "device/win32/CommXThreads.h"
#include "ui/Application.h"

namespace km27 {

namespace msg = commx_messages;

namespace {

const char kWindowClass[] = "TCommXNotify";

// Runs the user-interface message loop once while an operation waits.
void PumpOnce() {
  if (ui::IApplication* app = ui::AppOrNull()) {
    app->ProcessMessages();
    return;
  }
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
}

// How long Close waits for a worker thread to end, and ClearTransmit for the
// output to empty; a thread that takes longer is left to end on its own.
constexpr DWORD kThreadEndMs = 3000;
constexpr DWORD kClearTransmitMs = 3000;
// How long Write waits for the transmit queue to move before the port counts as failed.
constexpr DWORD kQueueStallGraceMs = 5000;

// Waits at most ms for a thread to end while letting through the messages it
// may be sending to this thread's windows (notifications that now find the
// port closed). True when it ended.
bool WaitForThread(HANDLE thread, DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= ms) return false;
    DWORD r = MsgWaitForMultipleObjects(1, &thread, FALSE, ms - elapsed, QS_SENDMESSAGE);
    if (r == WAIT_OBJECT_0) return true;
    if (r != WAIT_OBJECT_0 + 1) return false;
    MSG m;
    PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

}  // namespace

std::unique_ptr<TCustomCommX> CreateCommX() { return std::make_unique<TCommX>(); }

// ---- construction and the hidden window ----

TCommX::TCommX() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA wc{};
  if (!GetClassInfoA(instance, kWindowClass, &wc)) {
    wc.lpfnWndProc = &TCommX::WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = kWindowClass;
    RegisterClassA(&wc);
  }
  window_ = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
  if (window_) SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TCommX::~TCommX() {
  try {
    Close();
  } catch (...) {
  }
  if (window_) {
    SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
}

LRESULT CALLBACK TCommX::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message >= CM_COMM_RECEIVE && message <= CM_COMM_FAILED) {
    auto* self = reinterpret_cast<TCommX*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self) return self->Notification(message, wParam, lParam);
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT TCommX::Notification(UINT message, WPARAM, LPARAM lParam) {
  ++delivering_;
  struct Leave {
    int& n;
    ~Leave() { --n; }
  } leave{delivering_};
  if (!IsOpen()) return 0;
  if (message == CM_COMM_FAILED) {
    // Once per open, and never for a session that has ended since.
    if (lParam != session_ || failureReported_) return 0;
    failureReported_ = true;
    if (OnFailure) OnFailure(*this);
  } else if (message == CM_COMM_RECEIVE) {
    if (!OnReceive) return 0;
    int32_t n = InCount();
    if (n != 0) OnReceive(*this, n);
  } else if (message == CM_COMM_BREAK) {
    if (OnBreak) OnBreak(*this);
  } else if (OnError) {
    OnError(*this, static_cast<uint32_t>(lParam) & kCommLineErrors);
  }
  return 0;
}

// ---- setters ----

// The transmit thread switches the line itself in the half-duplex modes.
void TCommX::FlowCtrlStored() {
  if (trans_) trans_->flowCtrl = flowCtrl_;
}

// The transmit thread bounds its waits by the write time-out.
void TCommX::TimeOutsStored() {
  if (trans_) trans_->timeOutTrans = timeOutTrans_;
}

DWORD TCommX::FlowFlags(TCommFlowCtrls flow) {
  switch (flow) {
    case cfcRtsCts: return 0x2017;    // binary, parity, CTS out-flow, DTR enable, RTS handshake
    case cfcDtrDsr: return 0x102B;    // binary, parity, DSR out-flow, DTR handshake, RTS enable
    case cfcXonXoff: return 0x1313;   // binary, parity, DTR enable, XON/XOFF out and in, RTS enable
    case cfcHalfHigh: return 0x0013;  // binary, parity, DTR enable, RTS disable (the thread drives it)
    default: return 0x1013;           // binary, parity, DTR enable, RTS enable
  }
}

void TCommX::CommitDcb(const char* message) {
  if (!SetCommState(handle_, &dcb_)) {
    GetCommState(handle_, &dcb_);  // keep the record in step with the driver
    throw ECommError(message);
  }
}

void TCommX::ApplyBitRate() {
  dcb_.BaudRate = static_cast<DWORD>(bitRate_);
  CommitDcb(msg::kBitRate);
  if (trans_) trans_->charTime = CharacterTime(bitRate_);
}

void TCommX::ApplyCharSize() {
  dcb_.ByteSize = static_cast<BYTE>(charSize_);
  CommitDcb(msg::kCharSize);
}

void TCommX::ApplyParity() {
  dcb_.Parity = static_cast<BYTE>(parity_);  // none 0, odd 1, even 2
  CommitDcb(msg::kParity);
}

void TCommX::ApplyStopBit() {
  dcb_.StopBits = static_cast<BYTE>(stopBit_);  // one 0, one and a half 1, two 2
  CommitDcb(msg::kStopBit);
}

void TCommX::ApplyFlowCtrl() {
  // The whole flag word is replaced; it follows BaudRate in the DCB.
  DWORD flags = FlowFlags(flowCtrl_);
  std::memcpy(reinterpret_cast<char*>(&dcb_) + offsetof(DCB, BaudRate) + sizeof(DWORD), &flags, sizeof flags);
  WORD limit = static_cast<WORD>(std::max<int32_t>(0, bufLenReceive_) / 4);
  dcb_.XonLim = limit;
  dcb_.XoffLim = limit;
  CommitDcb(msg::kFlowCtrl);
}

void TCommX::ApplyTimeOuts() {
  COMMTIMEOUTS t{};
  t.ReadIntervalTimeout = MAXDWORD;
  t.ReadTotalTimeoutMultiplier = 0;
  t.ReadTotalTimeoutConstant = static_cast<DWORD>(timeOutReceive_);
  t.WriteTotalTimeoutMultiplier = 0;
  t.WriteTotalTimeoutConstant = static_cast<DWORD>(timeOutTrans_);
  if (!SetCommTimeouts(handle_, &t)) throw ECommError(msg::kTimeOut);
}

void TCommX::ApplyXonChar() {
  dcb_.XonChar = static_cast<char>(xonChar_);
  CommitDcb(msg::kXonChar);
}

void TCommX::ApplyXoffChar() {
  dcb_.XoffChar = static_cast<char>(xoffChar_);
  CommitDcb(msg::kXoffChar);
}

void TCommX::ApplyBuffers() {
  if (bufLenReceive_ < 1 || bufLenTrans_ < 1 ||
      !SetupComm(handle_, static_cast<DWORD>(bufLenReceive_), static_cast<DWORD>(bufLenTrans_)))
    throw ECommError(msg::kBuffer);
}

// ---- open and close ----

void TCommX::Open() {
  if (IsOpen() || opening_) throw ECommError(msg::kOpen);
  // Closed from inside a notification: the receive thread lets go of its
  // handle of the port once released from it.
  if (leavingReceiveThread_.Valid()) {
    WaitForThread(leavingReceiveThread_.Get(), kThreadEndMs);
    leavingReceiveThread_.Reset();
  }
  std::string name = "\\\\.\\COM" + std::to_string(portNo_);
  HANDLE h = INVALID_HANDLE_VALUE;
  {
    struct Opening {
      bool& flag;
      explicit Opening(bool& f) : flag(f) { flag = true; }
      ~Opening() { flag = false; }
    } opening(opening_);
    closedWhileOpening_ = false;
    h = win32::OpenDeviceBounded(name, driver.createFile, openWaitMs, &PumpOnce);
  }
  if (h != INVALID_HANDLE_VALUE && closedWhileOpening_) {
    CloseHandle(h);
    h = INVALID_HANDLE_VALUE;
  }
  if (h == INVALID_HANDLE_VALUE) throw ECommError(msg::kOpen);
  handle_ = h;
  ++session_;
  failureReported_ = false;
  try {
    ApplyBuffers();
    PurgeComm(handle_, PURGE_TXABORT | PURGE_TXCLEAR);
    PurgeComm(handle_, PURGE_RXABORT | PURGE_RXCLEAR);
    dcb_ = DCB{};
    dcb_.DCBlength = sizeof(DCB);
    if (!GetCommState(handle_, &dcb_)) throw ECommError(msg::kOpen);
    ApplyBitRate();
    ApplyCharSize();
    ApplyParity();
    ApplyStopBit();
    ApplyFlowCtrl();
    ApplyTimeOuts();
    ApplyXonChar();
    ApplyXoffChar();
    SetCommMask(handle_, EV_RXCHAR | EV_BREAK | EV_ERR);
    readEvent_.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    StartThreads();
    Sleep(100);
  } catch (...) {
    Close();
    throw;
  }
}

void TCommX::StartThreads() {
  auto* trans = new (std::nothrow) TCommTransThread{};
  HANDLE transPort = win32::DuplicateForThread(handle_);
  win32::OwnedHandle ready(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  HANDLE th = nullptr;
  DWORD tid = 0;
  if (trans && transPort && ready.Valid()) {
    trans->port = transPort;
    trans->window = window_;
    trans->queueReady = ready.Get();
    trans->driver = driver;
    trans->session = session_;
    trans->flowCtrl = flowCtrl_;
    trans->timeOutTrans = timeOutTrans_;
    th = CreateThread(nullptr, 0, &TCommTransThread::Execute, trans, CREATE_SUSPENDED, &tid);
  }
  if (!th) {
    delete trans;
    if (transPort) CloseHandle(transPort);
    throw ECommError(msg::kTransThread);
  }
  trans->charTime = CharacterTime(bitRate_);
  trans_ = trans;
  transThread_.Reset(th);
  transThreadId_ = tid;
  ResumeThread(th);
  // Blocks can be posted only once the thread has its message queue.
  HANDLE waitFor[2] = {ready.Get(), th};
  WaitForMultipleObjects(2, waitFor, FALSE, 5000);

  auto* receive = new (std::nothrow) TCommReceiveThread{};
  HANDLE receivePort = win32::DuplicateForThread(handle_);
  HANDLE wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  HANDLE wakeForOwner = wake ? win32::DuplicateForThread(wake) : nullptr;
  HANDLE rh = nullptr;
  if (receive && receivePort && wake && wakeForOwner) {
    receive->port = receivePort;
    receive->window = window_;
    receive->wake = wake;
    rh = CreateThread(nullptr, 0, &TCommReceiveThread::Execute, receive, CREATE_SUSPENDED, &receiveThreadId_);
  }
  if (!rh) {
    delete receive;
    for (HANDLE h : {receivePort, wake, wakeForOwner})
      if (h) CloseHandle(h);
    throw ECommError(msg::kReceiveThread);
  }
  receive_ = receive;
  receiveThread_.Reset(rh);
  receiveWake_.Reset(wakeForOwner);
  ResumeThread(rh);
}

void TCommX::StopThreads() {
  if (trans_) {
    InterlockedExchange(&trans_->terminated, 1);
    PostThreadMessageA(transThreadId_, CM_TRANS_WAKE, 0, 0);
    // It never waits for this thread, so it can be waited for; one that does
    // not end in time keeps what it shares with this component.
    WaitForSingleObject(transThread_.Get(), kThreadEndMs);
    trans_->Release();
    trans_ = nullptr;
  }
  transThread_.Reset();
  transThreadId_ = 0;
  if (receive_) {
    InterlockedExchange(&receive_->terminated, 1);
    receive_ = nullptr;  // frees itself once it sees the flag
    SetEvent(receiveWake_.Get());
    if (delivering_ == 0) {
      WaitForThread(receiveThread_.Get(), kThreadEndMs);
    } else {
      // Inside one of its notifications the thread waits for this very call
      // to return. Released now, it ends and lets go of the port, so that an
      // Open right after (the reader check's reopen) finds the port free.
      if (InSendMessage()) ReplyMessage(0);
      leavingReceiveThread_ = std::move(receiveThread_);
    }
  }
  receiveThread_.Reset();
  receiveWake_.Reset();
}

void TCommX::ReportFailure() {
  if (trans_) InterlockedExchange(&trans_->stuck, 1);
  PostMessageA(window_, CM_COMM_FAILED, 0, session_);
}

void TCommX::Close() {
  if (opening_) closedWhileOpening_ = true;
  if (!IsOpen()) return;
  EscapeCommFunction(handle_, CLRDTR);
  EscapeCommFunction(handle_, CLRRTS);
  ClearTransmit();
  ClearReceive();
  Sleep(100);
  HANDLE h = handle_;
  handle_ = INVALID_HANDLE_VALUE;  // notifications still on their way find the port closed
  StopThreads();
  readEvent_.Reset();
  CloseHandle(h);
  Sleep(200);
}

// ---- transmit ----

bool TCommX::Write(const char* data, int32_t length) {
  if (length <= 0) return length == 0;
  if (!data) return false;
  int32_t done = 0;
  int32_t lastQueued = -1;
  DWORD stalledSince = 0;
  while (done < length) {
    if (!IsOpen() || !trans_) return false;
    int32_t queued;
    {
      win32::Locked lock(trans_->counterLock);
      queued = trans_->queuedBlocks;
    }
    if (queued > 31) {
      // A queue that does not move at all is a port that takes nothing.
      if (queued != lastQueued) {
        lastQueued = queued;
        stalledSince = GetTickCount();
      } else if (GetTickCount() - stalledSince >= static_cast<DWORD>(std::max(timeOutTrans_, 0)) + kQueueStallGraceMs) {
        ReportFailure();
        return false;
      }
      PumpOnce();
      Sleep(1);
      continue;
    }
    // A block size below 1 would never finish the loop.
    int32_t chunk = std::min(bufLenTrans_ > 0 ? bufLenTrans_ : 2048, length - done);
    char* block = new (std::nothrow) char[static_cast<size_t>(chunk)];
    if (!block) return false;  // the caller learns that not everything was queued
    std::memcpy(block, data + done, static_cast<size_t>(chunk));
    {
      win32::Locked lock(trans_->counterLock);
      trans_->pendingBytes += chunk;
      ++trans_->queuedBlocks;
    }
    if (!PostThreadMessageA(transThreadId_, CM_TRANS_BLOCK, static_cast<WPARAM>(chunk),
                            reinterpret_cast<LPARAM>(block))) {
      delete[] block;
      win32::Locked lock(trans_->counterLock);
      trans_->pendingBytes -= chunk;
      --trans_->queuedBlocks;
      return false;
    }
    done += chunk;
  }
  return true;
}

void TCommX::ClearTransmit() {
  if (!IsOpen()) return;
  if (!trans_) {
    driver.purge(handle_, PURGE_TXABORT | PURGE_TXCLEAR);
    return;
  }
  InterlockedExchange(&trans_->abort, 1);
  // The transmit thread gives up a write the driver keeps within its own
  // bounds; this wait is bounded all the same (a thread stuck in the driver).
  const DWORD start = GetTickCount();
  for (;;) {
    if (trans_->writeLock.TryEnter()) {
      driver.purge(handle_, PURGE_TXABORT | PURGE_TXCLEAR);
      trans_->writeLock.Leave();
    }
    Sleep(1);
    if (PendingBytes() == 0) break;
    if (GetTickCount() - start >= kClearTransmitMs) {
      ReportFailure();
      break;
    }
  }
  InterlockedExchange(&trans_->abort, 0);
}

bool TCommX::FlushTransmit(int32_t timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (!IsOpen()) return true;
    // Written by the thread is not yet sent: the driver may still hold the bytes.
    DWORD errors = 0;
    COMSTAT stat{};
    const bool driverEmpty = !ClearCommError(handle_, &errors, &stat) || stat.cbOutQue == 0;
    if (PendingBytes() == 0 && driverEmpty) return true;
    if (timeoutMs <= 0 || GetTickCount() - start >= static_cast<DWORD>(timeoutMs)) return false;
    Sleep(1);
  }
}

int32_t TCommX::QueuedBlocks() {
  if (!trans_) return 0;
  win32::Locked lock(trans_->counterLock);
  return trans_->queuedBlocks;
}

int32_t TCommX::PendingBytes() {
  if (!trans_) return 0;
  win32::Locked lock(trans_->counterLock);
  return trans_->pendingBytes;
}

// ---- receive ----

void ReportLineErrors(HANDLE port, HWND window, bool post) {
  DWORD errors = 0;
  COMSTAT stat{};
  if (!ClearCommError(port, &errors, &stat)) return;
  errors &= kCommLineErrors;
  if (!errors || !window) return;
  // The transmit thread posts: the user-interface thread may be waiting for
  // it in ClearTransmit and would never take a sent message.
  if (post) PostMessageA(window, CM_COMM_ERROR, 0, static_cast<LPARAM>(errors));
  else SendMessageA(window, CM_COMM_ERROR, 0, static_cast<LPARAM>(errors));
}

int32_t TCommX::Read(char* buffer, int32_t length) {
  if (!IsOpen() || !receive_ || !buffer || length < 0) return -1;
  const LPARAM session = session_;
  readOverlapped_ = OVERLAPPED{};
  readOverlapped_.hEvent = readEvent_.Get();
  DWORD n = 0;
  if (ReadFile(handle_, buffer, static_cast<DWORD>(length), &n, &readOverlapped_)) return static_cast<int32_t>(n);
  if (GetLastError() == ERROR_IO_PENDING) {
    for (;;) {
      n = 0;
      if (GetOverlappedResult(handle_, &readOverlapped_, &n, FALSE)) return static_cast<int32_t>(n);
      if (GetLastError() != ERROR_IO_INCOMPLETE) break;
      PumpOnce();
      Sleep(1);
      // Closed meanwhile, or closed and opened again: this read is gone with its port.
      if (!IsOpen() || !receive_ || session_ != session) return -1;
    }
  }
  ReportLineErrors(handle_, window_, false);
  return -1;
}

void TCommX::ClearReceive() {
  if (IsOpen()) PurgeComm(handle_, PURGE_RXABORT | PURGE_RXCLEAR);
}

int32_t TCommX::InCount() {
  if (!IsOpen()) return 0;
  DWORD errors = 0;
  COMSTAT stat{};
  if (!ClearCommError(handle_, &errors, &stat)) return 0;
  return static_cast<int32_t>(stat.cbInQue);
}

// ---- modem lines ----

void TCommX::SetRTS(bool on) {
  if (IsOpen()) EscapeCommFunction(handle_, on ? SETRTS : CLRRTS);
}

void TCommX::SetDTR(bool on) {
  if (IsOpen()) EscapeCommFunction(handle_, on ? SETDTR : CLRDTR);
}

bool TCommX::CTS() {
  DWORD status = 0;
  return IsOpen() && GetCommModemStatus(handle_, &status) && (status & MS_CTS_ON) != 0;
}

bool TCommX::DSR() {
  DWORD status = 0;
  return IsOpen() && GetCommModemStatus(handle_, &status) && (status & MS_DSR_ON) != 0;
}

}  // namespace km27
