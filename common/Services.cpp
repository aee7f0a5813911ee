#include "common/CodePage.h"
#include "common/MessageSink.h"

namespace km27 {

namespace {
const SingleByteCodePage kSingleByte;
const ICodePage* gCodePage = &kSingleByte;
MessageSink gSink;
}  // namespace

const ICodePage& AnsiCodePage() { return *gCodePage; }
void SetAnsiCodePage(const ICodePage* cp) { gCodePage = cp ? cp : &kSingleByte; }

void SetMessageSink(MessageSink sink) { gSink = std::move(sink); }
void ShowPlainMessage(const std::string& text) {
  if (gSink) gSink(text);
}

}  // namespace km27
