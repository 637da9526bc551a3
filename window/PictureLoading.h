#pragma once

#include "calibration/PhotoIdentity.h"
#include "counting/CountResult.h"
#include "window/LatestJobLane.h"
#include "window/PhotoPyramid.h"

#include <QImage>
#include <QObject>
#include <QString>

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

    // previewRead with a shrunk copy, at once, then photoRead with the whole photo; or, for a
    // photo small enough to read whole at once, previewRead with it. Or failed.
    void LoadForReview(const CountResult& count, const std::optional<PhotoIdentity>& counted);
    // overlayDrawn, or failed.
    void DrawOverlay(const CountResult& count);
    // What was asked for so far is not told of.
    void Forget() { lane.Forget(); }
    bool Busy() const { return lane.Busy(); }

signals:
    void previewRead(const tamrex::PhotoPyramid& preview);
    void photoRead(const tamrex::PhotoPyramid& photo);
    void overlayDrawn(const QImage& overlay);
    void failed(const QString& message);

private:
    void Failed(std::uint64_t serial, const Failure& failure);

    LatestJobLane lane{this};
};

}  // namespace tamrex
