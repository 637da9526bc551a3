#pragma once

#include <QString>

namespace tamrex {

// What F1 shows: how the window is worked, by mouse and by key.
QString KeysHelp();

}  // namespace tamrex
