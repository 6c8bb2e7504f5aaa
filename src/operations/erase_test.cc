#include "operations/erase.h"

#include <gtest/gtest.h>

#include "operations/chip_bench.h"
#include "operations/messages.h"
#include "operations/result_codes.h"

namespace pellory {
namespace {

// Answers to "Baustein löschen" and what the chip holds afterwards; a chip with page
// erase only is neither asked about nor erased.
TEST(EraseTest, ChipErasesAskFirstAndLeaveTheChipBlank) {
  DeviceDescriptor pageErase = TestPart(kModeSpi25, 65536, 256);
  pageErase.EraseKind = kErasePage;
  struct Case {
    DeviceDescriptor part;
    int answer;
    size_t questions;
    bool erased;
  } cases[] = {
      {TestPart(kModeSpi25, 65536, 256), kIdOk, 1, true},
      {TestPart(kModeSpi25, 65536, 256), kIdCancel, 1, false},
      {TestPart(kModeAt45, 135168, 264), kIdOk, 1, true},
      {TestPart(kModeAt45, 135168, 264), kIdCancel, 1, false},
      {pageErase, kIdOk, 0, false},
  };
  for (const Case& c : cases) {
    ChipBench b(c.part);
    std::fill(b.Memory().begin(), b.Memory().end(), 0x3C);
    b.ui.DefaultAnswer = c.answer;
    EraseOperation& erase = b.ops.erase;
    int result = c.part.ProgrammingMode == kModeAt45 ? erase.EraseAt45() : erase.EraseSpi25();
    EXPECT_EQ(result, kResultOk);
    EXPECT_EQ(b.ui.BoxTexts(), std::vector<std::string>(c.questions, kEraseQuestion));
    EXPECT_EQ(b.Memory(), std::vector<uint8_t>(b.Memory().size(), c.erased ? 0xFF : 0x3C));
    EXPECT_FALSE(b.programmer.SupplyOn());
  }
}

}  // namespace
}  // namespace pellory
