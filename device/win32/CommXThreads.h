#pragma once
// The two worker threads of TCommX. They only move bytes and signal: the
// transmit thread writes the blocks it is sent as thread messages, the receive
// thread waits for port events and hands them to the hidden window. Each holds
// its own duplicate of the port handle and lets go of it when its loop ends.
#include <windows.h>

#include "device/CommX.h"
#include "device/win32/CommXHandles.h"

namespace km27 {

// Private messages of the hidden window.
constexpr UINT CM_COMM_RECEIVE = 0x0500;
constexpr UINT CM_COMM_BREAK = 0x0501;
constexpr UINT CM_COMM_ERROR = 0x0502;
constexpr UINT CM_COMM_FAILED = 0x0503;  // lParam: the open session that failed
// Thread messages of the transmit thread.
constexpr UINT CM_TRANS_BLOCK = 0x0500;  // wParam byte count, lParam block (the thread frees it)
constexpr UINT CM_TRANS_WAKE = 0x0501;

// Reads and clears the line errors of port and reports the bits 0x0E to the
// hidden window: sent (the caller waits until it was handled) or posted.
void ReportLineErrors(HANDLE port, HWND window, bool post);

// The driver calls that end a write before it is done, and the one that
// opens the port. A test plays a driver that ignores the first two (a stuck
// driver, or CTS held low without a time-out) or one that is slow to open or
// never returns from the open.
struct TCommDriverCalls {
  BOOL(WINAPI* purge)(HANDLE, DWORD) = &PurgeComm;
  BOOL(WINAPI* cancel)(HANDLE) = &CancelIo;
  HANDLE(WINAPI* createFile)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE) = &CreateFileA;
};

// Shared by the component and its transmit thread, each holding a reference:
// a thread that does not end in time is left behind with everything it uses.
struct TCommTransThread {
  HANDLE port = nullptr;        // own duplicate, closed by the thread
  HWND window = nullptr;        // where line errors and the failure are posted
  HANDLE queueReady = nullptr;  // set once the thread's message queue exists
  TCommDriverCalls driver;
  LPARAM session = 0;           // told with the failure

  win32::CriticalSection writeLock;    // around each start of a write and each purge of the output
  win32::CriticalSection counterLock;  // pendingBytes and queuedBlocks
  int32_t pendingBytes = 0;
  int32_t queuedBlocks = 0;

  volatile LONG refs = 2;
  volatile LONG abort = 0;  // set by the owner while it clears the output
  volatile LONG terminated = 0;
  volatile LONG stuck = 0;  // a write was left to the driver: nothing more is written
  volatile LONG charTime = 2;  // ms
  volatile LONG flowCtrl = cfcRtsCts;
  volatile LONG timeOutTrans = 3000;  // ms; the driver's write time-out

  static DWORD WINAPI Execute(LPVOID self);
  void Release();
  // The port no longer takes output: told once.
  void Fail();

 private:
  void Run();
  bool WriteBlock(const char* data, DWORD size);
  void SwitchLine(bool raise);
};

struct TCommReceiveThread {
  HANDLE port;  // own duplicate, closed by the thread
  HWND window;
  HANDLE wake;  // auto-reset; also the event of the overlapped wait
  volatile LONG terminated = 0;

  static DWORD WINAPI Execute(LPVOID self);

 private:
  void Run();
  void Send(UINT message, LPARAM lParam);
};

}  // namespace km27
