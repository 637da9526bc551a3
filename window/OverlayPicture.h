#pragma once

#include <QImage>
#include <QString>

namespace tamrex {

struct CountResult;

struct OverlayPicture {
    QImage image;   // null when it could not be drawn
    QString error;  // why not, for a person
};

// Reads the counted photo again and draws the lines of its count over it. The photo is
// not kept from the run: the line map is all a count leaves behind, and most counts are
// never looked at this way.
OverlayPicture DrawOverlayPicture(const CountResult& result);

}  // namespace tamrex
