#pragma once
// What a soak run typed, held against what the reader sent: the numbered
// reads of the simulator (tools/sim/SimCards.h) typed one per line as
// track 1, the separator, track 2 and Enter. Every line is traced back to the
// read whose number it carries; a line that is not exactly that read's text
// is garbled, a read that never arrived is lost, one that arrived twice is
// duplicated.
#include <cstdint>
#include <string>
#include <vector>

namespace km27::soak {

struct SoakFigures {
  int64_t sent = 0;        // reads the reader sent (numbered 0 .. sent-1)
  int64_t lines = 0;       // lines typed
  int64_t lost = 0;        // reads never typed
  int64_t duplicated = 0;  // extra copies of reads typed more than once
  int64_t garbled = 0;     // lines that are not exactly a read's text
  int64_t outOfOrder = 0;  // reads typed after a read with a higher number
  std::vector<std::string> examples;  // the first few problems, for the report
};

// The line read `index` of run `seed` types (without the line break).
std::string ExpectedLine(uint32_t seed, int64_t index, const std::string& separator);

// Compares `typed` (lines ending in CR LF, as an edit control holds them)
// with reads 0 .. sent-1.
SoakFigures CheckTyped(const std::string& typed, uint32_t seed, int64_t sent, const std::string& separator);

}  // namespace km27::soak
