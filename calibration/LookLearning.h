#pragma once

#include "look/SecondLook.h"

#include <FreeImage.h>

#include <optional>
#include <vector>

namespace tamrex {

// What calibration learns for the second look from photos whose boards were counted.
struct LookLearning {
    double pitch = 0;  // a board and its seam, in rows; 0 when no photo showed the second look a stack
    int looked = 0;    // photos in which the second look found the stack
    int exact = 0;     // photos it counts exactly with the pitch learned as its hint
};

// A decoded photo and its board count.
struct CountedPhoto {
    FIBITMAP* photo;
    int boards;
};

// The pitch at which the second look's own measure of each stack's height is the
// known count of boards: first as each photo's height over its count, looked at with
// no hint, then again with that pitch as the hint, which can move the stack's ends.
// The median over the photos, so that one photo measured wrong does not move it.
// `frame` is where the stack lies in every photo, when a person framed it.
LookLearning LearnForSecondLook(const std::vector<CountedPhoto>& photos, const std::optional<PhotoFrame>& frame);

}  // namespace tamrex
