#include "sim/vcd_trace.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "link/programmer_link.h"
#include "sim/simulated_programmer.h"
#include "testing/scripted_ui.h"
#include "testing/temp_dir.h"

namespace pellory {
namespace {

constexpr char kHeader[] =
    "$version Pellory simulated programmer $end\n"
    "$timescale 1 us $end\n"
    "$scope module socket $end\n"
    "$var wire 1 ! L0 $end\n"
    "$var wire 1 \" L1 $end\n"
    "$var wire 1 # L2 $end\n"
    "$var wire 1 $ L3 $end\n"
    "$var wire 1 % L4 $end\n"
    "$var wire 1 & L5 $end\n"
    "$var wire 1 ' L6 $end\n"
    "$var wire 1 ( L7 $end\n"
    "$upscope $end\n"
    "$enddefinitions $end\n"
    "#0\n"
    "$dumpvars\n";

TEST(VcdTraceTest, ChangesOnlyAtStrictlyIncreasingTimes) {
  std::ostringstream out;
  VcdTrace trace(out, 0x81);
  trace.Sample(3, 0x81);  // no change: nothing written
  trace.Sample(5, 0x80);
  trace.Sample(5, 0x82);  // same time as the last change: one microsecond later
  trace.Sample(9, 0x82);
  trace.Close(6);          // before the last change: after it
  trace.Sample(20, 0x00);  // closed
  std::string expected = std::string(kHeader) +
                         "1!\n0\"\n0#\n0$\n0%\n0&\n0'\n1(\n$end\n"
                         "#5\n0!\n"
                         "#6\n1\"\n"
                         "#7\n";
  EXPECT_EQ(out.str(), expected);
}

TEST(VcdTraceTest, FinalTimeStampIsTheEndOfTheRun) {
  std::ostringstream out;
  VcdTrace trace(out, 0);
  trace.Sample(4, 1);
  trace.Close(1000);
  EXPECT_TRUE(out.str().ends_with("#4\n1!\n#1000\n")) << out.str();
}

// What the socket lines did during a loop-back, as the simulator traces it.
std::string TraceOfLoopBack(const TempDir& dir) {
  ScriptedUi ui;
  AppSettings settings;
  MessageBoxes boxes(ui, settings.BeepOnMessage);
  Progress progress(ui);
  SimulatedProgrammer sim{SimOptions()};
  std::ofstream file(dir.File("trace.vcd"));
  sim.SetTrace(&file);
  ProgrammerLink link(sim, settings, boxes, progress);
  for (uint8_t value : {0x00, 0xAA, 0xAA, 0x55, 0x00}) {
    link.LinkTransfer(kRegBus, value);
    link.ReadBack();
  }
  link.Wait1ms(2);
  sim.Finish();
  file.close();
  return dir.Read("trace.vcd");
}

TEST(VcdTraceTest, SimulatorTracesTheLinesAsTheyAreOnThePins) {
  TempDir dir;
  std::string vcd = TraceOfLoopBack(dir);
  // Handshakes of five 1-us port accesses latch at their fourth; each bus write follows two
  // read-back handshakes: times 19, 49, 64; the paced wait ends one status read after its
  // last latch.
  std::string expected = std::string(kHeader) +
                         "0!\n0\"\n0#\n0$\n0%\n0&\n0'\n0(\n$end\n"
                         "#19\n1\"\n1$\n1&\n1(\n"
                         "#49\n1!\n0\"\n1#\n0$\n1%\n0&\n1'\n0(\n"
                         "#64\n0!\n0#\n0%\n0'\n"
                         "#" +
                         std::to_string(79 + 23 * 85 + 1) + "\n";
  EXPECT_EQ(vcd, expected);
}

// Logic-analyser software must read the trace; sigrok-cli is used when it is installed.
TEST(VcdTraceTest, SigrokReadsTheTrace) {
  if (std::system("command -v sigrok-cli > /dev/null 2>&1") != 0) {
    GTEST_SKIP() << "sigrok-cli is not installed";
  }
  TempDir dir;
  TraceOfLoopBack(dir);
  std::string command = "sigrok-cli -i " + dir.File("trace.vcd") + " -I vcd --show > " +
                        dir.File("show.txt") + " 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << dir.Read("show.txt");
  std::string shown = dir.Read("show.txt");
  for (int line = 0; line < 8; ++line) {
    EXPECT_NE(shown.find("L" + std::to_string(line)), std::string::npos) << shown;
  }
  // The samples themselves: L1 must have been high at some point.
  command = "sigrok-cli -i " + dir.File("trace.vcd") + " -I vcd -O bits -C L1 > " +
            dir.File("bits.txt") + " 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << dir.Read("bits.txt");
  EXPECT_NE(dir.Read("bits.txt").find('1'), std::string::npos) << dir.Read("bits.txt");
}

}  // namespace
}  // namespace pellory
