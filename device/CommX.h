#pragma once
// The serial port component's contract. One instance, CommX1, belongs to the
// communication window. The Windows layer (device/win32) runs it over
// overlapped I/O with a transmit and a receive thread; the POSIX layer
// (device/posix) over termios. Notifications (OnReceive, OnBreak, OnError)
// always run on the user-interface thread, one at a time.
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "common/ByteString.h"

namespace km27 {

enum TCommParityBits { cpbNone = 0, cpbOdd = 1, cpbEven = 2 };
enum TCommStopBits { csb1 = 0, csb1p5 = 1, csb2 = 2 };
enum TCommFlowCtrls { cfcRtsCts = 0, cfcDtrDsr = 1, cfcXonXoff = 2, cfcHalfHigh = 3, cfcHalfLow = 4, cfcNone = 5 };

// The one exception the component raises: the port cannot be opened or configured.
class ECommError : public std::runtime_error {
 public:
  explicit ECommError(const std::string& message) : std::runtime_error(message) {}
};

class TCustomCommX {
 public:
  virtual ~TCustomCommX() = default;

  // Published properties with their defaults. Setters store the value and,
  // on an open port, apply it at once (raising ECommError when refused).
  int32_t PortNo() const { return portNo_; }
  virtual void SetPortNo(int32_t v) { portNo_ = v; }
  int32_t BitRate() const { return bitRate_; }
  virtual void SetBitRate(int32_t v) { bitRate_ = v; }
  int32_t CharSize() const { return charSize_; }
  virtual void SetCharSize(int32_t v) { charSize_ = v; }
  TCommParityBits ParityBit() const { return parity_; }
  virtual void SetParityBit(TCommParityBits v) { parity_ = v; }
  TCommStopBits StopBit() const { return stopBit_; }
  virtual void SetStopBit(TCommStopBits v) { stopBit_ = v; }
  TCommFlowCtrls FlowCtrl() const { return flowCtrl_; }
  virtual void SetFlowCtrl(TCommFlowCtrls v) { flowCtrl_ = v; }
  int32_t TimeOutTrans() const { return timeOutTrans_; }
  virtual void SetTimeOutTrans(int32_t v) { timeOutTrans_ = v; }
  int32_t TimeOutReceive() const { return timeOutReceive_; }
  virtual void SetTimeOutReceive(int32_t v) { timeOutReceive_ = v; }
  uint8_t XonChar() const { return xonChar_; }
  virtual void SetXonChar(uint8_t v) { xonChar_ = v; }
  uint8_t XoffChar() const { return xoffChar_; }
  virtual void SetXoffChar(uint8_t v) { xoffChar_ = v; }
  int32_t BufLenTrans() const { return bufLenTrans_; }
  virtual void SetBufLenTrans(int32_t v) { bufLenTrans_ = v; }
  int32_t BufLenReceive() const { return bufLenReceive_; }
  virtual void SetBufLenReceive(int32_t v) { bufLenReceive_ = v; }

  // Character time in ms: 1000 div (BitRate div 10) + 1.
  static int32_t CharacterTime(int32_t bitRate) {
    int32_t cps = bitRate / 10;
    return cps > 0 ? 1000 / cps + 1 : 1;
  }

  virtual bool IsOpen() const = 0;
  virtual void Open() = 0;   // raises ECommError
  virtual void Close() = 0;  // nothing when closed
  // Queues bytes for transmission; true when all were queued (or length 0).
  virtual bool Write(const char* data, int32_t length) = 0;
  bool WriteString(const ByteString& text) {
    if (text.empty()) return true;
    return Write(text.data(), static_cast<int32_t>(text.size()));
  }
  // Reads up to length bytes; the count read, or -1.
  virtual int32_t Read(char* buffer, int32_t length) = 0;
  virtual void ClearTransmit() = 0;
  virtual void ClearReceive() = 0;
  virtual int32_t InCount() = 0;
  virtual void SetRTS(bool on) = 0;
  virtual void SetDTR(bool on) = 0;
  virtual bool CTS() = 0;
  virtual bool DSR() = 0;

  std::function<void(TCustomCommX& sender, int32_t receiveSize)> OnReceive;
  std::function<void(TCustomCommX& sender)> OnBreak;
  std::function<void(TCustomCommX& sender, uint32_t errorState)> OnError;

 protected:
  int32_t portNo_ = 1;
  int32_t bitRate_ = 9600;
  int32_t charSize_ = 8;
  TCommParityBits parity_ = cpbNone;
  TCommStopBits stopBit_ = csb1;
  TCommFlowCtrls flowCtrl_ = cfcRtsCts;
  int32_t timeOutTrans_ = 3000;
  int32_t timeOutReceive_ = 3000;
  uint8_t xonChar_ = 0x11;
  uint8_t xoffChar_ = 0x13;
  int32_t bufLenTrans_ = 2048;
  int32_t bufLenReceive_ = 2048;
};

// The platform's component (TCommX of device/win32 or device/posix).
std::unique_ptr<TCustomCommX> CreateCommX();

}  // namespace km27
