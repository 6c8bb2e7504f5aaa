// Content images of simulated chips (the --chip file): the raw memory of the chip, erased
// bytes 0xFF, Microwire words low byte first, exactly as ChipModel::Memory holds it.
//
// LoadChipImage leaves the memory erased when the file does not exist (the image is created
// when it is saved), fills it from the file otherwise (a shorter file leaves the rest
// erased, bytes beyond the chip are ignored). SaveChipImage writes the whole memory and
// creates the file's folder when needed. Both return kChipImageOk or kChipImageError.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "library/device_descriptor.h"

namespace pellory {

inline constexpr int kChipImageOk = 0;
inline constexpr int kChipImageError = 1;

// Bytes of memory of the described device (Size, twice that for 16-bit Microwire words).
uint64_t ChipImageBytes(const DeviceDescriptor& descriptor);

int LoadChipImage(const std::string& path, std::vector<uint8_t>& memory);
int SaveChipImage(const std::string& path, const std::vector<uint8_t>& memory);

}  // namespace pellory
