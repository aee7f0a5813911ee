// Placeholder until the key-data formatting lands.
#include "keyboard/KeyOutput.h"

namespace km27 {

void SendKeyData() {}
void TypeFormatPart(int) {}
void TypeTrack(const std::string&, int) {}
int ClassifyKeyText(const std::string&) { return 0; }
std::string KeyTextOfChoice(int, const std::string&) { return {}; }

}  // namespace km27
