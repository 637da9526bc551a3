#include "window/FramedLook.h"

#include "base/Quoted.h"
#include "image/LoadPhoto.h"

namespace tamrex {

FramedLook::FramedLook(const std::filesystem::path& photo, QObject* parent) : QObject(parent), photo(photo) {}

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

// What the look throws (memory, most likely, for a photo too big for what is left) is its reason.
void FramedLook::Look(const LookRequest& request) {
    lane.Start(
        [this, request](std::uint64_t serial) {
            const Expected<SecondCount> count = LookNow(request);
            if (count) {
                lane.Tell(serial, [this, found = *count] { emit looked(found); });
            } else {
                lane.Tell(serial, [this, why = QString::fromStdString(count.error().message)] { emit nothingFound(why); });
            }
        },
        [this](const QString& why) { emit nothingFound(why); });
}

}  // namespace tamrex
