#include "cli/ProgressLine.h"

#include <cstdio>
#include <unistd.h>

namespace tamrex::cli {

ProgressLine::ProgressLine(std::size_t total, bool machineReadable, std::string unit, std::size_t smallestWatched)
    : total_(total),
      unit_(std::move(unit)),
      shown_(total >= smallestWatched && ::isatty(STDERR_FILENO) &&
             !(machineReadable && !::isatty(STDOUT_FILENO))) {}

ProgressLine::~ProgressLine() { Clear(); }

void ProgressLine::Done(std::size_t finished) {
    if (!shown_) return;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    const double rate = seconds > 0 ? static_cast<double>(finished) / seconds : 0.0;
    const double left = rate > 0 ? static_cast<double>(total_ - finished) / rate : 0.0;
    std::fprintf(stderr, "\r\033[K%zu/%zu %s, %.1f per second, %.0f s left", finished, total_, unit_.c_str(), rate, left);
    std::fflush(stderr);
    drawn_ = true;
}

void ProgressLine::Clear() {
    if (!drawn_) return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    drawn_ = false;
}

}  // namespace tamrex::cli
