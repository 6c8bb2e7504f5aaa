// OperationState: the record shared by the protocols, the device operations and the data
// file readers and writers. It lives at the lowest layer that writes it (socket power
// resets CurrentAddress).
//
// CurrentAddress counts bytes, or 16-bit words for Microwire devices. BlockBuffer holds one
// block of the data file or the data of one hexadecimal record, BlockLength bytes of it.
#pragma once

#include <array>
#include <cstdint>

namespace pellory {

inline constexpr uint32_t kBlockBufferSize = 65536;

struct OperationState {
  uint32_t CurrentAddress = 0;
  std::array<uint8_t, kBlockBufferSize> BlockBuffer{};
  uint32_t BlockLength = 0;
  uint32_t DataByteCount = 0;
  uint32_t HighestAddress = 0;
  uint8_t NoAckFlag = 0;
  // The last question that lets the user stop an operation before its work (insert the
  // chip, erase the chip, replace the file) was answered with Cancel: the operation
  // ended there, without doing what it was asked.
  uint8_t PromptDeclined = 0;
  // Non-zero while programming and verifying read an image the tool wrote itself (a
  // production run's stamped copy): its format, which no look at its bytes may change.
  int ImageFormat = 0;
};

}  // namespace pellory
