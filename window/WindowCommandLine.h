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
// A failure says what is wrong with which argument.
Expected<std::filesystem::path> ChooseStartFolder(const std::vector<std::filesystem::path>& arguments,
                              const std::filesystem::path& currentFolder);

}  // namespace tamrex
