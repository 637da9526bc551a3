#pragma once

#include "record/CountRecord.h"
#include "record/LogWriter.h"
#include "settings/StationSettings.h"
#include "window/LineEdits.h"

#include <QObject>
#include <QString>

#include <filesystem>
#include <memory>

namespace tamrex {

// The count log as the window writes it: every count and every accepted correction, on
// the log's own thread, so that neither a count nor the window ever waits for it.
// RecordCount and RecordCorrection may be called from any thread.
class WindowLog : public QObject {
    Q_OBJECT

public:
    WindowLog(std::filesystem::path file, std::filesystem::path settingsFile, QObject* parent = nullptr);
    ~WindowLog() override;

    // The record of the count as the log keeps it; a correction of it names it.
    CountRecord RecordCount(const std::filesystem::path& photo, const Expected<CountResult>& result,
                            const StationSettings& station);
    // `lines` as the review showed them when the count was accepted, top-down photo rows.
    void RecordCorrection(const CountRecord& count, int boards, const std::vector<ReviewLine>& lines,
                          int photoHeight);

    const std::filesystem::path& file() const { return writer.file(); }

signals:
    // Once, on the window's thread: the log cannot be written, and what to do.
    void problem(const QString& message);

private:
    std::filesystem::path settingsFile;
    LogWriter writer;
};

}  // namespace tamrex
