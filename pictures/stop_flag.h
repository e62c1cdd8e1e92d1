#pragma once
// A job's request to stop, handed to everything that takes long on a big picture: decoders,
// conversions, scalers and writers look at it every few rows or strips and give up once it is
// set, leaving no file behind. A default StopFlag is never set.
#include <atomic>

namespace pw::pictures {

class StopFlag {
public:
    StopFlag() = default;
    explicit StopFlag(const std::atomic<bool>& flag) : flag_(&flag) {}

    bool set() const { return flag_ != nullptr && flag_->load(std::memory_order_relaxed); }

private:
    const std::atomic<bool>* flag_ = nullptr;
};

// Rows between two looks at the flag in loops that handle a row at a time.
inline constexpr unsigned kRowsPerStopCheck = 64;

} // namespace pw::pictures
