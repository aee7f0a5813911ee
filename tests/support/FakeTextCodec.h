#pragma once
// Records every conversion a toolkit edge asks for and answers as
// AsciiTextCodec does (ASCII passes, everything else is the mark or refused),
// so a test sees which texts crossed and with which code page.
#include <string>
#include <vector>

#include "common/TextCodec.h"

namespace km27::test {

class FakeTextCodec : public ITextCodec {
 public:
  struct Call {
    bool toUtf8;
    std::string text;
    int codePage;
  };
  FakeTextCodec() { SetTextCodec(this); }
  ~FakeTextCodec() override { SetTextCodec(nullptr); }
  std::string ToUtf8(const ByteString& text, int codePage) override {
    calls.push_back({true, text, codePage});
    return AsciiTextCodec().ToUtf8(text, codePage);
  }
  CodePageText FromUtf8(const std::string& utf8, int codePage) override {
    calls.push_back({false, utf8, codePage});
    return AsciiTextCodec().FromUtf8(utf8, codePage);
  }
  std::vector<Call> calls;
};

}  // namespace km27::test
