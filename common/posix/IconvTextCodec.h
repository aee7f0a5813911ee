#pragma once
// Texts of a code page to and from UTF-8 through iconv (glibc names the pages
// "CP932", "CP1252", ...). A code page iconv does not have converts as
// AsciiTextCodec does.
#include "common/TextCodec.h"

namespace km27 {

class IconvTextCodec : public ITextCodec {
 public:
  std::string ToUtf8(const ByteString& text, int codePage) override;
  CodePageText FromUtf8(const std::string& utf8, int codePage) override;
};

}  // namespace km27
