#include "counting_pump.h"
#include "platform/clsWaitableTimer.h"

#include <chrono>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace pw;
using namespace pw::test;
using Clock = std::chrono::steady_clock;

namespace {

long long msSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

TEST(clsWaitableTimer, WaitLastsAtLeastItsTimeWhileMessagesKeepWakingIt) {
    CountingPump pump;
    pump.sliceMs = 5; // every wait of the pump ends early, as when input arrives
    int messages = 0;
    pump.onMessage = [&] { ++messages; };
    platform::clsWaitableTimer timer(pump);

    const auto start = Clock::now();
    timer.Wait(50);
    EXPECT_GE(msSince(start), 50);
    EXPECT_GE(pump.waits, 2);
    EXPECT_EQ(messages, pump.waits);

    pump.waits = 0;
    timer.Wait(0);
    EXPECT_EQ(pump.waits, 1);
}

TEST(clsWaitableTimer, NestedWaitsKeepTheirOwnDeadlines) {
    CountingPump pump;
    pump.sliceMs = 5;
    platform::clsWaitableTimer outer(pump);
    platform::clsWaitableTimer inner(pump);
    bool nested = false;
    long long innerMs = -1;
    pump.onMessage = [&] {
        if (nested)
            return;
        nested = true;
        const auto start = Clock::now();
        inner.Wait(20); // a short wait started from a handler inside a long one
        innerMs = msSince(start);
    };

    const auto start = Clock::now();
    outer.Wait(120);
    EXPECT_GE(msSince(start), 120);
    EXPECT_GE(innerMs, 20);
}

TEST(clsWaitableTimer, ErrorsComeBackPrefixed) {
    CountingPump pump;
    pump.onMessage = [] { throw std::runtime_error("pump broke"); };
    platform::clsWaitableTimer timer(pump);
    try {
        timer.Wait(10);
        FAIL() << "the error was swallowed";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "[clsWaitableTimer.Wait]pump broke");
    }
}

} // namespace
