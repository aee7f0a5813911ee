#pragma once
// The communication window: owner of the serial port component CommX1, the
// reader's protocol engine (framing by silence, block check, ACK/NAK, command
// and answer), the frame decoder, the key data output timer, and the
// communication monitor that logs every frame while it is showing.
//
// Implementation files:
//   CommForm.cpp      components, layout, monitor (LogFrame, DumpHex, ...)
//   CommProtocol.cpp  OpenPort, SendData, WaitResponse, CheckBcc, frame end
//   CommDecode.cpp    DecodeFrame and the output driver tmrSendKeyDataTimer
#include <functional>
#include <memory>
#include <string>

#include "common/ByteString.h"
#include "device/CommX.h"
#include "ui/Form.h"

namespace km27 {

enum class Direction { Sent, Received };

// What the output driver asks of the setup wizard and the read data dialog.
// Until those windows exist nothing is showing.
class IReadConsumers {
 public:
  virtual ~IReadConsumers() = default;
  virtual bool WizardShowing() = 0;
  virtual void WizardReadCheck() = 0;  // the wizard shows and evaluates the read in CardData
  virtual bool ReadDataShowing() = 0;
  virtual void ShowReadData() = 0;     // the read data dialog takes the read in CardData
};

class TfrmComm : public ui::Form {
 public:
  // port: the serial port component (CreateCommX() in the program, a fake in tests).
  explicit TfrmComm(std::unique_ptr<TCustomCommX> port);
  ~TfrmComm() override;

  // ---- components (names are part of the language file interface) ----
  ui::Label* lblMgr;
  ui::Memo* memMonitor;
  ui::CheckBox* chkType;
  ui::Label* Label2;
  ui::Button* btnClear;
  ui::Button* btnClose;
  ui::Timer* tmrOpen;         // 500 ms greeting, one shot
  ui::Timer* Timer1;          // frame timer: ReciveBuffTime of silence ends a frame
  ui::Timer* tmrSendKeyData;  // 10 ms one-shot output timer

  TCustomCommX& CommX1() { return *commX1_; }

  // ---- protocol engine ----
  bool OpenPort(bool showError);
  void ClosePort();
  void ApplyPortSettings();
  void SendCommand(const std::string& command);
  void SendData(const ByteString& data);
  // The next frame that answers a command, or "" after timeoutMs. Card reads
  // and the reader's events that arrive meanwhile are handled as usual but do
  // not end the wait.
  ByteString WaitResponse(int32_t timeoutMs);
  // A sequence of exchanges (the options dialog's connection test closes,
  // opens and asks port after port) holds the port from its first command to
  // its last. While it is held, or while any command waits for its answer,
  // the main window's reader checks wait for their next tick: their own
  // questions would go to the port being tried and take its answers.
  void HoldExchange(bool held) { exchangeHeld_ = held; }
  bool ExchangeBusy() const { return exchangeHeld_ || waiting_; }
  // Whether a frame can be the answer to a command: anything but the frames
  // the reader sends on its own (the acknowledged codes).
  static bool IsAnswer(const ByteString& frame);
  bool CheckBcc(const ByteString& frame);
  static ByteString MakeBcc(const ByteString& data, int32_t bccType, int32_t bccStart, int32_t bccByte);
  void CommX1Receive(TCustomCommX& sender, int32_t receiveSize);
  void Timer1Timer();
  int32_t NakCount() const { return nakCount_; }
  // The receive buffer holds at most this many bytes of one frame; what
  // arrives beyond it is read from the port and dropped, and the frame still
  // ends by silence. Far above any real frame (a full card read is a few
  // hundred bytes).
  static constexpr size_t kReceiveBufferCap = 64 * 1024;
  // Bytes of the frame being collected (not ended yet).
  size_t FrameBytesPending() const { return receiveBuffer_.size(); }
  // Bytes dropped from the frame being collected, and in total.
  size_t DroppedBytes() const { return droppedTotal_; }
  // The byte 0x06 (ACK), 0x15 (NAK) and 0x10 answered to the reader.
  static constexpr char kAck = 0x06;
  static constexpr char kNak = 0x15;
  static constexpr char kNakLimit = 0x10;
  // How long closing the port waits for an acknowledgement still queued to go out.
  static constexpr int32_t kAcknowledgeFlushMs = 200;

  // ---- decoder and output driver ----
  void DecodeFrame(const ByteString& frame);
  void tmrSendKeyDataTimer();
  // A read goes to a program that refuses synthetic keys (running as administrator).
  std::function<void()> OnKeysRefused;
  // The port stopped taking output (see TCustomCommX::OnFailure).
  std::function<void()> OnPortFailed;
  // Where status texts of decoded frames go (the main window's lblResponse).
  std::function<void(const std::string&)> OnStatusText;
  // The wizard and the read data dialog; nullptr: neither exists.
  IReadConsumers* readConsumers = nullptr;
  // Called when a card read or a long enough "VR" answer proves the reader
  // alive (the main window's firmware check counter starts again). The
  // process-wide FirmwareCheckFailures is reset in any case.
  std::function<void()> OnFirmwareAlive;

  // ---- monitor ----
  void LogFrame(const ByteString& data, Direction dir);
  void DumpHex(const ByteString& data, Direction dir);
  void AddMonitorLine(const std::string& text);
  void chkTypeClick();
  void memMonitorKeyPress(char& key);
  void btnClearClick();
  void btnCloseClick();
  void FormShow();
  void tmrOpenTimer();

  static const char* const kHexHeader;
  static const char* const kTextHeader;

 private:
  void FrameEnded(const ByteString& frame);
  void Acknowledge(char reply);
  void DiscardPartialFrame();

  std::unique_ptr<TCustomCommX> commX1_;

  // Exchange state, touched on the user-interface thread only.
  ByteString receiveBuffer_;
  bool frameArrived_ = false;
  bool waiting_ = false;
  bool exchangeHeld_ = false;
  bool responseDone_ = false;
  ByteString response_;
  int32_t nakCount_ = 0;
  size_t droppedFrame_ = 0;
  size_t droppedTotal_ = 0;
  // An ACK or NAK was queued after the last command and may not be out yet:
  // a command must not clear the output (the reader would send its frame
  // again and a card would be typed twice).
  bool acknowledgementQueued_ = false;
};

// The process's communication window (created at start-up by the shell).
extern TfrmComm* frmComm;

}  // namespace km27
