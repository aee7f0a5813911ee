#include "SimCards.h"

#include <cstdio>

namespace km27sim {

namespace {

// splitmix64: a well-mixed 64-bit value for each step.
uint64_t Mix(uint64_t& state) {
  uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

std::string Draw(uint64_t& state, const char* alphabet, size_t alphabetSize, size_t minLength, size_t maxLength) {
  size_t length = minLength + Mix(state) % (maxLength - minLength + 1);
  std::string out;
  for (size_t i = 0; i < length; ++i) out += alphabet[Mix(state) % alphabetSize];
  return out;
}

}  // namespace

NumberedRead MakeNumberedRead(uint32_t seed, uint64_t index) {
  static const char kAlnum[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  static const char kDigits[] = "0123456789";
  uint64_t state = (static_cast<uint64_t>(seed) << 32) ^ (index * 0xD1B54A32D192ED03ull);
  char number[16];
  std::snprintf(number, sizeof number, "S%06llu", static_cast<unsigned long long>(index % 1000000));
  NumberedRead read;
  read.track1 = number + Draw(state, kAlnum, sizeof kAlnum - 1, 4, 24);
  read.track2 = Draw(state, kDigits, sizeof kDigits - 1, 4, 16);
  return read;
}

std::string NumberedReadBody(const NumberedRead& read, const std::string& separator) {
  return "CR0" "0" + read.track1 + separator + "0" + read.track2;
}

int64_t NumberedReadIndex(const std::string& text) {
  if (text.size() < 7 || text[0] != 'S') return -1;
  int64_t value = 0;
  for (size_t i = 1; i < 7; ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

}  // namespace km27sim
