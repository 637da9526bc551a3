#include "cli/CountCommand.h"

#include "cli/CsvReport.h"
#include "cli/PhotoReport.h"
#include "cli/ProgressLine.h"
#include "cli/ResultFormat.h"
#include "counting/CountInOrder.h"
#include "overlay/LineOverlay.h"

#include <iostream>

namespace tamrex::cli {
namespace {

std::vector<CountRequest> RequestsFor(const Options& options, const StationSettings& station) {
    std::vector<CountRequest> requests;
    for (const auto& photo : options.photos) {
        requests.push_back({photo, station.counter, options.lineMapFile, options.PixelLimit(), station.Thickness(),
                            station.Look()});
    }
    return requests;
}

// The line map is written by the count run; the overlay after it, from the photo.
PhotoReport ReportOf(const Options& options, const std::filesystem::path& photo, const Expected<CountResult>& count) {
    PhotoReport report{photo.string(), count, {}};
    if (!count) return report;
    if (!count->lineMapWrite) report.outputFailures.push_back(count->lineMapWrite.error());
    if (!options.overlayFile.empty()) {
        if (Outcome written = WriteLineOverlay(*count, options.overlayFile); !written)
            report.outputFailures.push_back(written.error());
    }
    return report;
}

// JSON and CSV carry failures in their own record, so a script reading them sees
// every photo; plain text sends them to stderr. A CSV has no column for decoder
// warnings, so they go to stderr too.
void Print(const Options& options, const PhotoReport& report) {
    if (options.json) {
        std::cout << JsonLine(report) << std::endl;
        return;
    }
    if (options.csv) {
        std::cout << CsvRow(report) << std::flush;
        if (report.count && !report.count->warning.empty()) {
            std::cerr << "tamrex-count: decoder warning for '" << report.photo << "': " << report.count->warning
                      << std::endl;
        }
        return;
    }
    if (report.count) std::cout << TextLine(*report.count) << std::endl;
    if (!report.AllDone()) std::cerr << "tamrex-count: " << report.Errors() << std::endl;
}

}  // namespace

int RunCount(const Options& options, const StationSettings& station) {
    if (options.csv) std::cout << CsvHeader() << std::flush;
    bool allDone = true;
    std::size_t finished = 0;
    ProgressLine progress(options.photos.size(), options.json || options.csv);
    CountInOrder(RequestsFor(options, station), options.jobs,
                 [&](std::size_t index, const Expected<CountResult>& count) {
                     const PhotoReport report = ReportOf(options, options.photos[index], count);
                     progress.Clear();
                     Print(options, report);
                     allDone = report.AllDone() && allDone;
                     progress.Done(++finished);
                 },
                 options.MemoryBudget());
    return allDone ? 0 : 1;
}

}  // namespace tamrex::cli
