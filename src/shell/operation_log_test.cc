#include "shell/operation_log.h"

#include <gtest/gtest.h>

#include "testing/temp_dir.h"

namespace pellory {
namespace {

TEST(OperationLogTest, DurationsChangeTheirPrecisionAfterRounding) {
  const std::pair<double, const char*> cases[] = {
      {-1, "0,00 s"},    {0.004, "0,00 s"},     {9.994, "9,99 s"},     {9.996, "10,0 s"},
      {59.94, "59,9 s"}, {59.96, "1 min 00 s"}, {185.4, "3 min 05 s"}, {3600, "60 min 00 s"},
  };
  for (auto [seconds, text] : cases) EXPECT_EQ(LogDuration(seconds), text) << seconds;
}

// The CRC is what users compare with other tools: the check value of CRC-32 is that of
// "123456789"; a file that cannot be read has none, and the line then names the file alone.
TEST(OperationLogTest, LineWithTheFilesCrcOrWithoutIt) {
  TempDir dir;
  dir.Write("d.bin", "123456789");
  EXPECT_EQ(FileCrc32(dir.File("d.bin")), 0xCBF43926u);
  EXPECT_EQ(FileCrc32(dir.File("fehlt.bin")), std::nullopt);
  dir.Write("leer.bin", "");
  EXPECT_EQ(FileCrc32(dir.File("leer.bin")), 0u);

  LogEntry entry{"2026-12-08 14:03:12",
                 "Atmel AT24C02",
                 "Brennen",
                 "d.bin",
                 0xCBF43926u,
                 "erfolgreich",
                 0,
                 9,
                 0.42,
                 3.1,
                 true};
  EXPECT_EQ(FormatLogLine(entry),
            "2026-12-08 14:03:12 | Atmel AT24C02 | Brennen | d.bin CRC-32 CBF43926 | "
            "erfolgreich (0) | 9 Bytes | Dauer 0,42 s | realer Port geschätzt 3,10 s");
  entry.Crc.reset();
  entry.Simulated = false;
  entry.PortSeconds = entry.Seconds;
  EXPECT_EQ(FormatLogLine(entry),
            "2026-12-08 14:03:12 | Atmel AT24C02 | Brennen | d.bin | erfolgreich (0) | 9 Bytes | "
            "Dauer 0,42 s | realer Port gemessen 0,42 s");

  ASSERT_TRUE(AppendLogFile(dir.File("pellory.log"), "a"));
  ASSERT_TRUE(AppendLogFile(dir.File("pellory.log"), "b"));
  EXPECT_EQ(dir.Read("pellory.log"), "a\nb\n");
  EXPECT_FALSE(AppendLogFile(dir.File("kein/ordner.log"), "c"));
}

}  // namespace
}  // namespace pellory
