#include "tests/support/FakeCommPort.h"

#include <algorithm>

namespace km27::test {

void FakeCommPort::Open() {
  if (failOpen) {
    calls.push_back("Open!");
    throw ECommError(openError);
  }
  calls.push_back("Open");
  if (!open_) ++opens;
  open_ = true;
}

void FakeCommPort::Close() {
  calls.push_back("Close");
  if (open_) ++closes;
  open_ = false;
  pending_.clear();
  // Closing clears the output: what the line did not take is lost.
  for (size_t i : queued_)
    if (i < writes.size()) discarded.push_back(writes[i]);
  queued_.clear();
}

bool FakeCommPort::Write(const char* data, int32_t length) {
  calls.push_back("Write");
  if (failWrite || length < 0 || (length > 0 && data == nullptr)) return false;
  writes.emplace_back(data ? data : "", static_cast<size_t>(length));
  if (outputStuck) queued_.push_back(writes.size() - 1);
  return true;
}

int32_t FakeCommPort::Read(char* buffer, int32_t length) {
  calls.push_back("Read");
  if (throwOnRead) throw ECommError("Read error.");
  if (failRead || length < 0 || buffer == nullptr) return -1;
  size_t n = std::min(pending_.size(), static_cast<size_t>(length));
  std::copy_n(pending_.data(), n, buffer);
  pending_.erase(0, n);
  return static_cast<int32_t>(n);
}

void FakeCommPort::ClearTransmit() {
  calls.push_back("ClearTransmit");
  for (size_t i : queued_)
    if (i < writes.size()) discarded.push_back(writes[i]);
  queued_.clear();
}

bool FakeCommPort::FlushTransmit(int32_t) {
  calls.push_back("FlushTransmit");
  if (!outputStuck) queued_.clear();
  return queued_.empty();
}

std::vector<ByteString> FakeCommPort::Sent() const {
  std::vector<ByteString> out = writes;
  for (const ByteString& d : discarded) {
    for (auto it = out.begin(); it != out.end(); ++it) {
      if (*it == d) {
        out.erase(it);
        break;
      }
    }
  }
  return out;
}

void FakeCommPort::ClearReceive() {
  calls.push_back("ClearReceive");
  pending_.clear();
}

void FakeCommPort::SetRTS(bool on) {
  calls.push_back("SetRTS");
  rts = on;
}

void FakeCommPort::SetDTR(bool on) {
  calls.push_back("SetDTR");
  dtr = on;
}

bool FakeCommPort::Deliver(const ByteString& bytes) {
  if (!open_) return false;
  if (bytes.empty()) return true;
  pending_ += bytes;
  if (OnReceive) OnReceive(*this, static_cast<int32_t>(bytes.size()));
  return true;
}

ByteString FakeCommPort::WrittenBytes() const {
  ByteString all;
  for (const auto& w : writes) all += w;
  return all;
}

}  // namespace km27::test
