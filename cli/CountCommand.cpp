#include "cli/CountCommand.h"

#include "base/Quoted.h"
#include "cli/CountRecording.h"
#include "cli/CsvReport.h"
#include "cli/PhotoReport.h"
#include "cli/ProgressLine.h"
#include "cli/ResultFormat.h"
#include "counting/CountInOrder.h"
#include "overlay/LineOverlay.h"
#include "record/EvidencePicture.h"
#include "record/EvidenceText.h"

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
            std::cerr << "tamrex-count: decoder warning for " << Quoted(report.photo) << ": " << report.count->warning
                      << std::endl;
        }
        return;
    }
    if (report.count) std::cout << TextLine(*report.count) << std::endl;
    if (!report.AllDone()) std::cerr << "tamrex-count: " << report.Errors() << std::endl;
}

// The evidence picture of the one photo: its record's facts are read here, so that
// the picture and the log show the same SHA-256.
void WriteEvidence(const Options& options, const CountResult& count, CountRecord& record, PhotoReport& report) {
    if (Expected<PhotoFacts> facts = ReadPhotoFacts(record.photo)) {
        record.facts = std::move(*facts);
    } else {
        record.factsError = "cannot read the photo again: " + facts.error().message;
    }
    const auto accepted = options.noLog ? std::nullopt : AcceptedInLog(LogFileOf(options), record);
    if (Outcome written = WriteEvidencePicture(count, EvidenceLines(record, accepted), options.evidenceFile); !written)
        report.outputFailures.push_back(written.error());
}

}  // namespace

int RunCount(const Options& options, const StationSettings& station) {
    if (options.csv) std::cout << CsvHeader() << std::flush;
    bool allDone = true;
    std::size_t finished = 0;
    ProgressLine progress(options.photos.size(), options.json || options.csv);
    // The log's complaint and the reports come from the log's thread, one at a time.
    CountRecording recording(options, station, [&](const std::string& message) {
        progress.Clear();
        std::cerr << "tamrex-count: " << message << std::endl;
    });
    const auto printed = [&](const PhotoReport& report) {
        progress.Clear();
        Print(options, report);
        allDone = report.AllDone() && allDone;
        progress.Done(++finished);
    };
    // A record is made only for the log or the evidence: it asks the system who and where,
    // which costs more than the passes of a small photo's count.
    const bool recorded = recording.Writes() || !options.evidenceFile.empty();
    CountInOrder(RequestsFor(options, station), options.jobs,
                 [&](std::size_t index, const Expected<CountResult>& count) {
                     PhotoReport report = ReportOf(options, options.photos[index], count);
                     if (!recorded) return printed(report);
                     CountRecord record = recording.RecordOf(report);
                     if (!options.evidenceFile.empty() && count) {
                         WriteEvidence(options, *count, record, report);
                         record.error = report.Errors();
                     }
                     recording.Add(std::move(record), [&, report = std::move(report)] { printed(report); });
                 },
                 options.MemoryBudget());
    recording.Finish();
    return allDone ? 0 : 1;
}

}  // namespace tamrex::cli
