// ChipImageBus: a DeviceBus test double that answers from a chip image instead of a
// programmer. Reads count bytes (or words for Microwire) of Image; the continuous reads of
// the AT45 and SPI25 modes run on from cell 0 after a successful Begin call. Every power
// and stream call is recorded in Calls, so tests can check the order of the frame.
//
// Both I2C reads answer alike; SequentialReads counts those made by I2cReadNext.
//
// Writes land in the image as the chip would keep them: SPI bytes from the address of the
// Begin call on, 25-series chip erase fills the image with 0xFF, and AT45 writes go through
// a buffer of PageSize bytes that a buffer program or a buffer-to-page transfer copies into
// page N (bytes N * PageSize on). The ready polls answer ReadyResult.
//
// Faults: NoAckFrom makes every I2C read at or above that address fail as a chip that does
// not acknowledge (NoAckFlag set, the no-acknowledge message shown, 0 returned);
// IdentityResult is what the identity and density checks return, DensityRead the density
// bits the status register then shows.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/operation_state.h"
#include "operations/device_bus.h"
#include "ui/message_boxes.h"

namespace pellory {

inline constexpr char kTestNoAckMessage[] =
    "\nI2C Baustein sendet kein Acknowledge !!\n\nVorgang abgebrochen.\n\n";

class ChipImageBus {
 public:
  ChipImageBus(OperationState& state, MessageBoxes& boxes) : state_(state), boxes_(boxes) {}

  std::vector<uint8_t> Image;   // byte-organised chips
  std::vector<uint16_t> Words;  // Microwire chips
  uint32_t NoAckFrom = UINT32_MAX;
  int IdentityResult = 0;
  uint8_t DensityRead = 0;
  int ReadyResult = 0;
  uint32_t PageSize = 0;  // AT45 pages and the buffer
  // A hook run after every cell read, with the number of cells read so far.
  std::function<void(uint32_t)> AfterRead;

  std::vector<std::string> Calls;
  uint32_t CellsRead = 0;
  uint32_t SequentialReads = 0;
  bool Powered = false;

  DeviceBus Bind();

 private:
  uint8_t ByteAt(uint32_t address);
  uint8_t I2cByteAt(uint32_t address);
  void Counted();
  void BindWrites(DeviceBus& bus);
  uint8_t* PageByte(uint32_t page, uint32_t offset);

  OperationState& state_;
  MessageBoxes& boxes_;
  uint32_t stream_ = 0;
  bool streaming_ = false;
  // Where SpiWriteByte puts its byte: the image from writeAt_, or the AT45 buffer.
  enum class Target { kNone, kImage, kBuffer } target_ = Target::kNone;
  uint32_t writeAt_ = 0;
  std::vector<uint8_t> buffer_;
  int64_t programPage_ = -1;  // the page a buffer program writes when chip select rises
  bool differs_ = false;
};

}  // namespace pellory
