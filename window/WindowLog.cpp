#include "window/WindowLog.h"

#include <QMetaObject>

namespace tamrex {

WindowLog::WindowLog(std::filesystem::path file, std::filesystem::path settingsFile, QObject* parent)
    : QObject(parent),
      settingsFile(std::move(settingsFile)),
      writer(std::move(file), [this](const std::string& message) {
          QMetaObject::invokeMethod(
              this, [this, text = QString::fromStdString(message)] { emit problem(text); }, Qt::QueuedConnection);
      }) {}

// Everything queued is written before the window goes.
WindowLog::~WindowLog() { writer.Finish(); }

CountRecord WindowLog::RecordCount(const std::filesystem::path& photo, const Expected<CountResult>& result,
                                   const StationSettings& station) {
    std::error_code ignored;
    // Settings that came from no file (a window made by a test) name none.
    const auto file =
        settingsFile.empty() ? settingsFile : std::filesystem::absolute(settingsFile, ignored).lexically_normal();
    const RecordedSettings settings{file,
                                    station.counter.bdLine,
                                    station.counter.threshold,
                                    station.counter.pWidth,
                                    station.thickness,
                                    {}};
    CountRecord record = RecordOfCount(photo, result, settings, "tamrex", TAMREX_VERSION);
    if (result && !result->lineMapWrite) record.error = result->lineMapWrite.error().message;
    writer.Add(record);
    return record;
}

void WindowLog::RecordCorrection(const CountRecord& count, int boards, const std::vector<ReviewLine>& lines,
                                 int photoHeight) {
    std::vector<LineRun> rows;  // bottom-up, as the count numbers photo rows
    for (const ReviewLine& line : lines) rows.push_back({photoHeight - 1 - line.rows.bottom, photoHeight - 1 - line.rows.top});
    writer.Add(RecordOfCorrection(count, boards, std::move(rows)));
}

}  // namespace tamrex
