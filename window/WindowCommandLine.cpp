#include "window/WindowCommandLine.h"

#include <FreeImage.h>
#include <QtGlobal>

namespace tamrex {
namespace {

bool IsOption(const std::string& argument) { return argument.size() > 1 && argument.front() == '-'; }

}  // namespace

std::string WindowHelpText() {
    return "Usage: tamrex [PHOTO | FOLDER]\n"
           "\n"
           "Opens the Tamrex board counter on the JPEG photos (*.jpg) of a folder: FOLDER,\n"
           "the folder that holds PHOTO, or else the current folder. Selecting a photo counts\n"
           "its boards and writes the line map into that folder as test.bmp. The settings are\n"
           "read from Tamrex.ini in the program's folder, links followed.\n"
           "\n"
           "Options:\n"
           "  -h, --help     Print this help and exit\n"
           "  --version      Print the versions of tamrex, FreeImage and Qt and exit\n"
           "\n"
           "Qt's own options, such as -platform offscreen, are taken too.\n"
           "Exit status: 0 when the window was closed, 1 when the settings file could not be\n"
           "read, 2 on a usage error.\n";
}

std::string WindowVersionText() {
    return std::string("tamrex ") + TAMREX_VERSION + " (FreeImage " + FreeImage_GetVersion() + ", Qt " +
           qVersion() + ")\n";
}

std::optional<std::string> InformationAsked(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        if (argument == "--") break;
        if (argument == "-h" || argument == "--help") return WindowHelpText();
        if (argument == "--version") return WindowVersionText();
    }
    return std::nullopt;
}

Expected<std::filesystem::path> ChooseStartFolder(const std::vector<std::filesystem::path>& arguments,
                              const std::filesystem::path& currentFolder) {
    std::vector<std::filesystem::path> named;
    bool optionsEnded = false;  // after "--", a name that starts with '-' is a name
    for (const std::filesystem::path& argument : arguments) {
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && IsOption(argument.string())) {
            return Fail("unknown option '" + argument.string() + "'");
        } else {
            named.push_back(argument);
        }
    }
    if (named.empty()) return currentFolder;
    if (named.size() > 1) return Fail("opens one photo or folder, but " + std::to_string(named.size()) + " were given");
    const std::filesystem::path given = currentFolder / named.front();
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(given, error);
    if (!std::filesystem::exists(status)) {
        const std::string reason = error ? error.message() : "it does not exist";
        return Fail("cannot open '" + named.front().string() + "': " + reason);
    }
    return std::filesystem::is_directory(status) ? given : given.parent_path();
}

}  // namespace tamrex
