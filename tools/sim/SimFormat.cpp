#include "SimFormat.h"

#include <cstdio>

namespace km27sim {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string MakeBcc(const std::string& data, const FrameFormat& f) {
  // Every byte from bccStart on, however long the frame: the host checks
  // long card reads (more than 255 bytes) over all of their bytes too.
  unsigned value = 0;
  size_t n = data.size();
  if (f.bccStart >= 1 && n >= static_cast<size_t>(f.bccStart)) {
    for (size_t i = static_cast<size_t>(f.bccStart); i <= n; ++i) {
      unsigned char b = static_cast<unsigned char>(data[i - 1]);
      if (f.bccType == 1) value ^= b;
      else if (f.bccType == 2) value = (value + b) & 0xFF;
    }
  }
  if (f.bccBytes == 2) {
    static const char* digits = "0123456789ABCDEF";
    return std::string{digits[value >> 4], digits[value & 0x0F]};
  }
  return std::string(1, static_cast<char>(value));
}

std::string BuildFrame(const std::string& body, const FrameFormat& f, bool corruptBcc) {
  std::string frame = f.header + body + f.end;
  std::string bcc = MakeBcc(frame, f);
  if (corruptBcc) {
    if (f.bccBytes == 2) bcc = bcc == "00" ? "FF" : "00";  // still two hex characters
    else bcc[0] = static_cast<char>(~static_cast<unsigned char>(bcc[0]));
  }
  return frame + bcc + f.footer;
}

std::string DecodeBrackets(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '[' && i + 3 < text.size() && text[i + 3] == ']') {
      int hi = HexDigit(text[i + 1]), lo = HexDigit(text[i + 2]);
      if (hi >= 0 && lo >= 0) {
        out += static_cast<char>(hi * 16 + lo);
        i += 3;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

bool ParseHex(const std::string& text, std::string& out, std::string& error) {
  out.clear();
  int pending = -1;
  for (char c : text) {
    if (c == ' ' || c == ',' || c == ':' || c == '\t') {
      if (pending >= 0) {
        error = "odd number of hex digits";
        return false;
      }
      continue;
    }
    int d = HexDigit(c);
    if (d < 0) {
      error = std::string("not a hex digit: '") + c + "'";
      return false;
    }
    if (pending < 0) {
      pending = d;
    } else {
      out += static_cast<char>(pending * 16 + d);
      pending = -1;
    }
  }
  if (pending >= 0) {
    error = "odd number of hex digits";
    return false;
  }
  return true;
}

std::string ToHex(const std::string& bytes) {
  std::string out;
  char buf[4];
  for (unsigned char b : bytes) {
    std::snprintf(buf, sizeof buf, "%02X", b);
    if (!out.empty()) out += ' ';
    out += buf;
  }
  return out;
}

}  // namespace km27sim
