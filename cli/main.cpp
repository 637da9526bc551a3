#include "cli/BatchCounter.h"
#include "cli/CommandLine.h"
#include "cli/ProgressLine.h"
#include "cli/ResultFormat.h"
#include "shell/settings/LoadSettings.h"

#include <cstdio>
#include <iostream>

namespace {

using tamrex::CounterSettings;
using tamrex::cli::Options;

void ApplyOverrides(const Options& options, CounterSettings& settings) {
    if (options.bdLine) settings.bdLine = static_cast<std::int16_t>(*options.bdLine);
    if (options.threshold) settings.threshold = static_cast<std::int16_t>(*options.threshold);
    if (options.pWidth) settings.pWidth = static_cast<std::int16_t>(*options.pWidth);
}

std::vector<tamrex::CountRequest> RequestsFor(const Options& options, const CounterSettings& settings) {
    std::vector<tamrex::CountRequest> requests;
    for (const auto& photo : options.photos) requests.push_back({photo, settings, options.lineMapFile});
    return requests;
}

}  // namespace

int main(int argc, char** argv) {
    const tamrex::cli::ParsedCommandLine parsed = tamrex::cli::ParseCommandLine(argc, argv);
    if (parsed.exitNow) return *parsed.exitNow;
    const Options& options = parsed.options;

    const auto settingsFile =
        options.settingsFile.empty() ? tamrex::DefaultSettingsFile() : options.settingsFile;
    tamrex::SettingsLoad load = tamrex::LoadSettings(settingsFile);
    if (!load.ok()) {
        std::cerr << "tamrex-count: " << load.error << "\nFix the settings file, or name another with --ini.\n";
        return 1;
    }
    ApplyOverrides(options, load.settings);

    bool allCounted = true;
    std::size_t finished = 0;
    tamrex::cli::ProgressLine progress(options.photos.size());
    tamrex::cli::CountInOrder(RequestsFor(options, load.settings), options.jobs,
                              [&](const tamrex::CountResult& result) {
                                  progress.Clear();
                                  allCounted = allCounted && result.ok();
                                  if (options.json) {
                                      std::cout << tamrex::cli::JsonLine(result) << std::endl;
                                  } else if (result.ok()) {
                                      std::cout << tamrex::cli::TextLine(result) << std::endl;
                                  } else {
                                      std::cerr << "tamrex-count: " << result.error << std::endl;
                                  }
                                  progress.Done(++finished);
                              });
    return allCounted ? 0 : 1;
}
