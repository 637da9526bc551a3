#pragma once

#include <QObject>
#include <QString>
#include <QThreadPool>

#include <atomic>
#include <cstdint>
#include <functional>

namespace tamrex {

// One thread for work of which only the job asked for last matters to the window: a photo
// read again, a frame looked at, a corrections file. A job that is no longer wanted when
// its turn comes does nothing, and what it tells reaches the owner's thread only while it
// is still the job asked for last.
class LatestJobLane {
public:
    explicit LatestJobLane(QObject* owner);
    ~LatestJobLane();  // drops what was asked and waits for the job under way

    // Runs `work` with the job's serial on the lane. Anything it throws ends there and is
    // told to `failed` as its what(), on the owner's thread: memory, most likely.
    void Start(std::function<void(std::uint64_t serial)> work,
               std::function<void(const QString& what)> failed = nullptr);
    // Runs `tell` on the owner's thread if job `serial` is still the one asked for last.
    void Tell(std::uint64_t serial, std::function<void()> tell);
    bool Wanted(std::uint64_t serial) const { return serial == asked; }
    // What was asked for so far is not told of.
    void Forget() { ++asked; }
    bool Busy() const { return pending > 0; }

private:
    QObject* owner;
    QThreadPool lane;
    std::atomic<std::uint64_t> asked{0};
    int pending = 0;  // touched on the owner's thread alone
};

}  // namespace tamrex
