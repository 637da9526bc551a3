#include "cli/CommandLine.h"

#include "cli/Version.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <thread>

namespace tamrex::cli {
namespace {

constexpr const char* kDescription =
    "Counts the boards in photos of stacked boards seen edge-on.\n"
    "Prints one result per photo, in the order given; a photo that cannot be counted\n"
    "is reported with the reason. Exit status: 0 when every photo was counted, 1 when\n"
    "any failed, 2 on a usage error.";

void AddSettingOverride(CLI::App& app, const std::string& flag, std::optional<int>& target,
                        const std::string& what) {
    app.add_option_function<int>(flag, [&target](int value) { target = value; },
                                 what + " (overrides the settings file)")
        ->check(CLI::Range(-32768, 32767))
        ->type_name("N");
}

unsigned DefaultJobs() { return std::max(1u, std::thread::hardware_concurrency()); }

}  // namespace

ParsedCommandLine ParseCommandLine(int argc, char** argv) {
    ParsedCommandLine parsed;
    Options& options = parsed.options;
    options.jobs = DefaultJobs();

    CLI::App app{kDescription, "tamrex-count"};
    app.set_version_flag("--version", VersionText());
    app.add_option("--ini", options.settingsFile,
                   "Settings file (default: Tamrex.ini beside the program)")
        ->type_name("FILE");
    AddSettingOverride(app, "--bdline", options.bdLine, "Dark pixels per row that make a line row");
    AddSettingOverride(app, "--threshold", options.threshold, "Binarisation level, 0 to 255");
    AddSettingOverride(app, "--pwidth", options.pWidth, "Board thickness in pixel rows");
    app.add_option("--line-map", options.lineMapFile,
                   "Write the line map of the photo to FILE as a 1-bit BMP (one photo only)")
        ->type_name("FILE");
    app.add_flag("--json", options.json, "Print one JSON object per photo, one per line");
    app.add_option("-j,--jobs", options.jobs, "Count N photos at a time (default: the number of cores)")
        ->check(CLI::Range(1u, 1024u))
        ->type_name("N");
    app.add_option("photos", options.photos, "JPEG photos to count")->required()->type_name("PHOTO");

    try {
        app.parse(argc, argv);
        if (!options.lineMapFile.empty() && options.photos.size() > 1) {
            throw CLI::ValidationError("--line-map", "writes the map of one photo; " +
                                                         std::to_string(options.photos.size()) +
                                                         " photos were given");
        }
    } catch (const CLI::Success& success) {
        parsed.exitNow = app.exit(success);
    } catch (const CLI::ParseError& error) {
        std::cerr << "tamrex-count: " << error.what() << "\n"
                  << "Run 'tamrex-count --help' for the options.\n";
        parsed.exitNow = 2;
    }
    return parsed;
}

}  // namespace tamrex::cli
