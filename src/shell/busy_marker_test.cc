#include "shell/busy_marker.h"

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "testing/temp_dir.h"

namespace pellory {
namespace {

TEST(BusyMarkerTest, HeldExactlyWhileAcquired) {
  TempDir dir;
  BusyMarker marker(dir.path(), kBusyMarkerName);
  EXPECT_FALSE(marker.IsHeld());
  ASSERT_TRUE(marker.Acquire());
  EXPECT_TRUE(marker.IsHeld());  // this process counts too
  BusyMarker other(dir.path(), kBusyMarkerName);
  EXPECT_TRUE(other.IsHeld());
  EXPECT_FALSE(other.Acquire());
  marker.Release();
  EXPECT_FALSE(other.IsHeld());
}

TEST(BusyMarkerTest, SeenByAnotherProcess) {
  TempDir dir;
  BusyMarker marker(dir.path(), kBusyMarkerName);
  ASSERT_TRUE(marker.Acquire());
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    BusyMarker seen(dir.path(), kBusyMarkerName);
    _exit(seen.IsHeld() ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(BusyMarkerTest, OtherNamesAreIndependent) {
  TempDir dir;
  BusyMarker busy(dir.path(), kBusyMarkerName);
  ASSERT_TRUE(busy.Acquire());
  EXPECT_FALSE(BusyMarker(dir.path(), "Pellory").IsHeld());
}

}  // namespace
}  // namespace pellory
