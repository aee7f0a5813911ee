#pragma once
// TCommX for Windows: the COM port opened for overlapped I/O, a transmit
// thread fed by thread messages (blocks of at most BufLenTrans bytes, at most
// 32 in flight, half-duplex RTS switching) and a receive thread waiting on
// port events. The receive thread hands arrivals, breaks and line errors to a
// hidden window with SendMessage, so OnReceive, OnBreak and OnError run on the
// user-interface thread that created the component, one at a time.
#include <windows.h>

#include "device/CommX.h"
#include "device/win32/CommXHandles.h"
#include "device/win32/CommXThreads.h"

namespace km27 {

class TCommX : public TCustomCommX {
 public:
  TCommX();
  ~TCommX() override;
  TCommX(const TCommX&) = delete;
  TCommX& operator=(const TCommX&) = delete;

  // The port handle; INVALID_HANDLE_VALUE while closed.
  HANDLE Handle() const { return handle_; }
  HWND WindowHandle() const { return window_; }

  bool IsOpen() const override { return handle_ != INVALID_HANDLE_VALUE; }
  void Open() override;
  void Close() override;
  bool Write(const char* data, int32_t length) override;
  int32_t Read(char* buffer, int32_t length) override;
  void ClearTransmit() override;
  bool FlushTransmit(int32_t timeoutMs) override;
  void ClearReceive() override;
  int32_t InCount() override;
  void SetRTS(bool on) override;
  void SetDTR(bool on) override;
  bool CTS() override;
  bool DSR() override;

  // Blocks handed to the transmit thread and bytes of them not yet written.
  int32_t QueuedBlocks();
  int32_t PendingBytes();
  // The receive thread's id while open (0 while closed).
  DWORD ReceiveThreadId() const { return receive_ ? receiveThreadId_ : 0; }
  // How the threads end a write early and how the port is opened; set
  // before Open (tests play a stuck or slow driver).
  TCommDriverCalls driver;
  // How long Open waits for the driver to open the port, with the message
  // loop running: long enough for a USB adapter that takes seconds to wake,
  // short enough that a port whose open never returns (a Bluetooth port
  // with its device away) counts as missing instead of freezing the program.
  static constexpr DWORD kOpenWaitMs = 6000;
  DWORD openWaitMs = kOpenWaitMs;
  // The DCB as last read and modified (for tests of the flag word and limits).
  const DCB& Dcb() const { return dcb_; }

  // The flag word of the DCB for a flow control setting.
  static DWORD FlowFlags(TCommFlowCtrls flow);

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT Notification(UINT msg, WPARAM wParam, LPARAM lParam);

  void FlowCtrlStored() override;
  void TimeOutsStored() override;
  void ApplyBitRate() override;
  void ApplyCharSize() override;
  void ApplyParity() override;
  void ApplyStopBit() override;
  void ApplyFlowCtrl() override;
  void ApplyTimeOuts() override;
  void ApplyXonChar() override;
  void ApplyXoffChar() override;
  void ApplyBuffers() override;
  void CommitDcb(const char* message);
  void StartThreads();
  void StopThreads();
  // Tells OnFailure (once per open), from whichever thread noticed it.
  void ReportFailure();

  HANDLE handle_ = INVALID_HANDLE_VALUE;
  HWND window_ = nullptr;
  DCB dcb_{};
  win32::OwnedHandle readEvent_;
  OVERLAPPED readOverlapped_{};
  LPARAM session_ = 0;            // counts the opens; failures of an earlier one are stale
  bool failureReported_ = false;  // OnFailure was told in this session

  TCommTransThread* trans_ = nullptr;  // one reference, given up in StopThreads
  win32::OwnedHandle transThread_;
  DWORD transThreadId_ = 0;
  TCommReceiveThread* receive_ = nullptr;  // null once told to end
  win32::OwnedHandle receiveThread_;
  DWORD receiveThreadId_ = 0;
  win32::OwnedHandle receiveWake_;
  // A receive thread told to end from inside its own notification: the next
  // Open waits for it to let go of the port.
  win32::OwnedHandle leavingReceiveThread_;
  int delivering_ = 0;  // notifications running on the user-interface thread
  // Open waits for the driver (the message loop runs meanwhile): a second
  // Open is refused, and a Close asked for meanwhile wins.
  bool opening_ = false;
  bool closedWhileOpening_ = false;
};

}  // namespace km27
