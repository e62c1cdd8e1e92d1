#pragma once
// A MessagePump for tests: counts the calls, sleeps for the waits (at most sliceMs at a time,
// as if a message woke the wait early) and runs an optional "message" on every pump.
#include "platform/pump.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

namespace pw::test {

class CountingPump : public platform::MessagePump {
public:
    int pumps = 0;       // pumpOnce calls
    int waits = 0;       // waitPumping calls
    int messagesRun = 0; // times onMessage ran
    int sliceMs = 0;     // > 0: a wait returns after at most this long
    std::function<void()> onMessage;

    void pumpOnce() override {
        ++pumps;
        runMessage();
    }
    void waitPumping(int ms) override {
        ++waits;
        runMessage();
        const int sleepMs = sliceMs > 0 ? std::min(ms, sliceMs) : ms;
        if (sleepMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(sleepMs));
    }

private:
    void runMessage() {
        if (!onMessage)
            return;
        ++messagesRun;
        onMessage();
    }
};

} // namespace pw::test
