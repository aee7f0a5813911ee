#include "device/FrameSplit.h"

#include <optional>

#include "device/Comm.h"

namespace km27 {

namespace {

constexpr char kAck = 0x06;
constexpr char kNak = 0x15;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Whether the check bytes at `at` match the frame before them. Only exact
// hexadecimal digits count here: a boundary is never guessed.
bool CheckMatches(const ByteString& buffer, size_t from, size_t at, const TCommFormat& f) {
  const unsigned char expected = ByteAt(TfrmComm::MakeBcc(buffer.substr(from, at - from), f.BCCType, f.BCCStart, 1), 0);
  if (f.BCCByte == 2) {
    const int high = HexValue(buffer[at]);
    const int low = HexValue(buffer[at + 1]);
    return high >= 0 && low >= 0 && (high * 16 + low) == expected;
  }
  return ByteAt(buffer, at) == expected;
}

// The end (one past) of the well-formed frame starting at `from`, if there is
// one: the first end code whose check and footer fit.
std::optional<size_t> FrameEnd(const ByteString& buffer, size_t from, const TCommFormat& f) {
  const size_t checkLength = f.BCCByte == 2 ? 2 : 1;
  size_t search = from + f.Header.size() + 2;  // a code of two bytes at least
  for (;;) {
    const size_t end = buffer.find(f.EndCode, search);
    if (end == ByteString::npos) return std::nullopt;
    const size_t check = end + f.EndCode.size();
    const size_t next = check + checkLength + f.Footer.size();
    if (next > buffer.size()) return std::nullopt;
    if (CheckMatches(buffer, from, check, f) &&
        buffer.compare(check + checkLength, f.Footer.size(), f.Footer) == 0)
      return next;
    search = end + 1;
  }
}

}  // namespace

std::vector<ByteString> SplitFrames(const ByteString& buffer, const TCommFormat& format) {
  const std::vector<ByteString> whole{buffer};
  if (format.Header.empty() || format.EndCode.empty() || format.BCCByte < 1) return whole;
  std::vector<ByteString> pieces;
  size_t pos = 0;
  while (pos < buffer.size()) {
    if (buffer.compare(pos, format.Header.size(), format.Header) == 0) {
      const std::optional<size_t> next = FrameEnd(buffer, pos, format);
      if (!next) return whole;
      pieces.push_back(buffer.substr(pos, *next - pos));
      pos = *next;
    } else if (buffer[pos] == kAck || buffer[pos] == kNak) {
      pieces.push_back(buffer.substr(pos, 1));
      ++pos;
    } else {
      return whole;
    }
  }
  if (pieces.size() < 2) return whole;
  return pieces;
}

}  // namespace km27
