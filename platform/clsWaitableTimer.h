#pragma once
// A pause on the user-interface thread that keeps window messages running.
#include "platform/pump.h"

namespace pw::platform {

class clsWaitableTimer {
public:
    explicit clsWaitableTimer(MessagePump& pump) : pump_(pump) {}
    // Returns after at least MilliSeconds, running window messages meanwhile. Every call keeps
    // its own deadline, so a wait started inside another one never ends it early.
    void Wait(int MilliSeconds);

private:
    MessagePump& pump_;
};

} // namespace pw::platform
