// The soak's judge of typed text: every way a read can go wrong on its way
// to the keyboard is counted as what it is.
#include <gtest/gtest.h>

#include "SoakCheck.h"

namespace km27::soak {
namespace {

std::string Line(int64_t i) { return ExpectedLine(3, i, "/") + "\r\n"; }

TEST(SoakCheck, EveryReadOnceIsAPass) {
  std::string typed;
  for (int i = 0; i < 50; ++i) typed += Line(i);
  const SoakFigures f = CheckTyped(typed, 3, 50, "/");
  EXPECT_EQ(f.lines, 50);
  EXPECT_EQ(f.lost + f.duplicated + f.garbled + f.outOfOrder, 0);
  EXPECT_TRUE(f.examples.empty());
  EXPECT_EQ(ExpectedLine(3, 7, "/").substr(0, 7), "S000007");
}

TEST(SoakCheck, LostDuplicatedGarbledAndLateReads) {
  std::string bad = Line(2);
  bad[9] = bad[9] == 'x' ? 'y' : 'x';  // one character changed
  const std::string typed = Line(0) + Line(3) + Line(1) + Line(3) + bad + Line(4).substr(0, 12) + "\r\n" +
                            "noise\r\n" + Line(5).substr(0, Line(5).size() - 2);
  const SoakFigures f = CheckTyped(typed, 3, 7, "/");
  EXPECT_EQ(f.lines, 8);
  EXPECT_EQ(f.duplicated, 1);       // read 3
  EXPECT_EQ(f.outOfOrder, 1);       // read 1 after read 3
  EXPECT_EQ(f.garbled, 4);          // read 2 changed, read 4 cut, noise, read 5 without Enter
  EXPECT_EQ(f.lost, 4);             // reads 2, 4, 5 and 6
  EXPECT_EQ(f.examples.size(), 9u);
  // A line carrying a number beyond the run, or another run's read, is garbled.
  EXPECT_EQ(CheckTyped(Line(9), 3, 5, "/").garbled, 1);
  EXPECT_EQ(CheckTyped(ExpectedLine(4, 0, "/") + "\r\n", 3, 1, "/").garbled, 1);
  EXPECT_EQ(CheckTyped(ExpectedLine(3, 0, "\t") + "\r\n", 3, 1, "/").garbled, 1);
}

}  // namespace
}  // namespace km27::soak
