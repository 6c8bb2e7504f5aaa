// TestChip: the simplest chip model, for tests of the socket and of whatever drives the
// socket lines. While powered it pulls the lines in PullMask low; it records every power
// change and every change of its inputs with its simulated time. Its memory is a plain
// byte vector of the size given.
#pragma once

#include <cstdint>
#include <vector>

#include "sim/chip_model.h"

namespace pellory {

class TestChip : public ChipModel {
 public:
  struct Event {
    uint8_t Lines;  // the inputs, or 1/0 for a power change
    uint64_t Us;
  };

  explicit TestChip(uint8_t pullMask = 0, size_t size = 0)
      : PullMask(pullMask), memory_(size, 0xFF) {}

  void Power(bool on, uint64_t nowUs) override {
    powered_ = on;
    PowerChanges.push_back({static_cast<uint8_t>(on ? 1 : 0), nowUs});
  }
  void Drive(uint8_t lines, uint64_t nowUs) override { Inputs.push_back({lines, nowUs}); }
  uint8_t PulledLow(uint64_t) override { return powered_ ? PullMask : 0; }
  std::vector<uint8_t>& Memory() override { return memory_; }

  bool Powered() const { return powered_; }

  uint8_t PullMask;
  std::vector<Event> PowerChanges;
  std::vector<Event> Inputs;

 private:
  bool powered_ = false;
  std::vector<uint8_t> memory_;
};

}  // namespace pellory
