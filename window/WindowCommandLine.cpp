#include "window/WindowCommandLine.h"

#include "record/CountLog.h"
#include "window/LogChoice.h"

#include <FreeImage.h>
#include <QtGlobal>

#include <string_view>

namespace tamrex {
namespace {

constexpr std::string_view kIniOption = "--ini";

bool IsOption(const std::string& argument) { return argument.size() > 1 && argument.front() == '-'; }

// The one photo or folder named, if any, once ChooseStartFolder has let the arguments pass.
std::optional<std::filesystem::path> NamedIn(const std::vector<std::filesystem::path>& arguments) {
    bool optionsEnded = false;
    for (const std::filesystem::path& argument : arguments) {
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else {
            return argument;
        }
    }
    return std::nullopt;
}

struct SettingsChoice {
    std::optional<std::filesystem::path> file;
    std::vector<std::filesystem::path> others;  // every argument but the option and its value
};

Expected<SettingsChoice> TakeSettingsOption(const std::vector<std::filesystem::path>& arguments) {
    SettingsChoice choice;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string argument = arguments[i].string();
        if (argument == "--") {
            choice.others.insert(choice.others.end(), arguments.begin() + static_cast<std::ptrdiff_t>(i),
                                 arguments.end());
            break;
        }
        std::string value;
        if (argument == kIniOption) {
            if (i + 1 < arguments.size()) value = arguments[++i].string();
        } else if (argument.starts_with(std::string(kIniOption) + "=")) {
            value = argument.substr(kIniOption.size() + 1);
        } else {
            choice.others.push_back(arguments[i]);
            continue;
        }
        if (value.empty()) return Fail("--ini needs the name of a settings file");
        choice.file = value;
    }
    return choice;
}

}  // namespace

std::string WindowHelpText() {
    return "Usage: tamrex [--ini FILE] [--log FILE | --no-log] [PHOTO | FOLDER]\n"
           "\n"
           "Opens the Tamrex board counter on the JPEG photos (*.jpg, *.jpeg) of a folder:\n"
           "FOLDER, the folder that holds PHOTO (counted at once), or else the current folder;\n"
           "Ctrl+O opens another. Selecting a photo counts its boards and writes the line map\n"
           "into that folder as test.bmp; Enter counts it again, F5 lists photos added since.\n"
           "A double-click on a picture, or F2, opens the count for review, where a click takes\n"
           "a line away or adds one. Accepted counts are kept with their lines in\n"
           "tamrex-corrections.csv in the folder, and \"Calibrate from corrected photos\" in the\n"
           "pictures' right-click menu learns settings from them. Every count and correction is\n"
           "also added to the count log, which \"History...\" (Ctrl+H) shows and\n"
           "'tamrex-count log' reads. F1 lists the keys.\n"
           "\n"
           "Options:\n"
           "  --ini FILE     Read the settings from FILE, and write calibrated ones there\n"
           "                 (default: Tamrex.ini in the program's folder, links followed)\n"
           "  --log FILE     Add every count and every accepted correction to the count log\n"
           "                 FILE (this user's: " + DefaultLogFile().string() + ")\n"
           "  --no-log       Keep no record of the counts\n"
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

Outcome CheckDisplay(const std::vector<std::string>& arguments, const char* display, const char* waylandDisplay,
                     const char* platform) {
    const auto set = [](const char* value) { return value != nullptr && *value != '\0'; };
    if (set(display) || set(waylandDisplay) || set(platform)) return {};
    for (const std::string& argument : arguments) {
        if (argument == "-platform" || argument == "--platform") return {};
    }
    return Fail("there is no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY is set): "
                "start it from a desktop session, or count on the command line with tamrex-count");
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

Expected<WindowStart> ReadWindowArguments(const std::vector<std::filesystem::path>& arguments,
                                          const std::filesystem::path& currentFolder,
                                          const std::filesystem::path& defaultSettings) {
    const Expected<LogChoice> log = TakeLogChoice(arguments, currentFolder);
    if (!log) return tl::unexpected(log.error());
    const Expected<SettingsChoice> settings = TakeSettingsOption(log->others);
    if (!settings) return tl::unexpected(settings.error());
    const Expected<std::filesystem::path> folder = ChooseStartFolder(settings->others, currentFolder);
    if (!folder) return tl::unexpected(folder.error());
    WindowStart start{*folder, {}, settings->file ? currentFolder / *settings->file : defaultSettings, log->file};
    const std::optional<std::filesystem::path> named = NamedIn(settings->others);
    if (named && !std::filesystem::is_directory(currentFolder / *named)) start.photo = named->filename();
    return start;
}

}  // namespace tamrex
