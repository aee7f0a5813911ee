#pragma once
// Texts between the model and a toolkit that speaks UTF-8. The model keeps its
// texts as 8-bit bytes of the language file's code page (932 for Japanese, a
// single-byte page such as 1252 otherwise); such a toolkit converts at its
// edge, both ways, through the converter in force. The platform layer
// installs its own; without one only ASCII passes.
#include <cstddef>
#include <string>

#include "common/ByteString.h"

namespace km27 {

// U+FFFD in UTF-8: what a byte sequence the code page does not define shows as.
inline constexpr char kReplacementMark[] = "\xEF\xBF\xBD";

// User input turned back into the code page. Characters the code page cannot
// hold (and bytes that are not UTF-8) are left out of `text` and counted, so
// the caller can refuse the input or say what was lost.
struct CodePageText {
  ByteString text;
  size_t refused = 0;
  size_t firstRefused = std::string::npos;  // byte offset in the UTF-8 input
  bool Complete() const { return refused == 0; }
};

class ITextCodec {
 public:
  virtual ~ITextCodec() = default;
  // Never fails and never drops a byte unseen: each sequence the code page
  // does not define becomes one U+FFFD.
  virtual std::string ToUtf8(const ByteString& text, int codePage) = 0;
  virtual CodePageText FromUtf8(const std::string& utf8, int codePage) = 0;
};

// ASCII in both directions; every other byte shows as U+FFFD and every other
// character is refused. The default, and the answer for a code page the
// system cannot convert.
class AsciiTextCodec : public ITextCodec {
 public:
  std::string ToUtf8(const ByteString& text, int codePage) override;
  CodePageText FromUtf8(const std::string& utf8, int codePage) override;
};

ITextCodec& TextCodec();
void SetTextCodec(ITextCodec* codec);  // nullptr restores AsciiTextCodec

// The code page of a language file's FontCharSet (Windows character set
// numbers: 128 is Shift-JIS, so 932). 0, 1 (the system's) and numbers
// without a code page give 1252.
int CodePageOfCharSet(int charSet);

// Length of the UTF-8 character at utf8[at], 0 when the bytes there are not
// one (a stray continuation byte, an overlong or cut-off sequence).
size_t Utf8CharLength(const std::string& utf8, size_t at);

}  // namespace km27
