#pragma once

#include "image/Bitmap.h"
#include "look/SecondLook.h"
#include "window/LatestJobLane.h"

#include <QObject>
#include <QString>

#include <filesystem>

namespace tamrex {

// The second look at a counted photo asked again, inside a frame a person drew, off the
// window's thread. The photo is decoded once, as the count decoded it, and kept for the
// next frame; only the look asked for last is told of, on the window's thread.
class FramedLook : public QObject {
    Q_OBJECT

public:
    explicit FramedLook(const std::filesystem::path& photo, QObject* parent = nullptr);

    // looked with what the second look counts, or nothingFound with why it counts nothing.
    void Look(const LookRequest& request);
    // What was asked for so far is not told of.
    void Forget() { lane.Forget(); }
    bool Busy() const { return lane.Busy(); }

signals:
    void looked(const tamrex::SecondCount& count);
    void nothingFound(const QString& reason);

private:
    Expected<SecondCount> LookNow(const LookRequest& request);

    const std::filesystem::path photo;
    BitmapHandle decoded;      // touched on the lane's thread alone
    LatestJobLane lane{this};  // last, so that it stops before what its jobs use goes
};

}  // namespace tamrex
