#include "cli/CountCommand.h"

#include "counting/BatchCounter.h"
#include "cli/CsvReport.h"
#include "cli/ProgressLine.h"
#include "cli/ResultFormat.h"
#include "overlay/LineOverlay.h"

#include <iostream>

namespace tamrex::cli {
namespace {

std::vector<CountRequest> RequestsFor(const Options& options, const CounterSettings& settings) {
    std::vector<CountRequest> requests;
    const auto pixelLimit = static_cast<std::uint64_t>(options.maxMegapixels * 1e6);
    for (const auto& photo : options.photos) {
        requests.push_back({photo, settings, options.lineMapFile, pixelLimit});
    }
    return requests;
}

// JSON and CSV carry a failure in their own record, so a script reading them sees
// every photo; plain text sends it to stderr. A CSV has no column for decoder
// warnings, so they go to stderr too.
void Print(const Options& options, const CountResult& result) {
    if (options.json) {
        std::cout << JsonLine(result) << std::endl;
    } else if (options.csv) {
        std::cout << CsvRow(result) << std::flush;
        if (!result.warning.empty()) {
            std::cerr << "tamrex-count: decoder warning for '" << result.photo << "': " << result.warning
                      << std::endl;
        }
    } else if (result.ok()) {
        std::cout << TextLine(result) << std::endl;
    } else {
        std::cerr << "tamrex-count: " << result.error << std::endl;
    }
}

bool WriteOverlay(const Options& options, const CountResult& result) {
    if (options.overlayFile.empty() || !result.ok()) return true;
    const std::string error = WriteLineOverlay(result.photo, result, options.overlayFile);
    if (error.empty()) return true;
    std::cerr << "tamrex-count: " << error << std::endl;
    return false;
}

}  // namespace

int RunCount(const Options& options, const CounterSettings& settings) {
    if (options.csv) std::cout << CsvHeader() << std::flush;
    bool allDone = true;
    std::size_t finished = 0;
    ProgressLine progress(options.photos.size(), options.json || options.csv);
    CountInOrder(RequestsFor(options, settings), options.jobs, [&](const CountResult& result) {
        progress.Clear();
        Print(options, result);
        allDone = WriteOverlay(options, result) && allDone && result.ok();
        progress.Done(++finished);
    });
    return allDone ? 0 : 1;
}

}  // namespace tamrex::cli
