#pragma once
// Where low-level helpers report a message to the user (HexPairToByte's
// "Out of HEX Code Error !"). The program connects it to a plain message box;
// tests observe it. Without a sink the message is dropped.
#include <functional>
#include <string>

namespace km27 {

using MessageSink = std::function<void(const std::string& text)>;

void SetMessageSink(MessageSink sink);
void ShowPlainMessage(const std::string& text);

}  // namespace km27
