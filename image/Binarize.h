#pragma once

#include "image/Bitmap.h"
#include "image/DecodeJpeg.h"

namespace tamrex {

// Exactly the picture FreeImage_Threshold(photo, level) gives: index 0 where the
// grey level is below `level`, 1 elsewhere, the same palette and resolution. For the
// 24-bit colour and 8-bit grey pictures a JPEG decodes to, it works in one pass a row
// at a time instead of through a whole grey copy of the photo, which would cost a
// third of the photo's memory again. Null when memory runs out.
BitmapHandle ThresholdPhoto(FIBITMAP* photo, BYTE level);

// The same picture, made while the photo is decoded: each row is thresholded as soon as
// it is decoded, while its pixels are still in the processor's caches, instead of in a
// pass of its own over the whole photo.
class ThresholdWhileDecoding : public DecodedRows {
public:
    explicit ThresholdWhileDecoding(BYTE level) : level_(level) {}
    bool Start(const PictureShape& shape) override;
    void Row(int scanline, const BYTE* pixels) override;
    // The picture, once every row of the photo was thresholded; null if not, as when the
    // photo was decoded without telling of its rows or memory ran out.
    BitmapHandle Take();

private:
    BYTE level_;
    bool colour_ = false;
    BitmapHandle binary_;
    int rowsDone_ = 0;
};

}  // namespace tamrex
