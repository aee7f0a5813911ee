#pragma once
// A communication window over the fake serial port, on the fake toolkit's
// virtual clock, with the settings records at their built-in values and the
// port open. Frames are built with the default envelope.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/CodePage.h"
#include "device/Comm.h"
#include "keyboard/KeyInjection.h"
#include "settings/Define.h"
#include "settings/Messages.h"
#include "tests/support/FakeCommPort.h"
#include "tests/support/FakeToolkit.h"

namespace km27::test {

// Header + body + EndCode + BCC with the current frame settings.
inline ByteString Frame(const ByteString& body) {
  ByteString f = CommFormat.Header + body + CommFormat.EndCode;
  return f + TfrmComm::MakeBcc(f, CommFormat.BCCType, CommFormat.BCCStart, CommFormat.BCCByte);
}

inline ByteString Bytes(std::initializer_list<int> values) {
  ByteString s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

class CommFixture : public ::testing::Test {
 protected:
  CommFixture() {
    ResetSettingsToBuiltIn();
    ResetMessageTexts();
    ResetKeyState();
    SetAnsiCodePage(nullptr);
    General.ConnectionCheck = "111";
    port = new FakeCommPort;
    comm = std::make_unique<TfrmComm>(std::unique_ptr<TCustomCommX>(port));
    // The window's own wiring does the same; the tests do not depend on it.
    comm->CommX1().OnReceive = [this](TCustomCommX& s, int32_t n) { comm->CommX1Receive(s, n); };
    comm->Timer1->OnTimer = [this] { comm->Timer1Timer(); };
    comm->tmrSendKeyData->OnTimer = [this] { comm->tmrSendKeyDataTimer(); };
    comm->OnStatusText = [this](const std::string& t) { statusTexts.push_back(t); };
    EXPECT_TRUE(comm->OpenPort(false));
    port->ClearRecord();
  }
  ~CommFixture() override {
    comm.reset();
    SetAnsiCodePage(nullptr);
    ResetSettingsToBuiltIn();
  }

  // Bytes arrive, then the line stays quiet long enough to end the frame.
  void Receive(const ByteString& bytes) {
    port->Deliver(bytes);
    tk.Advance(static_cast<uint32_t>(Serial.ReciveBuffTime) + 1);
  }

  FakeToolkit tk;
  FakeCommPort* port = nullptr;
  std::unique_ptr<TfrmComm> comm;
  std::vector<std::string> statusTexts;
};

}  // namespace km27::test
