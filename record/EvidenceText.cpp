#include "record/EvidenceText.h"
#include "record/TextPieces.h"

#include <cstdio>
#include <filesystem>

namespace tamrex {
namespace {

std::string CountLine(const CountRecord& count) {
    if (!count.count) return "Not counted: " + count.error;
    std::string line = "Count of the rules: " + std::to_string(*count.count) + "   Second look: ";
    line += count.secondCount ? std::to_string(*count.secondCount) : "none (" + count.secondLookError + ")";
    if (count.heightBoards) line += "   Height: " + OneDecimal(*count.heightBoards) + " boards";
    if (!count.flags.empty()) line += "   Check: " + Joined(count.flags, ", ");
    return line;
}

std::string SettingsLine(const RecordedSettings& settings) {
    std::string line = "Settings: BDLINE=" + std::to_string(settings.bdLine) +
                       " THRESHOLD=" + std::to_string(settings.threshold) + " PWIDTH=" + std::to_string(settings.pWidth);
    if (settings.thickness) line += " THICKNESS=" + OneDecimal(*settings.thickness);
    line += " from " + settings.file.string();
    if (!settings.overridden.empty()) line += " (" + settings.overridden + " given on the command line)";
    return line;
}

}  // namespace

std::vector<std::string> EvidenceLines(const CountRecord& count, const std::optional<LoggedCorrection>& accepted) {
    std::vector<std::string> lines;
    lines.push_back("Photo: " + count.photo.string());
    if (count.facts) {
        lines.push_back("SHA-256: " + count.facts->sha256);
        lines.push_back("Photo size: " + std::to_string(count.facts->size) + " bytes, last changed " +
                        LocalTimeText(count.facts->modifiedSeconds));
    } else {
        lines.push_back("SHA-256: unknown, " + count.factsError);
    }
    lines.push_back("Counted: " + count.when.local + " by " + count.login + " on " + count.host + " with " +
                    count.program + " " + count.version);
    lines.push_back(CountLine(count));
    if (accepted) {
        lines.push_back("Accepted count: " + std::to_string(accepted->acceptedCount) + ", accepted " +
                        accepted->when.local + " by " + accepted->login + " on " + accepted->host);
    } else {
        lines.push_back("Accepted count: none");
    }
    lines.push_back(SettingsLine(count.settings));
    return lines;
}

std::optional<LoggedCorrection> AcceptedInLog(const std::filesystem::path& logFile, const CountRecord& count) {
    if (!count.facts) return std::nullopt;
    Expected<CountLog> log = CountLog::OpenForReading(logFile);
    if (!log) return std::nullopt;
    LogFilter sameContent;
    sameContent.sha256 = count.facts->sha256;
    const Expected<std::vector<LoggedCount>> counts = log->Find(sameContent);
    if (!counts) return std::nullopt;
    std::optional<LoggedCorrection> latest;
    for (const LoggedCount& logged : *counts) {
        for (const LoggedCorrection& correction : logged.corrections) {
            if (!latest || correction.when.unixMs >= latest->when.unixMs) latest = correction;
        }
    }
    return latest;
}

}  // namespace tamrex
