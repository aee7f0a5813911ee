#pragma once
// A serial port component for native tests. It records every Write as a
// separate item and every operation in order, opens and closes (or refuses to
// open, raising ECommError like the real component), keeps the modem lines a
// test sets, and delivers bytes as if they had arrived on the line: Deliver
// queues them and fires OnReceive with their count; Read hands them out.
//
//   FakeCommPort* port = new FakeCommPort;        // owned by TfrmComm
//   TfrmComm comm{std::unique_ptr<TCustomCommX>(port)};
//   port->Deliver(std::string("\x06", 1));        // OnReceive(*port, 1)
//   port->writes                                  // {"\x02VR\x03\x07", ...}
//
// A line that takes nothing (outputStuck) keeps what is written queued:
// ClearTransmit then discards it (into `discarded`) and FlushTransmit reports
// that something is left. Otherwise every write goes out at once.
#include <cstdint>
#include <string>
#include <vector>

#include "common/ByteString.h"
#include "device/CommX.h"

namespace km27::test {

class FakeCommPort : public TCustomCommX {
 public:
  // ---- TCustomCommX ----
  bool IsOpen() const override { return open_; }
  void Open() override;  // raises ECommError when failOpen is set
  void Close() override;
  bool Write(const char* data, int32_t length) override;
  int32_t Read(char* buffer, int32_t length) override;
  void ClearTransmit() override;
  bool FlushTransmit(int32_t timeoutMs) override;
  void ClearReceive() override;
  int32_t InCount() override { return static_cast<int32_t>(pending_.size()); }
  void SetRTS(bool on) override;
  void SetDTR(bool on) override;
  bool CTS() override { return cts; }
  bool DSR() override { return dsr; }

  // ---- test controls ----
  // Bytes arrive: they are queued and OnReceive fires with their count. A
  // closed port receives nothing (returns false and drops them).
  bool Deliver(const ByteString& bytes);
  // The port stops taking output: OnFailure fires.
  void Fail() {
    if (OnFailure) OnFailure(*this);
  }
  // Every received byte not yet taken by Read.
  const ByteString& Pending() const { return pending_; }
  // Everything written, one item per Write, in order; WrittenBytes joins them.
  std::vector<ByteString> writes;
  ByteString WrittenBytes() const;
  // Writes that ClearTransmit threw away before they went out, in order.
  std::vector<ByteString> discarded;
  // What reached the line: the writes without the discarded ones.
  std::vector<ByteString> Sent() const;
  void ClearRecord() {
    writes.clear();
    calls.clear();
    discarded.clear();
    queued_.clear();
  }

  // Operations in order: "Open", "Close", "Write", "Read", "ClearTransmit",
  // "ClearReceive", "SetRTS", "SetDTR" (a refused open is "Open!").
  std::vector<std::string> calls;
  int opens = 0;    // successful opens
  int closes = 0;   // closes of an open port

  bool failOpen = false;                       // Open raises ECommError
  std::string openError = "Open error.";       // its message
  bool failWrite = false;                      // Write returns false (nothing recorded)
  bool outputStuck = false;                    // writes stay queued (see above)
  bool failRead = false;                       // Read returns -1 (the bytes stay queued)
  bool throwOnRead = false;                    // Read raises ECommError
  bool cts = true;
  bool dsr = true;
  bool rts = false;
  bool dtr = false;

 private:
  bool open_ = false;
  ByteString pending_;
  std::vector<size_t> queued_;  // indexes into writes still queued on a stuck line
};

}  // namespace km27::test
