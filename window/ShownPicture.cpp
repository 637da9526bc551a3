#include "window/ShownPicture.h"

#include "window/LineMapImage.h"

#include <QImageReader>

#include <algorithm>
#include <vector>

namespace tamrex {
namespace {

// libjpeg decodes at 1/2, 1/4 and 1/8 of the size for a fraction of the work.
constexpr int kLeastShownSide = 800;
constexpr int kLargestShrink = 8;

bool FitsTheBox(QSize size) { return size.width() <= kLargestShownSide && size.height() <= kLargestShownSide; }

// Asking for exactly 1/n of the stored size lets the decoder give it without a rescale.
QSize DecodedSize(QSize stored) {
    int shrink = 1;
    while (shrink < kLargestShrink && std::max(stored.width(), stored.height()) / (shrink * 2) >= kLeastShownSide)
        shrink *= 2;
    return QSize(std::max(1, stored.width() / shrink), std::max(1, stored.height() / shrink));
}

QString CannotShow(const QString& path, const QString& why) {
    return QStringLiteral("Cannot show '%1': %2. The count does not depend on it; open the file in another viewer "
                          "to look at it.")
        .arg(path, why);
}

// One grey row for each row of the picture, from the share of line rows it covers.
QImage ShrunkLines(const CountResult& count, QSize size) {
    std::vector<bool> lineRow(static_cast<std::size_t>(count.stripHeight), false);
    for (const std::vector<LineRun>& runs : count.lineRuns) {
        for (const LineRun& run : runs) {
            // Strip rows count from the bottom, image rows from the top.
            for (int row = run.firstRow; row <= run.lastRow; ++row) lineRow[count.stripHeight - 1 - row] = true;
        }
    }
    QImage shrunk(size, QImage::Format_Grayscale8);
    if (shrunk.isNull()) return shrunk;
    for (int y = 0; y < size.height(); ++y) {
        const int first = int(qint64(y) * count.stripHeight / size.height());
        const int last = std::max(first + 1, int(qint64(y + 1) * count.stripHeight / size.height()));
        const auto lines = std::count(lineRow.begin() + first, lineRow.begin() + last, true);
        const int grey = 255 - int(255 * lines / (last - first));
        std::fill_n(shrunk.scanLine(y), size.width(), static_cast<uchar>(grey));
    }
    return shrunk;
}

}  // namespace

ShownPicture ReadShownPhoto(const QString& path) {
    QImageReader reader(path);
    reader.setAutoTransform(true);  // upright, as the count sees it
    const QSize stored = reader.size();
    if (reader.format() == "jpeg" && stored.isValid()) reader.setScaledSize(DecodedSize(stored));
    ShownPicture shown{reader.read(), QString()};
    if (shown.image.isNull()) shown.problem = CannotShow(path, reader.errorString());
    return shown;
}

ShownPicture ReadShownLineMap(const QString& path, const CountResult& count) {
    if (!FitsTheBox(QSize(count.stripWidth, count.stripHeight))) return {LineMapToShow(count), QString()};
    QImageReader reader(path);
    ShownPicture shown{reader.read(), QString()};
    if (shown.image.isNull()) shown.problem = CannotShow(path, reader.errorString());
    return shown;
}

QImage LineMapToShow(const CountResult& count) {
    const QSize size(count.stripWidth, count.stripHeight);
    if (FitsTheBox(size)) return LineMapImage(count);
    return ShrunkLines(count, size.boundedTo(QSize(kLargestShownSide, kLargestShownSide)));
}

QImage ShrunkToShow(const QImage& picture) {
    if (FitsTheBox(picture.size())) return picture;
    return picture.scaled(kLargestShownSide, kLargestShownSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

}  // namespace tamrex
