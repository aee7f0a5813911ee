// The reader's protocol engine: opening the port with the connection
// settings, framing and sending commands, waiting for answers, cutting the
// received byte stream into frames by silence, the block check and the
// ACK/NAK replies of protocol RDLS-3.
#include <algorithm>
#include <exception>
#include <vector>

#include "common/CodePage.h"
#include "common/TextHelpers.h"
#include "device/Comm.h"
#include "device/FrameSplit.h"
#include "settings/Define.h"
#include "settings/Messages.h"
#include "ui/Application.h"

namespace km27 {

namespace {

// Codes of the frames that RDLS-3 acknowledges with ACK.
const char* const kAcknowledgedCodes[] = {"CR", "CW", "AE", "DH"};

// The settings' ReciveBuffTime as a timer interval: a value of 0 or below
// would stop the frame timer for good and no frame would ever end.
uint32_t FrameSilenceMs() { return static_cast<uint32_t>(std::max<int32_t>(Serial.ReciveBuffTime, 1)); }

// BCC value over data[first, last) (0-based, half open).
unsigned char BccValue(const ByteString& data, size_t first, size_t last, int32_t bccType) {
  unsigned char value = 0;
  last = std::min(last, data.size());
  for (size_t i = first; i < last; ++i) {
    if (bccType == 1) {
      value ^= ByteAt(data, i);
    } else if (bccType == 2) {
      value = static_cast<unsigned char>(value + ByteAt(data, i));
    }
  }
  return value;
}

}  // namespace

// ---- opening and settings ----

bool TfrmComm::OpenPort(bool showError) {
  try {
    ClosePort();
    ApplyPortSettings();
    CommX1().ClearTransmit();
    CommX1().ClearReceive();
    CommX1().Open();
    return CommX1().IsOpen();
  } catch (...) {
    // The component is left closed; the caller decides whether the user hears of it.
    std::string access;
    try {
      throw;
    } catch (const EPortAccessError& e) {
      access = e.what();
    } catch (...) {
    }
    try {
      CommX1().Close();
    } catch (...) {
    }
    DiscardPartialFrame();
    if (showError) {
      ByteString text = ExpandLineBreaks(ReplaceAll(gstrSerialConnectError, "<COM>", IntToStr(Serial.Port)));
      // "Open error" alone leaves a user whose account lacks the device's
      // group guessing; the port layer says which group and what to do.
      if (!access.empty()) text += "\r\n\r\n" + access;
      ui::App().MessageBox(text, "", ui::MsgIcon::Warning, ui::MsgButtons::OK);
    }
    return false;
  }
}

void TfrmComm::ClosePort() {
  // Closing clears the output: an acknowledgement still queued gets a moment
  // to go out first, or the reader would send its frame again after a reopen.
  if (acknowledgementQueued_ && CommX1().IsOpen()) CommX1().FlushTransmit(kAcknowledgeFlushMs);
  acknowledgementQueued_ = false;
  CommX1().Close();
  DiscardPartialFrame();
}

void TfrmComm::DiscardPartialFrame() {
  // Bytes from before a close never join a frame of the next session.
  Timer1->SetInterval(0);
  receiveBuffer_.clear();
  droppedFrame_ = 0;
}

void TfrmComm::ApplyPortSettings() {
  TCustomCommX& port = CommX1();
  port.SetPortNo(Serial.Port);
  port.SetBitRate(Serial.BaudRate);
  port.SetCharSize(Serial.DataBits);
  switch (Serial.Parity) {
    case 0: port.SetParityBit(cpbNone); break;
    case 1: port.SetParityBit(cpbEven); break;
    case 2: port.SetParityBit(cpbOdd); break;
    default: break;
  }
  switch (Serial.StopBit) {
    case 1: port.SetStopBit(csb1); break;
    case 2: port.SetStopBit(csb2); break;
    default: break;
  }
  switch (Serial.FlowControl) {
    case 0: port.SetFlowCtrl(cfcNone); break;
    case 1: port.SetFlowCtrl(cfcRtsCts); break;
    default: break;
  }
}

// ---- sending ----

ByteString TfrmComm::MakeBcc(const ByteString& data, int32_t bccType, int32_t bccStart, int32_t bccByte) {
  // The BCC covers the whole of the data from bccStart on, however long. A
  // start below 1 covers from the first byte, as the check of received frames
  // does, so that what is sent passes the same check.
  unsigned char value = 0;
  const int32_t start = std::max<int32_t>(bccStart, 1);
  if (data.size() >= static_cast<size_t>(start)) {
    value = BccValue(data, static_cast<size_t>(start) - 1, data.size(), bccType);
  }
  if (bccByte == 2) return HexByte(value);
  return ByteString(1, static_cast<char>(value));
}

void TfrmComm::SendCommand(const std::string& command) {
  ByteString frame = CommFormat.Header + command + CommFormat.EndCode;
  frame += MakeBcc(frame, CommFormat.BCCType, CommFormat.BCCStart, CommFormat.BCCByte);
  SendData(frame);
}

void TfrmComm::SendData(const ByteString& data) {
  ByteString out = data + CommFormat.Footer;
  if (Showing()) LogFrame(out, Direction::Sent);
  // A command still going out may be cut short; an acknowledgement queued
  // behind it may not. Once the output is empty nothing is left to cut and
  // nothing is purged: a purge can still throw away bytes that left the
  // output but not the line (a pseudo-terminal drops an ACK the other side
  // has not taken yet, and the reader would send its read again).
  if (CommX1().FlushTransmit(0)) {
    acknowledgementQueued_ = false;
  } else if (!acknowledgementQueued_) {
    CommX1().ClearTransmit();
  }
  CommX1().WriteString(out);
}

void TfrmComm::Acknowledge(char reply) {
  ByteString out = ByteString(1, reply) + CommFormat.Footer;
  if (Showing()) LogFrame(out, Direction::Sent);
  // Queued behind whatever is going out, never in its place.
  CommX1().WriteString(out);
  acknowledgementQueued_ = true;
}

// ---- waiting for an answer ----

ByteString TfrmComm::WaitResponse(int32_t timeoutMs) {
  responseDone_ = false;
  frameArrived_ = false;
  waiting_ = true;
  response_.clear();
  ui::IApplication& app = ui::App();
  // The clock wraps like GetTickCount; the deadline is compared by the signed
  // 32-bit distance to it, which stays right across either wrap.
  const uint32_t deadline = app.TickCount() + static_cast<uint32_t>(timeoutMs);
  for (;;) {
    const uint32_t now = app.TickCount();
    app.ProcessMessages();
    if (responseDone_ || frameArrived_) break;
    // The program is ending: no answer is waited for any more.
    if (app.Terminated()) break;
    if (static_cast<int32_t>(now - deadline) >= 0) break;
  }
  ByteString response = std::move(response_);
  response_.clear();
  frameArrived_ = false;
  waiting_ = false;
  return response;
}

// ---- block check ----

bool TfrmComm::CheckBcc(const ByteString& frame) {
  try {
    const int32_t bccByte = CommFormat.BCCByte;
    const size_t len = frame.size();
    if (len <= 1) return true;
    if (bccByte < 1) return true;

    // A double-byte character of the code page may stand alone in a short frame.
    const ICodePage& cp = AnsiCodePage();
    if (bccByte == 1) {
      if (len == 2 && (cp.IsLeadByte(ByteAt(frame, 0)) || cp.IsLeadByte(ByteAt(frame, 1)))) return true;
    } else if (len <= 3) {
      if (cp.IsLeadByte(ByteAt(frame, 0)) || (len == 3 && cp.IsLeadByte(ByteAt(frame, 2)))) return true;
    }

    const int64_t start = std::max<int32_t>(CommFormat.BCCStart, 1);  // 1-based
    const int64_t lastCovered = static_cast<int64_t>(len) - bccByte;   // 1-based, inclusive
    unsigned char computed = 0;
    if (lastCovered >= start) {
      computed = BccValue(frame, static_cast<size_t>(start - 1), static_cast<size_t>(lastCovered), CommFormat.BCCType);
    }
    const int64_t at = std::max<int64_t>(start, lastCovered + 1) - 1;  // 0-based
    unsigned char received = 0;
    if (at < static_cast<int64_t>(len)) {
      if (bccByte == 2) {
        const size_t p = static_cast<size_t>(at);
        char low = p + 1 < len ? frame[p + 1] : '0';
        received = HexPairToByte(frame[p], low);
      } else {
        received = ByteAt(frame, static_cast<size_t>(at));
      }
    }
    if (computed == received) return true;
    if (Showing()) AddMonitorLine("< BccCheck NG >");
    return false;
  } catch (const std::exception& e) {
    ui::App().MessageBox(e.what(), "", ui::MsgIcon::Warning, ui::MsgButtons::OK);
    return false;
  }
}

// ---- receiving ----

void TfrmComm::CommX1Receive(TCustomCommX& sender, int32_t receiveSize) {
  Timer1->SetInterval(0);
  bool ok = true;
  try {
    // Everything waiting is taken from the port; what does not fit under the
    // cap is dropped so that a line that never goes quiet cannot eat memory.
    int32_t left = std::max(receiveSize, 0);
    std::vector<char> chunk;
    while (left > 0) {
      const int32_t want = std::min<int32_t>(left, 4096);
      chunk.assign(static_cast<size_t>(want), '\0');
      const int32_t got = sender.Read(chunk.data(), want);
      if (got < 0) {
        ok = false;
        break;
      }
      if (got == 0) break;
      const size_t n = static_cast<size_t>(std::min(got, want));
      const size_t room = kReceiveBufferCap - std::min(receiveBuffer_.size(), kReceiveBufferCap);
      const size_t keep = std::min(n, room);
      receiveBuffer_.append(chunk.data(), keep);
      droppedFrame_ += n - keep;
      droppedTotal_ += n - keep;
      left -= static_cast<int32_t>(n);
      // A short read means the port holds no more: another read would wait
      // for new bytes on this thread. Later bytes bring their own arrival.
      if (got < want) break;
    }
  } catch (...) {
    ok = false;
  }
  if (!ok) ui::App().Beep();
  // Bytes already collected still end as a frame after the silence, so that
  // they never join a later frame.
  if (ok || !receiveBuffer_.empty()) Timer1->SetInterval(FrameSilenceMs());
}

bool TfrmComm::IsAnswer(const ByteString& frame) {
  const size_t at = CommFormat.Header.size();
  if (frame.size() < at + 2) return true;
  const ByteString code = frame.substr(at, 2);
  for (const char* own : kAcknowledgedCodes)
    if (code == own) return false;
  return true;
}

void TfrmComm::Timer1Timer() {
  Timer1->SetInterval(0);
  if (receiveBuffer_.empty()) return;
  // The frame leaves the buffer at once: whatever runs below may pump messages
  // and let the next arrival start a new frame.
  ByteString buffer;
  buffer.swap(receiveBuffer_);
  const size_t dropped = droppedFrame_;
  droppedFrame_ = 0;

  if (dropped > 0) {
    if (Showing()) {
      LogFrame(buffer, Direction::Received);
      AddMonitorLine("< Receive buffer full: " + IntToStr(static_cast<int64_t>(dropped)) + " bytes dropped >");
    }
    FrameEnded(buffer);
    return;
  }
  // Frames that came closer together than the silence are still frames of their own.
  for (const ByteString& frame : SplitFrames(buffer, CommFormat)) {
    if (Showing()) LogFrame(frame, Direction::Received);
    FrameEnded(frame);
  }
}

void TfrmComm::FrameEnded(const ByteString& frame) {
  if (waiting_ && IsAnswer(frame)) {
    response_ = frame;
    frameArrived_ = true;
    responseDone_ = true;
  }

  switch (General.ProtocolNo) {
    case 0:
      CheckBcc(frame);  // shows in the monitor only
      break;
    case 3:
      if (!CheckBcc(frame)) {
        ++nakCount_;
        if (nakCount_ <= 2) {
          Acknowledge(kNak);
        } else {
          Acknowledge(kNakLimit);
          nakCount_ = 0;
        }
        return;
      }
      nakCount_ = 0;
      if (frame.size() > 2) {
        const ByteString code = frame.substr(1, 2);
        for (const char* acked : kAcknowledgedCodes) {
          if (code == acked) {
            Acknowledge(kAck);
            break;
          }
        }
      }
      break;
    default:  // RDLS-1 and any other variant: no check, no answer
      break;
  }
  // Decoding clears CardData: a read decoded before and not handed on yet
  // (two frames at one frame end) goes to the output driver first.
  if (tmrSendKeyData->Enabled()) tmrSendKeyDataTimer();
  DecodeFrame(frame);
}

}  // namespace km27
