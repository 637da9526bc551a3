#pragma once

#include "counting/CountResult.h"

#include <string>

namespace tamrex {

// Lets a window follow a count run while it happens, without the counting code
// knowing anything about windows.
class CountObserver {
public:
    virtual ~CountObserver() = default;
    // The photo has been loaded and thresholded; it can be shown now.
    virtual void ShowSourcePicture(const std::string& photoPath) = 0;
    // The run has ended: counted, or failed with a message.
    virtual void ShowResult(const Expected<CountResult>& result) = 0;
};

}  // namespace tamrex
