#include "window/LogChoice.h"

#include "record/CountLog.h"

#include <string>

namespace tamrex {

Expected<LogChoice> TakeLogChoice(const std::vector<std::filesystem::path>& arguments,
                                  const std::filesystem::path& currentFolder) {
    LogChoice choice{DefaultLogFile(), {}};
    bool named = false, off = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string argument = arguments[i].string();
        if (argument == "--") {
            choice.others.insert(choice.others.end(), arguments.begin() + static_cast<std::ptrdiff_t>(i), arguments.end());
            break;
        }
        if (argument == "--no-log") {
            off = true;
            continue;
        }
        std::string value;
        if (argument == "--log") {
            if (i + 1 < arguments.size()) value = arguments[++i].string();
        } else if (argument.starts_with("--log=")) {
            value = argument.substr(6);
        } else {
            choice.others.push_back(arguments[i]);
            continue;
        }
        if (value.empty()) return Fail("--log needs the name of a count log file");
        choice.file = currentFolder / value;
        named = true;
    }
    if (named && off) return Fail("--log and --no-log exclude each other: give one of them");
    if (off) choice.file.reset();
    return choice;
}

}  // namespace tamrex
