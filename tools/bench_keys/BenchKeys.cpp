// Formats and types a three-track read (40 + 107 + 104 characters) with a
// header, blocks with their own headers and footers, separators and a
// terminator through the fake injector, and prints the key events per
// second and the microseconds per read.
//   bench_keys [reads]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "keyboard/KeyInjection.h"
#include "keyboard/KeyOutput.h"
#include "settings/Define.h"
#include "tests/support/FakeKeyInjector.h"

using namespace km27;

namespace {

std::string Pattern(const char* alphabet, size_t length) {
  std::string s;
  const std::string a(alphabet);
  for (size_t i = 0; i < length; ++i) s += a[i % a.size()];
  return s;
}

TBlockData Block(int track, bool all, int start, int digit, const char* header, const char* footer) {
  TBlockData b;
  b.Track = track;
  b.AllData = all;
  b.Start = start;
  b.Digit = digit;
  b.BlockHeader = header;
  b.BlockFooter = footer;
  return b;
}

void SetUpRead() {
  ResetSettingsToBuiltIn();
  CardData.Tracks = "1110";
  CardData.TrackUse = "1110";
  CardData.TrackData[1] = "%B4111111111111111^DOE/JOHN Q^2512101?";
  CardData.TrackData[1].resize(40, '0');
  CardData.TrackData[2] = Pattern(";0123456789=ABCDEF?", 107);
  CardData.TrackData[3] = Pattern("0123456789abcdefXYZ=", 104);
  for (int k = 1; k <= 3; ++k) CardData.TrackStatus[k] = "0";
  KeyData.Header = "[HOME]Card([SHIFT]x)";
  KeyData.TrackSeparator = "[TAB]";
  KeyData.Terminator = "[ENTER]";
  KeyData.Blocks = {Block(1, true, 0, 0, "T1:", ""), Block(2, false, 1, 50, "T2a:", "|"),
                    Block(2, false, 51, 57, "T2b:", ""), Block(3, true, 0, 0, "([SHIFT]t)3:", "[END]")};
  KeyData.BlockNum = static_cast<int32_t>(KeyData.Blocks.size());
}

}  // namespace

int main(int argc, char** argv) {
  const long reads = argc > 1 ? std::max(1L, std::atol(argv[1])) : 20000;
  SetUpRead();
  FakeKeyInjector fake;
  ResetKeyState();

  SendKeyData();
  const size_t eventsPerRead = fake.Events().size();
  const std::string typed = fake.TypedText();
  fake.Clear();

  long long events = 0;
  const auto start = std::chrono::steady_clock::now();
  for (long i = 0; i < reads; ++i) {
    SendKeyData();
    events += static_cast<long long>(fake.Events().size());
    fake.Clear();
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  std::printf("track lengths        %zu + %zu + %zu characters\n", CardData.TrackData[1].size(),
              CardData.TrackData[2].size(), CardData.TrackData[3].size());
  std::printf("typed text           %zu characters\n", typed.size());
  std::printf("key events per read  %zu\n", eventsPerRead);
  std::printf("reads                %ld in %.3f s\n", reads, seconds);
  std::printf("key events per sec   %.0f\n", static_cast<double>(events) / seconds);
  std::printf("microseconds / read  %.2f\n", seconds * 1e6 / static_cast<double>(reads));
  return 0;
}
