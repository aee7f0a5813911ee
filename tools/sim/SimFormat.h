#pragma once
// Frame layout and byte notation of the reader simulator: the reader's frame
// envelope (header, body, end code, block check, footer) and the two ways
// bytes are written on its command line and control channel: hex pairs
// ("02 56 52") and text with bracket escapes ("VR[03]").
#include <string>

namespace km27sim {

struct FrameFormat {
  std::string header = "\x02";
  std::string end = "\x03";
  std::string footer;
  int bccType = 1;   // 1 exclusive-or, 2 sum modulo 256, other: 0
  int bccBytes = 1;  // 2: two hex characters; otherwise one raw byte
  int bccStart = 2;  // 1-based position of the first byte covered

  // Bytes of the block check as sent after the end code.
  size_t BccLength() const { return bccBytes == 2 ? 2 : 1; }
};

// Block check over data (header, body and end code), as the reader sends it.
std::string MakeBcc(const std::string& data, const FrameFormat& f);

// header + body + end + BCC + footer; corruptBcc flips every bit of the check.
std::string BuildFrame(const std::string& body, const FrameFormat& f, bool corruptBcc = false);

// "[hh]" is one byte, every other character stands for itself.
std::string DecodeBrackets(const std::string& text);

// Hex pairs, optionally separated by spaces, commas or colons. False with a
// reason in error on anything else.
bool ParseHex(const std::string& text, std::string& out, std::string& error);

// "02 56 52"
std::string ToHex(const std::string& bytes);

}  // namespace km27sim
