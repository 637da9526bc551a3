#include "window/PhotoPyramid.h"

#include <algorithm>

namespace tamrex {
namespace {

// Below this a view never goes: the review fits the photo to most of a screen.
constexpr int kSmallestLevelSide = 400;

QRgb MeanOf(QRgb a, QRgb b, QRgb c, QRgb d) {
    return qRgb((qRed(a) + qRed(b) + qRed(c) + qRed(d) + 2) / 4, (qGreen(a) + qGreen(b) + qGreen(c) + qGreen(d) + 2) / 4,
                (qBlue(a) + qBlue(b) + qBlue(c) + qBlue(d) + 2) / 4);
}

}  // namespace

PhotoPyramid PhotoPyramid::Of(const QImage& full) {
    PhotoPyramid pyramid(full.size());
    pyramid.Add(full);
    while (std::max(pyramid.levels.back().width(), pyramid.levels.back().height()) / 2 >= kSmallestLevelSide) {
        const QImage half = HalfSize(pyramid.levels.back());
        if (half.isNull()) break;  // out of memory: zooming out will cost more, that is all
        pyramid.levels.push_back(half);
    }
    return pyramid;
}

void PhotoPyramid::Add(const QImage& copy) {
    const QImage rgb = copy.convertToFormat(QImage::Format_RGB32);
    const auto at = std::find_if(levels.begin(), levels.end(),
                                 [&](const QImage& level) { return level.width() < rgb.width(); });
    levels.insert(at, rgb);
}

const QImage& PhotoPyramid::ForZoom(double zoom) const {
    const double wanted = zoom * photo.width();
    for (auto level = levels.rbegin(); level != levels.rend(); ++level) {
        if (level->width() >= wanted) return *level;
    }
    return levels.front();
}

QImage PhotoPyramid::AtFullSize() const {
    if (Sharp()) return levels.front();
    return levels.front().scaled(photo, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage HalfSize(const QImage& picture) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    QImage half(std::max(1, rgb.width() / 2), std::max(1, rgb.height() / 2), QImage::Format_RGB32);
    if (half.isNull()) return half;
    const int lastColumn = rgb.width() - 1;
    const int lastRow = rgb.height() - 1;
    for (int y = 0; y < half.height(); ++y) {
        const auto* upper = reinterpret_cast<const QRgb*>(rgb.constScanLine(std::min(2 * y, lastRow)));
        const auto* lower = reinterpret_cast<const QRgb*>(rgb.constScanLine(std::min(2 * y + 1, lastRow)));
        auto* out = reinterpret_cast<QRgb*>(half.scanLine(y));
        for (int x = 0; x < half.width(); ++x) {
            const int left = std::min(2 * x, lastColumn), right = std::min(2 * x + 1, lastColumn);
            out[x] = MeanOf(upper[left], upper[right], lower[left], lower[right]);
        }
    }
    return half;
}

}  // namespace tamrex
