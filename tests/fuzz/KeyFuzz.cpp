// libFuzzer target: key notation and the key-data format. Any header,
// separator, terminator, blocks with their own headers and footers, track
// selection and card data are typed through the fake keyboard (US layout,
// Caps Lock and kana mode from the input); notation texts are also typed on
// their own and classified for the options dialog's radio choices.
//
// Nothing may crash or hang; every key pressed is released; the number of
// key events stays within what the typed texts can ask for; the radio
// choices map back to themselves.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "keyboard/KeyInjection.h"
#include "keyboard/KeyNotation.h"
#include "keyboard/KeyOutput.h"
#include "settings/Define.h"
#include "tests/fuzz/FuzzChecks.h"
#include "tests/support/FakeKeyInjector.h"

namespace {

using namespace km27;
using fuzz::Check;
using fuzz::KeysBalanced;

std::string Flags(FuzzedDataProvider& in) {
  std::string s;
  for (size_t n = in.ConsumeIntegralInRange<size_t>(0, 5); n > 0; --n) s += in.ConsumeBool() ? '1' : '0';
  return s;
}

// Notation texts are short in practice but may hold anything.
std::string Text(FuzzedDataProvider& in, size_t max) { return in.ConsumeRandomLengthString(max); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  FakeKeyInjector keys(in.ConsumeBool());
  ResetSettingsToBuiltIn();
  ResetKeyState();
  KeyState.KanaMode = in.ConsumeBool();

  // Every character typed costs at most Ctrl, Shift and Alt around its key
  // (8 events); texts are counted once for each time they can be typed.
  size_t budget = 64;
  KeyData.Header = Text(in, 48);
  KeyData.TrackSeparator = Text(in, 24);
  KeyData.Terminator = Text(in, 48);
  budget += 8 * (KeyData.Header.size() + 3 * KeyData.TrackSeparator.size() + KeyData.Terminator.size());
  const int blocks = in.ConsumeIntegralInRange(0, 6);
  KeyData.Blocks.clear();
  for (int i = 0; i < blocks; ++i) {
    TBlockData b;
    b.Track = in.ConsumeIntegralInRange(-1, 5);
    b.AllData = in.ConsumeBool();
    b.Start = in.ConsumeIntegralInRange(-3, 210);
    b.Digit = in.ConsumeIntegralInRange(-3, 210);
    b.BlockHeader = Text(in, 24);
    b.BlockFooter = Text(in, 24);
    KeyData.Blocks.push_back(b);
  }
  KeyData.BlockNum = blocks;
  CardData.Tracks = Flags(in);
  CardData.TrackUse = Flags(in);
  size_t dataLength = 0;
  for (int k = 1; k <= 4; ++k) {
    CardData.TrackStatus[k] = in.ConsumeIntegralInRange(0, 3) == 0 ? Text(in, 2) : "0";
    CardData.TrackData[k] = Text(in, 220);
    dataLength += CardData.TrackData[k].size();
  }
  for (const TBlockData& b : KeyData.Blocks) budget += 8 * (b.BlockHeader.size() + b.BlockFooter.size() + dataLength + 1);

  SendKeyData();
  Check(KeysBalanced(keys.Events()));
  Check(keys.Events().size() <= budget);

  // A notation text on its own, as the options dialog's key code test types it.
  keys.Clear();
  const std::string notation = Text(in, 400);
  TypeKeyString(notation);
  Check(KeysBalanced(keys.Events()));
  Check(keys.Events().size() <= 8 * notation.size());

  // The radio choices and the notation texts they stand for.
  for (int choice = 0; choice <= 2; ++choice) Check(ClassifyKeyText(KeyTextOfChoice(choice, notation)) == choice);
  Check(KeyTextOfChoice(3, notation) == notation);
  const int chosen = ClassifyKeyText(notation);
  Check(chosen >= 0 && chosen <= 3);
  for (const char* tail : {"]", ")", "[", "("}) MatchNamedKey(notation + tail);
  FindChord(notation);
  KeyCodeOfName(notation);
  return 0;
}
