#pragma once
// The two worker threads of TCommX. They only move bytes and signal: the
// transmit thread writes the blocks it is sent as thread messages, the receive
// thread waits for port events and hands them to the hidden window. Each holds
// its own duplicate of the port handle and frees itself when its loop ends.
#include <windows.h>

#include "device/CommX.h"

namespace km27 {

class TCommX;

// Reads and clears the line errors of port and reports the bits 0x0E to the
// hidden window: sent (the caller waits until it was handled) or posted.
void ReportLineErrors(HANDLE port, HWND window, bool post);

struct TCommTransThread {
  TCommX* owner;
  HANDLE port;           // own duplicate, closed by the thread
  HWND window;           // where line errors are reported
  HANDLE queueReady;     // set once the thread's message queue exists
  volatile LONG abort = 0;       // set by the owner while it clears the output
  volatile LONG terminated = 0;
  volatile LONG charTime = 2;    // ms
  volatile LONG flowCtrl = cfcRtsCts;

  static DWORD WINAPI Execute(LPVOID self);

 private:
  void Run();
  void WriteBlock(const char* data, DWORD size);
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
};

}  // namespace km27
