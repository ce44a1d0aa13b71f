#include "support/DebugStream.h"

#include <gtest/gtest.h>

#include <sstream>

#include "ProcessRunner.h"

namespace {

int32_t fixedNow() { return 0; }
long fixedRate() { return 100; }

TEST(DebugStream, FiltersByLevel) {
  std::ostringstream os;
  DebugStream ds(os);
  ds << "dropped before any message";
  ds.setDebugLevel(5);
  ds(5) << "five";
  ds(6) << "six";
  ds << "still dropped";
  ds(0) << "zero" << std::endl;
  EXPECT_EQ(os.str(), "fivezero\n");
}

TEST(DebugStream, Prefixes) {
  Timer::setClock({fixedNow, fixedRate});
  {
    std::ostringstream os;
    DebugStream ds(os);
    ds.setDebugLevel(100);
    ds.messageLevels(true);
    ds.indent(true);
    ds(25) << "x";
    EXPECT_EQ(os.str(), " 25:     x");
  }
  {
    std::ostringstream os;
    DebugStream ds(os);
    ds.setDebugLevel(100);
    ds.messageLevels(true);
    ds.messageTimes(true);
    ds.newLines(true);
    ds(7) << "y";
    EXPECT_EQ(os.str(), "\n  7 00:00:00.00| y");
  }
  {
    std::ostringstream os;
    DebugStream ds(os);
    ds.setDebugLevel(1);
    ds.messageTimes(true);
    ds(1) << "z";
    EXPECT_EQ(os.str(), "00:00:00.00| z");
  }
  Timer::setClock(Timer::systemClock());
}

TEST(DebugStream, DumpsParameters) {
  Parameters::clear();
  Parameters::addParameter("A", 1);
  Parameters::addParameter("B", std::string("two"));
  std::ostringstream os;
  DebugStream ds(os);
  ds.setDebugLevel(3);
  ds.newLines(true);
  Parameters::dump(ds, 3);
  EXPECT_EQ(os.str(), "\nA\t(Int)\t1\nB\t(Str)\ttwo");
  std::ostringstream quiet;
  DebugStream ds2(quiet);
  Parameters::dump(ds2, 4);
  EXPECT_EQ(quiet.str(), "");
  Parameters::clear();
}

TEST(DebugStream, WritesToFileItOpened) {
  testing_support::TempDir dir;
  {
    DebugStream ds(dir.file("debug.txt").c_str());
    ds(0) << "hello" << std::endl;
  }
  EXPECT_EQ(dir.read("debug.txt"), "hello\n");
}

TEST(DebugStream, UnopenableFileFallsBackToStandardError) {
  testing_support::TempDir dir;
  std::string name = dir.file("missing/debug.txt");
  testing::internal::CaptureStderr();
  {
    DebugStream ds(name.c_str());
    ds(0) << "to stderr";
  }
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, "Can't open file : " + name + " as DebugStream.\nto stderr");
}

}  // namespace
