#pragma once

#include <string>

namespace tamrex {

struct CountResult;

// Lets a window follow a count run while it happens, without the counting code
// knowing anything about windows.
class CountObserver {
public:
    virtual ~CountObserver() = default;
    // The photo has been loaded and thresholded; it can be shown now.
    virtual void ShowSourcePicture(const std::string& photoPath) = 0;
    // The run has ended: counted (line map saved) or failed with a message.
    virtual void ShowResult(const CountResult& result) = 0;
};

}  // namespace tamrex
