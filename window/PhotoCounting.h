#pragma once

#include "base/Expected.h"
#include "calibration/PhotoIdentity.h"
#include "counting/BoardCounter.h"
#include "window/ShownPicture.h"

#include <QObject>
#include <QThreadPool>

#include <atomic>
#include <cstdint>
#include <optional>

namespace tamrex {

// What the window shows of one count, made ready off its thread.
struct CountShown {
    Expected<CountResult> result;
    // The content that was counted, taken just before the count; none when it could not be read.
    std::optional<PhotoIdentity> identity;
    ShownPicture lineMap;  // nothing when nothing was counted
};

// Counts photos off the window's thread, one at a time with the window's counter, and
// hands the window only what belongs to the photo asked for last: a count asked for while
// another runs waits for it, and replaces any count still waiting; a count that ends after
// another was asked for is not shown. Everything it tells, it tells on the window's thread.
class PhotoCounting : public QObject {
    Q_OBJECT

public:
    explicit PhotoCounting(BoardCounter& counter, QObject* parent = nullptr);
    // Waits for the count under way: it uses the counter.
    ~PhotoCounting() override;

    void Count(const CountRequest& request);
    // Nothing asked for so far is shown, as when the window turns to another folder.
    void Forget();
    bool Busy() const { return running || waiting.has_value(); }

signals:
    // The photo asked for last has been read: this is it, for its picture box.
    void photoRead(const tamrex::ShownPicture& photo);
    // The count of the photo asked for last has ended.
    void counted(const tamrex::CountShown& shown);
    // Nothing is being counted any more.
    void idle();

private:
    void StartWaiting();
    void Finished(std::uint64_t serial, const CountShown& shown);
    CountShown Run(std::uint64_t serial, const CountRequest& request);  // on the worker's thread

    BoardCounter& counter;
    QThreadPool lane;
    std::optional<CountRequest> waiting;
    bool running = false;
    std::uint64_t asked = 0;  // the serial of the request asked for last
    std::atomic<std::uint64_t> wanted{0};  // the same, for the worker to read
};

}  // namespace tamrex
