#pragma once

#include "counting/CountResult.h"

#include <QImage>
#include <QString>

namespace tamrex {

// A picture made ready for a picture box, off the window's thread, or why there is none.
struct ShownPicture {
    QImage image;
    QString problem;  // empty when the picture could be read
};

// A box a few hundred pixels wide shows nothing finer than this; bigger pictures cost
// time at every paint and run into the toolkit's allocation limit.
inline constexpr int kLargestShownSide = 2048;

// A photo for a picture box, upright as the count sees it and shrunk while it is decoded
// (by a power of two, which costs least) to some 800 to 1600 pixels across.
ShownPicture ReadShownPhoto(const QString& path);

// The line map of a count for a picture box: the file it was written to, as it is; or,
// for a map with a side longer than kLargestShownSide, the same rows shrunk in grey from
// the count's own lines, so that no line vanishes and no giant picture is read.
ShownPicture ReadShownLineMap(const QString& path, const CountResult& count);

// The line map of a count drawn from its lines, shrunk as above when it is that big.
QImage LineMapToShow(const CountResult& count);

// A big picture (the lines over a photo) shrunk with smoothing to kLargestShownSide.
QImage ShrunkToShow(const QImage& picture);

}  // namespace tamrex
