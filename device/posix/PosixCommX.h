#pragma once
// TCommX over a POSIX terminal device, for running the protocol engine
// natively: termios in raw mode, a transmit thread fed with blocks of at most
// BufLenTrans bytes (at most 32 in flight) and a receive thread that reads
// the line and hands every arrival, break and line error synchronously to the
// user-interface thread (ui::App().SendSync).
//
// COMn is the device the installed serial device map names for it, else
// "<directory>/COMn", normally a link to a serial device or to a
// pseudo-terminal (the reader simulator makes one). Modem lines that
// the device does not have (a pseudo-terminal has none) read as off.
#include <termios.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "device/CommX.h"

namespace km27 {

// The directory of COMn links; by default $KM27_SERIAL_DIR, else /dev.
void SetSerialDeviceDirectory(const std::string& directory);
std::string SerialDeviceDirectory();
// What a user who may not open `path` (errno `error`) is told: the device,
// the system's reason, and the group to join before logging in again.
std::string PortAccessAdvice(const std::string& path, int error);
std::string SerialDevicePath(int32_t portNo);

namespace posix_comm {
struct ReceiveSession;
}

class TCommX : public TCustomCommX {
 public:
  TCommX();
  ~TCommX() override;
  TCommX(const TCommX&) = delete;
  TCommX& operator=(const TCommX&) = delete;

  // The port's file descriptor; -1 while closed.
  int Handle() const { return fd_; }

  bool IsOpen() const override { return fd_ >= 0; }
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

 private:
  struct Block {
    std::unique_ptr<char[]> data;
    size_t size;
  };

  // Open-port paths of the setters.
  void FlowCtrlStored() override;
  void TimeOutsStored() override;
  void ApplyBitRate() override;
  void ApplyCharSize() override;
  void ApplyParity() override;
  void ApplyStopBit() override;
  void ApplyFlowCtrl() override;
  void ApplyXonChar() override;
  void ApplyXoffChar() override;
  void ApplyBuffers() override;
  void Commit(const char* message);

  void StartThreads();
  void TransmitLoop();
  void WriteBlock(const Block& block);
  void SetModemLine(int line, bool on);
  void Deliver(int kind, uint32_t bits);

  int fd_ = -1;
  bool pseudoTerminal_ = false;
  termios tio_{};

  // Transmit side: the thread's queue stands for its message queue.
  std::thread transmitThread_;
  std::mutex queueMutex_;
  std::condition_variable queueCv_;
  std::deque<Block> queue_;
  std::atomic<bool> transmitTerminated_{false};
  std::atomic<bool> abort_{false};
  std::atomic<int32_t> charTime_{2};
  std::atomic<int> flowForThread_{cfcRtsCts};
  std::atomic<int32_t> timeOutTransForThread_{3000};
  std::mutex writeLock_;    // around each write and each output purge
  std::mutex counterLock_;  // pendingBytes_ and queuedBlocks_
  int64_t pendingBytes_ = 0;
  int32_t queuedBlocks_ = 0;

  // Receive side: shared with the receive thread, which may outlive a Close
  // that runs inside one of its own notifications.
  std::shared_ptr<posix_comm::ReceiveSession> receive_;
  std::thread receiveThread_;
  int delivering_ = 0;  // notifications running on the user-interface thread
  bool closing_ = false;
  friend struct posix_comm::ReceiveSession;
};

}  // namespace km27
