#include "window/PhotoCounting.h"

#include "base/Quoted.h"
#include "counting/CountObserver.h"
#include "window/PathText.h"

#include <exception>

namespace tamrex {
namespace {

// Reads the photo for its picture box as soon as the count has it, unless the window has
// moved on, and hands it to `show` on the worker's thread.
class PhotoReader : public CountObserver {
public:
    PhotoReader(std::function<bool()> stillWanted, std::function<void(const ShownPicture&)> show)
        : stillWanted(std::move(stillWanted)), show(std::move(show)) {}

    void ShowSourcePicture(const std::string& photoPath) override {
        if (!stillWanted()) return;
        show(ReadShownPhoto(ToText(photoPath)));
    }
    void ShowResult(const Expected<CountResult>&) override {}

private:
    std::function<bool()> stillWanted;
    std::function<void(const ShownPicture&)> show;
};

}  // namespace

PhotoCounting::PhotoCounting(BoardCounter& counter, QObject* parent) : QObject(parent), counter(counter) {
    lane.setMaxThreadCount(1);
}

PhotoCounting::~PhotoCounting() {
    wanted = 0;  // what is under way need not read its photo for a window that is going
    lane.waitForDone();
}

void PhotoCounting::Count(const CountRequest& request) {
    waiting = request;
    wanted = ++asked;
    if (!running) StartWaiting();
}

void PhotoCounting::Forget() {
    waiting.reset();
    wanted = ++asked;
}

void PhotoCounting::StartWaiting() {
    if (!waiting) {
        emit idle();
        return;
    }
    const CountRequest request = std::move(*waiting);
    waiting.reset();
    running = true;
    const std::uint64_t serial = asked;
    lane.start([this, serial, request] {
        const CountShown shown = Run(serial, request);
        QMetaObject::invokeMethod(this, [this, serial, shown] { Finished(serial, shown); }, Qt::QueuedConnection);
    });
}

void PhotoCounting::Finished(std::uint64_t serial, const CountShown& shown) {
    running = false;
    if (serial == asked) emit counted(shown);
    StartWaiting();
}

// Exceptions end here, as failures: memory, most likely, for a photo too big for what is left.
CountShown PhotoCounting::Run(std::uint64_t serial, const CountRequest& request) {
    const auto stillWanted = [this, serial] { return wanted == serial; };
    CountShown shown;
    try {
        if (Expected<PhotoIdentity> identity = IdentifyPhoto(request.photo)) shown.identity = std::move(*identity);
        PhotoReader reader(stillWanted, [this, serial](const ShownPicture& photo) {
            QMetaObject::invokeMethod(
                this, [this, serial, photo] { if (serial == asked) emit photoRead(photo); }, Qt::QueuedConnection);
        });
        shown.result = counter.CountBoards(request, &reader);
        if (shown.result && stillWanted()) {
            shown.lineMap = shown.result->lineMapWrite
                                ? ReadShownLineMap(ToText(request.lineMapFile), *shown.result)
                                : ShownPicture{LineMapToShow(*shown.result), QString()};
        }
    } catch (const std::exception& error) {
        shown.result = Fail("cannot count photo " + Quoted(request.photo) + ": " + error.what());
        shown.lineMap = {};
    }
    return shown;
}

}  // namespace tamrex
