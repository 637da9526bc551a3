#pragma once

#include <string>

namespace tamrex {

// Initialises the image library once per process and captures its messages per
// thread, so that a decoder complaint ends up in the result of the photo it
// concerns instead of on a terminal.
void EnsureImageLibrary();

// Messages the image library reported on this thread since the last call; clears them.
std::string TakeLibraryMessages();

}  // namespace tamrex
