#include "sim/chip_image.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ui/temp_dir.h"

namespace pellory {
namespace {

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

TEST(ChipImageTest, RoundTripCreatesTheFolder) {
  TempDir dir;
  std::string path = dir.path() + "/sim/93C46.bin";
  std::vector<uint8_t> memory{0x34, 0x12, 0xFF, 0x00};
  ASSERT_EQ(SaveChipImage(path, memory), kChipImageOk);
  EXPECT_EQ(std::filesystem::file_size(path), 4u);
  std::vector<uint8_t> loaded(4, 0xFF);
  ASSERT_EQ(LoadChipImage(path, loaded), kChipImageOk);
  EXPECT_EQ(loaded, memory);
}

TEST(ChipImageTest, MissingShortAndLongFiles) {
  TempDir dir;
  std::vector<uint8_t> memory(4, 0x00);
  EXPECT_EQ(LoadChipImage(dir.path() + "/none.bin", memory), kChipImageOk);
  EXPECT_EQ(memory, std::vector<uint8_t>(4, 0x00));  // untouched: the chip stays as it is

  WriteFile(dir.path() + "/short.bin", {0x11, 0x22});
  ASSERT_EQ(LoadChipImage(dir.path() + "/short.bin", memory), kChipImageOk);
  EXPECT_EQ(memory, (std::vector<uint8_t>{0x11, 0x22, 0xFF, 0xFF}));

  WriteFile(dir.path() + "/long.bin", {1, 2, 3, 4, 5, 6});
  ASSERT_EQ(LoadChipImage(dir.path() + "/long.bin", memory), kChipImageOk);
  EXPECT_EQ(memory, (std::vector<uint8_t>{1, 2, 3, 4}));
}

TEST(ChipImageTest, FoldersAreNotImages) {
  TempDir dir;
  std::vector<uint8_t> memory(4, 0xFF);
  EXPECT_EQ(LoadChipImage(dir.path(), memory), kChipImageError);
  EXPECT_EQ(SaveChipImage(dir.path(), memory), kChipImageError);
}

}  // namespace
}  // namespace pellory
