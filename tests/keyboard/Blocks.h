#pragma once
// Blocks of the key-data format, written the way tests read best.
#include <string>
#include <utility>

#include "settings/Define.h"

namespace km27::test {

// A block that types the whole track.
inline TBlockData AllOf(int track, std::string header = "", std::string footer = "") {
  TBlockData b;
  b.Track = track;
  b.AllData = true;
  b.BlockHeader = std::move(header);
  b.BlockFooter = std::move(footer);
  return b;
}

// A block that types `digit` characters from character `start` (from 1).
inline TBlockData PartOf(int track, int start, int digit, std::string header = "", std::string footer = "") {
  TBlockData b = AllOf(track, std::move(header), std::move(footer));
  b.AllData = false;
  b.Start = start;
  b.Digit = digit;
  return b;
}

}  // namespace km27::test
