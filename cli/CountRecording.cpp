#include "cli/CountRecording.h"

#include "cli/Version.h"
#include "settings/LoadSettings.h"


namespace tamrex::cli {
namespace {

RecordedSettings SettingsOf(const Options& options, const StationSettings& station) {
    std::error_code ignored;
    const auto file = options.settingsFile.empty() ? DefaultSettingsFile() : options.settingsFile;
    RecordedSettings settings{std::filesystem::absolute(file, ignored).lexically_normal(), station.counter.bdLine,
                              station.counter.threshold, station.counter.pWidth, station.thickness, {}};
    for (const auto& [given, name] : {std::pair{options.bdLine.has_value(), "BDLINE"},
                                      std::pair{options.threshold.has_value(), "THRESHOLD"},
                                      std::pair{options.pWidth.has_value(), "PWIDTH"}}) {
        if (given) settings.overridden += (settings.overridden.empty() ? "" : " ") + std::string(name);
    }
    return settings;
}

}  // namespace

std::filesystem::path LogFileOf(const Options& options) {
    return options.logFile.empty() ? DefaultLogFile() : options.logFile;
}

CountRecording::CountRecording(const Options& options, const StationSettings& station,
                               std::function<void(const std::string&)> say)
    : settings_(SettingsOf(options, station)) {
    // One photo leaves nothing to count while its record is written.
    const LogWriting writing = options.photos.size() > 1 ? LogWriting::kOwnThread : LogWriting::kAtOnce;
    if (!options.noLog) writer_ = std::make_unique<LogWriter>(LogFileOf(options), std::move(say), writing);
}

CountRecord CountRecording::RecordOf(const PhotoReport& report) const {
    CountRecord record = RecordOfCount(report.photo, report.count, settings_, "tamrex-count", ProgramVersion());
    record.error = report.Errors();
    return record;
}

void CountRecording::Add(CountRecord record, std::function<void()> print) {
    if (writer_) {
        writer_->Add(std::move(record), std::move(print));
    } else {
        print();
    }
}

void CountRecording::Finish() {
    if (writer_) writer_->Finish();
}

}  // namespace tamrex::cli
