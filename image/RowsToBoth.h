#pragma once

#include "image/DecodeJpeg.h"

namespace tamrex {

// Hands each decoded row to two listeners, so that one decode serves both. The rows go
// on only when both want them; otherwise the decoder keeps the whole picture and each
// listener reads what it needs from that.
class RowsToBoth : public DecodedRows {
public:
    RowsToBoth(DecodedRows& first, DecodedRows& second) : first_(first), second_(second) {}
    bool Start(const PictureShape& shape) override {
        const bool firstWants = first_.Start(shape);
        return second_.Start(shape) && firstWants;
    }
    void Row(int scanline, const BYTE* pixels) override {
        first_.Row(scanline, pixels);
        second_.Row(scanline, pixels);
    }

private:
    DecodedRows& first_;
    DecodedRows& second_;
};

}  // namespace tamrex
