#include "window/FramedLook.h"

#include "base/Quoted.h"
#include "image/LoadPhoto.h"

#include <exception>

namespace tamrex {

FramedLook::FramedLook(const std::filesystem::path& photo, QObject* parent) : QObject(parent), photo(photo) {
    lane.setMaxThreadCount(1);
}

FramedLook::~FramedLook() {
    ++asked;
    lane.waitForDone();
}

void FramedLook::Tell(std::uint64_t serial, std::function<void()> tell) {
    QMetaObject::invokeMethod(
        this,
        [this, serial, tell = std::move(tell)] {
            if (serial == asked) tell();
        },
        Qt::QueuedConnection);
}

// The same decode as the count's, so that a frame around the whole stack counts what the
// count's own second look counted.
Expected<SecondCount> FramedLook::LookNow(const LookRequest& request) {
    if (!decoded) {
        Expected<LoadedPhoto> loaded = LoadJpeg(photo);
        if (!loaded) return Fail("cannot read photo " + Quoted(photo) + " again: " + loaded.error().message);
        decoded = std::move(loaded->bitmap);
    }
    LookRequest look = request;
    if (look.thicknessPrior < kThinnestBoardRows) look.thicknessPrior = 0;  // no hint, as for the count
    return LookAgain(decoded.get(), look);
}

// Exceptions end here as reasons: memory, most likely, for a photo too big for what is left.
void FramedLook::Look(const LookRequest& request) {
    const std::uint64_t serial = ++asked;
    ++pending;
    lane.start([this, serial, request] {
        if (serial == asked) {
            try {
                const Expected<SecondCount> count = LookNow(request);
                if (count) {
                    Tell(serial, [this, found = *count] { emit looked(found); });
                } else {
                    Tell(serial, [this, why = QString::fromStdString(count.error().message)] { emit nothingFound(why); });
                }
            } catch (const std::exception& error) {
                Tell(serial, [this, why = QString::fromUtf8(error.what())] { emit nothingFound(why); });
            }
        }
        QMetaObject::invokeMethod(this, [this] { --pending; }, Qt::QueuedConnection);
    });
}

}  // namespace tamrex
