#include "platform/pump.h"

#include <chrono>
#include <thread>

namespace pw::platform {

void SleepingPump::waitPumping(int ms) {
    ++waits;
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace pw::platform
