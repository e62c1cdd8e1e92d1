#include "platform/clsWaitableTimer.h"

#include <chrono>
#include <stdexcept>
#include <string>

namespace pw::platform {

void clsWaitableTimer::Wait(int MilliSeconds) {
    using Clock = std::chrono::steady_clock;
    const auto deadline =
        Clock::now() + std::chrono::milliseconds(MilliSeconds > 0 ? MilliSeconds : 0);
    try {
        // Messages may end one pump wait early, and a handler may run a wait of its own
        // meanwhile; only this call's deadline ends this call.
        do {
            const auto remaining =
                std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            pump_.waitPumping(remaining > 0 ? static_cast<int>(remaining) : 0);
        } while (Clock::now() < deadline);
    } catch (const std::exception& error) {
        throw std::runtime_error(std::string("[clsWaitableTimer.Wait]") + error.what());
    }
}

} // namespace pw::platform
