// A stop request that long engine operations poll between units of work.
// The worker threads hand theirs to the engine; a console loop or a test
// makes its own StopSource.
#pragma once

#include <atomic>

namespace common {

class StopToken {
public:
    // A token that never asks to stop.
    StopToken() = default;
    explicit StopToken(const std::atomic<bool>& flag) : flag_(&flag) {}

    bool StopRequested() const { return flag_ && flag_->load(std::memory_order_relaxed); }

private:
    const std::atomic<bool>* flag_ = nullptr;
};

// Owns a stop flag; any thread may ask for the stop.
class StopSource {
public:
    void RequestStop() { flag_ = true; }
    bool StopRequested() const { return flag_; }
    StopToken Token() const { return StopToken(flag_); }

private:
    std::atomic<bool> flag_{false};
};

}  // namespace common
