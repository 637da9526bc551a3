#pragma once

#include "window/Tamrex.h"

#include <QString>

#include <filesystem>
#include <memory>

namespace tamrex {

// The window, ready to be shown, or why it could not be made.
struct TamrexOpening {
    std::unique_ptr<Tamrex> window;
    QString error;  // for a person: the file, what is wrong with it, what to do
};

// Reads the settings file, then makes the window on the working folder. Shows nothing.
TamrexOpening OpenTamrex(const std::filesystem::path& workingFolder,
                         const std::filesystem::path& settingsFile);

// The program from start to end, inside a running QApplication: the window until it is
// closed (status 0), or a message box saying why it cannot start (status 1) without the
// window ever being shown.
int RunTamrex(const std::filesystem::path& workingFolder,
              const std::filesystem::path& settingsFile);

}  // namespace tamrex
