#pragma once

#include "calibration/PhotoIdentity.h"
#include "counting/CountResult.h"
#include "window/PhotoPyramid.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <atomic>
#include <cstdint>
#include <optional>

namespace tamrex {

// Reads a counted photo again off the window's thread, for its review or to draw the
// count's lines over it, one job at a time. Only the job asked for last is told of; a
// job asked for before is dropped if it has not started. Tells on the window's thread.
class PictureLoading : public QObject {
    Q_OBJECT

public:
    explicit PictureLoading(QObject* parent = nullptr);
    ~PictureLoading() override;  // waits for the job under way

    // previewRead with a shrunk copy, at once, then photoRead with the whole photo; or, for a
    // photo small enough to read whole at once, previewRead with it. Or failed.
    void LoadForReview(const CountResult& count, const std::optional<PhotoIdentity>& counted);
    // overlayDrawn, or failed.
    void DrawOverlay(const CountResult& count);
    // What was asked for so far is not told of.
    void Forget() { ++asked; }
    bool Busy() const { return pending > 0; }

signals:
    void previewRead(const tamrex::PhotoPyramid& preview);
    void photoRead(const tamrex::PhotoPyramid& photo);
    void overlayDrawn(const QImage& overlay);
    void failed(const QString& message);

private:
    template <typename Work>
    void Start(Work work);
    // Runs on the window's thread, if the job is still the one asked for last.
    void Tell(std::uint64_t serial, std::function<void()> tell);

    QThreadPool lane;
    std::atomic<std::uint64_t> asked{0};
    int pending = 0;
};

}  // namespace tamrex
