#include "common/TextHelpers.h"

#include <cctype>
#include <limits>

#include "common/CodePage.h"
#include "common/MessageSink.h"

namespace km27 {

ByteString ReplaceAll(const ByteString& text, const ByteString& from, const ByteString& to) {
  if (from.empty()) return text;
  ByteString out;
  out.reserve(text.size());
  size_t pos = 0;
  for (;;) {
    size_t hit = text.find(from, pos);
    if (hit == ByteString::npos) break;
    out.append(text, pos, hit - pos);
    out += to;
    pos = hit + from.size();
  }
  out.append(text, pos, ByteString::npos);
  return out;
}

ByteString ExpandLineBreaks(const ByteString& text) { return ReplaceAll(text, "\\n", "\r\n"); }

namespace {

// Value of one hex digit; -1 for a character that cannot be converted at all.
int HexDigitValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c < 'A') return -1;
  return 0;  // any other letter (or character above "A") counts 0
}

}  // namespace

unsigned char HexPairToByte(char high, char low) {
  int h = HexDigitValue(static_cast<unsigned char>(high));
  if (h < 0) {
    ShowPlainMessage("Out of HEX Code Error !");
    return 0;
  }
  int l = HexDigitValue(static_cast<unsigned char>(low));
  if (l < 0) {
    ShowPlainMessage("Out of HEX Code Error !");
    l = 0;
  }
  return static_cast<unsigned char>(h * 16 + l);
}

ByteString DecodeBracketHex(const ByteString& text) {
  ByteString out;
  out.reserve(text.size());
  size_t p = 0;
  while (p < text.size()) {
    if (p + 3 < text.size() && text[p] == '[' && text[p + 3] == ']') {
      out.push_back(static_cast<char>(HexPairToByte(text[p + 1], text[p + 2])));
      p += 4;
    } else {
      out.push_back(text[p]);
      ++p;
    }
  }
  return out;
}

ByteString EncodeBracketHex(const ByteString& text, bool escape, bool multiByte) {
  ByteString out;
  out.reserve(text.size());
  const ICodePage& cp = AnsiCodePage();
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char b = ByteAt(text, i);
    if (multiByte && cp.IsLeadByte(b) && i + 1 < text.size()) {
      out.push_back(text[i]);
      out.push_back(text[i + 1]);
      ++i;
      continue;
    }
    if ((b >= 0x20 && b <= 0x7E) || (b >= 0xA1 && b <= 0xDF) || !escape) {
      out.push_back(text[i]);
    } else {
      out += "[" + HexByte(b) + "]";
    }
  }
  return out;
}

ByteString TrimControl(const ByteString& text) {
  size_t b = 0, e = text.size();
  while (b < e && ByteAt(text, b) <= 32) ++b;
  while (e > b && ByteAt(text, e - 1) <= 32) --e;
  return text.substr(b, e - b);
}

ByteString TrimSpaces(const ByteString& text) {
  size_t b = 0, e = text.size();
  while (b < e && text[b] == ' ') ++b;
  while (e > b && text[e - 1] == ' ') --e;
  return text.substr(b, e - b);
}

ByteString UpperCase(const ByteString& text) {
  ByteString out = text;
  for (auto& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

ByteString LowerCase(const ByteString& text) {
  ByteString out = text;
  for (auto& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

bool SameText(const ByteString& a, const ByteString& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

std::optional<int32_t> ParseInt(const ByteString& text) {
  if (text.empty()) return std::nullopt;
  size_t i = 0;
  bool neg = false;
  if (text[0] == '+' || text[0] == '-') {
    neg = text[0] == '-';
    i = 1;
  }
  if (i >= text.size()) return std::nullopt;
  int64_t v = 0;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
    if (v > static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1) return std::nullopt;
  }
  if (neg) v = -v;
  if (v > std::numeric_limits<int32_t>::max() || v < std::numeric_limits<int32_t>::min()) return std::nullopt;
  return static_cast<int32_t>(v);
}

int32_t StrToIntDef(const ByteString& text, int32_t fallback) {
  auto v = ParseInt(text);
  return v ? *v : fallback;
}

ByteString IntToStr(int64_t value) { return std::to_string(value); }

ByteString HexByte(unsigned char b) {
  static const char* digits = "0123456789ABCDEF";
  ByteString s(2, '0');
  s[0] = digits[b >> 4];
  s[1] = digits[b & 0x0F];
  return s;
}

}  // namespace km27
