#pragma once

#include "counting/BoardCounter.h"
#include "counting/CountResult.h"

#include <string>
#include <string_view>

namespace tamrex {

// A reason to look at a count again: a short code that scripts read from --json and
// --csv and that never changes, and what it tells a person.
struct FlagText {
    std::string_view code;
    std::string_view sentence;
};

// Every reason a count can be flagged for. Adding one is adding its line here and
// raising it where it is found out.
inline constexpr FlagText kFlagTexts[] = {
    {"count-off-height",
     "The count is more than half a board away from the stack's height in boards: look for a missed or a "
     "doubled line, and calibrate the station again if its boards have changed."},
    {"no-line", "No gap line was found between the boards: check that the photo shows the stack edge-on and "
                "that THRESHOLD suits its light."},
    {"second-count-differs", "The second look, which follows the seams in the photo's grey levels, counts a "
                             "different number of boards: compare its dashed seams with the lines."},
    {"stack-past-frame", "The stack runs past the edge of the photo: boards outside it could not be counted; "
                         "photograph the whole stack."},
    {"turned", "The photo was stored on its side or upside down and was turned upright before it was counted: "
               "check that the boards lie across the picture."},
};

// The sentence for a flag code, for a person; the code itself for one this build
// does not know, so that a newer code is still shown.
std::string FlagSentence(std::string_view code);

// The check on a count run's result: fills in the stack's height in boards (the
// second look's measure of the stack where it found one, else the strip's), in the
// request's board thickness or, without one, PWIDTH (neither: no height), and the
// flags of every reason to doubt the count. When the second look counted the same and
// the thickness is PWIDTH, two independent counts agree and the height, which a
// thickness set a little off misleads, raises no flag; a learned thickness still does.
// Advice only: the count is left as the rules gave it.
void CheckCount(const CountRequest& request, CountResult& result);

}  // namespace tamrex
