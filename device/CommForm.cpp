// Placeholder until the communication window's components and monitor land.
#include "device/Comm.h"

namespace km27 {

TfrmComm* frmComm = nullptr;
const char* const TfrmComm::kHexHeader =
    "Dir|--0--1--2--3--4--5--6--7--8--9--A--B--C--D--E--F--|-------ASCII-------|";
const char* const TfrmComm::kTextHeader =
    "Dir|-----------------------------ASCII-----------------------------------..";

TfrmComm::TfrmComm(std::unique_ptr<TCustomCommX> port) : ui::Form("frmComm"), commX1_(std::move(port)) {
  lblMgr = &Make<ui::Label>("lblMgr");
  memMonitor = &Make<ui::Memo>("memMonitor");
  chkType = &Make<ui::CheckBox>("chkType");
  Label2 = &Make<ui::Label>("Label2");
  btnClear = &Make<ui::Button>("btnClear");
  btnClose = &Make<ui::Button>("btnClose");
  tmrOpen = &Make<ui::Timer>("tmrOpen", 500, false);
  Timer1 = &Make<ui::Timer>("Timer1", 0, true);
  tmrSendKeyData = &Make<ui::Timer>("tmrSendKeyData", 10, false);
}

TfrmComm::~TfrmComm() = default;

void TfrmComm::LogFrame(const ByteString&, Direction) {}
void TfrmComm::DumpHex(const ByteString&, Direction) {}
void TfrmComm::AddMonitorLine(const std::string&) {}
void TfrmComm::chkTypeClick() {}
void TfrmComm::memMonitorKeyPress(char&) {}
void TfrmComm::btnClearClick() {}
void TfrmComm::btnCloseClick() {}
void TfrmComm::FormShow() {}
void TfrmComm::tmrOpenTimer() {}

}  // namespace km27
