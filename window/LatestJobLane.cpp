#include "window/LatestJobLane.h"

#include <exception>
#include <utility>

namespace tamrex {

LatestJobLane::LatestJobLane(QObject* owner) : owner(owner) { lane.setMaxThreadCount(1); }

LatestJobLane::~LatestJobLane() {
    ++asked;
    lane.waitForDone();
}

void LatestJobLane::Tell(std::uint64_t serial, std::function<void()> tell) {
    QMetaObject::invokeMethod(
        owner,
        [this, serial, tell = std::move(tell)] {
            if (Wanted(serial)) tell();
        },
        Qt::QueuedConnection);
}

void LatestJobLane::Start(std::function<void(std::uint64_t)> work, std::function<void(const QString&)> failed) {
    const std::uint64_t serial = ++asked;
    ++pending;
    lane.start([this, serial, work = std::move(work), failed = std::move(failed)] {
        if (Wanted(serial)) {
            try {
                work(serial);
            } catch (const std::exception& error) {
                if (failed) Tell(serial, [failed, what = QString::fromUtf8(error.what())] { failed(what); });
            }
        }
        QMetaObject::invokeMethod(owner, [this] { --pending; }, Qt::QueuedConnection);
    });
}

}  // namespace tamrex
