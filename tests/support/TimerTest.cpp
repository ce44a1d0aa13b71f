#include "support/Timer.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

int32_t fakeTicks = 0;
int32_t fakeNow() { return fakeTicks; }
long fakeRate() { return 100; }

class TimerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fakeTicks = 1000;
    Timer::setClock({fakeNow, fakeRate});
  }
  void TearDown() override { Timer::setClock(Timer::systemClock()); }

  static std::string print(const Timer& t) {
    std::ostringstream os;
    os << t;
    return os.str();
  }
};

TEST_F(TimerTest, FormatsEveryTickCountExactly) {
  const struct {
    int32_t ticks;
    const char* text;
  } cases[] = {
      {0, "Total: 00:00:00.00"},      {1, "Total: 00:00:00.01"},       {13, "Total: 00:00:00.13"},
      {115, "Total: 00:00:01.15"},    {6000, "Total: 00:01:00.00"},    {372550, "Total: 01:02:05.50"},
      {36000000, "Total: 100:00:00.00"}, {359999, "Total: 00:59:59.99"},
  };
  for (const auto& c : cases) {
    Timer t("Total");
    fakeTicks += c.ticks;
    EXPECT_EQ(print(t), c.text) << c.ticks;
  }
}

TEST_F(TimerTest, HundredthsAreRightForAllSmallCounts) {
  for (int32_t ticks = 0; ticks < 20000; ++ticks) {
    fakeTicks = 0;
    Timer t;
    fakeTicks = ticks;
    std::string s = print(t);
    int h, m, sec, hund;
    ASSERT_EQ(std::sscanf(s.c_str(), "%d:%d:%d.%d", &h, &m, &sec, &hund), 4);
    ASSERT_EQ(((h * 60 + m) * 60 + sec) * 100 + hund, ticks) << s;
  }
}

TEST_F(TimerTest, UnnamedPrintsTimeOnly) {
  Timer t;
  fakeTicks += 250;
  EXPECT_EQ(print(t), "00:00:02.50");
}

TEST_F(TimerTest, StopStartSemantics) {
  Timer t;
  fakeTicks += 100;
  t.stop();
  fakeTicks += 50;
  t.stop();  // a second stop adds nothing
  EXPECT_FLOAT_EQ(t(), 1.0f);
  t.start();
  fakeTicks += 30;
  t.stop();
  EXPECT_FLOAT_EQ(t(), 1.3f);
  t.start();
  fakeTicks += 40;
  t.start();  // restarting drops the running span
  fakeTicks += 10;
  EXPECT_FLOAT_EQ(t(), 1.4f);
  t.reset();
  EXPECT_FLOAT_EQ(t(), 0.0f);
}

TEST_F(TimerTest, PrintingLeavesStreamFixedWithTwoDecimals) {
  Timer t("T");
  std::ostringstream os;
  os << t << " " << 1.5f << " " << 2.0;
  EXPECT_EQ(os.str(), "T: 00:00:00.00 1.50 2.00");
}

TEST_F(TimerTest, RealClockAdvances) {
  Timer::setClock(Timer::systemClock());
  Timer t;
  volatile double x = 0;
  for (int i = 0; i < 20000000; ++i) x = x + i * 0.5;
  EXPECT_GE(t(), 0.0f);
  EXPECT_LT(t(), 60.0f);
}

}  // namespace
