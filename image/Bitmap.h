#pragma once

#include <FreeImage.h>

#include <memory>

namespace tamrex {

struct BitmapUnloader {
    void operator()(FIBITMAP* bitmap) const noexcept { FreeImage_Unload(bitmap); }
};

// Owns one FreeImage bitmap and releases it exactly once, whatever path the run takes.
using BitmapHandle = std::unique_ptr<FIBITMAP, BitmapUnloader>;

}  // namespace tamrex
