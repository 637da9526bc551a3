#include "cli/CommandLine.h"

#include "calibration/KnownCounts.h"
#include "cli/Version.h"
#include "counting/MemoryBudget.h"
#include "image/PictureFile.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <thread>

namespace tamrex::cli {
namespace {

constexpr const char* kDescription =
    "Counts the boards in photos of stacked boards seen edge-on.\n"
    "Prints one result per photo, in the order given; a photo that cannot be counted\n"
    "is reported with the reason. Exit status: 0 when every photo was counted, 1 when\n"
    "any failed, 2 on a usage error.\n"
    "'tamrex-count calibrate --help' tells how to find settings from hand-counted photos.";

constexpr const char* kCalibrateSummary = "Finds settings from photos whose boards were counted by hand";
constexpr const char* kCalibrateDescription =
    "Finds the BDLINE, THRESHOLD and PWIDTH that count the most of the given photos\n"
    "exactly and, among those, the ones whose neighbours count as well, whose lines are\n"
    "spaced most evenly at the board thickness learned from the photos, and that lean\n"
    "least on the thickness split. Prints them with each photo's count, and writes them\n"
    "with the thickness (THICKNESS) as a settings file with --write-ini. Use a few photos\n"
    "of one station: the same camera, light and kind of board.";

// An override that no count can use is a mistake on the command line, not in the
// settings file, and is reported as one.
void AddSettingOverride(CLI::App& app, const std::string& flag, std::optional<int>& target,
                        const std::string& what, int lowest = -32768, int highest = 32767) {
    app.add_option_function<int>(flag, [&target](int value) { target = value; },
                                 what + " (overrides the settings file)")
        ->check(CLI::Range(lowest, highest))
        ->type_name("N");
}

void AddJobs(CLI::App& app, unsigned& jobs, const std::string& what) {
    app.add_option("-j,--jobs", jobs, what + " (default: the number of cores)")
        ->check(CLI::Range(1u, 1024u))
        ->type_name("N");
}

// The same limit in every command: a photo too big to count is too big to calibrate on.
void AddMaxPixels(CLI::App& app, double& maxMegapixels) {
    app.add_option("--max-pixels", maxMegapixels,
                   "Refuse photos of more than N megapixels, from their header, before decoding")
        ->check(CLI::Range(0.000001, 10000.0))
        ->type_name("N")
        ->capture_default_str();
}

void AddMemoryBudget(CLI::App& app, std::uint64_t& mebibytes) {
    app.add_option("--memory-budget", mebibytes,
                   "Decode photos at once only while they take no more than N MiB together (default:\n"
                   "1024, or a quarter of the memory of a smaller machine); a bigger photo runs alone")
        ->check(CLI::Range(std::uint64_t{1}, std::uint64_t{1} << 30))
        ->type_name("N");
}

std::string PictureNameProblem(const std::string& name) {
    const Outcome usable = CheckPictureName(name);
    return usable ? std::string() : usable.error().message;
}

// The same frame for a count and for a calibration, which learns with it and keeps it.
void AddRegion(CLI::App& app, std::optional<PhotoFrame>& frame, const std::string& what) {
    app.add_option_function<std::string>(
           "--region",
           [&frame](const std::string& text) {
               const Expected<PhotoFrame> parsed = ParseFrame(text);
               if (!parsed) throw CLI::ValidationError("--region", parsed.error().message);
               frame = *parsed;
           },
           what)
        ->type_name("X,Y,W,H");
}

unsigned DefaultJobs() { return std::max(1u, std::thread::hardware_concurrency()); }

void AddCountOptions(CLI::App& app, Options& options) {
    app.add_option("--ini", options.settingsFile, "Settings file (default: Tamrex.ini beside the program)")
        ->type_name("FILE");
    AddSettingOverride(app, "--bdline", options.bdLine, "Dark pixels per row that make a line row");
    AddSettingOverride(app, "--threshold", options.threshold, "Binarisation level, 0 to 255", 0, 255);
    AddSettingOverride(app, "--pwidth", options.pWidth, "Board thickness in pixel rows");
    AddRegion(app, options.frame,
              "Where the stack is, in pixels of the upright photo from its top left corner: the\n"
              "second look counts inside this frame (overrides REGION in the settings file)");
    app.add_option("--line-map", options.lineMapFile,
                   "Write the line map of the photo to FILE as a 1-bit BMP (one photo only)")
        ->type_name("FILE");
    app.add_option("--overlay", options.overlayFile,
                   "Write the photo with every line found drawn over it, coloured by pass and numbered\n"
                   "from the bottom, to FILE (.png or .jpg; one photo only)")
        ->check(CLI::Validator(PictureNameProblem, ""))
        ->type_name("FILE");
    auto* json = app.add_flag("--json", options.json, "Print one JSON object per photo, one per line");
    app.add_flag("--csv", options.csv,
                 "Print a CSV report: a header row, then one row per photo (file, count, the four\n"
                 "pass counts, strip width and height, ms, second count, height in boards, flags,\n"
                 "error)")
        ->excludes(json);
    AddJobs(app, options.jobs, "Count N photos at a time");
    AddMaxPixels(app, options.maxMegapixels);
    AddMemoryBudget(app, options.memoryBudgetMiB);
    app.add_option("photos", options.photos, "JPEG photos to count")->type_name("PHOTO");
}

void AddKnownCount(CalibrateOptions& calibrate, const std::string& text) {
    const Expected<KnownCount> known = ParseKnownCount(text);
    if (!known) throw CLI::ValidationError("--known", known.error().message);
    calibrate.known.push_back(*known);
}

CLI::App* AddCalibrateCommand(CLI::App& app, Options& options, CalibrateOptions& calibrate) {
    CLI::App* command = app.add_subcommand("calibrate", kCalibrateSummary);
    command->footer(kCalibrateDescription);
    command
        ->add_option_function<std::vector<std::string>>(
            "--known",
            [&calibrate](const std::vector<std::string>& pairs) {
                for (const std::string& pair : pairs) AddKnownCount(calibrate, pair);
            },
            "A photo and its board count counted by hand; give one --known per photo")
        ->type_name("FILE=COUNT")
        ->allow_extra_args(false);
    command
        ->add_option("--known-csv", calibrate.knownCsvFile,
                     "A CSV file of photos and board counts: 'file,count' rows, or a --csv report\n"
                     "with its count column put right")
        ->type_name("FILE");
    command
        ->add_option("--write-ini", calibrate.iniFile, "Write the settings found to FILE as a settings file")
        ->type_name("FILE");
    AddRegion(*command, options.frame,
              "Where the stack is in every photo, in pixels of the upright photo from its top\n"
              "left corner: the second look learns inside this frame, and --write-ini keeps it");
    AddJobs(*command, options.jobs, "Count on N threads");
    AddMaxPixels(*command, options.maxMegapixels);
    AddMemoryBudget(*command, options.memoryBudgetMiB);
    return command;
}

// What CLI11 cannot say about the combinations of options.
void CheckCombinations(const Options& options, const CLI::App& calibrateCommand,
                       const CalibrateOptions& calibrate) {
    if (calibrateCommand.parsed()) {
        if (!options.photos.empty()) {
            throw CLI::ValidationError(
                "photos are given to calibrate with --known or --known-csv, not before it");
        }
        if (calibrate.known.empty() && calibrate.knownCsvFile.empty()) {
            throw CLI::ValidationError(
                "needs photos with known counts: --known FILE=COUNT or --known-csv FILE");
        }
        return;
    }
    if (options.photos.empty()) throw CLI::RequiredError("PHOTO");
    const auto onePhotoOnly = [&](const char* option, const std::filesystem::path& file) {
        if (file.empty() || options.photos.size() < 2) return;
        throw CLI::ValidationError(option, "writes the picture of one photo; " +
                                               std::to_string(options.photos.size()) + " photos were given");
    };
    onePhotoOnly("--line-map", options.lineMapFile);
    onePhotoOnly("--overlay", options.overlayFile);
}

}  // namespace

std::uint64_t Options::MemoryBudget() const {
    return memoryBudgetMiB == 0 ? DefaultMemoryBudget() : memoryBudgetMiB << 20;
}

ParsedCommandLine ParseCommandLine(int argc, char** argv) {
    ParsedCommandLine parsed;
    Options& options = parsed.options;
    options.jobs = DefaultJobs();
    CalibrateOptions calibrate;

    CLI::App app{kDescription, "tamrex-count"};
    app.set_version_flag("--version", VersionText());
    AddCountOptions(app, options);
    CLI::App* calibrateCommand = AddCalibrateCommand(app, options, calibrate);
    app.require_subcommand(0, 1);

    try {
        app.parse(argc, argv);
        CheckCombinations(options, *calibrateCommand, calibrate);
        if (calibrateCommand->parsed()) options.calibrate = std::move(calibrate);
    } catch (const CLI::Success& success) {
        parsed.exitNow = app.exit(success);
    } catch (const CLI::ParseError& error) {
        const bool calibrating = calibrateCommand->parsed();
        std::cerr << "tamrex-count: " << (calibrating ? "calibrate: " : "") << error.what() << "\n"
                  << "Run 'tamrex-count " << (calibrating ? "calibrate " : "")
                  << "--help' for the options.\n";
        parsed.exitNow = 2;
    }
    return parsed;
}

}  // namespace tamrex::cli
