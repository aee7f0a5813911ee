#pragma once
// An 8-bit string that may hold any byte, 0x00 included. Frames, frame
// settings, card data and every text of the program are byte strings in the
// ANSI code page. Positions are 0-based in code; comments that talk about the
// reader's frame layout count from 1 like the reader's documentation does.
#include <string>

namespace km27 {

using ByteString = std::string;

inline unsigned char ByteAt(const ByteString& s, size_t i) { return static_cast<unsigned char>(s[i]); }

}  // namespace km27
