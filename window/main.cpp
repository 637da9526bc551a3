#include "settings/LoadSettings.h"
#include "window/PathText.h"
#include "window/StartTamrex.h"
#include "window/WindowCommandLine.h"

#include <QApplication>
#include <QDir>

#include <malloc.h>

#include <csignal>
#include <cstdlib>
#include <iostream>

int main(int argc, char* argv[]) {
    // A count's pictures, strips and decoder buffers are blocks of megabytes that live for
    // one photo. Once the first picture raised the allocator's thresholds it would keep
    // them for the thread that freed them, and the window runs for a whole day: with fixed
    // thresholds such blocks go back to the system when freed.
    ::mallopt(M_MMAP_THRESHOLD, 4 << 20);
    // Past a file size limit, writing test.bmp should fail and be shown, not end the window.
    std::signal(SIGXFSZ, SIG_IGN);
    // Answered before Qt starts, so that they work without a display.
    if (const auto text = tamrex::InformationAsked({argv + 1, argv + argc})) {
        std::cout << *text;
        return 0;
    }
    const tamrex::Outcome display = tamrex::CheckDisplay({argv + 1, argv + argc}, std::getenv("DISPLAY"),
                                                         std::getenv("WAYLAND_DISPLAY"), std::getenv("QT_QPA_PLATFORM"));
    if (!display) {
        std::cerr << "tamrex: " << display.error().message << "\n";
        return 1;
    }
    QApplication application(argc, argv);  // takes its own options out of argv
    const tamrex::Expected<tamrex::WindowStart> start = tamrex::ReadWindowArguments(
        {argv + 1, argv + argc}, tamrex::ToPath(QDir::currentPath()), tamrex::DefaultSettingsFile());
    if (!start) {
        std::cerr << "tamrex: " << start.error().message << "\nGive one photo, or one folder of photos; "
                  << "'tamrex --help' tells more.\n";
        tamrex::ReportBadArguments(QString::fromStdString(start.error().message));
        return 2;
    }
    return tamrex::RunTamrex(*start);
}
