#pragma once
// "Let pending window messages run": the windows implement it with Qt's event loop;
// engine and runner tests pass a counting no-op.

namespace pw::platform {

class MessagePump {
public:
    virtual ~MessagePump() = default;
    // Runs the window messages that are pending now.
    virtual void pumpOnce() = 0;
    // Returns after about ms milliseconds, running window messages meanwhile.
    virtual void waitPumping(int ms) = 0;
};

// Pumps nothing and sleeps for the wait; counts the calls.
class SleepingPump : public MessagePump {
public:
    void pumpOnce() override { ++pumps; }
    void waitPumping(int ms) override;
    int pumps = 0;
    int waits = 0;
};

} // namespace pw::platform
