#include "cli/CommandLine.h"

#include "calibration/KnownCounts.h"
#include "cli/Version.h"
#include "counting/MemoryBudget.h"
#include "image/PictureFile.h"
#include "record/CountLog.h"

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
    "Every count is added to the count log (see --log); 'tamrex-count log --help' tells\n"
    "how to read it. 'tamrex-count calibrate --help' tells how to find settings from\n"
    "hand-counted photos.";

constexpr const char* kLogSummary = "Shows the counts kept in the count log";
constexpr const char* kLogDescription =
    "Prints the counts of the count log, oldest first, one line each with its accepted\n"
    "count where a person accepted one, and the totals: counts and boards counted,\n"
    "accepted counts and boards accepted. --csv and --json print every field instead.\n"
    "--verify PHOTO says whether the photo on disk is the one that was counted (the same\n"
    "SHA-256) and shows its counts; exit status 1 when it is not, or was never counted.";

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

// Where the count log is, for counting and for reading it; the default shown is this user's.
CLI::Option* AddLogFile(CLI::App& app, std::filesystem::path& file, const std::string& what) {
    return app.add_option("--log", file, what + " (default: " + DefaultLogFile().string() + ")")->type_name("FILE");
}

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
    app.add_option("--evidence", options.evidenceFile,
                   "Write the photo with its lines and a caption (its name, SHA-256, when it was\n"
                   "counted, the counts, the accepted count and the settings) to FILE (.png or .jpg;\n"
                   "one photo only)")
        ->check(CLI::Validator(PictureNameProblem, ""))
        ->type_name("FILE");
    AddJobs(app, options.jobs, "Count N photos at a time");
    AddMaxPixels(app, options.maxMegapixels);
    AddMemoryBudget(app, options.memoryBudgetMiB);
    CLI::Option* log = AddLogFile(app, options.logFile, "Add every count to the count log FILE");
    app.add_flag("--no-log", options.noLog, "Do not add the counts to the count log")->excludes(log);
    app.add_option("photos", options.photos, "JPEG photos to count")->type_name("PHOTO");
}

CLI::App* AddLogCommand(CLI::App& app, Options& options, LogOptions& log) {
    CLI::App* command = app.add_subcommand("log", kLogSummary);
    command->footer(kLogDescription);
    AddLogFile(*command, options.logFile, "The count log to read");
    command->add_option("--since", log.since, "Counts made on or after DAY: YYYY-MM-DD, today or yesterday")
        ->type_name("DAY");
    command->add_option("--until", log.until, "Counts made on or before DAY, that day included")->type_name("DAY");
    command->add_option("--folder", log.folder, "Counts of the photos in FOLDER")->type_name("FOLDER");
    command->add_option("--photo", log.photo, "Counts of PHOTO")->type_name("PHOTO");
    command->add_flag("--corrected", log.correctedOnly, "Only counts that a person corrected");
    command->add_flag("--flagged", log.flaggedOnly, "Only counts that the check flagged");
    auto* json = command->add_flag("--json", options.json, "One JSON object per count, one per line");
    command->add_flag("--csv", options.csv, "A CSV report: a header row, then one row per count")->excludes(json);
    command
        ->add_option("--verify", log.verify,
                     "Whether PHOTO on disk is the photo that was counted (the same SHA-256); shows\n"
                     "its counts")
        ->type_name("PHOTO");
    return command;
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
                       const CalibrateOptions& calibrate, const CLI::App& logCommand) {
    if (logCommand.parsed()) return;
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
    onePhotoOnly("--evidence", options.evidenceFile);
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
    LogOptions log;

    CLI::App app{kDescription, "tamrex-count"};
    app.set_version_flag("--version", VersionText());
    AddCountOptions(app, options);
    CLI::App* calibrateCommand = AddCalibrateCommand(app, options, calibrate);
    CLI::App* logCommand = AddLogCommand(app, options, log);
    app.require_subcommand(0, 1);

    try {
        app.parse(argc, argv);
        CheckCombinations(options, *calibrateCommand, calibrate, *logCommand);
        if (calibrateCommand->parsed()) options.calibrate = std::move(calibrate);
        if (logCommand->parsed()) options.log = std::move(log);
    } catch (const CLI::Success& success) {
        parsed.exitNow = app.exit(success);
    } catch (const CLI::ParseError& error) {
        const std::string command = calibrateCommand->parsed() ? "calibrate " : logCommand->parsed() ? "log " : "";
        std::cerr << "tamrex-count: " << (command.empty() ? "" : command.substr(0, command.size() - 1) + ": ")
                  << error.what() << "\n"
                  << "Run 'tamrex-count " << command << "--help' for the options.\n";
        parsed.exitNow = 2;
    }
    return parsed;
}

}  // namespace tamrex::cli
