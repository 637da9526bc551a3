#pragma once

#include <optional>
#include <vector>

namespace tamrex {

// Where the stack lies in one vertical slice of the photo, in continuous rows: pixel
// row r spans [r, r + 1), bottom-up.
struct Band {
    double bottom, top;
};

// The stack is the tallest stretch of light rows in which every dark run is thinner
// than the light runs on both its sides: seams are, the surroundings are not. Each
// edge lies where the grey level crosses halfway between dark and light, so a blurred
// edge is found where a sharp one would be. Nothing when the slice has too little
// contrast to hold a stack.
std::optional<Band> FindBand(const std::vector<float>& profile);

}  // namespace tamrex
