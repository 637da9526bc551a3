#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace tamrex::cli {

// "12/40 photos, 35.1 per second, 1 s left" on stderr, rewritten in place, while long
// work runs. Shown only when stderr is a terminal, the work is big enough to be worth
// watching, and no script is reading machine-readable results from a pipe; erased
// again at the end so the results stand alone.
class ProgressLine {
public:
    // `unit` names what is counted ("photos", "thresholds"); work of fewer than
    // `smallestWatched` of them is over before a line would help.
    ProgressLine(std::size_t total, bool machineReadable, std::string unit = "photos",
                 std::size_t smallestWatched = 5);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void Done(std::size_t finished);
    // Clears the line before other output goes to the terminal.
    void Clear();

private:
    std::size_t total_;
    std::string unit_;
    bool shown_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace tamrex::cli
