// pellory-cli checksum FILE: size, coverage, sums and format of FILE's image in one line.
#include <ostream>
#include <sstream>

#include "model/device_descriptor.h"
#include "operations/result_codes.h"
#include "shell/cli/command_table.h"
#include "shell/cli/messages.h"
#include "ui/text_format.h"

namespace pellory {

int LoadCliImage(CliContext& context, DataImage& image, bool fitDevice) {
  // The file's messages go to standard error: standard output carries only the image, so a
  // script reading it never mistakes a message for data.
  static std::istringstream noInput;
  TerminalUi errorUi(TerminalUiOptions{}, context.err, context.err, noInput);
  AppSettings& settings = context.tool.settings();
  MessageBoxes boxes(errorUi, settings.BeepOnMessage);
  // Microwire files count bytes as well; the flag only follows the selected device.
  bool microwire = context.tool.descriptor().ProgrammingMode == kModeMicrowire;
  int loaded = LoadDataImage(context.options.File, microwire, settings, context.tool.operation(),
                             boxes, image);
  if (loaded != 0 || !fitDevice) return loaded;
  if (const char* misfit = ImageMisfit(image, context.tool.descriptor())) {
    boxes.InfoBox(misfit);
    return kResultDataFile;
  }
  return 0;
}

std::string ChecksumLine(const DataImage& image) {
  return StrFormat("size=%llu covered=%llu sum16=0x%04X crc32=0x%08X format=%s",
                   static_cast<unsigned long long>(image.Size()),
                   static_cast<unsigned long long>(image.CoveredCount()), unsigned{image.ByteSum()},
                   unsigned{image.Crc32()}, FormatName(image.Format));
}

int CommandChecksum(CliContext& context) {
  DataImage image;
  if (int loaded = LoadCliImage(context, image); loaded != 0) return ExitStatusForResult(loaded);
  context.out << ChecksumLine(image) << '\n';
  context.out.flush();
  return kExitOk;
}

}  // namespace pellory
