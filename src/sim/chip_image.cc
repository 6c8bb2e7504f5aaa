#include "sim/chip_image.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace pellory {

uint64_t ChipImageBytes(const DeviceDescriptor& descriptor) {
  uint64_t size = descriptor.Size;
  return descriptor.ProgrammingMode == kModeMicrowire ? size * 2 : size;
}

int LoadChipImage(const std::string& path, std::vector<uint8_t>& memory) {
  std::error_code error;
  if (!std::filesystem::exists(path, error)) return error ? kChipImageError : kChipImageOk;
  if (std::filesystem::is_directory(path, error)) return kChipImageError;
  std::ifstream in(path, std::ios::binary);
  if (!in) return kChipImageError;
  in.read(reinterpret_cast<char*>(memory.data()), static_cast<std::streamsize>(memory.size()));
  if (in.bad()) return kChipImageError;
  std::fill(memory.begin() + in.gcount(), memory.end(), 0xFF);
  return kChipImageOk;
}

int SaveChipImage(const std::string& path, const std::vector<uint8_t>& memory) {
  std::filesystem::path file(path);
  std::error_code error;
  if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), error);
  if (error) return kChipImageError;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return kChipImageError;
  out.write(reinterpret_cast<const char*>(memory.data()),
            static_cast<std::streamsize>(memory.size()));
  out.close();
  return out ? kChipImageOk : kChipImageError;
}

}  // namespace pellory
