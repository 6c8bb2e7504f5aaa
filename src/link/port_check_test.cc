// The line faults the simulator cannot make: two lines joined, and a line that reads
// another's output while that one is right. (Stuck and swapped lines, the handshake and the
// report are the end-to-end tests' in tests/e2e/ppdev_test.cc.)
#include "link/port_check.h"

#include <gtest/gtest.h>

#include <functional>

namespace pellory {
namespace {

LineSamples Sample(const std::function<uint8_t(uint8_t)>& wiring) {
  LineSamples samples;
  for (uint8_t pattern : LinePatterns()) samples.emplace_back(pattern, wiring(pattern));
  return samples;
}

int Bit(uint8_t value, int i) {
  return (value >> i) & 1;
}

TEST(PortCheckTest, JoinedAndMiswiredLines) {
  using Pairs = std::vector<std::pair<int, int>>;
  // Lines 2 and 5 joined, the low level winning (open drain).
  LineFindings joined = AnalyseLines(Sample([](uint8_t out) {
    bool both = Bit(out, 2) && Bit(out, 5);
    return static_cast<uint8_t>((out & ~0x24) | (both ? 0x24 : 0));
  }));
  EXPECT_EQ(joined.Tied, (Pairs{{2, 5}}));
  EXPECT_FALSE(joined.Ok());
  // Joined, the high level winning.
  LineFindings high = AnalyseLines(Sample([](uint8_t out) {
    bool either = Bit(out, 0) || Bit(out, 3);
    return static_cast<uint8_t>((out & ~0x09) | (either ? 0x09 : 0));
  }));
  EXPECT_EQ(high.Tied, (Pairs{{0, 3}}));
  // Line 6 reads line 1's output; line 1 itself is right.
  LineFindings follows = AnalyseLines(
      Sample([](uint8_t out) { return static_cast<uint8_t>((out & ~0x40) | Bit(out, 1) << 6); }));
  EXPECT_EQ(follows.Follows, (Pairs{{6, 1}}));
  EXPECT_TRUE(follows.Swapped.empty() && follows.Tied.empty());
  // A line that reads the inverse of what is written fits none of the findings.
  LineFindings wrong =
      AnalyseLines(Sample([](uint8_t out) { return static_cast<uint8_t>(out ^ 0x80); }));
  EXPECT_EQ(wrong.Wrong, 0x80);
  EXPECT_TRUE(AnalyseLines(Sample([](uint8_t out) { return out; })).Ok());
}

}  // namespace
}  // namespace pellory
