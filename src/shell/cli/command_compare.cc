// pellory-cli compare FILE: the whole chip read into memory and compared with FILE's image,
// every difference one line on standard output.
#include <ostream>

#include "operations/result_codes.h"
#include "shell/cli/command_table.h"
#include "shell/cli/messages.h"
#include "ui/text_format.h"

namespace pellory {

namespace {
// Address, the file's byte, the chip's byte.
constexpr char kCompareDifferenceFormat[] = "0x%08lX %02X %02X\n";
constexpr char kCompareCountFormat[] = "Unterschiede: %lu\n";
}  // namespace

int CommandCompare(CliContext& context) {
  DataImage expected;
  // A file that cannot be read, or that the chip could not hold, needs no chip.
  if (int loaded = LoadCliImage(context, expected, true); loaded != 0) {
    return ExitStatusForResult(loaded);
  }
  DataImage chip;
  int read = context.tool.commands().ReadChipImage(chip);
  if (read != 0) return ExitStatusForResult(read);
  // Nothing was read (the prompt cancelled): nothing was compared, and 0 would tell a
  // script that the chip holds the file.
  if (chip.Size() == 0) return ExitStatusForResult(kResultAborted);
  // Written as they are found, in pieces: a chip that differs everywhere is 16 million lines.
  std::string text;
  uint64_t differences = CompareImages(expected, chip, [&](const ImageDifference& d) {
    text += StrFormat(kCompareDifferenceFormat, static_cast<unsigned long>(d.Address),
                      unsigned{d.Expected}, unsigned{d.Actual});
    if (text.size() >= 1 << 16) {
      context.out << text;
      text.clear();
    }
  });
  context.out << text << StrFormat(kCompareCountFormat, static_cast<unsigned long>(differences));
  context.out.flush();
  return differences == 0 ? kExitOk : ExitStatusForResult(kResultVerifyFailed);
}

}  // namespace pellory
