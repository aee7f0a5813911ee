#include "keyboard/KeyOutput.h"

#include <algorithm>

#include "common/TextHelpers.h"
#include "keyboard/KeyInjection.h"
#include "keyboard/KeyNotation.h"
#include "settings/Define.h"

namespace km27 {

namespace {

bool SlotInUse(int slot) {
  const size_t i = static_cast<size_t>(slot - 1);
  return i < CardData.Tracks.size() && i < CardData.TrackUse.size() && CardData.Tracks[i] == '1' &&
         CardData.TrackUse[i] == '1';
}

bool SlotReadWell(int slot) { return CardData.TrackStatus[static_cast<size_t>(slot)] == "0"; }

// The portion of a block: from character `start` (counted from 1), `digit`
// characters, cut at the end of the data.
ByteString Portion(const ByteString& data, int32_t start, int32_t digit) {
  if (start <= 0 || digit <= 0) return {};
  const size_t from = static_cast<size_t>(start) - 1;
  if (from >= data.size()) return {};
  return data.substr(from, static_cast<size_t>(digit));
}

}  // namespace

bool ReadHasKeyData() {
  for (int k = 1; k <= 4; ++k)
    if (SlotReadWell(k)) return true;
  return false;
}

void SendKeyData() {
  if (!ReadHasKeyData()) return;

  TypeFormatPart(1);
  bool seen = SlotInUse(1);
  if (SlotReadWell(1)) TypeTrack(CardData.TrackData[1], 1);
  for (int k = 2; k <= 4; ++k) {
    // A slot in use gets its separator even when it was read with an error,
    // so the fields after it stay where the receiving program expects them.
    if (SlotInUse(k)) {
      if (seen) TypeFormatPart(2);
      seen = true;
    }
    if (SlotReadWell(k)) TypeTrack(CardData.TrackData[static_cast<size_t>(k)], k);
  }
  TypeFormatPart(3);
}

void TypeFormatPart(int kind) {
  const std::string* text = nullptr;
  switch (kind) {
    case 1: text = &KeyData.Header; break;
    case 2: text = &KeyData.TrackSeparator; break;
    case 3: text = &KeyData.Terminator; break;
    default: return;
  }
  if (!text->empty()) TypeKeyString(*text);
}

void TypeTrack(const std::string& data, int slot) {
  const size_t count = std::min(KeyData.Blocks.size(), static_cast<size_t>(std::max(KeyData.BlockNum, 0)));
  for (size_t i = 0; i < count; ++i) {
    const TBlockData& block = KeyData.Blocks[i];
    if (block.Track != slot) continue;
    if (!block.BlockHeader.empty()) TypeKeyString(block.BlockHeader);
    const ByteString part = block.AllData ? data : Portion(data, block.Start, block.Digit);
    if (!part.empty()) TypeChars(part, true, true);
    if (!block.BlockFooter.empty()) TypeKeyString(block.BlockFooter);
  }
  // Data that switched kana mode on must not carry it into what follows.
  if (KeyState.KanaMode) TypeChars("\x0F", true, true);
}

int ClassifyKeyText(const std::string& original) {
  std::string text = TrimControl(original);
  if (text.empty()) return 0;
  if (text[0] == '[') text.erase(0, 1);
  const size_t close = text.find(']');
  if (close != std::string::npos && close + 1 == text.size()) text.pop_back();
  if (text.empty()) return 0;
  const uint8_t code = KeyCodeOfName(text);
  if (code == 0x0D) return 1;
  if (code == 0x09) return 2;
  return 3;
}

std::string KeyTextOfChoice(int choice, const std::string& otherText) {
  switch (choice) {
    case 1: return "[ENTER]";
    case 2: return "[TAB]";
    case 3: return otherText;
    default: return {};
  }
}

}  // namespace km27
