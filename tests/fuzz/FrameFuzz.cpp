// libFuzzer target: the frame path. Under frame settings taken from the input,
// bytes reach the communication window in pieces with pauses between them,
// some while a command waits for its answer and some across a reopen of the
// port; the frame timer, the receive buffer, the splitting of frames that
// came too close together, the block check, ACK and NAK, the decoder, the
// monitor and the key output run as in the program (fake port, virtual
// clock, fake keyboard).
//
// Nothing may crash or hang; a frame built with MakeBcc passes CheckBcc (one
// or two check bytes); frames built that way and sent back to back are split
// into exactly those frames, and any buffer splits into pieces that join up
// to it again, each a bare ACK or NAK or a frame that passes its check; what
// goes back to the reader is a command that was sent or a single ACK, NAK or
// 0x10 (each with the footer); a decoded read never holds more than arrived;
// and every key pressed is released again.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "common/CodePage.h"
#include "device/Comm.h"
#include "device/FrameSplit.h"
#include "keyboard/KeyInjection.h"
#include "settings/Define.h"
#include "tests/fuzz/FuzzChecks.h"
#include "settings/Messages.h"
#include "tests/support/FakeCommPort.h"
#include "tests/support/FakeKeyInjector.h"
#include "tests/support/FakeToolkit.h"

namespace {

using namespace km27;
using fuzz::Check;
using fuzz::KeysBalanced;

template <size_t N>
std::string Pick(FuzzedDataProvider& in, const char* const (&choices)[N]) {
  return choices[in.ConsumeIntegralInRange<size_t>(0, N - 1)];
}

void TakeSettings(FuzzedDataProvider& in) {
  ResetSettingsToBuiltIn();
  ResetMessageTexts();
  ResetKeyState();
  const int protocols[] = {0, 1, 3, 3};
  General.ProtocolNo = protocols[in.ConsumeIntegralInRange(0, 3)];
  General.ConnectionCheck = in.ConsumeBool() ? "111" : "110";
  static const char* const kHeaders[] = {"\x02", "\x02", "", "\x02\x02", "AB"};
  static const char* const kEnds[] = {"\x03", "\x03", "", "\x03\x03"};
  static const char* const kFooters[] = {"", "", "\r", "\r\n"};
  static const char* const kSeparators[] = {"\x1F", "\x1F", "", ",", "\x1F\x1F"};
  CommFormat.Header = Pick(in, kHeaders);
  CommFormat.EndCode = Pick(in, kEnds);
  CommFormat.Footer = Pick(in, kFooters);
  CommFormat.Separator = Pick(in, kSeparators);
  CommFormat.BCCType = in.ConsumeIntegralInRange(0, 3);
  CommFormat.BCCByte = in.ConsumeIntegralInRange(-1, 3);
  CommFormat.BCCStart = in.ConsumeIntegralInRange(-1, 6);
  Serial.ReciveBuffTime = in.ConsumeIntegralInRange(-5, 200);
  CardData.Tracks = "1111";
  CardData.TrackUse = in.ConsumeBool() ? "1111" : "1010";
  CardData.SingleTrack = in.ConsumeBool();
  KeyData.Header = "<";
  KeyData.TrackSeparator = "[TAB]";
  KeyData.Terminator = "([SHIFT]x)[ENTER]";
  KeyData.Blocks.clear();
  for (int t = 1; t <= 4; ++t) KeyData.Blocks.push_back(TBlockData{t, true, 0, 0, "", ""});
  KeyData.Blocks.push_back(TBlockData{2, false, 2, 3, "[", "]"});
  KeyData.BlockNum = static_cast<int32_t>(KeyData.Blocks.size());
  gRunning = in.ConsumeBool();
}

// The window and its toolkit are built once; every input starts from a
// closed port, stopped timers, a hidden monitor and an empty record.
struct Window {
  test::FakeToolkit tk;
  test::FakeCommPort* port = new test::FakeCommPort;
  TfrmComm comm{std::unique_ptr<TCustomCommX>(port)};

  void Reset() {
    comm.ClosePort();
    comm.Hide();
    comm.btnClearClick();
    comm.tmrSendKeyData->SetEnabled(false);
    port->ClearRecord();
    tk.ClearRecord();
    tk.boxes.clear();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  static Window* window = new Window;
  window->Reset();
  test::FakeToolkit& tk = window->tk;
  FakeKeyInjector keys(in.ConsumeBool());
  static CodePage932 sjis;
  static SingleByteCodePage single;
  SetAnsiCodePage(in.ConsumeBool() ? static_cast<const ICodePage*>(&sjis) : &single);
  TakeSettings(in);
  TfrmComm& comm = window->comm;
  test::FakeCommPort* port = window->port;

  // MakeBcc and CheckBcc agree on every frame the program itself builds.
  {
    TfrmComm& probe = comm;
    ByteString body = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<size_t>(0, 40));
    ByteString frame = CommFormat.Header + body + CommFormat.EndCode;
    frame += TfrmComm::MakeBcc(frame, CommFormat.BCCType, CommFormat.BCCStart, CommFormat.BCCByte);
    // One raw byte or two hex characters are the layouts a check has; with
    // any other BCCByte the program's own frames are not meant to pass.
    if (CommFormat.BCCByte == 1 || CommFormat.BCCByte == 2) Check(probe.CheckBcc(frame));

    // Well-formed frames back to back come apart at their boundaries. A body
    // that held the end code could end its frame early, so it holds none.
    std::vector<ByteString> frames;
    ByteString joined;
    for (size_t k = in.ConsumeIntegralInRange<size_t>(0, 4); k > 0; --k) {
      ByteString b = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<size_t>(2, 30));
      if (!CommFormat.EndCode.empty()) std::erase(b, CommFormat.EndCode[0]);
      if (b.size() < 2) b = "CR";
      ByteString f = CommFormat.Header + b + CommFormat.EndCode;
      f += TfrmComm::MakeBcc(f, CommFormat.BCCType, CommFormat.BCCStart, CommFormat.BCCByte) + CommFormat.Footer;
      frames.push_back(f);
      joined += f;
    }
    const bool splittable = !CommFormat.Header.empty() && !CommFormat.EndCode.empty() &&
                            (CommFormat.BCCByte == 1 || CommFormat.BCCByte == 2);
    if (frames.size() >= 2 && splittable) Check(SplitFrames(joined, CommFormat) == frames);

    // Any buffer: the pieces join up to it; several pieces are each a bare
    // acknowledgement or a frame that passes its check (one or two check
    // bytes: with any other BCCByte no frame passes the check).
    const ByteString buffer = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<size_t>(0, 200)) + joined;
    const std::vector<ByteString> pieces = SplitFrames(buffer, CommFormat);
    ByteString again;
    for (const ByteString& p : pieces) again += p;
    Check(again == buffer);
    if (pieces.size() > 1 && splittable) {
      for (const ByteString& p : pieces) {
        const bool bare = p.size() == 1 && (p[0] == TfrmComm::kAck || p[0] == TfrmComm::kNak);
        const ByteString beforeFooter = p.substr(0, p.size() - std::min(p.size(), CommFormat.Footer.size()));
        Check(bare || probe.CheckBcc(beforeFooter));
      }
    }
  }

  comm.CommX1().OnReceive = [&comm](TCustomCommX& sender, int32_t n) { comm.CommX1Receive(sender, n); };
  size_t delivered = 0;
  comm.OnStatusText = [&](const std::string& text) {
    if (text != "Read Response") return;
    size_t held = 0;
    for (int k = 1; k <= 4; ++k) held += CardData.TrackData[k].size() + CardData.TrackStatus[k].size();
    Check(held <= delivered);
  };
  if (in.ConsumeBool()) comm.Show();  // the monitor logs every frame
  if (!comm.OpenPort(false)) return 0;

  std::set<ByteString> commands;
  auto deliver = [&](const ByteString& bytes) {
    if (port->Deliver(bytes)) delivered += bytes.size();
  };

  for (int step = 0; step < 32 && in.remaining_bytes() > 0; ++step) {
    switch (in.ConsumeIntegralInRange(0, 5)) {
      case 0:
      case 1:
        deliver(in.ConsumeBytesAsString(in.ConsumeIntegralInRange<size_t>(0, 300)));
        break;
      case 2:
        tk.Advance(in.ConsumeIntegralInRange<uint32_t>(0, 400));
        break;
      case 3: {
        // A command waits for its answer while bytes arrive during the wait.
        const ByteString later = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<size_t>(0, 120));
        tk.At(in.ConsumeIntegralInRange<uint32_t>(0, 300), [&, later] { deliver(later); });
        static const char* const kCommands[] = {"VR", "SP", "SP1FF", "PR"};
        const std::string command = Pick(in, kCommands);
        ByteString frame = CommFormat.Header + command + CommFormat.EndCode;
        frame += TfrmComm::MakeBcc(frame, CommFormat.BCCType, CommFormat.BCCStart, CommFormat.BCCByte);
        commands.insert(frame + CommFormat.Footer);
        comm.SendCommand(command);
        comm.WaitResponse(in.ConsumeIntegralInRange(0, 300));
        break;
      }
      case 4:
        // The port closes and opens again, possibly in the middle of a frame.
        comm.ClosePort();
        if (!comm.OpenPort(false)) return 0;
        break;
      case 5:
        SetAnsiCodePage(in.ConsumeBool() ? static_cast<const ICodePage*>(&sjis) : &single);
        break;
    }
  }
  tk.Advance(400);  // every frame ends (ReciveBuffTime is at most 200 ms), every read is typed

  const std::set<ByteString> answers = {ByteString(1, TfrmComm::kAck) + CommFormat.Footer,
                                        ByteString(1, TfrmComm::kNak) + CommFormat.Footer,
                                        ByteString(1, TfrmComm::kNakLimit) + CommFormat.Footer};
  for (const ByteString& w : port->writes) Check(answers.count(w) > 0 || commands.count(w) > 0);
  Check(KeysBalanced(keys.Events()));
  SetAnsiCodePage(nullptr);
  return 0;
}
