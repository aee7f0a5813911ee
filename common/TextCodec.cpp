#include "common/TextCodec.h"

namespace km27 {

namespace {
AsciiTextCodec gAscii;
ITextCodec* gCodec = &gAscii;
}  // namespace

ITextCodec& TextCodec() { return *gCodec; }
void SetTextCodec(ITextCodec* codec) { gCodec = codec ? codec : &gAscii; }

std::string AsciiTextCodec::ToUtf8(const ByteString& text, int) {
  std::string out;
  out.reserve(text.size());
  for (unsigned char c : text) {
    if (c < 0x80)
      out += static_cast<char>(c);
    else
      out += kReplacementMark;
  }
  return out;
}

CodePageText AsciiTextCodec::FromUtf8(const std::string& utf8, int) {
  CodePageText out;
  for (size_t i = 0; i < utf8.size();) {
    if (static_cast<unsigned char>(utf8[i]) < 0x80) {
      out.text += utf8[i++];
      continue;
    }
    if (out.refused++ == 0) out.firstRefused = i;
    size_t n = Utf8CharLength(utf8, i);
    i += n ? n : 1;
  }
  return out;
}

int CodePageOfCharSet(int charSet) {
  static const struct {
    int charSet, codePage;
  } table[] = {{128, 932},  {129, 949},  {130, 1361}, {134, 936},  {136, 950},  {161, 1253}, {162, 1254},
               {163, 1258}, {177, 1255}, {178, 1256}, {186, 1257}, {204, 1251}, {222, 874},  {238, 1250}};
  for (const auto& e : table)
    if (e.charSet == charSet) return e.codePage;
  return 1252;
}

size_t Utf8CharLength(const std::string& utf8, size_t at) {
  if (at >= utf8.size()) return 0;
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(utf8[i]); };
  const unsigned char c = byte(at);
  size_t n;
  unsigned char lo = 0x80, hi = 0xBF;  // the allowed range of the second byte
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    if (c == 0xE0) lo = 0xA0;  // overlong
    if (c == 0xED) hi = 0x9F;  // surrogates
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    if (c == 0xF0) lo = 0x90;
    if (c == 0xF4) hi = 0x8F;  // beyond U+10FFFF
  } else {
    return 0;
  }
  if (at + n > utf8.size()) return 0;
  if (byte(at + 1) < lo || byte(at + 1) > hi) return 0;
  for (size_t i = 2; i < n; ++i)
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
  return n;
}

}  // namespace km27
