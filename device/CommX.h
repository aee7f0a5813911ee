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

// The port exists but this user may not open it (a Linux device owned by a
// group the user is not in). what() names the device and the fix; the
// program shows it below its own open error.
class EPortAccessError : public ECommError {
 public:
  using ECommError::ECommError;
};

// The component's fixed messages (ECommError::what()), in the ANSI code page
// the program ships with (code page 932 for the Japanese ones).
namespace commx_messages {
inline constexpr char kOpen[] = "Can't open COM port.";
// 通信速度の設定でエラーが発生しました
inline constexpr char kBitRate[] = "\x92\xca\x90\x4d\x91\xac\x93\x78\x82\xcc\x90\xdd\x92\xe8\x82\xc5\x83\x47\x83\x89\x81\x5b\x82\xaa\x94\xad\x90\xb6\x82\xb5\x82\xdc\x82\xb5\x82\xbd";
// 通信ビット数の設定でエラーが発生しました
inline constexpr char kCharSize[] = "\x92\xca\x90\x4d\x83\x72\x83\x62\x83\x67\x90\x94\x82\xcc\x90\xdd\x92\xe8\x82\xc5\x83\x47\x83\x89\x81\x5b\x82\xaa\x94\xad\x90\xb6\x82\xb5\x82\xdc\x82\xb5\x82\xbd";
// 通信パリティチェックの設定でエラーが発生しました
inline constexpr char kParity[] = "\x92\xca\x90\x4d\x83\x70\x83\x8a\x83\x65\x83\x42\x83\x60\x83\x46\x83\x62\x83\x4e\x82\xcc\x90\xdd\x92\xe8\x82\xc5\x83\x47\x83\x89\x81\x5b\x82\xaa\x94\xad\x90\xb6\x82\xb5\x82\xdc\x82\xb5\x82\xbd";
// 通信ストップビット数の設定でエラーが発生しました
inline constexpr char kStopBit[] = "\x92\xca\x90\x4d\x83\x58\x83\x67\x83\x62\x83\x76\x83\x72\x83\x62\x83\x67\x90\x94\x82\xcc\x90\xdd\x92\xe8\x82\xc5\x83\x47\x83\x89\x81\x5b\x82\xaa\x94\xad\x90\xb6\x82\xb5\x82\xdc\x82\xb5\x82\xbd";
// 通信フロー制御の設定で失敗しました
inline constexpr char kFlowCtrl[] = "\x92\xca\x90\x4d\x83\x74\x83\x8d\x81\x5b\x90\xa7\x8c\xe4\x82\xcc\x90\xdd\x92\xe8\x82\xc5\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd";
// Ｘｏｎ文字の設定でエラーが発生しました
inline constexpr char kXonChar[] = "\x82\x77\x82\x8f\x82\x8e\x95\xb6\x8e\x9a\x82\xcc\x90\xdd\x92\xe8\x82\xc5\x83\x47\x83\x89\x81\x5b\x82\xaa\x94\xad\x90\xb6\x82\xb5\x82\xdc\x82\xb5\x82\xbd";
// Ｘｏｆｆ文字の設定でエラーが発生しました
inline constexpr char kXoffChar[] = "\x82\x77\x82\x8f\x82\x86\x82\x86\x95\xb6\x8e\x9a\x82\xcc\x90\xdd\x92\xe8\x82\xc5\x83\x47\x83\x89\x81\x5b\x82\xaa\x94\xad\x90\xb6\x82\xb5\x82\xdc\x82\xb5\x82\xbd";
// 通信タイムアウト時間の設定で失敗しました
inline constexpr char kTimeOut[] = "\x92\xca\x90\x4d\x83\x5e\x83\x43\x83\x80\x83\x41\x83\x45\x83\x67\x8e\x9e\x8a\xd4\x82\xcc\x90\xdd\x92\xe8\x82\xc5\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd";
// 通信用ポートのバッファを準備できませんでした
inline constexpr char kBuffer[] = "\x92\xca\x90\x4d\x97\x70\x83\x7c\x81\x5b\x83\x67\x82\xcc\x83\x6f\x83\x62\x83\x74\x83\x40\x82\xf0\x8f\x80\x94\xf5\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd";
// 送信用スレッドを生成できませんでした
inline constexpr char kTransThread[] = "\x91\x97\x90\x4d\x97\x70\x83\x58\x83\x8c\x83\x62\x83\x68\x82\xf0\x90\xb6\x90\xac\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd";
// 受信用スレッドを生成できませんでした
inline constexpr char kReceiveThread[] = "\x8e\xf3\x90\x4d\x97\x70\x83\x58\x83\x8c\x83\x62\x83\x68\x82\xf0\x90\xb6\x90\xac\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd";
}  // namespace commx_messages

// Line error bits reported through OnError (overrun, parity, framing).
inline constexpr uint32_t kCommLineErrors = 0x0E;

class TCustomCommX {
 public:
  virtual ~TCustomCommX() = default;

  // Published properties with their defaults. Setters store the value and,
  // on an open port, apply it at once through the platform's Apply hook
  // (raising ECommError when the driver refuses). On a closed port the value
  // takes effect at the next Open.
  int32_t PortNo() const { return portNo_; }
  virtual void SetPortNo(int32_t v) {
    portNo_ = v;
    if (IsOpen()) {
      Close();
      Open();
    }
  }
  int32_t BitRate() const { return bitRate_; }
  virtual void SetBitRate(int32_t v) { Store(bitRate_, v, &TCustomCommX::ApplyBitRate); }
  int32_t CharSize() const { return charSize_; }
  virtual void SetCharSize(int32_t v) { Store(charSize_, v, &TCustomCommX::ApplyCharSize); }
  TCommParityBits ParityBit() const { return parity_; }
  virtual void SetParityBit(TCommParityBits v) { Store(parity_, v, &TCustomCommX::ApplyParity); }
  TCommStopBits StopBit() const { return stopBit_; }
  virtual void SetStopBit(TCommStopBits v) { Store(stopBit_, v, &TCustomCommX::ApplyStopBit); }
  TCommFlowCtrls FlowCtrl() const { return flowCtrl_; }
  virtual void SetFlowCtrl(TCommFlowCtrls v) {
    flowCtrl_ = v;
    FlowCtrlStored();
    if (IsOpen()) ApplyFlowCtrl();
  }
  int32_t TimeOutTrans() const { return timeOutTrans_; }
  virtual void SetTimeOutTrans(int32_t v) {
    timeOutTrans_ = v;
    TimeOutsStored();
    if (IsOpen()) ApplyTimeOuts();
  }
  int32_t TimeOutReceive() const { return timeOutReceive_; }
  virtual void SetTimeOutReceive(int32_t v) {
    timeOutReceive_ = v;
    TimeOutsStored();
    if (IsOpen()) ApplyTimeOuts();
  }
  uint8_t XonChar() const { return xonChar_; }
  virtual void SetXonChar(uint8_t v) { Store(xonChar_, v, &TCustomCommX::ApplyXonChar); }
  uint8_t XoffChar() const { return xoffChar_; }
  virtual void SetXoffChar(uint8_t v) { Store(xoffChar_, v, &TCustomCommX::ApplyXoffChar); }
  int32_t BufLenTrans() const { return bufLenTrans_; }
  virtual void SetBufLenTrans(int32_t v) { Store(bufLenTrans_, v, &TCustomCommX::ApplyBuffers); }
  int32_t BufLenReceive() const { return bufLenReceive_; }
  virtual void SetBufLenReceive(int32_t v) {
    bufLenReceive_ = v;
    if (IsOpen()) {
      ApplyBuffers();
      ApplyFlowCtrl();  // the XON/XOFF limits follow the input queue size
    }
  }

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
  // Waits, without running the message loop, until everything queued for
  // output has been written or timeoutMs have passed; true when nothing is
  // left (also on a closed port). With 0 it only tells.
  virtual bool FlushTransmit(int32_t timeoutMs) = 0;
  virtual void ClearReceive() = 0;
  virtual int32_t InCount() = 0;
  virtual void SetRTS(bool on) = 0;
  virtual void SetDTR(bool on) = 0;
  virtual bool CTS() = 0;
  virtual bool DSR() = 0;

  std::function<void(TCustomCommX& sender, int32_t receiveSize)> OnReceive;
  std::function<void(TCustomCommX& sender)> OnBreak;
  std::function<void(TCustomCommX& sender, uint32_t errorState)> OnError;
  // The port stopped taking output: a write that the driver neither finished
  // nor gave up was left to it. Told once per open; the port is of no use
  // until it is opened again.
  std::function<void(TCustomCommX& sender)> OnFailure;

 private:
  template <typename T>
  void Store(T& field, T value, void (TCustomCommX::*apply)()) {
    field = value;
    if (IsOpen()) (this->*apply)();
  }

 protected:
  // The open-port paths of the setters; a platform overrides those its
  // driver has (the defaults have nothing to apply).
  virtual void ApplyBitRate() {}
  virtual void ApplyCharSize() {}
  virtual void ApplyParity() {}
  virtual void ApplyStopBit() {}
  virtual void ApplyFlowCtrl() {}
  virtual void ApplyTimeOuts() {}
  virtual void ApplyXonChar() {}
  virtual void ApplyXoffChar() {}
  virtual void ApplyBuffers() {}
  // Told whenever the value is stored, open or not (copies kept by threads).
  virtual void FlowCtrlStored() {}
  virtual void TimeOutsStored() {}

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
