// How often a worker tells the window its progress: every stage's first and
// last step, and between them at most about 30 times a second, so a long
// run of small steps does not flood the window's queue.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace ui {

class ProgressThrottle {
public:
    // Whether this step is to be told; a told step restarts the interval.
    // stage: the text naming the stage (common::IProgressSink's what).
    bool ShouldTell(const std::string& stage, size_t done, size_t total) {
        const bool boundary = !told_ || stage != lastStage_ || done == 0 || done == total;
        if (!boundary && GetTickCount() - lastTick_ < kIntervalMs) return false;
        told_ = true;
        lastStage_ = stage;
        lastTick_ = GetTickCount();
        return true;
    }

private:
    static constexpr DWORD kIntervalMs = 33;
    DWORD lastTick_ = 0;
    std::string lastStage_;
    bool told_ = false;
};

}  // namespace ui
