#pragma once

#include "base/Expected.h"
#include "counting/CountResult.h"

#include <string>
#include <vector>

namespace tamrex::cli {

// What the command line reports about one photo: its count, or why it has none, and
// the outputs (line map, overlay) that could not be written. A failed output leaves
// the count standing: both are reported.
struct PhotoReport {
    std::string photo;
    Expected<CountResult> count;
    std::vector<Failure> outputFailures;

    bool AllDone() const { return count.has_value() && outputFailures.empty(); }
    // Every failure of the photo, "; " between them; "" when there is none.
    std::string Errors() const {
        std::string text = count ? std::string() : count.error().message;
        for (const Failure& failure : outputFailures) text += (text.empty() ? "" : "; ") + failure.message;
        return text;
    }
};

}  // namespace tamrex::cli
