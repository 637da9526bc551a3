#pragma once

#include "base/Expected.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tamrex {

// What `tamrex --help` prints.
std::string WindowHelpText();

// "tamrex 0.1.0 (FreeImage 3.18.0, Qt 6.4.2)": the versions of the libraries in use.
std::string WindowVersionText();

// The text that --help or --version asks for, to be printed instead of opening the window;
// nothing when neither is among the arguments (the program name left out). Needs no display,
// so that it can be answered before Qt starts.
std::optional<std::string> InformationAsked(const std::vector<std::string>& arguments);

// From the arguments that Qt left (the program name left out): the folder given, the folder
// of the photo given, so that opening a photo from a file manager lists its neighbours, or,
// without an argument, the current folder.
// Why the window cannot open, when nothing says where to show it: no X or Wayland
// display in the environment and no platform named (-platform, QT_QPA_PLATFORM).
// Without this the toolkit would abort the program.
Outcome CheckDisplay(const std::vector<std::string>& arguments, const char* display, const char* waylandDisplay,
                     const char* platform);

// A failure says what is wrong with which argument.
Expected<std::filesystem::path> ChooseStartFolder(const std::vector<std::filesystem::path>& arguments,
                              const std::filesystem::path& currentFolder);

// Where the window starts.
struct WindowStart {
    std::filesystem::path folder;
    std::filesystem::path photo;  // the photo given, to be counted at once; empty: none
    std::filesystem::path settingsFile;  // read at start, and where calibrated settings go
    std::optional<std::filesystem::path> logFile = std::nullopt;  // the count log; none with --no-log
};

// The start folder as ChooseStartFolder chooses it, the photo given, if a photo was,
// the settings file of "--ini FILE" (or "--ini=FILE"), else `defaultSettings`, and the
// count log as TakeLogChoice reads it. Relative
// names are taken from the current folder. A failure says what is wrong with which argument.
Expected<WindowStart> ReadWindowArguments(const std::vector<std::filesystem::path>& arguments,
                                          const std::filesystem::path& currentFolder,
                                          const std::filesystem::path& defaultSettings);

}  // namespace tamrex
