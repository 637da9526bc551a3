#pragma once

#include <string_view>

namespace tamrex {

// Told where each stage of a count ends, so that a benchmark can time the stages of
// the very code that counts instead of a copy of it.
class StageListener {
public:
    virtual ~StageListener() = default;
    virtual void StageDone(std::string_view stage) = 0;
};

// The listener of this thread; none unless a benchmark set one.
inline thread_local StageListener* stageListener = nullptr;

// A count without a listener pays one thread-local load per stage.
inline void StageDone(std::string_view stage) {
    if (stageListener) stageListener->StageDone(stage);
}

}  // namespace tamrex
