#pragma once

#include <chrono>
#include <cstddef>

namespace tamrex::cli {

// "12/40 photos, 35.1 per second, 1 s left" on stderr, rewritten in place, while a
// batch runs. Shown only when stderr is a terminal, the batch is big enough to be
// worth watching, and no script is reading machine-readable results from a pipe;
// erased again at the end so the results stand alone.
class ProgressLine {
public:
    ProgressLine(std::size_t total, bool machineReadable);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void Done(std::size_t finished);
    // Clears the line before other output goes to the terminal.
    void Clear();

private:
    std::size_t total_;
    bool shown_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace tamrex::cli
