#pragma once
// Letting pending window messages run, with Qt's event loop.
#include "platform/pump.h"

namespace pw::gui {

class QtMessagePump : public platform::MessagePump {
public:
    void pumpOnce() override;
    // Runs a nested event loop until its own timer ends it.
    void waitPumping(int ms) override;
};

} // namespace pw::gui
