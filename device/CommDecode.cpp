// Placeholder until the decoder and the output driver land.
#include "device/Comm.h"

namespace km27 {

void TfrmComm::DecodeFrame(const ByteString&) {}
void TfrmComm::tmrSendKeyDataTimer() {}

}  // namespace km27
