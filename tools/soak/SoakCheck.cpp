#include "SoakCheck.h"

#include "SimCards.h"

namespace km27::soak {

namespace {

constexpr size_t kMaxExamples = 10;

void Note(SoakFigures& f, const std::string& what) {
  if (f.examples.size() < kMaxExamples) f.examples.push_back(what);
}

}  // namespace

std::string ExpectedLine(uint32_t seed, int64_t index, const std::string& separator) {
  const km27sim::NumberedRead read = km27sim::MakeNumberedRead(seed, static_cast<uint64_t>(index));
  return read.track1 + separator + read.track2;
}

SoakFigures CheckTyped(const std::string& typed, uint32_t seed, int64_t sent, const std::string& separator) {
  SoakFigures f;
  f.sent = sent;
  std::vector<int> seen(static_cast<size_t>(sent > 0 ? sent : 0), 0);
  int64_t highest = -1;
  size_t at = 0;
  while (at < typed.size()) {
    size_t end = typed.find("\r\n", at);
    const bool complete = end != std::string::npos;
    if (!complete) end = typed.size();
    const std::string line = typed.substr(at, end - at);
    at = complete ? end + 2 : end;
    ++f.lines;
    // Reads are numbered modulo a million; a run is far shorter.
    const int64_t index = km27sim::NumberedReadIndex(line);
    if (!complete || index < 0 || index >= sent || line != ExpectedLine(seed, index, separator)) {
      ++f.garbled;
      Note(f, "garbled line " + std::to_string(f.lines) + ": \"" + line + "\"" + (complete ? "" : " (no Enter)"));
      continue;
    }
    if (++seen[static_cast<size_t>(index)] > 1) {
      ++f.duplicated;
      Note(f, "read " + std::to_string(index) + " typed again at line " + std::to_string(f.lines));
    }
    if (index < highest) ++f.outOfOrder;
    if (index > highest) highest = index;
  }
  for (int64_t i = 0; i < sent; ++i) {
    if (seen[static_cast<size_t>(i)] == 0) {
      ++f.lost;
      Note(f, "read " + std::to_string(i) + " lost: \"" + ExpectedLine(seed, i, separator) + "\"");
    }
  }
  return f;
}

}  // namespace km27::soak
