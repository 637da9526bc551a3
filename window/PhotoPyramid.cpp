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

// One row of the half from two rows of 24-bit pixels, blue, green and red bytes.
void HalveBgrRows(const uchar* upper, const uchar* lower, int width, int lastColumn, QRgb* out) {
    for (int x = 0; x < width; ++x) {
        const int left = 3 * std::min(2 * x, lastColumn), right = 3 * std::min(2 * x + 1, lastColumn);
        const auto mean = [&](int channel) {
            return (upper[left + channel] + upper[right + channel] + lower[left + channel] + lower[right + channel] + 2) /
                   4;
        };
        out[x] = qRgb(mean(2), mean(1), mean(0));
    }
}

void HalveRgbRows(const QRgb* upper, const QRgb* lower, int width, int lastColumn, QRgb* out) {
    for (int x = 0; x < width; ++x) {
        const int left = std::min(2 * x, lastColumn), right = std::min(2 * x + 1, lastColumn);
        out[x] = MeanOf(upper[left], upper[right], lower[left], lower[right]);
    }
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
    const auto at = std::find_if(levels.begin(), levels.end(),
                                 [&](const QImage& level) { return level.width() < copy.width(); });
    levels.insert(at, copy);
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
    const bool bgr = picture.format() == QImage::Format_BGR888;
    const QImage source = bgr ? picture : picture.convertToFormat(QImage::Format_RGB32);
    QImage half(std::max(1, source.width() / 2), std::max(1, source.height() / 2), QImage::Format_RGB32);
    if (half.isNull()) return half;
    const int lastColumn = source.width() - 1;
    const int lastRow = source.height() - 1;
    for (int y = 0; y < half.height(); ++y) {
        const uchar* upper = source.constScanLine(std::min(2 * y, lastRow));
        const uchar* lower = source.constScanLine(std::min(2 * y + 1, lastRow));
        auto* out = reinterpret_cast<QRgb*>(half.scanLine(y));
        if (bgr) {
            HalveBgrRows(upper, lower, half.width(), lastColumn, out);
        } else {
            HalveRgbRows(reinterpret_cast<const QRgb*>(upper), reinterpret_cast<const QRgb*>(lower), half.width(),
                         lastColumn, out);
        }
    }
    return half;
}

}  // namespace tamrex
