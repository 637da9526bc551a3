#include "cli/CalibrateCommand.h"
#include "cli/CommandLine.h"
#include "cli/CountCommand.h"
#include "cli/LogCommand.h"
#include "settings/LoadSettings.h"
#include "settings/StationSettings.h"

#include <malloc.h>

#include <csignal>
#include <iostream>

namespace {

using tamrex::CounterSettings;
using tamrex::cli::Options;

void ApplyOverrides(const Options& options, tamrex::StationSettings& station) {
    CounterSettings& settings = station.counter;
    if (options.bdLine) settings.bdLine = static_cast<std::int16_t>(*options.bdLine);
    if (options.threshold) settings.threshold = static_cast<std::int16_t>(*options.threshold);
    if (options.pWidth) settings.pWidth = static_cast<std::int16_t>(*options.pWidth);
    if (options.frame) station.frame = options.frame;
}

}  // namespace

int main(int argc, char** argv) {
    // Pictures, strips and the decoder's buffers of a big photo are blocks of megabytes
    // that live for one count. The allocator would keep them for the thread that freed
    // them, past the memory budget, once its first picture raised its thresholds: with
    // fixed thresholds such blocks go back to the system when freed. The smaller blocks
    // stay with the thread for its next photo, up to a bound: handed back and asked for
    // again photo after photo, their pages were cleared and mapped anew each time, and
    // two workers doing so in one process held each other up.
    ::mallopt(M_MMAP_THRESHOLD, 4 << 20);
    ::mallopt(M_TRIM_THRESHOLD, 16 << 20);
    // Past a file size limit, a write should fail and be reported, not end the process
    // with the line map half written.
    std::signal(SIGXFSZ, SIG_IGN);
    const tamrex::cli::ParsedCommandLine parsed = tamrex::cli::ParseCommandLine(argc, argv);
    if (parsed.exitNow) return *parsed.exitNow;
    const Options& options = parsed.options;
    // Calibration looks for settings, so it has no use for the ones in the file.
    if (options.calibrate) return tamrex::cli::RunCalibration(options);
    if (options.log) return tamrex::cli::RunLogCommand(options);

    const auto settingsFile =
        options.settingsFile.empty() ? tamrex::DefaultSettingsFile() : options.settingsFile;
    tamrex::Expected<tamrex::StationSettings> station = tamrex::LoadStationSettings(settingsFile);
    if (!station) {
        std::cerr << "tamrex-count: " << station.error().message
                  << "\nFix the settings file, or name another with --ini.\n";
        return 1;
    }
    const bool allOverridden = options.bdLine && options.threshold && options.pWidth;
    if (!station->notice.empty() && !allOverridden) std::cerr << "tamrex-count: warning: " << station->notice << "\n";
    ApplyOverrides(options, *station);
    return tamrex::cli::RunCount(options, *station);
}
