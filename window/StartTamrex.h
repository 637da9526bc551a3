#pragma once

#include "window/Tamrex.h"
#include "window/WindowCommandLine.h"

#include <QString>

#include <memory>

namespace tamrex {

// The window, ready to be shown, or why it could not be made.
struct TamrexOpening {
    std::unique_ptr<Tamrex> window;
    QString error;  // for a person: the file, what is wrong with it, what to do
};

// Reads the settings file, then makes the window on the start folder and counts the photo
// given, if one was. Shows nothing.
TamrexOpening OpenTamrex(const WindowStart& start);

// The program from start to end, inside a running QApplication: the window until it is
// closed (status 0), or a message box saying why it cannot start (status 1) without the
// window ever being shown.
int RunTamrex(const WindowStart& start);

// Why the arguments cannot start the window, in a message box, for whoever started it from
// a desktop where nobody reads a terminal; on a platform without a screen, nothing.
void ReportBadArguments(const QString& error);

}  // namespace tamrex
