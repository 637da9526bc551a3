#pragma once

#include <QImage>
#include <QSize>

#include <vector>

namespace tamrex {

// A photo kept at its own size and at halves of it, down to a few hundred pixels, so that
// a view zoomed out draws from a copy at most twice the size it needs instead of shrinking
// the whole photo at every step. Until the photo is read whole it may hold only a shrunk
// copy, which is then drawn at every zoom.
class PhotoPyramid {
public:
    PhotoPyramid() = default;
    // Nothing to draw yet; `photo` is the size of the photo itself.
    explicit PhotoPyramid(QSize photo) : photo(photo) {}
    // The photo at its own size, and its halves made from it.
    static PhotoPyramid Of(const QImage& full);

    // A copy of the photo at some size up to its own.
    void Add(const QImage& copy);

    QSize PhotoSize() const { return photo; }
    bool Empty() const { return levels.empty(); }
    // Whether it holds the photo at its own size.
    bool Sharp() const { return !levels.empty() && levels.front().size() == photo; }
    // The copy to draw the photo from at `zoom` screen pixels to a photo pixel: the
    // smallest at least that big, else the biggest there is. Assumes one.
    const QImage& ForZoom(double zoom) const;
    // The photo at its own size: itself once read whole, till then its biggest copy
    // enlarged, so that what is drawn over it lies where it belongs. Assumes a copy.
    QImage AtFullSize() const;

private:
    QSize photo;
    std::vector<QImage> levels;  // the biggest first
};

// The picture at half its width and height, each pixel the mean of four, in 32-bit RGB.
// Reads 24-bit pictures as they are, others converted first.
QImage HalfSize(const QImage& picture);

}  // namespace tamrex
