#pragma once

#include "image/Bitmap.h"
#include "look/SecondLook.h"

#include <QObject>
#include <QString>
#include <QThreadPool>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>

namespace tamrex {

// The second look at a counted photo asked again, inside a frame a person drew, off the
// window's thread. The photo is decoded once, as the count decoded it, and kept for the
// next frame; only the look asked for last is told of, on the window's thread.
class FramedLook : public QObject {
    Q_OBJECT

public:
    explicit FramedLook(const std::filesystem::path& photo, QObject* parent = nullptr);
    ~FramedLook() override;  // waits for the look under way

    // looked with what the second look counts, or nothingFound with why it counts nothing.
    void Look(const LookRequest& request);
    // What was asked for so far is not told of.
    void Forget() { ++asked; }
    bool Busy() const { return pending > 0; }

signals:
    void looked(const tamrex::SecondCount& count);
    void nothingFound(const QString& reason);

private:
    Expected<SecondCount> LookNow(const LookRequest& request);
    void Tell(std::uint64_t serial, std::function<void()> tell);

    const std::filesystem::path photo;
    BitmapHandle decoded;  // touched on the lane's thread alone
    QThreadPool lane;
    std::atomic<std::uint64_t> asked{0};
    int pending = 0;
};

}  // namespace tamrex
