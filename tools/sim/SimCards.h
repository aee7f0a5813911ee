#pragma once
// Numbered card reads for long runs. Read i of a run with seed s always has
// the same two tracks, so whoever knows (s, i) knows exactly what must arrive
// and a typed line can be traced back to the read it came from.
//
// Track 1 is "S", the index as six digits, then 4 to 24 letters and digits;
// track 2 is 4 to 16 digits. Only letters and digits: every keyboard layout
// types them, so what arrives can be compared byte for byte.
#include <cstdint>
#include <string>

namespace km27sim {

struct NumberedRead {
  std::string track1, track2;
};

NumberedRead MakeNumberedRead(uint32_t seed, uint64_t index);

// The card read's body: "CR0", status "0" and track 1, the separator,
// status "0" and track 2.
std::string NumberedReadBody(const NumberedRead& read, const std::string& separator);

// The index a text that starts like a numbered track 1 carries ("S" and six
// digits); -1 for any other text.
int64_t NumberedReadIndex(const std::string& text);

}  // namespace km27sim
