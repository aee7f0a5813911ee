// The communication window's components and layout, and the communication
// monitor: a log of every frame sent and received while the window is
// showing, as a hex and ASCII dump or as plain text, whose last line the user
// can send to the reader with Enter.
#include <algorithm>

#include "common/TextHelpers.h"
#include "device/Comm.h"
#include "settings/Messages.h"

namespace km27 {

TfrmComm* frmComm = nullptr;
const char* const TfrmComm::kHexHeader =
    "Dir|--0--1--2--3--4--5--6--7--8--9--A--B--C--D--E--F--|-------ASCII-------|";
const char* const TfrmComm::kTextHeader =
    "Dir|-----------------------------ASCII-----------------------------------..";

namespace {

constexpr uint32_t kGrey = 0x808080;
constexpr size_t kBytesPerLine = 16;

const char* Mark(Direction dir) { return dir == Direction::Sent ? "SD :" : "RD :"; }

ui::Font Monospaced() {
  ui::Font f;
  f.name = "Courier New";
  f.height = 13;
  f.fixedPitch = true;  // the dump's columns must line up
  return f;
}

}  // namespace

TfrmComm::TfrmComm(std::unique_ptr<TCustomCommX> port) : ui::Form("frmComm"), commX1_(std::move(port)) {
  SetCaption("Communication Monitor");
  WindowClassName = "TfrmComm";
  ClientWidth = 628;
  ClientHeight = 336;
  position = Position::MainFormCenter;
  ui::Font tahoma;
  tahoma.name = "Tahoma";
  tahoma.size = 8;
  SetFont(tahoma);

  lblMgr = &Make<ui::Label>("lblMgr");
  ui::Font header = Monospaced();
  header.color = kGrey;
  lblMgr->SetFont(header);
  lblMgr->SetBounds(8, 6, 612, 16);
  lblMgr->Anchors = ui::akLeft | ui::akTop | ui::akRight;
  lblMgr->SetCaption(kHexHeader);

  memMonitor = &Make<ui::Memo>("memMonitor");
  memMonitor->SetFont(Monospaced());
  memMonitor->SetBounds(8, 24, 612, 270);
  memMonitor->Anchors = ui::akLeft | ui::akTop | ui::akRight | ui::akBottom;
  memMonitor->ScrollBars = true;
  memMonitor->WordWrap = false;

  chkType = &Make<ui::CheckBox>("chkType");
  chkType->SetBounds(8, 305, 97, 17);
  chkType->Anchors = ui::akLeft | ui::akBottom;
  chkType->SetCaption("HEX+ASCII");
  chkType->SetChecked(true);

  Label2 = &Make<ui::Label>("Label2");
  ui::Font legend = tahoma;
  legend.color = kGrey;
  Label2->SetFont(legend);
  Label2->SetBounds(120, 307, 320, 14);
  Label2->Anchors = ui::akLeft | ui::akBottom;
  Label2->SetCaption("Note  Dir: SD=Send data,  RD=Received data");

  btnClear = &Make<ui::Button>("btnClear");
  btnClear->SetBounds(464, 301, 75, 25);
  btnClear->Anchors = ui::akRight | ui::akBottom;
  btnClear->SetCaption("Clear");

  btnClose = &Make<ui::Button>("btnClose");
  btnClose->SetBounds(545, 301, 75, 25);
  btnClose->Anchors = ui::akRight | ui::akBottom;
  btnClose->SetCaption("Close");
  btnClose->Cancel = true;

  tmrOpen = &Make<ui::Timer>("tmrOpen", 500, false);
  Timer1 = &Make<ui::Timer>("Timer1", 0, true);
  tmrSendKeyData = &Make<ui::Timer>("tmrSendKeyData", 10, false);

  // Handlers are wired once the initial state is set, so that checking
  // chkType above did not run chkTypeClick.
  chkType->OnClick = [this] { chkTypeClick(); };
  memMonitor->OnKeyPress = [this](char& key) { memMonitorKeyPress(key); };
  btnClear->OnClick = [this] { btnClearClick(); };
  btnClose->OnClick = [this] { btnCloseClick(); };
  tmrOpen->OnTimer = [this] { tmrOpenTimer(); };
  Timer1->OnTimer = [this] { Timer1Timer(); };
  tmrSendKeyData->OnTimer = [this] { tmrSendKeyDataTimer(); };
  OnShow = [this] { FormShow(); };
  if (commX1_) {
    commX1_->OnReceive = [this](TCustomCommX& sender, int32_t size) { CommX1Receive(sender, size); };
    commX1_->OnFailure = [this](TCustomCommX&) {
      if (OnPortFailed) OnPortFailed();
    };
  }
}

TfrmComm::~TfrmComm() {
  if (commX1_) {
    commX1_->OnReceive = nullptr;
    commX1_->OnFailure = nullptr;
  }
}

void TfrmComm::LogFrame(const ByteString& data, Direction dir) {
  if (!Showing()) return;  // the monitor records only while it is showing
  if (chkType->Checked()) {
    DumpHex(data, dir);
  } else {
    std::string line = Mark(dir);
    line += data;
    AddMonitorLine(line);
  }
}

void TfrmComm::DumpHex(const ByteString& data, Direction dir) {
  bool first = true;
  for (size_t offset = 0; offset < data.size(); offset += kBytesPerLine) {
    size_t n = std::min(data.size() - offset, kBytesPerLine);
    std::string line = first ? Mark(dir) : "    ";
    first = false;
    line.reserve(72);
    for (size_t i = 0; i < kBytesPerLine; ++i) {
      if (i < n) {
        line += ' ';
        line += HexByte(ByteAt(data, offset + i));
      } else {
        line += "   ";
      }
    }
    line += "    ";
    for (size_t i = 0; i < kBytesPerLine; ++i) {
      if (i >= n) {
        line += ' ';
        continue;
      }
      unsigned char b = ByteAt(data, offset + i);
      line += (b >= 0x20 && b <= 0x7E) ? static_cast<char>(b) : '.';
    }
    AddMonitorLine(line);
  }
}

void TfrmComm::AddMonitorLine(const std::string& text) {
  if (!Showing()) return;
  // A full log starts over; the line that did not fit is lost.
  if (!memMonitor->AddLine(text)) memMonitor->Clear();
}

void TfrmComm::chkTypeClick() { lblMgr->SetCaption(chkType->Checked() ? kHexHeader : kTextHeader); }

void TfrmComm::memMonitorKeyPress(char& key) {
  if (key != '\r') return;
  // The line the caret leaves is the one sent: the last line of the log.
  std::vector<std::string> lines = memMonitor->Lines();
  std::string line = lines.empty() ? std::string() : lines.back();
  key = 0;
  memMonitor->InsertAtCaret("\r\n");
  SendData(line + "\r\n");
}

void TfrmComm::btnClearClick() { memMonitor->Clear(); }

void TfrmComm::btnCloseClick() { Close(); }

void TfrmComm::FormShow() { tmrOpen->SetEnabled(true); }

void TfrmComm::tmrOpenTimer() {
  tmrOpen->SetEnabled(false);
  if (memMonitor->Text().empty()) memMonitor->InsertAtCaret(gstrCommMonitor_Note + "\r\n");
}

}  // namespace km27
