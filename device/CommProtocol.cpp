// Placeholder until the protocol engine lands.
#include "device/Comm.h"

namespace km27 {

bool TfrmComm::OpenPort(bool) { return false; }
void TfrmComm::ClosePort() {}
void TfrmComm::ApplyPortSettings() {}
void TfrmComm::SendCommand(const std::string&) {}
void TfrmComm::SendData(const ByteString&) {}
ByteString TfrmComm::WaitResponse(int32_t) { return {}; }
bool TfrmComm::CheckBcc(const ByteString&) { return true; }
ByteString TfrmComm::MakeBcc(const ByteString&, int32_t, int32_t, int32_t) { return {}; }
void TfrmComm::CommX1Receive(TCustomCommX&, int32_t) {}
void TfrmComm::Timer1Timer() {}

}  // namespace km27
