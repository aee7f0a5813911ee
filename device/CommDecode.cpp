// The frame decoder (card reads, write responses, error responses, events)
// and the key data output driver that hands a decoded read on.
#include <algorithm>

#include "device/Comm.h"
#include "device/DecodeTexts.h"
#include "keyboard/ForegroundWindow.h"
#include "keyboard/KeyInjection.h"
#include "keyboard/KeyOutput.h"
#include "settings/Define.h"

namespace km27 {

namespace {

const char* const kLineBreak = "\r\n";

// Up to `count` bytes from 1-based position `pos`; fewer (or none) near the end.
ByteString Mid(const ByteString& s, size_t pos, size_t count) {
  if (pos == 0 || pos > s.size()) return {};
  return s.substr(pos - 1, count);
}

// The third switch of ConnectionCheck turns the firmware check off with "0";
// a setting too short to have one leaves the check on.
bool FirmwareCheckOn() { return General.ConnectionCheck.size() < 3 || General.ConnectionCheck[2] != '0'; }

bool Contains(const ByteString& body, const ByteString& sep) {
  return !sep.empty() && body.find(sep) != ByteString::npos;
}

// 0-based position of the separator, npos when it is absent (or empty).
size_t SeparatorAt(const ByteString& body, const ByteString& sep) {
  return sep.empty() ? ByteString::npos : body.find(sep);
}

bool StartsWith(const ByteString& body, const ByteString& sep) {
  return !sep.empty() && body.compare(0, sep.size(), sep) == 0;
}

// Takes the body of a card read apart into the four track slots. The body is
// a one-character status and the data of each slot, the slots separated by
// the separator; empty slots have neither status nor data.
void SplitCardRead(ByteString body, const ByteString& sep) {
  if (!Contains(body, sep)) {
    if (body.empty()) return;
    CardData.TrackStatus[1] = body.substr(0, 1);
    if (body.size() > 1) CardData.TrackData[1] = body.substr(1);
    return;
  }

  // Slot 1.
  if (!StartsWith(body, sep)) {
    CardData.TrackStatus[1] = body.substr(0, 1);
    body.erase(0, 1);
  }
  size_t p = SeparatorAt(body, sep);
  if (p != ByteString::npos && p > 0) {
    CardData.TrackData[1] = body.substr(0, p);
    body.erase(0, p);
  }
  if (StartsWith(body, sep)) {
    ++CardData.SeparatorCount;
    body.erase(0, 1);
  }

  // Slots 2 to 4.
  for (int k = 2; k <= 4; ++k) {
    p = SeparatorAt(body, sep);
    if ((p != ByteString::npos && p > 0) || (!body.empty() && p == ByteString::npos)) {
      CardData.TrackStatus[k] = body.substr(0, 1);
      body.erase(0, 1);
    }
    p = SeparatorAt(body, sep);
    if (p != ByteString::npos && p > 0) {
      CardData.TrackData[k] = body.substr(0, p);
      body.erase(0, p);
    }
    if (StartsWith(body, sep)) {
      ++CardData.SeparatorCount;
      body.erase(0, 1);
    } else if (!body.empty() && !Contains(body, sep)) {
      CardData.TrackData[k] = body;
      body.clear();
    }
  }
}

// Write response: the slot statuses at fixed positions, separated by 0x1F
// and closed by 0x03.
void SplitWriteResponse(ByteString w) {
  if (w.size() < 5) return;
  if (CardData.SingleTrack) {
    CardData.TrackStatus[1] = w.substr(4, 1);
    return;
  }
  if (w[4] != '\x1F') {
    CardData.TrackStatus[1] = w.substr(4, 1);
    w.erase(0, std::min<size_t>(6, w.size()));
  } else {
    w.erase(0, 5);
  }
  if (w.empty()) return;
  if (w[0] != '\x1F') {
    CardData.TrackStatus[2] = w.substr(0, 1);
    w.erase(0, std::min<size_t>(2, w.size()));
  } else {
    w.erase(0, 1);
  }
  if (!w.empty() && w[0] != '\x03') CardData.TrackStatus[3] = w.substr(0, 1);
}

}  // namespace

void TfrmComm::DecodeFrame(const ByteString& frame) {
  const ByteString w = frame;
  for (int k = 1; k <= 4; ++k) {
    CardData.TrackData[k].clear();
    CardData.TrackStatus[k].clear();
  }
  CardData.SeparatorCount = 0;

  auto status = [this](const std::string& text) {
    if (OnStatusText) OnStatusText(text);
  };
  auto firmwareAlive = [this] {
    if (!FirmwareCheckOn()) return;
    FirmwareCheckFailures = 0;
    if (OnFirmwareAlive) OnFirmwareAlive();
  };

  const ByteString code = Mid(w, CommFormat.Header.size() + 1, 2);
  if (code == "CR") {
    const size_t head = CommFormat.Header.size() + 3;
    const size_t tail = CommFormat.EndCode.size() + static_cast<size_t>(std::max(CommFormat.BCCByte, 0)) +
                        CommFormat.Footer.size();
    if (w.size() < head + tail) return;
    SplitCardRead(w.substr(head, w.size() - head - tail), CommFormat.Separator);
    firmwareAlive();
    tmrSendKeyData->SetEnabled(true);
    status("Read Response");
  } else if (code == "CW") {
    SplitWriteResponse(w);
    status("Write Response");
  } else if (code == "VR") {
    if (w.size() > 12) firmwareAlive();
  } else if (code == "ID") {
  } else if (code == "NG") {
    status("Error Response : " + ErrorResponseText(Mid(w, 4, 3)) + kLineBreak + "\"" + Mid(w, 2, 5) + "\"");
    responseDone_ = true;
  } else if (code == "DH") {
    status("Error Event : " + ErrorEventText(Mid(w, 4, 2)) + kLineBreak + "\"" + Mid(w, 2, 4) + "\"");
  } else if (code == "PS") {
  } else if (code == "AE") {
    status("Event Information : " + EventText(Mid(w, 4, 2)) + kLineBreak + "\"" + Mid(w, 2, 4) + "\"");
  }
}

void TfrmComm::tmrSendKeyDataTimer() {
  tmrSendKeyData->SetEnabled(false);
  if (readConsumers && readConsumers->WizardShowing()) {
    readConsumers->WizardReadCheck();
    return;
  }
  if (readConsumers && readConsumers->ReadDataShowing()) {
    readConsumers->ShowReadData();
    return;
  }
  if (!gRunning) return;
  // Windows drops keys sent to a program with more rights than this one and
  // says nothing: the user hears of it instead of losing the read unseen.
  // The read is typed all the same: should the program in front have been
  // misjudged nothing is lost, and otherwise Windows drops it as it would.
  if (ReadHasKeyData() && ForegroundWindow().RefusesSyntheticKeys()) {
    AddMonitorLine("< The program in front runs as administrator: the keys do not reach it >");
    if (OnKeysRefused) OnKeysRefused();
  }
  SendKeyData();
  const std::string unicode = TakeCharsTypedAsUnicode();
  if (!unicode.empty()) {
    AddMonitorLine("< No key for \"" + unicode + "\" on this keyboard layout: typed as Unicode characters >");
  }
  // Only a platform that cannot type a character by itself leaves one out
  // (X11 without a spare keycode); the user must not miss it.
  const std::string lost = TakeCharsNotTyped();
  if (!lost.empty()) {
    AddMonitorLine("< \"" + lost + "\" cannot be typed on this keyboard layout: left out >");
  }
}

}  // namespace km27
