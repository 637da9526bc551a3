#pragma once

#include "base/Expected.h"
#include "calibration/Calibrate.h"
#include "settings/StationSettings.h"
#include "window/CalibrationFindings.h"
#include "window/FolderCorrections.h"

#include <QDialog>

#include <atomic>
#include <filesystem>
#include <optional>
#include <vector>

class QLabel;
class QProgressBar;
class QPushButton;
class QThread;

namespace tamrex {

// What a calibration from the window starts from.
struct CalibrationSetup {
    std::vector<CorrectedPhoto> photos;  // the corrected photos and their accepted counts
    StationSettings inUse;
    std::filesystem::path settingsFile;  // where found settings go; empty: nowhere
};

// Calibrates on the corrected photos of a folder in the background, with its progress and
// a way to stop it; then shows the settings found beside those in use, with every reason
// to doubt them, and, when asked, writes them to the settings file, keeping dated backups
// (ReplaceSettingsFile). Settings no different from those in use are not written. Cancel,
// Esc or closing stop a search that is under way, and the dialog closes once it has
// stopped.
class CalibrationDialog : public QDialog {
    Q_OBJECT

public:
    // Starts the search at once.
    explicit CalibrationDialog(CalibrationSetup setup, QWidget* parent = nullptr);
    ~CalibrationDialog() override;

    bool Searching() const { return searching; }
    QString Status() const;

    void reject() override;

signals:
    void settingsApplied(const StationSettings& settings);

private:
    void CreateControls();
    void Start();
    void SetStatus(const QString& text);
    void ShowProgress(std::size_t done, std::size_t total);
    void ShowOutcome();
    void ShowFindings(const CalibrationFindings& findings);
    void UseFoundSettings();
    StationSettings FoundSettings() const;

    const CalibrationSetup setup;
    std::atomic<bool> cancel{false};
    QThread* worker = nullptr;
    bool searching = false;
    bool closeWhenStopped = false;
    // Written by the worker before it ends, read here only after it has.
    std::optional<Expected<CalibrationFindings>> outcome;

    QLabel* status = nullptr;
    QLabel* findingsText = nullptr;
    QProgressBar* progress = nullptr;
    QPushButton* cancelButton = nullptr;
    QPushButton* useButton = nullptr;
};

}  // namespace tamrex
