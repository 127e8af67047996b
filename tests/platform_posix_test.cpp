// The Linux stand-ins for the Windows clock calls.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/time.h>
#include <time.h>

#include "platform/platform.h"

namespace {

uint64_t monotonicMs() {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
}

TEST(TickCount, IsMonotonicMillisecondsTruncatedTo32Bits) {
  uint64_t before = monotonicMs();
  DWORD tick = GetTickCount();
  uint64_t after = monotonicMs();
  EXPECT_LE(static_cast<DWORD>(tick - static_cast<DWORD>(before)), static_cast<DWORD>(after - before));
}

void ignoreAlarm(int) {}

TEST(SleepCall, SleepsWholeIntervalThroughSignals) {
  struct sigaction action = {};
  action.sa_handler = ignoreAlarm;  // no SA_RESTART: the signal interrupts nanosleep
  struct sigaction previous;
  ASSERT_EQ(sigaction(SIGALRM, &action, &previous), 0);
  struct itimerval every20ms = {{0, 20000}, {0, 20000}};
  struct itimerval off = {};
  setitimer(ITIMER_REAL, &every20ms, nullptr);

  uint64_t start = monotonicMs();
  Sleep(150);
  uint64_t slept = monotonicMs() - start;

  setitimer(ITIMER_REAL, &off, nullptr);
  sigaction(SIGALRM, &previous, nullptr);
  EXPECT_GE(slept, 150u);
  EXPECT_LT(slept, 1000u);
}

}  // namespace
