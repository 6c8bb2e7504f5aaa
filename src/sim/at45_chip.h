// At45Chip: an AT45 DataFlash as its datasheet shows it on CS, SCK, SI, SO and RESET
// (serial interface: spi_shifter.h). Memory is PageCount pages of PageSize bytes; a byte
// address on the bus is (page << PageShift) | byte offset, three bytes, most significant
// first. The part has one SRAM buffer (buffer 1) of one page.
//
// Instructions:
// - 0xD7 status: bit 7 ready, bit 6 result of the last compare (1 = differs), bits 5-2 the
//   density code, bit 0 the page size (1 = a power of two); sent afresh for every byte
//   while CS stays low.
// - 0x9F on parts that have it: manufacturer, two device bytes, on some the length of the
//   extended information (0); then the output floats.
// - 0xE8 continuous array read: address, four don't-care bytes, then data from the address
//   on across page boundaries, rolling over at the end of the memory.
// - 0x84 buffer 1 write from the byte offset, rolling over inside the buffer.
// - 0x83 buffer 1 to page program with built-in erase; 0x82 buffer 1 write then the same
//   program, so buffer bytes it did not clock in keep what the buffer held; 0x53 page to
//   buffer 1 transfer; 0x60 page to buffer 1 compare. Each starts when CS rises after a
//   whole byte and keeps the part busy for its time.
// While the part is busy only the status is answered. RESET low aborts any instruction.
#pragma once

#include <cstdint>
#include <vector>

#include "sim/chip_cycle.h"
#include "sim/chip_model.h"
#include "sim/spi_frame.h"

namespace pellory {

struct At45Config {
  uint32_t PageCount = 2048;
  uint32_t PageSize = 264;
  uint32_t PageShift = 9;
  uint8_t Density = 0x1C;  // status bits 5-2
  bool PowerOfTwoPages = false;
  uint32_t Jedec = 0;  // 0x9F answer; 0: the part has no 0x9F
  bool EdiLength = false;
  uint64_t ProgramUs = 20000;  // page erase and program
  uint64_t CompareUs = 300;    // tXFR: a page to buffer transfer or compare
};

class At45Chip : public ChipModel {
 public:
  At45Chip(const At45Config& config, const ChipFaults& faults);

  void Power(bool on, uint64_t nowUs) override;
  void Drive(uint8_t lines, uint64_t nowUs) override;
  uint8_t PulledLow(uint64_t) override { return powered_ ? frame_.PulledLow() : 0; }
  std::vector<uint8_t>& Memory() override { return memory_; }

  // The density code for a geometry of the family, 0 when the family has no such part.
  static uint8_t DensityFor(uint32_t pageCount, uint32_t pageSize);

 private:
  void OnByte(uint8_t byte, int bytes, uint64_t nowUs);
  void OnDeselect(bool atBoundary, int bytes, uint64_t nowUs);
  uint8_t Status(uint64_t nowUs);
  void SendArrayByte();
  void SendIdentityByte(int index);

  At45Config config_;
  ChipFaults faults_;
  std::vector<uint8_t> memory_;
  std::vector<uint8_t> buffer_;
  InternalCycle cycle_;
  SpiFrame frame_;
  bool powered_ = false;
  uint8_t lines_ = 0;
  bool differs_ = false;

  uint8_t instruction_ = 0;
  uint32_t address_ = 0;
  uint32_t page_ = 0;
  uint32_t offset_ = 0;
};

}  // namespace pellory
